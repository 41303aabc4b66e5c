#pragma once
// The map the frame buffer renders: the main window hands it the environment map.

#include <imtl.h>

namespace standalone::win {

/// Renders `map` from now on (null: nothing); a render of the previous map is stopped first.
void SetFrameBufferMap(Texmap* map);

}  // namespace standalone::win
