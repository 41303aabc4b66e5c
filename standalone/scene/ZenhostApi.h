#pragma once
// Linkage of the stand-in host's own services (those beyond the host's SDK) that programs and
// tests use: exported from zenhost.dll on Win64 and imported by its users; the native build
// links the host statically.

#if defined(_WIN32)
#if defined(ZENHOST_BUILDING)
#define ZENHOST_API __declspec(dllexport)
#else
#define ZENHOST_API __declspec(dllimport)
#endif
#else
#define ZENHOST_API
#endif
