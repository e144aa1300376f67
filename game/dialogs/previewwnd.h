// A picture shown in a window of its own: a debugging aid. The caller draws
// into the returned picture and asks for a repaint; each window runs its own
// thread with its own message loop, so it stays responsive while the caller
// works. Nothing locks the pixels: a repaint may show a picture half drawn,
// and the caller must not re-create the picture while the window is open.
#pragma once

#include <windows.h>

#include <atomic>

#include "image/picture.h"

namespace game {

// Private message that repaints the picture.
constexpr UINT kPreviewRedrawMsg = 0x1234;

class PreviewWnd;

// A width × height picture of the given depth, filled white, shown in a
// new window; none for a size below 1, a bad depth or when no window could
// be made. Returns only once the window exists.
PreviewWnd* PreviewWndOpen(int width, int height, const char* title, int bits);
// Repaints the window; nothing when the object is none or its window is
// closed.
void PreviewWndRedraw(PreviewWnd* wnd);
// Closes the window, waits for its thread and frees the object: 1; 0 for
// none, or when the thread did not end within 10 seconds (the object is
// then kept, since the thread may still touch it).
int PreviewWndClose(PreviewWnd* wnd);
// Frees the object; one whose thread still runs is closed first.
void PreviewWndFree(PreviewWnd* wnd);

class PreviewWnd : public CPicture {
 private:
  PreviewWnd();
  ~PreviewWnd() = default;

  char m_title[128];
  HANDLE m_thread = nullptr;
  std::atomic<HWND> m_window{nullptr};  // written by the window's thread
  int m_frameWidth = 0, m_frameHeight = 0;

  friend PreviewWnd* PreviewWndOpen(int, int, const char*, int);
  friend void PreviewWndRedraw(PreviewWnd*);
  friend int PreviewWndClose(PreviewWnd*);
  friend void PreviewWndFree(PreviewWnd*);
  friend DWORD WINAPI PreviewWndThread(LPVOID);
  friend INT_PTR CALLBACK PreviewWndProc(HWND, UINT, WPARAM, LPARAM);
};

}  // namespace game
