// Path text functions on arbitrary text (names from archives and track
// files): every output goes into a buffer of exactly its size, so the
// sanitizer sees any write past it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "files/pathname.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int bufSize = data[0] % 64;  // 0..63, often smaller than the text
  unsigned which = data[1];
  std::string text((const char*)data + 2, size - 2);
  size_t cut = text.find('|');
  std::string a = text.substr(0, cut), b = cut == std::string::npos ? "" : text.substr(cut + 1);
  a = std::string(a.c_str());  // no zero inside
  b = std::string(b.c_str());
  std::vector<char> out((size_t)bufSize);
  char* dest = bufSize ? out.data() : nullptr;
  int n = 0;
  switch (which % 9) {
    case 0:
      n = PathReplaceExtA(-1, dest, a.c_str(), b.c_str(), bufSize);
      if (n >= 0 && (n >= bufSize || strlen(dest) != (size_t)n)) __builtin_trap();
      break;
    case 1:
      n = PathGetTitleA(dest, (int)a.size() / 2, a.c_str(), bufSize);
      if (bufSize && (n >= bufSize || strlen(dest) != (size_t)n)) __builtin_trap();
      break;
    case 2: {
      std::vector<char> p(a.begin(), a.end());
      p.push_back(0);
      p.resize(p.size() + (size_t)(bufSize % 3));
      n = PathAddSeparatorA(p.data(), (int)p.size());
      if (n >= (int)p.size()) __builtin_trap();
      break;
    }
    case 3:
      PathFindExtInListA(a.c_str(), b.c_str(), bufSize ? bufSize : -1);
      break;
    case 4:
      PathCompareNA(a.c_str(), (int)a.size(), b.c_str(), bufSize - 1);
      PathCompareNoCaseA(a.c_str(), b.c_str());
      break;
    case 5: {
      int len = 0;
      const char* name = PathFindNameA(bufSize - 1, a.c_str(), &len);
      if (name < a.c_str() || name + len > a.c_str() + a.size()) __builtin_trap();
      break;
    }
    case 6: {
      CString s(a.c_str());
      PathStripName(s);
      PathRemoveSeparator(s);
      CString j = PathJoin(s, b.c_str());
      CString ext;
      PathGetExt(ext, j);
      break;
    }
    case 7: {
      std::vector<char> p(a.begin(), a.end());
      p.push_back(0);
      if (PathSetSeparatorsA(p.data(), bufSize) != (int)a.size()) __builtin_trap();
      break;
    }
    default: {
      std::vector<WideChar> w(a.begin(), a.end());
      w.push_back(0);
      std::vector<WideChar> wout((size_t)bufSize);
      n = PathGetTitleW(bufSize ? wout.data() : nullptr, -1, w.data(), bufSize);
      if (bufSize && n >= bufSize) __builtin_trap();
      break;
    }
  }
  return 0;
}
