#pragma once
// Assets: the files a scene object uses, as the host's asset manager reports them.

#include "host/MaxTypes.h"

namespace MaxSDK::AssetManagement {

/// One file used by an object: the name as stored, and its full path when the host can find it.
class HOST_API AssetUser {
public:
    AssetUser() = default;
    explicit AssetUser(const MSTR& storedName) : fileName(storedName) {}
    /// The name as stored in the scene (may be a bare file name or a relative path).
    const MSTR& GetFileName() const { return fileName; }
    /// The absolute path of the file when it exists on disk; empty when the host cannot find it.
    MSTR GetFullFilePath() const;

private:
    MSTR fileName;
};

}  // namespace MaxSDK::AssetManagement

/// Receives the assets of an object during EnumAuxFiles.
class HOST_API AssetEnumCallback {
public:
    virtual ~AssetEnumCallback();
    virtual void RecordAsset(const MaxSDK::AssetManagement::AssetUser& asset) = 0;
};

/// EnumAuxFiles flags: every category of file.
constexpr DWORD FILE_ENUM_ALL = 7;
