// A round's scoreboard tick (clearing the slices of three shrinking bars and,
// under Windows, blending what it invalidated onto a window-sized DIB)
// against blending only those slices; the share of the client area one tick
// repaints; the half-size board against memcpy of its bytes.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstring>
#include <vector>

#include "bench/benchlib.h"
#include "game/play/gameresults.h"

using namespace game;

namespace {

constexpr int kClientW = 1024, kClientH = 768;

// Records what a tick invalidates; nothing else matters here.
class BenchHost : public GameHost {
 public:
  std::vector<GameRect> rects;
  int InsertMarker(const char*, double, double, int, Colour) override { return 0; }
  void SetMarker(int, double, double, int) override {}
  void DeleteAllMarkers() override {}
  void MoveMap(double, double, int) override {}
  void ZoomToArea(double, double, double, double) override {}
  void ClientToGeo(int, int, double*, double*) override {}
  bool PointerPos(int*, int*) override { return false; }
  void NudgePointer() override {}
  void SetCursor(MapCursor, int) override {}
  void CaptureMouse(bool) override {}
  void FocusMap() override {}
  bool FileExists(const char*) override { return false; }
  int ReadFileHead(const char*, char*, int) override { return -1; }
  void ShowWeb(bool) override {}
  void NavigateWeb(const char*) override {}
  void SetTitle(const char*) override {}
  void ErrorBox(const char*) override {}
  void PlayGameSound(const char*) override {}
  void PostCommand(int) override {}
  void Invalidate(const GameRect& r) override { rects.push_back(r); }
  void RedrawAll() override {}
};

struct Round {
  GameConfig config;
  GameState state;
  PlayerSlot players[kMaxPlayers];
  BenchHost host;
  GameResults results{config, state, players, host};

  Round() {
    config.playerCount = 3;
    state.clientWidth = kClientW, state.clientHeight = kClientH;
    state.targetLon = 10, state.targetLat = 50;
    for (int i = 0; i < 3; ++i) {
      players[i].colour = 0x00FF00u >> (4 * i);
      players[i].guessLon = 10 + i, players[i].guessLat = 50 + i;  // the winner on the target
    }
    results.ShowRoundResults();
    // every bar shrinks all the way: three slices each tick
    for (int i = 0; i < 3; ++i) players[i].barLength = kBarShortest;
    state.minimumMark = kBarShortest - 6;
  }
  // keeps the bars shrinking: every tick clears a slice of each
  void Tick() {
    if (state.animationPos < 200) {
      state.animationPos = kBarFull;
      for (int i = 0; i < 3; ++i) players[i].barFinished = false;
    }
    results.AnimateStep();
  }
};

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  Round round;

  // the share of the client area one tick repaints
  round.host.rects.clear();
  round.Tick();
  long area = 0;
  for (const GameRect& r : round.host.rects) area += (long)(r.right - r.left) * (r.bottom - r.top);
  std::printf("BENCH scoreboard.area: %ld of %d px repainted per tick, ratio %.4f\n", area, kClientW * kClientH,
              (double)area / (kClientW * kClientH));

#ifdef _WIN32
  HDC screen = GetDC(nullptr);
  HDC target = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kClientW, -kClientH, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  SelectObject(target, dib);
  HDC board = CreateCompatibleDC(screen);
  SelectObject(board, round.results.Board().GetHBitmap());
  BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  int left = round.results.BoardLeft(), top = round.results.BoardTop();
  auto blend = [&](const GameRect& r) {
    return AlphaBlend(target, r.left, r.top, r.right - r.left, r.bottom - r.top, board, r.left - left, r.top - top,
                      r.right - r.left, r.bottom - r.top, bf);
  };
  std::vector<GameRect> slices = round.host.rects;
  orvbench::Compare(
      "scoreboard.tick", "tick and repaint",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          round.host.rects.clear();
          round.Tick();
          for (const GameRect& r : round.host.rects) s += blend(r);
        }
        return s;
      },
      "AlphaBlend of the slices",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i)
          for (const GameRect& r : slices) s += blend(r);
        return s;
      });
  DeleteDC(board);
  DeleteDC(target);
  DeleteObject(dib);
  ReleaseDC(nullptr, screen);
#endif

  const CPicture& b = round.results.Board();
  CPicture half;
  std::vector<uint8_t> copy(b.ImageBytes());
  orvbench::Compare(
      "scoreboard.half", "HalveBoard",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += HalveBoard(b, half) ? half.Pixels()[i % 64] : 0;
        return s;
      },
      "memcpy of the board",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          std::memcpy(copy.data(), b.Pixels(), copy.size());
          s += copy[i % 64];
        }
        return s;
      });
  return 0;
}
