// zenithra-studio: the standalone host as a person uses it. It loads the plug-in, opens the
// HDR/EXR image named on the command line (or the built-in sky) in a Zenithra map over a
// Bitmap source, makes that map the scene's environment, and opens the main window, the
// material editor with the map in its first sample slot, and the frame buffer.

#include <GetCOREInterface.h>
#include <maxapi.h>

#include "maps/BitmapMap.h"
#include "win/HostWindows.h"
#include "maps/ProceduralSky.h"
#include "scene/StandaloneHost.h"
#include "loader/PluginLibrary.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

// The plug-in's first class is the Zenithra map.
constexpr int kZenithraClassIndex = 0;

int Fail(const std::string& message) {
    std::wstring text(message.begin(), message.end());
    MessageBoxW(nullptr, text.c_str(), L"Zenithra Studio", MB_OK | MB_ICONERROR);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    // zenithra-studio [IMAGE] [--camera] [--screenshot PNG]: --camera starts with the viewport
    // looking through the scene's camera; with --screenshot, the program writes what the screen
    // shows once the first frame is rendered, and ends.
    std::wstring imagePath;
    std::wstring screenshotPath;
    bool throughCamera = false;
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--screenshot" && i + 1 < argc) {
            std::wstring file = argv[++i];
            screenshotPath.assign(file.begin(), file.end());
        } else if (arg == L"--camera") {
            throughCamera = true;
        } else {
            imagePath = standalone::win::CommandLinePath(arg);
        }
    }
    LocalFree(argv);

    PluginLibrary plugin;
    std::string error;
    if (!LoadPluginLibrary(L"", plugin, &error)) {
        return Fail("The plug-in could not be loaded: " + error);
    }
    ClassDesc2* desc = plugin.LibClassDesc(kZenithraClassIndex);
    auto* map = desc ? static_cast<Texmap*>(desc->Create(FALSE)) : nullptr;
    if (!map) {
        return Fail("The plug-in made no Zenithra map.");
    }
    Texmap* source = nullptr;
    if (imagePath.empty()) {
        source = standalone::CreateProceduralSky();
    } else {
        source = standalone::CreateBitmapMap();
        source->GetParamBlock(0)->SetValue(standalone::kBitmapFileName, 0, imagePath.c_str());
    }
    standalone::SceneRoot scene;
    scene.Add(map);
    map->SetSubTexmap(0, source);

    // A camera looking at the horizon, turned a quarter round from the world's -Y; the
    // viewport starts as a perspective view.
    Matrix3 cameraTM;
    cameraTM.SetRow(0, {0, -1, 0});
    cameraTM.SetRow(1, {0, 0, 1});
    cameraTM.SetRow(2, {-1, 0, 0});
    INode* camera = standalone::CreateNode(L"Camera01", cameraTM);
    if (throughCamera) {
        GetCOREInterface()->GetActiveViewExp().SetViewCamera(camera);
    }

    standalone::win::OpenMainWindow();
    standalone::win::SetEnvironmentMap(map);
    standalone::win::OpenFrameBuffer();
    standalone::win::OpenMaterialEditor();
    GetCOREInterface()->PutMtlToMtlEditor(map, 0);

    if (!screenshotPath.empty()) {
        standalone::win::WaitForFrameBuffer(60000);
        bool saved = standalone::win::SaveWindowPng(nullptr, screenshotPath);
        standalone::win::CloseMainWindow();
        return saved ? 0 : 1;
    }
    MSG msg;
    while (IsWindow(GetCOREInterface()->GetMAXHWnd()) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    standalone::win::CloseMainWindow();
    return 0;
}
