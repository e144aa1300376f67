#include "toolkit/hdrop.h"

#include <ole2.h>
#include <shlobj.h>
#include <string.h>

#include "framework/commondlg.h"

HGLOBAL HDropCreate(const char* path) {
  size_t n = path ? strlen(path) : 0;
  if (!n) return nullptr;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + n + 2);
  if (!h) return nullptr;
  auto* d = static_cast<DROPFILES*>(GlobalLock(h));
  d->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char*>(d) + sizeof(DROPFILES), path, n);
  GlobalUnlock(h);
  return h;
}

int HDropToClipboard(HWND owner, const char* path) {
  HGLOBAL h = HDropCreate(path);
  if (!h) return 0;
  if (!OpenClipboard(owner)) {
    GlobalFree(h);
    return 0;
  }
  EmptyClipboard();
  int ok = SetClipboardData(CF_HDROP, h) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(h);
  return ok;
}

void HDropOleInitOnce() {
  static LONG done = 0;
  if (InterlockedExchange(&done, 1) == 0) AfxOleInit();
}

namespace {

FORMATETC HDropFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

class DataSource : public IDataObject {
 public:
  explicit DataSource(const char* path) : m_path(path) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG r = InterlockedDecrement(&m_refs);
    if (!r) delete this;
    return r;
  }
  STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = HDropCreate(m_path.c_str());
    m->pUnkForRelease = nullptr;
    return m->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* f) override {
    return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD dir, IEnumFORMATETC** out) override {
    if (dir != DATADIR_GET) return E_NOTIMPL;
    FORMATETC f = HDropFormat();
    return SHCreateStdEnumFmtEtc(1, &f, out);
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  virtual ~DataSource() = default;
  LONG m_refs = 1;
  std::string m_path;  // its own: a drop target may keep the object after the drag
};

class DropSource : public IDropSource {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG r = InterlockedDecrement(&m_refs);
    if (!r) delete this;
    return r;
  }
  STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if (!(keys & (MK_LBUTTON | MK_RBUTTON))) return DRAGDROP_S_DROP;
    return S_OK;
  }
  STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  virtual ~DropSource() = default;
  LONG m_refs = 1;
};

}  // namespace

DWORD HDropDoDragDrop(const char* path) {
  if (!path || !*path) return DROPEFFECT_NONE;
  HDropOleInitOnce();
  auto* data = new DataSource(path);
  auto* source = new DropSource;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  source->Release();
  data->Release();
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

bool HDropFirstPath(HDROP drop, std::string* path) {
  char file[MAX_PATH + 1];
  UINT n = DragQueryFileA(drop, 0, file, sizeof file);
  DragFinish(drop);
  if (n == 0 || n >= sizeof file) return false;
  path->assign(file, n);
  return true;
}
