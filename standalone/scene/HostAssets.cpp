// The host's asset manager: a stored file name resolves to a full path when the file exists.

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>

#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

AssetEnumCallback::~AssetEnumCallback() = default;

namespace MaxSDK::AssetManagement {

MSTR AssetUser::GetFullFilePath() const {
    // Only absolute paths with a drive resolve: the standalone host has no search paths.
    if (fileName.size() < 3 || fileName[1] != L':' ||
        (fileName[2] != L'\\' && fileName[2] != L'/')) {
        return MSTR();
    }
    std::filesystem::path native = platform::NativeFilePath(fileName);
    std::error_code ec;
    return !native.empty() && std::filesystem::is_regular_file(native, ec) ? fileName : MSTR();
}

}  // namespace MaxSDK::AssetManagement
