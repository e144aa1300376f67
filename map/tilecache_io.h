// Tile files: their paths in the cache and their URL, reading them, checking
// a body before it is decoded, and downloading into the cache through a
// temporary name.
#pragma once

#include <winsock2.h>  // before windows.h
#include <windows.h>

#include <stdint.h>

#include <vector>

#include "map/maptiles.h"

class CHttpClient;
class CPicture;

// The cache file, its folder and the URL of one tile of a source; every
// part comes through the sanitising TileMakeCachePath.
struct TilePaths {
  char file[MAX_PATH + 4];
  char folder[MAX_PATH + 4];
  char url[1200];
};
bool TileMakePaths(const char* root, const MapTileSource& s, int zoom, uint32_t col, uint32_t row, TilePaths* p);

// Reads a whole tile file into buf (grown in 16 KiB steps); its length, 0
// when it is empty or unreadable, -1 when it is missing. touch: its modification time becomes
// now (the trim removes the least recently used first).
long long TileReadFile(const char* path, std::vector<unsigned char>& buf, bool touch = false);

// A cached tile as the export and pre-caching count it: its length when the
// file holds a usable body, -1 when it is missing. A damaged file (empty,
// cut short, no image) is deleted, so that it is fetched again.
long long TileReadCached(const char* path, std::vector<unsigned char>& buf);

// Whether a body is a 256 x 256 PNG or JFIF JPEG, told from its header
// within its length before anything is allocated.
bool TileBodyUsable(const unsigned char* data, size_t len);
// Decodes a usable body; false (picture unchanged) unless it gives a
// 256 x 256 picture.
bool TileDecode(const unsigned char* data, size_t len, CPicture& pic);

// One request into tmp; a body that is no 256 x 256 image is deleted. The
// body's length, or a value <= 0.
int TileFetchOnce(CHttpClient* client, const char* tmp, const char* url, int timeout);
// Moves a finished download into place (deleting an old file in the way,
// once more after 200 ms); false when it could not (tmp is removed).
bool TileCommit(const char* tmp, const char* file);

// HTTP requests made for tiles since the process started (for the tests).
LONG TileRequestCount();
