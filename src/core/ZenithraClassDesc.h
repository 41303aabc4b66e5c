#pragma once
// The plug-in's class descriptors and module handle.

#include <iparamb2.h>
#include <iparamm2.h>

/// The descriptor of the Zenithra map; owns the block "zenithraParams".
ClassDesc2* GetZenithraDesc();
/// The descriptor of the output proxy map (not public).
ClassDesc2* GetZenithraProxyDesc();
/// The module instance handle stored when the library was attached (null natively).
HINSTANCE GetModuleInstance();
void SetModuleInstance(HINSTANCE instance);
/// The one user dialog procedure of every main rollup (shared, never deleted); null in a build
/// without user interface.
ParamMap2UserDlgProc* GetZenithraMainDlgProc();
