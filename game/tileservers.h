// The tile-server tables in the registry: base maps below "Server", overlay
// layers below "Layer", entry i as values "Name%02i", "Server%02i", ... .
// LoadTileServers turns the selected entries into the tile sources of a map
// window, given as a sink so that tests can record what it would receive.
#pragma once

#include <stdint.h>

#include "text/cstring.h"

class CRegistryKey;
class CStrList;

namespace tiles {

enum TableKind { kBaseMapTable, kLayerTable };

constexpr int kMaxTableEntries = 100;  // value names have two digits
constexpr int kSourceSlots = 8;        // slot 0 the base map, 1..7 layers
constexpr int kDefaultPort = 80;
constexpr int64_t kNoLimitYTo = 0x7FFFFFFF;

extern const char kServerKey[];  // "Server"
extern const char kLayerKey[];   // "Layer"
extern const char kSelectValue[];  // "Select" of the base-map table

// One row of either table. A row exists as long as its name value does.
struct TileServerEntry {
  CString name, server, path;
  CString zoomMin, zoomMax;                // base maps
  CString areaXA, areaYA, areaXB, areaYB;  // base maps
  CString alphaOff, alphaMul, info;        // layers
  uint32_t fixed = 0, iface = 0;
  uint32_t select = 0;  // layers: shown
};

// "<field>%02i" into out (size >= 16); false for an index outside 0..99.
bool EntryValueName(char* out, int size, const char* field, int index);

// The table's key must be the innermost level of key. 0 when entry index
// has no name (the fields are then empty).
int ReadTileServerEntry(CRegistryKey& table, TableKind kind, int index, TileServerEntry* entry);
// Writes every field of the kind; nonzero when all values were written.
int WriteTileServerEntry(CRegistryKey& table, TableKind kind, int index, const TileServerEntry& entry);
// Names 00.. up to the first gap into names (data size 4): 0 for base maps,
// the "Select%02i" flag for layers. Returns the count.
int ReadTableNames(CRegistryKey& table, TableKind kind, CStrList* names);

// Leading decimal digits with an optional sign; saturating; empty gives 0.
int TextToInt(const char* text);
// "host", "host:port", "[v6]:port": the port after the colon (80 without
// one, 0 without digits after it).
void SplitServerPort(const char* text, CString* host, int* port);

// What LoadTileServers hands to a map window.
class TileSourceSink {
 public:
  virtual void SetSource(int slot, const char* server, const char* path, int port, int fixed, int iface) = 0;
  virtual void SetZoomRange(int minZoom, int maxZoom) = 0;
  virtual void SetAreaLimitsX(uint32_t from, uint32_t to) = 0;
  virtual void SetAreaLimitsY(int64_t from, int64_t to) = 0;
  virtual void SetLayerAlpha(int slot, int32_t offset, int32_t scale) = 0;
  virtual void ApplySources() = 0;

 protected:
  ~TileSourceSink() = default;
};

struct TileLoadResult {
  int selected = 0;       // base map in force
  int layersShown = 0;    // sources 1..7 set
  bool allFixed = false;  // base map and every shown layer from the fixed cache
};

// app: the application key, opened with REGKEY_CREATE.
// A fresh installation gets the one-entry table of the fixed world map when
// "Server" is missing; true when it was written.
bool WriteFirstStartTable(CRegistryKey& app);
// Replaces "Server" by the built-in base maps (and "Layer" by the built-in
// layers when layersToo), leaving app at its own level.
void WriteDefaultTables(CRegistryKey& app, bool layersToo);
// Reads both tables (writing the built-in ones when "Server" has no entry),
// fills the name lists (data size 4: 1 on the selected base map, the select
// flag of each layer) and hands the sources to sink.
TileLoadResult LoadTileServers(CRegistryKey& app, TileSourceSink& sink, CStrList* baseNames, CStrList* layerNames);

}  // namespace tiles
