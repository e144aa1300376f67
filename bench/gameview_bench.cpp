// Creating the program's window: frame with toolbar, player bar, status bar
// and menu images, the game view with its map window, marker images and
// settings, from the document template; against a plain frame with an
// empty view from a template of the same resource. Only the creation is
// timed: destroying a shown top-level window waits on the X server under
// Wine, which says nothing about the program.
#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "bench/benchlib.h"
#include "files/regkey.h"
#include "game/app/orvalo_app.h"
#include "game/app/orvalo_doc.h"
#include "game/frame/mainframe.h"
#include "game/view/orvalo_view.h"
#include "map/tileworker.h"
#include "resources/resource.h"

COrvaloApp theApp;

namespace {

class CPlainView : public CView {
  DECLARE_DYNCREATE(CPlainView)
 public:
  void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CPlainView, CView)

class CPlainDoc : public CDocument {
  DECLARE_DYNCREATE(CPlainDoc)
};
IMPLEMENT_DYNCREATE(CPlainDoc, CDocument)

// Seconds of the fastest of `rounds` creations through the template.
double BestCreation(CDocTemplate* t, int rounds) {
  double best = 1e300;
  for (int i = 0; i < rounds; i++) {
    double t0 = orvbench::Seconds();
    CDocument* doc = t->OpenDocumentFile(nullptr, FALSE);
    double t1 = orvbench::Seconds();
    if (!doc) return -1;
    best = std::min(best, t1 - t0);
    POSITION pos = doc->GetFirstViewPosition();
    CView* v = pos ? doc->GetNextView(pos) : nullptr;
    CFrameWnd* f = v ? v->GetParentFrame() : nullptr;
    if (f) f->DestroyWindow();
    theApp.m_pMainWnd = nullptr;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  if (orvbench::Settings().filter && !strstr("game.view.create", orvbench::Settings().filter)) return 0;
  RegSetAppKeyPath("Vexa-Bench", "OrvaloView");
  MapTilesInstall();
  // a table on a closed local port: no tile reaches the network
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) && app.OpenSubKey("Server", REGKEY_CREATE)) {
    app.WriteValue("Lokal", -1, "Name00", REG_SZ);
    app.WriteValue("127.0.0.1:9", -1, "Server00", REG_SZ);
  }
  app.Close();
  CSingleDocTemplate* game = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COrvaloDoc),
                                                    RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(COrvaloView));
  CSingleDocTemplate* plain = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CPlainDoc),
                                                     RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(CPlainView));
  theApp.AddDocTemplate(game);
  theApp.AddDocTemplate(plain);
  int rounds = orvbench::Settings().rounds * 2;
  BestCreation(game, 1);  // the first one loads the shared resources
  BestCreation(plain, 1);
  double g = BestCreation(game, rounds), p = BestCreation(plain, rounds);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vexa-Bench");
  if (g <= 0 || p <= 0) {
    std::printf("BENCH game.view.create: failed\n");
    return 1;
  }
  std::printf("BENCH game.view.create: frame+view+map %.4g ops/s, plain frame+view %.4g ops/s, ratio %.3f\n", 1 / g,
              1 / p, p / g);
  return 0;
}
