// Adding entries to a ZIP archive: from a read callback, memory, disk
// files and folders, and directory entries.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>

#include "archive/zipcodec.h"
#include "archive/zipfile.h"
#include "files/fileops.h"
#include "files/pathname.h"
#include "files/pathsafe.h"

bool ZipIsStoredName(const char* name) {
  static const char kStored[] = "zip;zoo;arc;lzh;arj;gz;cab;bz2;tgz;rar;rpm;gzip;7z;k";
  return PathFindExtInListA(name, kStored, (int)sizeof kStored - 1) > 0;
}

namespace {

int32_t Now() { return (int32_t)time(nullptr); }


// The name as stored: a drive prefix removed (unless kept), then a relative
// path (files' rule, its characters kept): no root, no "." or "..", no "/"
// at the end, which peers would read as an absolute path or a folder.
// False when nothing is left.
bool StoredName(const char* name, bool keepDrive, std::string& out) {
  if (!keepDrive) {
    for (const char* p = name; *p; p++) {
      if (*p == ':') {
        name = p + 1;
        break;
      }
      if (PathIsSep(*p)) break;
    }
  }
  out.assign(strlen(name) + 1, 0);
  int n = PathSafeRelative(name, &out[0], out.size(),
                           PSC_KEEP_CHARS | (keepDrive ? 0u : (unsigned)PSC_DROP_DRIVE));
  out.resize(n > 0 ? (size_t)n : 0);
  return n > 0;
}

char* CopyName(const char* name, const char* sourcePath, uint16_t* length) {
  size_t n = strlen(name);
  size_t s = sourcePath ? strlen(sourcePath) + 1 : 0;
  if (n > 0xFFFF) return nullptr;
  char* copy = (char*)malloc(n + 1 + s);
  if (!copy) return nullptr;
  for (size_t i = 0; i < n; i++) copy[i] = name[i] == '\\' ? '/' : name[i];
  copy[n] = 0;
  if (s) memcpy(copy + n + 1, sourcePath, s);
  *length = (uint16_t)n;
  return copy;
}

}  // namespace

ZipErrorCode CZipFile::AddFolderEntry(const char* name) {
  m_error = 0;
  if (m_mode < 2) return Fail(ZIPERR_WRITE, -1);
  if (!name || !*name) return FailAsk(ZIPERR_NO_NAME);
  try {
    std::string stored;
    if (!StoredName(name, (m_options & ZIPOPT_KEEP_DRIVE) != 0, stored)) Throw(ZIPERR_NO_NAME);
    const char* trimmed = stored.c_str();
    int32_t existing = -1;
    if (!(m_options & ZIPOPT_NO_FIND)) {
      existing = FindEntry(trimmed);
      if (existing >= 0 && (m_options & ZIPOPT_KEEP_EXISTING)) return 0;
    }
    int32_t index = NewEntry();
    ZipEntry* e = m_entries[index];
    e->name = CopyName(trimmed, nullptr, &e->nameLength);
    if (!e->name) {
      RemoveEntry(index);
      Throw(ZIPERR_MEMORY);
    }
    int32_t now = Now();
    e->externalAttributes = 0x10;
    e->method = 0;
    e->flags = 0;
    e->versionNeeded = 10;
    e->versionMadeBy = ZIP_VERSION_MADE_BY;
    e->created = e->accessed = e->modified = now;
    e->dosTime = ZipDosTimeFromSeconds(now);
    e->offset = m_dirStart;
    ChanSeek((int64_t)m_dirStart, 0);
    if (ZipBuildExtraFields(e)) {
      RemoveEntry(index);
      Throw(ZIPERR_MEMORY);
    }
    try {
      WriteLocalHeader(e);
      CheckDirectoryRoom((uint64_t)ChanPosition());
    } catch (ZipErrorCode) {
      RemoveEntry(index);
      throw;
    }
    e->valid = 1;
    m_dirStart = (uint64_t)ChanPosition();
    m_dirDirty = true;
    if (existing >= 0) MarkDeleted(existing);
    if (m_options & ZIPOPT_AUTO_SORT) Sort(0);
    index = IndexOf(e, index);
    if (NotifyEnabled(ZIPN_APPEND) && Notify(ZIPN_APPEND, index)) return 1;
    return 0;
  } catch (ZipErrorCode code) {
    return Fail(code, -1);
  }
}

// A block that cannot grow must keep room for the directory behind the
// data: a change that could not be committed is refused when it is made,
// not at Close after the caller was told that it went well.
void CZipFile::CheckDirectoryRoom(uint64_t end) {
  uint64_t capacity = ChanCapacity();
  if (capacity == UINT64_MAX) return;
  uint64_t need = end + ZIP_END_SIZE + ZIP_END64_SIZE + ZIP_LOCATOR64_SIZE;
  if (m_rawComment) need += m_rawCommentLength;
  else if (m_comment) need += 3 * strlen(m_comment);
  for (int32_t i = 0; i < m_count; i++) {
    const ZipEntry* e = m_entries[i];
    if (e->deleted || e->bad) continue;
    uint64_t name = e->rawName && e->rawNameLength ? e->rawNameLength : 3 * (uint64_t)e->nameLength + 1;
    uint64_t comment = e->rawComment ? e->rawCommentLength : 3 * (uint64_t)e->commentLength;
    // (room for a ZIP64 field the directory may add)
    need += ZIP_CENTRAL_SIZE + name + e->centralExtraLength + 28 + comment;
  }
  if (need > capacity) Throw(ZIPERR_NO_SPACE);
}

void CZipFile::ChooseMethod(bool store, uint64_t size, int* method, int* level) const {
  *method = m_method;
  *level = m_level;
  if (store || size == 0) {
    *method = 0;
    *level = 0;
  } else if (*method == -1) {
    *method = 8;
    *level = 9;
  } else if (*method == 0) {
    *level = 0;
  }
}

ZipErrorCode CZipFile::WriteEntryData(int32_t index, void* source, ZipReadFunc read, int method,
                                      int level) {
  ZipEntry* e = m_entries[index];
  ChanSeek((int64_t)m_dirStart, 0);
  e->offset = m_dirStart;
  e->method = (uint16_t)method;
  e->flags = ZIP_FLAG_DESCRIPTOR;
  e->versionNeeded = method ? 20 : 10;
  e->versionMadeBy = ZIP_VERSION_MADE_BY;
  uint64_t declared = e->uncompressedSize;
  e->compressedSize = method ? 0 : declared;
  if (ZipBuildExtraFields(e)) Throw(ZIPERR_MEMORY);
  WriteLocalHeader(e);
  if (SelectCodec(method, e, true)) Throw(ZIPERR_UNSUPPORTED);
  m_codec->FreeBuffers(0);
  m_codec->SetInputCallback(source, (ZipTransferFunc)read, 0);
  if (IsMemory()) {
    m_codec->SetOutputCallback(
        this,
        [](void* self, void* data, int length) -> int {
          if (length <= 0) return 0;
          CZipFile* z = (CZipFile*)self;
          try {
            return z->ChanWrite(data, length) == length ? length : -1;
          } catch (ZipErrorCode) {
            return -1;
          }
        },
        ZIP_NO_CRC);
  } else {
    m_codec->SetOutputHandle(m_main.file, -1, ZIP_NO_CRC);
  }
  try {
    m_codec->Compress(level);
  } catch (const ZipCodecError& err) {
    m_codec->Reset();
    Throw(err.category == ZIPC_READ ? ZIPERR_SOURCE_READ
          : err.category == ZIPC_MEMORY ? ZIPERR_MEMORY
                                        : ZIPERR_WRITE);
  }
  m_codec->Reset();
  // the entry names the method its data have: the codec copies at level 0
  if (m_codec->GetStatus() & ZIPC_STATUS_STORED) method = 0;
  if (method && (m_codec->GetStatus() & ZIPC_STATUS_GREW)) Throw(ZIPERR_COMPRESS);
  uint64_t usize = m_codec->InputTotal();
  uint64_t csize = m_codec->OutputTotal();
  if (!e->zip64Local && (usize >= 0xFFFFFFFFull || csize >= 0xFFFFFFFFull))
    Throw(ZIPERR_WRITE);  // the local header has no room for the sizes
  int64_t end = ChanPosition();
  CheckDirectoryRoom((uint64_t)end);
  e->crc = m_codec->InputCrc();
  e->uncompressedSize = usize;
  e->compressedSize = csize;
  e->method = (uint16_t)method;
  e->versionNeeded = method ? 20 : 10;
  e->flags &= (uint16_t)~ZIP_FLAG_DESCRIPTOR;
  if (ZipBuildExtraFields(e)) Throw(ZIPERR_MEMORY);
  ChanSeek((int64_t)e->offset, 0);
  WriteLocalHeader(e);
  ChanSeek(end, 0);
  e->pending = 0;
  e->valid = 1;
  m_dirStart = (uint64_t)end;
  m_dirDirty = true;
  return 0;
}

ZipErrorCode CZipFile::AddEntry(const char* name, void* source, ZipReadFunc read,
                                const FileFindData* info) {
  return AddEntryData(name, source, read, info, false);
}

ZipErrorCode CZipFile::AddEntryData(const char* name, void* source, ZipReadFunc read,
                                    const FileFindData* info, bool retryFollows) {
  m_error = 0;
  if (info && (info->attributes & FFD_DIRECTORY)) return AddFolderEntry(name);
  if (m_mode < 2) return Fail(ZIPERR_WRITE, -1);
  if (!name || !*name) return Fail(ZIPERR_NO_NAME, -1);
  int32_t index = -1;
  ZipEntry* e = nullptr;
  std::string stored;
  try {
    if (!StoredName(name, (m_options & ZIPOPT_KEEP_DRIVE) != 0, stored)) Throw(ZIPERR_NO_NAME);
    name = stored.c_str();
    // deferred compression reads the file at commit: it needs its path
    if (read == ZIP_DEFERRED_READ && (!info || !info->name[0])) Throw(ZIPERR_SOURCE_OPEN);
    int32_t existing = -1;
    if (!(m_options & ZIPOPT_NO_FIND)) {
      existing = FindEntry(name);
      if (existing >= 0 && (m_options & ZIPOPT_KEEP_EXISTING)) return 0;
    }
    int32_t now = Now();
    index = NewEntry();
    e = m_entries[index];
    bool deferred = read == ZIP_DEFERRED_READ;
    e->name = CopyName(name, deferred ? info->name : nullptr, &e->nameLength);
    if (!e->name) Throw(ZIPERR_MEMORY);
    if (deferred) e->sourcePath = e->name + e->nameLength + 1;
    if (info) {
      int32_t modified = (int32_t)info->modified, created = (int32_t)info->created;
      int32_t accessed = (int32_t)info->accessed;
      e->modified = modified == 0 || modified == -1 ? now : modified;
      e->created = created == 0 || created == -1 ? e->modified : created;
      e->accessed = accessed == 0 || accessed == -1 ? e->modified : accessed;
      uint32_t a = info->attributes;
      e->externalAttributes = (a & FFD_WRITABLE ? 0 : 1) | (a & FFD_HIDDEN ? 2 : 0) |
                              (a & FFD_SYSTEM ? 4 : 0) | (a & FFD_DIRECTORY ? 16 : 0) |
                              (a & FFD_ARCHIVE ? 32 : 0);
      e->uncompressedSize = (uint64_t)FileFindDataSize(info);
    } else {
      e->modified = e->created = e->accessed = now;
      e->uncompressedSize = 0;
      // the size is unknown: the local header keeps room for ZIP64 sizes
      e->zip64Local = 1;
    }
    if (e->uncompressedSize >= 0xFFFF0000ull) e->zip64Local = 1;
    e->dosTime = ZipDosTimeFromSeconds(e->modified);
    e->versionMadeBy = ZIP_VERSION_MADE_BY;
    m_addName = e->name;
    if (NotifyEnabled(ZIPN_COMPRESS)) Notify(ZIPN_COMPRESS, index);
    e->pending = 1;
    if (existing >= 0) {
      // the old entry stays readable until the new one is complete; a
      // deferred entry over a pending one takes over what that one replaced
      ZipEntry* old = m_entries[existing];
      e->replaces = deferred && old->pending ? old->replaces : old;
    }
    if (deferred) {
      if (existing >= 0) MarkDeleted(existing);
      m_dirDirty = true;
      m_addName = nullptr;
      if (m_options & ZIPOPT_AUTO_SORT) Sort(0);
      return 0;
    }
    int method, level;
    ChooseMethod(ZipIsStoredName(e->name) || (info && (info->attributes & FFD_STORE)),
                 info ? e->uncompressedSize : 1, &method, &level);
    WriteEntryData(index, source, read, method, level);
    ZipEntry* old = e->replaces;
    e->replaces = nullptr;
    if (old) MarkDeleted(IndexOf(old, existing));
    m_addName = nullptr;
    if (m_options & ZIPOPT_AUTO_SORT) Sort(0);
    index = IndexOf(e, index);
    if (NotifyEnabled(ZIPN_APPEND) && Notify(ZIPN_APPEND, index)) return 1;
    return 0;
  } catch (ZipErrorCode code) {
    m_addName = nullptr;
    SetCurrentEntryName(stored.c_str());
    if (e) RemoveEntry(IndexOf(e, index));
    // grown data the caller stores again are no failure yet
    if (code == ZIPERR_COMPRESS && retryFollows) return m_error = code;
    return Fail(code, -1);
  }
}

namespace {

struct MemorySource {
  const uint8_t* block;
  uint32_t size;
  uint32_t pos;
};

int MemoryRead(void* context, void* buffer, int size) {
  MemorySource* m = (MemorySource*)context;
  if (size <= 0) return 0;
  uint32_t left = m->size - m->pos;
  uint32_t take = (uint32_t)size < left ? (uint32_t)size : left;
  memcpy(buffer, m->block + m->pos, take);
  m->pos += take;
  return (int)take;
}

int HandleRead(void* context, void* buffer, int size) {
  FioHandle h = *(FioHandle*)context;
  if (size <= 0) return 0;
  ptrdiff_t got = FioRead(h, buffer, (size_t)size);
  return got < 0 ? -1 : (int)got;
}

}  // namespace

ZipErrorCode CZipFile::AddFromMemory(const char* name, const void* block, uint32_t size,
                                     const FileFindData* info) {
  MemorySource src = {(const uint8_t*)block, block ? size : 0, 0};
  // the size of a block is known: no room for ZIP64 sizes is needed
  FileFindData own;
  if (info) {
    own = *info;
  } else {
    memset(&own, 0, sizeof own);
    own.attributes = FFD_READABLE | FFD_WRITABLE;
    own.size = src.size;
  }
  if (own.name[0] == '*') own.name[0] = 0;
  ZipErrorCode rc = AddEntryData(name, &src, MemoryRead, &own, m_retryStored);
  // the block can be read again: grown data are stored instead
  if (rc == ZIPERR_COMPRESS && m_retryStored) {
    own.attributes |= FFD_STORE;
    src.pos = 0;
    rc = AddEntry(name, &src, MemoryRead, &own);
  }
  return rc;
}

ZipErrorCode CZipFile::AddFileWithRetry(const char* diskPath, FileFindData* info, bool replaces) {
  // the new entry takes the place of the existing one even when the caller
  // asked not to look for names: AddEntry drops the old one once it is done
  struct Restore {
    uint32_t& word;
    uint32_t saved;
    ~Restore() { word = saved; }
  } options = {m_options, m_options};
  if (replaces) m_options &= ~(uint32_t)ZIPOPT_NO_FIND;
  const char* name = m_addName;
  if (m_deferCompression) {
    snprintf(info->name, sizeof info->name, "%s", diskPath);
    if (strlen(diskPath) >= sizeof info->name) return Fail(ZIPERR_PATH, -1);
    return AddEntry(name, nullptr, ZIP_DEFERRED_READ, info);
  }
  FioHandle h = FioOpen(diskPath, FIO_READ | FIO_SHARE_READ);
  if (h == FIO_INVALID) {
    SetCurrentEntryName(diskPath);
    return Fail(ZIPERR_SOURCE_OPEN, -1);
  }
  ZipErrorCode rc = AddEntryData(name, &h, HandleRead, info, m_retryStored);
  // a disk file can be read again: grown data are stored instead
  if (rc == ZIPERR_COMPRESS && m_retryStored) {
    info->attributes |= FFD_STORE;
    if (FioSeek(h, 0, FIO_BEGIN) != 0)
      rc = Fail(ZIPERR_SOURCE_READ, -1);
    else
      rc = AddEntry(name, &h, HandleRead, info);
  }
  FioClose(h);
  return rc;
}

ZipErrorCode CZipFile::AddFileAs(const char* diskPath, const char* archiveName) {
  m_error = 0;
  if (m_mode < 2) return FailAsk(ZIPERR_MODE);
  if (!archiveName || !*archiveName || !diskPath) return FailAsk(ZIPERR_NO_NAME);
  FileFindData find;
  FileFindData* info = &find;
  ZipErrorCode rc = 0;
  bool isFile = FileGetFindDataA(diskPath, info) == 0 && !(info->attributes & FFD_DIRECTORY);
  std::string stored;
  StoredName(archiveName, (m_options & ZIPOPT_KEEP_DRIVE) != 0, stored);
  int32_t existing = stored.empty() ? -1 : FindEntry(stored.c_str());
  if (!isFile) {
    SetCurrentEntryName(diskPath);
    rc = Fail(ZIPERR_SOURCE_OPEN, -1);
  } else if (existing >= 0) {
    ZipEntry* old = m_entries[existing];
    SetCurrentEntryName(old->name);
    if (m_options & ZIPOPT_KEEP_EXISTING)
      rc = Fail(ZIPERR_EXISTS, existing);
    else if ((m_options & ZIPOPT_ONLY_NEWER) && !(old->modified < (int32_t)info->modified))
      rc = Fail(ZIPERR_OLDER, existing);
    else if (old->pending)
      rc = Fail(ZIPERR_EXISTS, existing);
  }
  if (rc == 0) {
    m_addName = archiveName;
    if (NotifyEnabled(ZIPN_SKIP) && Notify(ZIPN_SKIP, m_count)) {
      rc = m_error = ZIPERR_ABORT;
    } else {
      rc = AddFileWithRetry(diskPath, info, existing >= 0);
    }
    m_addName = nullptr;
  }
  return rc;
}

ZipErrorCode CZipFile::AddFile(const char* diskPath) {
  if (!diskPath) return Fail(ZIPERR_NO_NAME, -1);
  const char* name = diskPath;
  for (const char* p = diskPath; *p; p++)
    if (PathIsSep(*p) || *p == ':') name = p + 1;
  return AddFileAs(diskPath, name);
}

int32_t CZipFile::IndexOf(const ZipEntry* e, int32_t hint) const {
  if (hint >= 0 && hint < m_count && m_entries[hint] == e) return hint;
  for (int32_t i = 0; i < m_count; i++)
    if (m_entries[i] == e) return i;
  return -1;
}

ZipErrorCode CZipFile::FailAsk(ZipErrorCode code) {
  m_error = code;
  if (NotifyEnabled(ZIPN_ERROR) && Notify(ZIPN_ERROR, -1)) return -1;
  return code;
}

void CZipFile::ForgetReplaced(ZipEntry* gone) {
  for (int32_t i = 0; i < m_count; i++)
    if (m_entries[i]->replaces == gone) m_entries[i]->replaces = nullptr;
}
