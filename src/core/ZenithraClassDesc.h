#pragma once
// The plug-in's class descriptors and module handle.

#include <iparamb2.h>
#include <iparamm2.h>

#include <cstdint>

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
/// The host's current time; 0 without a core interface.
TimeValue CurrentTime();
/// The slot block's parameters that its definition declares animatable, one bit per ParamID.
extern const uint64_t kAnimatableSlotParams;
/// The time at which the slot block's parameter `id` is read and written: t for what the
/// block's definition declares animatable, 0 for the rest (the slot count, exposure, hue).
inline TimeValue SlotTableTime(ParamID id, TimeValue t) {
    return id < 64 && ((kAnimatableSlotParams >> id) & 1u) != 0 ? t : 0;
}
