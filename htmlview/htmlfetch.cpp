#include "htmlview/htmlfetch.h"

#include <windows.h>

#include <string>

#include "files/fileio.h"
#include "htmlview/htmlurl.h"

namespace {

const WORD kResHtml = 23;

// The path in the ANSI code page the file layer takes; false when a
// character has no place there.
bool ToAnsi(const HtmlString& path, std::string& out) {
  if (path.empty()) return false;
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out.resize(n);
  WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), &out[0], n, nullptr, &lossy);
  return !lossy;
}

HtmlFetchResult ReadFile(const HtmlString& path, size_t limit, std::vector<uint8_t>& out) {
  std::string ansi;
  if (!ToAnsi(path, ansi)) return kHtmlFetchMissing;
  FioHandle h = FioOpen(ansi.c_str(), FIO_READ | FIO_SHARE_READ);
  if (h == FIO_INVALID) return kHtmlFetchMissing;
  HtmlFetchResult r = kHtmlFetchOk;
  int64_t size = FioSize(h);
  if (size < 0) {
    r = kHtmlFetchMissing;
  } else if (static_cast<uint64_t>(size) > limit) {
    r = kHtmlFetchTooLarge;
  } else {
    out.resize(static_cast<size_t>(size));
    ptrdiff_t got = size ? FioRead(h, out.data(), out.size()) : 0;
    if (got != size) r = kHtmlFetchMissing;
  }
  FioClose(h);
  if (r != kHtmlFetchOk) out.clear();
  return r;
}

HtmlFetchResult ReadResource(const HtmlString& module, const HtmlString& name, size_t limit,
                             std::vector<uint8_t>& out) {
  HMODULE self = GetModuleHandleW(nullptr);
  wchar_t selfPath[MAX_PATH];
  DWORD n = GetModuleFileNameW(self, selfPath, MAX_PATH);
  HMODULE mod = nullptr;
  bool loaded = false;
  if (n && n < MAX_PATH && lstrcmpiW(selfPath, module.c_str()) == 0) {
    mod = self;
  } else {
    mod = GetModuleHandleW(module.c_str());
    if (!mod) {
      mod = LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
      loaded = mod != nullptr;
    }
  }
  if (!mod) return kHtmlFetchMissing;
  // "#12" or "12" name a numbered resource
  HtmlString id = name.size() > 1 && name[0] == '#' ? name.substr(1) : name;
  bool numeric = !id.empty() && id.size() < 6;
  for (WideChar c : id) numeric = numeric && c >= '0' && c <= '9';
  LPCWSTR resName = numeric ? MAKEINTRESOURCEW(_wtoi(id.c_str())) : name.c_str();
  HtmlFetchResult r = kHtmlFetchMissing;
  HRSRC res = FindResourceW(mod, resName, MAKEINTRESOURCEW(kResHtml));
  if (!res) res = FindResourceW(mod, resName, MAKEINTRESOURCEW(10));  // RT_RCDATA, for pictures
  HGLOBAL data = res ? LoadResource(mod, res) : nullptr;
  const void* p = data ? LockResource(data) : nullptr;
  if (p) {
    DWORD size = SizeofResource(mod, res);
    if (size > limit) {
      r = kHtmlFetchTooLarge;
    } else {
      out.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
      r = kHtmlFetchOk;
    }
  }
  if (loaded) FreeLibrary(mod);
  return r;
}

}  // namespace

HtmlFetchResult HtmlFetch(const HtmlString& url, size_t limit, std::vector<uint8_t>& out) {
  out.clear();
  switch (HtmlUrlClassify(url)) {
    case HtmlUrlKind::kFile:
      return ReadFile(HtmlUrlToPath(url), limit, out);
    case HtmlUrlKind::kRes: {
      HtmlString module, name;
      if (!HtmlSplitResUrl(url, &module, &name)) return kHtmlFetchMissing;
      return ReadResource(module, name, limit, out);
    }
    default:
      return kHtmlFetchRefused;
  }
}
