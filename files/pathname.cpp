// Path names as text.
#include "files/pathname.h"
#include "files/pathsafe.h"
#include "text/casefold.h"

#include <string.h>

namespace {



template <typename C>
int TextLength(const C* s, int length) {
  int n = 0;
  if (!s) return 0;
  while ((length < 0 || n < length) && s[n]) ++n;
  return n;
}

// Index of the name part within the first len characters.
template <typename C>
int NameStart(const C* s, int len) {
  int i = len;
  while (i > 0 && !PathIsSep(s[i - 1]) && s[i - 1] != ':') --i;
  return i;
}

// Index of the extension's dot within name[0..len), or len when there is
// none; a name whose only dot is its first character has no extension.
template <typename C>
int ExtDot(const C* name, int len) {
  for (int i = len - 1; i > 0; --i)
    if (name[i] == '.') return i;
  return len;
}

// Length of a root prefix that separator removal must keep: "\", "C:\".
int RootLength(const char* s, int len) {
  if (len >= 3 && s[1] == ':' && PathIsSep(s[2])) return 3;
  if (len >= 1 && PathIsSep(s[0])) return 1;
  return 0;
}

template <typename C>
int TitleOf(C* dest, int length, const C* path, int size) {
  if (!dest || size < 1) return 0;
  int len = TextLength(path, length);
  int start = NameStart(path, len);
  int n = ExtDot(path + start, len - start);
  if (n > size - 1) n = size - 1;
  for (int i = 0; i < n; ++i) dest[i] = path[start + i];
  dest[n] = 0;
  return n;
}

int CompareSpan(const char* a, int la, const char* b, int lb, bool noCase) {
  int n = la < lb ? la : lb;
  for (int i = 0; i < n; ++i) {
    unsigned ca = (unsigned char)a[i], cb = (unsigned char)b[i];
    if (PathIsSep(ca)) ca = '\\';
    if (PathIsSep(cb)) cb = '\\';
    if (noCase) {
      ca = CaseUpper1252((unsigned char)ca);
      cb = CaseUpper1252((unsigned char)cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return la == lb ? 0 : (la < lb ? -1 : 1);
}

}  // namespace

int PathAddSeparatorA(char* path, int size) {
  if (!path || size < 1) return -1;
  int len = TextLength(path, size);
  if (len >= size) return -1;  // not terminated within size
  if (len == 0 || PathIsSep(path[len - 1])) return len;
  if (len + 1 >= size) return -1;
  path[len] = FIO_SEP;
  path[len + 1] = 0;
  return len + 1;
}

void PathAddSeparator(CString& path) {
  int len = path.GetLength();
  if (len > 0 && !PathIsSep(path[len - 1])) path += FIO_SEP;
}

void PathRemoveSeparator(CString& path) {
  int len = path.GetLength();
  if (len > 0 && PathIsSep(path[len - 1]) && len > RootLength(path, len)) path.Delete(len - 1);
}

void PathStripName(CString& path) {
  PathRemoveSeparator(path);
  const char* s = path;
  int len = path.GetLength();
  int root = RootLength(s, len);
  int start = NameStart(s, len);
  int keep = start;
  if (keep > root) {
    while (keep > root && PathIsSep(s[keep - 1])) --keep;  // the separator(s) before the name
  } else if (keep < root) {
    keep = root;
  }
  path = path.Left(keep);
}

CString PathJoin(const char* dir, const char* name) {
  CString r(dir);
  if (!name) name = "";
  if (r.IsEmpty()) return CString(name);
  int len = r.GetLength();
  bool endsSep = PathIsSep(r[len - 1]);
  if (*name) {
    if (endsSep) {
      while (PathIsSep(*name)) ++name;  // one separator between the two
    } else if (!PathIsSep(*name)) {
      r += FIO_SEP;
    }
    r += name;
  }
  return r;
}

const char* PathFindNameA(int length, const char* path, int* nameLength) {
  if (!path) {
    if (nameLength) *nameLength = 0;
    return nullptr;
  }
  int len = TextLength(path, length);
  int start = NameStart(path, len);
  if (nameLength) *nameLength = len - start;
  return path + start;
}

const WideChar* PathFindNameW(int length, const WideChar* path, int* nameLength) {
  if (!path) {
    if (nameLength) *nameLength = 0;
    return nullptr;
  }
  int len = TextLength(path, length);
  int start = NameStart(path, len);
  if (nameLength) *nameLength = len - start;
  return path + start;
}

int PathGetExt(CString& ext, const char* path) {
  int nlen = 0;
  const char* name = PathFindNameA(-1, path, &nlen);
  ext.Empty();
  if (!name) return 0;
  int dot = ExtDot(name, nlen);
  if (dot >= nlen) return 0;
  ext.SetString(name + dot + 1, nlen - dot - 1);
  return ext.GetLength();
}

int PathGetTitleA(char* dest, int length, const char* path, int size) {
  return TitleOf(dest, length, path ? path : "", size);
}

int PathGetTitleW(WideChar* dest, int length, const WideChar* path, int size) {
  static const WideChar kEmpty[1] = {0};
  return TitleOf(dest, length, path ? path : kEmpty, size);
}

int PathReplaceExtA(int length, char* dest, const char* src, const char* ext, int size) {
  if (!dest || size < 1) return -1;
  if (!src) src = "";
  if (!ext) ext = "";
  if (ext[0] == '*' && ext[1] == '.') ext += 2;
  else if (ext[0] == '.') ext += 1;
  int len = TextLength(src, length);
  int start = NameStart(src, len);
  int stem = start + ExtDot(src + start, len - start);
  int elen = (int)strlen(ext);
  int total = stem + (elen ? 1 + elen : 0);
  if (total >= size || (ext >= dest && ext < dest + size)) {
    dest[0] = 0;
    return -1;
  }
  memmove(dest, src, (size_t)stem);
  if (elen) {
    dest[stem] = '.';
    memcpy(dest + stem + 1, ext, (size_t)elen);
  }
  dest[total] = 0;
  return total;
}

int PathFindExtInListA(const char* path, const char* list, int listLength) {
  if (!path || !list) return 0;
  int nlen = 0;
  const char* name = PathFindNameA(-1, path, &nlen);
  int dot = ExtDot(name, nlen);
  if (dot >= nlen) return 0;
  const char* ext = name + dot + 1;
  int elen = nlen - dot - 1;
  int llen = TextLength(list, listLength);
  int pos = 1;
  int i = 0;
  while (i <= llen) {
    int j = i;
    while (j < llen && list[j] != ';') ++j;
    int a = i, b = j;
    while (a < b && (list[a] == ' ' || list[a] == '\t')) ++a;
    while (b > a && (list[b - 1] == ' ' || list[b - 1] == '\t')) --b;
    if (b - a == elen) {
      int k = 0;
      while (k < elen && CaseUpper1252((unsigned char)list[a + k]) == CaseUpper1252((unsigned char)ext[k])) ++k;
      if (k == elen) return pos;
    }
    ++pos;
    i = j + 1;
  }
  return 0;
}

int PathSetSeparatorsA(char* path, int ch) {
  if (!path) return 0;
  char sep = ch == '/' ? '/' : '\\';
  int i = 0;
  for (; path[i]; ++i)
    if (PathIsSep(path[i])) path[i] = sep;
  return i;
}

int PathCompareNoCaseA(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  return CompareSpan(a, (int)strlen(a), b, (int)strlen(b), true);
}

int PathCompareNA(const char* a, int lengthA, const char* b, int lengthB) {
  if (!a) a = "";
  if (!b) b = "";
  return CompareSpan(a, TextLength(a, lengthA), b, TextLength(b, lengthB), true);
}

int PathCompareExA(const char* a, const char* b, unsigned flags) {
  if (!a) a = "";
  if (!b) b = "";
  char fa[1024], fb[1024];
  if ((flags & PATHCMP_FULL_A) && *a && FioFullPath(fa, sizeof fa, a) >= 0) a = fa;
  if ((flags & PATHCMP_FULL_B) && *b && FioFullPath(fb, sizeof fb, b) >= 0) b = fb;
  return CompareSpan(a, (int)strlen(a), b, (int)strlen(b), (flags & PATHCMP_NOCASE) != 0);
}

void PathGetModuleDir(CString& dir) {
  char buf[1024];
  int n = FioModulePath(buf, sizeof buf);
  if (n < 0) {
    dir.Empty();
    return;
  }
  dir.SetString(buf, n);
  PathStripName(dir);
}

int PathGetKindA(const char* path) {
  if (!path || !*path) return 0;
  size_t len = strlen(path);
  unsigned char d = (unsigned char)path[0];
  if ((len == 2 || (len == 3 && PathIsSep(path[2]))) && path[1] == ':') {
    unsigned up = CaseUpper1252(d);
    if (up < 'A' || up > 'Z') return 0;
    return (FioDriveMask() >> (up - 'A')) & 1 ? 3 : 0;
  }
  FioInfo info;
  if (FioStat(path, &info) != 0) return 0;
  return (info.attributes & FIO_ATTR_DIRECTORY) ? 2 : 1;
}
