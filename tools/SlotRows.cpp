#include "SlotRows.h"

#include "maps/EnvironmentRows.h"
#include "render/EnvironmentSample.h"
#include "shading/LatLong.h"
#include "shading/Zenithra.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A row goes in pieces whose directions and positions live on the render thread's stack: the
// row path takes no memory the per-sample path does not.
constexpr int kPiece = 256;

// The source of a Zenithra map read by rows at time t; empty (no `source`) when the map or its
// source cannot be.
struct SourceRows {
    SourceRows(Texmap& map, int width, int height, TimeValue t)
        : zenithra(dynamic_cast<Zenithra*>(&map)),
          time(t),
          columns(std::max(width, 1)),
          lines(std::max(height, 1)),
          directions(width, height) {
        Texmap* sourceMap = zenithra ? zenithra->GetSubTexmap(0) : nullptr;
        source = sourceMap ? standalone::MakeEnvironmentRowSource(*sourceMap, t) : nullptr;
    }

    // Each piece of row y: its directions, then `use`(first column, count, directions).
    template <class Use>
    void ForEachPiece(int y, const Use& use) const {
        const standalone::LatLongDirections::Row row = directions.RowAt(y);
        for (int first = 0; first < columns; first += kPiece) {
            const int count = std::min(kPiece, columns - first);
            Point3 pieceDirections[kPiece];
            for (int i = 0; i < count; ++i) {
                pieceDirections[i] = row(first + i);
            }
            use(first, count, pieceDirections);
        }
    }

    // The slot's adjustment over a piece whose source colours `pixels` holds.
    void Adjust(const Zenithra::SlotShading& shading, const Point3* pieceDirections, int count,
                float* pixels) const {
        // Where each sample lies for the sun disc, as a sample finds it: around the source's
        // rotation when it has one, else at its spherical coordinates.
        float u[kPiece], v[kPiece];
        for (int i = 0; DrawsSunDisc(shading.params.sunSpotSize) && i < count; ++i) {
            standalone::EnvironmentSample sample(pieceDirections[i], time);
            if (shading.rotated) {
                LatLongPosition(sample.VectorTo(sample.V(), REF_WORLD), shading.rotationDegrees,
                                u[i], v[i]);
            } else {
                Point3 uvw = sample.UVW(1);
                u[i] = uvw.x;
                v[i] = uvw.y;
            }
        }
        ApplyAdjustmentRow(shading.params, pixels, count, u, v);
    }

    Zenithra* zenithra;
    TimeValue time;
    int columns;
    int lines;
    standalone::LatLongDirections directions;
    std::unique_ptr<standalone::EnvironmentRowSource> source;
};

}  // namespace

standalone::LatLongImage RenderSlotImage(Texmap& map, int slot, Texmap& output, int width,
                                         int height, TimeValue t, int threads, bool perSample,
                                         const standalone::LatLongRowsReady& rowsReady,
                                         standalone::LatLongImage recycled) {
    std::unique_ptr<SourceRows> rows;
    if (!perSample) {
        rows = std::make_unique<SourceRows>(map, width, height, t);
    }
    if (!rows || !rows->source) {
        return standalone::RenderLatLong(output, width, height, t, threads, rowsReady,
                                         std::move(recycled));
    }
    const Zenithra::SlotShading shading = rows->zenithra->ReadSlotShading(slot, t);
    auto renderRow = [&](int y, float* pixels) {
        rows->ForEachPiece(y, [&](int first, int count, const Point3* pieceDirections) {
            rows->source->ColorsOfRow(pieceDirections, count, pixels + 3 * first);
            rows->Adjust(shading, pieceDirections, count, pixels + 3 * first);
        });
    };
    return standalone::RenderRows(width, height, threads, renderRow, rowsReady,
                                  std::move(recycled));
}

struct SharedSourceSlots::Shared {
    SourceRows rows;
    int threads;
    standalone::LatLongImage sourceColours;  // empty: looked up band by band
    standalone::LatLongImage band;           // the rows being written, for every slot
};

SharedSourceSlots::SharedSourceSlots(Texmap& map, int width, int height, TimeValue t, int threads,
                                     int slots) {
    auto made =
        std::make_unique<Shared>(Shared{SourceRows(map, width, height, t), threads, {}, {}});
    if (!made->rows.source) {
        return;
    }
    const SourceRows& rows = made->rows;
    if (slots > 1) {
        made->sourceColours =
            standalone::RenderRows(width, height, threads, [&](int y, float* pixels) {
                rows.ForEachPiece(y, [&](int first, int count, const Point3* pieceDirections) {
                    rows.source->ColorsOfRow(pieceDirections, count, pixels + 3 * first);
                });
            });
    }
    shared = std::move(made);
}

SharedSourceSlots::~SharedSourceSlots() = default;

bool SharedSourceSlots::WriteSlot(int slot, ExrRowWriter& exr, int bandRows,
                                  const std::function<void(int rows)>& bandDone,
                                  std::string* error) {
    const SourceRows& rows = shared->rows;
    const standalone::LatLongImage& colours = shared->sourceColours;
    const Zenithra::SlotShading shading = rows.zenithra->ReadSlotShading(slot, rows.time);
    const int width = rows.columns, height = rows.lines;
    const size_t rowValues = size_t(width) * 3;
    const bool sun = DrawsSunDisc(shading.params.sunSpotSize);
    for (int first = 0; first < height; first += bandRows) {
        const int end = std::min(height, first + bandRows);
        // The band's rows on the job's threads; the image library's threads, which compress
        // the bands, wait meanwhile.
        shared->band = standalone::RenderRows(
            width, end - first, shared->threads,
            [&](int row, float* pixels) {
                const int y = first + row;
                if (!colours.rgb.empty() && !sun) {
                    // Without a sun disc the adjustment needs no directions: the row is one
                    // piece.
                    std::memcpy(pixels, &colours.rgb[size_t(y) * rowValues],
                                rowValues * sizeof(float));
                    ApplyAdjustmentRow(shading.params, pixels, width, nullptr, nullptr);
                    return;
                }
                rows.ForEachPiece(y, [&](int column, int count, const Point3* pieceDirections) {
                    float* piece = pixels + 3 * column;
                    if (colours.rgb.empty()) {
                        rows.source->ColorsOfRow(pieceDirections, count, piece);
                    } else {
                        std::memcpy(piece, &colours.rgb[size_t(y) * rowValues + 3 * size_t(column)],
                                    size_t(count) * 3 * sizeof(float));
                    }
                    rows.Adjust(shading, pieceDirections, count, piece);
                });
            },
            {}, std::move(shared->band));
        if (!exr.WriteBand(shared->band.rgb.data(), end, error)) {
            return false;
        }
        if (bandDone) {
            bandDone(end);
        }
    }
    return true;
}
