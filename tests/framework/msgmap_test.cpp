// Message maps on real windows: creation through the layer's window
// procedure, cracked handlers, base-class fallback, ranges, notifications
// with reflection, and subclassing of a system control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "tests/support/winpump.h"

namespace {

std::vector<std::string> g_log;

class CBaseWnd : public CWnd {
 public:
  int OnCreate(LPCREATESTRUCT lpcs) {
    g_log.push_back("base.create");
    createParam = lpcs->lpCreateParams;
    // during WM_CREATE the window is already bound
    boundInCreate = FromHandlePermanent(m_hWnd) == this;
    return CWnd::OnCreate(lpcs);
  }
  void OnTimer(UINT_PTR id) {
    g_log.push_back("base.timer" + std::to_string(id));
    KillTimer(id);
  }
  void OnSize(UINT, int cx, int cy) { g_log.push_back("base.size " + std::to_string(cx) + "x" + std::to_string(cy)); }
  void PostNcDestroy() override { ++ncDestroyed; }
  void* createParam = nullptr;
  bool boundInCreate = false;
  int ncDestroyed = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_TIMER()
  ON_WM_SIZE()
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
 public:
  void OnSize(UINT, int cx, int cy) { g_log.push_back("derived.size " + std::to_string(cx)); }
  LRESULT OnPrivate(WPARAM w, LPARAM l) {
    g_log.push_back("private");
    return static_cast<LRESULT>(w + l);
  }
  void OnRange(UINT id) { g_log.push_back("range " + std::to_string(id)); }
  void OnOne() { g_log.push_back("one"); }
  void OnChildNotify(NMHDR* n, LRESULT* r) {
    g_log.push_back("parent.notify " + std::to_string(n->idFrom));
    *r = 77;
  }
  void OnButton() { g_log.push_back("parent.clicked"); }
  void OnLButtonDown(UINT, CPoint p) { g_log.push_back("lbutton " + std::to_string(p.x) + "," + std::to_string(p.y)); }
  BOOL OnEraseBkgnd(CDC* pDC) {
    g_log.push_back(pDC && pDC->m_hDC ? "erase dc" : "erase nodc");
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_APP + 5, OnPrivate)
  ON_COMMAND(100, OnOne)
  ON_COMMAND_RANGE(200, 209, OnRange)
  ON_NOTIFY(NM_CLICK, 300, OnChildNotify)
  ON_NOTIFY(NM_CLICK, 301, OnChildNotify)
  ON_BN_CLICKED(400, OnButton)
END_MESSAGE_MAP()

// A control that handles its own notification by reflection.
class CReflectWnd : public CWnd {
 public:
  void OnClickReflect(NMHDR*, LRESULT* r) {
    g_log.push_back("child.reflect");
    *r = 5;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectWnd, CWnd)
  ON_NOTIFY_REFLECT(NM_CLICK, OnClickReflect)
END_MESSAGE_MAP()

// Range forms and reflected control messages.
class CRangeWnd : public CWnd {
 public:
  void OnNotifyRange(UINT id, NMHDR* n, LRESULT* r) {
    g_log.push_back("notify range " + std::to_string(id) + " code " + std::to_string(static_cast<int>(n->code)));
    *r = 9;
  }
  void OnUpdateRange(CCmdUI* p) {
    g_log.push_back("update " + std::to_string(p->m_nID));
    p->Enable(p->m_nID != 502);
  }
  void OnRange(UINT id) { g_log.push_back("cmd " + std::to_string(id)); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRangeWnd, CWnd)
  ON_NOTIFY_RANGE(NM_DBLCLK, 600, 610, OnNotifyRange)
  ON_UPDATE_COMMAND_UI_RANGE(500, 505, OnUpdateRange)
  ON_COMMAND_RANGE(500, 505, OnRange)
END_MESSAGE_MAP()

class CColourEdit : public CWnd {
 public:
  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
    g_log.push_back("ctlcolor " + std::to_string(nCtlColor));
    pDC->SetTextColor(RGB(200, 0, 0));
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  }
  void OnChangeReflect() { g_log.push_back("change reflect"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourEdit, CWnd)
  ON_WM_CTLCOLOR_REFLECT()
  ON_CONTROL_REFLECT(EN_CHANGE, OnChangeReflect)
END_MESSAGE_MAP()

class CFailWnd : public CWnd {
 public:
  int OnCreate(LPCREATESTRUCT) { return -1; }
  void PostNcDestroy() override { ++ncDestroyed; }
  int ncDestroyed = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailWnd, CWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

class CCaptureWnd : public CWnd {
 public:
  void OnCaptureChanged(CWnd* taker) { lostTo = taker ? taker->m_hWnd : (HWND)-1; }
  HWND lostTo = nullptr;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCaptureWnd, CWnd)
  ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

class CCharEdit : public CWnd {
 public:
  void OnChar(UINT ch, UINT rep, UINT flags) {
    chars += static_cast<char>(ch);
    if (ch != 'x') CWnd::OnChar(ch, rep, flags);  // 'x' never reaches the edit
  }
  std::string chars;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCharEdit, CWnd)
  ON_WM_CHAR()
END_MESSAGE_MAP()

void Pump(DWORD ms) { orvtest::PumpMessages(ms); }

bool Has(const std::string& s) {
  for (auto& e : g_log)
    if (e == s) return true;
  return false;
}

class MessageMap : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    int token = 0;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "msgmap", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr, &token));
    param = &token;
    EXPECT_EQ(param, w.createParam);
  }
  void TearDown() override {
    if (w.m_hWnd) w.DestroyWindow();
  }
  CDerivedWnd w;
  void* param = nullptr;
};

TEST_F(MessageMap, CreateIsSeenByTheObject) {
  EXPECT_TRUE(Has("base.create"));
  EXPECT_TRUE(w.boundInCreate);
  EXPECT_EQ(&w, CWnd::FromHandlePermanent(w.m_hWnd));
  // a derived table shadows the base entry, the base's others still work
  ::MoveWindow(w.m_hWnd, 0, 0, 250, 150, FALSE);
  RECT rc;
  ::GetClientRect(w.m_hWnd, &rc);
  EXPECT_TRUE(Has("derived.size " + std::to_string(rc.right)));
  EXPECT_FALSE(Has("base.size"));
  w.SetTimer(7, 10);
  Pump(200);
  EXPECT_TRUE(Has("base.timer7"));
}

TEST_F(MessageMap, CrackedParametersAndResults) {
  EXPECT_EQ(12, w.SendMessage(WM_APP + 5, 5, 7));
  w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 40));
  EXPECT_TRUE(Has("lbutton -3,40"));
  HDC dc = ::GetDC(w.m_hWnd);
  EXPECT_EQ(1, w.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)));
  ::ReleaseDC(w.m_hWnd, dc);
  EXPECT_TRUE(Has("erase dc"));
  // unhandled messages reach the default procedure
  ::SetWindowTextA(w.m_hWnd, "Grüße");
  char buf[32];
  ::GetWindowTextA(w.m_hWnd, buf, sizeof buf);
  EXPECT_STREQ("Grüße", buf);
}

TEST_F(MessageMap, CommandsAndRanges) {
  w.SendMessage(WM_COMMAND, 100);
  w.SendMessage(WM_COMMAND, 205);
  w.SendMessage(WM_COMMAND, 210);  // outside the range: nobody
  EXPECT_EQ((std::vector<std::string>{"base.create", "one", "range 205"}),
            std::vector<std::string>(g_log.begin(), g_log.end()));
}

TEST_F(MessageMap, NotificationsAndReflection) {
  CReflectWnd child;
  ASSERT_TRUE(child.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 20, 20), &w, 301));
  HWND plain = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, w.m_hWnd, reinterpret_cast<HMENU>(300),
                                 nullptr, nullptr);
  NMHDR n = {plain, 300, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(77, w.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&n)));
  NMHDR r = {child.m_hWnd, 301, static_cast<UINT>(NM_CLICK)};
  EXPECT_EQ(5, w.SendMessage(WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&r)));
  EXPECT_TRUE(Has("parent.notify 300"));
  EXPECT_TRUE(Has("child.reflect"));
  EXPECT_FALSE(Has("parent.notify 301"));  // the control took its own notification
  HWND button = ::CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 30, 0, 40, 20, w.m_hWnd,
                                  reinterpret_cast<HMENU>(400), nullptr, nullptr);
  ::SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_TRUE(Has("parent.clicked"));
}

TEST(MessageMapRanges, NotifyAndUpdateRanges) {
  g_log.clear();
  CRangeWnd w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "r", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
  NMHDR n = {nullptr, 604, static_cast<UINT>(NM_DBLCLK)};
  EXPECT_EQ(9, w.SendMessage(WM_NOTIFY, 604, reinterpret_cast<LPARAM>(&n)));
  n.idFrom = 611;
  EXPECT_EQ(0, w.SendMessage(WM_NOTIFY, 611, reinterpret_cast<LPARAM>(&n)));
  w.SendMessage(WM_COMMAND, 501);
  w.SendMessage(WM_COMMAND, 502);  // disabled by its update handler: dropped
  EXPECT_EQ((std::vector<std::string>{"notify range 604 code " + std::to_string(static_cast<int>(NM_DBLCLK)),
                                      "update 501", "cmd 501", "update 502"}),
            g_log);
  w.DestroyWindow();
}

TEST(MessageMapReflect, ControlColoursAndChangesItself) {
  g_log.clear();
  CDerivedWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr));
  CColourEdit edit;
  ASSERT_TRUE(edit.CreateEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), &parent, 70));
  HDC dc = ::GetDC(edit.m_hWnd);
  LRESULT brush = parent.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit.m_hWnd));
  EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH)), brush);
  EXPECT_EQ(RGB(200, 0, 0), GetTextColor(dc));
  ::ReleaseDC(edit.m_hWnd, dc);
  ::SetWindowTextA(edit.m_hWnd, "x");  // EN_CHANGE to the parent, reflected
  EXPECT_TRUE(Has("ctlcolor " + std::to_string(CTLCOLOR_EDIT)));
  EXPECT_TRUE(Has("change reflect"));
  edit.DestroyWindow();
  parent.DestroyWindow();
}

TEST(MessageMapCreate, FailedCreateCleansUp) {
  CFailWnd f;
  EXPECT_FALSE(f.CreateEx(0, nullptr, "x", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
  EXPECT_EQ(nullptr, f.m_hWnd);
  EXPECT_EQ(1, f.ncDestroyed);
}

TEST(MessageMapCapture, HandlerLearnsWhoTookTheMouse) {
  CCaptureWnd a, b;
  ASSERT_TRUE(a.CreateEx(0, nullptr, "a", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
  ASSERT_TRUE(b.CreateEx(0, nullptr, "b", WS_POPUP, 60, 0, 50, 50, nullptr, nullptr));
  a.SetCapture();
  b.SetCapture();
  EXPECT_EQ(b.m_hWnd, a.lostTo);  // the taker, not the loser
  ReleaseCapture();
  a.DestroyWindow();
  b.DestroyWindow();
}

TEST(MessageMapSubclass, SystemEditSeesOurHandlerFirst) {
  HWND top = ::CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, top,
                                reinterpret_cast<HMENU>(55), nullptr, nullptr);
  {
    CCharEdit e;
    ASSERT_TRUE(e.SubclassDlgItem(55, CWnd::FromHandle(top)));
    EXPECT_FALSE(CCharEdit().SubclassWindow(nullptr));
    for (char c : std::string("axb")) ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ("axb", e.chars);
    char buf[16];
    ::GetWindowTextA(edit, buf, sizeof buf);
    EXPECT_STREQ("ab", buf);
    // the wrapper goes, the control stays and works without it
  }
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
  ::SendMessageA(edit, WM_CHAR, 'x', 1);
  char buf[16];
  ::GetWindowTextA(edit, buf, sizeof buf);
  EXPECT_STREQ("abx", buf);
  ::DestroyWindow(top);
}

TEST(MessageMapTemp, TemporaryObjectsForForeignWindows) {
  HWND h = ::CreateWindowExA(0, "STATIC", "t", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd* a = CWnd::FromHandle(h);
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(a, CWnd::FromHandle(h));
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
  CString text;
  a->GetWindowText(text);
  EXPECT_STREQ("t", text);
  CWnd::DeleteTempMap();
  ::DestroyWindow(h);
}

}  // namespace

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)
 public:
  int radius = 3;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(RuntimeClass, KindsNamesAndCreation) {
  CCircle c;
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CCircle)));
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(c.IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_STREQ("CCircle", c.GetRuntimeClass()->m_lpszClassName);
  EXPECT_EQ(RUNTIME_CLASS(CShape), RUNTIME_CLASS(CCircle)->GetBaseClass());
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());  // not creatable
  CObject* made = RUNTIME_CLASS(CCircle)->CreateObject();
  ASSERT_NE(nullptr, made);
  CCircle* circle = DYNAMIC_DOWNCAST(CCircle, made);
  ASSERT_NE(nullptr, circle);
  EXPECT_EQ(3, circle->radius);
  EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CWnd, made));
  delete made;
}

}  // namespace
