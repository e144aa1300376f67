#include "game/view/view_settings.h"

#include <string.h>

#include "files/fileio.h"
#include "files/regkey.h"
#include "text/cstring.h"
#include "text/fmtprint.h"

namespace view {

const char kGameOptionsKey[] = "GameOptions";

namespace {

struct Setting {
  const char* name;
  int ViewSettings::*value;
};

const Setting kIntSettings[] = {
    {"WheelMode", &ViewSettings::wheelMode}, {"CoordMode", &ViewSettings::coordMode},
    {"ShowCoord", &ViewSettings::showCoord}, {"ComPort", &ViewSettings::comPort},
    {"OsmMenu", &ViewSettings::osmMenu},     {"OsmZoom", &ViewSettings::osmZoom},
};

void ReadDword(CRegistryKey& key, const char* name, uint32_t* v) { key.ReadValue(v, 4, name, REG_DWORD); }

int WriteDword(CRegistryKey& key, const char* name, uint32_t v) { return key.WriteValue(&v, 4, name, REG_DWORD); }

bool ReadBool(CRegistryKey& key, const char* name, bool def) {
  uint32_t v = def ? 1 : 0;
  ReadDword(key, name, &v);
  return v != 0;
}

void ReadText(CRegistryKey& key, const char* name, char* out, int size) {
  CString s;
  if (key.ReadString(s, name)) FmtPrintA(out, size, "%s", s.GetString());
}

}  // namespace

void ReadViewSettings(CRegistryKey& app, ViewSettings* s) {
  *s = ViewSettings();
  for (const Setting& e : kIntSettings) {
    uint32_t v = (uint32_t)(s->*e.value);
    ReadDword(app, e.name, &v);
    s->*e.value = (int)v;
  }
  ReadDword(app, "OsmPosX", &s->osmPosX);
  ReadDword(app, "OsmPosY", &s->osmPosY);
  ClampViewSettings(s);
}

int WriteViewSettings(CRegistryKey& app, const ViewSettings& s) {
  int ok = 1;
  for (const Setting& e : kIntSettings) ok &= WriteDword(app, e.name, (uint32_t)(s.*e.value));
  ok &= WriteDword(app, "OsmPosX", s.osmPosX);
  ok &= WriteDword(app, "OsmPosY", s.osmPosY);
  return ok;
}

void ReadGameOptions(CRegistryKey& app, game::GameConfig* c) {
  game::GameConfigDefaults(*c);
  if (app.OpenSubKey(kGameOptionsKey, REGKEY_READ)) {
    ReadDword(app, "MaximalTime", &c->maxTime);
    ReadText(app, "HtmInfoPath", c->infoPath, sizeof c->infoPath);
    ReadDword(app, "GamersCount", &c->playerCount);
    ReadDword(app, "PlayerStats", &c->playerStats);
    c->hideOpponent = ReadBool(app, "HideOpponent", c->hideOpponent);
    c->singleClick = ReadBool(app, "SingleClick", c->singleClick);
    c->starSecond = ReadBool(app, "StarSecond", c->starSecond);
    c->zoomOut = ReadBool(app, "ZoomOut", c->zoomOut);
    c->showHtml = ReadBool(app, "ShowHtml", c->showHtml);
    for (int i = 0; i < game::kMaxPlayers; i++) {
      char name[16];
      FmtPrintA(name, sizeof name, "Name%02i", i);
      ReadText(app, name, c->names[i], sizeof c->names[i]);
      FmtPrintA(name, sizeof name, "Color%02i", i);
      ReadDword(app, name, &c->colours[i]);
    }
    app.CloseSubKey();
  }
  ClampGameConfig(c);
}

bool FolderHasInfoPage(const char* folder) {
  if (!folder || !*folder) return false;
  char page[MAX_PATH + 32];
  if (FmtPrintA(page, sizeof page, "%s\\Main\\Info.html", folder) <= 0) return false;
  FioInfo info;
  return FioStat(page, &info) == 0 && !(info.attributes & FIO_ATTR_DIRECTORY);
}

}  // namespace view
