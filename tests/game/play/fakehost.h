// A host that records what the game asks of the view.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/play/gameflow.h"

struct FakeMarker {
  std::string text;
  double lon, lat;
  int flags;
  game::Colour colour;
};

class FakeHost : public game::GameHost {
 public:
  std::vector<FakeMarker> markers;
  std::map<std::string, std::string> files;
  std::vector<std::string> sounds, titles, errors, pages;
  std::vector<int> posted;
  std::vector<game::GameRect> invalidated;
  int redraws = 0, moves = 0, nudges = 0, lastZoom = -1;
  bool web = false, captured = false;
  bool pointerKnown = true;
  int pointerX = 100, pointerY = 50;
  game::MapCursor cursor = game::MapCursor::Arrow;
  game::GeoBox zoomBox = {0, 0, 0, 0};

  int InsertMarker(const char* text, double lon, double lat, int flags, game::Colour colour) override {
    markers.push_back({text, lon, lat, flags, colour});
    return (int)markers.size() - 1;
  }
  void SetMarker(int index, double lon, double lat, int flags) override {
    ASSERT_GE(index, 0);
    ASSERT_LT(index, (int)markers.size());
    markers[index].lon = lon, markers[index].lat = lat, markers[index].flags = flags;
  }
  void DeleteAllMarkers() override { markers.clear(); }
  void MoveMap(double, double, int zoom) override { ++moves, lastZoom = zoom; }
  void ZoomToArea(double w, double s, double e, double n) override { zoomBox = {w, s, e, n}; }
  // one degree per pixel about (0, 0)
  void ClientToGeo(int x, int y, double* lon, double* lat) override { *lon = x - 500, *lat = 250 - y; }
  bool PointerPos(int* x, int* y) override {
    *x = pointerX, *y = pointerY;
    return pointerKnown;
  }
  void NudgePointer() override { ++nudges; }
  void SetCursor(game::MapCursor c, int) override { cursor = c; }
  void CaptureMouse(bool c) override { captured = c; }
  void FocusMap() override {}
  bool FileExists(const char* path) override { return files.count(path) != 0; }
  int ReadFileHead(const char* path, char* buffer, int size) override {
    auto it = files.find(path);
    if (it == files.end() || it->second == "<unreadable>") return -1;
    int n = (int)it->second.size() < size ? (int)it->second.size() : size;
    it->second.copy(buffer, n);
    return n;
  }
  void ShowWeb(bool show) override { web = show; }
  void NavigateWeb(const char* path) override { pages.push_back(path); }
  void SetTitle(const char* t) override { titles.push_back(t); }
  void ErrorBox(const char* text) override { errors.push_back(text); }
  void PlayGameSound(const char* name) override { sounds.push_back(name); }
  void PostCommand(int id) override { posted.push_back(id); }
  void Invalidate(const game::GameRect& r) override { invalidated.push_back(r); }
  void RedrawAll() override { ++redraws; }

  void AddPage(int n, const std::string& body) {
    char path[64];
    snprintf(path, sizeof path, "C:\\quiz\\Game%03d\\Info.html", n);
    files[path] = body;
  }
  static std::string Target(double lon, double lat, const std::string& name) {
    return "<!--REFX " + std::to_string(lon) + " --><!--REFY " + std::to_string(lat) + " --><!--NAME \"" + name +
           "\" -->";
  }
};
