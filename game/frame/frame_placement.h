// Where the main window comes up: the values stored at the last close and
// the monitors of now decide it. The decision is a pure function so that
// any monitor layout can be tried.
#pragma once

#include <windows.h>

#include <vector>

struct StoredPlacement {
  bool hasZoomed = false;  // "IsZoomed" present
  bool zoomed = false;
  bool hasRect = false;    // "LastPosX/Y", "LastSizeX/Y" present
  RECT rect = {0, 0, 0, 0};
  int monitor = 0;         // "LastMonitor", 0 when missing
};

struct MonitorArea {
  RECT full;
  RECT work;
};

struct PlacementDecision {
  bool maximised = false;
  bool useRect = false;  // false: the system's default placement
  RECT rect = {0, 0, 0, 0};
};

// The margin a stored rectangle keeps inside its monitor's work area.
constexpr int kPlacementMargin = 50;
// Smaller stored sizes are taken as damaged.
constexpr int kPlacementMinWidth = 100;
constexpr int kPlacementMinHeight = 80;

PlacementDecision DecidePlacement(const StoredPlacement& stored, const std::vector<MonitorArea>& monitors);

// The system's monitors now (the toolkit's table).
std::vector<MonitorArea> CurrentMonitors();
// Reads and writes the values of the key "Settings" below the application key.
bool LoadStoredPlacement(StoredPlacement* out);
// normalRect in screen coordinates; monitor -1 when only one monitor exists.
void SaveStoredPlacement(bool zoomed, const RECT& normalRect, int monitor);
