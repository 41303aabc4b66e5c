#include "SlotRows.h"

#include "maps/EnvironmentRows.h"
#include "render/EnvironmentSample.h"
#include "shading/LatLong.h"
#include "shading/Zenithra.h"

#include <algorithm>
#include <memory>

standalone::LatLongImage RenderSlotImage(Texmap& map, int slot, Texmap& output, int width,
                                         int height, TimeValue t, int threads, bool perSample,
                                         const standalone::LatLongRowsReady& rowsReady,
                                         standalone::LatLongImage recycled) {
    auto* zenithra = perSample ? nullptr : dynamic_cast<Zenithra*>(&map);
    Texmap* source = zenithra ? zenithra->GetSubTexmap(0) : nullptr;
    std::unique_ptr<standalone::EnvironmentRowSource> sourceRows =
        source ? standalone::MakeEnvironmentRowSource(*source, t) : nullptr;
    if (!sourceRows) {
        return standalone::RenderLatLong(output, width, height, t, threads, rowsReady,
                                         std::move(recycled));
    }
    const Zenithra::SlotShading shading = zenithra->ReadSlotShading(slot, t);
    const bool sun = DrawsSunDisc(shading.params.sunSpotSize);
    const standalone::LatLongDirections directions(width, height);
    // A row goes in pieces whose directions and positions live on the render thread's stack:
    // the row path takes no memory the per-sample path does not.
    constexpr int kPiece = 256;
    auto renderRow = [&](int y, float* pixels) {
        const standalone::LatLongDirections::Row row = directions.RowAt(y);
        const int columns = std::max(width, 1);
        for (int first = 0; first < columns; first += kPiece) {
            const int count = std::min(kPiece, columns - first);
            float* piece = pixels + 3 * first;
            Point3 pieceDirections[kPiece];
            for (int i = 0; i < count; ++i) {
                pieceDirections[i] = row(first + i);
            }
            sourceRows->ColorsOfRow(pieceDirections, count, piece);
            // Where each sample lies for the sun disc, as a sample finds it: around the source's
            // rotation when it has one, else at its spherical coordinates.
            float u[kPiece], v[kPiece];
            for (int i = 0; sun && i < count; ++i) {
                standalone::EnvironmentSample sample(pieceDirections[i], t);
                if (shading.rotated) {
                    LatLongPosition(sample.VectorTo(sample.V(), REF_WORLD), shading.rotationDegrees,
                                    u[i], v[i]);
                } else {
                    Point3 uvw = sample.UVW(1);
                    u[i] = uvw.x;
                    v[i] = uvw.y;
                }
            }
            ApplyAdjustmentRow(shading.params, piece, count, u, v);
        }
    };
    return standalone::RenderRows(width, height, threads, renderRow, rowsReady,
                                  std::move(recycled));
}
