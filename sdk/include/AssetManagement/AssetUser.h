#pragma once
// Assets: a file an object uses, as the host's asset manager knows it.

#include "../strclass.h"

namespace MaxSDK::AssetManagement {

class AssetMgmntExport AssetUser {
public:
    AssetUser();
    AssetUser(const AssetUser& other);
    AssetUser& operator=(const AssetUser& other);
    ~AssetUser();
    /// The name as stored in the scene (a bare file name, a relative or an absolute path).
    const MSTR& GetFileName() const;
    /// The absolute path of the file when it exists on disk; false when the host cannot find it.
    bool GetFullFilePath(MSTR& filePath) const;

private:
    MSTR fileName;
};

}  // namespace MaxSDK::AssetManagement
