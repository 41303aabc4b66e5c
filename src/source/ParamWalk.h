#pragma once
// The one walk over a map's parameters that discovery, rotation binding and the snapshot share:
// blocks in index order (empty ones skipped), then parameters in index order.

#include <iparamb2.h>
#include <imtl.h>

/// Calls visit(blockIndex, block, id, def) for every parameter; a visit that returns true ends
/// the walk.
template <typename Visit>
void ForEachParam(Texmap* map, Visit visit) {
    for (int b = 0; b < map->NumParamBlocks(); ++b) {
        IParamBlock2* block = map->GetParamBlock(b);
        if (!block) {
            continue;
        }
        for (int i = 0; i < block->NumParams(); ++i) {
            ParamID id = block->IndextoID(i);
            if (block->IDtoIndex(id) < 0) {
                continue;
            }
            if (visit(b, block, id, static_cast<const ParamDef&>(block->GetParamDef(id)))) {
                return;
            }
        }
    }
}
