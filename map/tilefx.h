// Post-processing of decoded map tiles: a base map is made opaque, overlay
// layers get their transparency from the source's options and alpha pair.
// Every function works on the given picture alone (worker threads call them
// on their own pictures).
#pragma once

#include <cstdint>

class CPicture;

// First option words of a source.
constexpr uint32_t kTileOptTrans = 0x77665522;  // "TRANS": colour, top byte threshold
constexpr uint32_t kTileOptGray = 0x77665511;   // "GRAY": colour, top byte highest zoom
// Colour-key mark: the picture carries its own alpha; blend it.
constexpr uint32_t kTileKeyOwnAlpha = 0x77665533;

// Tints the picture with value's colour, alpha from its grey level.
// Returns false when a needed conversion failed (picture unchanged).
bool TileApplyGray(CPicture& pic, uint32_t value);
// Colours within threshold of value's colour become transparent; the colour
// key is set to that colour. Returns false when the picture is unusable.
bool TileApplyTrans(CPicture& pic, uint32_t value, int threshold);
// Alpha from the distance to the nearest listed colour (converted to 32 bits).
bool TileApplyColorList(CPicture& pic, const uint32_t* words, int count);
// Closes gaps in the alpha of a 32-bit layer picture.
void TileSoftenEdges(CPicture& pic);
// alpha = clamp(((alpha + offset) * scale) / 256, 0, 255) in 32-bit and
// palette pictures.
void TileApplyAlpha(CPicture& pic, int32_t scale, int32_t offset);
// Converts in place; 0 and no change when the picture is empty or the
// conversion fails, else 1.
int TileConvertDepth(CPicture& pic, int bits);

// The whole post-processing of one decoded tile of source `source` (0 the
// base map), in the worker's order. Returns false when the picture could
// not be prepared (it then counts as a failed tile).
bool TilePostProcess(CPicture& pic, int source, const uint32_t* options, int optionCount,
                     int32_t alphaOffset, int32_t alphaScale);

// Draws a post-processed tile of source L at (x, y): the base map copied, a
// layer blended by its own alpha or drawn with its colour key.
void TileDraw(CPicture* dst, const CPicture& pic, int source, int x, int y);
