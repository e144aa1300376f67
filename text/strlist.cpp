#include "text/strlist.h"

#include <stdlib.h>
#include <string.h>

#include "text/casefold.h"

// One allocation per item: this header, the data block, the text and its
// terminator. The header keeps the data block 8-byte aligned.
struct CStrList::Item {
  int length;
  int reserved;
  unsigned char* Data() { return (unsigned char*)(this + 1); }
  const unsigned char* Data() const { return (const unsigned char*)(this + 1); }
};

namespace {

// Orders two byte strings; noCase folds Windows-1252 letters.
int CompareBytes(const char* a, int la, const char* b, int lb, bool noCase) {
  int n = la < lb ? la : lb;
  for (int i = 0; i < n; ++i) {
    unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
    if (noCase) {
      ca = CaseUpper1252(ca);
      cb = CaseUpper1252(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return la == lb ? 0 : la < lb ? -1 : 1;
}

int TextLength(int length, const char* text) {
  if (!text) return 0;
  return length < 0 ? (int)strlen(text) : length;
}

}  // namespace

CStrList::CStrList(int dataSize) : m_dataSize(dataSize > 0 ? dataSize : 0) {}

CStrList::~CStrList() { RemoveAll(); }

int CStrList::SetDataSize(int size) {
  if (m_count > 0 || size < 0) return -1;
  m_dataSize = size;
  return size;
}

CStrList::Item* CStrList::NewItem(int length, const char* text, const void* data) const {
  if (length < 0 || (size_t)length > ((size_t)-1) / 2 - (size_t)m_dataSize - sizeof(Item))
    return nullptr;
  Item* it = (Item*)malloc(sizeof(Item) + (size_t)m_dataSize + (size_t)length + 1);
  if (!it) return nullptr;
  it->length = length;
  it->reserved = 0;
  if (data) memcpy(it->Data(), data, (size_t)m_dataSize);
  else memset(it->Data(), 0, (size_t)m_dataSize);
  char* t = (char*)it->Data() + m_dataSize;
  if (length) memcpy(t, text, (size_t)length);
  t[length] = 0;
  return it;
}

bool CStrList::Reserve(int count) {
  if (count <= m_capacity) return true;
  long long cap = m_capacity < 16 ? 16 : (long long)m_capacity * 2;
  if (cap < count) cap = count;
  if (cap > 0x7FFFFFFF / (long long)sizeof(Item*)) return false;
  void* p = realloc(m_items, (size_t)cap * sizeof(Item*));
  if (!p) return false;
  m_items = (Item**)p;
  m_capacity = (int)cap;
  return true;
}

bool CStrList::Equal(const Item* item, int length, const char* text, bool noCase) const {
  const char* t = (const char*)item->Data() + m_dataSize;
  return item->length == length && CompareBytes(t, length, text, length, noCase) == 0;
}

int CStrList::Insert(const char* text, int index, const void* data) {
  return InsertLen(-1, text, index, data);
}

int CStrList::InsertLen(int length, const char* text, int index, const void* data) {
  length = TextLength(length, text);
  if (m_count == 0x7FFFFFFF || !Reserve(m_count + 1)) return -1;
  Item* it = NewItem(length, text, data);
  if (!it) return -1;
  if (index < 0 || index > m_count) index = m_count;
  memmove(m_items + index + 1, m_items + index, (size_t)(m_count - index) * sizeof(Item*));
  m_items[index] = it;
  ++m_count;
  if (m_recentLimit > 0) {
    // the first occurrence of a text stays, so an entry put in front
    // replaces its older duplicate while an appended duplicate goes
    ApplyRecent();
    return Find(length, text, 0, -1, m_recentMode);
  }
  return index;
}

void CStrList::ApplyRecent() {
  const bool noCase = m_recentMode != 0;
  for (int i = 0; i < m_count && i < m_recentLimit; ++i) {
    const Item* k = m_items[i];
    const char* kt = (const char*)k->Data() + m_dataSize;
    for (int j = m_count - 1; j > i; --j) {
      if (Equal(m_items[j], k->length, kt, noCase)) RemoveAt(j);
    }
  }
  if (m_count > m_recentLimit) RemoveRange(m_recentLimit, m_count);
}

int CStrList::InsertSplit(const char* text, char separator, int index) {
  if (!text) return -1;
  if (index < 0 || index > m_count) index = m_count;
  int first = -1;
  const char* p = text;
  for (;;) {
    int len;
    if (separator == 0) {
      len = (int)strlen(p);
      if (len == 0) break;
    } else {
      const char* s = strchr(p, separator);
      len = s ? (int)(s - p) : (int)strlen(p);
    }
    int at = InsertLen(len, p, index, nullptr);
    if (at < 0) return -1;
    if (first < 0) first = at;
    index = at + 1;
    p += len;
    if (separator == 0) {
      ++p;
    } else {
      if (!*p) break;
      ++p;  // the separator
    }
  }
  return first < 0 ? index : first;
}

char* CStrList::JoinMultiString(int from, int to, int* size) const {
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  size_t total = 1;
  for (int i = from; i < to; ++i) total += (size_t)m_items[i]->length + 1;
  if (total < 2) total = 2;
  char* block = (char*)malloc(total);
  if (!block) {
    if (size) *size = 0;
    return nullptr;
  }
  size_t o = 0;
  for (int i = from; i < to; ++i) {
    const Item* it = m_items[i];
    memcpy(block + o, (const char*)it->Data() + m_dataSize, (size_t)it->length + 1);
    o += (size_t)it->length + 1;
  }
  block[o++] = 0;
  if (o < total) block[o] = 0;
  if (size) *size = (int)total;
  return block;
}

int CStrList::SetAtLen(int index, int length, const char* text) {
  if (index < 0 || index >= m_count) return 0;
  length = TextLength(length, text);
  Item* it = NewItem(length, text, m_items[index]->Data());
  if (!it) return 0;
  free(m_items[index]);
  m_items[index] = it;
  return 1;
}

int CStrList::RemoveAt(int index) {
  if (index < 0 || index >= m_count) return 0;
  return RemoveRange(index, index + 1);
}

int CStrList::RemoveRange(int from, int to) {
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  if (from >= to) return 0;
  for (int i = from; i < to; ++i) free(m_items[i]);
  memmove(m_items + from, m_items + to, (size_t)(m_count - to) * sizeof(Item*));
  m_count -= to - from;
  return to - from;
}

int CStrList::RemoveAll() {
  for (int i = 0; i < m_count; ++i) free(m_items[i]);
  free(m_items);
  m_items = nullptr;
  m_count = 0;
  m_capacity = 0;
  return 1;
}

int CStrList::GetText(int index, char* buffer, int size) const {
  if (size > 0) buffer[0] = 0;
  if (index < 0 || index >= m_count) return -1;
  const Item* it = m_items[index];
  if (it->length > size - 1) return -1;
  memcpy(buffer, (const char*)it->Data() + m_dataSize, (size_t)it->length + 1);
  return it->length;
}

const char* CStrList::GetTextPtr(int index) const {
  if (index < 0 || index >= m_count) return nullptr;
  return (const char*)m_items[index]->Data() + m_dataSize;
}

int CStrList::GetLength(int index) const {
  if (index < 0 || index >= m_count) return -1;
  return m_items[index]->length;
}

void* CStrList::GetData(int index, void* out, int outSize) const {
  if (index < 0 || index >= m_count) return nullptr;
  unsigned char* d = m_items[index]->Data();
  if (out && outSize > 0) memcpy(out, d, (size_t)(outSize < m_dataSize ? outSize : m_dataSize));
  return d;
}

uint32_t CStrList::SetValue(int index, uint32_t value) {
  if (index < 0 || index >= m_count || m_dataSize < (int)sizeof(uint32_t)) return 0;
  uint32_t old;
  memcpy(&old, m_items[index]->Data(), sizeof old);
  memcpy(m_items[index]->Data(), &value, sizeof value);
  return old;
}

uintptr_t CStrList::SetValuePtr(int index, uintptr_t value) {
  if (index < 0 || index >= m_count || m_dataSize < (int)sizeof(uintptr_t)) return 0;
  uintptr_t old;
  memcpy(&old, m_items[index]->Data(), sizeof old);
  memcpy(m_items[index]->Data(), &value, sizeof value);
  return old;
}

int CStrList::Find(int length, const char* text, int from, int to, int mode) const {
  length = TextLength(length, text);
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  for (int i = from; i < to; ++i) {
    if (Equal(m_items[i], length, text ? text : "", mode != 0)) return i;
  }
  return -1;
}

int CStrList::FindSorted(int length, const char* text, int from, int to, unsigned flags) const {
  length = TextLength(length, text);
  if (!text) text = "";
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  if (from > to) from = to;
  const bool noCase = (flags & STRLIST_NOCASE) != 0;
  const bool reverse = (flags & STRLIST_REVERSE) != 0;
  auto cmp = [&](int i) {  // item i against the text, in list order
    const Item* it = m_items[i];
    int c = CompareBytes((const char*)it->Data() + m_dataSize, it->length, text, length, noCase);
    return reverse ? -c : c;
  };
  // first index whose item is not below the text
  int lo = from, hi = to;
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (cmp(mid) < 0) lo = mid + 1;
    else hi = mid;
  }
  if (lo < to && cmp(lo) == 0) {
    if (flags & STRLIST_LAST) {
      int l = lo, h = to;  // first index above the text
      while (l < h) {
        int mid = l + (h - l) / 2;
        if (cmp(mid) <= 0) l = mid + 1;
        else h = mid;
      }
      return l - 1;
    }
    return lo;
  }
  return (flags & STRLIST_INSERT) ? lo : -1;
}

int CStrList::FindValue(uint32_t value, int from, int to) const {
  if (m_dataSize < (int)sizeof(uint32_t)) return -1;
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  for (int i = from; i < to; ++i) {
    uint32_t v;
    memcpy(&v, m_items[i]->Data(), sizeof v);
    if (v == value) return i;
  }
  return -1;
}

int CStrList::SetRecentLimit(int limit, int mode) {
  m_recentLimit = limit > 0 ? limit : 0;
  m_recentMode = mode;
  if (m_recentLimit > 0) ApplyRecent();
  return m_count;
}

int CStrList::BringToFront(const char* text) {
  int limit = m_recentLimit > 0 && m_recentLimit < m_count ? m_recentLimit : m_count;
  int i = Find(-1, text, 0, limit, m_recentMode);
  if (i < 0) return 1;
  Item* it = m_items[i];
  memmove(m_items + 1, m_items, (size_t)i * sizeof(Item*));
  m_items[0] = it;
  return 0;
}
