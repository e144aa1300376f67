// Fuzzes the text parsers. The first byte picks the parser and its flags;
// the rest is the text (zero-terminated copy). Results are checked against
// the bounds each function promises.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "text/datetime.h"
#include "text/expr.h"
#include "text/number.h"
#include "text/strfield.h"
#include "text/strmatch.h"

namespace {

int Symbol(void*, const char* name, int length, int32_t* value) {
  *value = length;
  return name[0] != 'X';
}

void Check(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  const unsigned sel = data[0];
  std::vector<char> text(data + 1, data + size);
  const int len = (int)text.size();
  text.push_back(0);
  const int slen = (int)strlen(text.data());
  const char* t = text.data();
  switch (sel % 5) {
    case 0: {
      static const unsigned kFlags[] = {0, 1, 3, 5, 7, 0x604, 0x401, 0x205};
      int n = -1;
      NumParseDoubleA(t, &n, kFlags[(sel / 5) % 8]);
      Check(n >= 0 && n <= slen);
      Check(NumMeasureFloatA(t) <= slen);
      NumParseIntA(t, 0, &n);
      Check(n >= 0 && n <= slen);
      break;
    }
    case 1: {
      unsigned rf = 0;
      DateParseTimeA(t, (sel & 0x20) ? 0x106 : 0x2, &rf);
      Check(rf <= 7);
      break;
    }
    case 2: {
      int32_t v;
      int ok;
      int n = ExprEvalIntA(t, &v, &ok, (sel & 0x20) ? -2 : (int)(sel >> 5), Symbol, nullptr);
      Check(n >= 0 && n <= slen);
      break;
    }
    case 3: {
      char field[16];
      memset(field, 0x55, sizeof field);
      int stored = -1;
      const int fsize = 1 + (int)(sel >> 4) % 12;
      int n = StrReadFieldA(t, &stored, field, fsize, (sel & 8) ? len : -1, ';');
      Check(n >= 0 && n <= len);
      Check(stored >= 0 && stored < fsize && field[stored] == 0);
      for (int i = fsize; i < (int)sizeof field; ++i) Check(field[i] == 0x55);
      char quoted[64];
      int q = StrQuoteFieldA(field, quoted, sizeof quoted, 0, ';');
      char back[16];
      Check(q > 0 && StrReadFieldA(quoted, nullptr, back, sizeof back, -1, ';') == q);
      Check(strcmp(back, field) == 0);
      break;
    }
    case 4: {
      // the pattern is the part before the first zero byte or a third of it
      int plen = slen < len / 3 ? slen : len / 3;
      const char* body = t + plen;
      int blen = len - plen;
      int m = StrMatchPatternA(t, plen, body, blen, sel & 5);
      Check(m >= 0 && m <= blen);
      break;
    }
  }
  return 0;
}
