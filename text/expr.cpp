#include "text/expr.h"

#include "text/number.h"
#include "text/strclass.h"

namespace {

class Evaluator {
 public:
  Evaluator(const char* text, ExprSymbolProc symbols, void* context)
      : m_text(text), m_symbols(symbols), m_context(context) {}

  int32_t Binary(int minLevel, int depth);
  int Position() const { return m_pos; }
  bool Failed() const { return m_failed; }
  void SkipBlanks() { m_pos += StrSpanClassA(m_text + m_pos, STRCLS_SPACE); }

 private:
  int32_t Unary(int depth);
  // The operator at the current position: its precedence (0: none) and length.
  int PeekOperator(int* length, char* op) const;
  int32_t Fail() {
    m_failed = true;
    return 0;
  }

  const char* m_text;
  ExprSymbolProc m_symbols;
  void* m_context;
  int m_pos = 0;
  bool m_failed = false;
};

const int kMaxDepth = 200;  // nesting of parentheses and unary operators

int Evaluator::PeekOperator(int* length, char* op) const {
  const char* s = m_text + m_pos;
  char a = s[0], b = a ? s[1] : 0;
  *op = a;
  *length = 2;
  if (a == '|' && b == '|') return *op = 'o', 1;
  if (a == '&' && b == '&') return *op = 'a', 2;
  if (a == '=' && b == '=') return *op = 'e', 6;
  if (a == '!' && b == '=') return *op = 'n', 6;
  if (a == '<' && b == '=') return *op = 'l', 7;
  if (a == '>' && b == '=') return *op = 'g', 7;
  if (a == '<' && b == '<') return *op = 'L', 8;
  if (a == '>' && b == '>') return *op = 'R', 8;
  *length = 1;
  switch (a) {
    case '|': return 3;
    case '^': return 4;
    case '&': return 5;
    case '<': case '>': return 7;
    case '+': case '-': return 9;
    case '*': case '/': case '%': return 10;
    default: return 0;
  }
}

int32_t Evaluator::Unary(int depth) {
  if (depth > kMaxDepth) return Fail();
  SkipBlanks();
  const char* s = m_text + m_pos;
  char c = *s;
  if (c == '-' || c == '+' || c == '~' || c == '!') {
    ++m_pos;
    uint32_t v = (uint32_t)Unary(depth + 1);
    if (m_failed) return 0;
    switch (c) {
      case '-': return (int32_t)(0u - v);
      case '~': return (int32_t)~v;
      case '!': return v == 0;
      default: return (int32_t)v;
    }
  }
  if (c == '(') {
    ++m_pos;
    int32_t v = Binary(0, depth + 1);
    if (m_failed) return 0;
    SkipBlanks();
    if (m_text[m_pos] != ')') return Fail();
    ++m_pos;
    return v;
  }
  if (c >= '0' && c <= '9') {
    int n = 0;
    int32_t v = NumParseIntA(s, 0, &n);
    m_pos += n;
    return v;
  }
  if ((StrCharClass(c) & (STRCLS_UPPER | STRCLS_LOWER | STRCLS_UNDERSCORE))) {
    int n = StrSpanClassA(s, STRCLS_ALNUM | STRCLS_UNDERSCORE);
    m_pos += n;
    int32_t v = 0;
    if (!m_symbols || !m_symbols(m_context, s, n, &v)) return Fail();
    return v;
  }
  return Fail();
}

int32_t Evaluator::Binary(int minLevel, int depth) {
  if (depth > kMaxDepth) return Fail();
  int32_t left = Unary(depth + 1);
  while (!m_failed) {
    int save = m_pos;
    SkipBlanks();
    int len;
    char op;
    int level = PeekOperator(&len, &op);
    if (level == 0 || level <= minLevel) {
      m_pos = save;
      break;
    }
    m_pos += len;
    int32_t right = Binary(level, depth + 1);
    if (m_failed) break;
    uint32_t a = (uint32_t)left, b = (uint32_t)right;
    switch (op) {
      case 'o': left = left || right; break;
      case 'a': left = left && right; break;
      case '|': left = (int32_t)(a | b); break;
      case '^': left = (int32_t)(a ^ b); break;
      case '&': left = (int32_t)(a & b); break;
      case 'e': left = left == right; break;
      case 'n': left = left != right; break;
      case '<': left = left < right; break;
      case '>': left = left > right; break;
      case 'l': left = left <= right; break;
      case 'g': left = left >= right; break;
      case 'L': left = (int32_t)(a << (b & 31)); break;
      case 'R': left = (int32_t)((int64_t)left >> (b & 31)); break;
      case '+': left = (int32_t)(a + b); break;
      case '-': left = (int32_t)(a - b); break;
      case '*': left = (int32_t)(a * b); break;
      case '/':
      case '%': {
        if (right == 0) return Fail();
        int64_t q = (int64_t)left / right, r = (int64_t)left % right;
        left = (int32_t)(uint32_t)(op == '/' ? q : r);  // INT_MIN / -1 wraps
        break;
      }
      default: break;
    }
  }
  return m_failed ? 0 : left;
}

}  // namespace

int ExprEvalIntA(const char* text, int32_t* value, int* ok, int level, ExprSymbolProc symbols,
                 void* context) {
  Evaluator ev(text, symbols, context);
  int32_t v = ev.Binary(level < 0 ? 0 : level, 0);
  if (!ev.Failed()) ev.SkipBlanks();
  if (value) *value = ev.Failed() ? 0 : v;
  if (ok) *ok = ev.Failed() ? 0 : 1;
  return ev.Position();
}
