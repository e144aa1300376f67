// Layout of a bitmap-font block for CPicture::SetFont.
//
//   byte 0   glyph height in rows (1..255)
//   byte 1   code of the first glyph
//   byte 2   number of glyphs (codes first .. first + count - 1, at most 256)
//   byte 3   0
//   count bytes: width of each glyph in pixels (0..255)
//   then each glyph in turn: height rows of (width + 7) / 8 bytes, the
//   leftmost pixel in the most significant bit; a set bit is ink.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kImgFontHeader = 4;

// Byte size the block must have, or 0 when its header is bad.
size_t ImgFontBlockSize(const uint8_t* block, size_t size);
