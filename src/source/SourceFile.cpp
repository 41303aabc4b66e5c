// Source file discovery through the host's generic interfaces only: asset enumeration and
// parameter blocks. The class of the map is never looked at.

#include "source/SourceFile.h"

#include "core/HostStrings.h"
#include "platform/Platform.h"
#include "source/ParamWalk.h"

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr ParamType2 kFileNameType = TYPE_FILENAME;  // 9
constexpr ParamType2 kStringType = TYPE_STRING;      // 8

/// Length of the root name: "X:" or a network/device prefix "\\server" / "\\?".
size_t RootNameLength(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == _M(':')) {
        return 2;
    }
    if (path.size() >= 2 && platform::IsPathSeparator(path[0]) &&
        platform::IsPathSeparator(path[1])) {
        size_t i = 2;
        while (i < path.size() && !platform::IsPathSeparator(path[i])) {
            ++i;
        }
        return i;
    }
    return 0;
}

MSTR AssetPath(const MaxSDK::AssetManagement::AssetUser& asset) {
    MSTR full;
    if (!asset.GetFullFilePath(full) || full.isNull() || full[0] == _M('\0')) {
        return asset.GetFileName();
    }
    return full;
}

/// Keeps the first HDR/EXR asset of the host's enumeration.
class FirstHdrAssetPathCB : public AssetEnumCallback {
public:
    void RecordAsset(const MaxSDK::AssetManagement::AssetUser& asset) override {
        if (!found.isNull()) {
            return;
        }
        MSTR path = AssetPath(asset);
        if (!path.isNull() && IsHdrOrExrPath(path)) {
            found = path;
        }
    }
    MSTR found;
};

/// Visits every file-name and string parameter; a visit that returns true ends the walk.
template <typename Visit>
void ForEachPathParam(Texmap* map, Visit visit) {
    ForEachParam(map, [&](int, IParamBlock2* block, ParamID id, const ParamDef& def) {
        return (def.type == kFileNameType || def.type == kStringType) && visit(block, id, def.type);
    });
}

std::wstring LexicallyNormal(std::wstring_view path) {
    size_t rootLength = RootNameLength(path);
    std::wstring root(path.substr(0, rootLength));
    for (wchar_t& c : root) {
        if (c == _M('/')) {
            c = _M('\\');
        }
    }
    size_t i = rootLength;
    bool absolute = i < path.size() && platform::IsPathSeparator(path[i]);
    std::vector<std::wstring_view> parts;
    while (i < path.size()) {
        while (i < path.size() && platform::IsPathSeparator(path[i])) {
            ++i;
        }
        size_t end = i;
        while (end < path.size() && !platform::IsPathSeparator(path[end])) {
            ++end;
        }
        if (end > i) {
            std::wstring_view part = path.substr(i, end - i);
            if (part == _M("..")) {
                if (!parts.empty() && parts.back() != _M("..")) {
                    parts.pop_back();
                } else if (!absolute) {
                    parts.push_back(part);
                }
            } else if (part != _M(".")) {
                parts.push_back(part);
            }
        }
        i = end;
    }
    std::wstring out = root;
    if (absolute) {
        out += _M('\\');
    }
    for (size_t p = 0; p < parts.size(); ++p) {
        if (p > 0) {
            out += _M('\\');
        }
        out += parts[p];
    }
    // A trailing separator names the folder itself; keep it so "C:\dir\" stays a folder.
    if (!parts.empty() && !path.empty() && platform::IsPathSeparator(path.back())) {
        out += _M('\\');
    }
    return out;
}

}  // namespace

bool IsHdrOrExrPath(const MSTR& hostPath) {
    std::wstring_view path = MstrView(hostPath);
    size_t start = RootNameLength(path);
    size_t lastSeparator = path.find_last_of(_M("\\/"));
    if (lastSeparator != std::wstring_view::npos && lastSeparator >= start) {
        start = lastSeparator + 1;
    }
    std::wstring_view name = path.substr(std::min(start, path.size()));
    size_t colon = name.find(_M(':'));
    if (colon != std::wstring_view::npos) {
        name = name.substr(0, colon);
    }
    if (name.empty() || name == _M(".") || name == _M("..")) {
        return false;
    }
    size_t dot = name.find_last_of(_M('.'));
    if (dot == std::wstring_view::npos || dot == 0) {
        return false;
    }
    std::wstring extension = platform::ToLower(name.substr(dot));
    return extension == _M(".hdr") || extension == _M(".exr");
}

MSTR LexicallyNormalPath(const MSTR& path) {
    return MakeMstr(LexicallyNormal(MstrView(path)));
}

MSTR MakePathKey(const MSTR& path) {
    if (path.isNull()) {
        return MSTR();
    }
    std::wstring canonical;
    if (!platform::WeaklyCanonical(MstrView(path), canonical)) {
        canonical = LexicallyNormal(MstrView(path));
    }
    return MakeMstr(platform::ToLower(canonical));
}

bool IsSamePath(const MSTR& a, const MSTR& b) {
    return MakePathKey(a) == MakePathKey(b);
}

bool ReadParamPath(IParamBlock2* block, ParamID id, MSTR& outPath) {
    outPath = MSTR();
    if (!block) {
        return false;
    }
    Interval valid = FOREVER;
    MaxSDK::AssetManagement::AssetUser asset;
    if (block->GetValue(id, 0, asset, valid, 0)) {
        MSTR path = AssetPath(asset);
        if (!path.isNull()) {
            outPath = path;
            return true;
        }
    }
    const MCHAR* text = nullptr;
    valid = FOREVER;
    if (block->GetValue(id, 0, text, valid, 0) && text && text[0] != _M('\0')) {
        outPath = text;
        return true;
    }
    return false;
}

MSTR GetTexmapFilePath(Texmap* map) {
    if (!map) {
        return MSTR();
    }
    FirstHdrAssetPathCB callback;
    try {
        map->EnumAuxFiles(callback, FILE_ENUM_ALL);
    } catch (...) {
        // Whatever was found before the host's enumeration failed stands.
    }
    if (!callback.found.isNull()) {
        return callback.found;
    }
    MSTR fileNameCandidate, stringCandidate;
    ForEachPathParam(map, [&](IParamBlock2* block, ParamID id, ParamType2 type) {
        MSTR path;
        if (ReadParamPath(block, id, path) && IsHdrOrExrPath(path)) {
            MSTR& candidate = type == kFileNameType ? fileNameCandidate : stringCandidate;
            if (candidate.isNull()) {
                candidate = path;
            }
        }
        return false;
    });
    return !fileNameCandidate.isNull() ? fileNameCandidate : stringCandidate;
}

bool SetTexmapFilePath(Texmap* map, const MSTR& newPath) {
    if (!map || newPath.isNull()) {
        return false;
    }
    bool written = false;
    ForEachPathParam(map, [&](IParamBlock2* block, ParamID id, ParamType2 type) {
        if (type == kFileNameType) {
            block->SetValue(id, 0, newPath.data(), 0);
            written = true;
        }
        return written;
    });
    if (written) {
        return true;
    }
    ForEachPathParam(map, [&](IParamBlock2* block, ParamID id, ParamType2 type) {
        MSTR current;
        if (type == kStringType && ReadParamPath(block, id, current) && IsHdrOrExrPath(current)) {
            block->SetValue(id, 0, newPath.data(), 0);
            written = true;
        }
        return written;
    });
    return written;
}
