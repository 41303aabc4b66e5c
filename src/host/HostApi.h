#pragma once
// Linkage of the host's services. In the Win64 build the host's free functions and base-class
// members live in the host's DLL and the plug-in imports them, as a real plug-in imports them
// from its host; the native build links everything statically.

#if defined(_WIN32) && !defined(ZENITHRA_STATIC_HOST)
#if defined(ZENHOST_BUILDING)
#define HOST_API __declspec(dllexport)
#else
#define HOST_API __declspec(dllimport)
#endif
#else
#define HOST_API
#endif
