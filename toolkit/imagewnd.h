// CImageWnd: a child window that shows a back-buffer picture, scrolled.
//
// The back buffer is a 32-bit picture in a DIB section. With a fixed size
// it keeps that size for the window's life and the owner scrolls over it;
// otherwise it follows the client size. Writers on other threads take the
// update lock around their changes; painting takes it around the copy.
#pragma once

#include <windows.h>

#include "framework/wnd.h"
#include "image/picture.h"

// Called after the buffer has been copied to the window. The DC's origin is
// moved so that back-buffer pixel coordinates draw in place; the update
// rectangle is in back-buffer pixels.
typedef void (*ImageWndPaintProc)(void* context, HDC dc, const RECT* update);
// Mouse messages with x, y in back-buffer pixels (wheel positions too);
// nonzero: handled, the window does nothing more with it.
typedef int (*ImageWndMouseProc)(void* context, UINT message, UINT keyFlags, int x, int y);

class CImageWnd : public CWnd {
 public:
  // Option bits (the low 16 bits of the style word given to Create).
  enum {
    kOptFixedBuffer = 32,  // the buffer keeps its fixed size; no scroll bars
  };

  CImageWnd();
  ~CImageWnd() override;

  // style: window styles in the high 16 bits, option bits in the low 16.
  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Created over a placeholder control of a dialog, which is removed.
  BOOL CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDlg, UINT id);

  // Gives the window a back buffer of this size for its life (before or
  // after creation); false when the picture cannot be made.
  bool SetFixedBufferSize(int width, int height);
  void SetPaintCallback(ImageWndPaintProc proc, void* context);
  void SetMouseCallback(ImageWndMouseProc proc, void* context);
  // Background in the picture order 0x00RRGGBB (areas outside the buffer).
  void SetBackgroundColour(uint32_t colour) { m_backColour = colour & 0xFFFFFF; }
  // The pointer over this window's client area; null: the class's arrow.
  // Kept per window, as every image window shares one class. The caller
  // owns the cursor and sets another before destroying it.
  void SetWindowCursor(HCURSOR cursor) { m_cursor = cursor; }
  HCURSOR WindowCursor() const { return m_cursor; }

  void LockUpdate() { EnterCriticalSection(&m_updateLock); }
  void UnlockUpdate() { LeaveCriticalSection(&m_updateLock); }

  // Scrolls so that buffer pixel (x, y) is the client's top-left corner
  // (clamped to the buffer); redraw paints at once, else on the next paint.
  // Returns whether the position changed.
  bool ScrollTo(int x, int y, bool redraw);
  // Invalidates a rectangle given in back-buffer pixels / client pixels.
  void InvalidateImageRect(int x, int y, int width, int height, BOOL erase);
  void InvalidateClientRect(int x, int y, int width, int height, BOOL erase);

  CPicture* GetPicture() { return &m_picture; }
  int ClientWidth() const { return m_clientW; }
  int ClientHeight() const { return m_clientH; }
  int ScrollX() const { return m_scrollX; }
  int ScrollY() const { return m_scrollY; }

 protected:
  int m_clientW, m_clientH;
  int m_scrollX, m_scrollY;
  CPicture m_picture;  // the back buffer
  uint32_t m_backColour;
  int m_fixedW, m_fixedH;  // 0: the buffer follows the client
  DWORD m_options;
  CRITICAL_SECTION m_updateLock;
  ImageWndPaintProc m_paintProc;
  void* m_paintContext;
  ImageWndMouseProc m_mouseProc;
  void* m_mouseContext;
  HCURSOR m_cursor;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnSize(UINT nType, int cx, int cy);
  void OnDestroy();
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  DECLARE_MESSAGE_MAP()

 private:
  void ClampScroll();
};
