#pragma once
// Receives the assets of an object during EnumAuxFiles.

#include "AssetManagement/AssetUser.h"

class CoreExport AssetEnumCallback {
public:
    virtual ~AssetEnumCallback();
    virtual void RecordAsset(const MaxSDK::AssetManagement::AssetUser& asset) = 0;
};
