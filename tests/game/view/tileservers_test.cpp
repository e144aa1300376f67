// The tile-server tables in the real (Wine) registry, read into a recorder
// standing in for the map window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "files/regkey.h"
#include "game/tileserver_defaults.h"
#include "game/tileservers.h"
#include "map/mapmath.h"
#include "text/strlist.h"

namespace {

struct Recorder : tiles::TileSourceSink {
  struct Source {
    int slot;
    std::string server, path;
    int port, fixed, iface;
  };
  std::vector<Source> sources;
  std::vector<std::pair<int, std::pair<int, int>>> alpha;
  int zoomMin = -1, zoomMax = -1;
  uint32_t xFrom = 1, xTo = 1;
  int64_t yFrom = 1, yTo = 1;
  int applied = 0;
  void SetSource(int slot, const char* server, const char* path, int port, int fixed, int iface) override {
    sources.push_back({slot, server, path, port, fixed, iface});
  }
  void SetZoomRange(int a, int b) override { zoomMin = a, zoomMax = b; }
  void SetAreaLimitsX(uint32_t a, uint32_t b) override { xFrom = a, xTo = b; }
  void SetAreaLimitsY(int64_t a, int64_t b) override { yFrom = a, yTo = b; }
  void SetLayerAlpha(int slot, int32_t off, int32_t mul) override { alpha.push_back({slot, {off, mul}}); }
  void ApplySources() override { ++applied; }
};

class TileTable : public ::testing::Test {
 protected:
  void SetUp() override {
    RegSetAppKeyPath("Vexa-Test", "OrvaloTiles");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vexa-Test\\OrvaloTiles");
    ASSERT_TRUE(app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  }
  void TearDown() override {
    app.Close();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vexa-Test\\OrvaloTiles");
    RegSetAppKeyPath(nullptr, nullptr);
  }
  // Writes values into a table: pairs of name and text; a text starting
  // with "#" is written as a DWORD.
  void Put(const char* table, std::vector<std::pair<std::string, std::string>> values) {
    ASSERT_TRUE(app.OpenSubKey(table, REGKEY_CREATE));
    for (auto& v : values) {
      if (!v.second.empty() && v.second[0] == '#') {
        uint32_t n = (uint32_t)strtoul(v.second.c_str() + 1, nullptr, 0);
        app.WriteValue(&n, 4, v.first.c_str(), REG_DWORD);
      } else {
        app.WriteValue(v.second.c_str(), -1, v.first.c_str(), REG_SZ);
      }
    }
    app.CloseSubKey();
  }
  tiles::TileLoadResult Load() {
    rec = Recorder();
    return tiles::LoadTileServers(app, rec, &bases, &layers);
  }
  // type and text of a value ("" and 0 when missing)
  DWORD Query(const char* table, const char* name, std::string* text, DWORD* number) {
    HKEY k;
    std::string path = std::string("Software\\Vexa-Test\\OrvaloTiles\\") + table;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    BYTE buf[1024];
    DWORD type = 0, size = sizeof buf;
    LONG r = RegQueryValueExA(k, name, nullptr, &type, buf, &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return 0;
    if (type == REG_SZ && text) text->assign((char*)buf);
    if (type == REG_DWORD && number) memcpy(number, buf, 4);
    return type;
  }
  DWORD ValueCount(const char* table) {
    HKEY k;
    std::string path = std::string("Software\\Vexa-Test\\OrvaloTiles\\") + table;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
    DWORD n = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(k);
    return n;
  }
  CRegistryKey app;
  Recorder rec;
  CStrList bases{4}, layers{4};
};

TEST_F(TileTable, FirstStartWritesOneEntryAndLoadingKeepsIt) {
  ASSERT_TRUE(tiles::WriteFirstStartTable(app));
  EXPECT_FALSE(tiles::WriteFirstStartTable(app));  // the key is there now
  std::string s;
  DWORD n = 99;
  EXPECT_EQ(REG_DWORD, Query("Server", "Select", nullptr, &n));
  EXPECT_EQ(0u, n);
  const char* texts[][2] = {{"Name00", "WaterColor"}, {"Server00", ORV_FIRST_START_HOST},
                            {"Path00", "watercolor/*.jpg"}, {"ZoomMin00", "2"}, {"ZoomMax00", "6"}};
  for (auto& t : texts) {
    EXPECT_EQ(REG_SZ, Query("Server", t[0], &s, nullptr)) << t[0];
    EXPECT_EQ(t[1], s);
  }
  EXPECT_EQ(REG_DWORD, Query("Server", "Fixed00", nullptr, &n));
  EXPECT_EQ(1u, n);
  EXPECT_EQ(7u, ValueCount("Server"));

  tiles::TileLoadResult r = Load();
  EXPECT_EQ(7u, ValueCount("Server"));  // the defaults were not written
  EXPECT_EQ(1, bases.GetCount());
  EXPECT_EQ(0, layers.GetCount());
  ASSERT_EQ(2u, rec.sources.size());
  EXPECT_EQ(0, rec.sources[0].slot);
  EXPECT_EQ(ORV_FIRST_START_HOST, rec.sources[0].server);
  EXPECT_EQ("watercolor/*.jpg", rec.sources[0].path);
  EXPECT_EQ(80, rec.sources[0].port);
  EXPECT_EQ(1, rec.sources[0].fixed);
  EXPECT_EQ(1, rec.sources[1].slot);  // ends the list
  EXPECT_EQ("", rec.sources[1].server);
  EXPECT_EQ(2, rec.zoomMin);
  EXPECT_EQ(6, rec.zoomMax);
  EXPECT_EQ(0u, rec.xFrom);
  EXPECT_EQ(0u, rec.xTo);
  EXPECT_EQ(0, rec.yFrom);
  EXPECT_EQ(0x7FFFFFFF, rec.yTo);
  EXPECT_TRUE(r.allFixed);
  EXPECT_EQ(1, rec.applied);
}

TEST_F(TileTable, DefaultsWhenNoBaseMapIsLeft) {
  Put("Server", {{"Select", "#5"}});
  tiles::TileLoadResult r = Load();
  // the rows as a user reads them in the list: names, paths, schemes
  const char* names[] = {"Mapic", "Cycle", "Tiles", "Transport", "Hot", "Basemap", "Type-B", "Mapbox",
                         "Outdoors", "Topo", "WaterColor", "Tilegen", "Comic", "TopoMap", "Toner", "Esri",
                         "Esri Gray", "Physical", "Satellite", "Relief", "Esri Topo", "Here Hyprit", "Komoot",
                         "Yandex"};
  ASSERT_EQ(24, bases.GetCount());
  for (int i = 0; i < 24; i++) EXPECT_STREQ(names[i], bases.GetTextPtr(i));
  const char* layerNames[] = {"Topologie", "Topologie (st\xE4rker)", "Wanderwege", "Radwege", "Wanderwege 2",
                              "MTB Wege", "Esri Places"};
  ASSERT_EQ(7, layers.GetCount());
  for (int i = 0; i < 7; i++) {
    EXPECT_STREQ(layerNames[i], layers.GetTextPtr(i));
    EXPECT_EQ(0u, *(uint32_t*)layers.GetData(i));  // none shown
  }
  EXPECT_EQ(0, r.selected);
  EXPECT_EQ(1u, *(uint32_t*)bases.GetData(0));
  EXPECT_EQ(0, r.layersShown);
  std::string s;
  DWORD n = 99;
  EXPECT_EQ(REG_DWORD, Query("Server", "Select", nullptr, &n));
  EXPECT_EQ(0u, n);
  // value by value and type by type
  EXPECT_EQ(REG_SZ, Query("Server", "ZoomMax17", &s, nullptr));
  EXPECT_EQ("8", s);
  EXPECT_EQ(REG_DWORD, Query("Server", "Interface23", nullptr, &n));
  EXPECT_EQ(2u, n);
  EXPECT_EQ(0u, Query("Server", "Interface00", nullptr, &n));
  EXPECT_EQ(0u, Query("Server", "Fixed10", nullptr, &n));
  EXPECT_EQ(0u, Query("Server", "AreaXA00", &s, nullptr));
  EXPECT_EQ(0u, Query("Server", "ZoomMin00", &s, nullptr));
  EXPECT_EQ(1 + 24 * 3 + 4 * 2 + 7, (int)ValueCount("Server"));
  EXPECT_EQ(REG_SZ, Query("Layer", "AlphaOff00", &s, nullptr));
  EXPECT_EQ("-20", s);
  EXPECT_EQ(REG_SZ, Query("Layer", "Path06", &s, nullptr));
  EXPECT_EQ("ArcGIS/rest/services/Reference/World_Boundaries_and_Places/MapServer/tile/*.jpg", s);
  EXPECT_EQ(0u, Query("Layer", "AlphaOff06", &s, nullptr));
  EXPECT_EQ(REG_DWORD, Query("Layer", "Interface06", nullptr, &n));
  EXPECT_EQ(1u, n);
  EXPECT_EQ(0u, Query("Layer", "Select00", nullptr, &n));
  EXPECT_EQ(7 * 3 + 6 * 2 + 1, (int)ValueCount("Layer"));
  // rows 15..20 share a host, layer 06 uses it; 00/01, 03/04, 02/05 share
  for (int i = 16; i <= 20; i++) EXPECT_STREQ(tiles::kBaseMapDefaults[15].server, tiles::kBaseMapDefaults[i].server);
  EXPECT_STREQ(tiles::kBaseMapDefaults[15].server, tiles::kLayerDefaults[6].server);
  EXPECT_STREQ(tiles::kLayerDefaults[0].server, tiles::kLayerDefaults[1].server);
  EXPECT_STREQ(tiles::kLayerDefaults[3].server, tiles::kLayerDefaults[4].server);
  EXPECT_STREQ(tiles::kLayerDefaults[2].server, tiles::kLayerDefaults[5].server);
  // "Physical" gets 0..8
  Put("Server", {{"Select", "#17"}});
  Load();
  EXPECT_EQ(0, rec.zoomMin);
  EXPECT_EQ(8, rec.zoomMax);
  EXPECT_EQ(1, rec.sources[0].iface);
}

TEST_F(TileTable, UsersLayerTableSurvivesLostBaseMaps) {
  Put("Layer", {{"Name00", "Meine Ebene"}, {"Server00", "127.0.0.1:8080"}, {"Path00", "mine"}, {"Select00", "#1"}});
  Load();
  EXPECT_EQ(24, bases.GetCount());
  ASSERT_EQ(1, layers.GetCount());
  EXPECT_STREQ("Meine Ebene", layers.GetTextPtr(0));
  ASSERT_GE(rec.sources.size(), 2u);
  EXPECT_EQ(1, rec.sources[1].slot);
  EXPECT_EQ("127.0.0.1", rec.sources[1].server);
  EXPECT_EQ(8080, rec.sources[1].port);
}

TEST_F(TileTable, SelectionAndPorts) {
  Put("Server", {{"Select", "#57"}, {"Name00", "A"}, {"Server00", "host:8080"}, {"Path00", "a"},
                 {"Name01", "B"}, {"Server01", "host:"}, {"Name02", "C"}, {"Server02", "[::1]:8081"},
                 {"Name04", "after the gap"}});
  tiles::TileLoadResult r = Load();
  EXPECT_EQ(3, bases.GetCount());  // a gap ends the table
  EXPECT_EQ(0, r.selected);
  DWORD n = 0;
  Query("Server", "Select", nullptr, &n);
  EXPECT_EQ(57u, n);  // not written back
  EXPECT_EQ("host", rec.sources[0].server);
  EXPECT_EQ(8080, rec.sources[0].port);
  EXPECT_EQ(0, rec.zoomMin);  // no zoom values: the full range
  EXPECT_EQ(0, rec.zoomMax);
  Put("Server", {{"Select", "#1"}});
  Load();
  EXPECT_EQ("host", rec.sources[0].server);
  EXPECT_EQ(0, rec.sources[0].port);
  Put("Server", {{"Select", "#2"}});
  Load();
  EXPECT_EQ("[::1]", rec.sources[0].server);
  EXPECT_EQ(8081, rec.sources[0].port);
  Put("Server", {{"Select", "#-3"}});
  EXPECT_EQ(0, Load().selected);
}

TEST_F(TileTable, SelectedLayersFillSevenSlotsInListOrder) {
  Put("Server", {{"Name00", "Base"}, {"Server00", "b"}, {"Fixed00", "#1"}});
  std::vector<std::pair<std::string, std::string>> v;
  for (int i = 0; i < 10; i++) {
    char k[16], t[16];
    sprintf(k, "Name%02i", i), sprintf(t, "L%i", i), v.push_back({k, t});
    sprintf(k, "Server%02i", i), sprintf(t, "h%i:%i", i, 9000 + i), v.push_back({k, t});
    sprintf(k, "Select%02i", i), v.push_back({k, i == 4 ? "#0" : "#1"});
    sprintf(k, "Fixed%02i", i), v.push_back({k, "#1"});
    sprintf(k, "AlphaOff%02i", i), sprintf(t, "-%i", i), v.push_back({k, t});
    sprintf(k, "AlphaMul%02i", i), sprintf(t, "%i", 100 + i), v.push_back({k, t});
  }
  Put("Layer", v);
  tiles::TileLoadResult r = Load();
  EXPECT_EQ(7, r.layersShown);
  ASSERT_EQ(8u, rec.sources.size());  // no end marker: every slot is used
  const int expected[] = {0, 1, 2, 3, 5, 6, 7};  // layer 4 is not selected
  for (int s = 1; s <= 7; s++) {
    EXPECT_EQ(s, rec.sources[s].slot);
    EXPECT_EQ("h" + std::to_string(expected[s - 1]), rec.sources[s].server);
    EXPECT_EQ(9000 + expected[s - 1], rec.sources[s].port);
    EXPECT_EQ(s, rec.alpha[s - 1].first);
    EXPECT_EQ(-expected[s - 1], rec.alpha[s - 1].second.first);
    EXPECT_EQ(100 + expected[s - 1], rec.alpha[s - 1].second.second);
  }
  EXPECT_TRUE(r.allFixed);
  // two shown layers: slot 3 ends the list; one not fixed clears the flag
  Put("Layer", {{"Select02", "#0"}, {"Select03", "#0"}, {"Select05", "#0"}, {"Select06", "#0"}, {"Select07", "#0"},
                {"Select08", "#0"}, {"Select09", "#0"}, {"Fixed01", "#0"}});
  r = Load();
  EXPECT_EQ(2, r.layersShown);
  ASSERT_EQ(4u, rec.sources.size());
  EXPECT_EQ(3, rec.sources[3].slot);
  EXPECT_EQ("", rec.sources[3].server);
  EXPECT_FALSE(r.allFixed);
}

TEST_F(TileTable, AreaLimits) {
  Put("Server", {{"Name00", "A"}, {"Server00", "h"}, {"AreaXA00", "5.5"}, {"AreaXB00", "15"}});
  Load();
  EXPECT_EQ(MapLonToWorldX(5.5), rec.xFrom);
  EXPECT_EQ(MapLonToWorldX(15), rec.xTo);
  EXPECT_EQ(0, rec.yFrom);
  EXPECT_EQ(0x7FFFFFFF, rec.yTo);
  // A south of B: the rows stay in order (north first)
  Put("Server", {{"AreaYA00", "47"}, {"AreaYB00", "55"}});
  Load();
  EXPECT_EQ((int64_t)MapLatToWorldY(55), rec.yFrom);
  EXPECT_EQ((int64_t)MapLatToWorldY(47), rec.yTo);
  EXPECT_LT(rec.yFrom, rec.yTo);
  // two zeros (or unreadable texts) are no limit
  Put("Server", {{"AreaXA00", "0"}, {"AreaXB00", "0"}, {"AreaYA00", "abc"}, {"AreaYB00", "0"}});
  Load();
  EXPECT_EQ(0u, rec.xFrom);
  EXPECT_EQ(0u, rec.xTo);
  EXPECT_EQ(0, rec.yFrom);
  EXPECT_EQ(0x7FFFFFFF, rec.yTo);
  // degrees and minutes are read too
  Put("Server", {{"AreaXA00", "8° 30' W"}, {"AreaXB00", "10"}});
  Load();
  EXPECT_EQ(MapLonToWorldX(-8.5), rec.xFrom);
}

TEST_F(TileTable, EntryRoundTripAndNumbers) {
  tiles::TileServerEntry e;
  e.name = "Mine";
  e.server = "127.0.0.1:8080";
  e.path = "x/*.png";
  e.alphaOff = "-5";
  e.alphaMul = "50";
  e.info = "text";
  e.fixed = 1;
  e.iface = 2;
  e.select = 1;
  ASSERT_TRUE(app.OpenSubKey("Layer", REGKEY_CREATE));
  EXPECT_TRUE(tiles::WriteTileServerEntry(app, tiles::kLayerTable, 3, e));
  tiles::TileServerEntry back;
  EXPECT_TRUE(tiles::ReadTileServerEntry(app, tiles::kLayerTable, 3, &back));
  EXPECT_FALSE(tiles::ReadTileServerEntry(app, tiles::kLayerTable, 2, &back));
  EXPECT_FALSE(tiles::WriteTileServerEntry(app, tiles::kLayerTable, 100, e));
  app.CloseSubKey();
  tiles::ReadTileServerEntry(app, tiles::kLayerTable, 3, &back);  // wrong level: nothing
  ASSERT_TRUE(app.OpenSubKey("Layer"));
  ASSERT_TRUE(tiles::ReadTileServerEntry(app, tiles::kLayerTable, 3, &back));
  EXPECT_STREQ("Mine", back.name);
  EXPECT_STREQ("x/*.png", back.path);
  EXPECT_STREQ("-5", back.alphaOff);
  EXPECT_STREQ("text", back.info);
  EXPECT_EQ(1u, back.fixed);
  EXPECT_EQ(2u, back.iface);
  EXPECT_EQ(1u, back.select);
  app.CloseSubKey();

  EXPECT_EQ(0, tiles::TextToInt(""));
  EXPECT_EQ(-20, tiles::TextToInt(" -20x"));
  EXPECT_EQ(12, tiles::TextToInt("12.9"));
  EXPECT_EQ(2147483647, tiles::TextToInt("99999999999999"));
  EXPECT_EQ(0, tiles::TextToInt("x5"));
  // only the leading digits: no digit groups, no radix prefix
  EXPECT_EQ(1, tiles::TextToInt("1 234"));
  EXPECT_EQ(0, tiles::TextToInt("0x10"));
  EXPECT_EQ(-2147483647 - 1, tiles::TextToInt("-99999999999"));
}

}  // namespace
