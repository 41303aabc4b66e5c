// The library as the host loads it: its seven exports and its two class descriptors.

#include "LoadedPlugin.h"

#include "scene/StandaloneHost.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#undef GetClassName  // the Win32 macro would rename the host's Animatable::GetClassName
#endif

namespace {

struct ExpectedClass {
    const char16_t* name;
    Class_ID id;
    int isPublic;
};

TEST(Exports, AnswerAsTheHostExpectsAndDescribeTheTwoMapClasses) {
    PluginLibrary& lib = LoadedPlugin();
    ASSERT_NE(lib.LibDescription, nullptr);
    EXPECT_EQ(MSTR(lib.LibDescription()), u"Zenithra");
    EXPECT_EQ(lib.LibNumberClasses(), 2);
    EXPECT_EQ(lib.LibVersion(), 0x69784200u);
    EXPECT_EQ(lib.LibInitialize(), TRUE);
    EXPECT_EQ(lib.LibShutdown(), TRUE);
    EXPECT_EQ(lib.CanAutoDefer(), ULONG(TRUE));
    EXPECT_EQ(lib.LibClassDesc(2), nullptr);
    EXPECT_EQ(lib.LibClassDesc(-1), nullptr);

    // The two class descriptors.
    const ExpectedClass expected[] = {
        {u"Zenithra", Class_ID(0x3A131461, 0x7AD0204C), TRUE},
        {u"ZenithraProxy", Class_ID(0x4D4E3AA1, 0x19FFB205), FALSE},
    };
    for (int i = 0; i < 2; ++i) {
        ClassDesc2* cd = lib.LibClassDesc(i);
        ASSERT_NE(cd, nullptr);
        EXPECT_EQ(MSTR(cd->ClassName()), expected[i].name);
        EXPECT_EQ(MSTR(cd->NonLocalizedClassName()), expected[i].name);
        EXPECT_EQ(MSTR(cd->InternalName()), expected[i].name);
        EXPECT_EQ(cd->SuperClassID(), TEXMAP_CLASS_ID);
        EXPECT_EQ(cd->ClassID(), expected[i].id);
        EXPECT_EQ(cd->IsPublic(), expected[i].isPublic);
        EXPECT_EQ(MSTR(cd->Category()), MSTR(TEXMAP_CAT_ENV));
        EXPECT_EQ(cd->HInstance(), lib.module);
        // Scene loading finds both classes through the host's directory.
        EXPECT_EQ(standalone::FindClassDesc(TEXMAP_CLASS_ID, expected[i].id), cd);
    }
#if defined(_WIN32)
    // The string table holds the class names.
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(reinterpret_cast<HMODULE>(lib.module), 100, text, 64), 0);
    EXPECT_STREQ(text, L"Zenithra");
    ASSERT_GT(LoadStringW(reinterpret_cast<HMODULE>(lib.module), 101, text, 64), 0);
    EXPECT_STREQ(text, L"ZenithraProxy");
#endif
}

TEST(Exports, MapsHaveTheirBlockAtOnceAndProxiesComeUnlinked) {
    standalone::SceneRoot scene;
    Texmap* map = CreatePluginMap(0);
    ASSERT_NE(map, nullptr);
    scene.Add(map);
    EXPECT_EQ(map->ClassID(), Class_ID(0x3A131461, 0x7AD0204C));
    IParamBlock2* block = map->GetParamBlock(0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetDesc()->int_name, u"zenithraParams");
    EXPECT_EQ(block->ID(), 0);
    EXPECT_EQ(map->GetParamBlockByID(0), block);
    EXPECT_EQ(map->NumRefs(), 18);
    EXPECT_EQ(map->GetReference(0), block);
    EXPECT_EQ(map->NumSubTexmaps(), 2);

    // The parameters scripts know, in the block's index order.
    const char16_t* names[] = {
        u"slotCount",     u"slotExposure",    u"slotContrast",    u"slotSaturation",
        u"slotBrightPix", u"slotSunExposure", u"slotSunSpotSize", u"slotSunSpotHeight",
        u"slotTint",      u"slotSunTint",     u"slotHue"};
    const ParamID ids[] = {0, 1, 2, 3, 4, 5, 9, 10, 6, 7, 8};
    ASSERT_EQ(block->NumParams(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(block->IndextoID(i), ids[i]);
        EXPECT_EQ(MSTR(block->GetParamDef(ids[i])->int_name), names[i]);
    }

    // A proxy comes unlinked.
    Texmap* proxy = CreatePluginMap(1);
    ASSERT_NE(proxy, nullptr);
    scene.Add(proxy);
    EXPECT_EQ(proxy->ClassID(), Class_ID(0x4D4E3AA1, 0x19FFB205));
    EXPECT_TRUE(proxy->Validity(0).Empty());
}

}  // namespace
