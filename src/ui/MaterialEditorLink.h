#pragma once
// Showing a map in the host's material editor.

#include <imtl.h>

/// Makes the sample slot that already holds `map` active; otherwise puts the map into the
/// active slot (slot 0 when none is active, or when the editor offers no interface). Does
/// nothing for a null map or without a core interface.
void ShowMapInMaterialEditor(MtlBase* map);
