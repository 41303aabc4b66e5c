#pragma once
// The plug-in as the host sees it: loaded once per test program, reached through its exports.

#include "loader/PluginLibrary.h"

/// The loaded library; the test fails at once when it cannot be loaded.
PluginLibrary& LoadedPlugin();

/// A new object of the plug-in's class i, created through its descriptor.
Texmap* CreatePluginMap(int classIndex);
