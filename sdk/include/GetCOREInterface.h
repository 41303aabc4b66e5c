#pragma once
// The host's core interfaces.

#include "maxtypes.h"

class FPInterface;
class Interface;

CoreExport Interface* GetCOREInterface();
/// The core interface named by `id`; null when the host does not offer it.
CoreExport FPInterface* GetCOREInterface(Interface_ID id);
