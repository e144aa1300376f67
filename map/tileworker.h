// The download workers of a map window: each takes the tile of every active
// source for its cell from the disk cache or the tile server, decodes it,
// post-processes and blends it, and tells the window.
#pragma once

#include <winsock2.h>  // before windows.h
#include <windows.h>

#include <stdint.h>

#include "map/tilescheduler.h"

class CHttpClient;

// Chooses the cache root once, before any window's workers read it; the
// application calls it before creating map windows.
void MapTilesInstall();

// The worker thread (argument: its TileWorkerSlot) and its loop.
DWORD WINAPI TileWorkerThread(LPVOID slot);
void TileWorkerLoop(TileWorkerSlot* slot);

// Builds the tile file from its ancestor d levels up (downloaded into
// ancestorFile when missing, through the connected client): the ancestor's
// square of 256 >> d pixels, scaled to 256 x 256 and saved as PNG. The new
// file's size, or -1. worker: a number of the caller's own in the process,
// apart from those of other downloads, for its temporary name.
long long TileLoad(const char* tileFile, const char* ancestorFile, CHttpClient* client, int d, int iface,
                   const char* folder, int zoom, uint32_t col, uint32_t row, const char* suffix, int timeout,
                   unsigned worker = 0);

// Worker threads alive in the process (the cache trim runs while any is).
volatile long* TileLiveWorkers();
