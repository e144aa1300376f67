// The view's built-in pictures (generated from resources/view_art.py).
#pragma once

#include "game/view/view_logic.h"

namespace view {

extern const EmbeddedImage kArtPin;      // kinds 0-7: map markers
extern const EmbeddedImage kArtDone;     // kinds 8-15
extern const EmbeddedImage kArtCurrent;  // kinds 16-23
extern const EmbeddedImage kArtBox;      // kinds 24-31, 42 x 42
extern const EmbeddedImage kArtCursor;   // the players' cursors
extern const EmbeddedImage kArtTarget;   // kind 32, plain premultiplied BGRA

}  // namespace view
