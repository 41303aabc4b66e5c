#pragma once
// A flat copy of a source map's simple-typed parameters, taken without knowing its class and
// written back onto any map whose parameters match by block, id and type.

#include <imtl.h>
#include <point4.h>

#include <cstdint>
#include <vector>

struct SourceParamSnapshot {
    enum Kind : int32_t { kFloat = 1, kInt = 2, kString = 3, kPoint3 = 4, kPoint4 = 5 };

    int32_t paramBlockIndex = 0;
    uint16_t paramId = 0;
    int32_t kind = 0;
    bool isAngle = false;     ///< kind 1: the parameter stored radians
    float floatValue = 0.0f;  ///< kind 1; degrees for angle parameters
    int32_t intValue = 0;
    MSTR stringValue;
    Point3 point3Value{0, 0, 0};
    Point4 point4Value{0, 0, 0, 0};

    bool operator==(const SourceParamSnapshot&) const = default;
};

/// Every float, angle, integer, string, file-name, Point3 and Point4 parameter of the map
/// (entry 0 of tables), in block then parameter order; empty for a null map.
std::vector<SourceParamSnapshot> CaptureSourceMapParams(Texmap* map, TimeValue t);

/// Writes each record whose parameter still exists with a compatible type, at time t; notifies
/// the map's dependents when anything was written. True when at least one value was written.
bool ApplySourceMapParams(Texmap* map, TimeValue t,
                          const std::vector<SourceParamSnapshot>& snapshot);
