// CZipFile: the entry table, its accessors, sorting, finding, modes and
// the choice of codec.
#include "archive/zipfile.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "archive/zipcodec.h"
#include "archive/zipcrypt.h"
#include "files/pathname.h"
#include "text/strcompare.h"

CZipFile::CZipFile()
    : m_codec(nullptr),
      m_codecFamily(-1),
      m_dirDirty(false),
      m_dirEnd(0),
      m_dirStart(0),
      m_entries(nullptr),
      m_capacity(0),
      m_count(0),
      m_live(0),
      m_comment(nullptr),
      m_rawComment(nullptr),
      m_rawCommentLength(0),
      m_aes(nullptr),
      m_progressDone(0),
      m_progressTotal(0),
      m_progressState(0) {
  m_keys[0] = m_keys[1] = m_keys[2] = 0;
  SelectCodec(0, nullptr, false);
}

CZipFile::~CZipFile() {
  if (m_mode) Close();
  ClearEntries();
  delete m_codec;
  ZipAesFree(m_aes);
}

void CZipFile::Reset() {
  CloseFiles();
  m_mode = 0;
  ClearEntries();
}

void CZipFile::ReportAndReset(ZipErrorCode code) {
  m_error = code;
  if (NotifyEnabled(ZIPN_ERROR)) Notify(ZIPN_ERROR, -1);
  Reset();
  m_error = code;
}

// ------------------------------------------------------------------ table

int32_t CZipFile::NewEntry() {
  if (m_count == m_capacity) {
    int32_t cap = m_capacity + 256;
    ZipEntry** p = (ZipEntry**)realloc(m_entries, sizeof(ZipEntry*) * (size_t)cap);
    if (!p) Throw(ZIPERR_MEMORY);
    m_entries = p;
    m_capacity = cap;
  }
  ZipEntry* e = (ZipEntry*)calloc(1, sizeof(ZipEntry));
  if (!e) Throw(ZIPERR_MEMORY);
  // deleted entries sit behind the live ones
  int32_t at = m_live;
  memmove(m_entries + at + 1, m_entries + at, sizeof(ZipEntry*) * (size_t)(m_count - at));
  m_entries[at] = e;
  m_count++;
  m_live++;
  m_sortState = 0;  // the new entry stands where it was put, not in order
  return at;
}

void CZipFile::RemoveEntry(int32_t index) {
  if (index < 0 || index >= m_count) return;
  ZipEntry* e = m_entries[index];
  if (!e->deleted) m_live--;
  ForgetReplaced(e);
  ZipFreeEntry(e);
  memmove(m_entries + index, m_entries + index + 1, sizeof(ZipEntry*) * (size_t)(m_count - index - 1));
  m_count--;
  if (!m_count) {
    free(m_entries);
    m_entries = nullptr;
    m_capacity = 0;
  }
}

void CZipFile::ClearEntries() {
  for (int32_t i = 0; i < m_count; i++) ZipFreeEntry(m_entries[i]);
  free(m_entries);
  m_entries = nullptr;
  m_capacity = m_count = m_live = 0;
  free(m_comment);
  m_comment = nullptr;
  free(m_rawComment);
  m_rawComment = nullptr;
  m_rawCommentLength = 0;
  m_dirStart = m_dirEnd = 0;
  m_sortState = 0;
  m_dirDirty = false;
}

// -------------------------------------------------------------- accessors

uint32_t CZipFile::GetEntryFlags(int32_t index) {
  ZipEntry* e = Entry(index);
  if (!e) return 0;
  return (e->mark & 3u) | (e->deleted ? 4u : 0) | (e->pending ? 8u : 0) |
         (e->externalAttributes & 0x10 ? 16u : 0) | (e->externalAttributes & 1 ? 32u : 0) |
         (e->valid ? 64u : 0);
}

const char* CZipFile::GetEntryName(int32_t index) {
  if (index == -1) return m_name;
  if (index == m_count) return m_addName;
  ZipEntry* e = Entry(index);
  return e ? e->name : nullptr;
}

int32_t CZipFile::SetEntryBad(int32_t index, int32_t value) {
  ZipEntry* e = Entry(index);
  if (!e) return -1;
  int32_t old = e->bad;
  e->bad = (uint8_t)(value != 0);
  return old;
}

int32_t CZipFile::IsEntryReadOnly(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? (int32_t)(e->externalAttributes & 1) : 0;
}
int32_t CZipFile::IsEntryBad(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? e->bad : -1;
}
int32_t CZipFile::IsEntryDeleted(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? e->deleted : 0;
}
int32_t CZipFile::IsEntryDirectory(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? (e->externalAttributes & 0x10 ? 1 : 0) : 0;
}
int32_t CZipFile::GetEntryMark(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? e->mark : 0;
}
int32_t CZipFile::SetEntryMark(int32_t index, int32_t value) {
  ZipEntry* e = Entry(index);
  if (!e) return -1;
  int32_t old = e->mark;
  e->mark = (uint8_t)value;
  return old;
}
uint64_t CZipFile::GetEntrySize(int32_t index, int32_t which) {
  ZipEntry* e = Entry(index);
  if (!e) return 0;
  return which == 0 ? e->uncompressedSize : e->compressedSize;
}
int32_t CZipFile::GetEntryTime(int32_t index, int32_t which) {
  ZipEntry* e = Entry(index);
  if (!e) return -1;
  switch (which) {
    case 0: return e->modified;
    case 1: return e->created;
    case 2: return e->accessed;
    default: return -1;
  }
}
uint32_t CZipFile::GetEntryUserData(int32_t index) {
  ZipEntry* e = Entry(index);
  return e ? e->userData : 0;
}
void CZipFile::SetEntryUserData(int32_t index, uint32_t value) {
  ZipEntry* e = Entry(index);
  if (e) e->userData = value;
}

// ---------------------------------------------------------------- progress

int32_t CZipFile::BeginProgress(int32_t how) {
  int32_t old = m_progressState;
  if (how == 0) {
    if ((m_progressState == 1 || m_progressState == 2) && m_error == 0)
      m_progressDone = m_progressTotal;
    m_progressState = 0;
  } else if (how == 1) {
    if (m_progressState != 2) {
      m_progressDone = m_progressTotal = 0;
      m_progressState = 0;
    }
  } else if (how == 2) {
    m_progressDone = m_progressTotal = 0;
    m_progressState = 1;
  }
  return old;
}

uint64_t CZipFile::GetProgress(uint64_t* total) {
  uint64_t done = m_progressDone;
  uint64_t running = m_codec ? m_codec->UncompressedCount() : 0;
  if (m_progressState == 1)
    done = running;
  else if (m_progressState >= 2)
    done = running + m_progressDone;
  if (done > m_progressTotal) done = m_progressTotal;
  if (total) *total = m_progressTotal;
  return done;
}

// ---------------------------------------------------------- sort and find

namespace {

int CompareNoCase(const char* a, const char* b) {
  for (;; a++, b++) {
    int x = tolower((unsigned char)*a), y = tolower((unsigned char)*b);
    if (x != y || !x) return x - y;
  }
}

}  // namespace

int32_t CZipFile::Sort(uint32_t flags) {
  uint32_t key = (flags & ZIPOPT_SORT_MASK) ? (flags & ZIPOPT_SORT_MASK) : (m_options & ZIPOPT_SORT_MASK);
  key |= 0x400;
  if (NotifyEnabled(ZIPN_SORT) && Notify(ZIPN_SORT, -1)) return 0;
  if (!m_entries) return 0;
  if (key == m_sortState) return m_count;
  auto less = [key](const ZipEntry* a, const ZipEntry* b) {
    if (a->deleted || b->deleted) return !a->deleted && b->deleted;
    switch (key) {
      case 0x500: return a->uncompressedSize < b->uncompressedSize;
      case 0x600: return a->offset < b->offset;
      case 0x700: return StrCompareNaturalNoCaseA(a->name, b->name) < 0;
      default: return CompareNoCase(a->name, b->name) < 0;
    }
  };
  std::stable_sort(m_entries, m_entries + m_count, less);
  m_sortState = key;
  m_options = (m_options & ~0x300u) | (key & 0x300u);
  return m_count;
}

int32_t CZipFile::FindEntry(const char* name) {
  if (!name) return -1;
  if (*name == '/') name++;
  if (*name == '\\') name++;
  size_t length = strlen(name);
  for (int32_t i = 0; i < m_live; i++) {
    ZipEntry* e = m_entries[i];
    if (e->deleted || e->nameLength != length) continue;
    if (PathCompareNoCaseA(e->name, name) == 0) return i;
  }
  return -1;
}

// ------------------------------------------------------------------ codecs

int CZipFile::SelectCodec(int method, const ZipEntry* entry, bool compressing) {
  int family;
  if (method >= 0 && method <= 9)
    family = 0;
  else if (method == ZIP_METHOD_BZIP2 || method == ZIP_METHOD_LZMA || method == ZIP_METHOD_XZ ||
           method == ZIP_METHOD_PPMD)
    family = method;
  else
    return 1;
  if (compressing && method == ZIP_METHOD_DEFLATE64) return 1;
  if (!m_codec || family != m_codecFamily) {
    CZipCodec* codec = nullptr;
    switch (family) {
      case ZIP_METHOD_STORED: codec = new (std::nothrow) CZipDeflateCodec(); break;
      case ZIP_METHOD_BZIP2: codec = new (std::nothrow) CZipBzip2Codec(); break;
      case ZIP_METHOD_LZMA: codec = new (std::nothrow) CZipLzmaCodec(); break;
      case ZIP_METHOD_XZ: codec = new (std::nothrow) CZipXzCodec(); break;
      case ZIP_METHOD_PPMD: codec = new (std::nothrow) CZipPpmdCodec(); break;
    }
    if (!codec) return 2;
    if (m_codec) {
      m_codec->Reset();
      delete m_codec;
    }
    m_codec = codec;
    m_codecFamily = family;
  }
  switch (family) {
    case ZIP_METHOD_STORED:
      m_codec->SetMode(method == ZIP_METHOD_STORED      ? ZIP_METHOD_STORED
                       : method == ZIP_METHOD_DEFLATE64 ? ZIP_METHOD_DEFLATE64
                                                        : ZIP_METHOD_DEFLATE);
      break;
    case ZIP_METHOD_LZMA:
      m_codec->SetMode(3);
      static_cast<CZipLzmaCodec*>(m_codec)->SetUncompressedSize(
          entry && !compressing ? (int64_t)entry->uncompressedSize : -1);
      break;
    case ZIP_METHOD_PPMD:
      m_codec->SetMode(1);
      static_cast<CZipPpmdCodec*>(m_codec)->SetUncompressedSize(
          entry && !compressing ? (int64_t)entry->uncompressedSize : -1);
      break;
    default: m_codec->SetMode(8); break;
  }
  return 0;
}

// ------------------------------------------------------------------- modes

ZipErrorCode CZipFile::SetMode(int32_t mode) {
  m_error = 0;
  if (mode != 1 && mode != 2) return Fail(ZIPERR_MODE, -1);
  if (m_mode == 0) return Fail(ZIPERR_MODE, -1);
  if (mode == m_mode) return 0;
  if (mode == 1 && m_dirDirty) {
    ZipErrorCode rc = Commit();
    if (rc) return rc;
    try {
      WriteDirectory();
    } catch (ZipErrorCode code) {
      return Fail(code, -1);
    }
    m_dirDirty = false;
  }
  m_progressDone = m_progressTotal = 0;
  ZipErrorCode rc = ChangeMode(mode, 1);
  if (rc) return Fail(rc, -1);
  return 0;
}

ZipErrorCode CZipFile::Close() {
  m_error = 0;
  if (m_mode == 0) return Fail(ZIPERR_BAD_INDEX, -1);
  if (m_mode == 1) {
    CloseFiles();
    ClearEntries();
    return 0;
  }
  // A commit stopped by the callback is not finished by writing the
  // directory over half of it: the original stays as it was.
  ZipErrorCode rc = Commit();
  if (rc) {
    Reset();
    m_error = rc;
    return rc;
  }
  if (NotifyEnabled(ZIPN_CLOSE) && Notify(ZIPN_CLOSE, -1)) return m_error = ZIPERR_ABORT;
  try {
    if (m_dirDirty) WriteDirectory();
    m_dirDirty = false;
    rc = CommitWorkFile();
    if (rc) Throw(rc);
  } catch (ZipErrorCode code) {
    m_error = code;
    if (NotifyEnabled(ZIPN_ERROR)) Notify(ZIPN_ERROR, -1);
    Reset();
    m_error = code;
    return code;
  }
  Reset();
  return 0;
}
