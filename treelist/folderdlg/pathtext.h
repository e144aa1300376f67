// The folder controls' rules on path text, without windows: cleaning,
// breadcrumb segments, listing tags, the recent list's registry name, and
// the type-ahead clock of the folder list.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Cleans a path as the dialog stores it: leading blanks skipped, "/" made
// "\", trailing blanks and separators removed, but never the separator
// behind ":" and never below 2 characters.
std::string PathTextClean(const char* text);

// Cleans a relative path to append: leading blanks skipped, at most 260
// characters, "/" made "\", cut at the first ":", "*" or "?", trailing
// blanks and separators removed.
std::string PathTextCleanRelative(const char* text);

// True for "X:" (a drive letter and a colon alone).
bool PathTextIsDrive(const char* text);
// True when the path starts with two separators.
bool PathTextIsNetwork(const char* text);
// The path with a trailing "\" added unless it ends in one.
std::string PathTextWithSeparator(const std::string& path);

// Breadcrumb segments: the components after the leading separators, each
// up to the next separator; at most maxCount.
struct PathSegment {
  int start, length;
};
std::vector<PathSegment> PathTextSegments(const char* path, int maxCount);
// Number of leading segments that two paths share (letter case ignored).
int PathTextCommonSegments(const char* a, const char* b, int maxCount);
// The prefix of path made of its first n segments (n 0: empty), with the
// leading separators of a network path.
std::string PathTextPrefix(const char* path, int n, int maxCount);

// A listing tag: the generation's low 24 bits with (list + 1) on top.
inline uint32_t PathTag(uint32_t generation, int list) {
  return (generation & 0xFFFFFF) | ((uint32_t)(list + 1) << 24);
}
inline int PathTagList(uint32_t tag) { return (int)(tag >> 24) - 1; }
inline uint32_t PathTagGeneration(uint32_t tag) { return tag & 0xFFFFFF; }

// The recent list's registry name split into its key walk: fromRoot for a
// leading "#", the sub keys and the last part (the value name). False, and
// nothing to read or write, when a part is 260 characters or more, there are
// more than 11 sub keys, or the last part is empty.
bool PathTextSplitKey(const char* name, bool* fromRoot, std::vector<std::string>* subKeys,
                      std::string* last);

// The recent list after loading a stored multi-string: its first
// FOLDER_RECENT_READ entries, from the last to the first, each brought to
// the front (case-insensitive), empty and over-long entries skipped, cut to
// FOLDER_RECENT_LIMIT. current: the list before, newest first.
void PathTextMergeRecent(std::vector<std::string>* current, const char* multi, size_t size);
// Puts path in front of the recent list (an equal one, letter case ignored,
// removed), cut to FOLDER_RECENT_LIMIT.
void PathTextAddRecent(std::vector<std::string>* list, const std::string& path);

// The folder list's type-ahead: typed characters belong together while each
// follows within 500 ms after the first, 750 ms after the second and
// 1000 ms from the third; at most 8; one character typed twice starts again.
class TypeAhead {
 public:
  // Adds a character typed at time (ms); returns the text to search for.
  const std::string& Add(char c, uint32_t time);
  // True when the search starts one row after the selected one.
  bool StartsAfterSelection() const { return m_text.size() == 1; }
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
  uint32_t m_last = 0;
};
