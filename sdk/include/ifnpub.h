#pragma once
// Function-published interfaces of the host.

#include "maxtypes.h"

class CoreExport FPInterface {
public:
    virtual ~FPInterface();
};
