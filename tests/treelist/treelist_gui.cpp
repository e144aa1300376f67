// A TreeList on the screen for the real-input test: it logs notifications to
// notify.txt (double-clicks with their item and point on the screen), answers edit requests with an edit box, and on a command file
// (cmd.txt, acknowledged in ack.txt) writes its state: every row's item,
// text, state and label rectangle in screen coordinates, the selection, the
// columns, the tooltip, the editor and the cursor. With "full" after the
// folder it shows columns, multi-selection, its own drag and second clicks.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/treelist/tlcell.h"
#include "treelist/treelist.h"

static HWND g_tl;
static std::string g_dir;
static int g_acks = 0;
static bool g_full = false;

static std::string Path(const char* name) { return g_dir + "\\" + name; }

static void Log(const char* line) {
  FILE* f = fopen(Path("notify.txt").c_str(), "a");
  if (f) {
    fprintf(f, "%s\n", line);
    fclose(f);
  }
}

static std::string Text(uintptr_t h, int column = 0) {
  char buf[300] = "";
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_COLUMN;
  it.cChildren = column;
  it.hItem = h;
  it.pszText = buf;
  it.cchTextMax = sizeof(buf);
  SendMessageA(g_tl, TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
  return buf;
}

static void WriteState() {
  FILE* f = fopen(Path("state.tmp").c_str(), "w");
  if (!f) return;
  int rows = static_cast<int>(SendMessageA(g_tl, TLM_GETROWCOUNT, 0, 0));
  fprintf(f, "rows %d first %d\n", rows,
          static_cast<int>(SendMessageA(g_tl, TLM_GETITEMROW, 0, SendMessageA(g_tl, TLM_GETNEXTITEM, TLGN_FIRSTVISIBLE, 0))));
  fprintf(f, "caret %d\n", static_cast<int>(SendMessageA(g_tl, TLM_GETNEXTITEM, TLGN_CARET, 0)));
  for (int r = 0; r < rows; r++) {
    uintptr_t h = SendMessageA(g_tl, TLM_GETROWITEM, 0, r);
    RECT rc = {static_cast<LONG>(h), 0, 0, 0};
    SendMessageA(g_tl, TLM_GETITEMRECT, 1 | 0x100, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(g_tl, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    fprintf(f, "item %u %u %ld %ld %ld %ld %s\n", static_cast<unsigned>(h),
            static_cast<unsigned>(SendMessageA(g_tl, TLM_GETITEMSTATE, h, 0)), rc.left, rc.top, rc.right, rc.bottom,
            Text(h).c_str());
  }
  RECT wr;
  GetWindowRect(g_tl, &wr);
  fprintf(f, "window %ld %ld %ld %ld indent %d\n", wr.left, wr.top, wr.right, wr.bottom,
          static_cast<int>(SendMessageA(g_tl, TLM_GETINDENT, 0, 0)));
  fprintf(f, "sel");
  for (uintptr_t h = SendMessageA(g_tl, TLM_GETNEXTITEM, TLGN_NEXTSELECTED, TLI_ROOT); h;
       h = SendMessageA(g_tl, TLM_GETNEXTITEM, TLGN_NEXTSELECTED, h))
    fprintf(f, " %u", static_cast<unsigned>(h));
  fprintf(f, "\n");
  HWND header = reinterpret_cast<HWND>(SendMessageA(g_tl, TLM_GETHEADER, 0, 0));
  int n = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int c = 0; c < n; c++) {
    RECT hr;
    Header_GetItemRect(header, c, &hr);
    MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&hr), 2);
    // the control's own idea of which column lies below this header item
    TLHitTest ht = {{(hr.left + hr.right) / 2, hr.bottom + 4}, 0, 0};
    ScreenToClient(g_tl, reinterpret_cast<POINT*>(&ht.pt));
    SendMessageA(g_tl, TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
    fprintf(f, "col %d %d %ld %ld %ld %ld %u\n", c, static_cast<int>(SendMessageA(g_tl, TLM_GETCOLUMNWIDTH, c, 0)),
            hr.left, hr.top, hr.right, hr.bottom, TLHT_COLUMN(ht.flags));
  }
  int order[32] = {};
  if (n && SendMessageA(g_tl, TLM_GETCOLUMNORDER, n, reinterpret_cast<LPARAM>(order))) {
    fprintf(f, "order");
    for (int c = 0; c < n; c++) fprintf(f, " %d", order[c]);
    fprintf(f, "\n");
  }
  // the widest text of each column in the control's font
  HDC dc = GetDC(g_tl);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(g_tl, WM_GETFONT, 0, 0)));
  for (int c = 1; c < n; c++) {
    int widest = 0;
    for (int r = 0; r < rows; r++) {
      std::string t = Text(SendMessageA(g_tl, TLM_GETROWITEM, 0, r), c);
      SIZE sz = {};
      GetTextExtentPoint32A(dc, t.c_str(), static_cast<int>(t.size()), &sz);
      if (sz.cx > widest) widest = sz.cx;
    }
    fprintf(f, "widest %d %d\n", c, widest);
  }
  SelectObject(dc, old);
  ReleaseDC(g_tl, dc);
  HWND tip = reinterpret_cast<HWND>(SendMessageA(g_tl, TLM_GETTOOLTIPS, 0, 0));
  RECT tr = {};
  if (tip) GetWindowRect(tip, &tr);
  fprintf(f, "tip %d %ld %ld %ld %ld\n", tip && IsWindowVisible(tip) ? 1 : 0, tr.left, tr.top, tr.right, tr.bottom);
  HWND edit = reinterpret_cast<HWND>(SendMessageA(g_tl, TLM_GETEDITCONTROL, 0, 0));
  char et[300] = "";
  if (edit) GetWindowTextA(edit, et, sizeof(et));
  fprintf(f, "edit %d %s\n", edit && IsWindowVisible(edit) ? 1 : 0, et);
  HCURSOR cur = GetCursor();
  fprintf(f, "cursor %s\n", cur == LoadCursorA(nullptr, IDC_NO)     ? "no"
                            : cur == LoadCursorA(nullptr, IDC_HAND) ? "hand"
                                                                    : "other");
  fclose(f);
  MoveFileExA(Path("state.tmp").c_str(), Path("state.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
}

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      NMHDR* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->hwndFrom != g_tl) break;
      int code = static_cast<int>(nm->code);
      char line[400];
      if (code == TLN_CHECKCHANGED || code == TLN_SELCHANGED || code == TLN_ITEMEXPANDED || code == TLN_DELETEITEM) {
        TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(lp);
        snprintf(line, sizeof(line), "%d %u %u", code, static_cast<unsigned>(tv->itemNew.hItem), tv->itemNew.state);
        Log(line);
      } else if (code == TLN_ENDLABELEDIT) {
        TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(lp);
        snprintf(line, sizeof(line), "%d %u %s", code, static_cast<unsigned>(di->item.hItem),
                 di->item.pszText ? di->item.pszText : "(cancel)");
        Log(line);
      } else if (code == static_cast<int>(NM_DBLCLK) || code == static_cast<int>(NM_RDBLCLK)) {
        TLNmClick* c = reinterpret_cast<TLNmClick*>(lp);
        POINT pt = {c->ptDrag.x, c->ptDrag.y};
        ClientToScreen(g_tl, &pt);
        snprintf(line, sizeof(line), "%d %u %ld %ld %x", code, static_cast<unsigned>(c->itemNew.hItem), pt.x, pt.y,
                 c->action);
        Log(line);
      } else if (code == TLN_EDITREQUEST) {
        Log("-435");
        return 1;  // an edit box
      } else if (code == TLN_DROP) {
        TLNmDrop* d = reinterpret_cast<TLNmDrop*>(lp);
        snprintf(line, sizeof(line), "%d %x %u %u", code, d->action, static_cast<unsigned>(d->itemOld.hItem),
                 static_cast<unsigned>(d->itemNew.hItem));
        Log(line);
      } else if (code == TLN_COLUMNCHANGED) {
        TLNmColumn* c = reinterpret_cast<TLNmColumn*>(lp);
        snprintf(line, sizeof(line), "%d %d %d %d %d", code, c->column, c->position, c->x, c->width);
        Log(line);
      } else if (code == TLN_COLUMNCLICK) {
        TLNmColumnClick* c = reinterpret_cast<TLNmColumnClick*>(lp);
        snprintf(line, sizeof(line), "%d %d", code, c->column);
        Log(line);
      } else if (code == TLN_SCROLL) {
        TLNmScroll* s = reinterpret_cast<TLNmScroll*>(lp);
        snprintf(line, sizeof(line), "%d %d %d", code, s->direction, s->firstRow);
        Log(line);
      }
      return 0;
    }
    case WM_TIMER: {
      FILE* f = fopen(Path("cmd.txt").c_str(), "r");
      if (!f) return 0;
      char cmd[100] = "";
      if (!fgets(cmd, sizeof(cmd), f)) cmd[0] = 0;
      fclose(f);
      DeleteFileA(Path("cmd.txt").c_str());
      if (!strncmp(cmd, "quit", 4)) {
        DestroyWindow(hwnd);
        return 0;
      }
      WriteState();
      g_acks++;
      FILE* a = fopen(Path("ack.tmp").c_str(), "w");
      if (a) {
        fprintf(a, "%d\n", g_acks);
        fclose(a);
        MoveFileExA(Path("ack.tmp").c_str(), Path("ack.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
      }
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

static void SetCell(uintptr_t h, int column, const char* text) { TLSetCellText(g_tl, h, column, text); }

static void AddColumn(int index, const char* text, int width) {
  TLColumnDesc d = {};
  d.mask = TLCF_TEXT | TLCF_WIDTH;
  d.pszText = const_cast<char*>(text);
  d.cx = width;
  SendMessageA(g_tl, TLM_INSERTCOLUMN, index, reinterpret_cast<LPARAM>(&d));
}

static uintptr_t Add(uintptr_t parent, const char* text) {
  TLInsert r = {};
  r.hParent = parent;
  r.hInsertAfter = TLI_LAST;
  r.ex.item.mask = TLIF_TEXT;
  r.ex.item.pszText = const_cast<char*>(text);
  return SendMessageA(g_tl, TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdLine, int) {
  g_dir = cmdLine;
  size_t sp = g_dir.rfind(' ');
  if (sp != std::string::npos && g_dir.substr(sp + 1) == "full") {
    g_full = true;
    g_dir.resize(sp);
  }
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  TreeListRegisterClass(inst);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.lpszClassName = "TLGuiParent";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  HWND top = CreateWindowExA(0, "TLGuiParent", "TreeList GUI", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 360 + (g_full ? 40 : 0), 320,
                             nullptr, nullptr, inst, nullptr);
  g_tl = CreateWindowExA(0, TREELIST_CLASSNAME, nullptr,
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                             (g_full ? 0x8000u : TVS_CHECKBOXES) | TVS_EDITLABELS,
                         0, 0, 340 + (g_full ? 40 : 0), 280, top, reinterpret_cast<HMENU>(100), inst, nullptr);
  if (g_full) {
    AddColumn(0, "Name", 150);
    AddColumn(1, "Wert", 90);
    AddColumn(2, "Art", 80);
    SendMessageA(g_tl, TLM_SETEXTENDEDSTYLE, 0,
                 TLOPT_MULTISELECT | TLOPT_REORDERCOLUMNS | TLOPT_COLUMNNOTIFY | TLOPT_SECONDCLICKEDIT | TLOPT_ODDHEIGHTS);
    SendMessageA(g_tl, TLM_PROPERTY, TLPROP_DRAGFLAGS | TLPROP_SET, TLDRAG_REPORTCANCEL);
  }
  uintptr_t parent = Add(TLI_ROOT, "Ordner");
  for (int i = 0; i < 5; i++) Add(parent, ("Kind " + std::to_string(i)).c_str());
  if (g_full) Add(TLI_ROOT, "Lang: ein Eintrag, der nicht in seine Spalte passt");
  for (int i = 0; i < 30; i++) {
    uintptr_t h = Add(TLI_ROOT, ("Zeile " + std::to_string(i)).c_str());
    if (g_full) {
      SetCell(h, 1, ("Wert " + std::to_string(i * 7)).c_str());
      SetCell(h, 2, "x");
    }
  }
  SetFocus(g_tl);
  SetTimer(top, 1, 30, nullptr);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
