#include "treelist/folderdlg/pathtext.h"

#include <string.h>

#include "text/casefold.h"
#include "treelist/folderdlg/folderlimits.h"
#include "files/pathsafe.h"

namespace {


bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (CaseLower1252((unsigned char)a[i]) != CaseLower1252((unsigned char)b[i])) return false;
  return true;
}

void TrimTail(std::string& s) {
  while (s.size() > 2 && (s.back() == ' ' || s.back() == '\\') && s[s.size() - 2] != ':') s.pop_back();
  // "C:\ " keeps its root separator; a trailing blank after it still goes
  while (s.size() > 2 && s.back() == ' ') s.pop_back();
}

}  // namespace

std::string PathTextClean(const char* text) {
  if (!text) return std::string();
  while (*text == ' ') ++text;
  std::string s(text);
  for (char& c : s)
    if (c == '/') c = '\\';
  TrimTail(s);
  return s;
}

std::string PathTextCleanRelative(const char* text) {
  if (!text) return std::string();
  while (*text == ' ') ++text;
  std::string s(text, strnlen(text, 260));
  size_t cut = s.find_first_of(":*?");
  if (cut != std::string::npos) s.resize(cut);
  for (char& c : s)
    if (c == '/') c = '\\';
  while (!s.empty() && (s.back() == ' ' || s.back() == '\\')) s.pop_back();
  return s;
}

bool PathTextIsDrive(const char* t) {
  return t && ((t[0] | 0x20) >= 'a' && (t[0] | 0x20) <= 'z') && t[1] == ':' && !t[2];
}

bool PathTextIsNetwork(const char* t) { return t && PathIsSep(t[0]) && PathIsSep(t[1]); }

std::string PathTextWithSeparator(const std::string& path) {
  if (!path.empty() && PathIsSep(path.back())) return path;
  return path + "\\";
}

std::vector<PathSegment> PathTextSegments(const char* path, int maxCount) {
  std::vector<PathSegment> out;
  if (!path) return out;
  int i = 0;
  while (PathIsSep(path[i])) ++i;
  while (path[i] && (int)out.size() < maxCount) {
    int start = i;
    while (path[i] && !PathIsSep(path[i])) ++i;
    if (i > start) out.push_back({start, i - start});
    while (PathIsSep(path[i])) ++i;
  }
  return out;
}

int PathTextCommonSegments(const char* a, const char* b, int maxCount) {
  std::vector<PathSegment> sa = PathTextSegments(a, maxCount), sb = PathTextSegments(b, maxCount);
  if (PathTextIsNetwork(a) != PathTextIsNetwork(b)) return 0;
  size_t n = 0;
  while (n < sa.size() && n < sb.size() &&
         EqualNoCase(std::string(a + sa[n].start, (size_t)sa[n].length),
                     std::string(b + sb[n].start, (size_t)sb[n].length)))
    ++n;
  return (int)n;
}

std::string PathTextPrefix(const char* path, int n, int maxCount) {
  std::vector<PathSegment> s = PathTextSegments(path, maxCount);
  if (n <= 0 || s.empty()) return std::string();
  if (n > (int)s.size()) n = (int)s.size();
  const PathSegment& last = s[(size_t)n - 1];
  std::string out(path, (size_t)(last.start + last.length));
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

bool PathTextSplitKey(const char* name, bool* fromRoot, std::vector<std::string>* subKeys,
                      std::string* last) {
  subKeys->clear();
  last->clear();
  *fromRoot = false;
  if (!name) return false;
  if (*name == '#') {
    *fromRoot = true;
    ++name;
  }
  std::vector<std::string> parts;
  const char* p = name;
  for (;;) {
    const char* e = p;
    while (*e && !PathIsSep(*e)) ++e;
    if (e - p >= 260) return false;
    parts.emplace_back(p, (size_t)(e - p));
    if (!*e) break;
    p = e + 1;
  }
  *last = parts.back();
  parts.pop_back();
  if (last->empty() || parts.size() > 11) {
    last->clear();
    return false;
  }
  for (std::string& s : parts)
    if (!s.empty()) subKeys->push_back(s);
  return true;
}

void PathTextAddRecent(std::vector<std::string>* list, const std::string& path) {
  if (path.empty() || (int)path.size() > FOLDER_MAX_PATH) return;
  for (size_t i = 0; i < list->size(); ++i)
    if (EqualNoCase((*list)[i], path)) {
      list->erase(list->begin() + (long)i);
      break;
    }
  list->insert(list->begin(), path);
  if (list->size() > (size_t)FOLDER_RECENT_LIMIT) list->resize(FOLDER_RECENT_LIMIT);
}

void PathTextMergeRecent(std::vector<std::string>* current, const char* multi, size_t size) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < size && multi[i] && (int)items.size() < FOLDER_RECENT_READ) {
    size_t n = strnlen(multi + i, size - i);
    items.emplace_back(multi + i, n);
    i += n + 1;
  }
  for (auto it = items.rbegin(); it != items.rend(); ++it) PathTextAddRecent(current, *it);
}

const std::string& TypeAhead::Add(char c, uint32_t time) {
  uint32_t gap = time - m_last;
  size_t n = m_text.size();
  uint32_t limit = n <= 1 ? 500 : n == 2 ? 750 : 1000;
  bool together = n > 0 && gap <= limit && n < 8;
  // one letter typed again cycles through the rows of that initial
  if (together && n == 1 && CaseLower1252((unsigned char)m_text[0]) == CaseLower1252((unsigned char)c))
    together = false;
  if (!together) m_text.clear();
  m_text.push_back(c);
  m_last = time;
  return m_text;
}
