// Helpers the readers and writers of this folder share.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

// Refuses empty sides (-1) and pictures past the decoding limits (-3).
void ImgCheckSides(int64_t width, int64_t height, const char* format);
// Refuses (-1) a picture whose raw bytes the data could not hold even at
// the coding's greatest expansion (raw bytes per data byte).
void ImgCheckExpansion(int64_t rawBytes, uint64_t dataBytes, int64_t ratio, const char* format);

// One row as 0xAARRGGBB words (palette entries with their alpha; 16 and 24
// bits opaque; 32 bits as stored).
void ImgRowToArgb(const CPicture& picture, int y, uint32_t* out);

// Writes all bytes or throws EGraphicsFileError.
void ImgPut(ImgSink& out, const void* data, size_t size);

// Lowest palette depth (1, 2, 4, 8) that holds index maxIndex.
int ImgPaletteBits(unsigned maxIndex);
