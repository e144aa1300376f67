// CRecordArray: a growable array of fixed-size records in one block.
// Not thread-safe: callers lock.
#pragma once

#include "text/textdefs.h"

class CRecordArray {
 public:
  // recordSize: bytes per record; growStep: records added at least when the
  // block grows (it grows by half its size when that is more).
  explicit CRecordArray(int recordSize = 0, int growStep = 16);
  ~CRecordArray();
  CRecordArray(const CRecordArray&) = delete;
  CRecordArray& operator=(const CRecordArray&) = delete;

  // Sets the record size; returns it, or -1 when the array is not empty or
  // the size is below 1.
  int SetRecordSize(int size);
  int GetRecordSize() const { return m_recordSize; }
  int GetCount() const { return m_count; }
  // The records, contiguous (null while none was ever stored).
  void* GetData() const { return m_data; }
  // One record, null for a bad index.
  void* GetAt(int index) const;

  // Inserts a copy of record (null: zeros) at index (clamped to the count;
  // -1 appends). Returns the index, -1 without a record size, -2 when out
  // of memory.
  int InsertAt(int index, const void* record = nullptr);
  // Removes records [from, to) (to -1: the end); returns the number removed.
  int RemoveRange(int from, int to);
  void RemoveAll();

 private:
  unsigned char* m_data = nullptr;
  int m_recordSize;
  int m_growStep;
  int m_count = 0;
  int m_capacity = 0;
};
