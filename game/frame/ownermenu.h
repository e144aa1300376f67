// Owner-drawn menus of the main frame: each string item of the popups gets
// a record with its text, its toolbar image and its measured size; items
// are drawn with an image column, the text and an accelerator column.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <stdint.h>

#include <set>
#include <vector>

struct MenuItemRecord {
  char text[64];     // at most 63 characters
  int32_t tabPos;    // index of the tab before the accelerator, -1 none
  uint16_t image;    // in the image lists, 0xFFFF none
  uint16_t height;
  uint16_t width;    // text part plus accelerator column
  uint16_t accelWidth;  // the accelerator column
};
static_assert(sizeof(MenuItemRecord) == 76, "the record layout is fixed");

#define MENU_NO_IMAGE 0xFFFF
#define MENU_MAX_COMMANDS 512
#define MENU_MAX_PENDING_POPUPS 64
#define MENU_RECENT_FIRST 57616
#define MENU_RECENT_LAST 57631
#define MENU_RECENT_TEXT 64

class CCmdUI;

// The global menu-style flag: light colours and 2 more pixels of width.
extern bool g_menuStyleFlat;
void MenuToggleStyle();
// Shows the flag as the check state of the command's element.
void MenuUpdateStyle(CCmdUI* ui);

// The check mark's pens: a wide stroke under a thin light line, green for
// an enabled item and grey for a disabled one.
enum { MENU_PEN_CHECK, MENU_PEN_CHECK_LIGHT, MENU_PEN_GREY, MENU_PEN_GREY_LIGHT, MENU_PEN_COUNT };

class COwnerMenu {
 public:
  COwnerMenu();
  ~COwnerMenu();

  // Reads the toolbar resources (type 241 and bitmap of each id) into the
  // image lists and the command table; false when no command came of them.
  bool LoadImages(HINSTANCE module, const UINT* ids, int count);
  // One toolbar's images (cells of its image size, mask 0xC0C0C0) and commands.
  bool AddToolbar(const struct ToolbarResource& res, HBITMAP bitmap);
  // Makes the items of every popup below the bar owner-drawn.
  void MakeOwnerDraw(HMENU bar);
  // After the class layer's update of an opening popup.
  void OnInitPopup(HMENU popup);
  bool Measure(MEASUREITEMSTRUCT* mis) const;
  bool Draw(const DRAWITEMSTRUCT* dis) const;

  // The record of the owner-drawn string item with that command below the
  // bar (recent-file entries excluded), or null.
  MenuItemRecord* FindByCommand(HMENU bar, UINT command, HMENU* menu, int* pos) const;
  // The record of an item, only when this object made it.
  MenuItemRecord* RecordAt(HMENU menu, int pos) const;
  // Frees the record of an item and clears its data word; false when the
  // item has no record of ours.
  bool FreeRecord(HMENU menu, int pos);
  // Measures a record's text again and the accelerator column of its popup.
  void Remeasure(HMENU menu, MenuItemRecord* rec);
  // Replaces the record's text (all of it, or the part from the tab on).
  void SetRecordText(MenuItemRecord* rec, const char* text);

  int AddIcon(HICON icon);
  int AddBitmap(HBITMAP bitmap, COLORREF mask);
  int ImageOfCommand(UINT command) const;
  int GetCommandCount() const { return static_cast<int>(m_commands.size()); }
  int GetImageWidth() const { return m_cx; }
  int GetImageHeight() const { return m_cy; }
  size_t GetRecordCount() const { return m_records.size(); }
  const char* GetRecentText(int index) const;
  // Whether the item's text ends in a no-break space before its tab.
  bool IsNoBreak(const MenuItemRecord* rec) const { return m_noBreak.count(rec) != 0; }
  HPEN GetPen(int which) const { return which >= 0 && which < MENU_PEN_COUNT ? m_pens[which] : nullptr; }
  HIMAGELIST GetImageList(bool disabled) const { return disabled ? m_disabled : m_normal; }

 private:
  int m_cx = 16, m_cy = 15;
  HIMAGELIST m_normal = nullptr, m_disabled = nullptr;
  std::vector<UINT> m_commands;
  std::set<MenuItemRecord*> m_records;
  std::set<const MenuItemRecord*> m_noBreak;
  HFONT m_font = nullptr;
  HPEN m_pens[MENU_PEN_COUNT] = {};
  mutable HDC m_measureDC = nullptr;
  mutable HGDIOBJ m_oldFont = nullptr;
  char m_recent[16][MENU_RECENT_TEXT] = {};

  void EnsureDrawingTools();
  bool AddImage(HBITMAP normal, COLORREF mask);
  // creates the item's record; returns the width of its accelerator part
  int CreateRecord(HMENU menu, int pos);
  int MeasureText(const char* text, int length) const;
  int AccelTextWidth(const MenuItemRecord* rec) const;
  void SetAccelColumn(HMENU popup);
  void MakeRecentEntry(HMENU popup, int pos, UINT id);
  void DrawCheckMark(HDC dc, int right, int bottom, bool disabled) const;

  COwnerMenu(const COwnerMenu&) = delete;
  COwnerMenu& operator=(const COwnerMenu&) = delete;
};
