// The view's decisions without a window: stored settings brought into range,
// the wheel modes of view and map, COM-port texts, the tint rule, the
// status line against the geodesy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "files/fileio.h"
#include "files/pathsafe.h"
#include "game/view/view_logic.h"
#include "tests/support/testenv.h"
#include "map/geo.h"

using namespace view;

TEST(ViewSettings, GarbageBecomesSane) {
  ViewSettings s;
  s.wheelMode = 7;
  s.coordMode = 3;
  s.comPort = 999;
  s.osmMenu = 5;
  s.osmZoom = 99;
  s.osmPosX = 0xFFFFFFFF;
  s.showCoord = -4;
  ClampViewSettings(&s);
  EXPECT_EQ(kWheelScroll, s.wheelMode);
  EXPECT_EQ(0, s.coordMode);
  EXPECT_EQ(0, s.comPort);
  EXPECT_EQ(1, s.osmMenu);
  EXPECT_EQ(22, s.osmZoom);
  EXPECT_EQ(0x3FFFFFFFu, s.osmPosX);
  EXPECT_EQ(1, s.showCoord);
  for (int m : {0, 6, 10}) {
    s.coordMode = m;
    ClampViewSettings(&s);
    EXPECT_EQ(m, s.coordMode);
  }
}

TEST(ViewSettings, WheelModeSurvivesTheRoundTrip) {
  // the view stores 1 scroll, 2 zoom; the map window counts the other way
  EXPECT_EQ(kMapWheelScroll, WheelModeToMap(kWheelScroll));
  EXPECT_EQ(kMapWheelZoom, WheelModeToMap(kWheelZoom));
  for (int m = 0; m <= 2; m++) {
    int stored = m;
    for (int restart = 0; restart < 3; restart++) stored = WheelModeFromMap(WheelModeToMap(stored));
    EXPECT_EQ(m, stored);
  }
}

TEST(ViewSettings, ComPortTexts) {
  EXPECT_EQ(2, ParseComPort("COM3"));
  EXPECT_EQ(2, ParseComPort("com3"));
  EXPECT_EQ(2, ParseComPort("3"));
  EXPECT_EQ(2, ParseComPort(" Com3 "));
  EXPECT_EQ(0, ParseComPort("0"));
  EXPECT_EQ(0, ParseComPort("COMx"));
  EXPECT_EQ(0, ParseComPort("-4"));
  EXPECT_EQ(0, ParseComPort(""));
  EXPECT_EQ(0, ParseComPort(nullptr));
  EXPECT_EQ(255, ParseComPort("256"));
  EXPECT_EQ(255, ParseComPort("COM99999999999999999999"));
}

TEST(GameOptions, ClampedOnReading) {
  game::GameConfig c;
  game::GameConfigDefaults(c);
  EXPECT_STREQ("Spieler1", c.names[0]);
  EXPECT_STREQ("Spieler8", c.names[7]);
  c.playerCount = 200;
  c.maxTime = 5000;
  c.colours[3] = 0xFF123456;
  ClampGameConfig(&c);
  EXPECT_EQ(8u, c.playerCount);
  EXPECT_EQ(999u, c.maxTime);
  EXPECT_EQ(0x123456u, c.colours[3]);
  c.playerCount = 0;
  ClampGameConfig(&c);
  EXPECT_EQ(1u, c.playerCount);
}

TEST(MarkerTint, ClampedToAlphaAndPremultiplied) {
  // base 30, tint 225, alpha 255: white reaches 255 without wrapping
  uint32_t full = 30 | (225 << 8) | (255 << 16);
  EXPECT_EQ(0xFFFFFFFFu, TintPixel(full, 0xFFFFFF));
  // black keeps the base level in every channel
  EXPECT_EQ(0xFF1E1E1Eu, TintPixel(full, 0x000000));
  // 0x00BBGGRR: red in byte 2 of the pixel, blue in byte 0
  EXPECT_EQ(0xFF1E1EFFu, TintPixel(full, 0xFF0000));
  EXPECT_EQ(0xFFFF1E1Eu, TintPixel(full, 0x0000FF));
  // base + tint would pass 255 (200 + 200): clamped, not wrapped
  uint32_t over = 200 | (200 << 8) | (255 << 16);
  EXPECT_EQ(0xFFFFFFFFu, TintPixel(over, 0xFFFFFF));
  // a half-transparent edge never gets a channel above its alpha
  uint32_t edge = 60 | (120 << 8) | (100 << 16);
  uint32_t p = TintPixel(edge, 0xFFFFFF);
  EXPECT_EQ(100u, p >> 24);
  for (int ch = 0; ch < 3; ch++) EXPECT_LE((p >> (8 * ch)) & 0xFF, 100u);
  // the colour's top byte does not leak into a channel
  EXPECT_EQ(TintPixel(full, 0x123456), TintPixel(full, 0xFF123456));
}

// The number after the last `label`; NaN when there is none.
static double KmAfter(const char* text, const char* label) {
  std::string t(text);
  size_t at = t.rfind(label);
  return at == std::string::npos ? NAN : strtod(t.c_str() + at + strlen(label), nullptr);
}

TEST(StatusLine, ModesAgreeWithTheGeodesy) {
  char text[200];
  StatusInput in;
  in.zoom = 7;
  in.pointerOverMap = true;
  in.lon1 = 13.5;
  in.lat1 = 52.25;
  FormatStatus(in, 0, text, sizeof text);
  EXPECT_EQ(std::string("  Zoom=7  Breite=") + GeoFormatCoordA(52.25, 1, nullptr, 0, nullptr) +
                "  L\xE4nge=" + GeoFormatCoordA(13.5, 0, nullptr, 0, nullptr),
            text);
  in.pointerOverMap = false;
  FormatStatus(in, 0, text, sizeof text);
  EXPECT_STREQ("", text);

  in.mouseMode = 3;
  in.actionRunning = true;
  in.lon1 = 13.4, in.lat1 = 52.5, in.lon2 = 2.35, in.lat2 = 48.85;
  FormatStatus(in, 10, text, sizeof text);
  // Berlin to Paris and the sides of their rectangle: Vincenty's values from
  // tests/map/geo_reference.py, within 0.05 %
  EXPECT_NEAR(879.035, KmAfter(text, "Entfernung="), 879.035 * 5e-4) << text;
  EXPECT_NE(nullptr, strstr(text, GeoFormatCoordA(48.85, 11, nullptr, 0, nullptr))) << text;

  in.mouseMode = 2;
  FormatStatus(in, 6, text, sizeof text);
  EXPECT_NEAR(749.675, KmAfter(text, "Breite="), 749.675 * 5e-4) << text;
  EXPECT_NEAR(406.033, KmAfter(text, "Höhe="), 406.033 * 5e-4) << text;
  // a tiny buffer is cut, never overrun
  char small[8];
  FormatStatus(in, 6, small, sizeof small);
  EXPECT_LT(strlen(small), sizeof small);
}

TEST(Coordinates, EightResultsAtOnce) {
  std::string want[8];
  for (int i = 0; i < 8; i++) want[i] = GeoFormatCoordA(i + 0.5, 6 + (i & 1), nullptr, 0, nullptr);
  const char* r[8];
  for (int i = 0; i < 8; i++) r[i] = FormatCoordinate(i + 0.5, 6, i & 1);
  for (int i = 0; i < 8; i++) EXPECT_EQ(want[i], r[i]);
}

// A game folder given relative (command line, options) is still found after
// a file dialog has changed the current folder.
TEST(GameFolder, RelativeFolderOutlivesAChangeOfTheCurrentFolder) {
  std::string dir = orvtest::MakeTempDir("gamefolder");
  std::string main = orvtest::JoinPath(orvtest::JoinPath(dir, "Quiz"), "Main");
  ASSERT_TRUE(FioMakeDir(orvtest::JoinPath(dir, "Quiz").c_str()) && FioMakeDir(main.c_str()));
  ASSERT_TRUE(orvtest::WriteFile(orvtest::JoinPath(main, "Info.html"), "<html>", 6));
  char before[1024], taken[260];
  ASSERT_TRUE(getcwd(before, sizeof before));
  ASSERT_EQ(0, chdir(dir.c_str()));
  TakeGameFolder("Quiz/", taken, sizeof taken);
  ASSERT_EQ(0, chdir(before));
  FioInfo info;
  EXPECT_EQ(0, FioStat((std::string(taken) + "/Main/Info.html").c_str(), &info)) << taken;
  EXPECT_FALSE(PathIsSep(taken[strlen(taken) - 1])) << taken;
  TakeGameFolder("", taken, sizeof taken);
  EXPECT_STREQ("", taken);
}
