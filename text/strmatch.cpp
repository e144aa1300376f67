#include "text/strmatch.h"

#include <string.h>
#include <vector>

#include "text/casefold.h"
#include "text/strclass.h"

namespace {

// Pattern nodes: a single-character test that moves to the next node, or a
// loop (a run) that may also be left without consuming.
enum NodeKind { kLiteral, kDigit, kAlnumRun, kBlankRun, kAnyRun };

struct Node {
  NodeKind kind;
  char ch;
};

inline bool IsLoop(NodeKind k) { return k == kAlnumRun || k == kBlankRun || k == kAnyRun; }

bool Accepts(const Node& n, unsigned char c, bool noCase) {
  switch (n.kind) {
    case kLiteral: return noCase ? CaseLowerAscii(c) == CaseLowerAscii((unsigned char)n.ch) : c == (unsigned char)n.ch;
    case kDigit: return c >= '0' && c <= '9';
    case kAlnumRun: return (StrCharClassTable[c] & STRCLS_ALNUM) != 0;
    case kBlankRun: return c == ' ' || c == '\t';
    case kAnyRun: return true;
  }
  return false;
}

// Threads are kept in priority order (a backtracking matcher's order of
// trying), so the first thread to reach the end decides the match.
class Machine {
 public:
  Machine(const std::vector<Node>& nodes) : m_nodes(nodes), m_seen(nodes.size() + 1, -1) {}

  void Add(std::vector<int>& list, int i, int step) {
    if (m_seen[(size_t)i] == step) return;
    m_seen[(size_t)i] = step;
    if (i == (int)m_nodes.size() || !IsLoop(m_nodes[(size_t)i].kind)) {
      list.push_back(i);
    } else if (m_nodes[(size_t)i].kind == kAnyRun) {  // as few as possible
      Add(list, i + 1, step);
      list.push_back(i);
    } else {  // as many as possible
      list.push_back(i);
      Add(list, i + 1, step);
    }
  }

 private:
  const std::vector<Node>& m_nodes;
  std::vector<int> m_seen;
};

}  // namespace

int StrMatchPatternA(const char* pattern, int patternLength, const char* text, int textLength,
                     unsigned flags) {
  if (patternLength < 0) patternLength = (int)strlen(pattern);
  // a terminated text is not measured first: prefix matches in a large
  // buffer only look as far as the pattern needs
  auto atEnd = [&](int pos) { return textLength < 0 ? text[pos] == 0 : pos >= textLength; };
  const bool noCase = (flags & STRMATCH_NOCASE) != 0;
  const bool prefix = (flags & STRMATCH_PREFIX) != 0;

  std::vector<Node> nodes;
  for (int i = 0; i < patternLength; ++i) {
    char c = pattern[i];
    if (c == '*') {
      // consecutive stars are one
      if (nodes.empty() || nodes.back().kind != kAnyRun) nodes.push_back({kAnyRun, 0});
    } else if (c == '\\' && i + 1 < patternLength) {
      char e = pattern[++i];
      if (e == 'z') {
        nodes.push_back({kDigit, 0});
        nodes.push_back({kAlnumRun, 0});
      } else if (e == '_' || e == '.') {
        nodes.push_back({kBlankRun, 0});
      } else {
        nodes.push_back({kLiteral, e});
      }
    } else {
      nodes.push_back({kLiteral, c});
    }
  }
  const int end = (int)nodes.size();

  Machine vm(nodes);
  std::vector<int> cur, next;
  cur.reserve((size_t)end + 1);
  next.reserve((size_t)end + 1);
  int step = 0;
  vm.Add(cur, 0, step);
  int matched = -1;
  for (int pos = 0;; ++pos) {
    ++step;
    next.clear();
    for (size_t t = 0; t < cur.size(); ++t) {
      int i = cur[t];
      if (i == end) {
        if (prefix || atEnd(pos)) {
          matched = pos;
          break;  // lower-priority threads cannot win any more
        }
        continue;
      }
      if (!atEnd(pos) && Accepts(nodes[(size_t)i], (unsigned char)text[pos], noCase))
        vm.Add(next, IsLoop(nodes[(size_t)i].kind) ? i : i + 1, step);
    }
    if (next.empty() || atEnd(pos)) break;
    cur.swap(next);
  }
  return matched > 0 ? matched : 0;
}
