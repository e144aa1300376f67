// A parent window for TreeList tests: it logs every WM_NOTIFY (code,
// handles, masks, state, copied text, column, point) and runs a scripted
// reaction per code, which may answer or act on the control from inside the
// notification (delete, insert, sort, destroy it).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "treelist/treelist.h"

namespace tltest {

struct Note {
  int code = 0;
  uint32_t action = 0;
  uintptr_t oldItem = 0, newItem = 0;
  uint32_t oldMask = 0, newMask = 0;
  uint32_t oldState = 0, newState = 0;
  intptr_t oldData = 0, newData = 0;
  int column = 0;
  std::string text;
  TLPoint pt = {0, 0};
};

class Harness {
 public:
  using Reaction = std::function<LRESULT(NMHDR*)>;

  explicit Harness(DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
                   int width = 400, int height = 300, DWORD exStyle = 0, bool visible = false);
  ~Harness();

  HWND parent() const { return m_parent; }
  HWND tl() const { return m_tl; }
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageA(m_tl, msg, wp, lp); }

  uintptr_t Insert(uintptr_t parent, const char* text, uintptr_t after = TLI_LAST, intptr_t data = 0,
                   uint32_t extraMask = 0);
  uintptr_t Next(uint32_t code, uintptr_t item) const { return static_cast<uintptr_t>(Send(TLM_GETNEXTITEM, code, item)); }
  std::string Text(uintptr_t item, int column = 0) const;
  intptr_t Data(uintptr_t item) const { return Send(TLM_GETITEMDATA, 0, item); }
  uint32_t State(uintptr_t item) const { return static_cast<uint32_t>(Send(TLM_GETITEMSTATE, item)); }
  bool Valid(uintptr_t item) const {
    TLItem it = {};
    it.hItem = item;
    return Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)) != 0;
  }
  // the tree as text: "a(b,c),d" by labels, depth first
  std::string Shape(uintptr_t parent = TLI_ROOT) const;

  void On(int code, Reaction r) { m_reactions[code] = std::move(r); }
  void Clear() { notes.clear(); }
  int Count(int code) const;
  std::vector<Note> notes;
  bool destroyedInside = false;

  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  HWND m_parent = nullptr;
  HWND m_tl = nullptr;
  std::map<int, Reaction> m_reactions;
};

// A 32-bit top-down DIB with a memory DC, pre-filled with a sentinel.
class Canvas {
 public:
  Canvas(int w, int h, uint32_t fill = 0x00FF00FF);
  ~Canvas();
  HDC dc() const { return m_dc; }
  uint32_t At(int x, int y) const {  // 0x00RRGGBB
    GdiFlush();
    return m_bits[y * m_w + x] & 0xFFFFFF;
  }
  int w() const { return m_w; }
  int h() const { return m_h; }

 private:
  int m_w, m_h;
  HDC m_dc;
  HBITMAP m_bm, m_old;
  uint32_t* m_bits;
};

// COLORREF (0x00BBGGRR) as the DIB's 0x00RRGGBB
inline uint32_t Px(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

void Pump(DWORD ms = 0);

}  // namespace tltest
