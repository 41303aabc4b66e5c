// Map rotation binding: the name heuristics, the walk over the source map's parameters, and
// the plan that lets render threads skip the name work on every sample.

#include "source/MapRotation.h"

#include "platform/Platform.h"
#include "source/ParamWalk.h"

#include <algorithm>

namespace {

constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kRadiansPerDegree = 0.017453292f;
// Parameter names are short; longer ones are cut here, which no rule below can notice.
constexpr size_t kMaxNameUnits = 128;

/// A lower-cased copy of a name in a fixed buffer: no allocation on the shading path.
class LowerName {
public:
    explicit LowerName(const MCHAR* name) {
        if (name) {
            while (name[length] != 0 && length < kMaxNameUnits) {
                units[length] = platform::ToLowerUnit(name[length]);
                ++length;
            }
        }
    }
    std::wstring_view View() const { return {units, length}; }

private:
    MCHAR units[kMaxNameUnits];
    size_t length = 0;
};

bool Has(std::wstring_view name, std::wstring_view word) {
    return name.find(word) != std::wstring_view::npos;
}

template <typename... Words>
bool HasAny(std::wstring_view name, Words... words) {
    return (Has(name, words) || ...);
}

/// The u axis: a name that is the letter u alone, or holds a u joined to a word beside it: an
/// underscore or a space after it, an underscore or a hyphen before it, or angle or rot on either
/// side.
bool NamesUAxis(std::wstring_view name) {
    constexpr MCHAR kU = _M('u');
    if (name.size() == 1 && name[0] == kU) {
        return true;
    }
    for (size_t at = name.find(kU); at != std::wstring_view::npos; at = name.find(kU, at + 1)) {
        const std::wstring_view before = name.substr(0, at), after = name.substr(at + 1);
        if (after.starts_with(_M('_')) || after.starts_with(_M(' ')) || before.ends_with(_M('_')) ||
            before.ends_with(_M('-'))) {
            return true;
        }
        for (std::wstring_view word : {_M("angle"), _M("rot")}) {
            if (after.starts_with(word) || before.ends_with(word)) {
                return true;
            }
        }
    }
    return false;
}

/// An integer parameter that names the mapping type: mapping/projection and type/mode/source,
/// but nothing about channels, tiling, offsets, rotation or files.
bool IsMappingTypeParam(const ParamDef& def) {
    // TYPE_INT belongs to the host's older type enumeration.
    if (int(def.type) != TYPE_INT) {
        return false;
    }
    LowerName lower(def.int_name);
    std::wstring_view name = lower.View();
    if (name.empty()) {
        return false;
    }
    bool p = HasAny(name, _M("mapping"), _M("maptype"), _M("map_type"), _M("projection"),
                    _M("projectiontype"), _M("projection_type"));
    bool q = HasAny(name, _M("type"), _M("mode"), _M("source"));
    bool x = HasAny(name, _M("channel"), _M("tiling"), _M("offset"), _M("rotat"), _M("angle"),
                    _M("file"));
    return p && q && !x;
}

bool IsRotationType(const ParamDef& def) {
    return int(def.type) == TYPE_FLOAT || def.type == TYPE_ANGLE;
}

/// The first readable mapping-type parameter decides.
bool ReadMappingValue(IParamBlock2* block, ParamID id, TimeValue t, bool& nonZero) {
    int value = 0;
    Interval valid = FOREVER;
    if (!block || !block->GetValue(id, t, value, valid, 0)) {
        return false;
    }
    nonZero = value != 0;
    return true;
}

bool ReadAngle(IParamBlock2* block, ParamID id, bool isAngleType, TimeValue t, float& degrees) {
    float value = 0.0f;
    Interval valid = FOREVER;
    if (!block->GetValue(id, t, value, valid, 0)) {
        return false;
    }
    degrees = isAngleType ? value * kDegreesPerRadian : value;
    return true;
}

int SituationIndex(bool mappingFound, bool mappingNonZero) {
    if (!mappingFound) {
        return RotationPlan::kNoMapping;
    }
    return mappingNonZero ? RotationPlan::kMappingNonZero : RotationPlan::kMappingZero;
}

}  // namespace

bool ClassifySourceMap(Texmap* map, bool& isVRayBitmap, bool& isBitmap) {
    isVRayBitmap = false;
    isBitmap = false;
    if (!map) {
        return false;
    }
    MSTR className;
    map->GetClassName(className);
    LowerName lower(className.data());
    std::wstring_view name = lower.View();
    isVRayBitmap = Has(name, _M("vray")) && Has(name, _M("bitmap"));
    isBitmap = !isVRayBitmap && Has(name, _M("bitmap"));
    return true;
}

bool ReadVRayMappingType(Texmap* map, TimeValue t, bool& nonZero) {
    nonZero = false;
    bool isVRayBitmap = false, isBitmap = false;
    if (!ClassifySourceMap(map, isVRayBitmap, isBitmap) || !isVRayBitmap) {
        return false;
    }
    bool found = false;
    ForEachParam(map, [&](int, IParamBlock2* block, ParamID id, const ParamDef& def) {
        found = IsMappingTypeParam(def) && ReadMappingValue(block, id, t, nonZero);
        return found;  // the first readable one decides
    });
    return found;
}

int ScoreRotationParamName(std::wstring_view name, bool isVRayBitmap, bool isBitmap,
                           bool mappingFound, bool mappingNonZero) {
    const bool an = Has(name, _M("angle"));
    const bool ro = HasAny(name, _M("rotat"), _M("rotate"));
    const bool hz = HasAny(name, _M("horiz"), _M("horizontal"), _M("hrot"));
    const bool ua = NamesUAxis(name);
    const bool co = HasAny(name, _M("coord"), _M("uvw"), _M("uvgen"));
    const bool mp = HasAny(name, _M("mapping"), _M("projection"));
    const bool hr = hz && (ro || an);
    const bool ur = (ua && an) || (ua && ro && (co || mp)) || (co && (ro || an));

    struct Rule {
        bool holds;
        int score;
    };
    auto first = [](std::initializer_list<Rule> rules) {
        for (const Rule& r : rules) {
            if (r.holds) {
                return r.score;
            }
        }
        return -1;
    };
    if (isVRayBitmap) {
        if (!mappingFound) {
            return first({{hr, 600}, {ur, 350}, {ro, 240}, {an, 100}});
        }
        if (mappingNonZero) {
            return first({{hr, 600}, {ro && (mp || co), 360}, {ro, 240}, {ur, 130}, {an, 80}});
        }
        return first({{ur, 600}, {ua && (ro || an), 520}, {hr, 120}, {ro, 90}, {an, 60}});
    }
    if (isBitmap) {
        return first({{ur, 600}, {ua && (ro || an), 520}, {ro, 150}, {an, 100}});
    }
    return first({{hr, 320}, {ur, 280}, {ro, 180}, {an, 100}});
}

bool FindMapRotation(Texmap* map, TimeValue t, float& angleDegrees, ParamID* paramId,
                     int* blockIndex, bool* isAngleType) {
    angleDegrees = 0.0f;
    if (!map) {
        return false;
    }
    bool isVRayBitmap = false, isBitmap = false;
    ClassifySourceMap(map, isVRayBitmap, isBitmap);
    bool mappingNonZero = false;
    bool mappingFound = ReadVRayMappingType(map, t, mappingNonZero);

    int bestScore = -1;
    float bestAngle = 0.0f;
    ParamID bestId = 0;
    int bestBlock = -1;
    bool bestIsAngle = false;
    ForEachParam(map, [&](int b, IParamBlock2* block, ParamID id, const ParamDef& def) {
        if (!IsRotationType(def)) {
            return false;
        }
        LowerName lower(def.int_name);
        int score = ScoreRotationParamName(lower.View(), isVRayBitmap, isBitmap, mappingFound,
                                           mappingNonZero);
        if (score < 0) {
            return false;
        }
        bool angleType = def.type == TYPE_ANGLE;
        float degrees = 0.0f;
        if (!ReadAngle(block, id, angleType, t, degrees)) {
            return false;
        }
        // Strictly greater: on equal scores the earlier parameter stays.
        if (score > bestScore) {
            bestScore = score;
            bestAngle = degrees;
            bestId = id;
            bestBlock = b;
            bestIsAngle = angleType;
        }
        return false;
    });
    if (bestScore < 0) {
        return false;
    }
    angleDegrees = bestAngle;
    if (paramId) {
        *paramId = bestId;
    }
    if (blockIndex) {
        *blockIndex = bestBlock;
    }
    if (isAngleType) {
        *isAngleType = bestIsAngle;
    }
    return true;
}

bool SetMapRotation(Texmap* map, TimeValue t, float angleDegrees) {
    float current = 0.0f;
    ParamID id = 0;
    int blockIndex = -1;
    bool isAngleType = false;
    if (!FindMapRotation(map, t, current, &id, &blockIndex, &isAngleType) || blockIndex < 0) {
        return false;
    }
    IParamBlock2* block = map->GetParamBlock(blockIndex);
    if (!block) {
        return false;
    }
    float value = isAngleType ? angleDegrees * kRadiansPerDegree : angleDegrees;
    block->SetValue(id, t, value, 0);
    block->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true, nullptr);
    return true;
}

// --- The plan -----------------------------------------------------------------------------

bool RotationPlan::Matches(Texmap* map) const {
    if (!map || !(map->ClassID() == classId) || map->NumParamBlocks() != int(blockDescs.size())) {
        return false;
    }
    for (size_t b = 0; b < blockDescs.size(); ++b) {
        IParamBlock2* block = map->GetParamBlock(int(b));
        if ((block ? block->GetDesc() : nullptr) != blockDescs[b]) {
            return false;
        }
    }
    return true;
}

RotationPlan* BuildRotationPlan(Texmap* map) {
    if (!map) {
        return nullptr;
    }
    auto* plan = new RotationPlan();
    plan->classId = map->ClassID();
    ClassifySourceMap(map, plan->isVRayBitmap, plan->isBitmap);
    for (int b = 0; b < map->NumParamBlocks(); ++b) {
        IParamBlock2* block = map->GetParamBlock(b);
        plan->blockDescs.push_back(block ? block->GetDesc() : nullptr);
    }
    ForEachParam(map, [&](int b, IParamBlock2*, ParamID id, const ParamDef& def) {
        if (plan->isVRayBitmap && IsMappingTypeParam(def)) {
            plan->mappingParams.emplace_back(b, id);
        }
        if (!IsRotationType(def)) {
            return false;
        }
        LowerName lower(def.int_name);
        RotationPlan::Candidate c;
        c.blockIndex = b;
        c.id = id;
        c.isAngleType = def.type == TYPE_ANGLE;
        c.score[RotationPlan::kNoMapping] =
            ScoreRotationParamName(lower.View(), plan->isVRayBitmap, plan->isBitmap, false, false);
        c.score[RotationPlan::kMappingNonZero] =
            ScoreRotationParamName(lower.View(), plan->isVRayBitmap, plan->isBitmap, true, true);
        c.score[RotationPlan::kMappingZero] =
            ScoreRotationParamName(lower.View(), plan->isVRayBitmap, plan->isBitmap, true, false);
        plan->candidates.push_back(c);
        return false;
    });
    for (int s = 0; s < 3; ++s) {
        std::vector<int>& order = plan->ranked[s];
        for (int i = 0; i < int(plan->candidates.size()); ++i) {
            if (plan->candidates[size_t(i)].score[s] >= 0) {
                order.push_back(i);
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return plan->candidates[size_t(a)].score[s] > plan->candidates[size_t(b)].score[s];
        });
    }
    return plan;
}

bool FindMapRotation(const RotationPlan* plan, Texmap* map, TimeValue t, float& angleDegrees) {
    if (!plan || !plan->Matches(map)) {
        return FindMapRotation(map, t, angleDegrees);
    }
    angleDegrees = 0.0f;
    bool mappingFound = false, mappingNonZero = false;
    for (auto [blockIndex, id] : plan->mappingParams) {
        if (ReadMappingValue(map->GetParamBlock(blockIndex), id, t, mappingNonZero)) {
            mappingFound = true;
            break;
        }
    }
    // The highest-ranked readable candidate is the one the walk would keep.
    for (int i : plan->ranked[SituationIndex(mappingFound, mappingNonZero)]) {
        const RotationPlan::Candidate& c = plan->candidates[size_t(i)];
        if (ReadAngle(map->GetParamBlock(c.blockIndex), c.id, c.isAngleType, t, angleDegrees)) {
            return true;
        }
    }
    angleDegrees = 0.0f;
    return false;
}
