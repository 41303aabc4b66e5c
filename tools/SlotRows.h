#pragma once
// The tool's own render of an output slot: the source map looked up a row of samples at a time,
// then the slot's adjustment applied over the row, with the slot's values read once for the
// image. It gives, bit for bit, the pixels that sampling the slot's output map gives.

#include "ImageFiles.h"
#include "render/LatLongRender.h"

#include <functional>
#include <memory>
#include <string>

/// Renders slot `slot` of the Zenithra map `map` as RenderLatLong renders the slot's output map
/// `output` at time t, with the same threads, rows, `rowsReady` calls and recycled storage. With
/// `perSample`, or when the map or its source cannot be read by rows, it does render `output`
/// per sample. The map must not change while it renders.
standalone::LatLongImage RenderSlotImage(Texmap& map, int slot, Texmap& output, int width,
                                         int height, TimeValue t, int threads, bool perSample,
                                         const standalone::LatLongRowsReady& rowsReady = {},
                                         standalone::LatLongImage recycled = {});

/// Every slot of a Zenithra map over one lookup of its source, made once for a whole job of
/// width x height images at time t and kept in place of a slot image: each slot is then only
/// adjusted and written, a band of rows at a time, with the pixels RenderSlotImage gives. A job
/// of one slot keeps nothing: each band's source colours are looked up as the band is written.
class SharedSourceSlots {
public:
    /// Looks the source up at every pixel on `threads` threads when `slots` is above 1; Ready()
    /// is false when the map or its source cannot be read by rows.
    SharedSourceSlots(Texmap& map, int width, int height, TimeValue t, int threads, int slots);
    ~SharedSourceSlots();
    bool Ready() const { return shared != nullptr; }
    /// Writes slot `slot` into `exr` (opened for this size), bandRows rows at a time, each band
    /// made on the job's threads, calling bandDone with the rows written so far after each band.
    /// False with a one-line reason.
    bool WriteSlot(int slot, ExrRowWriter& exr, int bandRows,
                   const std::function<void(int rows)>& bandDone, std::string* error);

private:
    struct Shared;
    std::unique_ptr<Shared> shared;
};
