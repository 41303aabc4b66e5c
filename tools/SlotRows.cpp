#include "SlotRows.h"

#include "maps/EnvironmentRows.h"
#include "render/EnvironmentSample.h"
#include "shading/LatLong.h"
#include "shading/Zenithra.h"

#include <memory>
#include <vector>

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
    auto renderRow = [&](int y, float* pixels) {
        const int columns = std::max(width, 1);
        std::vector<Point3> rowDirections(static_cast<size_t>(columns));
        const standalone::LatLongDirections::Row row = directions.RowAt(y);
        for (int x = 0; x < columns; ++x) {
            rowDirections[size_t(x)] = row(x);
        }
        sourceRows->ColorsOfRow(rowDirections.data(), columns, pixels);
        // Where each sample lies for the sun disc, as a sample finds it: around the source's
        // rotation when it has one, else at its spherical coordinates.
        std::vector<float> u, v;
        if (sun) {
            u.resize(size_t(columns));
            v.resize(size_t(columns));
            for (int x = 0; x < columns; ++x) {
                standalone::EnvironmentSample sample(rowDirections[size_t(x)], t);
                if (shading.rotated) {
                    LatLongPosition(sample.VectorTo(sample.V(), REF_WORLD), shading.rotationDegrees,
                                    u[size_t(x)], v[size_t(x)]);
                } else {
                    Point3 uvw = sample.UVW(1);
                    u[size_t(x)] = uvw.x;
                    v[size_t(x)] = uvw.y;
                }
            }
        }
        ApplyAdjustmentRow(shading.params, pixels, columns, u.data(), v.data());
    };
    return standalone::RenderRows(width, height, threads, renderRow, rowsReady,
                                  std::move(recycled));
}
