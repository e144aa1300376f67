// What the view decides without a window: its eight settings with their
// clamps, the wheel-mode translation to the map window, the COM-port text,
// the game options' limits and the status line.
#pragma once

#include <stdint.h>

#include "comm/serial.h"
#include "game/gamestate.h"

namespace view {

// Wheel modes as the view stores them; the map window counts the other way.
constexpr int kWheelNone = 0, kWheelScroll = 1, kWheelZoom = 2;
constexpr int kMapWheelZoom = 1, kMapWheelScroll = 2;

constexpr int kComPorts = COM_PORTS;

// Values directly in the application key, read at construction and
// written back at destruction.
struct ViewSettings {
  int wheelMode = kWheelScroll;  // "WheelMode"
  int coordMode = 0;             // "CoordMode": 0, 6 or 10
  int showCoord = 0;             // "ShowCoord"
  int comPort = 0;               // "ComPort": 0 = COM1
  int osmMenu = 1;               // "OsmMenu"
  int osmZoom = -1;              // "OsmZoom": negative = the map's default
  uint32_t osmPosX = 0;          // "OsmPosX", "OsmPosY": both 0 = the map's default
  uint32_t osmPosY = 0;
};

// Brings stored values into their ranges (anything may be in the registry).
void ClampViewSettings(ViewSettings* s);

int WheelModeToMap(int viewMode);
int WheelModeFromMap(int mapMode);

// "COM3", "com3", "3": index 2; an optional "COM", then the number n; the
// index is n - 1, 0 when n <= 0, at most kComPorts - 1.
int ParseComPort(const char* text);

// The stored options brought into range: 1..8 players, colours of 24 bits,
// at most 999 seconds.
void ClampGameConfig(game::GameConfig* c);

// The game folder as the program keeps it: absolute, since a file dialog
// may change the current folder later, and without a trailing separator
// (a drive root keeps its own). A path that does not fit is kept as given.
void TakeGameFolder(const char* path, char* out, int size);

// Coordinate text in the given format (0, 6, 10) for axis 0 (longitude) or
// 1 (latitude), in one of eight rotating buffers.
const char* FormatCoordinate(double value, int coordMode, int axis);

// The status line of a tick. mode: the left button's mouse mode.
struct StatusInput {
  int mouseMode = 0;
  int zoom = 0;
  bool pointerOverMap = false;
  double lon1 = 0, lat1 = 0, lon2 = 0, lat2 = 0;  // pointer, or the action's points
  bool actionRunning = false;
};
// Writes the text into out (size bytes); the measured distance and the
// rectangle's sides come from the geodesy.
void FormatStatus(const StatusInput& in, int coordMode, char* out, int size);

// An embedded picture, each pixel base level (byte 0), tint amount (byte 1)
// and alpha (byte 2), premultiplied; the target is plain premultiplied BGRA.
struct EmbeddedImage {
  int width, height;
  const uint32_t* pixels;  // top row first
};

// One tinted pixel, premultiplied BGRA: each channel base + tint x c / 255,
// at most 255 and at most the pixel's alpha (so it stays premultiplied).
uint32_t TintPixel(uint32_t encoded, game::Colour colour);

}  // namespace view
