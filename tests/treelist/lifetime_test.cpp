// Lifetimes and re-entrancy: a parent that destroys the control inside a
// notification, deep chains on a small stack, sorts whose compare calls back,
// a second thread waiting for the busy flag, direct calls on dead windows.
// Run with WINEDEBUG=warn+heap: freed blocks are filled, so a use after free
// crashes instead of passing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <stdio.h>
#include <string.h>

#include "tests/treelist/tlharness.h"

using tltest::Harness;

namespace {

// Runs f on a thread with a 256 KB stack and waits for it.
template <typename F>
DWORD WINAPI RunBox(void* p) {
  (*static_cast<F*>(p))();
  return 0;
}

template <typename F>
void OnSmallStack(F f) {
  HANDLE t = CreateThread(nullptr, 256 * 1024, &RunBox<F>, &f, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(t, nullptr);
  // notifications from the thread come to this thread's parent window
  while (MsgWaitForMultipleObjects(1, &t, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  DWORD code = 1;
  GetExitCodeThread(t, &code);
  CloseHandle(t);
  EXPECT_EQ(code, 0u);
}

void ClickItem(Harness& h, uintptr_t item) {
  RECT r = {static_cast<LONG>(item), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  LPARAM pt = MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2);
  h.Send(WM_LBUTTONDOWN, MK_LBUTTON, pt);
  h.Send(WM_LBUTTONUP, 0, pt);
}

// The parent destroys the control inside each of these notifications; the
// operation that sent it must stop without touching the freed state.
TEST(TreeListLifetime, DestroyInsideNotifications) {
  const int codes[] = {static_cast<int>(NM_CLICK), TLN_SELCHANGED, TLN_ITEMEXPANDING, TLN_ENDLABELEDIT,
                       TLN_DELETEITEM,  TLN_SELCHANGING, TLN_DROP, TLN_DROP - 1000};
  for (int code : codes) {
    bool cancel = code == TLN_DROP - 1000;  // the drop note of a drag ended by Escape
    if (cancel) code = TLN_DROP;
    Harness h(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS);
    uintptr_t a = h.Insert(TLI_ROOT, "alpha");
    uintptr_t b = h.Insert(a, "beta");
    h.Insert(TLI_ROOT, "gamma");
    (void)b;
    HWND tl = h.tl();
    h.On(code, [&](NMHDR*) -> LRESULT {
      if (IsWindow(tl)) DestroyWindow(tl);
      return 0;
    });
    switch (code) {
      case static_cast<int>(NM_CLICK):
      case TLN_SELCHANGED:
      case TLN_SELCHANGING: ClickItem(h, a); break;
      case TLN_ITEMEXPANDING: h.Send(TLM_EXPAND, TLE_EXPAND | TLE_SUBTREE, TLI_ROOT); break;
      case TLN_ENDLABELEDIT: {
        HWND ed = reinterpret_cast<HWND>(h.Send(TLM_EDITLABEL, 0, a));
        ASSERT_NE(ed, nullptr);
        h.Send(TLM_ENDEDITLABELNOW, 0);
        break;
      }
      case TLN_DELETEITEM: h.Send(TLM_DELETEITEM, 0, TLI_ROOT); break;
      case TLN_DROP:
        h.Send(TLM_PROPERTY, TLPROP_DRAGFLAGS | TLPROP_SET, TLDRAG_REPORTCANCEL);
        ASSERT_EQ(h.Send(TLM_BEGINDRAG, 0, a), 1);
        if (cancel) h.Send(WM_KEYDOWN, VK_ESCAPE, 0x10001);
        else h.Send(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        break;
    }
    EXPECT_FALSE(IsWindow(tl)) << code;
    // direct calls on the dead window answer 0
    EXPECT_EQ(TreeListWndProc(tl, TLM_GETCOUNT, 0, 0), 0) << code;
    EXPECT_EQ(TreeListWndProc(tl, TLM_INSERTITEM, 0, 0), 0) << code;
    tltest::Pump(20);
  }
}

TEST(TreeListLifetime, DeepChainOnSmallStack) {
  Harness h;
  const int kDepth = 100000;
  std::vector<uintptr_t> chain;
  chain.reserve(kDepth);
  OnSmallStack([&] {
    WNDPROC proc = reinterpret_cast<WNDPROC>(h.Send(TLM_PROPERTY, TLPROP_WNDPROC));
    uintptr_t parent = TLI_ROOT;
    for (int i = 0; i < kDepth; i++) {
      TLInsert r = {};
      r.hParent = parent;
      r.hInsertAfter = TLI_LAST;
      r.ex.item.mask = TLIF_TEXT | TLIF_PARAM | TLIF_STATE;
      r.ex.item.state = TLIS_EXPANDED;
      r.ex.item.stateMask = TLIS_EXPANDED;
      r.ex.item.pszText = const_cast<char*>(i == kDepth - 1 ? "needle" : "x");
      r.ex.item.lParam = i;
      parent = proc(h.tl(), TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
      if (!parent) break;
      chain.push_back(parent);
    }
    ASSERT_EQ(chain.size(), static_cast<size_t>(kDepth));
    EXPECT_EQ(proc(h.tl(), TLM_GETROWCOUNT, 0, 0), kDepth);
    proc(h.tl(), TLM_EXPAND, TLE_COLLAPSE | TLE_SUBTREE | TLE_QUIET, TLI_ROOT);
    EXPECT_EQ(proc(h.tl(), TLM_GETROWCOUNT, 0, 0), 1);
    proc(h.tl(), TLM_EXPAND, TLE_EXPAND | TLE_SUBTREE | TLE_QUIET, TLI_ROOT);
    EXPECT_EQ(proc(h.tl(), TLM_GETROWCOUNT, 0, 0), kDepth);
    TLFind f = {TLFI_TEXT | TLFI_SUBTREE, 0, 0, 0, 0, "needle"};
    EXPECT_EQ(static_cast<uintptr_t>(proc(h.tl(), TLM_FINDITEM, TLI_ROOT, reinterpret_cast<LPARAM>(&f))), chain.back());
    TLItem c = {};
    c.mask = TLIF_COUNTANY | TLIF_SCOPEDESCENDANTS;
    c.hItem = chain[0];
    EXPECT_EQ(proc(h.tl(), TLM_COUNTITEMS, 0, reinterpret_cast<LPARAM>(&c)), kDepth - 1);
    TLItem g = {};
    g.mask = TLIF_PARAM | TLIF_SCOPEDESCENDANTS;
    g.hItem = chain[0];
    g.lParam = 5;
    EXPECT_EQ(proc(h.tl(), TLM_SETITEMGROUP, 0, reinterpret_cast<LPARAM>(&g)), kDepth - 1);
    EXPECT_EQ(proc(h.tl(), TLM_SORTCHILDREN, 1, TLI_ROOT), 1);
    // the deepest item moves to the top level and back
    EXPECT_EQ(proc(h.tl(), TLM_MOVEAFTER, chain[0], chain[1]), 2);
    EXPECT_EQ(proc(h.tl(), TLM_GETNEXTITEM, TLGN_LEVEL, chain.back()), kDepth - 2);
    h.Clear();
    EXPECT_EQ(proc(h.tl(), TLM_DELETEITEM, 0, chain[0]), 1);
  });
  EXPECT_EQ(h.Count(TLN_DELETEITEM), 1);
  EXPECT_EQ(h.Send(TLM_GETCOUNT), kDepth - 1);
  OnSmallStack([&] { EXPECT_EQ(h.Send(TLM_DELETEITEM, 0, TLI_ROOT), 1); });
  EXPECT_EQ(h.Send(TLM_GETCOUNT), 0);
}

struct SortEnv {
  Harness* h;
  uintptr_t parent;
  int calls;
  int mode;
  std::mt19937* rng;
};
SortEnv* g_sort = nullptr;

int TL_CALLBACK CompareData(intptr_t a, intptr_t b, intptr_t) {
  SortEnv* e = g_sort;
  e->calls++;
  if (e->mode == 1) {
    // calls back: structural changes are refused while busy
    EXPECT_EQ(e->h->Insert(e->parent, "intruder"), 0u);
    EXPECT_EQ(e->h->Send(TLM_DELETEITEM, 0, e->h->Next(TLGN_CHILD, e->parent)), 0);
    EXPECT_EQ(e->h->Send(TLM_SORTCHILDREN, 0, e->parent), 0);
    EXPECT_EQ(e->h->Send(TLM_MOVEFIRSTCHILD, TLI_ROOT, e->h->Next(TLGN_CHILD, e->parent)), 0);
    EXPECT_GE(e->h->Send(TLM_GETCOUNT), 1);
  }
  if (e->mode == 2) return static_cast<int>((*e->rng)() % 3) - 1;  // inconsistent
  return a < b ? -1 : a > b ? 1 : 0;
}

std::vector<intptr_t> ChildData(Harness& h, uintptr_t p) {
  std::vector<intptr_t> v;
  for (uintptr_t c = h.Next(TLGN_CHILD, p); c; c = h.Next(TLGN_NEXT, c)) v.push_back(h.Data(c));
  return v;
}

TEST(TreeListLifetime, SortsWithCallbacks) {
  std::mt19937 rng(7);
  for (int mode = 0; mode < 3; mode++) {
    for (int n : {2, 128, 129, 1000}) {
      Harness h;
      uintptr_t p = h.Insert(TLI_ROOT, "p");
      std::vector<intptr_t> data;
      for (int i = 0; i < n; i++) data.push_back(static_cast<intptr_t>(rng() % (mode == 0 ? 100 : 100000)));
      for (intptr_t d : data) h.Insert(p, "c", TLI_LAST, d);
      SortEnv env{&h, p, 0, mode, &rng};
      g_sort = &env;
      TLSort s = {p, CompareData, 0};
      EXPECT_EQ(h.Send(TLM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&s)), 1);
      std::vector<intptr_t> got = ChildData(h, p);
      std::vector<intptr_t> sortedIn = data, sortedOut = got;
      std::sort(sortedIn.begin(), sortedIn.end());
      std::sort(sortedOut.begin(), sortedOut.end());
      EXPECT_EQ(sortedOut, sortedIn) << "no child lost or doubled, mode " << mode << " n " << n;
      if (mode != 2) {
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end())) << mode << " " << n;
      }
      EXPECT_EQ(h.Send(TLM_GETCOUNT), n + 1);
      g_sort = nullptr;
    }
  }
}

// A sorted insert leaves the lock while its compare runs; another thread's
// insert meanwhile waits for the busy flag instead of being lost.
struct BusyEnv {
  HWND tl;
  HANDLE started, go;
  std::atomic<int> workerResult{-1};
};
BusyEnv* g_busy = nullptr;

int TL_CALLBACK SlowCompare(uintptr_t, TLHandle, const char* sib, const char* now, intptr_t, intptr_t) {
  if (g_busy) {
    SetEvent(g_busy->go);
    Sleep(50);
  }
  return strcmp(now, sib);
}

TEST(TreeListLifetime, OtherThreadWaitsForBusyFlag) {
  Harness h;
  for (const char* t : {"b", "d", "f"}) h.Insert(TLI_ROOT, t);
  BusyEnv env;
  env.tl = h.tl();
  env.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_busy = &env;
  std::thread worker([&] {
    WaitForSingleObject(env.go, INFINITE);
    TLInsert r = {};
    r.hParent = TLI_ROOT;
    r.hInsertAfter = TLI_LAST;
    r.ex.item.mask = TLIF_TEXT | TLIF_DEFERRED;
    r.ex.item.pszText = const_cast<char*>("z");
    env.workerResult = static_cast<int>(TreeListWndProc(env.tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
  });
  TLInsert r = {};
  r.hParent = TLI_ROOT;
  r.hInsertAfter = TLI_SORTCALLBACK;
  r.ex.item.mask = TLIF_TEXT;
  r.ex.item.hItem = reinterpret_cast<TLHandle>(&SlowCompare);
  r.ex.item.pszText = const_cast<char*>("c");
  EXPECT_NE(h.Send(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)), 0);
  g_busy = nullptr;
  worker.join();
  EXPECT_GT(env.workerResult.load(), 0);
  tltest::Pump(50);
  EXPECT_EQ(h.Shape(), "b,c,d,f,z");
  CloseHandle(env.go);
}

// Ends the program with a failure when a scope has not been left within 5 s:
// two threads that wait for each other would otherwise stall the whole run.
class Watchdog {
 public:
  explicit Watchdog(const char* what) : m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_what(what) {
    m_thread = std::thread([this] {
      if (WaitForSingleObject(m_done, 5000) == WAIT_TIMEOUT) {
        fprintf(stderr, "%s: hangs\n", m_what);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
  }
  ~Watchdog() {
    SetEvent(m_done);
    m_thread.join();
    CloseHandle(m_done);
  }

 private:
  HANDLE m_done;
  const char* m_what;
  std::thread m_thread;
};

// Runs f on another thread while this one pumps.
template <typename F>
void RunWhilePumping(F f) {
  HANDLE t = CreateThread(nullptr, 0, &RunBox<F>, &f, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &t, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) tltest::Pump(0);
  CloseHandle(t);
}

// A worker's quiet delete of the item under the tip or the editor: the tip
// and the editor are the window thread's, ended there after the delete.
TEST(TreeListLifetime, WorkerDeletesTheItemUnderTheTipOrTheEditor) {
  for (int editor = 0; editor < 2; editor++) {
    Harness hh(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 300, 200, 0, true);
    Harness* h = &hh;
    HWND tl = h->tl();
    uintptr_t a = h->Insert(TLI_ROOT, "eins");
    h->Insert(TLI_ROOT, "zwei");
    HWND tt = reinterpret_cast<HWND>(h->Send(TLM_GETTOOLTIPS));
    if (editor) {
      h->Send(TLM_EDITLABEL, 0, a);
      ASSERT_NE(FindWindowExA(tl, nullptr, "Edit", nullptr), nullptr);
    } else {
      static char text[] = "Hinweis";
      h->Send(TLM_SETEXTENDEDSTYLE, TLOPT_INFOTIPS, TLOPT_INFOTIPS);
      h->On(TLN_GETINFOTIP, [&](NMHDR* nm) -> LRESULT {
        reinterpret_cast<TLNmTreeView*>(nm)->itemNew.pszText = text;
        return 1;
      });
      RECT r = {static_cast<LONG>(a), 0, 0, 0};
      h->Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
      h->Send(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
      ASSERT_TRUE(IsWindowVisible(tt));
    }
    h->Clear();
    {
      Watchdog dog("a worker's delete of the item under the tip or the editor");
      RunWhilePumping([&] { TreeListWndProc(tl, TLM_DELETEITEM, 0x89, a); });
    }
    tltest::Pump(50);  // TLM_RUNDEFERRED
    EXPECT_EQ(h->Send(TLM_GETCOUNT), 1);
    EXPECT_FALSE(IsWindowVisible(tt)) << editor;
    EXPECT_EQ(FindWindowExA(tl, nullptr, "Edit", nullptr), nullptr) << editor;
    EXPECT_EQ(h->Count(TLN_ENDLABELEDIT), editor);
  }
}

// A worker's sorted insert waits for a callback text from this thread while
// this thread deletes: the delete answers the worker's questions as it waits;
// a delete from inside such an answer is refused.
TEST(TreeListLifetime, DeleteWhileAWorkerWaitsForAText) {
  Harness h;
  uintptr_t roots[4];
  for (uintptr_t& r : roots) r = h.Insert(TLI_ROOT, TL_TEXTCALLBACK);
  static const char* texts[] = {"b", "d", "f", "h"};
  LRESULT nested = -1;
  h.On(TLN_GETDISPINFO, [&](NMHDR* nm) -> LRESULT {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(nm);
    for (int i = 0; i < 4; i++)
      if (di->item.hItem == roots[i]) strcpy(di->item.pszText, texts[i]);
    if (nested == -1 && InSendMessage()) nested = h.Send(TLM_DELETEITEM, 0, roots[3]);
    return 0;
  });
  std::atomic<intptr_t> inserted{-1};
  HWND tl = h.tl();
  std::thread worker([&] {
    TLInsert r = {};
    r.hParent = TLI_ROOT;
    r.hInsertAfter = TLI_SORT;
    r.ex.item.mask = TLIF_TEXT;
    r.ex.item.pszText = const_cast<char*>("m");
    inserted = TreeListWndProc(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
  });
  {
    Watchdog dog("a delete while a worker waits for a text");
    // the worker's first question waits in this thread's queue
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) Sleep(1);
    EXPECT_EQ(h.Send(TLM_DELETEITEM, 0, roots[0]), 1);
    while (inserted == -1) tltest::Pump(10);
    worker.join();
  }
  EXPECT_NE(inserted.load(), 0);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(h.Send(TLM_GETCOUNT), 4);
}

// A worker keeps inserting by direct calls while the window is destroyed.
TEST(TreeListLifetime, DestroyUnderDirectWorker) {
  for (int round = 0; round < 3; round++) {
    Harness* h = new Harness;
    HWND tl = h->tl();
    std::atomic<bool> stop{false};
    std::atomic<int> inserted{0};
    std::thread worker([&] {
      while (!stop && inserted < 4000) {
        TLInsert r = {};
        r.hParent = TLI_ROOT;
        r.hInsertAfter = TLI_LAST;
        r.ex.item.mask = TLIF_TEXT | TLIF_DEFERRED;
        r.ex.item.pszText = const_cast<char*>("w");
        if (TreeListWndProc(tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r))) inserted++;
      }
    });
    tltest::Pump(30 + round * 20);
    delete h;  // destroys the window while the worker calls in
    tltest::Pump(20);
    stop = true;
    worker.join();
    EXPECT_GT(inserted.load(), 0);
    EXPECT_FALSE(IsWindow(tl));
  }
}

}  // namespace
