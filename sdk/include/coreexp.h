#pragma once
// Linkage of the host's services. The host exports its classes and functions from its own
// libraries and a plug-in imports them; in the stand-in they all live in the host's DLL
// (zenhost.dll), and the native build links them statically.

#if defined(_WIN32)
#if defined(ZENHOST_BUILDING)
#define CoreExport __declspec(dllexport)
#else
#define CoreExport __declspec(dllimport)
#endif
#else
#define CoreExport
#endif

#define UtilExport CoreExport
#define GEOMEXPORT CoreExport
#define PB2Export CoreExport
#define ScripterExport CoreExport
#define AssetMgmntExport CoreExport
