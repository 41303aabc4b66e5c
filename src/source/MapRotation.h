#pragma once
// The source map's horizontal rotation: found by the names of its parameters, read and written
// in degrees. One angle serves every slot; it is stored nowhere but in the source map.

#include <iparamb2.h>
#include <imtl.h>

#include <string_view>
#include <vector>

/// The kind of source map by its class name: false only for a null map.
bool ClassifySourceMap(Texmap* map, bool& isVRayBitmap, bool& isBitmap);

/// A VRayBitmap's integer mapping-type parameter at time t: true when one was found and read;
/// nonZero tells whether its value is not 0. False (and nonZero false) for other maps.
bool ReadVRayMappingType(Texmap* map, TimeValue t, bool& nonZero);

/// The rank of a parameter as the map's rotation, by its lower-cased internal name; negative
/// when the name does not name a rotation.
int ScoreRotationParamName(std::wstring_view lowerName, bool isVRayBitmap, bool isBitmap,
                           bool mappingFound, bool mappingNonZero);

/// The map's rotation in degrees at time t (angle-type parameters are converted from radians).
/// angleDegrees is 0 when nothing is found; the optional outputs are written only when found.
bool FindMapRotation(Texmap* map, TimeValue t, float& angleDegrees, ParamID* paramId = nullptr,
                     int* blockIndex = nullptr, bool* isAngleType = nullptr);

/// Writes the parameter FindMapRotation would read, at time t, and notifies its dependents.
bool SetMapRotation(Texmap* map, TimeValue t, float angleDegrees);

/// What FindMapRotation learns from the names of a map's parameters, which only its class and
/// its blocks' descriptors decide. With it, a lookup reads only values: the mapping type and
/// the candidates in rank order, and gives exactly what the full walk gives.
struct RotationPlan {
    struct Candidate {
        int blockIndex = -1;
        ParamID id = 0;
        bool isAngleType = false;
        int score[3] = {-1, -1, -1};  // by MappingSituation
    };
    enum MappingSituation { kNoMapping = 0, kMappingNonZero = 1, kMappingZero = 2 };

    Class_ID classId;
    std::vector<const ParamBlockDesc2*> blockDescs;  // the key: one per block index
    bool isVRayBitmap = false;
    bool isBitmap = false;
    std::vector<std::pair<int, ParamID>> mappingParams;  // qualifying integer parameters
    std::vector<Candidate> candidates;                   // in walk order
    std::vector<int> ranked[3];  // candidate indices by descending score, walk order on ties

    /// True while the map still has the class and blocks the plan was made from.
    bool Matches(Texmap* map) const;
};

/// Builds the plan of a map (null for a null map).
RotationPlan* BuildRotationPlan(Texmap* map);

/// FindMapRotation through a plan; falls back to the full walk when the plan does not match.
bool FindMapRotation(const RotationPlan* plan, Texmap* map, TimeValue t, float& angleDegrees);
