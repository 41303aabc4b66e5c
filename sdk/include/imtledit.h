#pragma once
// The material editor's function-published interface: its sample slots.

#include "ifnpub.h"

class MtlBase;

#define MTLEDIT_INTERFACE Interface_ID(0x2c7b3f6e, 0x16fb35d4)

class IMtlEditInterface : public FPInterface {
public:
    /// The material or map in sample slot `slot`; null for an empty or invalid slot.
    virtual MtlBase* GetTopMtlSlot(int slot) = 0;
    /// Makes `slot` the active sample slot and shows its rollups.
    virtual void SetActiveMtlSlot(int slot, BOOL forceUpdate = FALSE) = 0;
    /// The active sample slot.
    virtual int GetActiveMtlSlot() = 0;
};
