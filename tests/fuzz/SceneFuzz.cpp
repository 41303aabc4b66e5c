// libFuzzer target: any bytes as a scene file, and as a map's own chunks. Neither may crash,
// leak, read outside the data or allocate more than the data can describe.

#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"

#include "scene/ChunkIO.h"
#include "scene/StandaloneHost.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    standalone::RegisterClassDesc(GetZenithraDesc());
    standalone::RegisterClassDesc(GetZenithraProxyDesc());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::vector<unsigned char> bytes(data, data + size);
        standalone::SceneRoot scene;
        std::string error;
        standalone::LoadSceneFromBytes(bytes, scene, &error);
        // Whatever was loaded must save again.
        standalone::SaveSceneToBytes(scene);
    }
    {
        standalone::SceneRoot scene;
        auto* map = static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(false)));
        scene.Add(map);
        standalone::ChunkReader reader(data, size);
        map->Load(&reader);
        standalone::ChunkWriter writer;
        map->Save(&writer);
    }
    return 0;
}
