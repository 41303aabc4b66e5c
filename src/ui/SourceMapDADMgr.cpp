// The source-map button's drag and drop: any texture map dropped on it becomes the source map,
// and a drag from it hands out the current source map itself.

#include "ui/MainRollup.h"

#include "core/HostEdge.h"
#include "shading/Zenithra.h"
#include "source/RenderRefresh.h"

#include <custcont.h>

namespace {

// Stateless: the map is found through the button's rollup, so one manager serves every map.
class SourceMapDADMgr : public DADMgr {
public:
    SClass_ID GetDragType(HWND, POINT) override { return TEXMAP_CLASS_ID; }

    BOOL OkToDrop(ReferenceTarget*, HWND, HWND, POINT, SClass_ID type, BOOL) override {
        return type == TEXMAP_CLASS_ID ? TRUE : FALSE;
    }

    ReferenceTarget* GetInstance(HWND hwnd, POINT, SClass_ID) override {
        HWND rollup = hwnd ? GetParent(hwnd) : nullptr;
        Zenithra* map = rollup ? MainRollupOwner(rollup) : nullptr;
        return map ? map->sourceMap : nullptr;
    }

    void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT, SClass_ID type, DADMgr*, BOOL) override {
        GuardEntry([&] {
            HWND rollup = hwnd ? GetParent(hwnd) : nullptr;
            Zenithra* map = rollup ? MainRollupOwner(rollup) : nullptr;
            if (!map || type != TEXMAP_CLASS_ID ||
                (dropThis && dropThis->SuperClassID() != TEXMAP_CLASS_ID)) {
                return;
            }
            map->ReplaceReference(1, dropThis, true);
            RefreshAfterSourceChange(map, map->sourceMap, map->mainRollupWnd);
            map->SyncSlotRollups();
            map->UpdateMainRollup(rollup);
        });
    }
};

}  // namespace

DADMgr* SharedSourceMapDADMgr() {
    static SourceMapDADMgr manager;
    return &manager;
}
