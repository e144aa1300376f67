// The main frame's costs: drawing the owner-drawn "Ansicht" popup items
// into a memory DC against DrawText + ImageList_Draw of the same texts and
// images, and creating the frame (status bar, toolbar, player bar, menu
// images) with the program's document and view against a plain frame with
// an empty view from the same resources.
#include <windows.h>

#include <cstring>
#include <vector>

#include "bench/benchlib.h"
#include "framework/afxwin.h"
#include "game/app/orvalo_app.h"
#include "game/app/orvalo_doc.h"
#include "game/frame/mainframe.h"
#include "game/frame/ownermenu.h"
#include "game/view/orvalo_view.h"
#include "resources/resource.h"

namespace {

class CPlainDoc : public CDocument {
  DECLARE_DYNCREATE(CPlainDoc)
};
IMPLEMENT_DYNCREATE(CPlainDoc, CDocument)

class CPlainView : public CView {
  DECLARE_DYNCREATE(CPlainView)
 public:
  void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CPlainView, CView)


struct Item {
  DRAWITEMSTRUCT dis;
  char text[64];
  int tab;
  int image;
};

}  // namespace

// the program's application object, as the document expects it
COrvaloApp theApp;

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  COrvaloApp& app = theApp;
  app.m_hInstance = GetModuleHandleA(nullptr);
  app.SetRegistryKey("Vexa");
  app.m_nCmdShow = SW_HIDE;

  // ---- the "Ansicht" popup drawn item by item
  COwnerMenu menus;
  const UINT ids[] = {IDR_MAINFRAME};
  menus.LoadImages(app.m_hInstance, ids, 1);
  HMENU bar = LoadMenuA(app.m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  menus.MakeOwnerDraw(bar);
  HMENU view = GetSubMenu(bar, 2);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 400, 800);
  ReleaseDC(nullptr, screen);
  SelectObject(mem, bmp);
  std::vector<Item> items;
  int y = 0;
  for (int i = 0; i < GetMenuItemCount(view); i++) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA | MIIM_ID;
    GetMenuItemInfoA(view, i, TRUE, &mii);
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, mii.wID, 0, 0, mii.dwItemData};
    menus.Measure(&mis);
    Item it = {};
    it.dis = {ODT_MENU, 0, mii.wID, ODA_DRAWENTIRE, (i % 3 == 1) ? (UINT)ODS_GRAYED : 0u,
              reinterpret_cast<HWND>(view), mem, {0, y, 300, y + (int)mis.itemHeight}, mii.dwItemData};
    MenuItemRecord* rec = menus.RecordAt(view, i);
    if (rec) {
      std::strcpy(it.text, rec->text);
      it.tab = rec->tabPos;
      it.image = rec->image == MENU_NO_IMAGE ? -1 : rec->image;
    } else {
      it.tab = -1;
      it.image = -1;
    }
    items.push_back(it);
    y += mis.itemHeight;
  }
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  std::printf("menu items: %zu\n", items.size());
  orvbench::Compare(
      "frame.menu_draw_ansicht", "owner-drawn items",
      [&](long n) {
        for (long k = 0; k < n; k++)
          for (const Item& it : items) menus.Draw(&it.dis);
        return (double)GetPixel(mem, 5, 5);
      },
      "DrawText+ImageList_Draw",
      [&](long n) {
        HGDIOBJ old = SelectObject(mem, font);
        SetBkMode(mem, TRANSPARENT);
        for (long k = 0; k < n; k++)
          for (const Item& it : items) {
            RECT rc = it.dis.rcItem;
            FillRect(mem, &rc, GetSysColorBrush(COLOR_MENU));
            if (it.image >= 0) ImageList_Draw(menus.GetImageList(false), it.image, mem, 3, rc.top + 2, ILD_TRANSPARENT);
            RECT t = {rc.left + 26, rc.top, rc.right, rc.bottom};
            DrawTextA(mem, it.text, it.tab >= 0 ? it.tab : -1, &t, DT_SINGLELINE | DT_VCENTER);
            if (it.tab >= 0) {
              RECT a = {rc.right - 60, rc.top, rc.right, rc.bottom};
              DrawTextA(mem, it.text + it.tab + 1, -1, &a, DT_SINGLELINE | DT_VCENTER);
            }
          }
        SelectObject(mem, old);
        return (double)GetPixel(mem, 5, 5);
      });

  // ---- creating the frames
  CSingleDocTemplate* full = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COrvaloDoc),
                                                    RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(COrvaloView));
  CSingleDocTemplate* plain = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPlainDoc),
                                                     RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(CPlainView));
  CSingleDocTemplate* frameOnly = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPlainDoc),
                                                         RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CPlainView));
  app.AddDocTemplate(full);
  app.AddDocTemplate(plain);
  app.AddDocTemplate(frameOnly);
  auto make = [&](CSingleDocTemplate* t, long n) {
    double sum = 0;
    for (long k = 0; k < n; k++) {
      CDocument* doc = t->OpenDocumentFile(nullptr, FALSE);
      if (!doc) continue;
      POSITION pos = doc->GetFirstViewPosition();
      CView* v = doc->GetNextView(pos);
      CFrameWnd* frame = v ? v->GetParentFrame() : nullptr;
      sum += frame ? 1 : 0;
      if (app.m_pMainWnd == frame) app.m_pMainWnd = nullptr;
      if (frame) frame->DestroyWindow();
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
    return sum;
  };
  // the frame's own part: the same frame with an empty view
  orvbench::Compare(
      "frame.create_frame", "frame+bars+menu images", [&](long n) { return make(frameOnly, n); },
      "plain frame+empty view", [&](long n) { return make(plain, n); });
  orvbench::Compare(
      "frame.create", "frame+bars+menu images+view", [&](long n) { return make(full, n); },
      "plain frame+empty view", [&](long n) { return make(plain, n); });
  DeleteDC(mem);
  DeleteObject(bmp);
  DestroyMenu(bar);
  return 0;
}
