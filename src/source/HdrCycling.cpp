#include "source/HdrCycling.h"

#include "core/HostStrings.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/RenderRefresh.h"
#include "source/SourceFile.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t kDialogBufferUnits = 4096;
// Hide read-only, path must exist, file must exist.
constexpr uint32_t kDialogFlags = 0x1804;
// Description and pattern pairs, each NUL-terminated, the list ended by a second NUL.
constexpr wchar_t kDialogFilter[] = _M("HDR / EXR (*.hdr;*.exr)\0*.hdr;*.exr\0All (*.*)\0*.*\0");

void Step(Zenithra* map, int direction) {
    if (!map || !map->sourceMap) {
        return;
    }
    MSTR current = GetTexmapFilePath(map->sourceMap);
    std::vector<MSTR> list = ScanHdrFolder(current);
    if (list.size() < 2 || current.isNull()) {
        return;
    }
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const MSTR& entry) { return IsSamePath(entry, current); });
    if (it == list.end()) {
        return;
    }
    size_t i = size_t(it - list.begin());
    size_t target = direction > 0 ? (i + 1) % list.size() : (i == 0 ? list.size() - 1 : i - 1);
    if (!SetTexmapFilePath(map->sourceMap, list[target])) {
        return;
    }
    RefreshAfterSourceChange(map, map->sourceMap, map->mainRollupWnd);
}

}  // namespace

MSTR ParentFolder(const MSTR& hostPath) {
    std::wstring_view path = MstrView(hostPath);
    size_t last = path.find_last_of(_M("\\/"));
    if (last == std::wstring_view::npos) {
        return MSTR();
    }
    size_t end = last;
    while (end > 0 && platform::IsPathSeparator(path[end - 1])) {
        --end;
    }
    // The separator of a root stays: "C:\sky.hdr" has the parent "C:\", "\sky.hdr" has "\".
    bool root = end == 0 || (end == 2 && path[1] == _M(':'));
    return MakeMstr(path.substr(0, root ? last + 1 : end));
}

bool HdrPathLess(const MSTR& a, const MSTR& b) {
    int n = std::min(a.Length(), b.Length());
    for (int i = 0; i < n; ++i) {
        uint16_t x = platform::ToLowerUnit(a[i]), y = platform::ToLowerUnit(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    return a.Length() < b.Length();
}

std::vector<MSTR> ScanHdrFolder(const MSTR& currentPath) {
    std::vector<MSTR> list;
    if (currentPath.isNull()) {
        return list;
    }
    const MSTR parent = ParentFolder(currentPath);
    std::wstring_view folder = MstrView(parent);
    if (folder.empty()) {
        return list;
    }
    std::vector<std::wstring> names;
    platform::ListRegularFiles(folder, names);
    std::wstring prefix(folder);
    if (!platform::IsPathSeparator(folder.back())) {
        prefix += _M('\\');
    }
    for (const std::wstring& name : names) {
        MSTR entry = MakeMstr(prefix + name);
        if (IsHdrOrExrPath(entry)) {
            list.push_back(entry);
        }
    }
    std::sort(list.begin(), list.end(), HdrPathLess);
    list.erase(std::unique(list.begin(), list.end(), IsSamePath), list.end());
    return list;
}

void SelectNextHdr(Zenithra* map) {
    Step(map, +1);
}

void SelectPreviousHdr(Zenithra* map) {
    Step(map, -1);
}

void BrowseHdrFile(Zenithra* map, HWND rollupWindow) {
    if (!map || !map->sourceMap) {
        return;
    }
    MSTR current = GetTexmapFilePath(map->sourceMap);
    platform::OpenFileRequest request;
    request.bufferUnits = kDialogBufferUnits;
    request.initialFile = MstrView(current).substr(0, kDialogBufferUnits - 1);
    request.initialFolder = MstrView(ParentFolder(current)).substr(0, kDialogBufferUnits - 1);
    Interface* core = GetCOREInterface();
    request.owner = core ? core->GetMAXHWnd() : rollupWindow;
    request.filter.assign(kDialogFilter, std::size(kDialogFilter));
    request.title = _M("Choose HDR / EXR");
    request.flags = kDialogFlags;
    std::wstring chosen;
    if (!platform::ShowOpenFileDialog(request, chosen)) {
        return;
    }
    if (SetTexmapFilePath(map->sourceMap, MakeMstr(chosen))) {
        RefreshAfterSourceChange(map, map->sourceMap, rollupWindow);
    }
}
