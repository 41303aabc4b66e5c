// Source file discovery through the host's generic interfaces only: asset enumeration and
// parameter blocks. The class of the map is never looked at.

#include "source/SourceFile.h"

#include "platform/Platform.h"
#include "source/ParamWalk.h"

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>

#include <vector>

namespace {

constexpr ParamType2 kFileNameType = TYPE_FILENAME;  // 9
constexpr ParamType2 kStringType = TYPE_STRING;      // 8

/// Length of the root name: "X:" or a network/device prefix "\\server" / "\\?".
size_t RootNameLength(const MSTR& path) {
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
    MSTR full = asset.GetFullFilePath();
    if (full.empty() || full[0] == _M('\0')) {
        return asset.GetFileName();
    }
    return full;
}

/// Keeps the first HDR/EXR asset of the host's enumeration.
class FirstHdrAssetPathCB : public AssetEnumCallback {
public:
    void RecordAsset(const MaxSDK::AssetManagement::AssetUser& asset) override {
        if (!found.empty()) {
            return;
        }
        MSTR path = AssetPath(asset);
        if (!path.empty() && IsHdrOrExrPath(path)) {
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

}  // namespace

bool IsHdrOrExrPath(const MSTR& path) {
    size_t start = RootNameLength(path);
    size_t lastSeparator = path.find_last_of(_M("\\/"));
    if (lastSeparator != MSTR::npos && lastSeparator >= start) {
        start = lastSeparator + 1;
    }
    MSTR name = path.substr(std::min(start, path.size()));
    size_t colon = name.find(_M(':'));
    if (colon != MSTR::npos) {
        name.resize(colon);
    }
    if (name.empty() || name == _M(".") || name == _M("..")) {
        return false;
    }
    size_t dot = name.find_last_of(_M('.'));
    if (dot == MSTR::npos || dot == 0) {
        return false;
    }
    MSTR extension = platform::ToLower(name.substr(dot));
    return extension == _M(".hdr") || extension == _M(".exr");
}

MSTR LexicallyNormalPath(const MSTR& path) {
    size_t rootLength = RootNameLength(path);
    MSTR root = path.substr(0, rootLength);
    for (wchar_t& c : root) {
        if (c == _M('/')) {
            c = _M('\\');
        }
    }
    size_t i = rootLength;
    bool absolute = i < path.size() && platform::IsPathSeparator(path[i]);
    std::vector<MSTR> parts;
    while (i < path.size()) {
        while (i < path.size() && platform::IsPathSeparator(path[i])) {
            ++i;
        }
        size_t end = i;
        while (end < path.size() && !platform::IsPathSeparator(path[end])) {
            ++end;
        }
        if (end > i) {
            MSTR part = path.substr(i, end - i);
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
    MSTR out = root;
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

MSTR MakePathKey(const MSTR& path) {
    if (path.empty()) {
        return MSTR();
    }
    MSTR canonical;
    if (!platform::WeaklyCanonical(path, canonical)) {
        canonical = LexicallyNormalPath(path);
    }
    return platform::ToLower(canonical);
}

bool IsSamePath(const MSTR& a, const MSTR& b) {
    return MakePathKey(a) == MakePathKey(b);
}

bool ReadParamPath(IParamBlock2* block, ParamID id, MSTR& outPath) {
    outPath.clear();
    if (!block) {
        return false;
    }
    Interval valid = FOREVER;
    MaxSDK::AssetManagement::AssetUser asset;
    if (block->GetValue(id, 0, asset, valid, 0)) {
        MSTR path = AssetPath(asset);
        if (!path.empty()) {
            outPath = path;
            return true;
        }
    }
    MSTR text;
    valid = FOREVER;
    if (block->GetValue(id, 0, text, valid, 0) && !text.empty() && text[0] != _M('\0')) {
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
    if (!callback.found.empty()) {
        return callback.found;
    }
    MSTR fileNameCandidate, stringCandidate;
    ForEachPathParam(map, [&](IParamBlock2* block, ParamID id, ParamType2 type) {
        MSTR path;
        if (ReadParamPath(block, id, path) && IsHdrOrExrPath(path)) {
            MSTR& candidate = type == kFileNameType ? fileNameCandidate : stringCandidate;
            if (candidate.empty()) {
                candidate = path;
            }
        }
        return false;
    });
    return !fileNameCandidate.empty() ? fileNameCandidate : stringCandidate;
}

bool SetTexmapFilePath(Texmap* map, const MSTR& newPath) {
    if (!map || newPath.empty()) {
        return false;
    }
    bool written = false;
    ForEachPathParam(map, [&](IParamBlock2* block, ParamID id, ParamType2 type) {
        if (type == kFileNameType) {
            block->SetValue(id, 0, newPath, 0);
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
            block->SetValue(id, 0, newPath, 0);
            written = true;
        }
        return written;
    });
    return written;
}
