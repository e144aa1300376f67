#include "game/tileservers.h"

#include <math.h>
#include <string.h>

#include <string>

#include "files/regkey.h"
#include "game/tileserver_defaults.h"
#include "map/geo.h"
#include "map/mapmath.h"
#include "text/fmtprint.h"
#include "text/number.h"
#include "text/strlist.h"

namespace tiles {

const char kServerKey[] = "Server";
const char kLayerKey[] = "Layer";
const char kSelectValue[] = "Select";

namespace {

struct Field {
  const char* name;
  CString TileServerEntry::*text;  // null: a DWORD field
  uint32_t TileServerEntry::*number;
};

const Field kBaseFields[] = {
    {"Server", &TileServerEntry::server, nullptr},   {"Path", &TileServerEntry::path, nullptr},
    {"ZoomMin", &TileServerEntry::zoomMin, nullptr}, {"ZoomMax", &TileServerEntry::zoomMax, nullptr},
    {"AreaXA", &TileServerEntry::areaXA, nullptr},   {"AreaYA", &TileServerEntry::areaYA, nullptr},
    {"AreaXB", &TileServerEntry::areaXB, nullptr},   {"AreaYB", &TileServerEntry::areaYB, nullptr},
    {"Fixed", nullptr, &TileServerEntry::fixed},     {"Interface", nullptr, &TileServerEntry::iface},
};
const Field kLayerFields[] = {
    {"Server", &TileServerEntry::server, nullptr},     {"Path", &TileServerEntry::path, nullptr},
    {"AlphaOff", &TileServerEntry::alphaOff, nullptr}, {"AlphaMul", &TileServerEntry::alphaMul, nullptr},
    {"Info", &TileServerEntry::info, nullptr},         {"Fixed", nullptr, &TileServerEntry::fixed},
    {"Interface", nullptr, &TileServerEntry::iface},   {"Select", nullptr, &TileServerEntry::select},
};

template <int N>
constexpr int Count(const Field (&)[N]) {
  return N;
}

// The table's values are short: one query into a buffer here serves them
// (the key object asks twice, for the size and then the data); a longer
// text goes to the key object.
uint32_t ReadDword(CRegistryKey& key, const char* name) {
  uint32_t v = 0;
  DWORD type = 0, size = sizeof v;
  if (!key.GetKey() || RegQueryValueExA(key.GetKey(), name, nullptr, &type, (BYTE*)&v, &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof v)
    return 0;
  return v;
}

int ReadText(CRegistryKey& key, const char* name, CString* text) {
  char buf[256];
  DWORD type = 0, size = sizeof buf;
  text->Empty();
  if (!key.GetKey()) return 0;
  LONG r = RegQueryValueExA(key.GetKey(), name, nullptr, &type, (BYTE*)buf, &size);
  if (r == ERROR_MORE_DATA) return key.ReadString(*text, name);
  if (r != ERROR_SUCCESS) return 0;
  // up to the first zero, as the key object reads a text
  const void* z = memchr(buf, 0, size);
  text->SetString(buf, z ? (int)((const char*)z - buf) : (int)size);
  return 1;
}

int ReadIndexed(CRegistryKey& key, const char* field, int index, CString* text) {
  char name[24];
  text->Empty();
  if (!EntryValueName(name, sizeof name, field, index)) return 0;
  return ReadText(key, name, text);
}

uint32_t ReadIndexedDword(CRegistryKey& key, const char* field, int index) {
  char name[24];
  return EntryValueName(name, sizeof name, field, index) ? ReadDword(key, name) : 0;
}

int WriteText(CRegistryKey& key, const char* field, int index, const char* text) {
  char name[24];
  return EntryValueName(name, sizeof name, field, index) && key.WriteValue(text, -1, name, REG_SZ);
}

int WriteDword(CRegistryKey& key, const char* field, int index, uint32_t value) {
  char name[24];
  return EntryValueName(name, sizeof name, field, index) && key.WriteValue(&value, 4, name, REG_DWORD);
}

bool HasName(CRegistryKey& key, int index) {
  CString s;
  return ReadIndexed(key, "Name", index, &s) != 0;
}

// The source of a table row: server, port, path, fixed flag and scheme.
struct RowSource {
  CString host, path;
  int port = kDefaultPort;
  uint32_t fixed = 0, iface = 0;
};

void ReadRowSource(CRegistryKey& key, int index, RowSource* r) {
  CString server;
  ReadIndexed(key, "Server", index, &server);
  SplitServerPort(server, &r->host, &r->port);
  ReadIndexed(key, "Path", index, &r->path);
  r->fixed = ReadIndexedDword(key, "Fixed", index);
  r->iface = ReadIndexedDword(key, "Interface", index);
}

void ApplyAreaLimits(CRegistryKey& key, int index, TileSourceSink& sink) {
  CString xa, ya, xb, yb;
  ReadIndexed(key, "AreaXA", index, &xa);
  ReadIndexed(key, "AreaYA", index, &ya);
  ReadIndexed(key, "AreaXB", index, &xb);
  ReadIndexed(key, "AreaYB", index, &yb);
  double lonA = GeoParseCoordA(xa, nullptr), latA = GeoParseCoordA(ya, nullptr);
  double lonB = GeoParseCoordA(xb, nullptr), latB = GeoParseCoordA(yb, nullptr);
  // 0 or missing means no limit; a pair of zeros would pin the map to the
  // prime meridian (the equator)
  if (lonA == 0 && lonB == 0)
    sink.SetAreaLimitsX(0, 0);
  else
    sink.SetAreaLimitsX(MapLonToWorldX(lonA), MapLonToWorldX(lonB));
  if (latA == 0 && latB == 0) {
    sink.SetAreaLimitsY(0, kNoLimitYTo);
  } else {
    // the map keeps (from, max(from, to)): north first
    int64_t yA = MapLatToWorldY(latA), yB = MapLatToWorldY(latB);
    sink.SetAreaLimitsY(yA < yB ? yA : yB, yA < yB ? yB : yA);
  }
}

// Asked of the registry itself: a key object opened for creating would make
// the key it is asked to open.
bool SubKeyExists(CRegistryKey& key, const char* name) {
  HKEY existing = nullptr;
  if (!key.GetKey() || RegOpenKeyExA(key.GetKey(), name, 0, KEY_READ, &existing) != ERROR_SUCCESS) return false;
  RegCloseKey(existing);
  return true;
}

}  // namespace

bool EntryValueName(char* out, int size, const char* field, int index) {
  if (index < 0 || index >= kMaxTableEntries) {
    if (size > 0) out[0] = 0;
    return false;
  }
  return FmtPrintA(out, size, "%s%02i", field, index) > 0;
}

int TextToInt(const char* text) {
  if (!text) return 0;
  // only the leading decimal digits count: no digit groups, fraction or prefix
  int used = 0;
  NumParseIntA(text, 10, &used);
  if (used == 0) return 0;
  // the same digits as a double saturate where the integer would wrap
  std::string digits(text, (size_t)used);
  double v = NumParseDoubleA(digits.c_str(), nullptr, NUMF_SIGN);
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (int)0x80000000u;
  return (int)trunc(v);
}

void SplitServerPort(const char* text, CString* host, int* port) {
  CString s(text);
  int from = 0;
  if (s.GetLength() > 0 && s[0] == '[') {
    int close = s.Find(']');
    if (close >= 0) from = close;
  }
  int colon = s.Find(':', from);
  if (colon < 0) {
    *host = s;
    *port = kDefaultPort;
    return;
  }
  *host = s.Left(colon);
  *port = TextToInt(s.GetString() + colon + 1);
}

int ReadTileServerEntry(CRegistryKey& table, TableKind kind, int index, TileServerEntry* e) {
  *e = TileServerEntry();
  if (!ReadIndexed(table, "Name", index, &e->name)) return 0;
  const Field* f = kind == kBaseMapTable ? kBaseFields : kLayerFields;
  int n = kind == kBaseMapTable ? Count(kBaseFields) : Count(kLayerFields);
  for (int i = 0; i < n; i++) {
    if (f[i].text)
      ReadIndexed(table, f[i].name, index, &(e->*f[i].text));
    else
      e->*f[i].number = ReadIndexedDword(table, f[i].name, index);
  }
  return 1;
}

int WriteTileServerEntry(CRegistryKey& table, TableKind kind, int index, const TileServerEntry& e) {
  int ok = WriteText(table, "Name", index, e.name);
  const Field* f = kind == kBaseMapTable ? kBaseFields : kLayerFields;
  int n = kind == kBaseMapTable ? Count(kBaseFields) : Count(kLayerFields);
  for (int i = 0; i < n; i++) {
    if (f[i].text)
      ok &= WriteText(table, f[i].name, index, e.*f[i].text);
    else
      ok &= WriteDword(table, f[i].name, index, e.*f[i].number);
  }
  return ok;
}

int ReadTableNames(CRegistryKey& table, TableKind kind, CStrList* names) {
  names->RemoveAll();
  names->SetDataSize(4);
  CString name;
  for (int i = 0; i < kMaxTableEntries && ReadIndexed(table, "Name", i, &name); i++) {
    uint32_t data = kind == kLayerTable ? ReadIndexedDword(table, "Select", i) : 0;
    names->Insert(name, -1, &data);
  }
  return names->GetCount();
}

bool WriteFirstStartTable(CRegistryKey& app) {
  if (!app.GetKey() || SubKeyExists(app, kServerKey)) return false;
  if (!app.OpenSubKey(kServerKey, REGKEY_CREATE)) return false;
  uint32_t zero = 0;
  app.WriteValue(&zero, 4, kSelectValue, REG_DWORD);
  WriteText(app, "Name", 0, kFirstStartName);
  WriteText(app, "Server", 0, ORV_FIRST_START_HOST);
  WriteText(app, "Path", 0, kFirstStartPath);
  WriteText(app, "ZoomMin", 0, kFirstStartZoomMin);
  WriteText(app, "ZoomMax", 0, kFirstStartZoomMax);
  WriteDword(app, "Fixed", 0, 1);
  app.CloseSubKey();
  return true;
}

void WriteDefaultTables(CRegistryKey& app, bool layersToo) {
  app.DeleteKey(kServerKey);
  if (app.OpenSubKey(kServerKey, REGKEY_CREATE)) {
    uint32_t zero = 0;
    app.WriteValue(&zero, 4, kSelectValue, REG_DWORD);
    for (int i = 0; i < kDefaultBaseMaps; i++) {
      const DefaultBaseMap& d = kBaseMapDefaults[i];
      WriteText(app, "Name", i, d.name);
      WriteText(app, "Server", i, d.server);
      WriteText(app, "Path", i, d.path);
      if (d.zoomMin) WriteText(app, "ZoomMin", i, d.zoomMin);
      if (d.zoomMax) WriteText(app, "ZoomMax", i, d.zoomMax);
      if (d.iface) WriteDword(app, "Interface", i, d.iface);
    }
    app.CloseSubKey();
  }
  if (!layersToo) return;
  app.DeleteKey(kLayerKey);
  if (app.OpenSubKey(kLayerKey, REGKEY_CREATE)) {
    for (int i = 0; i < kDefaultLayers; i++) {
      const DefaultLayer& d = kLayerDefaults[i];
      WriteText(app, "Name", i, d.name);
      WriteText(app, "Server", i, d.server);
      WriteText(app, "Path", i, d.path);
      if (d.alphaOff) WriteText(app, "AlphaOff", i, d.alphaOff);
      if (d.alphaMul) WriteText(app, "AlphaMul", i, d.alphaMul);
      if (d.iface) WriteDword(app, "Interface", i, d.iface);
    }
    app.CloseSubKey();
  }
}

TileLoadResult LoadTileServers(CRegistryKey& app, TileSourceSink& sink, CStrList* baseNames, CStrList* layerNames) {
  TileLoadResult r;
  baseNames->RemoveAll();
  layerNames->RemoveAll();
  if (!app.OpenSubKey(kServerKey, REGKEY_CREATE)) return r;
  if (!HasName(app, 0)) {
    app.CloseSubKey();
    // a user's own layer table stays when only the base maps were removed
    bool layersToo = true;
    if (SubKeyExists(app, kLayerKey) && app.OpenSubKey(kLayerKey, REGKEY_READ)) {
      layersToo = !HasName(app, 0);
      app.CloseSubKey();
    }
    WriteDefaultTables(app, layersToo);
    if (!app.OpenSubKey(kServerKey, REGKEY_CREATE)) return r;
  }

  int32_t select = (int32_t)ReadDword(app, kSelectValue);
  int bases = ReadTableNames(app, kBaseMapTable, baseNames);
  if (select < 0 || select >= bases) select = 0;
  r.selected = select;
  baseNames->SetValue(select, 1);

  RowSource base;
  ReadRowSource(app, select, &base);
  sink.SetSource(0, base.host, base.path, base.port, (int)base.fixed, (int)base.iface);
  r.allFixed = base.fixed != 0;

  CString zmin, zmax;
  ReadIndexed(app, "ZoomMin", select, &zmin);
  ReadIndexed(app, "ZoomMax", select, &zmax);
  sink.SetZoomRange(TextToInt(zmin), TextToInt(zmax));
  ApplyAreaLimits(app, select, sink);
  app.CloseSubKey();

  int slot = 1;
  if (SubKeyExists(app, kLayerKey) && app.OpenSubKey(kLayerKey, REGKEY_READ)) {
    int layers = ReadTableNames(app, kLayerTable, layerNames);
    for (int i = 0; i < layers && slot < kSourceSlots; i++) {
      uint32_t shown = 0;
      layerNames->GetData(i, &shown, sizeof shown);
      if (!shown) continue;
      RowSource layer;
      ReadRowSource(app, i, &layer);
      sink.SetSource(slot, layer.host, layer.path, layer.port, (int)layer.fixed, (int)layer.iface);
      if (!layer.fixed) r.allFixed = false;
      CString off, mul;
      ReadIndexed(app, "AlphaOff", i, &off);
      ReadIndexed(app, "AlphaMul", i, &mul);
      sink.SetLayerAlpha(slot, TextToInt(off), TextToInt(mul));
      slot++;
    }
    app.CloseSubKey();
  }
  r.layersShown = slot - 1;
  if (slot < kSourceSlots) sink.SetSource(slot, "", "", 0, 0, 0);
  sink.ApplySources();
  return r;
}

}  // namespace tiles
