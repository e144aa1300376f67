#include "game/view/view_logic.h"

#include <string.h>

#include "files/fileio.h"
#include "files/pathsafe.h"
#include "map/geo.h"
#include "text/fmtprint.h"
#include "text/number.h"

namespace view {

void ClampViewSettings(ViewSettings* s) {
  if (s->wheelMode < kWheelNone || s->wheelMode > kWheelZoom) s->wheelMode = kWheelScroll;
  if (s->coordMode != 0 && s->coordMode != 6 && s->coordMode != 10) s->coordMode = 0;
  s->showCoord = s->showCoord != 0;
  if (s->comPort < 0 || s->comPort >= kComPorts) s->comPort = 0;
  s->osmMenu = s->osmMenu != 0;
  if (s->osmZoom > 22) s->osmZoom = 22;
  s->osmPosX &= 0x3FFFFFFF;
  s->osmPosY &= 0x3FFFFFFF;
}

int WheelModeToMap(int viewMode) {
  return viewMode == kWheelZoom ? kMapWheelZoom : viewMode == kWheelScroll ? kMapWheelScroll : 0;
}

int WheelModeFromMap(int mapMode) {
  return mapMode == kMapWheelZoom ? kWheelZoom : mapMode == kMapWheelScroll ? kWheelScroll : kWheelNone;
}

int ParseComPort(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t') text++;
  if ((text[0] | 0x20) == 'c' && (text[1] | 0x20) == 'o' && (text[2] | 0x20) == 'm') text += 3;
  int used = 0;
  // read as a double so that a long number saturates instead of wrapping
  double n = NumParseDoubleA(text, &used, NUMF_SIGN);
  if (used == 0 || !(n >= 1)) return 0;
  if (n > kComPorts) return kComPorts - 1;
  return (int)n - 1;
}

void TakeGameFolder(const char* path, char* out, int size) {
  if (size <= 0) return;
  if (!path) path = "";
  bool driveOnly = path[0] && path[1] == ':' && !path[2];  // "C:" is the drive's root here
  if (driveOnly || FioFullPath(out, (size_t)size, path) < 0) FmtPrintA(out, size, "%s", path);
  int n = (int)strlen(out);
  // a drive root keeps its separator
  while (n > 1 && PathIsSep(out[n - 1]) && !(n == 3 && out[1] == ':')) out[--n] = 0;
}

void ClampGameConfig(game::GameConfig* c) {
  if (c->playerCount < 1) c->playerCount = 1;
  if (c->playerCount > (uint32_t)game::kMaxPlayers) c->playerCount = game::kMaxPlayers;
  if (c->maxTime > game::kMaxTimeSeconds) c->maxTime = game::kMaxTimeSeconds;
  for (game::Colour& col : c->colours) col &= 0xFFFFFF;
  c->infoPath[sizeof c->infoPath - 1] = 0;
  for (auto& n : c->names) n[sizeof n - 1] = 0;
}

const char* FormatCoordinate(double value, int coordMode, int axis) {
  // the geodesy's own ring of eight buffers
  return GeoFormatCoordA(value, coordMode + (axis & 1), nullptr, 0, nullptr);
}

uint32_t TintPixel(uint32_t encoded, game::Colour colour) {
  uint32_t base = encoded & 0xFF, tint = (encoded >> 8) & 0xFF, alpha = (encoded >> 16) & 0xFF;
  uint32_t out = alpha << 24;
  // colour is 0x00BBGGRR, the pixel blue, green, red from byte 0 up
  for (int ch = 0; ch < 3; ch++) {
    uint32_t c = (colour >> (8 * (2 - ch))) & 0xFF;
    uint32_t v = base + tint * c / 255;
    if (v > alpha) v = alpha;
    out |= v << (8 * ch);
  }
  return out;
}

void FormatStatus(const StatusInput& in, int coordMode, char* out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  if (in.mouseMode == 3 && in.actionRunning) {
    double d = GeoDistanceDegrees(in.lon1, in.lat1, in.lon2, in.lat2) * 0.001;
    FmtPrintA(out, size, "  Zoom=%i  Breite=%s  Länge=%s  Entfernung=%.3fkm", in.zoom,
              FormatCoordinate(in.lat2, coordMode, 1), FormatCoordinate(in.lon2, coordMode, 0), d);
  } else if (in.mouseMode == 2 && in.actionRunning) {
    double w = GeoDistanceDegrees(in.lon1, in.lat1, in.lon2, in.lat1) * 0.001;
    double h = GeoDistanceDegrees(in.lon1, in.lat1, in.lon1, in.lat2) * 0.001;
    FmtPrintA(out, size, "  Breite=%s  Länge=%s  Breite=%.3fkm  Höhe=%.3fkm", FormatCoordinate(in.lat2, coordMode, 1),
              FormatCoordinate(in.lon2, coordMode, 0), w, h);
  } else if (in.pointerOverMap) {
    FmtPrintA(out, size, "  Zoom=%i  Breite=%s  Länge=%s", in.zoom, FormatCoordinate(in.lat1, coordMode, 1),
              FormatCoordinate(in.lon1, coordMode, 0));
  }
}

}  // namespace view
