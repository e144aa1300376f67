#include "text/recarray.h"

#include <stdlib.h>
#include <string.h>

CRecordArray::CRecordArray(int recordSize, int growStep)
    : m_recordSize(recordSize > 0 ? recordSize : 0), m_growStep(growStep > 0 ? growStep : 16) {}

CRecordArray::~CRecordArray() { free(m_data); }

int CRecordArray::SetRecordSize(int size) {
  if (m_count > 0 || size < 1) return -1;
  if (size != m_recordSize) {
    free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_recordSize = size;
  }
  return size;
}

void* CRecordArray::GetAt(int index) const {
  if (index < 0 || index >= m_count) return nullptr;
  return m_data + (size_t)index * (size_t)m_recordSize;
}

int CRecordArray::InsertAt(int index, const void* record) {
  if (m_recordSize < 1) return -1;
  if (index < 0 || index > m_count) index = m_count;
  if (m_count == m_capacity) {
    long long grow = m_capacity / 2 > m_growStep ? m_capacity / 2 : m_growStep;
    long long cap = (long long)m_capacity + grow;
    if (cap > 0x7FFFFFFF) cap = 0x7FFFFFFF;
    if (cap <= m_count || (unsigned long long)cap * (unsigned)m_recordSize > (size_t)-1 / 2)
      return -2;
    void* p = realloc(m_data, (size_t)cap * (size_t)m_recordSize);
    if (!p) return -2;
    m_data = (unsigned char*)p;
    m_capacity = (int)cap;
  }
  size_t rs = (size_t)m_recordSize;
  unsigned char* at = m_data + (size_t)index * rs;
  memmove(at + rs, at, (size_t)(m_count - index) * rs);
  if (record) memcpy(at, record, rs);
  else memset(at, 0, rs);
  ++m_count;
  return index;
}

int CRecordArray::RemoveRange(int from, int to) {
  if (to < 0 || to > m_count) to = m_count;
  if (from < 0) from = 0;
  if (from >= to) return 0;
  size_t rs = (size_t)m_recordSize;
  memmove(m_data + (size_t)from * rs, m_data + (size_t)to * rs, (size_t)(m_count - to) * rs);
  m_count -= to - from;
  return to - from;
}

void CRecordArray::RemoveAll() {
  free(m_data);
  m_data = nullptr;
  m_count = 0;
  m_capacity = 0;
}
