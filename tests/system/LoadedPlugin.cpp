#include "LoadedPlugin.h"

#include <gtest/gtest.h>

PluginLibrary& LoadedPlugin() {
    static PluginLibrary lib;
    static bool loaded = [] {
        std::string error;
        bool ok = LoadPluginLibrary(u"", lib, &error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }();
    if (!loaded) {
        ADD_FAILURE() << "the plug-in library is not loaded";
    }
    return lib;
}

Texmap* CreatePluginMap(int classIndex) {
    ClassDesc2* cd = LoadedPlugin().LibClassDesc(classIndex);
    return cd ? static_cast<Texmap*>(cd->Create(FALSE)) : nullptr;
}
