#pragma once
// The tool's own render of an output slot: the source map looked up a row of samples at a time,
// then the slot's adjustment applied over the row, with the slot's values read once for the
// image. It gives, bit for bit, the pixels that sampling the slot's output map gives.

#include "render/LatLongRender.h"

/// Renders slot `slot` of the Zenithra map `map` as RenderLatLong renders the slot's output map
/// `output` at time t, with the same threads, rows, `rowsReady` calls and recycled storage. With
/// `perSample`, or when the map or its source cannot be read by rows, it does render `output`
/// per sample. The map must not change while it renders.
standalone::LatLongImage RenderSlotImage(Texmap& map, int slot, Texmap& output, int width,
                                         int height, TimeValue t, int threads, bool perSample,
                                         const standalone::LatLongRowsReady& rowsReady = {},
                                         standalone::LatLongImage recycled = {});
