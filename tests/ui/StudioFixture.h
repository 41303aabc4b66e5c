#pragma once
// What every user-interface test starts from: a map in a scene, the studio's main window, and a
// scratch folder on C: that also holds the settings file, so that no run sees what an earlier one
// left (the History window's placement, preview sizes).

#include <custcont.h>
#include <imtl.h>

#include "core/ZenithraClassDesc.h"
#include "source/SourceFile.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"
#include "support/WindowDrive.h"
#include "ui/HistoryWindow.h"

#include "HostWindows.h"

#include <gtest/gtest.h>

namespace uidrive {

class StudioTest : public testsupport::MapFixture {
protected:
    void SetUp() override {
        SetModuleInstance(GetModuleHandleW(nullptr));
        standalone::win::OpenMainWindow();
        platform::CreateDirectories(drive.ScratchFolder());
        SetEnvironmentVariableW(L"LOCALAPPDATA", drive.ScratchFolder().c_str());
        SetAlt(false);
    }
    void TearDown() override {
        standalone::win::CloseFrameBuffer();
        standalone::win::SetEnvironmentMap(nullptr);
        SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
        SetAlt(false);
        DestroyWindow(FindHistoryWindow(map));
        standalone::win::CloseMaterialEditor();
        standalone::RemoveAllNodes();
    }
    /// An HDR file of the scratch folder holding `image`.
    std::wstring Hdr(const wchar_t* name,
                     const testsupport::TestImage& image = testsupport::UniformImage(8, 4, .5f, .5f,
                                                                                     .5f)) {
        std::wstring path = drive.ScratchFolder() + L"\\" + name;
        EXPECT_TRUE(testsupport::WriteHdrFile(path, image));
        return path;
    }
    /// `source`, named `name` and showing `file`, becomes the map's source map.
    Texmap* Source(Texmap* source, const std::wstring& file, const wchar_t* name = L"") {
        source->SetName(name);
        SetTexmapFilePath(source, file.c_str());
        map->ReplaceReference(1, source);
        return source;
    }
    void Show(MtlBase* shown, int slot = 0) { GetCOREInterface()->PutMtlToMtlEditor(shown, slot); }
    /// The material editor's rollup page i (0 the main rollup, then one per slot) and its items.
    HWND Page(int i) { return standalone::win::RollupPages().at(size_t(i)); }
    HWND Item(int page, int id) { return GetDlgItem(Page(page), id); }
    /// What a spinner shows; a value shown in it without a notice, as the rollups load values.
    static float Shown(HWND spinner) {
        ISpinnerControl* control = GetISpinner(spinner);
        const float value = control->GetFVal();
        ReleaseISpinner(control);
        return value;
    }
    static void SetShown(HWND spinner, float value) {
        ISpinnerControl* control = GetISpinner(spinner);
        control->SetValue(value, FALSE);
        ReleaseISpinner(control);
    }

    testsupport::ScopedTestDrive drive;
};

}  // namespace uidrive
