// The folder list's worker: drive entries, component rows and subfolders.
#include "treelist/folderdlg/pathdlg_list.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "files/dirlist.h"
#include "files/pathname.h"
#include "text/strcompare.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/pathtext.h"

namespace {

bool BeginsNoCase(const std::string& text, const std::string& head) {
  return head.size() <= text.size() && StrComparePathNoCaseNA(text.c_str(), head.c_str(), (int)head.size()) == 0;
}

void Post(PdList* l, UINT cmd) {
  PdLock lock(l);
  if (l->dlg) PostMessageA(l->dlg, WM_COMMAND, cmd, 0);
}

void ListDrives(PdList* l, CDirectoryList& dl) {
  unsigned opt = (l->flags & PDF_PLAIN) ? DIRLIST_FOLDERS : DIRLIST_FOLDERS | DIRLIST_NETWORK;
  dl.Refresh(":", opt);
  std::string path;
  {
    PdLock lock(l);
    path = l->path;
  }
  while (DirEntry* e = dl.Next()) {
    if (l->stop) return;
    PdDrive d;
    d.kind = (e->attributes & DIRENT_VIRTUAL) ? 1 : 0;
    d.text = e->name;
    if (d.kind == 0) d.text += '\\';
    d.icon = dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS);
    if (d.kind == 1)
      if (const char* extra = static_cast<const char*>(dl.GetEntryExtra(e))) d.path = extra;
    PdLock lock(l);
    if (d.path == "\\\\" && d.icon >= 0) l->networkIcon = d.icon;
    l->drives.push_back(d);
    const std::string& head = d.kind == 0 ? d.text.substr(0, 2) : d.path;
    if (l->currentDrive < 0 && !head.empty() && BeginsNoCase(path, head))
      l->currentDrive = (int)l->drives.size() - 1;
  }
  if (l->pathKind == 5) {
    PdLock lock(l);
    l->drives.push_back({"", l->systemDriveIcon, 2, path});
  }
}

void AddRow(PdList* l, std::vector<PdRow>& rows, const std::string& text, int icon, int kind) {
  rows.push_back({text, icon, (int)rows.size() * 5, kind});
  (void)l;
}

int OpenFolderIcon(const std::string& path, int fallback) {
  SHFILEINFOA fi = {};
  if (SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY, &fi, sizeof fi,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON))
    return fi.iIcon;
  return fallback;
}

// The rows of one path; false when a stop or a newer request cut it short.
bool ListRows(PdList* l, CDirectoryList& dl, const std::string& path, std::vector<PdRow>& rows, int* current) {
  rows.clear();
  std::string chosen;
  {
    PdLock lock(l);
    if (!l->chosenVirtual.empty() && !BeginsNoCase(path, l->chosenVirtual)) l->chosenVirtual.clear();
    chosen = l->chosenVirtual;
  }
  bool network = PathTextIsNetwork(path.c_str());
  if (network && !(l->flags & PDF_PLAIN) && chosen.empty()) {
    AddRow(l, rows, "Netzwerkumgebung", l->networkIcon >= 0 ? l->networkIcon : l->closedIcon, 1);
    std::vector<PathSegment> segs = PathTextSegments(path.c_str(), 64);
    for (size_t i = 0; i < segs.size(); ++i) {
      if (l->stop || l->refresh) return false;
      std::string parent = i == 0 ? std::string("\\\\") : PathTextPrefix(path.c_str(), (int)i, 64);
      std::string name = path.substr((size_t)segs[i].start, (size_t)segs[i].length);
      int icon = l->closedIcon;
      std::string text = name;
      if (dl.Refresh(parent.c_str(), DIRLIST_FOLDERS | DIRLIST_NETWORK, name.c_str()) == DIRLIST_CANCELLED)
        return false;
      if (DirEntry* e = dl.Next()) {
        int ic = dl.GetEntryIconIndex(e, SHGFI_SMALLICON | SHGFI_OPENICON);
        if (ic >= 0) icon = ic;
        if (!(e->attributes & DIRENT_VIRTUAL)) text = dl.GetEntryPath(e);
      }
      AddRow(l, rows, text, icon, 0);
    }
  } else {
    std::vector<PathSegment> segs = PathTextSegments(path.c_str(), 64);
    size_t first = 0;
    if (!chosen.empty()) {
      AddRow(l, rows, chosen, l->systemDriveIcon, 1);
      first = PathTextSegments(chosen.c_str(), 64).size();
    }
    for (size_t i = first; i < segs.size(); ++i) {
      std::string sofar = PathTextPrefix(path.c_str(), (int)i + 1, 64);
      std::string text = path.substr((size_t)segs[i].start, (size_t)segs[i].length);
      if (i == 0) text = network ? "\\\\" + text : text + "\\";
      AddRow(l, rows, text, OpenFolderIcon(i == 0 ? sofar + "\\" : sofar, l->openIcon), 0);
    }
  }
  *current = (int)rows.size() - 1;
  int indent = (int)rows.size() * 5;
  unsigned opt = (l->flags & PDF_PLAIN) ? DIRLIST_FOLDERS : DIRLIST_FOLDERS | DIRLIST_NETWORK;
  int r = dl.Refresh(path.c_str(), opt);
  if (r == DIRLIST_CANCELLED) return false;
  dl.Sort(DIRSORT_NAME, 0);
  while (DirEntry* e = dl.Next()) {
    if (l->stop || l->refresh) return false;
    int icon = dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS);
    rows.push_back({e->name, icon >= 0 ? icon : l->closedIcon, indent, 2});
  }
  return true;
}

}  // namespace

UINT PdListWorker(void* param) {
  PdList* l = static_cast<PdList*>(param);
  {
    CDirectoryList dl;
    dl.SetCancelFlag(&l->cancel);
    ListDrives(l, dl);
    Post(l, PD_CMD_DRIVES_READY);
    l->rowsComplete = 1;
    std::vector<PdRow> rows;
    while (!l->stop) {
      if (!l->refresh) {
        WaitForSingleObject(l->wake, 5000);
        continue;
      }
      std::string path;
      {
        PdLock lock(l);
        l->refresh = 0;
        l->cancel = 0;
        l->rowsComplete = 0;
        path = l->path;
      }
      int current = -1;
      if (!ListRows(l, dl, path, rows, &current)) continue;
      {
        PdLock lock(l);
        if (l->refresh || l->stop) continue;
        l->rows.swap(rows);
        l->rowsPath = path;
        l->currentRow = current;
        ++l->serial;
        l->rowsComplete = 1;
        if (l->dlg) PostMessageA(l->dlg, WM_COMMAND, PD_CMD_ROWS_READY, 0);
      }
    }
  }
  l->alive = 0;
  l->Release();
  return 0;
}
