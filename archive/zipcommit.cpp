// Deleting entries and committing the changes: deferred compression,
// compaction of deleted entries.
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "archive/zipcodec.h"
#include "archive/zipfile.h"

void CZipFile::MarkDeleted(int32_t index) {
  if (index < 0 || index >= m_live) return;
  ZipEntry* e = m_entries[index];
  if (e->pending) {
    RemoveEntry(index);
    m_sortState = 0;
    return;
  }
  e->deleted = 1;
  m_live--;
  std::swap(m_entries[index], m_entries[m_live]);
  m_dirDirty = true;
  m_sortState = 0;
  if (m_options & ZIPOPT_AUTO_SORT) Sort(0);
}

void CZipFile::Undelete(ZipEntry* e) {
  for (int32_t i = m_live; i < m_count; i++) {
    if (m_entries[i] != e) continue;
    std::swap(m_entries[i], m_entries[m_live]);
    m_live++;
    e->deleted = 0;
    m_sortState = 0;
    return;
  }
}

ZipErrorCode CZipFile::DeleteEntry(int32_t index) {
  m_error = 0;
  if (NotifyEnabled(ZIPN_REMOVE) && Notify(ZIPN_REMOVE, index)) return -1;
  if (m_mode < 2) return Fail(ZIPERR_WRITE, index);
  if (index < 0 || index >= m_live) return Fail(ZIPERR_BAD_INDEX, index);
  MarkDeleted(index);
  m_sortState = 0;
  return 0;
}

namespace {

int HandleRead(void* context, void* buffer, int size) {
  FioHandle h = *(FioHandle*)context;
  if (size <= 0) return 0;
  ptrdiff_t got = FioRead(h, buffer, (size_t)size);
  return got < 0 ? -1 : (int)got;
}

}  // namespace

void CZipFile::CompressPending(int32_t index) {
  ZipEntry* e = m_entries[index];
  uint64_t declared = e->uncompressedSize;  // what the progress total counted
  if (NotifyEnabled(ZIPN_COMPRESS) && Notify(ZIPN_COMPRESS, index)) Throw(ZIPERR_ABORT);
  SetCurrentEntryName(e->name);
  if (e->externalAttributes & 0x10) {
    e->uncompressedSize = e->compressedSize = 0;
    WriteEntryData(index, nullptr, [](void*, void*, int) { return 0; }, 0, 0);
  } else {
    int method, level;
    ChooseMethod(ZipIsStoredName(e->name), e->uncompressedSize, &method, &level);
    FioHandle h = e->sourcePath ? FioOpen(e->sourcePath, FIO_READ | FIO_SHARE_READ) : FIO_INVALID;
    if (h == FIO_INVALID) Throw(ZIPERR_SOURCE_OPEN);
    try {
      try {
        WriteEntryData(index, &h, HandleRead, method, level);
      } catch (ZipErrorCode code) {
        if (code != ZIPERR_COMPRESS || method == 0) throw;
        if (FioSeek(h, 0, FIO_BEGIN) != 0) Throw(ZIPERR_SOURCE_READ);
        WriteEntryData(index, &h, HandleRead, 0, 0);
      }
    } catch (ZipErrorCode) {
      FioClose(h);
      throw;
    }
    FioClose(h);
  }
  e->flags = 0;
  e->sourcePath = nullptr;
  m_progressDone += declared;
  if (NotifyEnabled(ZIPN_COMPRESSED) && Notify(ZIPN_COMPRESSED, index)) Throw(ZIPERR_ABORT);
}

// The spans of the entries that stay in the file, in file order, and where
// the first entry, kept or not, begins: what lies in front of it (a
// self-extractor's program) is not ours to move over.
uint64_t CZipFile::KeptSpans(std::vector<ZipSpan>& spans) {
  std::vector<ZipEntry*> order(m_entries, m_entries + m_count);
  std::sort(order.begin(), order.end(),
            [](const ZipEntry* a, const ZipEntry* b) { return a->offset < b->offset; });
  spans.clear();
  uint64_t base = UINT64_MAX;
  for (ZipEntry* e : order) {
    if (e->valid && !e->bad && e->offset < base) base = e->offset;
    if (e->deleted || !e->valid || e->bad) continue;
    uint8_t h[ZIP_LOCAL_SIZE];
    ChanSeek((int64_t)e->offset, 0);
    ChanRead(h, ZIP_LOCAL_SIZE);
    uint64_t length = ZIP_LOCAL_SIZE + ZipGet16(h + 26) + ZipGet16(h + 28) + e->compressedSize;
    if (ZipGet16(h + 6) & ZIP_FLAG_DESCRIPTOR) {
      uint8_t sig[4];
      ChanSeek((int64_t)(e->offset + length), 0);
      ChanRead(sig, 4);
      bool wide = e->compressedSize >= 0xFFFFFFFFull || e->uncompressedSize >= 0xFFFFFFFFull ||
                  ZipGet32(h + 18) == 0xFFFFFFFFu;
      length += (wide ? 20 : 12) + (ZipGet32(sig) == ZIP_SIG_DESCRIPTOR ? 4 : 0);
    }
    spans.push_back({e, e->offset, length});
  }
  return base == UINT64_MAX ? 0 : base;
}

namespace {

// Bytes that compaction moves: every span behind the first gap.
uint64_t MovedBytes(const std::vector<ZipSpan>& spans, uint64_t base) {
  uint64_t to = base, moved = 0;
  for (const ZipSpan& s : spans) {
    if (s.from != to) moved += s.length;
    to += s.length;
  }
  return moved;
}

}  // namespace

// Moves the kept entries down over the deleted ones. The progress counts
// the bytes moved, up to moveBudget: entries written by this commit come
// last and their move is counted with their compression.
void CZipFile::CompactDeleted(uint64_t moveBudget) {
  std::vector<ZipSpan> spans;
  uint64_t to = KeptSpans(spans);
  for (size_t i = 0; i < spans.size(); i++) {
    uint64_t limit = i + 1 < spans.size() ? spans[i + 1].from : m_dirStart;
    if (spans[i].from + spans[i].length > limit) Throw(ZIPERR_INTERNAL);
  }
  int64_t fileSize = ChanSize();
  std::vector<uint8_t> buffer;
  FioMapping map = {nullptr, 0, 0};
  bool mapped = false;
  if (!IsMemory() && fileSize > 0 && fileSize < 0x10000000) {
    if (!FioMap(&map, m_main.file, 1)) Throw(ZIPERR_WRITE);
    mapped = true;
  }
  try {
    for (size_t i = 0; i < spans.size(); i++) {
      ZipSpan& s = spans[i];
      int32_t index = -1;
      for (int32_t k = 0; k < m_count; k++)
        if (m_entries[k] == s.e) index = k;
      if (NotifyEnabled(ZIPN_COMPRESS) && Notify(ZIPN_COMPRESS, index)) Throw(ZIPERR_ABORT);
      if (to + s.length > (uint64_t)fileSize) Throw(ZIPERR_INTERNAL);
      if (to != s.from) {
        if (mapped) {
          memmove((uint8_t*)map.data + to, (uint8_t*)map.data + s.from, (size_t)s.length);
        } else if (IsMemory()) {
          memmove(m_main.block + to, m_main.block + s.from, (size_t)s.length);
        } else {
          if (buffer.empty()) buffer.resize(0x4000);
          for (uint64_t done = 0; done < s.length;) {
            uint64_t n = std::min<uint64_t>(buffer.size(), s.length - done);
            ChanSeek((int64_t)(s.from + done), 0);
            ChanRead(buffer.data(), (int64_t)n);
            ChanSeek((int64_t)(to + done), 0);
            ChanWrite(buffer.data(), (int64_t)n);
            done += n;
          }
        }
        uint64_t counted = std::min(s.length, moveBudget);
        m_progressDone += counted;
        moveBudget -= counted;
      }
      s.e->offset = to;
      to += s.length;
    }
  } catch (ZipErrorCode) {
    if (mapped) FioUnmap(&map);
    throw;
  }
  if (mapped) FioUnmap(&map);
  m_dirStart = to;
  ChanSeek((int64_t)to, 0);
  if (!IsMemory()) ChanTruncate();
  m_dirDirty = true;
}

ZipErrorCode CZipFile::Commit() {
  m_error = 0;
  if (m_mode < 2) return Fail(ZIPERR_BAD_INDEX, -1);
  bool anyDeleted = m_live < m_count;
  // Progress: 1024 per deleted entry, the sizes of the deferred files, and
  // the bytes that move down over the deleted entries, as they are in the
  // file now (rather than estimated from names and sizes), so that the
  // moves count what they do and the total is met at the end.
  uint64_t moves = 0;
  if (anyDeleted) {
    try {
      std::vector<ZipSpan> spans;
      uint64_t base = KeptSpans(spans);
      moves = MovedBytes(spans, base);
    } catch (ZipErrorCode code) {
      return Fail(code, -1);
    }
  }
  m_progressDone = 0;
  m_progressTotal = (uint64_t)(m_count - m_live) * 1024 + moves;
  for (int32_t i = 0; i < m_live; i++)
    if (m_entries[i]->pending) m_progressTotal += m_entries[i]->uncompressedSize;
  if (NotifyEnabled(ZIPN_WRITEBACK) && Notify(ZIPN_WRITEBACK, -1)) return m_error = ZIPERR_ABORT;
  // Deferred entries are written first, behind everything that is there:
  // an entry they replace is dropped only once its successor is complete.
  bool compressed = false;
  for (;;) {
    int32_t i = 0;
    while (i < m_live && !m_entries[i]->pending) i++;
    if (i >= m_live) break;
    ZipEntry* e = m_entries[i];
    try {
      CompressPending(i);
    } catch (ZipErrorCode code) {
      ZipEntry* old = e->replaces;
      RemoveEntry(i);
      if (old) Undelete(old);
      return Fail(code, -1);
    }
    if (e->replaces) {
      ZipEntry* old = e->replaces;
      e->replaces = nullptr;
      for (int32_t k = 0; k < m_live; k++)
        if (m_entries[k] == old) MarkDeleted(k);
    }
    compressed = true;
    m_dirDirty = true;
  }
  anyDeleted = m_live < m_count;
  if (anyDeleted) {
    try {
      CompactDeleted(moves);
    } catch (ZipErrorCode code) {
      ReportAndReset(code);
      return code;
    }
    for (int32_t i = m_count - 1; i >= 0; i--)
      if (m_entries[i]->deleted) RemoveEntry(i);
  }
  // written entries have their offsets and sizes now
  if (anyDeleted || compressed) {
    m_sortState = 0;
    if (m_options & ZIPOPT_AUTO_SORT) Sort(0);
  }
  m_progressDone = m_progressTotal;
  m_dirDirty = true;
  return 0;
}
