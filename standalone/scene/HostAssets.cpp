// The host's asset manager: a stored file name resolves to a full path when the file exists.

#include <AssetManagement/AssetUser.h>

#include "scene/StandaloneHost.h"

#include "core/HostStrings.h"
#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace {
// The name the next asset made on this thread stands for. The SDK gives an asset its name only
// through the host's asset manager, so the host's own constructor takes it from here.
thread_local const MSTR* pendingFileName = nullptr;
}  // namespace

namespace MaxSDK::AssetManagement {

AssetUser::AssetUser() : fileName(pendingFileName ? *pendingFileName : MSTR()) {}
AssetUser::AssetUser(const AssetUser& other) = default;
AssetUser& AssetUser::operator=(const AssetUser& other) = default;
AssetUser::~AssetUser() = default;

const MSTR& AssetUser::GetFileName() const {
    return fileName;
}

bool AssetUser::GetFullFilePath(MSTR& filePath) const {
    // Only absolute paths with a drive resolve: the standalone host has no search paths.
    std::wstring_view name = MstrView(fileName);
    if (name.size() < 3 || name[1] != L':' || (name[2] != L'\\' && name[2] != L'/')) {
        return false;
    }
    std::filesystem::path native = platform::NativeFilePath(name);
    std::error_code ec;
    if (native.empty() || !std::filesystem::is_regular_file(native, ec)) {
        return false;
    }
    filePath = fileName;
    return true;
}

}  // namespace MaxSDK::AssetManagement

namespace standalone {

MaxSDK::AssetManagement::AssetUser MakeAssetUser(const MSTR& fileName) {
    pendingFileName = &fileName;
    MaxSDK::AssetManagement::AssetUser asset;
    pendingFileName = nullptr;
    return asset;
}

}  // namespace standalone
