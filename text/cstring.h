// CString: the class library's 8-bit string (Windows-1252 text).
// Builds natively too (no Windows header needed), so the flat libraries'
// class-string helpers can be tested on the host.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <type_traits>

#ifdef _WIN32
// windows.h turns LoadString into LoadStringA: include it first everywhere
// so that the member has one name.
#include <windows.h>
#endif

class CString {
 public:
  CString() noexcept;
  CString(const CString& s);
  CString(CString&& s) noexcept;
  CString(const char* psz);                  // null gives an empty string
  CString(const char* pch, int nLength);     // may hold no terminator
  CString(char ch, int nRepeat = 1);
  // 16-bit text, converted to Windows-1252 ('?' for what has no code)
  explicit CString(const wchar_t* psz);
  ~CString();

  CString& operator=(const CString& s);
  CString& operator=(CString&& s) noexcept;
  CString& operator=(const char* psz);
  CString& operator=(char ch);

  // ---- size and access
  int GetLength() const noexcept { return m_nLength; }
  bool IsEmpty() const noexcept { return m_nLength == 0; }
  void Empty() noexcept;
  char GetAt(int i) const;                    // out of range gives 0
  void SetAt(int i, char ch);                 // out of range does nothing
  operator const char*() const noexcept { return m_pch; }
  const char* GetString() const noexcept { return m_pch; }
  template <typename I, typename = std::enable_if_t<std::is_integral<I>::value>>
  char operator[](I i) const { return GetAt(static_cast<int>(i)); }

  // ---- buffer: writable room of at least nMinLength characters plus a
  // terminator; ReleaseBuffer(-1) takes the length up to the first zero.
  char* GetBuffer(int nMinLength = 0);
  char* GetBufferSetLength(int nLength);
  void ReleaseBuffer(int nNewLength = -1);
  void Preallocate(int nLength);
  void FreeExtra();
  void SetString(const char* pch, int nLength);

  // ---- concatenation
  CString& operator+=(const CString& s);
  CString& operator+=(const char* psz);
  CString& operator+=(char ch);
  void Append(const char* pch, int nLength);
  void AppendChar(char ch) { Append(&ch, 1); }
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const char* b);
  friend CString operator+(const char* a, const CString& b);
  friend CString operator+(const CString& a, char b);
  friend CString operator+(char a, const CString& b);

  // ---- comparison: Compare is byte order, CompareNoCase folds
  // Windows-1252 letters, Collate uses the system's collation.
  int Compare(const char* psz) const;
  int CompareNoCase(const char* psz) const;
  int Collate(const char* psz) const;
  int CollateNoCase(const char* psz) const;

  // ---- parts
  CString Left(int nCount) const;
  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Right(int nCount) const;
  CString SpanIncluding(const char* pszSet) const;
  CString SpanExcluding(const char* pszSet) const;
  // next token after iStart; iStart becomes -1 after the last one
  CString Tokenize(const char* pszTokens, int& iStart) const;

  // ---- search: index or -1
  int Find(char ch, int nStart = 0) const;
  int Find(const char* pszSub, int nStart = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(const char* pszSet) const;

  // ---- changes
  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  CString& Trim();
  CString& Trim(char ch);
  CString& Trim(const char* pszSet);
  CString& TrimLeft();
  CString& TrimLeft(char ch);
  CString& TrimLeft(const char* pszSet);
  CString& TrimRight();
  CString& TrimRight(char ch);
  CString& TrimRight(const char* pszSet);
  int Replace(char chOld, char chNew);
  int Replace(const char* pszOld, const char* pszNew);
  int Remove(char ch);
  int Insert(int nIndex, char ch);
  int Insert(int nIndex, const char* psz);
  int Delete(int nIndex, int nCount = 1);

  // ---- formatting (printf syntax). The template forms turn CString
  // arguments into their text, so Format("%s", str) is safe.
  void FormatV(const char* pszFormat, va_list args);
  void AppendFormatV(const char* pszFormat, va_list args);
  template <typename... A>
  void Format(const char* pszFormat, const A&... args) {
    FormatRaw(pszFormat, Arg(args)...);
  }
  template <typename... A>
  void Format(unsigned nFormatID, const A&... args) {
    CString fmt;
    fmt.LoadString(nFormatID);
    FormatRaw(fmt.m_pch, Arg(args)...);
  }
  template <typename... A>
  void AppendFormat(const char* pszFormat, const A&... args) {
    AppendFormatRaw(pszFormat, Arg(args)...);
  }

  // ---- resources: string table entry of the resource module; FALSE and
  // an empty string when missing. Always FALSE in the native build.
  int LoadString(unsigned nID);

  // Windows-1252 case mapping of one byte (what MakeUpper/MakeLower use).
  static unsigned char ToUpper1252(unsigned char c) noexcept;
  static unsigned char ToLower1252(unsigned char c) noexcept;

 private:
  static const char* Arg(const CString& s) { return s.m_pch; }
  template <typename T>
  static const T& Arg(const T& v) {
    return v;
  }
  void FormatRaw(const char* pszFormat, ...);
  void AppendFormatRaw(const char* pszFormat, ...);
  void Reserve(int nCapacity);  // room for nCapacity characters + terminator
  void Assign(const char* pch, int nLength);

  char* m_pch;        // never null; points at an empty literal until allocated
  int m_nLength;
  int m_nCapacity;    // 0: m_pch is the shared empty literal
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, const char* b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);
