// TreeList speed: per-item insert speed at 100,000 items against 10,000
// (root appends, parents with children in pre-order, deferred direct inserts
// from a worker), a full repaint at 100,000 items against 100, sorting
// children against std::sort of the same keys with the same compare, and
// expanding everything against that std::sort. Each line prints both speeds
// and their ratio (subject / reference).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchlib.h"
#include "treelist/tlstate.h"
#include "treelist/treelist.h"

namespace {

HWND g_parent = nullptr;

HWND NewList(int w = 1024, int h = 768) {
  if (!g_parent) {
    TreeListRegisterClass(GetModuleHandleA(nullptr));
    g_parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  HWND tl = CreateWindowExA(0, TREELIST_CLASSNAME, nullptr, WS_CHILD | TVS_HASLINES | TVS_HASBUTTONS, 0, 0, w, h,
                            g_parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!tl) {
    std::printf("no window: %lu\n", GetLastError());
    std::exit(1);
  }
  return tl;
}

uintptr_t Insert(HWND tl, uintptr_t parent, const char* text, uint32_t extra = 0, WNDPROC direct = nullptr) {
  TLInsert r = {};
  r.hParent = parent;
  r.hInsertAfter = TLI_LAST;
  r.ex.item.mask = TLIF_TEXT | TLIF_STATE | extra;
  r.ex.item.state = TLIS_EXPANDED;
  r.ex.item.stateMask = TLIS_EXPANDED;
  r.ex.item.pszText = const_cast<char*>(text);
  return direct ? direct(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r))
                : SendMessageA(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
}

// best seconds of three runs of f
template <class F>
double Best(F f) {
  double best = 1e300;
  for (int i = 0; i < 3; i++) {
    double t0 = orvbench::Seconds();
    f();
    best = std::min(best, orvbench::Seconds() - t0);
  }
  return best;
}

void Line(const char* name, const char* s, double sPerSec, const char* r, double rPerSec, double sSec, double rSec) {
  std::printf("BENCH %s: %s %.4g ops/s, %s %.4g ops/s, ratio %.3f  (%s %.3f s, %s %.3f s)\n", name, s, sPerSec, r,
              rPerSec, sPerSec / rPerSec, s, sSec, r, rSec);
  std::fflush(stdout);
}

double RootAppends(int n) {
  return Best([&] {
    HWND tl = NewList();
    for (int i = 0; i < n; i++) Insert(tl, TLI_ROOT, "item");
    DestroyWindow(tl);
  });
}

double PreOrder(int parents) {
  return Best([&] {
    HWND tl = NewList();
    for (int p = 0; p < parents; p++) {
      uintptr_t h = Insert(tl, TLI_ROOT, "parent");
      for (int c = 0; c < 100; c++) Insert(tl, h, "child");
    }
    DestroyWindow(tl);
  });
}

double DeferredWorker(int n) {
  return Best([&] {
    HWND tl = NewList();
    WNDPROC direct = reinterpret_cast<WNDPROC>(SendMessageA(tl, TLM_PROPERTY, TLPROP_WNDPROC, 0));
    std::thread worker([&] {
      for (int i = 0; i < n; i++) Insert(tl, TLI_ROOT, "item", TLIF_DEFERRED, direct);
    });
    worker.join();
    SendMessageA(tl, TLM_RUNDEFERRED, 0, 0);
    DestroyWindow(tl);
  });
}

double Repaint(int n, int reps) {
  HWND tl = NewList();
  for (int c = 0; c < 4; c++) {
    TLColumnDesc d = {};
    d.mask = TLCF_WIDTH | TLCF_TEXT;
    d.cx = 250;
    d.pszText = const_cast<char*>("Column");
    SendMessageA(tl, TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d));
  }
  for (int i = 0; i < n; i++) {
    uintptr_t h = Insert(tl, TLI_ROOT, "A row label of some length");
    for (int c = 1; c < 4; c++) {
      TLItem it = {};
      it.mask = TLIF_TEXT | TLIF_COLUMN;
      it.hItem = h;
      it.cChildren = c;
      it.pszText = const_cast<char*>("cell text 12345");
      SendMessageA(tl, TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
    }
  }
  SendMessageA(tl, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  SendMessageA(tl, TLM_ENSUREVISIBLE, -2, SendMessageA(tl, TLM_GETROWITEM, 0, n / 2));
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1024, -768, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits;
  HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  double t = Best([&] {
    for (int i = 0; i < reps; i++) SendMessageA(tl, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
  });
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bm);
  DestroyWindow(tl);
  return t;
}

std::vector<std::string> Keys(int n, int distinct) {
  orvbench::Random rnd;
  std::vector<std::string> k(n);
  for (int i = 0; i < n; i++) {
    unsigned long long v = rnd.Next() % (distinct ? distinct : 1000000007ull);
    k[i] = "k" + std::to_string(v);
  }
  return k;
}

double SortChildren(const std::vector<std::string>& keys) {
  HWND tl = NewList();
  SendMessageA(tl, WM_SETREDRAW, FALSE, 0);
  double best = 1e300;
  for (int round = 0; round < 3; round++) {
    SendMessageA(tl, TLM_DELETEITEM, 0x87, TLI_ROOT);
    for (const std::string& k : keys) Insert(tl, TLI_ROOT, k.c_str());
    double t0 = orvbench::Seconds();
    SendMessageA(tl, TLM_SORTCHILDREN, 0, TLI_ROOT);
    best = std::min(best, orvbench::Seconds() - t0);
  }
  DestroyWindow(tl);
  return best;
}

double StdSort(const std::vector<std::string>& keys) {
  return Best([&] {
    std::vector<std::string> v = keys;
    std::sort(v.begin(), v.end(), [](const std::string& a, const std::string& b) {
      return TreeListStricmp(a.c_str(), b.c_str()) < 0;
    });
    orvbench::Sink() = orvbench::Sink() + static_cast<double>(v.front().size());
  });
}

double ExpandAll() {
  HWND tl = NewList();
  SendMessageA(tl, WM_SETREDRAW, FALSE, 0);
  for (int p = 0; p < 10000; p++) {
    TLInsert r = {};
    r.hParent = TLI_ROOT;
    r.hInsertAfter = TLI_LAST;
    r.ex.item.mask = TLIF_TEXT;
    r.ex.item.pszText = const_cast<char*>("parent");
    uintptr_t h = SendMessageA(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
    for (int c = 0; c < 9; c++) {
      r.hParent = h;
      SendMessageA(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
    }
  }
  double best = 1e300;
  for (int round = 0; round < 3; round++) {
    SendMessageA(tl, TLM_EXPAND, TLE_COLLAPSE | TLE_SUBTREE | TLE_QUIET, TLI_ROOT);
    double t0 = orvbench::Seconds();
    SendMessageA(tl, TLM_EXPAND, 0x10000002, TLI_ROOT);
    best = std::min(best, orvbench::Seconds() - t0);
  }
  DestroyWindow(tl);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  bool quick = orvbench::Settings().rounds < 7;
  int big = quick ? 20000 : 100000, small = big / 10;
  const char* f = orvbench::Settings().filter;
  auto want = [&](const char* n) { return !f || std::strstr(n, f); };
  if (want("treelist.insert.root")) {
    double a = RootAppends(big), b = RootAppends(small);
    Line("treelist.insert.root", "at 100000", big / a, "at 10000", small / b, a, b);
  }
  if (want("treelist.insert.preorder")) {
    double a = PreOrder(big / 100), b = PreOrder(small / 100);
    Line("treelist.insert.preorder", "at 100000", big / a, "at 10000", small / b, a, b);
  }
  if (want("treelist.insert.deferred")) {
    double a = DeferredWorker(big), b = DeferredWorker(small);
    Line("treelist.insert.deferred", "at 100000", big / a, "at 10000", small / b, a, b);
  }
  if (want("treelist.paint")) {
    const int reps = quick ? 3 : 20;
    double a = Repaint(big, reps), b = Repaint(100, reps);
    Line("treelist.paint", "at 100000", reps / a, "at 100", reps / b, a, b);
  }
  if (want("treelist.sort")) {
    std::vector<std::string> randomKeys = Keys(big, 0), fewKeys = Keys(big, 100);
    double a = SortChildren(randomKeys), b = StdSort(randomKeys);
    Line("treelist.sort.random", "TLM_SORTCHILDREN", big / a, "std::sort", big / b, a, b);
    a = SortChildren(fewKeys);
    b = StdSort(fewKeys);
    Line("treelist.sort.100keys", "TLM_SORTCHILDREN", big / a, "std::sort", big / b, a, b);
  }
  if (want("treelist.expandall")) {
    std::vector<std::string> randomKeys = Keys(100000, 0);
    double a = ExpandAll(), b = StdSort(randomKeys);
    Line("treelist.expandall", "expand all", 100000 / a, "std::sort", 100000 / b, a, b);
  }
  return 0;
}
