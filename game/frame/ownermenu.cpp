#include "game/frame/ownermenu.h"

#include <string.h>

#include "framework/cmdtarget.h"
#include "text/strcopy.h"
#include "toolkit/dibfx.h"
#include "toolkit/drawutil.h"
#include "toolkit/toolbarnew.h"

bool g_menuStyleFlat = true;
void MenuToggleStyle() { g_menuStyleFlat = !g_menuStyleFlat; }
void MenuUpdateStyle(CCmdUI* ui) {
  if (ui) ui->SetCheck(g_menuStyleFlat ? 1 : 0);
}

namespace {

const int kImagePad = 3;      // around the image in its column
const int kTextGap = 4;       // between the image column and the text
const int kAccelExtra = 16;   // added to the widest accelerator text

inline bool IsRecent(UINT id) { return id >= MENU_RECENT_FIRST && id <= MENU_RECENT_LAST; }
inline MenuItemRecord* RecordFromData(ULONG_PTR data) {
  return (data & 1) ? reinterpret_cast<MenuItemRecord*>(data & ~static_cast<ULONG_PTR>(1)) : nullptr;
}
inline bool IsPackedRecent(ULONG_PTR data) { return data != 0 && !(data & 1); }

inline COLORREF Average(COLORREF a, COLORREF b) { return ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F); }
inline COLORREF Quarter(COLORREF a) { return (a >> 2) & 0x3F3F3F; }

struct ItemInfo {
  UINT type = 0, state = 0, id = 0;
  HMENU sub = nullptr;
  ULONG_PTR data = 0;
};

bool GetItem(HMENU menu, int pos, ItemInfo* out) {
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (!GetMenuItemInfoA(menu, pos, TRUE, &mii)) return false;
  out->type = mii.fType;
  out->state = mii.fState;
  out->id = mii.wID;
  out->sub = mii.hSubMenu;
  out->data = mii.dwItemData;
  return true;
}

void SetOwnerDraw(HMENU menu, int pos, UINT type, ULONG_PTR data) {
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_DATA;
  mii.fType = (type & ~(MFT_STRING | MFT_BITMAP)) | MFT_OWNERDRAW;
  mii.dwItemData = data;
  SetMenuItemInfoA(menu, pos, TRUE, &mii);
}

// The item's string; false when it is no string item. The text is cut to
// the buffer.
bool ItemText(HMENU menu, int pos, char* buf, int size) {
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STRING;
  mii.dwTypeData = buf;
  mii.cch = static_cast<UINT>(size);
  buf[0] = 0;
  if (!GetMenuItemInfoA(menu, pos, TRUE, &mii)) return false;
  buf[size - 1] = 0;
  return !(mii.fType & (MFT_OWNERDRAW | MFT_SEPARATOR | MFT_BITMAP));
}

}  // namespace

COwnerMenu::COwnerMenu() = default;

COwnerMenu::~COwnerMenu() {
  if (m_measureDC) {
    SelectObject(m_measureDC, m_oldFont);
    DeleteDC(m_measureDC);
  }
  for (MenuItemRecord* r : m_records) HeapFree(GetProcessHeap(), 0, r);
  if (m_font) DeleteObject(m_font);
  for (HPEN pen : m_pens)
    if (pen) DeleteObject(pen);
  if (m_normal) ImageList_Destroy(m_normal);
  if (m_disabled) ImageList_Destroy(m_disabled);
}

bool COwnerMenu::AddImage(HBITMAP normal, COLORREF mask) {
  HDIB dib = DibFromBitmap(nullptr, normal, nullptr);
  if (!dib) return false;
  DibTint(dib, 0, TOOLBAR_DISABLED_TINT, mask);
  HBITMAP tinted = DibCopyToBitmap(dib);
  DibFree(dib);
  if (!tinted) return false;
  int before = ImageList_GetImageCount(m_normal);
  bool ok = ImageList_AddMasked(m_normal, normal, mask) >= 0 && ImageList_AddMasked(m_disabled, tinted, mask) >= 0;
  DeleteObject(tinted);
  // both lists keep the same count, or the indexes part
  while (ImageList_GetImageCount(m_disabled) > before && ImageList_GetImageCount(m_normal) == before)
    ImageList_Remove(m_disabled, ImageList_GetImageCount(m_disabled) - 1);
  while (ImageList_GetImageCount(m_normal) > ImageList_GetImageCount(m_disabled))
    ImageList_Remove(m_normal, ImageList_GetImageCount(m_normal) - 1);
  return ok;
}

bool COwnerMenu::LoadImages(HINSTANCE module, const UINT* ids, int count) {
  for (int i = 0; i < count; i++) {
    ToolbarResource res;
    if (!ToolbarResourceLoad(module, ids[i], &res)) continue;
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(ids[i]), IMAGE_BITMAP, 0, 0,
                                                  LR_CREATEDIBSECTION));
    if (!bmp) continue;
    AddToolbar(res, bmp);
    DeleteObject(bmp);
  }
  return !m_commands.empty();
}

bool COwnerMenu::AddToolbar(const ToolbarResource& res, HBITMAP bmp) {
  if (!m_normal) {
    m_cx = res.width;
    m_cy = res.height;
    m_normal = ImageList_Create(m_cx, m_cy, ILC_COLOR32 | ILC_MASK, 16, 8);
    m_disabled = ImageList_Create(m_cx, m_cy, ILC_COLOR32 | ILC_MASK, 16, 8);
    if (!m_normal || !m_disabled) return false;
  }
  int first = ImageList_GetImageCount(m_normal);
  // images of another size would shift the table: only matching ones count
  if (res.width != m_cx || res.height != m_cy || !AddImage(bmp, TOOLBAR_MASK_COLOUR)) return false;
  int added = ImageList_GetImageCount(m_normal) - first, n = 0;
  for (UINT id : res.ids) {
    if (!id) continue;
    if (n >= added) break;
    // the table's index is the image's index: keep them in step
    while (static_cast<int>(m_commands.size()) < first + n && m_commands.size() < MENU_MAX_COMMANDS)
      m_commands.push_back(0);
    if (m_commands.size() < MENU_MAX_COMMANDS) m_commands.push_back(id);
    n++;
  }
  return true;
}

int COwnerMenu::AddIcon(HICON icon) {
  if (!m_normal || !icon) return -1;
  // an icon of any size is one image of the lists' size
  HDIB dib = DibFromIcon(nullptr, icon, nullptr, TOOLBAR_MASK_COLOUR, m_cx, m_cy);
  HBITMAP bmp = dib ? DibCopyToBitmap(dib) : nullptr;
  DibFree(dib);
  int index = -1;
  if (bmp) {
    int before = ImageList_GetImageCount(m_normal);
    if (AddImage(bmp, TOOLBAR_MASK_COLOUR) && ImageList_GetImageCount(m_normal) > before) index = before;
    DeleteObject(bmp);
  }
  return index;
}

int COwnerMenu::AddBitmap(HBITMAP bitmap, COLORREF mask) {
  if (!m_normal || !bitmap) return -1;
  int before = ImageList_GetImageCount(m_normal);
  return AddImage(bitmap, mask) && ImageList_GetImageCount(m_normal) > before ? before : -1;
}

int COwnerMenu::ImageOfCommand(UINT command) const {
  for (int i = static_cast<int>(m_commands.size()) - 1; i >= 0; i--)
    if (m_commands[i] == command && command != 0) return i;
  return -1;
}

void COwnerMenu::EnsureDrawingTools() {
  if (!m_font) {
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) {
      ncm.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);  // older systems
      SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
    }
    m_font = CreateFontIndirectA(&ncm.lfMenuFont);
    if (!m_font) m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  static const struct {
    int width;
    COLORREF colour;
  } kPens[MENU_PEN_COUNT] = {{2, 0x008000}, {1, 0x00FF00}, {2, 0x808080}, {1, 0xDEDEDE}};
  for (int i = 0; i < MENU_PEN_COUNT; i++)
    if (!m_pens[i]) m_pens[i] = CreatePen(PS_SOLID, kPens[i].width, kPens[i].colour);
}

int COwnerMenu::MeasureText(const char* text, int length) const {
  if (!m_measureDC) {
    // one memory DC with the menu font for all measuring
    m_measureDC = CreateCompatibleDC(nullptr);
    if (!m_measureDC) return 0;
    m_oldFont = SelectObject(m_measureDC, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
  }
  // as drawn: "&" marks the next letter, "&&" stands for one "&"
  char shown[256];
  int n = 0;
  if (length < 0) length = static_cast<int>(strlen(text));
  for (int i = 0; i < length && n < static_cast<int>(sizeof shown); i++) {
    if (text[i] == '&' && ++i >= length) break;
    shown[n++] = text[i];
  }
  SIZE size = {0, 0};
  GetTextExtentPoint32A(m_measureDC, shown, n, &size);
  return size.cx;
}

int COwnerMenu::AccelTextWidth(const MenuItemRecord* rec) const {
  if (rec->tabPos < 0) return 0;
  const char* accel = rec->text + rec->tabPos + 1;
  return MeasureText(accel, static_cast<int>(strlen(accel))) + 2;
}

void COwnerMenu::Remeasure(HMENU menu, MenuItemRecord* rec) {
  EnsureDrawingTools();
  const char* tab = strchr(rec->text, '\t');
  rec->tabPos = tab ? static_cast<int32_t>(tab - rec->text) : -1;
  int textLen = tab ? static_cast<int>(tab - rec->text) : static_cast<int>(strlen(rec->text));
  int w = MeasureText(rec->text, textLen) + m_cx + kTextGap;
  int h = GetSystemMetrics(SM_CYMENU);
  rec->height = static_cast<uint16_t>(h > m_cy ? h : m_cy);
  rec->width = static_cast<uint16_t>(w > 0xFFFF ? 0xFFFF : w);
  rec->accelWidth = 0;
  if (textLen > 0 && static_cast<unsigned char>(rec->text[textLen - 1]) == 0xA0)
    m_noBreak.insert(rec);
  else
    m_noBreak.erase(rec);
  if (menu) SetAccelColumn(menu);
}

void COwnerMenu::SetRecordText(MenuItemRecord* rec, const char* text) {
  if (!text) text = "";
  if (text[0] == '\t') {
    // only the accelerator: keep the part before the old tab
    size_t keep = rec->tabPos >= 0 ? static_cast<size_t>(rec->tabPos) : strlen(rec->text);
    if (keep > sizeof rec->text - 1) keep = sizeof rec->text - 1;
    StrCopyA(rec->text + keep, text, static_cast<int>(sizeof rec->text - keep));
  } else {
    StrCopyA(rec->text, text, sizeof rec->text);
  }
}

int COwnerMenu::CreateRecord(HMENU menu, int pos) {
  char text[1024];
  if (!ItemText(menu, pos, text, sizeof text)) return 0;
  ItemInfo it;
  if (!GetItem(menu, pos, &it)) return 0;
  MenuItemRecord* rec =
      static_cast<MenuItemRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MenuItemRecord)));
  if (!rec) return 0;
  SetRecordText(rec, text);
  int image = ImageOfCommand(it.id);
  rec->image = static_cast<uint16_t>(image >= 0 ? image : MENU_NO_IMAGE);
  Remeasure(nullptr, rec);
  m_records.insert(rec);
  SetOwnerDraw(menu, pos, it.type, reinterpret_cast<ULONG_PTR>(rec) | 1);
  return AccelTextWidth(rec);
}

MenuItemRecord* COwnerMenu::RecordAt(HMENU menu, int pos) const {
  ItemInfo it;
  if (!menu || !GetItem(menu, pos, &it) || !(it.type & MFT_OWNERDRAW)) return nullptr;
  MenuItemRecord* rec = RecordFromData(it.data);
  return rec && m_records.count(rec) ? rec : nullptr;
}

bool COwnerMenu::FreeRecord(HMENU menu, int pos) {
  MenuItemRecord* rec = RecordAt(menu, pos);
  if (!rec) return false;
  m_records.erase(rec);
  m_noBreak.erase(rec);
  HeapFree(GetProcessHeap(), 0, rec);
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_DATA;
  mii.dwItemData = 0;
  SetMenuItemInfoA(menu, pos, TRUE, &mii);
  return true;
}

void COwnerMenu::SetAccelColumn(HMENU popup) {
  int n = GetMenuItemCount(popup), widest = 0;
  for (int i = 0; i < n; i++) {
    MenuItemRecord* rec = RecordAt(popup, i);
    if (rec) {
      int w = AccelTextWidth(rec);
      if (w > widest) widest = w;
    }
  }
  int column = widest + kAccelExtra;
  for (int i = 0; i < n; i++) {
    MenuItemRecord* rec = RecordAt(popup, i);
    if (!rec) continue;
    int text = rec->width - rec->accelWidth + column;
    rec->width = static_cast<uint16_t>(text > 0xFFFF ? 0xFFFF : text);
    rec->accelWidth = static_cast<uint16_t>(column);
  }
}

MenuItemRecord* COwnerMenu::FindByCommand(HMENU bar, UINT command, HMENU* menuOut, int* posOut) const {
  if (!bar || IsRecent(command)) return nullptr;
  HMENU pending[MENU_MAX_PENDING_POPUPS];
  int head = 0, tail = 0;
  pending[tail++] = bar;
  while (head < tail) {
    HMENU menu = pending[head++];
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
      ItemInfo it;
      if (!GetItem(menu, i, &it)) continue;
      if (it.sub) {
        if (tail < MENU_MAX_PENDING_POPUPS) pending[tail++] = it.sub;
        continue;
      }
      if (it.id != command) continue;
      MenuItemRecord* rec = RecordAt(menu, i);
      if (!rec) continue;
      if (menuOut) *menuOut = menu;
      if (posOut) *posOut = i;
      return rec;
    }
  }
  return nullptr;
}

void COwnerMenu::MakeOwnerDraw(HMENU bar) {
  EnsureDrawingTools();
  HMENU pending[MENU_MAX_PENDING_POPUPS];
  int head = 0, tail = 0;
  // the bar's own entries stay drawn by the system
  int n = GetMenuItemCount(bar);
  for (int i = 0; i < n && tail < MENU_MAX_PENDING_POPUPS; i++) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub) pending[tail++] = sub;
  }
  while (head < tail) {
    HMENU popup = pending[head++];
    int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; i++) {
      ItemInfo it;
      if (!GetItem(popup, i, &it)) continue;
      if (it.sub && tail < MENU_MAX_PENDING_POPUPS) pending[tail++] = it.sub;
      if (it.type & MFT_OWNERDRAW) continue;
      char text[8];
      if (ItemText(popup, i, text, sizeof text) && !(it.type & MFT_SEPARATOR)) {
        if (!IsRecent(it.id)) CreateRecord(popup, i);
      } else {
        SetOwnerDraw(popup, i, it.type, 0);
      }
    }
    SetAccelColumn(popup);
  }
}

void COwnerMenu::MakeRecentEntry(HMENU popup, int pos, UINT id) {
  char text[1024];
  if (!ItemText(popup, pos, text, sizeof text)) return;
  int index = static_cast<int>(id - MENU_RECENT_FIRST);
  StrCopyA(m_recent[index], text, MENU_RECENT_TEXT);
  int w = m_cx + MeasureText(m_recent[index], -1) + 5;
  int h = GetSystemMetrics(SM_CYMENU);
  if (h < m_cy) h = m_cy;
  if (w > 0xFFFF) w = 0xFFFF;
  if (h > 0xFF) h = 0xFF;
  ItemInfo it;
  GetItem(popup, pos, &it);
  SetOwnerDraw(popup, pos, it.type,
               (static_cast<ULONG_PTR>(w) << 16) | (static_cast<ULONG_PTR>(h) << 8) | (index * 4));
}

void COwnerMenu::OnInitPopup(HMENU popup) {
  if (!m_normal) return;  // no images: the menus stay the system's
  EnsureDrawingTools();
  bool created = false;
  for (int i = GetMenuItemCount(popup) - 1; i >= 0; i--) {
    ItemInfo it;
    if (!GetItem(popup, i, &it) || (it.type & MFT_OWNERDRAW)) continue;
    char text[8];
    bool isString = ItemText(popup, i, text, sizeof text) && !(it.type & MFT_SEPARATOR);
    if (!it.sub && IsRecent(it.id) && isString) {
      MakeRecentEntry(popup, i, it.id);
    } else if (!isString) {
      SetOwnerDraw(popup, i, it.type, 0);
    } else {
      CreateRecord(popup, i);
      created = true;
    }
  }
  if (created) SetAccelColumn(popup);
}

const char* COwnerMenu::GetRecentText(int index) const {
  return index >= 0 && index < 16 ? m_recent[index] : "";
}

bool COwnerMenu::Measure(MEASUREITEMSTRUCT* mis) const {
  ULONG_PTR data = mis->itemData;
  MenuItemRecord* rec = RecordFromData(data);
  if (rec && !m_records.count(rec)) return false;
  if (rec) {
    mis->itemWidth = rec->width;
    mis->itemHeight = rec->height;
  } else if (data == 0) {
    mis->itemWidth = 20;
    mis->itemHeight = 8;
  } else {
    mis->itemWidth = static_cast<UINT>(data >> 16);
    mis->itemHeight = static_cast<UINT>((data >> 8) & 0xFF);
  }
  if (g_menuStyleFlat) mis->itemWidth += 2;
  return true;
}

// A small tick ending at the image's bottom right corner, so that a checked
// image shows its state even where the sunken box is hard to see.
void COwnerMenu::DrawCheckMark(HDC dc, int right, int bottom, bool disabled) const {
  const POINT tick[3] = {{right - 8, bottom - 5}, {right - 5, bottom - 2}, {right, bottom - 7}};
  HGDIOBJ old = SelectObject(dc, m_pens[disabled ? MENU_PEN_GREY : MENU_PEN_CHECK]);
  Polyline(dc, tick, 3);
  SelectObject(dc, m_pens[disabled ? MENU_PEN_GREY_LIGHT : MENU_PEN_CHECK_LIGHT]);
  const POINT light[3] = {{right - 8, bottom - 6}, {right - 5, bottom - 3}, {right, bottom - 8}};
  Polyline(dc, light, 3);
  SelectObject(dc, old);
}

bool COwnerMenu::Draw(const DRAWITEMSTRUCT* dis) const {
  if (!(dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return true;
  ULONG_PTR data = dis->itemData;
  MenuItemRecord* rec = RecordFromData(data);
  if (rec && !m_records.count(rec)) return false;
  HDC dc = dis->hDC;
  bool selected = (dis->itemState & ODS_SELECTED) != 0;
  bool disabled = (dis->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
  bool checked = (dis->itemState & ODS_CHECKED) != 0;

  COLORREF back, sel1, sel2, darkGrey, lightGrey, selText, text;
  if (g_menuStyleFlat) {
    back = GetSysColor(COLOR_WINDOW);
    COLORREF hi = GetSysColor(COLOR_HIGHLIGHT), grey = GetSysColor(COLOR_GRAYTEXT);
    sel1 = Average(hi, back);
    sel2 = Average(hi, sel1);
    darkGrey = Quarter(grey) * 3 + Quarter(back);
    lightGrey = Quarter(grey) + Quarter(back) * 3;
  } else {
    back = GetSysColor(COLOR_MENU);
    sel1 = sel2 = GetSysColor(COLOR_HIGHLIGHT);
    darkGrey = GetSysColor(COLOR_GRAYTEXT);
    lightGrey = GetSysColor(COLOR_WINDOW);
  }
  selText = GetSysColor(COLOR_CAPTIONTEXT);
  text = GetSysColor(COLOR_MENUTEXT);

  RECT rc = dis->rcItem;
  int column = m_cx + 2 * kImagePad;
  RECT imageCol = {rc.left, rc.top, rc.left + column, rc.bottom};
  RECT rest = {imageCol.right, rc.top, rc.right, rc.bottom};
  bool lit = selected && !disabled;
  HBRUSH b1 = CreateSolidBrush(lit ? sel2 : GetSysColor(COLOR_MENU));
  HBRUSH b2 = CreateSolidBrush(lit ? sel1 : back);
  FillRect(dc, &imageCol, b1);
  FillRect(dc, &rest, b2);
  DeleteObject(b1);
  DeleteObject(b2);

  int textLeft = imageCol.right + kTextGap;
  if (data == 0) {  // separator
    bool custom = back != GetSysColor(COLOR_MENU) || sel1 != GetSysColor(COLOR_HIGHLIGHT);
    int x = textLeft + (custom ? 3 : 0), y = (rc.top + rc.bottom) / 2 - 1;
    RECT top = {x, y, rc.right, y + 1}, bottom = {x, y + 1, rc.right, y + 2};
    HBRUSH d = CreateSolidBrush(darkGrey), l = CreateSolidBrush(lightGrey);
    FillRect(dc, &top, d);
    FillRect(dc, &bottom, l);
    DeleteObject(d);
    DeleteObject(l);
    return true;
  }

  int image = rec && rec->image != MENU_NO_IMAGE ? rec->image : -1;
  if (image >= 0 && image < ImageList_GetImageCount(m_normal)) {
    int x = imageCol.left + kImagePad, y = (rc.top + rc.bottom - m_cy) / 2;
    if (checked) {
      RECT box = {x - 2, y - 2, x + m_cx + 2, y + m_cy + 2};
      DrawBox3D(dc, &box, DRAW_BOX_SUNKEN);
    }
    ImageList_Draw(disabled ? m_disabled : m_normal, image, dc, x, y, ILD_TRANSPARENT);
    if (checked) DrawCheckMark(dc, x + m_cx, y + m_cy, disabled);
  } else if (checked) {
    DrawGlyph(dc, &imageCol, disabled ? DRAW_GLYPH_CHECK_DISABLED : DRAW_GLYPH_CHECK, 0);
  }

  const char* label = rec ? rec->text : GetRecentText(static_cast<int>((data & 0xFF) / 4));
  int labelLen = rec && rec->tabPos >= 0 ? rec->tabPos : static_cast<int>(strlen(label));
  RECT textRc = {textLeft, rc.top, rc.right, rc.bottom};
  RECT accelRc = {rc.right - (rec ? rec->accelWidth : 0), rc.top, rc.right, rc.bottom};
  const char* accel = rec && rec->tabPos >= 0 ? rec->text + rec->tabPos + 1 : nullptr;
  HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  const UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT | ((dis->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
  auto drawBoth = [&](int dx, int dy) {
    RECT t = textRc, a = accelRc;
    OffsetRect(&t, dx, dy);
    OffsetRect(&a, dx, dy);
    DrawTextA(dc, label, labelLen, &t, fmt);
    if (accel) DrawTextA(dc, accel, -1, &a, fmt);
  };
  if (disabled) {
    SetTextColor(dc, lightGrey);
    drawBoth(1, 1);
    SetTextColor(dc, darkGrey);
    drawBoth(0, 0);
  } else {
    SetTextColor(dc, selected ? selText : text);
    drawBoth(0, 0);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  return true;
}
