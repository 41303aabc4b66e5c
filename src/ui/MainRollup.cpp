// The main rollup's dialog procedure and its refresh: the source file and source map, the slot
// count, and the lighting history's buttons.

#include "ui/MainRollup.h"

#include "core/HostEdge.h"
#include "core/ZenithraClassDesc.h"
#include "history/HistoryStore.h"
#include "history/LookCapture.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/HdrCycling.h"
#include "source/SourceFile.h"
#include "ui/HistoryWindow.h"
#include "ui/MaterialEditorLink.h"

#include <iparamm2.h>

#include "../../res/resource.h"

namespace {

const MCHAR* const kDragHint = _M("  |  click to show, drag to assign");

enum ClearMenuCommand : UINT {
    kClearCurrentHdr = 1,
    kClearCurrentCamera = 2,
    kClearEverything = 3,
};

void ShowClearMenu(Zenithra& map, HWND rollup) {
    POINT cursor{};
    GetCursorPos(&cursor);
    UINT chosen = TrackRollupMenu(rollup, cursor,
                                  {{kClearCurrentHdr, _M("Clear current HDR only")},
                                   {kClearCurrentCamera, _M("Clear current camera only")},
                                   {0, nullptr},
                                   {kClearEverything, _M("Clear everything in this scene")}});
    switch (chosen) {
        case kClearCurrentHdr:
            ClearCurrentHdrLooks(&map);
            break;
        case kClearCurrentCamera:
            ClearCurrentCameraLooks(&map);
            break;
        case kClearEverything:
            if (platform::ShowMessageBox(
                    rollup, _M("Delete all saved lighting looks for this Zenithra?"),
                    kHistoryBoxTitle,
                    platform::kBoxYesNo | platform::kBoxIconExclamation) == platform::kAnswerYes) {
                ClearAllLooks(&map);
            }
            break;
        default:
            break;
    }
}

// Handles a click; false for ids of the range that have no action.
bool HandleCommand(Zenithra& map, HWND rollup, int id) {
    switch (id) {
        case IDC_PREV_HDR:
            SelectPreviousHdr(&map);
            return true;
        case IDC_NEXT_HDR:
            SelectNextHdr(&map);
            return true;
        case IDC_BROWSE_HDR:
            BrowseHdrFile(&map, rollup);
            return true;
        case IDC_SOURCE_MAP:
            ShowMapInMaterialEditor(map.sourceMap);
            return true;
        case IDC_ADD_SLOT:
            map.SetSlotCount(map.GetSlotCount() + 1);
            return true;
        case IDC_REMOVE_SLOT:
            map.SetSlotCount(map.GetSlotCount() - 1);
            return true;
        case IDC_SAVE_LOOK:
            CaptureLook(&map);
            return true;
        case IDC_LOAD_LOOK:
            OpenHistoryWindow(&map);
            return true;
        case IDC_CLEAR_LOOKS:
            ShowClearMenu(map, rollup);
            return true;
        default:
            return false;
    }
}

class ZenithraMainDlgProc : public ParamMap2UserDlgProc {
public:
    INT_PTR DlgProc(TimeValue, IParamMap2* paramMap, HWND rollup, UINT msg, WPARAM wParam,
                    LPARAM) override {
        return GuardEntry<INT_PTR>(FALSE, [&]() -> INT_PTR {
            switch (msg) {
                case WM_INITDIALOG:
                    return InitDialog(paramMap, rollup);
                case WM_COMMAND:
                    return Command(paramMap, rollup, LOWORD(wParam));
                case WM_DESTROY:
                    Destroy(rollup);
                    return FALSE;
                default:
                    return FALSE;
            }
        });
    }
    // One shared procedure serves every main rollup and lives as long as the library.
    void DeleteThis() override {}

private:
    // False when the rollup has no block to find its map through.
    static bool FindOwner(IParamMap2* paramMap, Zenithra*& owner) {
        IParamBlock2* block = paramMap ? paramMap->GetParamBlock() : nullptr;
        if (!block) {
            return false;
        }
        owner = BlockOwner(block);
        return true;
    }

    static INT_PTR InitDialog(IParamMap2* paramMap, HWND rollup) {
        Zenithra* map = nullptr;
        if (!FindOwner(paramMap, map)) {
            return FALSE;
        }
        SetPropW(rollup, kOwnerProperty, map);
        if (map) {
            map->mainRollupWnd = rollup;
        }
        if (auto button = UseButton(rollup, IDC_SOURCE_MAP)) {
            button->SetType(CBT_PUSH);
            button->SetDADMgr(SharedSourceMapDADMgr());
        }
        if (map) {
            map->UpdateMainRollup(rollup);
        }
        return TRUE;
    }

    static INT_PTR Command(IParamMap2* paramMap, HWND rollup, int id) {
        // A rollup whose map has gone carries no owner any more; its parameter map may then
        // name freed memory and is not asked.
        Zenithra* map = nullptr;
        if (!MainRollupOwner(rollup) || !FindOwner(paramMap, map) || !map || id < IDC_PREV_HDR ||
            id > IDC_CLEAR_LOOKS) {
            return FALSE;
        }
        return HandleCommand(*map, rollup, id) ? TRUE : FALSE;
    }

    static void Destroy(HWND rollup) {
        Zenithra* map = MainRollupOwner(rollup);
        if (map && map->mainRollupWnd == rollup) {
            map->mainRollupWnd = nullptr;
        }
        RemovePropW(rollup, kOwnerProperty);
    }
};

}  // namespace

ParamMap2UserDlgProc* GetZenithraMainDlgProc() {
    // Function-local, so that the block descriptor can take it during static initialisation.
    static ZenithraMainDlgProc proc;
    return &proc;
}

Zenithra* MainRollupOwner(HWND rollup) {
    return rollup ? static_cast<Zenithra*>(GetPropW(rollup, kOwnerProperty)) : nullptr;
}

void Zenithra::UpdateMainRollup(HWND rollup) {
    if (!rollup) {
        return;
    }
    MSTR path = sourceMap ? GetTexmapFilePath(sourceMap) : MSTR();
    MSTR buttonText = _M("No source map assigned");
    if (sourceMap) {
        MSTR className;
        sourceMap->GetClassName(className);
        const MSTR& name = sourceMap->GetName();
        buttonText =
            name.isNull() ? className + kDragHint : className + _M(": ") + name + kDragHint;
    }
    MSTR status = !path.isNull() ? path
                  : sourceMap    ? MSTR(_M("No HDR/EXR file detected inside the source map"))
                                 : MSTR(_M("Assign a source map first"));
    SetDlgItemTextW(rollup, IDC_HDR_STATUS, status.data());
    if (auto button = UseButton(rollup, IDC_SOURCE_MAP)) {
        button->SetText(buttonText.data());
    }
    int count = GetSlotCount();
    MSTR outputs =
        MSTR(_M("Active outputs: ")) + DecimalText(count) + _M(" / ") + DecimalText(kMaxSlots);
    SetDlgItemTextW(rollup, IDC_OUTPUT_COUNT, outputs.data());

    bool hasMap = sourceMap != nullptr;
    const struct {
        int id;
        bool enabled;
    } states[] = {
        {IDC_BROWSE_HDR, hasMap},
        {IDC_PREV_HDR, hasMap},
        {IDC_NEXT_HDR, hasMap},
        {IDC_SOURCE_MAP, true},
        {IDC_ADD_SLOT, count < kMaxSlots},
        {IDC_REMOVE_SLOT, count >= 2},
        {IDC_SAVE_LOOK, hasMap},
        {IDC_LOAD_LOOK, true},
        {IDC_CLEAR_LOOKS, true},
    };
    for (const auto& state : states) {
        if (HWND control = GetDlgItem(rollup, state.id)) {
            EnableWindow(control, state.enabled ? TRUE : FALSE);
        }
    }
}

void Zenithra::DestroyMainRollup() {
    HWND rollup = mainRollupWnd;
    mainRollupWnd = nullptr;
    if (rollup && IsWindow(rollup)) {
        if (MainRollupOwner(rollup) == this) {
            RemovePropW(rollup, kOwnerProperty);
        }
        if (editParams) {
            editParams->DeleteRollupPage(rollup);
        }
    }
    editParams = nullptr;
}
