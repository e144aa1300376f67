// CMapWnd: markers, tracks, highlights, painting, the mouse and keys.
#include <string.h>

#include "map/mapmouse_win.h"
#include "map/mapwnd.h"
#include "toolkit/dibfx.h"

// ------------------------------------------------------------ the link

const MapView& MapWndLink::SyncView() {
  CMapWnd* m = m_map;
  m->m_view.clientW = m->m_clientW;
  m->m_view.clientH = m->m_clientH;
  m->m_view.scrollX = m->m_scrollX;
  m->m_view.scrollY = m->m_scrollY;
  return m->m_view;
}

uint32_t MapWndLink::MapStyle() { return m_map->m_style & 0xFFFF; }

void MapWndLink::SetMapStyle(uint32_t style) { m_map->m_style = (m_map->m_style & 0xFFFF0000u) | (style & 0xFFFF); }

int MapWndLink::HostSetZoom(int z) { return m_map->SetZoom(z); }

int MapWndLink::HostMoveTo(uint32_t x, uint32_t y, int force) { return m_map->MoveTo(x, y, force); }

int MapWndLink::HostMoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force) {
  return m_map->MoveWorldToClient(x, y, px, py, force);
}

void MapWndLink::HostCapture(bool on) {
  HWND h = m_map->m_hWnd;
  if (!h) return;
  if (on)
    ::SetCapture(h);
  else if (::GetCapture() == h)
    ::ReleaseCapture();
}

void MapWndLink::HostFocus() {
  if (m_map->m_hWnd) ::SetFocus(m_map->m_hWnd);
}

void MapWndLink::HostCursor(MapCursorShape shape) {
  LPCSTR id = shape == kMapCursorHand ? IDC_HAND : shape == kMapCursorCross ? IDC_CROSS : IDC_ARROW;
  ::SetCursor(::LoadCursor(nullptr, id));
}

bool MapWndLink::HostCursorPos(int* x, int* y) {
  POINT p;
  if (!m_map->m_hWnd || !::GetCursorPos(&p) || !::ScreenToClient(m_map->m_hWnd, &p)) return false;
  *x = p.x + m_map->m_scrollX;
  *y = p.y + m_map->m_scrollY;
  return true;
}

void MapWndLink::HostXorBand(int mode, const MapRect& corners) {
  HWND h = m_map->m_hWnd;
  if (!h) return;
  HDC dc = ::GetDC(h);
  if (!dc) return;
  POINT old;
  ::SetViewportOrgEx(dc, -m_map->m_scrollX, -m_map->m_scrollY, &old);
  MapXorBand(dc, m_map->m_yellowPen, mode, corners);
  ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
  ::ReleaseDC(h, dc);
}

void MapWndLink::HostNotify(const MapNotifyData& d) {
  HWND h = m_map->m_hWnd;
  HWND parent = h ? ::GetParent(h) : nullptr;
  if (!parent) return;
  MapNotify n;
  memset(&n, 0, sizeof n);
  n.hdr.hwndFrom = h;
  n.hdr.idFrom = (UINT_PTR)::GetWindowLongA(h, GWL_ID);
  n.hdr.code = d.code;
  n.state = d.state;
  n.track = d.track;
  n.x1 = d.x1, n.y1 = d.y1, n.x2 = d.x2, n.y2 = d.y2;
  n.lon1 = d.lon1, n.lat1 = d.lat1, n.lon2 = d.lon2, n.lat2 = d.lat2;
  ::SendMessageA(parent, WM_NOTIFY, n.hdr.idFrom, (LPARAM)&n);
}

void MapWndLink::HostInvalidate(const MapRect& r) {
  m_map->InvalidateImageRect(r.left, r.top, r.Width(), r.Height(), FALSE);
}

bool MapWndLink::HostOwnerMouse(unsigned message, unsigned flags, int x, int y, int* result) {
  if (!m_map->m_ownerMouse) return false;
  *result = m_map->m_ownerMouse(m_map->m_ownerMouseCtx, message, flags, x, y);
  return true;
}

void MapWndLink::InvalidateBufferRect(const MapRect& r) {
  CMapWnd* m = m_map;
  if (!m->m_alive || !m->m_hWnd || r.Empty()) return;
  if (GetCurrentThreadId() == m->m_uiThread) {
    m->InvalidateImageRect(r.left, r.top, r.Width(), r.Height(), FALSE);
    return;
  }
  RECT rc = {r.left - m->m_scrollX, r.top - m->m_scrollY, r.right - m->m_scrollX, r.bottom - m->m_scrollY};
  WPARAM wp;
  LPARAM lp;
  MapPackRect(rc, &wp, &lp);
  m->PostToSelf(WM_MAP_INVALIDATE, wp, lp);
}

// ------------------------------------------------------------ markers

int CMapWnd::InsertMarker(int index, const char* text, double lon, double lat, uint32_t flags, COLORREF colour,
                          BOOL redraw) {
  return m_overlay.InsertMarker(index, text, lon, lat, flags, colour, redraw != 0);
}

int CMapWnd::SetMarker(int index, const char* text, double lon, double lat, int flags, int colour, BOOL redraw) {
  return m_overlay.SetMarker(index, text, lon, lat, flags == -1 ? -1 : (int64_t)(uint32_t)flags,
                             colour == -1 ? -1 : (int64_t)(uint32_t)colour, redraw != 0);
}

int CMapWnd::GetMarker(int index, double* lon, double* lat, char* text, int size) const {
  return m_overlay.GetMarker(index, lon, lat, text, size);
}

int CMapWnd::GetMarkerWorld(int index, uint32_t* x, uint32_t* y, char* text, int size) const {
  return m_overlay.GetMarkerWorld(index, x, y, text, size);
}

int CMapWnd::DeleteMarker(int index, BOOL redraw) { return m_overlay.DeleteMarker(index, redraw != 0); }

void CMapWnd::DeleteAllMarkers(BOOL redraw) {
  m_overlay.DeleteAllMarkers();
  if (!redraw || !m_alive || !m_hWnd) return;
  if (GetCurrentThreadId() == m_uiThread) {
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  } else {
    MapRect r = {m_scrollX, m_scrollY, m_scrollX + m_clientW, m_scrollY + m_clientH};
    m_link.InvalidateBufferRect(r);
  }
}

int CMapWnd::SetMarkerIcon(int kind, HBITMAP bitmap, int hotX, int hotY, BOOL redraw) {
  if (!m_painter.SetMarkerIcon(m_overlay, kind, bitmap, hotX, hotY)) return 0;
  if (redraw && m_alive) m_overlay.InvalidateVisibleMarkers();
  return 1;
}

void CMapWnd::InvalidateMarker(int index, BOOL hide) { m_overlay.InvalidateMarker(index, hide != 0); }

// ------------------------------------------------------------ tracks

int CMapWnd::InsertTrackPoint(int track, uint32_t x, uint32_t y, int index, BOOL redraw) {
  return m_overlay.InsertTrackPoint(track, x, y, index, redraw != 0);
}

int CMapWnd::GetTrackPoint(int track, uint32_t* x, uint32_t* y, int index) const {
  return m_overlay.GetTrackPoint(track, x, y, index);
}

int CMapWnd::DeleteTrackPoint(int track, int index, BOOL redraw) {
  return m_overlay.DeleteTrackPoint(track, index, redraw != 0);
}

int CMapWnd::ClearTrack(int track, BOOL redraw) { return m_overlay.ClearTrack(track, redraw != 0); }

int CMapWnd::GetTrackStyle(int track, COLORREF* colour, int* width) const {
  uint32_t c = 0;
  int r = m_overlay.GetTrackStyle(track, &c, width);
  if (colour) *colour = c;
  return r;
}

int CMapWnd::SetTrackStyle(int track, COLORREF colour, int width, BOOL redraw) {
  return m_overlay.SetTrackStyle(track, colour, width, redraw != 0);
}

int CMapWnd::SetTrackEditable(int track, BOOL editable, BOOL redraw) {
  return m_overlay.SetTrackEditable(track, editable != 0, redraw != 0);
}

int CMapWnd::SetTrackVisible(int track, int flag) { return m_overlay.SetTrackVisible(track, flag); }

void CMapWnd::InvalidateTrackRange(int track, int first, int count) {
  m_overlay.InvalidateTrackRange(track, first, count);
}

double CMapWnd::GetTrackLength(int track) const { return m_overlay.GetTrackLength(track); }

void CMapWnd::ZoomToTrack(int track) {
  uint32_t x1, y1, x2, y2;
  if (!m_overlay.GetTrackBounds(track, &x1, &y1, &x2, &y2)) return;
  double lon1, lat1, lon2, lat2;
  WorldToGeo(x1, y1, &lon1, &lat1);
  WorldToGeo(x2, y2, &lon2, &lat2);
  ZoomToArea(lon1, lat1, lon2, lat2, 0, 0);
}

// ------------------------------------------------------------ highlights and images

void CMapWnd::SetHighlightRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, COLORREF colour) {
  m_link.SyncView();
  m_overlay.SetHighlightRect(x1, y1, x2, y2, colour);
}

void CMapWnd::SetSecondRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, COLORREF colour) {
  m_link.SyncView();
  m_overlay.SetSecondRect(x1, y1, x2, y2, colour);
}

void CMapWnd::ClearHighlightRect() { m_overlay.ClearHighlightRect(); }

void CMapWnd::ClearSecondRect() { m_overlay.ClearSecondRect(); }

BOOL CMapWnd::CopyToImage(int what, CPicture* picture) {
  const MapView& v = m_link.SyncView();
  MapRect r;
  bool ok;
  if (what == 1) {
    uint32_t x1, y1, x2, y2;
    m_mouse.GetMouseActionWorld(&x1, &y1, &x2, &y2);
    ok = m_overlay.WorldRectToBuffer(x1, y1, x2, y2, &r);
  } else if (what == 2) {
    MapOverlay::Highlight h = m_overlay.GetHighlight(0);
    ok = h.colour >= 0 && m_overlay.WorldRectToBuffer(h.x1, h.y1, h.x2, h.y2, &r);
  } else {
    r = MapRect{v.scrollX, v.scrollY, v.scrollX + v.clientW, v.scrollY + v.clientH};
    if (r.right > v.bufW) r.right = v.bufW;
    if (r.bottom > v.bufH) r.bottom = v.bufH;
    ok = !r.Empty();
  }
  if (!ok) return FALSE;
  CPicture temp;
  CPicture* target = picture ? picture : &temp;
  LockUpdate();
  ok = target->CropFrom(m_picture, r.left, r.top, r.Width(), r.Height());
  UnlockUpdate();
  if (ok && !picture) ok = temp.CopyToClipboard(m_hWnd);
  return ok ? TRUE : FALSE;
}

int CMapWnd::GeoPixelDistance(double lon1, double lat1, double lon2, double lat2) const {
  return m_overlay.GeoPixelDistance(lon1, lat1, lon2, lat2);
}

void CMapWnd::GetVisibleWorldRect(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) {
  m_link.SyncView();
  m_overlay.GetVisibleWorldRect(x1, y1, x2, y2);
}

int CMapWnd::MetresToPixels(double lon, double lat, double metres, int mode) const {
  return m_overlay.MetresToPixels(lon, lat, metres, mode);
}

// ------------------------------------------------------------ mouse

int CMapWnd::SetMouseMode(int slot, int action) { return m_mouse.SetMouseMode(slot, action); }

int CMapWnd::GetMouseMode(int slot) const { return m_mouse.GetMouseMode(slot); }

int CMapWnd::SetWheelMode(int mode) { return m_mouse.SetWheelMode(mode); }

int CMapWnd::GetMouseActionWorld(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const {
  return m_mouse.GetMouseActionWorld(x1, y1, x2, y2);
}

int CMapWnd::GetMouseAction(double* lon1, double* lat1, double* lon2, double* lat2) const {
  return m_mouse.GetMouseAction(lon1, lat1, lon2, lat2);
}

int CMapWnd::FinishMouseAction() { return m_mouse.FinishMouseAction(); }

BOOL CMapWnd::ShowMapMenu(BOOL show) {
  BOOL was = (m_style & MAPS_MENU) != 0;
  if (show) {
    MapCreateSharedBitmaps();
    m_style |= MAPS_MENU;
  } else {
    m_style &= ~(DWORD)MAPS_MENU;
  }
  if (m_hWnd) {
    MapRect r = MapMenuRect(m_link.SyncView());
    InvalidateImageRect(r.left, r.top, r.Width(), r.Height(), FALSE);
  }
  return was;
}

void CMapWnd::DrawRubberBand(HDC dc) {
  if (!dc) {
    m_mouse.DrawRubberBand();
    return;
  }
  int mode;
  MapRect c;
  if (m_mouse.BandForPaint(&mode, &c)) MapXorBand(dc, m_yellowPen, mode, c);
}

void CMapWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  m_link.SyncView();
  if (!m_mouse.OnKeyDown(nChar)) CImageWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

LRESULT CMapWnd::OnCaptureChanged(WPARAM, LPARAM lParam) {
  // the new owner is in lParam; our own release is handled by the mouse
  if ((HWND)lParam != m_hWnd) m_mouse.OnCaptureLost();
  return Default();
}

bool CMapWnd::MakeFrame(int w, int h) {
  if (m_frameDC && w <= m_frameW && h <= m_frameH) return true;
  // grown to the largest update seen, at least the client area
  if (w < m_clientW) w = m_clientW;
  if (h < m_clientH) h = m_clientH;
  if (w < m_frameW) w = m_frameW;
  if (h < m_frameH) h = m_frameH;
  uint32_t* bits = nullptr;
  HBITMAP bmp = DibNewSection32(w, h, &bits);
  if (!bmp) return false;
  if (!m_frameDC) {
    m_frameDC = CreateCompatibleDC(nullptr);
    if (!m_frameDC) {
      DeleteObject(bmp);
      return false;
    }
    m_frameOld = SelectObject(m_frameDC, bmp);
  } else {
    SelectObject(m_frameDC, bmp);
    DeleteObject(m_frameBmp);
  }
  m_frameBmp = bmp;
  m_framePx = bits;
  m_frameW = w, m_frameH = h;
  return true;
}

void CMapWnd::PaintOverlays(HDC dc, const RECT* update) {
  bool track = false;
  for (int t = 0; t < kMapTracks && !track; t++)
    track = m_overlay.IsTrackVisible(t) && m_overlay.GetTrackCount(t) >= 2;
  RECT u = update ? *update : RECT{m_scrollX, m_scrollY, m_scrollX + m_clientW, m_scrollY + m_clientH};
  int w = u.right - u.left, h = u.bottom - u.top;
  bool inBuffer = u.left >= 0 && u.top >= 0 && u.right <= m_picture.Width() && u.bottom <= m_picture.Height();
  if (!track || w <= 0 || h <= 0 || !inBuffer || !MakeFrame(w, h)) {
    PaintLayers(dc, update);
    return;
  }
  // the update's pixels of the back buffer, the overlays on top, then the
  // whole to the window at once
  LockUpdate();
  MapPixels p = BufferPixels();
  for (int y = 0; y < h; y++) memcpy(m_framePx + (size_t)y * m_frameW, p.Row(u.top + y) + u.left, (size_t)w * 4);
  UnlockUpdate();
  int saved = SaveDC(m_frameDC);
  SetViewportOrgEx(m_frameDC, -u.left, -u.top, nullptr);
  IntersectClipRect(m_frameDC, u.left, u.top, u.right, u.bottom);
  PaintLayers(m_frameDC, &u);
  GdiFlush();
  BitBlt(dc, u.left, u.top, w, h, m_frameDC, u.left, u.top, SRCCOPY);
  RestoreDC(m_frameDC, saved);
}

void CMapWnd::PaintLayers(HDC dc, const RECT* update) {
  const MapView& v = m_link.SyncView();
  if (m_prePaint) m_prePaint(m_prePaintCtx, dc);
  m_painter.PaintHighlights(dc, m_overlay);
  m_painter.PaintTracks(dc, update, m_overlay);
  DrawRubberBand(dc);  // afresh, without toggling its drawn flag
  m_painter.PaintMarkers(dc, update, m_overlay);
  if (m_style & MAPS_MENU) MapPaintMenu(dc, v, m_mouse.HotButton());
  if (m_postPaint) m_postPaint(m_postPaintCtx, dc);
}
