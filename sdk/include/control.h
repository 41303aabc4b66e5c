#pragma once
// Animation controllers: what drives an animated value over time.

#include "ref.h"

#define CTRL_FLOAT_CLASS_ID 0x9003

/// A controller; its keys are reached through Animatable's NumKeys and GetKeyTime.
class CoreExport Control : public ReferenceTarget {
public:
    SClass_ID SuperClassID() override = 0;
};
