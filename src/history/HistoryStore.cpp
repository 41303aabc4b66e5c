// The lighting history's grouping, removal and current-look operations.

#include "history/HistoryStore.h"

#include "core/HostStrings.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/SourceFile.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

void NotifyHistoryChanged(Zenithra* map) {
    map->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
}

/// Removes the entries `drop` selects, keeping the order of the others; the number removed.
template <typename Pred>
size_t RemoveLooks(Zenithra* map, Pred drop) {
    HistoryStore& store = map->history;
    size_t before = store.size();
    store.erase(std::remove_if(store.begin(), store.end(), drop), store.end());
    return before - store.size();
}

std::map<const Zenithra*, CurrentLook>& CurrentLooks() {
    static std::map<const Zenithra*, CurrentLook> looks;
    return looks;
}

}  // namespace

const MSTR& VariantKey(const HistoryEntry& entry) {
    return entry.variantId.isNull() ? entry.entryId : entry.variantId;
}

MSTR MakeLookId() {
    platform::LocalTime now = platform::GetLocalTimeNow();
    char text[40];
    std::snprintf(text, sizeof text, "%04u%02u%02u_%02u%02u%02u_%03u_%08x", unsigned(now.year),
                  unsigned(now.month), unsigned(now.day), unsigned(now.hour), unsigned(now.minute),
                  unsigned(now.second), unsigned(now.millisecond),
                  unsigned(platform::GetTickCount32()));
    return MakeMstr(platform::Utf8ToWide(text));
}

bool FrameThenId(const HistoryEntry& a, const HistoryEntry& b) {
    return a.frame != b.frame ? a.frame < b.frame : a.entryId < b.entryId;
}

bool SameCamera(const MSTR& name, uint32_t handle, const HistoryEntry& entry) {
    std::wstring a = platform::ToLower(MstrView(name));
    std::wstring b = platform::ToLower(MstrView(entry.cameraName));
    if (!a.empty() || !b.empty()) {
        return a == b;
    }
    return handle == entry.cameraHandle;
}

void DeleteVariant(Zenithra* map, const HistoryEntry& entry) {
    if (!map) {
        return;
    }
    HistoryStore& store = map->history;
    auto found = std::find_if(store.begin(), store.end(),
                              [&](const HistoryEntry& e) { return e.entryId == entry.entryId; });
    if (found != store.end()) {
        MSTR key = VariantKey(*found);  // a copy: the entry it comes from is removed
        RemoveLooks(map, [&](const HistoryEntry& e) { return VariantKey(e) == key; });
    }
    NotifyHistoryChanged(map);
}

void DeleteHdrLooks(Zenithra* map, const MSTR& path) {
    if (!map || path.isNull()) {
        return;
    }
    MSTR key = MakePathKey(path);
    if (RemoveLooks(map, [&](const HistoryEntry& e) { return MakePathKey(e.hdrPath) == key; })) {
        NotifyHistoryChanged(map);
        RefreshHistoryWindows(map, MSTR(), MSTR());
    }
}

void ClearCurrentHdrLooks(Zenithra* map) {
    if (!map) {
        return;
    }
    MSTR path = GetTexmapFilePath(map->sourceMap);
    RemoveLooks(map, [&](const HistoryEntry& e) { return IsSamePath(e.hdrPath, path); });
    NotifyHistoryChanged(map);
    RefreshHistoryWindows(map, MSTR(), MSTR());
}

void ClearCurrentCameraLooks(Zenithra* map) {
    if (!map) {
        return;
    }
    ULONG handle = 0;
    if (Interface* core = GetCOREInterface()) {
        ViewExp& view = core->GetActiveViewExp();
        if (view.IsAlive()) {
            if (INode* camera = view.GetViewCamera()) {
                handle = camera->GetHandle();
            }
        }
    }
    if (handle == 0) {
        return;
    }
    RemoveLooks(map, [&](const HistoryEntry& e) { return e.cameraHandle == handle; });
    NotifyHistoryChanged(map);
    RefreshHistoryWindows(map, MSTR(), MSTR());
}

void ClearAllLooks(Zenithra* map) {
    if (!map) {
        return;
    }
    map->history.clear();
    NotifyHistoryChanged(map);
    RefreshHistoryWindows(map, MSTR(), MSTR());
}

namespace CurrentLookRegistry {

void Put(const Zenithra* map, const MSTR& path, const MSTR& variantId) {
    if (!map || path.isNull()) {
        return;
    }
    CurrentLooks()[map] = CurrentLook{path, MakePathKey(path), variantId};
}

CurrentLook Get(const Zenithra* map) {
    auto& looks = CurrentLooks();
    auto it = looks.find(map);
    return it == looks.end() ? CurrentLook{} : it->second;
}

void Erase(const Zenithra* map) {
    CurrentLooks().erase(map);
}

}  // namespace CurrentLookRegistry

void RefreshHistoryWindows(Zenithra* map, const MSTR& path, const MSTR& variantId) {
    if (!path.isNull()) {
        CurrentLookRegistry::Put(map, path, variantId);
    }
    RebuildOpenHistoryWindows(map, path, variantId);
}
