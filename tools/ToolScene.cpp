#include "ToolScene.h"

#include "maps/BitmapMap.h"
#include "maps/HdrSourceMap.h"
#include "maps/ProceduralSky.h"
#include "maps/VRayBitmapMap.h"
#include "loader/PluginLibrary.h"

#include "core/ZenithraIds.h"

#include "platform/Platform.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace {

// The plug-in is loaded once and stays until the process ends, as in the host.
ClassDesc2* ZenithraDesc(std::string* error) {
    static PluginLibrary lib;
    static std::string loadError;
    static bool loaded = LoadPluginLibrary(L"", lib, &loadError);
    ClassDesc2* desc = loaded ? lib.LibClassDesc(0) : nullptr;
    if (!desc) {
        *error = "cannot load the plug-in: " +
                 (loadError.empty() ? std::string("it has no map class") : loadError);
    }
    return desc;
}

// The parameter that names the image file of the host's image maps; -1 for other maps.
ParamID FileNameParam(Texmap& source) {
    if (source.ClassID() == standalone::kBitmapMapClassID) {
        return standalone::kBitmapFileName;
    }
    if (source.ClassID() == standalone::kVRayBitmapMapClassID) {
        return standalone::kVRayHdriMapName;
    }
    return -1;
}

}  // namespace

std::wstring HostPathOf(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    return platform::WindowsPathOf(ec ? file : absolute);
}

bool ToolScene::Build(const SceneSetup& setup, std::string* error) {
    if (!setup.sourceFile.empty() && !ProbeSourceImage(setup.sourceFile, sourceInfo, error)) {
        return false;
    }
    ClassDesc2* desc = ZenithraDesc(error);
    if (!desc) {
        return false;
    }
    map = static_cast<Texmap*>(desc->Create(FALSE));
    IParamBlock2* block = map ? map->GetParamBlock(0) : nullptr;
    if (!block) {
        *error = "the plug-in did not create a Zenithra map";
        return false;
    }
    root.Add(map);

    // Slot count and values through the block, as a script sets them. Tables grow with their
    // parameters' defaults: a slot not set is neutral.
    int slots = std::clamp(setup.slotCount, 1, kMaxSlots);
    const ParamDef* slotCount = FindBlockParam(*block, L"slotCount");
    if (!slotCount) {
        *error = "the map's block has no slotCount";
        return false;
    }
    block->SetValue(slotCount->ID, 0, slots);
    for (int i = 0; i < block->NumParams(); ++i) {
        ParamID id = block->IndextoID(i);
        if (is_tab(block->GetParamDef(id).type)) {
            block->SetCount(id, slots);
        }
    }
    if (!ApplySlotAssignments(*block, slots, setup.assignments, error)) {
        setupRefused = true;
        return false;
    }

    Texmap* source = nullptr;
    if (setup.sourceFile.empty()) {
        source = standalone::CreateProceduralSky();
    } else {
        source = setup.sourceKind == SourceKind::VRayBitmap ? standalone::CreateVRayBitmapMap()
                                                            : standalone::CreateBitmapMap();
    }
    // The file is named once the source is in place, so that it is read once: putting a source
    // into the map reloads it.
    map->SetSubTexmap(0, source);
    if (!setup.sourceFile.empty()) {
        source->GetParamBlock(0)->SetValue(FileNameParam(*source), 0,
                                           HostPathOf(setup.sourceFile).c_str());
    }
    return CheckSource(error);
}

bool ToolScene::Load(const std::filesystem::path& file, std::string* error) {
    ClassDesc2* desc = ZenithraDesc(error);
    if (!desc) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = file.string() + ": cannot open the scene file";
        return false;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    std::string reason;
    if (!standalone::LoadSceneFromBytes(bytes, root, &reason)) {
        *error = file.string() + ": " + reason;
        return false;
    }
    for (int i = 0; i < root.Count() && !map; ++i) {
        auto* candidate = dynamic_cast<Texmap*>(root.Get(i));
        if (candidate && candidate->ClassID() == desc->ClassID()) {
            map = candidate;
        }
    }
    if (!map || !map->GetParamBlock(0)) {
        *error = file.string() + ": the scene holds no Zenithra map";
        return false;
    }
    return CheckSource(error);
}

bool ToolScene::CheckSource(std::string* error) {
    Texmap* source = map->GetSubTexmap(0);
    if (!source) {
        *error = "the map has no source map";
        return false;
    }
    ParamID fileParam = FileNameParam(*source);
    if (fileParam < 0) {
        return true;  // a procedural source has no file to check
    }
    const MCHAR* storedPath = L"";
    Interval valid = FOREVER;
    source->GetParamBlock(0)->GetValue(fileParam, 0, storedPath, valid);
    std::wstring hostPath = storedPath ? storedPath : L"";
    sourceFile = platform::NativeFilePath(hostPath);
    if (sourceFile.empty()) {
        *error = "the source map names no image file";
        return false;
    }
    if (!ProbeSourceImage(sourceFile, sourceInfo, error)) {
        return false;
    }
    // The header was fine; the pixels may still not be. Only then is the file read again, by the
    // map's own reader, for the reason.
    auto* imageMap = dynamic_cast<standalone::HdrSourceMap*>(source);
    if (imageMap && !imageMap->HasImage()) {
        standalone::HdrImage ignored;
        std::string reason = "unknown error";
        standalone::LoadHdrImage(hostPath, ignored, &reason);
        *error = sourceFile.string() + ": cannot read the image: " + reason;
        return false;
    }
    return true;
}

bool ToolScene::Save(const std::filesystem::path& file, std::string* error) {
    std::vector<unsigned char> bytes = standalone::SaveSceneToBytes(root);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        *error = "cannot write the scene file";
    }
    return bool(out);
}

int ToolScene::SlotCount() {
    return map ? map->NumSubTexmaps() - 1 : 0;
}

Texmap* ToolScene::SlotOutput(int slot) {
    return map && slot >= 0 && slot < SlotCount() ? map->GetSubTexmap(slot + 1) : nullptr;
}

std::string ToolScene::SlotDetails(int slot) {
    std::string values = map && slot >= 0 && slot < SlotCount()
                             ? SlotValuesText(*map->GetParamBlock(0), slot)
                             : std::string();
    return values.empty() ? "neutral" : values;
}

std::string ToolScene::SlotName(int slot) {
    return map ? platform::WideToUtf8(map->GetSubTexmapSlotName(slot + 1, true).data())
               : std::string();
}
