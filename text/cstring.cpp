#include "text/cstring.h"
#include "text/casefold.h"
#include "text/htmlentity.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#ifdef _WIN32
#include <windows.h>
#include "text/resinst.h"
#endif

namespace {
char g_empty[1] = {0};

char WideTo1252(wchar_t w) { return static_cast<char>(TextUnicodeTo1252(static_cast<uint32_t>(w), '?')); }

int ClampLen(size_t n) {
  if (n > static_cast<size_t>(INT_MAX / 2)) throw std::bad_alloc();
  return static_cast<int>(n);
}
}  // namespace

unsigned char CString::ToUpper1252(unsigned char c) noexcept { return CaseUpper1252(c); }

unsigned char CString::ToLower1252(unsigned char c) noexcept { return CaseLower1252(c); }

CString::CString() noexcept : m_pch(g_empty), m_nLength(0), m_nCapacity(0) {}

CString::CString(const CString& s) : CString() { Assign(s.m_pch, s.m_nLength); }

CString::CString(CString&& s) noexcept
    : m_pch(s.m_pch), m_nLength(s.m_nLength), m_nCapacity(s.m_nCapacity) {
  s.m_pch = g_empty;
  s.m_nLength = 0;
  s.m_nCapacity = 0;
}

CString::CString(const char* psz) : CString() {
  if (psz) Assign(psz, ClampLen(strlen(psz)));
}

CString::CString(const char* pch, int nLength) : CString() {
  if (pch && nLength > 0) Assign(pch, nLength);
}

CString::CString(char ch, int nRepeat) : CString() {
  if (nRepeat > 0) {
    Reserve(nRepeat);
    memset(m_pch, ch, nRepeat);
    m_nLength = nRepeat;
    m_pch[nRepeat] = 0;
  }
}

CString::CString(const wchar_t* psz) : CString() {
  if (!psz) return;
  int n = ClampLen(wcslen(psz));
  Reserve(n);
  for (int i = 0; i < n; ++i) m_pch[i] = WideTo1252(psz[i]);
  m_pch[n] = 0;
  m_nLength = n;
}

CString::~CString() {
  if (m_nCapacity) free(m_pch);
}

CString& CString::operator=(const CString& s) {
  if (this != &s) Assign(s.m_pch, s.m_nLength);
  return *this;
}

CString& CString::operator=(CString&& s) noexcept {
  if (this != &s) {
    if (m_nCapacity) free(m_pch);
    m_pch = s.m_pch;
    m_nLength = s.m_nLength;
    m_nCapacity = s.m_nCapacity;
    s.m_pch = g_empty;
    s.m_nLength = 0;
    s.m_nCapacity = 0;
  }
  return *this;
}

CString& CString::operator=(const char* psz) {
  if (!psz) {
    Empty();
    return *this;
  }
  Assign(psz, ClampLen(strlen(psz)));
  return *this;
}

CString& CString::operator=(char ch) {
  Assign(&ch, 1);
  return *this;
}

void CString::Reserve(int nCapacity) {
  if (nCapacity < 0) nCapacity = 0;
  if (nCapacity <= m_nCapacity && m_nCapacity) return;
  if (nCapacity > INT_MAX / 2) throw std::bad_alloc();
  int cap = m_nCapacity ? m_nCapacity : 15;
  while (cap < nCapacity) cap = cap < INT_MAX / 4 ? cap * 2 : nCapacity;
  char* p = static_cast<char*>(malloc(static_cast<size_t>(cap) + 1));
  if (!p) throw std::bad_alloc();
  memcpy(p, m_pch, static_cast<size_t>(m_nLength) + 1);
  if (m_nCapacity) free(m_pch);
  m_pch = p;
  m_nCapacity = cap;
}

void CString::Assign(const char* pch, int nLength) {
  if (nLength <= 0) {
    Empty();
    return;
  }
  // pch may point into our own buffer
  if (pch >= m_pch && pch <= m_pch + m_nLength && m_nCapacity) {
    memmove(m_pch, pch, nLength);
  } else {
    m_nLength = 0;
    m_pch[0] = 0;
    Reserve(nLength);
    memcpy(m_pch, pch, nLength);
  }
  m_nLength = nLength;
  m_pch[nLength] = 0;
}

void CString::SetString(const char* pch, int nLength) {
  if (!pch) nLength = 0;
  Assign(pch, nLength);
}

void CString::Empty() noexcept {
  m_nLength = 0;
  if (m_nCapacity) m_pch[0] = 0;
}

char CString::GetAt(int i) const {
  return (i >= 0 && i < m_nLength) ? m_pch[i] : 0;
}

void CString::SetAt(int i, char ch) {
  if (i >= 0 && i < m_nLength) m_pch[i] = ch;
}

char* CString::GetBuffer(int nMinLength) {
  Reserve(nMinLength > m_nLength ? nMinLength : m_nLength);
  return m_pch;
}

char* CString::GetBufferSetLength(int nLength) {
  if (nLength < 0) nLength = 0;
  Reserve(nLength);
  if (nLength > m_nLength) memset(m_pch + m_nLength, 0, nLength - m_nLength);
  m_nLength = nLength;
  m_pch[nLength] = 0;
  return m_pch;
}

void CString::ReleaseBuffer(int nNewLength) {
  if (!m_nCapacity) {
    m_nLength = 0;
    return;
  }
  if (nNewLength < 0) {
    nNewLength = 0;
    while (nNewLength < m_nCapacity && m_pch[nNewLength]) ++nNewLength;
  }
  if (nNewLength > m_nCapacity) nNewLength = m_nCapacity;
  m_nLength = nNewLength;
  m_pch[nNewLength] = 0;
}

void CString::Preallocate(int nLength) { Reserve(nLength); }

void CString::FreeExtra() {
  if (!m_nCapacity || m_nCapacity == m_nLength) return;
  if (m_nLength == 0) {
    free(m_pch);
    m_pch = g_empty;
    m_nCapacity = 0;
    return;
  }
  char* p = static_cast<char*>(realloc(m_pch, static_cast<size_t>(m_nLength) + 1));
  if (p) {
    m_pch = p;
    m_nCapacity = m_nLength;
  }
}

void CString::Append(const char* pch, int nLength) {
  if (!pch || nLength <= 0) return;
  if (nLength > INT_MAX / 2 - m_nLength) throw std::bad_alloc();
  // pch may point into our own buffer: keep its offset over the move
  ptrdiff_t inside = -1;
  if (m_nCapacity && pch >= m_pch && pch <= m_pch + m_nLength) inside = pch - m_pch;
  Reserve(m_nLength + nLength);
  if (inside >= 0) pch = m_pch + inside;
  memmove(m_pch + m_nLength, pch, nLength);
  m_nLength += nLength;
  m_pch[m_nLength] = 0;
}

CString& CString::operator+=(const CString& s) {
  Append(s.m_pch, s.m_nLength);
  return *this;
}

CString& CString::operator+=(const char* psz) {
  if (psz) Append(psz, ClampLen(strlen(psz)));
  return *this;
}

CString& CString::operator+=(char ch) {
  Append(&ch, 1);
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString r;
  r.Reserve(a.m_nLength + b.m_nLength);
  r.Append(a.m_pch, a.m_nLength);
  r.Append(b.m_pch, b.m_nLength);
  return r;
}

CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const char* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, char b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(char a, const CString& b) {
  CString r(a, 1);
  r += b;
  return r;
}

int CString::Compare(const char* psz) const {
  int r = strcmp(m_pch, psz ? psz : "");
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CString::CompareNoCase(const char* psz) const {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_pch);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(psz ? psz : "");
  for (;; ++a, ++b) {
    unsigned char ca = ToLower1252(*a), cb = ToLower1252(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

int CString::Collate(const char* psz) const {
#ifdef _WIN32
  int r = CompareStringA(LOCALE_USER_DEFAULT, 0, m_pch, -1, psz ? psz : "", -1);
  if (r) return r - CSTR_EQUAL;
#endif
  return Compare(psz);
}

int CString::CollateNoCase(const char* psz) const {
#ifdef _WIN32
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_pch, -1, psz ? psz : "", -1);
  if (r) return r - CSTR_EQUAL;
#endif
  return CompareNoCase(psz);
}

bool operator==(const CString& a, const CString& b) {
  return a.GetLength() == b.GetLength() && memcmp(a.GetString(), b.GetString(), a.GetLength()) == 0;
}
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

CString CString::Left(int nCount) const {
  if (nCount < 0) nCount = 0;
  if (nCount > m_nLength) nCount = m_nLength;
  return CString(m_pch, nCount);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, m_nLength); }

CString CString::Mid(int nFirst, int nCount) const {
  if (nFirst < 0) nFirst = 0;
  if (nCount < 0) nCount = 0;
  if (nFirst > m_nLength) nFirst = m_nLength;
  if (nCount > m_nLength - nFirst) nCount = m_nLength - nFirst;
  return CString(m_pch + nFirst, nCount);
}

CString CString::Right(int nCount) const {
  if (nCount < 0) nCount = 0;
  if (nCount > m_nLength) nCount = m_nLength;
  return CString(m_pch + m_nLength - nCount, nCount);
}

CString CString::SpanIncluding(const char* pszSet) const {
  return Left(static_cast<int>(strspn(m_pch, pszSet ? pszSet : "")));
}

CString CString::SpanExcluding(const char* pszSet) const {
  return Left(static_cast<int>(strcspn(m_pch, pszSet ? pszSet : "")));
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const {
  if (iStart < 0 || iStart >= m_nLength) {
    iStart = -1;
    return CString();
  }
  const char* set = pszTokens ? pszTokens : "";
  int i = iStart + static_cast<int>(strspn(m_pch + iStart, set));
  if (i >= m_nLength) {
    iStart = -1;
    return CString();
  }
  int n = static_cast<int>(strcspn(m_pch + i, set));
  iStart = i + n + (i + n < m_nLength ? 1 : 0);
  return CString(m_pch + i, n);
}

int CString::Find(char ch, int nStart) const {
  if (nStart < 0) nStart = 0;
  for (int i = nStart; i < m_nLength; ++i)
    if (m_pch[i] == ch) return i;
  return -1;
}

int CString::Find(const char* pszSub, int nStart) const {
  if (!pszSub) return -1;
  if (nStart < 0) nStart = 0;
  if (nStart > m_nLength) return -1;
  const char* p = strstr(m_pch + nStart, pszSub);
  return p ? static_cast<int>(p - m_pch) : -1;
}

int CString::ReverseFind(char ch) const {
  for (int i = m_nLength - 1; i >= 0; --i)
    if (m_pch[i] == ch) return i;
  return -1;
}

int CString::FindOneOf(const char* pszSet) const {
  if (!pszSet || !*pszSet) return -1;
  size_t n = strcspn(m_pch, pszSet);
  return n < static_cast<size_t>(m_nLength) ? static_cast<int>(n) : -1;
}

CString& CString::MakeUpper() {
  for (int i = 0; i < m_nLength; ++i)
    m_pch[i] = static_cast<char>(ToUpper1252(static_cast<unsigned char>(m_pch[i])));
  return *this;
}

CString& CString::MakeLower() {
  for (int i = 0; i < m_nLength; ++i)
    m_pch[i] = static_cast<char>(ToLower1252(static_cast<unsigned char>(m_pch[i])));
  return *this;
}

CString& CString::MakeReverse() {
  for (int i = 0, j = m_nLength - 1; i < j; ++i, --j) {
    char t = m_pch[i];
    m_pch[i] = m_pch[j];
    m_pch[j] = t;
  }
  return *this;
}

static const char kSpace[] = " \t\r\n\v\f";

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char* pszSet) { return TrimRight(pszSet).TrimLeft(pszSet); }
CString& CString::TrimLeft() { return TrimLeft(kSpace); }
CString& CString::TrimRight() { return TrimRight(kSpace); }

CString& CString::TrimLeft(char ch) {
  char set[2] = {ch, 0};
  return TrimLeft(set);
}

CString& CString::TrimRight(char ch) {
  char set[2] = {ch, 0};
  return TrimRight(set);
}

CString& CString::TrimLeft(const char* pszSet) {
  if (!pszSet || !m_nLength) return *this;
  int n = 0;
  while (n < m_nLength && m_pch[n] && strchr(pszSet, m_pch[n])) ++n;
  if (n) Delete(0, n);
  return *this;
}

CString& CString::TrimRight(const char* pszSet) {
  if (!pszSet || !m_nLength) return *this;
  int n = m_nLength;
  while (n > 0 && m_pch[n - 1] && strchr(pszSet, m_pch[n - 1])) --n;
  m_nLength = n;
  m_pch[n] = 0;
  return *this;
}

int CString::Replace(char chOld, char chNew) {
  int count = 0;
  for (int i = 0; i < m_nLength; ++i)
    if (m_pch[i] == chOld) {
      m_pch[i] = chNew;
      ++count;
    }
  return count;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
  if (!pszOld || !*pszOld) return 0;
  if (!pszNew) pszNew = "";
  int nOld = ClampLen(strlen(pszOld));
  int nNew = ClampLen(strlen(pszNew));
  CString r;
  int count = 0, i = 0;
  while (i < m_nLength) {
    const char* p = strstr(m_pch + i, pszOld);
    if (!p) break;
    int at = static_cast<int>(p - m_pch);
    r.Append(m_pch + i, at - i);
    r.Append(pszNew, nNew);
    i = at + nOld;
    ++count;
  }
  if (count) {
    r.Append(m_pch + i, m_nLength - i);
    *this = static_cast<CString&&>(r);
  }
  return count;
}

int CString::Remove(char ch) {
  int j = 0;
  for (int i = 0; i < m_nLength; ++i)
    if (m_pch[i] != ch) m_pch[j++] = m_pch[i];
  int removed = m_nLength - j;
  m_nLength = j;
  m_pch[j] = 0;
  return removed;
}

int CString::Insert(int nIndex, char ch) {
  char s[2] = {ch, 0};
  return Insert(nIndex, s);
}

int CString::Insert(int nIndex, const char* psz) {
  if (nIndex < 0) nIndex = 0;
  if (nIndex > m_nLength) nIndex = m_nLength;
  if (psz && *psz) {
    CString ins(psz);  // psz may point into this string
    int n = ins.m_nLength;
    if (n > INT_MAX / 2 - m_nLength) throw std::bad_alloc();
    Reserve(m_nLength + n);
    memmove(m_pch + nIndex + n, m_pch + nIndex, m_nLength - nIndex + 1);
    memcpy(m_pch + nIndex, ins.m_pch, n);
    m_nLength += n;
  }
  return m_nLength;
}

int CString::Delete(int nIndex, int nCount) {
  if (nIndex < 0) nIndex = 0;
  if (nCount > 0 && nIndex < m_nLength) {
    if (nCount > m_nLength - nIndex) nCount = m_nLength - nIndex;
    memmove(m_pch + nIndex, m_pch + nIndex + nCount, m_nLength - nIndex - nCount + 1);
    m_nLength -= nCount;
  }
  return m_nLength;
}

void CString::AppendFormatV(const char* pszFormat, va_list args) {
  if (!pszFormat) return;
  va_list probe;
  va_copy(probe, args);
  char small[256];
  int n = vsnprintf(small, sizeof small, pszFormat, probe);
  va_end(probe);
  if (n < 0) return;
  if (n < static_cast<int>(sizeof small)) {
    Append(small, n);
    return;
  }
  if (n > INT_MAX / 2 - m_nLength) throw std::bad_alloc();
  int old = m_nLength;
  Reserve(old + n);
  vsnprintf(m_pch + old, static_cast<size_t>(n) + 1, pszFormat, args);
  m_nLength = old + n;
  m_pch[m_nLength] = 0;
}

void CString::FormatV(const char* pszFormat, va_list args) {
  CString r;
  r.AppendFormatV(pszFormat, args);  // arguments may point into this string
  *this = static_cast<CString&&>(r);
}

void CString::FormatRaw(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}

void CString::AppendFormatRaw(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  AppendFormatV(pszFormat, args);
  va_end(args);
}

int CString::LoadString(unsigned nID) {
  Empty();
#ifdef _WIN32
  // A string-table entry is at most 65535 characters; find its size first
  // so that long texts are not cut.
  HINSTANCE inst = AfxGetResourceHandle();
  HRSRC res = FindResourceA(inst, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
  if (!res) return 0;
  HGLOBAL h = LoadResource(inst, res);
  const WORD* p = h ? static_cast<const WORD*>(LockResource(h)) : nullptr;
  DWORD size = SizeofResource(inst, res);
  if (!p) return 0;
  const WORD* end = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + size);
  for (unsigned i = 0; i < (nID & 15); ++i) {
    if (p >= end) return 0;
    p += 1 + *p;
  }
  if (p >= end || *p == 0) return 0;
  int len = *p++;
  if (p + len > end) return 0;
  int n = WideCharToMultiByte(1252, 0, reinterpret_cast<const wchar_t*>(p), len, nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return 0;
  char* buf = GetBuffer(n);
  WideCharToMultiByte(1252, 0, reinterpret_cast<const wchar_t*>(p), len, buf, n, nullptr, nullptr);
  ReleaseBuffer(n);
  return 1;
#else
  (void)nID;
  return 0;
#endif
}
