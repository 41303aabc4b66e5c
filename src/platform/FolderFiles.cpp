// Listing a folder's files: one implementation over std::filesystem for both builds; only the
// mapping between Windows paths and this machine's paths differs.

#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace platform {

bool ListRegularFiles(std::wstring_view windowsFolder, std::vector<std::wstring>& names) {
    const std::filesystem::path folder = NativeFilePath(windowsFolder);
    if (folder.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) {
        return false;
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::error_code statusError;
        const std::filesystem::file_status status = it->status(statusError);  // follows links
        if (statusError) {
            break;
        }
        if (std::filesystem::is_regular_file(status)) {
            // The name as the Windows path of the file has it: UTF-16 on both builds.
            const std::wstring path = WindowsPathOf(it->path());
            const size_t slash = path.find_last_of(L"\\/");
            names.push_back(slash == std::wstring::npos ? path : path.substr(slash + 1));
        }
    }
    return true;
}

}  // namespace platform
