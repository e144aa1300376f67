// Tile sources as text: the split of a server path, the option words, the
// tile's URL, its file in the disk cache, and the check of a tile body.
// Everything that comes from the editable server table passes through here
// before it touches the disk.
#pragma once

#include <stddef.h>
#include <stdint.h>

// kTileOptTrans, kTileOptGray: the option words' markers ("TRANS n", "GRAY n").
#include "map/tilefx.h"

const int kTileMaxOptions = 8;

// The largest tile body taken from a server or the cache. A 256 x 256 tile
// is at most some 260 KiB even as uncompressed RGBA; eight workers per
// window keep a read buffer each in a 32-bit process.
const long long kTileMaxBytes = 4ll << 20;

// Splits a server path into folder (with a leading "/", empty for none) and
// suffix: "watercolor/*.jpg" gives "/watercolor" and ".jpg"; "a/b?x=1" gives
// "/a/b" and ".png?x=1"; any other path is all folder with ".png".
// 1 on success, 0 when a part does not fit its buffer.
int TileSplitPath(const char* path, char* folder, size_t folderSize, char* suffix, size_t suffixSize);

// The option words of an option text ("TRANS n", "GRAY n", then colours).
// Returns the count (0 to 8).
int TileParseOptions(const char* text, uint32_t words[kTileMaxOptions]);

// The cache file's extension: the run of letters and digits behind the first
// "." of the suffix (at most 16), "png" when the suffix has none.
void TileExtension(const char* suffix, char* ext, size_t size);

// The URL path of a tile by URL scheme 0 to 3. Returns the length, or -1
// when it does not fit (the buffer is then empty).
int TileMakeUrl(char* dst, size_t size, int iface, const char* folder, unsigned zoom, unsigned col,
                unsigned row, const char* suffix);

// The part of a tile's cache path behind the root, made safe: "?", "&" and
// ":" become "_", no component is "." or "..", a device name or ends in a dot
// or blank, and no character is a wildcard or a control code. The fixed
// prefix "../OsmFixed/" is the one way out of the root and is added here.
// kind 0: the tile file "<server><folder>/<zoom>/<col>/<row>.<ext>";
// kind 1: the tile's folder "<server><folder>/<zoom>/<col>";
// Returns the length, or -1 when the result would not fit.
int TileMakeCachePath(char* dst, size_t size, int kind, bool fixed, const char* server, const char* folder,
                      unsigned zoom, unsigned col, unsigned row, const char* ext);

// root + relative tile path, within MAX_PATH (260). Returns the length or -1.
int TileJoinRoot(char* dst, size_t size, const char* root, const char* rel);

// A temporary download name in the tile's folder, unique per process and
// worker: "<folder>/<row>.<pid>-<worker>.tmp". Returns the length or -1.
int TileMakeTempName(char* dst, size_t size, const char* tileFolder, unsigned row, unsigned long pid,
                     unsigned worker);

// Whether a body is a PNG or a JFIF JPEG, judged within its length.
bool TileBodyIsImage(const unsigned char* data, size_t len);

// The pixel size a PNG (IHDR) or JPEG (first SOF marker) body announces,
// read within its length before anything is allocated for it. false when
// the header is missing or cut short.
bool TileBodyDimensions(const unsigned char* data, size_t len, int* width, int* height);
