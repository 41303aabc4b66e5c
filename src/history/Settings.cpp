// The settings file: where it lies, its keys, their defaults and clamps.

#include "history/Settings.h"

#include "core/HostStrings.h"

#include <GetCOREInterface.h>
#include <maxapi.h>
#include <Util/IniUtil.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr size_t kPathUnits = 260;  // the buffers the file's path is built in, terminator included

/// Appends a path part with exactly one '\' between, within the buffer's capacity.
std::wstring AppendPathPart(std::wstring_view base, std::wstring_view part) {
    while (!base.empty() && base.back() == _M('\\')) {
        base.remove_suffix(1);
    }
    while (!part.empty() && part.front() == _M('\\')) {
        part.remove_prefix(1);
    }
    std::wstring joined(base);
    joined += _M('\\');
    joined += part;
    if (joined.size() > kPathUnits - 1) {
        joined.resize(kPathUnits - 1);
    }
    return joined;
}

int ReadInt(const MCHAR* section, const MCHAR* key, int defaultValue) {
    MSTR file = GetSettingsFilePath();
    return int32_t(MaxSDK::Util::GetPrivateProfileIntW(section, key, defaultValue, file.data()));
}

void* HostMainWindow() {
    Interface* core = GetCOREInterface();
    return core ? core->GetMAXHWnd() : nullptr;
}

}  // namespace

MSTR GetSettingsFilePath() {
    std::wstring folder = platform::GetEnvironmentText(_M("LOCALAPPDATA"));
    if (folder.size() > kPathUnits - 1) {
        folder.resize(kPathUnits - 1);
    }
    if (folder.empty()) {
        folder = platform::GetTempFolder();
    }
    folder = AppendPathPart(folder, _M("Zenithra"));
    platform::CreateFolder(folder);  // an existing folder and a failure are treated alike
    return MakeMstr(AppendPathPart(folder, _M("Zenithra.ini")));
}

void WriteHistoryWindowValue(const MSTR& key, int32_t value) {
    MSTR file = GetSettingsFilePath();
    MaxSDK::Util::WritePrivateProfileStringW(_M("HistoryWindow"), key.data(),
                                             DecimalText(value).data(), file.data());
}

PreviewSize ReadPreviewSize(const platform::ScreenRect& area) {
    const int defaultWidth = (area.right - area.left) / 3;
    const int defaultHeight = (area.bottom - area.top) / 3;
    PreviewSize size;
    size.width = ReadInt(_M("History"), _M("PreviewWidth"), defaultWidth);
    if (size.width < 1) {
        size.width = defaultWidth;
    }
    if (size.width < 80) {
        size.width = 80;
    }
    size.height = ReadInt(_M("History"), _M("PreviewHeight"), defaultHeight);
    if (size.height < 1) {
        size.height = defaultHeight;
    }
    if (size.height < 60) {
        size.height = 60;
    }
    return size;
}

PreviewSize ReadPreviewSize() {
    void* window = GetCOREInterface() ? HostMainWindow() : platform::ForegroundWindow();
    return ReadPreviewSize(platform::WorkAreaNearWindow(window));
}

WindowPlacement ReadHistoryWindowPlacement(const platform::ScreenRect& area) {
    const int halfWidth = (area.right - area.left) / 2;
    WindowPlacement p;
    p.x = ReadInt(_M("HistoryWindow"), _M("X"), area.left + halfWidth);
    p.y = ReadInt(_M("HistoryWindow"), _M("Y"), area.top);
    p.width = ReadInt(_M("HistoryWindow"), _M("W"), halfWidth);
    p.height = ReadInt(_M("HistoryWindow"), _M("H"), area.bottom - area.top);
    return p;
}

WindowPlacement ReadHistoryWindowPlacement() {
    return ReadHistoryWindowPlacement(platform::WorkAreaNearWindow(HostMainWindow()));
}

void WriteHistoryWindowPlacement(const platform::ScreenRect& r) {
    WriteHistoryWindowValue(_M("X"), r.left);
    WriteHistoryWindowValue(_M("Y"), r.top);
    WriteHistoryWindowValue(_M("W"), r.right - r.left);
    WriteHistoryWindowValue(_M("H"), r.bottom - r.top);
}
