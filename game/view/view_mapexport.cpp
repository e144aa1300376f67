// "Kartenauschnitt speichern" and "Kartenauschnitt cachen": the section
// dialog, then the rendering (and saving) in a progress dialog's thread.
#include "game/view/mapexport.h"

#include "framework/commondlg.h"
#include "game/dialogs/mapsection_math.h"
#include "game/dialogs/mapsectiondlg.h"
#include "game/view/orvalo_view.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "map/mapwnd.h"
#include "text/fmtprint.h"
#include "toolkit/progressdlg.h"

namespace {

const char kTooLarge[] = "Der Kartenauschnitt ist gr\xF6\xDF"
                         "er als 18000 Pixel !";
const char kTooSmall[] = "Der Kartenauschnitt ist kleiner als 64 Pixel !";
const char kNoMemory[] = "Nicht genug Speicher f\xFCr einen Kartenauschnitt von %i \xD7 %i Pixeln !";
const char kSaveError[] = "Es gab einen Fehler beim Speichern !";
const char kMissing[] = "Es fehlen %i Kacheln im Kartenauschnitt.";
const char kNotFixed[] = "Nicht alle Server und Layer liegen im fixierten Cache !";
const char kTitleSave[] = "Kartenauschnitt speichern";
const char kTitleCache[] = "Kartenauschnitt cachen";
const char kFilter[] = "Bilddatei (*.png)|*.png|Alle Dateien|*.*|";
const UINT kProgressMs = 300;

HWND Owner(COrvaloView* view) {
  CWnd* frame = view->GetParentFrame();
  return frame ? frame->GetSafeHwnd() : view->GetSafeHwnd();
}

LONG Clamp32(int64_t v) { return v > 0x7FFFFFFF ? 0x7FFFFFFF : (LONG)v; }

// The section dialog over the view's visible map; false unless OK.
bool ChooseSection(COrvaloView* view, MapExportJob* job) {
  CMapWnd& map = view->Map();
  uint32_t x1, y1, x2, y2;
  map.GetVisibleWorldRect(&x1, &y1, &x2, &y2);
  CMapSectionDlg dlg(&map, view->Settings().coordMode, map.GetZoom(), view);
  dlg.SetWorldRect(x1, y1, x2, y2);
  if (dlg.DoModal() != IDOK) return false;
  job->map = &map;
  job->x = dlg.WorldRect().xa;
  job->y = dlg.WorldRect().ya;
  job->zoom = dlg.Zoom();
  job->width = dlg.PixelWidth();
  job->height = dlg.PixelHeight();
  return job->zoom >= 0;
}

// Runs the job under a progress dialog; its result once the worker ended.
int RunWithProgress(COrvaloView* view, MapExportJob* job, const char* title) {
  {
    CProgressDlg dlg(view);
    dlg.SetTitle(title);
    dlg.SetRange(MS_PROGRESS_RANGE);
    dlg.SetWorker(MapExportRenderProc, reinterpret_cast<uintptr_t>(job));
    dlg.SetTimerCallback(MapExportProgressProc, kProgressMs, job);
    INT_PTR r = dlg.DoModal();
    if (r == -1) return job->result = kMapExportBadArgs;
    // cancelled: the render and the save stop at their next look at the
    // flag, and the dialog's destructor waits for that
    if (r != IDOK) InterlockedExchange(&job->cancel, 1);
  }
  return job->result;
}

void Report(COrvaloView* view, const MapExportJob& job) {
  if (job.result == kMapExportCancelled) return;
  if (job.result < 0) {
    ::MessageBoxA(Owner(view), kSaveError, "Fehler", MB_OK | MB_ICONSTOP);
    return;
  }
  if (job.missing > 0) {
    char text[128];
    FmtPrintA(text, sizeof text, kMissing, (int)job.missing);
    ::MessageBoxA(Owner(view), text, "Warnung", MB_OK | MB_ICONWARNING);
  }
}

}  // namespace

int MapExportRun(MapExportJob* job) {
  if (!job) return kMapExportBadArgs;
  if (!job->map || job->zoom < 0 || job->zoom > MS_ZOOM_MAX) return job->result = kMapExportBadArgs;
  bool save = job->file != nullptr;
  CPicture fetchOnly;
  CPicture* image = job->image;
  if (!save) {
    // a 1 x 1 picture: the map only fetches the tiles
    if (!fetchOnly.Create(32, 1, 1)) return job->result = kMapExportBadArgs;
    image = &fetchOnly;
  } else if (!image || image->Width() != job->width || image->Height() != job->height || image->Bits() != 32) {
    return job->result = kMapExportBadArgs;
  }
  int count = MsLevelCount(job->zoom, save ? job->zoom : 0);
  InterlockedExchange(&job->levels, count);
  for (int i = 0; i < count; i++) {
    MsLevel l = MsLevelArea(job->x, job->y, job->width, job->height, job->zoom, i);
    InterlockedExchange(&job->levelTiles, Clamp32(MsLevelTiles(l)));
    InterlockedExchange(&job->tiles, 0);
    InterlockedExchange(&job->level, i);
    int missing = 0;
    int r = job->map->RenderArea(l.x, l.y, l.zoom, image, &job->tiles, &job->cancel, l.width, l.height, &missing);
    InterlockedExchangeAdd(&job->missing, missing);
    if (r == 3) return job->result = job->cancel ? kMapExportCancelled : kMapExportStopped;
    if (r != 0) return job->result = kMapExportBadArgs;
  }
  if (!save) return job->result = kMapExportDone;
  InterlockedExchange(&job->saving, 1);
  char ref[160];
  MsGeoRefText(ref, sizeof ref, job->x, job->y, job->zoom);
  int r = ImgSaveFile(job->file, *image, ref, &job->cancel);
  if (r == kImgSaveCancelled) return job->result = kMapExportCancelled;
  return job->result = r == 0 ? kMapExportDone : kMapExportSaveFailed;
}

int MapExportRenderProc(CProgressDlg* dlg) { return MapExportRun(reinterpret_cast<MapExportJob*>(dlg->GetArg(0))); }

int MapExportProgressProc(CProgressDlg* dlg, void* arg) {
  MapExportJob* job = static_cast<MapExportJob*>(arg);
  char text[128];
  if (job->saving) {
    if (job->lastShown != -2) {
      job->lastShown = -2;
      dlg->SetPos(MS_PROGRESS_RANGE);
      dlg->SetLineText(0, "Speichern ...");
    }
  } else {
    LONG done = job->tiles, total = job->levelTiles, level = job->level;
    if (done != job->lastShown) {
      job->lastShown = done;
      dlg->SetPos(MsProgressPos(level, job->levels, done, total, MS_PROGRESS_RANGE));
      FmtPrintA(text, sizeof text, "Zoomstufe %i: %u von %u Kacheln", job->zoom - (int)level, (unsigned)done,
                (unsigned)total);
      dlg->SetLineText(0, text);
    }
  }
  if (dlg->IsCancelled()) {
    InterlockedExchange(&job->cancel, 1);
    return 1;
  }
  return 0;
}

void COrvaloView::OnEditSaveMapSection() {
  MapExportJob job;
  if (!ChooseSection(this, &job)) return;
  if (job.width > MS_EXPORT_MAX || job.height > MS_EXPORT_MAX || job.width < MS_EXPORT_MIN ||
      job.height < MS_EXPORT_MIN) {
    bool large = job.width > MS_EXPORT_MAX || job.height > MS_EXPORT_MAX;
    ::MessageBoxA(Owner(this), large ? kTooLarge : kTooSmall, "Fehler", MB_OK | MB_ICONSTOP);
    return;
  }
  CFileDialog fd(FALSE, "png", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, kFilter, this);
  fd.m_ofn.lpstrTitle = kTitleSave;
  if (fd.DoModal() != IDOK) return;
  CString file = fd.GetPathName();
  CPicture image;
  // missing tiles stay opaque white
  if (!image.Create(32, job.width, job.height, 0xFFFFFFFF)) {
    char text[160];
    FmtPrintA(text, sizeof text, kNoMemory, job.width, job.height);
    ::MessageBoxA(Owner(this), text, "Fehler", MB_OK | MB_ICONSTOP);
    return;
  }
  job.image = &image;
  job.file = file.GetString();
  RunWithProgress(this, &job, kTitleSave);
  image.Destroy();
  Report(this, job);
}

void COrvaloView::OnEditCacheMapSection() {
  if (!AllSourcesFixed() && ::MessageBoxA(Owner(this), kNotFixed, "Warnung", MB_OKCANCEL | MB_ICONSTOP) != IDOK)
    return;
  MapExportJob job;
  if (!ChooseSection(this, &job)) return;
  RunWithProgress(this, &job, kTitleCache);
  Report(this, job);
}
