#pragma once
// The scene's nodes and the active viewport's camera as a scene file keeps them.

#include <max.h>

#include <string>
#include <utility>
#include <vector>

namespace standalone {

/// One node: its handle, name, constant transform and keyed transforms.
struct NodeRecord {
    ULONG handle = 0;
    std::wstring name;
    Matrix3 base;
    std::vector<std::pair<TimeValue, Matrix3>> keys;
};

struct SceneNodesRecord {
    std::vector<NodeRecord> nodes;
    ULONG viewCameraHandle = 0;  ///< 0: the viewport looks through no camera
};

SceneNodesRecord RecordSceneNodes();
/// Replaces the scene's nodes by the recorded ones, keeping their handles, and looks through
/// the recorded camera. Records with handle 0 or a handle seen before are skipped.
void RestoreSceneNodes(const SceneNodesRecord& record);

}  // namespace standalone
