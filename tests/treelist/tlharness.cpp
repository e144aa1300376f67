#include "tests/treelist/tlharness.h"

#include <string.h>

#include "tests/support/winpump.h"

namespace tltest {

static const char kParentClass[] = "TLTestParent";

static void CopyItem(const TLItem& it, bool isNew, Note& n) {
  (isNew ? n.newItem : n.oldItem) = it.hItem;
  (isNew ? n.newMask : n.oldMask) = it.mask;
  (isNew ? n.newState : n.oldState) = it.state;
  (isNew ? n.newData : n.oldData) = it.lParam;
}

LRESULT CALLBACK Harness::ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Harness* h = reinterpret_cast<Harness*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NOTIFY && h) {
    NMHDR* nm = reinterpret_cast<NMHDR*>(lp);
    if (nm->hwndFrom != h->m_tl) return 0;
    Note n;
    n.code = static_cast<int>(nm->code);
    switch (n.code) {
      case TLN_SELCHANGING:
      case TLN_SELCHANGED:
      case TLN_ITEMEXPANDING:
      case TLN_ITEMEXPANDED:
      case TLN_DELETEITEM:
      case TLN_BEGINDRAG:
      case TLN_SINGLEEXPAND:
      case TLN_GETINFOTIP:
      case TLN_CHECKCHANGED:
      case TLN_VALUECHANGED:
      case TLN_EDITREQUEST:
      case TLN_LBUTTONUP:
      case TLN_RBUTTONUP:
      case TLN_DROP:
      case static_cast<int>(NM_CLICK):
      case static_cast<int>(NM_RCLICK): {
        TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(lp);
        if (n.code != static_cast<int>(NM_CLICK) && n.code != static_cast<int>(NM_RCLICK)) {
          n.action = tv->action;
          CopyItem(tv->itemOld, false, n);
          CopyItem(tv->itemNew, true, n);
          n.column = (tv->itemNew.mask & TLIF_COLUMN) ? tv->itemNew.cChildren : 0;
          n.pt = tv->ptDrag;
          if (tv->itemNew.pszText && tv->itemNew.pszText != TL_TEXTCALLBACK)
            n.text.assign(tv->itemNew.pszText, strnlen(tv->itemNew.pszText, 70000));
        } else {
          n.action = tv->action;
          CopyItem(tv->itemNew, true, n);
          n.pt = tv->ptDrag;
        }
        break;
      }
      case TLN_GETDISPINFO:
      case TLN_SETDISPINFO:
      case TLN_BEGINLABELEDIT:
      case TLN_ENDLABELEDIT: {
        TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(lp);
        CopyItem(di->item, true, n);
        n.column = (di->item.mask & TLIF_COLUMN) ? di->item.cChildren : 0;
        if (n.code != TLN_GETDISPINFO && di->item.pszText && di->item.pszText != TL_TEXTCALLBACK)
          n.text = di->item.pszText;
        break;
      }
      case TLN_SCROLL: {
        TLNmScroll* s = reinterpret_cast<TLNmScroll*>(lp);
        n.action = s->direction | (static_cast<uint32_t>(s->reason) << 16);
        n.pt.x = s->hOffset;
        n.pt.y = s->firstRow;
        break;
      }
      case TLN_COLUMNCHANGED: {
        TLNmColumn* c = reinterpret_cast<TLNmColumn*>(lp);
        n.column = c->column;
        n.pt.x = c->x;
        n.pt.y = c->width;
        n.action = static_cast<uint32_t>(c->position);
        break;
      }
      case TLN_COLUMNCLICK: {
        TLNmColumnClick* c = reinterpret_cast<TLNmColumnClick*>(lp);
        n.column = c->column;
        n.pt = c->pt;
        break;
      }
      case TLN_KEYDOWN: n.action = reinterpret_cast<TLNmKeyDown*>(lp)->wVKey; break;
    }
    h->notes.push_back(n);
    auto it = h->m_reactions.find(n.code);
    if (it != h->m_reactions.end()) return it->second(nm);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

Harness::Harness(DWORD style, int width, int height, DWORD exStyle, bool visible) {
  static bool registered = false;
  if (!registered) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kParentClass;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    TreeListRegisterClass(GetModuleHandleA(nullptr));
    registered = true;
  }
  m_parent = CreateWindowExA(0, kParentClass, "TreeList test", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 20, 20, width + 40,
                             height + 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(m_parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_tl = CreateWindowExA(exStyle, TREELIST_CLASSNAME, nullptr, style, 0, 0, width, height, m_parent,
                         reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr), nullptr);
}

Harness::~Harness() {
  m_reactions.clear();
  if (IsWindow(m_parent)) DestroyWindow(m_parent);
}

uintptr_t Harness::Insert(uintptr_t parent, const char* text, uintptr_t after, intptr_t data, uint32_t extraMask) {
  TLInsert r = {};
  r.hParent = parent;
  r.hInsertAfter = after;
  r.ex.item.mask = TLIF_TEXT | TLIF_PARAM | extraMask;
  r.ex.item.pszText = const_cast<char*>(text);
  r.ex.item.lParam = data;
  return static_cast<uintptr_t>(Send(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

std::string Harness::Text(uintptr_t item, int column) const {
  std::vector<char> buf(70000, 0);
  TLItem it = {};
  it.mask = TLIF_TEXT | (column ? TLIF_COLUMN : 0);
  it.hItem = item;
  it.pszText = buf.data();
  it.cchTextMax = static_cast<int32_t>(buf.size());
  it.cChildren = column;
  if (!Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it))) return "<none>";
  return buf.data();
}

std::string Harness::Shape(uintptr_t parent) const {
  std::string s;
  uintptr_t c = parent == TLI_ROOT ? Next(TLGN_ROOT, 0) : Next(TLGN_CHILD, parent);
  for (; c; c = Next(TLGN_NEXT, c)) {
    if (!s.empty()) s += ",";
    s += Text(c);
    if (Next(TLGN_CHILD, c)) s += "(" + Shape(c) + ")";
  }
  return s;
}

int Harness::Count(int code) const {
  int n = 0;
  for (const Note& x : notes) n += x.code == code;
  return n;
}

Canvas::Canvas(int w, int h, uint32_t fill) : m_w(w), m_h(h) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  m_bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  m_bits = static_cast<uint32_t*>(bits);
  m_dc = CreateCompatibleDC(nullptr);
  m_old = static_cast<HBITMAP>(SelectObject(m_dc, m_bm));
  for (int i = 0; i < w * h; i++) m_bits[i] = fill;
}

Canvas::~Canvas() {
  SelectObject(m_dc, m_old);
  DeleteDC(m_dc);
  DeleteObject(m_bm);
}

void Pump(DWORD ms) { orvtest::PumpMessages(ms, 1); }

}  // namespace tltest
