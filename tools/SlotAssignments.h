#pragma once
// Slot values given on the command line as "SLOT.PARAM=VALUE": slot numbers as users see them
// (1 to 16), PARAM one of the per-slot parameters of the map's block ("slotExposure",
// "slotTint", ...), VALUE a number or, for colours, "#RRGGBB" or "r,g,b".

#include <iparamb2.h>

#include <string>
#include <vector>

struct SlotAssignment {
    int slot = 0;           ///< 0-based; shown to users as slot + 1
    std::string paramName;  ///< the block parameter's script name
    std::string valueText;  ///< checked against the parameter's type when applied
};

/// The block's parameter of that script name; null when there is none.
const ParamDef* FindBlockParam(IParamBlock2& block, const std::wstring& name);

/// Splits "SLOT.PARAM=VALUE". False with a one-line reason when the shape or the slot number
/// (1 to 16) is wrong.
bool ParseSlotAssignment(const std::string& text, SlotAssignment& out, std::string* error);

/// Writes the values into slots 0..slotCount - 1 of the map's block at time 0. Every assignment
/// is checked first (a per-slot parameter of that name, a slot below slotCount, a value of the
/// parameter's type within its range), so that a refusal writes nothing. False with a one-line
/// reason.
bool ApplySlotAssignments(IParamBlock2& block, int slotCount,
                          const std::vector<SlotAssignment>& assignments, std::string* error);

/// The values of slot `slot` at time 0 that differ from their parameter's default (neutral), in
/// block order: "slotExposure=-1, slotTint=#FFE0C0", as --set would give them; empty for a
/// neutral slot. Colours of whole 8-bit steps read #RRGGBB, others r,g,b.
std::string SlotValuesText(IParamBlock2& block, int slot);
