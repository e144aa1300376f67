// The star and the glyph strip from the program's bitmap resources.
#pragma once

#include <windows.h>

#include "image/picture.h"

namespace game {

// A 32-bit BI_RGB bitmap resource (premultiplied alpha kept as stored) into
// a 32-bit DIB-section picture. False when missing or of another kind.
bool LoadAlphaBitmap(HMODULE module, int id, CPicture& picture);

}  // namespace game
