// Showing a map in the material editor without replacing another slot's material when the
// map is already there.

#include "ui/MaterialEditorLink.h"

#include <GetCOREInterface.h>
#include <imtledit.h>
#include <maxapi.h>

namespace {
// The material editor's sample slots that are looked through for the map.
constexpr int kSampleSlots = 24;
}  // namespace

void ShowMapInMaterialEditor(MtlBase* map) {
    Interface* core = GetCOREInterface();
    if (!map || !core) {
        return;
    }
    auto* editor = static_cast<IMtlEditInterface*>(GetCOREInterface(MTLEDIT_INTERFACE));
    if (!editor) {
        core->PutMtlToMtlEditor(map, 0);
        return;
    }
    for (int slot = 0; slot < kSampleSlots; ++slot) {
        if (editor->GetTopMtlSlot(slot) == map) {
            editor->SetActiveMtlSlot(slot, FALSE);
            return;
        }
    }
    int active = editor->GetActiveMtlSlot();
    core->PutMtlToMtlEditor(map, active < 0 ? 0 : active);
}
