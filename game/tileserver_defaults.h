// Built-in tile-server tables. The first-start entry's host is also the
// folder of the offline world map below the fixed cache: the set-up scripts
// read it from here, so it is the one place that names it.
#pragma once

#include <stdint.h>

#define ORV_FIRST_START_HOST "tile.stamen.com"

namespace tiles {

// One built-in row; null texts are not written.
struct DefaultBaseMap {
  const char* name;
  const char* server;
  const char* path;
  const char* zoomMin;  // null: no zoom range written
  const char* zoomMax;
  uint32_t iface;       // written only when not 0
};

struct DefaultLayer {
  const char* name;
  const char* server;
  const char* path;
  const char* alphaOff;  // null: not written
  const char* alphaMul;
  uint32_t iface;        // written only when not 0
};

constexpr int kDefaultBaseMaps = 24;
constexpr int kDefaultLayers = 7;

extern const DefaultBaseMap kBaseMapDefaults[kDefaultBaseMaps];
extern const DefaultLayer kLayerDefaults[kDefaultLayers];

// The one-entry table of a fresh installation: the world map of the fixed
// cache at zoom 2 to 6.
extern const char kFirstStartName[];    // "WaterColor"
extern const char kFirstStartPath[];    // "watercolor/*.jpg"
extern const char kFirstStartZoomMin[];
extern const char kFirstStartZoomMax[];

}  // namespace tiles
