#include "game/frame/frame_placement.h"

#include "files/regkey.h"
#include "game/frame/mainframe.h"
#include "toolkit/wndutil.h"

namespace {

const char kSettings[] = "Settings";
bool g_firstFrame = true;

}  // namespace

PlacementDecision DecidePlacement(const StoredPlacement& stored, const std::vector<MonitorArea>& monitors) {
  PlacementDecision d;
  if (!stored.hasZoomed) return d;  // first start: the system's placement
  d.maximised = stored.zoomed;
  const RECT& r = stored.rect;
  long long w = (long long)r.right - r.left, h = (long long)r.bottom - r.top;
  if (!stored.hasRect || w < kPlacementMinWidth || h < kPlacementMinHeight) return d;
  // the remembered monitor, or the primary one when it is gone
  RECT work = {0, 0, 0, 0};
  if (stored.monitor >= 0 && stored.monitor < static_cast<int>(monitors.size()))
    work = monitors[stored.monitor].work;
  else if (!monitors.empty())
    work = monitors[0].work;
  else
    return d;
  d.useRect = true;
  d.rect = r;
  if (!WndRectFitsArea(&work, r.left, r.top, static_cast<int>(w > 0x7FFFFFFF ? 0x7FFFFFFF : w),
                       static_cast<int>(h > 0x7FFFFFFF ? 0x7FFFFFFF : h), kPlacementMargin))
    WndFitRectToArea(&d.rect, &work);
  return d;
}

std::vector<MonitorArea> CurrentMonitors() {
  std::vector<MonitorArea> out;
  int n = WndEnumMonitors(0);
  for (int i = 0; i < n; i++) {
    MonitorArea m;
    if (WndGetMonitorRect(i, &m.full, &m.work)) out.push_back(m);
  }
  return out;
}

bool LoadStoredPlacement(StoredPlacement* out) {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ) || !key.OpenSubKey(kSettings)) return false;
  DWORD zoomed = 0;
  if (!key.ReadValue(&zoomed, sizeof zoomed, "IsZoomed", REG_DWORD)) return false;
  out->hasZoomed = true;
  out->zoomed = zoomed == 1;
  DWORD v[4] = {0, 0, 0, 0};
  const char* names[4] = {"LastPosX", "LastPosY", "LastSizeX", "LastSizeY"};
  bool all = true;
  for (int i = 0; i < 4; i++) all = key.ReadValue(&v[i], sizeof v[i], names[i], REG_DWORD) && all;
  if (all) {
    // positions are signed; sizes beyond the int range are damaged values
    long long x = static_cast<LONG>(v[0]), y = static_cast<LONG>(v[1]);
    long long w = static_cast<LONG>(v[2]), h = static_cast<LONG>(v[3]);
    if (w > 0 && h > 0 && x + w <= 0x7FFFFFFF && y + h <= 0x7FFFFFFF) {
      out->hasRect = true;
      SetRect(&out->rect, static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w), static_cast<int>(y + h));
    }
  }
  DWORD monitor = 0;
  key.ReadValue(&monitor, sizeof monitor, "LastMonitor", REG_DWORD);
  out->monitor = monitor > 64 ? 0 : static_cast<int>(monitor);
  return true;
}

void SaveStoredPlacement(bool zoomed, const RECT& normal, int monitor) {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) || !key.OpenSubKey(kSettings, REGKEY_CREATE)) return;
  DWORD z = zoomed ? 1 : 0;
  key.WriteValue(&z, 4, "IsZoomed", REG_DWORD);
  if (!zoomed) {
    DWORD v[4] = {static_cast<DWORD>(normal.left), static_cast<DWORD>(normal.top),
                  static_cast<DWORD>(normal.right - normal.left), static_cast<DWORD>(normal.bottom - normal.top)};
    const char* names[4] = {"LastPosX", "LastPosY", "LastSizeX", "LastSizeY"};
    for (int i = 0; i < 4; i++) key.WriteValue(&v[i], 4, names[i], REG_DWORD);
  }
  if (monitor >= 0) {
    DWORD m = static_cast<DWORD>(monitor);
    key.WriteValue(&m, 4, "LastMonitor", REG_DWORD);
  } else {
    // one monitor: a second one's index from an earlier run would send the
    // frame there once it is back
    key.DeleteValue("LastMonitor");
  }
}

BOOL CMainFrame::RestoreWindowPlacement(CREATESTRUCTA& cs) {
  CWinApp* app = AfxGetApp();
  bool first = g_firstFrame;
  g_firstFrame = false;
  if (!first || !app || !cs.lpszName || !cs.lpszName[0]) return FALSE;
  int show = app->m_nCmdShow;
  if (show != SW_SHOWNORMAL && show != SW_SHOW && show != SW_SHOWDEFAULT && show != SW_SHOWNA &&
      show != SW_SHOWNOACTIVATE && show != SW_RESTORE)
    return FALSE;
  StoredPlacement stored;
  if (!LoadStoredPlacement(&stored)) return FALSE;
  PlacementDecision d = DecidePlacement(stored, CurrentMonitors());
  if (d.maximised) app->m_nCmdShow = SW_SHOWMAXIMIZED;
  if (d.useRect) {
    cs.x = d.rect.left;
    cs.y = d.rect.top;
    cs.cx = d.rect.right - d.rect.left;
    cs.cy = d.rect.bottom - d.rect.top;
  }
  return TRUE;
}

void CMainFrame::SaveWindowPlacement() {
  WINDOWPLACEMENT wp;
  if (!GetWindowPlacement(&wp)) return;
  bool zoomed;
  if (m_nFullScreen)
    zoomed = m_nFullScreen == 2;  // the state from before full screen
  else if (wp.showCmd == SW_SHOWMINIMIZED)
    zoomed = (wp.flags & WPF_RESTORETOMAXIMIZED) != 0;
  else
    zoomed = ::IsZoomed(m_hWnd) != FALSE;
  // the normal rectangle is in work-area coordinates of the window's monitor
  RECT normal = wp.rcNormalPosition;
  HMONITOR mon = MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  if (mon && GetMonitorInfoA(mon, &mi) && !(GetExStyle() & WS_EX_TOOLWINDOW))
    OffsetRect(&normal, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
  int monitor = WndEnumMonitors(0) > 1 ? WndMonitorFromPlacement(&normal) : -1;
  SaveStoredPlacement(zoomed, normal, monitor);
}
