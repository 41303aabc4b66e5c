// The map's side of its rollups in the native build, which has no user interface: no rollup or
// History window is ever open, so there is nothing to create, refresh or destroy. The Win64
// build compiles src/ui in place of this file.

#include "core/ZenithraClassDesc.h"
#include "history/HistoryStore.h"
#include "shading/Zenithra.h"

ParamMap2UserDlgProc* GetZenithraMainDlgProc() {
    return nullptr;
}

void Zenithra::DestroySlotRollups() {
    slotRollupWnds.clear();
}

void Zenithra::CreateSlotRollups(HWND, IMtlParams*) {}

void Zenithra::SyncSlotRollups() {}

void Zenithra::UpdateMainRollup(HWND) {}

void Zenithra::ReadSlotRollupSpinners(std::vector<float>&, AdjustmentParams&) {}

void Zenithra::DestroyMainRollup() {
    mainRollupWnd = nullptr;
    editParams = nullptr;
}

void RebuildOpenHistoryWindows(Zenithra*, const MSTR&, const MSTR&) {}

void CloseHistoryWindows(const Zenithra*) {}
