// The "Map Rot." row: the one rotation shared by every slot lives in the source map, so the row
// reads and writes it there and every open slot rollup follows.

#include "ui/MapRotationControls.h"

#include "shading/Zenithra.h"
#include "source/MapRotation.h"
#include "source/RenderRefresh.h"
#include "ui/RollupSupport.h"

#include "../../res/resource.h"

#include <cmath>

void RefreshMapRotationControls(HWND slotRollup, Zenithra* map) {
    TimeValue t = CurrentTime();
    float degrees = 0.0f;
    bool enabled = map && FindMapRotation(map->sourceMap, t, degrees);
    if (!enabled) {
        degrees = 0.0f;
    }
    if (auto spinner = UseSpinner(slotRollup, IDC_MAP_ROTATION_SPIN)) {
        spinner->SetValue(degrees, FALSE);
    }
    for (int id : {IDC_MAP_ROTATION_EDIT, IDC_MAP_ROTATION_SPIN}) {
        if (HWND control = GetDlgItem(slotRollup, id)) {
            EnableWindow(control, enabled ? TRUE : FALSE);
        }
    }
}

bool ApplyMapRotationSpinner(HWND slotRollup, Zenithra* map, bool finalChange) {
    Texmap* source = map ? map->sourceMap : nullptr;
    if (!source) {
        return false;
    }
    float wanted = 0.0f;
    {
        auto spinner = UseSpinner(slotRollup, IDC_MAP_ROTATION_SPIN);
        if (!spinner) {
            return false;
        }
        wanted = spinner->GetFVal();
    }
    TimeValue t = CurrentTime();
    float current = 0.0f;
    if (!FindMapRotation(source, t, current) || std::fabs(current - wanted) <= kChangeThreshold) {
        return false;
    }
    if (!SetMapRotation(source, t, wanted)) {
        return false;
    }
    map->validity = NEVER;
    if (finalChange) {
        ReloadSourceMap(*source, t);
    }
    NotifyChangedWithStructure(*source);
    map->NotifyAll(PART_ALL, REFMSG_CHANGE, false);
    map->SyncSlotRollups();
    return true;
}
