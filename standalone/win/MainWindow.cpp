// The host's main window: the scene's environment map, which the frame buffer renders, and a
// dome light's texture, each on a custom button that takes a map dropped on it and hands it
// out again; buttons that open the material editor and the frame buffer; the time slider over
// the scene's frames and the animate-mode switch.

#include <GetCOREInterface.h>
#include <custcont.h>
#include <imtl.h>
#include <maxapi.h>
#include <plugapi.h>

#include "FrameBufferWin32.h"
#include "HostWindows.h"
#include "WindowClass.h"
#include "scene/HostWindowsLink.h"
#include "scene/StandaloneHost.h"

#include "core/HostObjects.h"
#include "core/HostStrings.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace standalone::win {

namespace {

const wchar_t* const kMainClass = L"HostMainWindow";
constexpr int kEditorButtonId = 2003;
constexpr int kFrameBufferButtonId = 2004;
constexpr int kTimeSliderId = 2005;
constexpr int kFrameLabelId = 2006;
constexpr int kAnimateId = 2007;
constexpr int kLastFrame = 100;
constexpr int kEnvironmentRef = 0;
constexpr int kDomeLightRef = 1;

/// The scene's two map assignments, held as references so that the maps live while assigned.
class SceneMaps : public ReferenceMaker, public TimeChangeCallback {
public:
    // The slider follows the scene time however it was changed.
    void TimeChanged(TimeValue t) override { ShowTime(t); }
    void ShowTime(TimeValue t) {
        if (!window) {
            return;
        }
        int frame = t / GetTicksPerFrame();
        SendDlgItemMessageW(window, kTimeSliderId, TBM_SETPOS, TRUE, frame);
        SetDlgItemTextW(window, kFrameLabelId, (L"Frame " + std::to_wstring(frame)).c_str());
        CheckDlgButton(window, kAnimateId, Animating() ? BST_CHECKED : BST_UNCHECKED);
        ShowView();
    }
    void ShowView() {
        Interface* core = GetCOREInterface();
        INode* camera = core ? core->GetActiveViewExp().GetViewCamera() : nullptr;
        std::wstring name = FrameBufferSpheres() ? L"Spheres"
                            : camera             ? camera->GetName()
                                                 : L"Perspective";
        SetDlgItemTextW(window, kViewButtonId,
                        (L"View: " + std::wstring(name.begin(), name.end())).c_str());
    }
    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return 2; }
    RefTargetHandle GetReference(int i) override {
        return i >= 0 && i < 2 ? static_cast<ReferenceTarget*>(maps[i]) : nullptr;
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        UpdateButtons();
        return REF_SUCCEED;
    }
    Texmap* Get(int which) const { return maps[which]; }
    void Set(int which, Texmap* map) {
        ReplaceReference(which, map);
        if (which == kEnvironmentRef) {
            SetFrameBufferMap(map);
        }
        UpdateButtons();
    }
    void UpdateButtons();

    HWND window = nullptr;

protected:
    void SetReference(int i, RefTargetHandle target) override {
        if (i >= 0 && i < 2) {
            maps[i] = AsTexmap(target);
        }
    }

private:
    Texmap* maps[2] = {};
};

SceneMaps& Scene() {
    // Never destroyed: it may hold maps until the process ends.
    static SceneMaps* scene = new SceneMaps();
    return *scene;
}

std::wstring Describe(const wchar_t* label, Texmap* map) {
    std::wstring text = label;
    if (!map) {
        return text + L"None";
    }
    MSTR cls;
    map->GetClassName(cls);
    const MSTR& name = map->GetName();
    text += MstrView(name);
    if (!name.isNull()) {
        text += L" ";
    }
    return text + L"(" + std::wstring(MstrView(cls)) + L")";
}

void SceneMaps::UpdateButtons() {
    if (!window) {
        return;
    }
    SetDlgItemTextW(window, kEnvironmentButtonId, Describe(L"Environment: ", maps[0]).c_str());
    SetDlgItemTextW(window, kDomeLightButtonId, Describe(L"Dome light: ", maps[1]).c_str());
}

/// A map button of the scene: hands out its map and takes any map dropped on it.
class SceneMapDADMgr : public DADMgr {
public:
    explicit SceneMapDADMgr(int which) : which(which) {}
    SClass_ID GetDragType(HWND, POINT) override { return Scene().Get(which) ? TEXMAP_CLASS_ID : 0; }
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND, HWND, POINT, SClass_ID type, BOOL) override {
        return AsTexmap(dropThis) && type == TEXMAP_CLASS_ID;
    }
    ReferenceTarget* GetInstance(HWND, POINT, SClass_ID) override { return Scene().Get(which); }
    void Drop(ReferenceTarget* dropThis, HWND, POINT, SClass_ID type, DADMgr*, BOOL) override {
        if (type == TEXMAP_CLASS_ID && AsTexmap(dropThis)) {
            Scene().Set(which, AsTexmap(dropThis));
        }
    }

private:
    int which;
};

SceneMapDADMgr environmentDad(kEnvironmentRef);
SceneMapDADMgr domeLightDad(kDomeLightRef);

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kEnvironmentButtonId:
                case kDomeLightButtonId:
                    // A click shows the assigned map in the material editor.
                    if (Texmap* map =
                            Scene().Get(LOWORD(wParam) == kEnvironmentButtonId ? kEnvironmentRef
                                                                               : kDomeLightRef)) {
                        OpenMaterialEditor();
                        GetCOREInterface()->PutMtlToMtlEditor(map, -1);
                    }
                    return 0;
                case kEditorButtonId:
                    OpenMaterialEditor();
                    return 0;
                case kFrameBufferButtonId:
                    OpenFrameBuffer();
                    return 0;
                case kViewButtonId:
                    // The viewport looks through the next camera of the scene, then the frame
                    // buffer shows the spheres, then the viewport looks through none.
                    if (FrameBufferSpheres()) {
                        SetFrameBufferSpheres(false);
                        Scene().ShowView();
                    } else if (Interface* core = GetCOREInterface()) {
                        std::vector<INode*> cameras = standalone::SceneNodes();
                        INode* current = core->GetActiveViewExp().GetViewCamera();
                        auto it = std::find(cameras.begin(), cameras.end(), current);
                        INode* next =
                            current == nullptr
                                ? (cameras.empty() ? nullptr : cameras.front())
                                : (it == cameras.end() || it + 1 == cameras.end() ? nullptr
                                                                                  : *(it + 1));
                        core->GetActiveViewExp().SetViewCamera(next);
                        SetFrameBufferSpheres(next == nullptr);
                        Scene().ShowView();
                    }
                    return 0;
                case kAnimateId:
                    if (IsDlgButtonChecked(hwnd, kAnimateId) == BST_CHECKED) {
                        AnimateOn();
                    } else {
                        AnimateOff();
                    }
                    return 0;
            }
            break;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd, kTimeSliderId)) {
                int frame = int(SendDlgItemMessageW(hwnd, kTimeSliderId, TBM_GETPOS, 0, 0));
                if (Interface* core = GetCOREInterface()) {
                    core->SetTime(frame * GetTicksPerFrame());
                }
            }
            return 0;
        case WM_DESTROY:
            if (Scene().window == hwnd) {
                Scene().window = nullptr;
                if (Interface* core = GetCOREInterface()) {
                    core->UnRegisterTimeChangeCallback(&Scene());
                }
            }
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND AddButton(HWND parent, const wchar_t* cls, const wchar_t* text, int id, int x, int y, int w,
               int h) {
    HWND b =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return b;
}

}  // namespace

HWND OpenMainWindow() {
    SceneMaps& scene = Scene();
    if (scene.window) {
        return scene.window;
    }
    RegisterCustomControls();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterWindowClass(kMainClass, MainProc, GetSysColorBrush(COLOR_BTNFACE));
    scene.window = CreateWindowExW(
        0, kMainClass, L"Zenithra Studio", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
        520, 340, 560, 190, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!scene.window) {
        return nullptr;
    }
    HWND env = AddButton(scene.window, L"CustButton", L"", kEnvironmentButtonId, 10, 10, 520, 24);
    HWND dome = AddButton(scene.window, L"CustButton", L"", kDomeLightButtonId, 10, 40, 520, 24);
    AddButton(scene.window, L"BUTTON", L"Material Editor", kEditorButtonId, 10, 76, 150, 24);
    AddButton(scene.window, L"BUTTON", L"Frame Buffer", kFrameBufferButtonId, 170, 76, 150, 24);
    HWND slider = AddButton(scene.window, TRACKBAR_CLASSW, L"", kTimeSliderId, 10, 110, 380, 28);
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kLastFrame));
    // A tick every ten frames needs the automatic-ticks style, which a plain child lacks.
    SetWindowLongPtrW(slider, GWL_STYLE, GetWindowLongPtrW(slider, GWL_STYLE) | TBS_AUTOTICKS);
    SendMessageW(slider, TBM_SETTICFREQ, 10, 0);
    AddButton(scene.window, L"STATIC", L"", kFrameLabelId, 400, 116, 60, 20);
    HWND animate = AddButton(scene.window, L"BUTTON", L"Auto Key", kAnimateId, 460, 112, 80, 24);
    AddButton(scene.window, L"BUTTON", L"", kViewButtonId, 330, 76, 200, 24);
    SetWindowLongPtrW(animate, GWL_STYLE, GetWindowLongPtrW(animate, GWL_STYLE) | BS_AUTOCHECKBOX);
    if (Interface* core = GetCOREInterface()) {
        core->RegisterTimeChangeCallback(&scene);
        scene.ShowTime(core->GetTime());
    }
    for (auto [button, dad] : {std::pair{env, &environmentDad}, std::pair{dome, &domeLightDad}}) {
        if (ICustButton* b = GetICustButton(button)) {
            b->SetDADMgr(dad);
            ReleaseICustButton(b);
        }
    }
    scene.UpdateButtons();
    ShowWindow(scene.window, SW_SHOWNOACTIVATE);
    return scene.window;
}

void CloseMainWindow() {
    CloseFrameBuffer();
    CloseMaterialEditor();
    SetFrameBufferMap(nullptr);
    Scene().Set(kEnvironmentRef, nullptr);
    Scene().Set(kDomeLightRef, nullptr);
    if (Scene().window) {
        DestroyWindow(Scene().window);
    }
}

Texmap* GetEnvironmentMap() {
    return Scene().Get(kEnvironmentRef);
}
void SetEnvironmentMap(Texmap* map) {
    Scene().Set(kEnvironmentRef, map);
}
Texmap* GetDomeLightMap() {
    return Scene().Get(kDomeLightRef);
}
void SetDomeLightMap(Texmap* map) {
    Scene().Set(kDomeLightRef, map);
}

}  // namespace standalone::win

namespace standalone {

HWND HostMainWindow() {
    return win::Scene().window;
}

}  // namespace standalone
