#include "maps/EnvironmentRows.h"

#include "maps/HdrSourceMap.h"
#include "maps/ProceduralSky.h"

namespace standalone {

std::unique_ptr<EnvironmentRowSource> MakeEnvironmentRowSource(Texmap& map, TimeValue t) {
    if (auto* image = dynamic_cast<HdrSourceMap*>(&map)) {
        return image->RowSource(t);
    }
    return ProceduralSkyRows(map, t);
}

}  // namespace standalone
