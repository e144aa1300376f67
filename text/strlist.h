// CStrList: an owned list of text items, each carrying a data block whose
// size is fixed per list. Texts may hold any bytes (their length is kept);
// each is also zero-terminated. Not thread-safe: callers lock.
#pragma once

#include <stddef.h>

#include "text/textdefs.h"

// Flags of CStrList::FindSorted.
enum : unsigned {
  STRLIST_NOCASE  = 0x01,  // compare without regard to case
  STRLIST_FIRST   = 0x02,  // the first of equal texts
  STRLIST_LAST    = 0x04,  // the last of equal texts
  STRLIST_INSERT  = 0x08,  // not found: return the insertion point (else -1)
  STRLIST_REVERSE = 0x10,  // the list is sorted in descending order
};

class CStrList {
 public:
  // dataSize: bytes of data each item carries (0 or more).
  explicit CStrList(int dataSize = 0);
  ~CStrList();
  CStrList(const CStrList&) = delete;
  CStrList& operator=(const CStrList&) = delete;

  int GetCount() const { return m_count; }
  int GetDataSize() const { return m_dataSize; }
  // Sets the data size; returns it, or -1 when the list is not empty.
  int SetDataSize(int size);

  // Inserts a text (terminated) / a text of length characters with a copy of
  // data (null: zeros). index is clamped to the count; -1 appends. Returns
  // the index of the new item, -1 when out of memory. In recent-items mode
  // the first occurrence of each text stays (an item put in front replaces
  // its older duplicate, an appended duplicate goes) and the list is cut to
  // its limit; the result is then where the text stands, -1 when it fell
  // behind the limit.
  int Insert(const char* text, int index = -1, const void* data = nullptr);
  int InsertLen(int length, const char* text, int index = -1, const void* data = nullptr);
  // Splits text at separator and inserts the parts from index on (-1: at the
  // end); separator 0 splits a multi-string (parts ended by a zero, the list
  // by an empty part). Returns the index of the first part (where it would
  // stand when there is none), -1 when out of memory.
  int InsertSplit(const char* text, char separator, int index = -1);
  // A new block holding the texts of items [from, to) (to -1: the end), each
  // zero-terminated, plus a final zero (an empty range gives two zeros). The
  // caller frees it with free(). *size (when given) gets its size in bytes.
  char* JoinMultiString(int from, int to, int* size) const;

  // Replaces an item's text (length -1: terminated), keeping its data.
  // 1 on success, 0 for a bad index or out of memory.
  int SetAtLen(int index, int length, const char* text);

  int RemoveAt(int index);          // 1, or 0 for a bad index
  int RemoveRange(int from, int to);  // frees items [from, to); number removed
  int RemoveAll();                  // frees everything; 1

  // Copies an item's text into buffer; its length, or -1 when the index is
  // bad or the text does not fit into size characters (buffer then empty).
  int GetText(int index, char* buffer, int size) const;
  // The item's text (valid until the item is removed or its text replaced);
  // null for a bad index.
  const char* GetTextPtr(int index) const;
  int GetLength(int index) const;  // -1 for a bad index
  // The item's data block (null for a bad index). When out is given, copies
  // min(outSize, data size) bytes of it there.
  void* GetData(int index, void* out = nullptr, int outSize = 0) const;
  // Set the first 32-bit / pointer-sized word of an item's data; return the
  // old value, 0 when the index is bad or the data block is too small.
  uint32_t SetValue(int index, uint32_t value);
  uintptr_t SetValuePtr(int index, uintptr_t value);

  // Index of the first item in [from, to) (to -1: the end) whose text equals
  // (length, text) (length -1: terminated); mode 0 exact, else without
  // regard to case. -1 when absent.
  int Find(int length, const char* text, int from = 0, int to = -1, int mode = 0) const;
  // Binary search in [from, to) of a list sorted by byte value (see flags).
  // Returns a matching index; when absent, the insertion point with
  // STRLIST_INSERT, else -1.
  int FindSorted(int length, const char* text, int from, int to, unsigned flags) const;
  // Index of the first item in [from, to) whose first 32-bit data word
  // equals value; -1 when absent (or the data size is below 4).
  int FindValue(uint32_t value, int from = 0, int to = -1) const;

  // Makes the list a recent-items list of at most limit items (0 ends the
  // mode); mode 1 compares without regard to case. Duplicates are removed
  // (the first occurrence stays) and the rest beyond the limit dropped.
  // Returns the new count.
  int SetRecentLimit(int limit, int mode);
  // Moves the item equal to text (per the recent mode's case rule) found
  // among the first limit items (all items when not in recent mode) to
  // index 0: 0 when done, 1 when absent.
  int BringToFront(const char* text);

 private:
  struct Item;
  Item* NewItem(int length, const char* text, const void* data) const;
  bool Reserve(int count);
  bool Equal(const Item* item, int length, const char* text, bool noCase) const;
  void ApplyRecent();

  Item** m_items = nullptr;
  int m_count = 0;
  int m_capacity = 0;
  int m_dataSize = 0;
  int m_recentLimit = 0;
  int m_recentMode = 0;
};
