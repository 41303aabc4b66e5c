#include "RenderJob.h"

#include "ImageFiles.h"

#include "LatLongRender.h"
#include "ProceduralSky.h"
#include "StandaloneHost.h"
#include "loader/PluginLibrary.h"

#include <algorithm>
#include <filesystem>

namespace {

// Parameter ids of the map's block, as scripts know them by name.
ParamID FindParam(IParamBlock2& block, const char16_t* name) {
    for (int i = 0; i < block.NumParams(); ++i) {
        ParamID id = block.IndextoID(i);
        const ParamDef* def = block.GetParamDef(id);
        if (def && MSTR(def->int_name) == name) {
            return id;
        }
    }
    return -1;
}

struct Look {
    float exposure, contrast, saturation, hue, sunExposure, sunSpotSize, sunSpotHeight;
    Point4 tint, sunTint;
};

// A spread of looks that shows every adjustment at work; slots beyond the list repeat it.
constexpr Look kLooks[] = {
    {0.0f, 100.0f, 100.0f, 0.0f, 0.0f, 0.0f, 45.0f, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {1.0f, 120.0f, 110.0f, 0.0f, 4.0f, 5.0f, 30.0f, {1.0f, 0.9f, 0.8f, 1}, {1, 0.8f, 0.6f, 1}},
    {-1.0f, 90.0f, 0.0f, 0.0f, 0.0f, 0.0f, 45.0f, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {0.0f, 100.0f, 130.0f, 0.3f, 2.0f, 10.0f, 60.0f, {0.9f, 1.0f, 1.1f, 1}, {0.8f, 0.9f, 1, 1}},
};

}  // namespace

RenderJobResult RunRenderJob(const RenderJobOptions& options) {
    RenderJobResult result;
    PluginLibrary lib;
    if (!LoadPluginLibrary(u"", lib, &result.error)) {
        return result;
    }
    ClassDesc2* mapDesc = lib.LibClassDesc(0);
    auto* map = mapDesc ? static_cast<Texmap*>(mapDesc->Create(FALSE)) : nullptr;
    IParamBlock2* block = map ? map->GetParamBlock(0) : nullptr;
    if (!block) {
        result.error = "the plug-in did not create a Zenithra map";
        return result;
    }
    standalone::SceneRoot scene;
    scene.Add(map);
    map->SetName(u"Zenithra Sky");
    map->SetSubTexmap(0, standalone::CreateProceduralSky());

    int slots = std::clamp(options.slotCount, 1, 16);
    block->SetValue(FindParam(*block, u"slotCount"), 0, slots);
    const char16_t* floatNames[] = {u"slotExposure",     u"slotContrast",    u"slotSaturation",
                                    u"slotHue",          u"slotSunExposure", u"slotSunSpotSize",
                                    u"slotSunSpotHeight"};
    for (const char16_t* name : floatNames) {
        block->SetCount(FindParam(*block, name), slots);
    }
    block->SetCount(FindParam(*block, u"slotTint"), slots);
    block->SetCount(FindParam(*block, u"slotSunTint"), slots);
    block->SetCount(FindParam(*block, u"slotBrightPix"), slots);
    for (int s = 0; s < slots; ++s) {
        const Look& look = kLooks[size_t(s) % std::size(kLooks)];
        const float values[] = {look.exposure,    look.contrast,    look.saturation,   look.hue,
                                look.sunExposure, look.sunSpotSize, look.sunSpotHeight};
        for (size_t i = 0; i < std::size(floatNames); ++i) {
            block->SetValue(FindParam(*block, floatNames[i]), 0, values[i], s);
        }
        block->SetValue(FindParam(*block, u"slotTint"), 0, look.tint, s);
        block->SetValue(FindParam(*block, u"slotSunTint"), 0, look.sunTint, s);
    }

    std::error_code ec;
    std::filesystem::create_directories(options.outputFolder, ec);
    for (int s = 0; s < slots; ++s) {
        // Every slot through its own proxy, as the scene uses it.
        Texmap* proxy = map->GetSubTexmap(s + 1);
        if (!proxy) {
            result.error = "slot " + std::to_string(s + 1) + " has no output map";
            return result;
        }
        standalone::LatLongImage image =
            standalone::RenderLatLong(*proxy, options.width, options.height, 0, options.threads);
        std::string stem =
            options.outputFolder + "/slot" + (s + 1 < 10 ? "0" : "") + std::to_string(s + 1);
        for (const std::string& file : {stem + ".exr", stem + ".png"}) {
            if (!WriteImageFile(file, image, &result.error)) {
                return result;
            }
            result.written.push_back(file);
        }
    }
    result.ok = true;
    return result;
}
