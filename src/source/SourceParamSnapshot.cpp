#include "source/SourceParamSnapshot.h"

#include "source/ParamWalk.h"
#include "source/SourceFile.h"

#include <iparamb2.h>

namespace {
constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kRadiansPerDegree = 0.017453292f;
}  // namespace

std::vector<SourceParamSnapshot> CaptureSourceMapParams(Texmap* map, TimeValue t) {
    std::vector<SourceParamSnapshot> snapshot;
    if (!map) {
        return snapshot;
    }
    ForEachParam(map, [&](int b, IParamBlock2* block, ParamID id, const ParamDef& def) {
        SourceParamSnapshot record;
        record.paramBlockIndex = b;
        record.paramId = uint16_t(id);
        Interval valid = FOREVER;
        bool read = false;
        // The simple types span both of the host's type enumerations.
        switch (int(def.type)) {
            case TYPE_FLOAT:
            case TYPE_ANGLE:
                read = block->GetValue(id, t, record.floatValue, valid, 0);
                record.kind = SourceParamSnapshot::kFloat;
                record.isAngle = def.type == TYPE_ANGLE;
                if (record.isAngle) {
                    record.floatValue *= kDegreesPerRadian;
                }
                break;
            case TYPE_INT:
                read = block->GetValue(id, t, record.intValue, valid, 0);
                record.kind = SourceParamSnapshot::kInt;
                break;
            case TYPE_POINT3:
                read = block->GetValue(id, t, record.point3Value, valid, 0);
                record.kind = SourceParamSnapshot::kPoint3;
                break;
            case TYPE_POINT4:
                read = block->GetValue(id, t, record.point4Value, valid, 0);
                record.kind = SourceParamSnapshot::kPoint4;
                break;
            case TYPE_STRING:
            case TYPE_FILENAME:
                read = ReadParamPath(block, id, record.stringValue);
                record.kind = SourceParamSnapshot::kString;
                break;
            default:
                break;
        }
        if (read) {
            snapshot.push_back(std::move(record));
        }
        return false;
    });
    return snapshot;
}

bool ApplySourceMapParams(Texmap* map, TimeValue t,
                          const std::vector<SourceParamSnapshot>& snapshot) {
    if (!map || snapshot.empty()) {
        return false;
    }
    bool written = false;
    for (const SourceParamSnapshot& r : snapshot) {
        if (r.paramBlockIndex < 0 || r.paramBlockIndex >= map->NumParamBlocks()) {
            continue;
        }
        IParamBlock2* block = map->GetParamBlock(r.paramBlockIndex);
        ParamID id = ParamID(r.paramId);
        if (!block || block->IDtoIndex(id) < 0) {
            continue;
        }
        const int type = int(block->GetParamDef(id).type);
        if (r.kind == SourceParamSnapshot::kFloat && type == TYPE_FLOAT) {
            block->SetValue(id, t, r.isAngle ? r.floatValue * kRadiansPerDegree : r.floatValue, 0);
        } else if (r.kind == SourceParamSnapshot::kFloat && type == TYPE_ANGLE) {
            block->SetValue(id, t, r.floatValue * kRadiansPerDegree, 0);
        } else if (r.kind == SourceParamSnapshot::kInt && type == TYPE_INT) {
            block->SetValue(id, t, int(r.intValue), 0);
        } else if (r.kind == SourceParamSnapshot::kString &&
                   (type == TYPE_STRING || type == TYPE_FILENAME)) {
            block->SetValue(id, t, r.stringValue.data(), 0);
        } else if (r.kind == SourceParamSnapshot::kPoint3 && type == TYPE_POINT3) {
            block->SetValue(id, t, r.point3Value, 0);
        } else if (r.kind == SourceParamSnapshot::kPoint4 && type == TYPE_POINT4) {
            block->SetValue(id, t, r.point4Value, 0);
        } else {
            continue;
        }
        written = true;
    }
    if (!written) {
        return false;
    }
    map->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
    map->NotifyDependents(FOREVER, 0, REFMSG_SUBANIM_STRUCTURE_CHANGED, NOTIFY_ALL, true);
    return true;
}
