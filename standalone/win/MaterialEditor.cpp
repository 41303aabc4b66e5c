// The material editor: 24 sample slots that hold maps (one of them active), and the rollup
// panel that shows the active slot's map through its CreateParamDlg. The editor lives as long
// as the process, as the host's does; its window comes and goes.

#include <custcont.h>
#include <imtl.h>
#include <plugapi.h>

#include "HostWindows.h"
#include "RollupPanel.h"
#include "WindowClass.h"
#include "scene/HostWindowsLink.h"

#include "core/HostStrings.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

namespace standalone::win {

namespace {

const wchar_t* const kEditorClass = L"HostMaterialEditor";
constexpr int kSlotColumns = 6;
constexpr int kSlotRows = kMtlEditorSlots / kSlotColumns;
constexpr int kSlotWidth = 64;
constexpr int kSlotHeight = 40;
constexpr int kSlotGap = 3;
constexpr int kFirstSlotId = 100;

class MaterialEditor;
MaterialEditor& Editor();

/// A sample slot hands out its map and takes any map dropped on it.
class SampleSlotDADMgr : public DADMgr {
public:
    explicit SampleSlotDADMgr(int slot) : slot(slot) {}
    SClass_ID GetDragType(HWND, POINT) override;
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND, HWND, POINT, SClass_ID type, BOOL) override {
        return dropThis && type == TEXMAP_CLASS_ID;
    }
    ReferenceTarget* GetInstance(HWND, POINT, SClass_ID) override;
    void Drop(ReferenceTarget* dropThis, HWND, POINT, SClass_ID type, DADMgr*, BOOL) override;

private:
    int slot;
};

class MaterialEditor : public ReferenceMaker, public MaterialEditorHost, public IMtlParams {
public:
    MaterialEditor() {
        for (int i = 0; i < kMtlEditorSlots; ++i) {
            slotManagers[i] = std::make_unique<SampleSlotDADMgr>(i);
        }
    }

    // --- ReferenceMaker: the slots hold their maps ------------------------------------------
    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return kMtlEditorSlots; }
    RefTargetHandle GetReference(int i) override {
        return i >= 0 && i < kMtlEditorSlots ? slots[i] : nullptr;
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle target, PartID&, RefMessage message,
                               BOOL) override {
        if (message == REFMSG_TARGET_DELETED && target && target == shownMtl) {
            // The map goes: its dialog must not reach it any more.
            CloseShown();
        }
        UpdateSlotButtons();
        return REF_SUCCEED;
    }

    // --- Material-editor interface ---------------------------------------------------------
    MtlBase* GetTopMtlSlot(int slot) override {
        return slot >= 0 && slot < kMtlEditorSlots ? static_cast<MtlBase*>(slots[slot]) : nullptr;
    }
    void SetActiveMtlSlot(int slot, BOOL forceUpdate) override {
        if (slot < 0 || slot >= kMtlEditorSlots) {
            return;
        }
        bool changed = slot != active;
        active = slot;
        if (changed || forceUpdate || shownMtl != slots[active]) {
            Show();
        }
        UpdateSlotButtons();
    }
    int GetActiveMtlSlot() override { return active; }
    void PutMtl(MtlBase* mtl, int slot) override {
        if (slot < 0) {
            slot = active;
        }
        if (slot >= kMtlEditorSlots) {
            return;
        }
        ReplaceReference(slot, mtl);
        if (slot == active) {
            Show();
        }
        UpdateSlotButtons();
    }

    // --- IMtlParams: the rollup panel --------------------------------------------------------
    HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                       const MCHAR* title, LPARAM param, DWORD, int category) override {
        return panel ? panel->AddPage(hInst, dlgTemplate, dlgProc, title ? title : L"", param,
                                      category)
                     : nullptr;
    }
    void DeleteRollupPage(HWND hRollup) override {
        if (panel) {
            panel->DeletePage(hRollup);
        }
    }

    // --- The window --------------------------------------------------------------------------
    HWND Open() {
        if (window) {
            return window;
        }
        RegisterCustomControls();
        RegisterWindowClass(kEditorClass, WindowProc, GetSysColorBrush(COLOR_BTNFACE));
        HWND owner = HostMainWindow();
        window = CreateWindowExW(WS_EX_TOOLWINDOW, kEditorClass, L"Material Editor",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 420, 860, owner,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window) {
            return nullptr;
        }
        for (int i = 0; i < kMtlEditorSlots; ++i) {
            int x = kSlotGap + (i % kSlotColumns) * (kSlotWidth + kSlotGap);
            int y = kSlotGap + (i / kSlotColumns) * (kSlotHeight + kSlotGap);
            slotButtons[i] = CreateWindowExW(0, L"CustButton", L"", WS_CHILD | WS_VISIBLE, x, y,
                                             kSlotWidth, kSlotHeight, window,
                                             reinterpret_cast<HMENU>(INT_PTR(kFirstSlotId + i)),
                                             GetModuleHandleW(nullptr), nullptr);
            if (ICustButton* b = GetICustButton(slotButtons[i])) {
                b->SetType(CBT_CHECK);
                b->SetDADMgr(slotManagers[i].get());
                ReleaseICustButton(b);
            }
        }
        panel = std::make_unique<RollupPanel>(window);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateSlotButtons();
        Show();
        Resize();
        return window;
    }

    void Close() {
        if (window) {
            DestroyWindow(window);  // WM_DESTROY lets go of the shown map and the pages
        }
        for (int i = 0; i < kMtlEditorSlots; ++i) {
            ReplaceReference(i, nullptr);
        }
        active = 0;
    }

    RollupPanel* Panel() { return panel.get(); }
    HWND SlotWindow(int slot) const {
        return slot >= 0 && slot < kMtlEditorSlots ? slotButtons[slot] : nullptr;
    }

protected:
    void SetReference(int i, RefTargetHandle target) override {
        if (i >= 0 && i < kMtlEditorSlots) {
            slots[i] = target;
        }
    }

private:
    friend class SampleSlotDADMgr;

    // Shows the active slot's map: the previous map's dialog goes, and with it every page.
    void Show() {
        CloseShown();
        MtlBase* mtl = GetTopMtlSlot(active);
        if (!window || !mtl) {
            return;
        }
        shownMtl = mtl;
        shown = mtl->CreateParamDlg(window, this);
        FitWidth();
    }

    void CloseShown() {
        ParamDlg* dialog = shown;
        shown = nullptr;
        shownMtl = nullptr;
        if (dialog) {
            dialog->DeleteThis();
        }
        if (panel) {
            panel->DeleteAllPages();
        }
    }

    void UpdateSlotButtons() {
        for (int i = 0; i < kMtlEditorSlots; ++i) {
            if (!slotButtons[i]) {
                continue;
            }
            std::wstring text = L"-";
            if (auto* mtl = GetTopMtlSlot(i)) {
                MSTR cls;
                mtl->GetClassName(cls);
                text = MstrView(mtl->GetName().isNull() ? cls : mtl->GetName());
            }
            SetWindowTextW(slotButtons[i], text.c_str());
            SendMessageW(slotButtons[i], BM_SETCHECK, i == active ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }

    // Wide enough for the slot grid and the widest page, so that no page is cut off.
    void FitWidth() {
        if (!window || !panel) {
            return;
        }
        RECT frame{}, client{};
        GetWindowRect(window, &frame);
        GetClientRect(window, &client);
        int gridWidth = kSlotGap + kSlotColumns * (kSlotWidth + kSlotGap);
        int wanted = std::max(gridWidth, panel->PreferredWidth());
        if (wanted > client.right) {
            int extra = (frame.right - frame.left) - client.right;
            SetWindowPos(window, nullptr, 0, 0, wanted + extra, frame.bottom - frame.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        panel->Layout();
    }

    void Resize() {
        if (!window || !panel) {
            return;
        }
        RECT client{};
        GetClientRect(window, &client);
        int top = kSlotGap + kSlotRows * (kSlotHeight + kSlotGap);
        MoveWindow(panel->Window(), 0, top, client.right, client.bottom - top, TRUE);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        MaterialEditor& self = Editor();
        switch (msg) {
            case WM_SIZE:
                if (self.window == hwnd) {
                    self.Resize();
                }
                return 0;
            case WM_COMMAND: {
                int id = LOWORD(wParam);
                if (id >= kFirstSlotId && id < kFirstSlotId + kMtlEditorSlots) {
                    self.SetActiveMtlSlot(id - kFirstSlotId, FALSE);
                }
                return 0;
            }
            case WM_DESTROY:
                if (self.window == hwnd) {
                    self.CloseShown();
                    self.panel.reset();
                    self.window = nullptr;
                    for (HWND& b : self.slotButtons) {
                        b = nullptr;
                    }
                }
                return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    ReferenceTarget* slots[kMtlEditorSlots] = {};
    std::unique_ptr<SampleSlotDADMgr> slotManagers[kMtlEditorSlots];
    HWND slotButtons[kMtlEditorSlots] = {};
    int active = 0;
    HWND window = nullptr;
    std::unique_ptr<RollupPanel> panel;
    ParamDlg* shown = nullptr;
    MtlBase* shownMtl = nullptr;
};

MaterialEditor& Editor() {
    // Never destroyed: maps keep the editor as their IMtlParams for as long as they live.
    static MaterialEditor* editor = new MaterialEditor();
    return *editor;
}

SClass_ID SampleSlotDADMgr::GetDragType(HWND, POINT) {
    return Editor().GetTopMtlSlot(slot) ? TEXMAP_CLASS_ID : 0;
}
ReferenceTarget* SampleSlotDADMgr::GetInstance(HWND, POINT, SClass_ID) {
    return Editor().GetTopMtlSlot(slot);
}
void SampleSlotDADMgr::Drop(ReferenceTarget* dropThis, HWND, POINT, SClass_ID type, DADMgr*, BOOL) {
    if (dropThis && type == TEXMAP_CLASS_ID) {
        Editor().PutMtl(static_cast<MtlBase*>(dropThis), slot);
    }
}

}  // namespace

HWND OpenMaterialEditor() {
    return Editor().Open();
}
void CloseMaterialEditor() {
    Editor().Close();
}
std::vector<HWND> RollupPages() {
    RollupPanel* panel = Editor().Panel();
    return panel ? panel->Pages() : std::vector<HWND>();
}
std::wstring RollupPageTitle(HWND page) {
    RollupPanel* panel = Editor().Panel();
    std::wstring title = panel ? panel->Title(page) : std::wstring();
    return std::wstring(title.begin(), title.end());
}
void SetRollupPageOpen(HWND page, bool open) {
    if (RollupPanel* panel = Editor().Panel()) {
        panel->SetOpen(page, open);
    }
}
HWND SampleSlotWindow(int slot) {
    return Editor().SlotWindow(slot);
}

}  // namespace standalone::win

namespace standalone {

MaterialEditorHost* HostMaterialEditor() {
    return &win::Editor();
}

}  // namespace standalone
