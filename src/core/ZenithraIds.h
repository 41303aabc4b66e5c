#pragma once
// Identities of the plug-in's classes, block and parameters.

#include <iparamb2.h>

inline constexpr Class_ID ZENITHRA_CLASS_ID(0x3A131461, 0x7AD0204C);
inline constexpr Class_ID ZENITHRA_PROXY_CLASS_ID(0x4D4E3AA1, 0x19FFB205);

/// Output slots of one map: 0..15 inside, 1..16 in every name shown.
inline constexpr int kMaxSlots = 16;

inline constexpr BlockID zenithra_params = 0;

/// Parameters of the block "zenithraParams". Declared in the order 0-5, 9, 10, 6, 7, 8.
enum ZenithraParamID : ParamID {
    pb_slotCount = 0,
    pb_slotExposure = 1,
    pb_slotContrast = 2,
    pb_slotSaturation = 3,
    pb_slotBrightPix = 4,
    pb_slotSunExposure = 5,
    pb_slotTint = 6,
    pb_slotSunTint = 7,
    pb_slotHue = 8,
    pb_slotSunSpotSize = 9,
    pb_slotSunSpotHeight = 10,
};

/// The slot tables other than exposure, in the order every operation that resizes them takes.
inline constexpr ParamID kSlotTabOrder[] = {
    pb_slotContrast,    pb_slotSaturation,    pb_slotHue,  pb_slotBrightPix, pb_slotSunExposure,
    pb_slotSunSpotSize, pb_slotSunSpotHeight, pb_slotTint, pb_slotSunTint};
