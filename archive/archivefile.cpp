// CArchiveFile: opening, modes, defaults and the base behaviour of the
// virtual operations.
#include "archive/archivefile.h"
#include "files/fileops.h"
#include "files/pathsafe.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

char g_tempFolder[ARCHIVE_NAME_SIZE];

bool StartsWithNoCase(const char* s, const char* prefix) {
  for (; *prefix; s++, prefix++) {
    char a = *s, b = *prefix;
    if (a >= 'a' && a <= 'z') a = (char)(a - 32);
    if (a != b) return false;
  }
  return true;
}


// The folder part of a path including its last separator ("" when none).
void FolderOf(const char* path, char* dest, size_t size) {
  size_t cut = 0;
  for (size_t i = 0; path[i]; i++)
    if (PathIsSep(path[i]) || path[i] == ':') cut = i + 1;
  if (cut >= size) cut = 0;
  memcpy(dest, path, cut);
  dest[cut] = 0;
}

}  // namespace

const char* ArchiveTempFolder() { return g_tempFolder; }

void CArchiveFile::SetTempFolder(const char* path) {
  if (!path) {
    g_tempFolder[0] = 0;
    return;
  }
  snprintf(g_tempFolder, sizeof g_tempFolder, "%s", path);
}

CArchiveFile::CArchiveFile()
    : m_mode(0),
      m_options(0),
      m_method(-1),
      m_level(9),
      m_sortState(0),
      // on by default: otherwise every small file (which deflate makes
      // larger) would fail with 31
      m_retryStored(true),
      m_deferCompression(false),
      m_writeAllowed(true),
      m_throwOnRead(true),
      m_throwOnWrite(true),
      m_userValue(0),
      m_silentMask(0),
      m_enabledMask(0xFFFFFFFFu),
      m_callback(nullptr),
      m_fileNamePart(m_name),
      m_errorText(nullptr),
      m_addName(nullptr),
      m_error(0),
      m_password(nullptr),
      m_lastLength(0),
      m_methodBeforeLevel0(-2),
      m_internalOpen(false) {
  memset(&m_main, 0, sizeof m_main);
  m_main.file = FIO_INVALID;
  m_main.lock = FIO_INVALID;
  m_main.length = -1;
  m_second = m_main;
  m_secondMode = 0;
  m_secondInUse = false;
  m_spillAllowed = 0;
  m_spillName = nullptr;
  m_lastLengths[0] = m_lastLengths[1] = m_lastLengths[2] = 0;
  m_name[0] = 0;
  m_entryName[0] = 0;
}

CArchiveFile::~CArchiveFile() {
  CloseFiles();
  FreeChannel(m_main);
  FreeChannel(m_second);
  free(m_errorText);
  if (m_password) {
    memset(m_password, 0, strlen(m_password));
    free(m_password);
  }
}

void CArchiveFile::Throw(ZipErrorCode code) { throw code; }

ZipErrorCode CArchiveFile::Fail(ZipErrorCode code, int32_t entry) {
  m_error = code;
  if (code != 0 && NotifyEnabled(ZIPN_ERROR)) Notify(ZIPN_ERROR, entry);
  return code;
}

// ------------------------------------------------------------- virtuals

int CArchiveFile::SetPassword(const char* password) {
  if (m_password) {
    memset(m_password, 0, strlen(m_password));
    free(m_password);
    m_password = nullptr;
  }
  if (!password) return 1;
  m_password = strdup(password);
  return m_password ? 1 : 0;
}

ZipErrorCode CArchiveFile::AddFolderEntry(const char*) { return m_error = ZIPERR_UNSUPPORTED; }
ZipErrorCode CArchiveFile::AddEntry(const char*, void*, ZipReadFunc, const FileFindData*) {
  return m_error = ZIPERR_UNSUPPORTED;
}
ZipErrorCode CArchiveFile::SetMode(int32_t) { return m_error = ZIPERR_UNSUPPORTED; }
ZipErrorCode CArchiveFile::DeleteEntry(int32_t) { return m_error = ZIPERR_UNSUPPORTED; }
ZipErrorCode CArchiveFile::Commit() { return 0; }

static int DiscardWrite(void*, void*, int size) { return size < 0 ? 0 : size; }

ZipErrorCode CArchiveFile::TestEntry(int32_t index) {
  return ExtractEntry(index, nullptr, DiscardWrite, nullptr);
}

const char* CArchiveFile::GetEntryNameLength(int32_t index, int32_t* length) {
  const char* name = GetEntryName(index);
  if (length) *length = name ? (int32_t)strlen(name) : 0;
  return name;
}

int32_t CArchiveFile::SetEntryBad(int32_t, int32_t) { return 0; }
int32_t CArchiveFile::IsEntryReadOnly(int32_t) { return 0; }
int32_t CArchiveFile::IsEntryDeleted(int32_t) { return 0; }
int32_t CArchiveFile::SetEntryMark(int32_t, int32_t) { return -1; }

int32_t CArchiveFile::GetEntryUnixMode(int32_t index) {
  if (index < 0 || index >= GetEntryCount()) return -1;
  uint32_t mode = IsEntryReadOnly(index) > 0 ? 0x80000124u : 0x800001A4u;
  if (IsEntryDirectory(index)) mode += 0x4000;
  return (int32_t)mode;
}

// ------------------------------------------------------------- defaults

int32_t CArchiveFile::SetLevel(int32_t level) {
  if (level == -2) return m_level;
  if (level == 0 && m_method != 0) {
    m_methodBeforeLevel0 = m_method;
    m_method = 0;
  } else if (level > 0 && m_methodBeforeLevel0 != -2) {
    // level 0 chose storing, not the caller: a level to compress at
    // brings back the method that was set
    m_method = m_methodBeforeLevel0;
    m_methodBeforeLevel0 = -2;
  }
  if (level < 0) level = 0;
  if (level > 9) level = 9;
  return m_level = level;
}

int32_t CArchiveFile::SetMethod(int32_t method) {
  if (method == -2) return m_method;
  m_methodBeforeLevel0 = -2;
  return m_method = (method == -1 || method == 0) ? method : 8;
}

uint32_t CArchiveFile::SetOptions(uint32_t flags) {
  if (flags == (uint32_t)-2) return m_options;
  if (flags & (ZIPOPT_METHOD_AUTO | ZIPOPT_METHOD_STORE)) m_methodBeforeLevel0 = -2;
  if (flags & ZIPOPT_METHOD_AUTO) {
    m_method = -1;
    flags &= ~(uint32_t)ZIPOPT_METHOD_STORE;
  } else if (flags & ZIPOPT_METHOD_STORE) {
    m_method = 0;
  }
  uint32_t old = m_options;
  m_options = flags;
  if ((old ^ flags) & ZIPOPT_SORT_MASK && (flags & ZIPOPT_SORT_MASK)) Sort(flags);
  return m_options;
}

// ------------------------------------------------------------- opening

ZipErrorCode CArchiveFile::RefuseWriteMode() {
  if (NotifyEnabled(ZIPN_OPEN) && Notify(ZIPN_OPEN, -1)) return ZIPERR_ABORT;
  return ZIPERR_UNSUPPORTED;
}

ZipErrorCode CArchiveFile::Open(const char* name, uint32_t modeAndFlags,
                                intptr_t directoryArgument) {
  m_error = 0;
  bool internal = m_internalOpen && (modeAndFlags >> 16) == 0x1234;
  m_internalOpen = false;
  int mode = (int)(modeAndFlags & 0xF);
  if (!internal) {
    if (mode < 1 || mode > 3) {
      CloseFiles();
      return Fail(ZIPERR_UNSUPPORTED, -1);
    }
    CloseFiles();
    FreeChannel(m_main);
    if (mode >= 2 && !m_writeAllowed) return Fail(RefuseWriteMode(), -1);
    if (!name || !*name) return Fail(ZIPERR_NO_NAME, -1);
    if (StartsWithNoCase(name, "RES:") && PathIsSep(name[4]) && PathIsSep(name[5])) {
      const char* rest = name + 6;
      char type[64], res[64];
      const char* cut = nullptr;
      for (int i = 0; i < 63 && rest[i]; i++)
        if (PathIsSep(rest[i]) || rest[i] == '-') {
          cut = rest + i;
          break;
        }
      if (cut) {
        snprintf(type, sizeof type, "%.*s", (int)(cut - rest), rest);
        snprintf(res, sizeof res, "%.62s", cut + 1);
      } else {
        snprintf(res, sizeof res, "%.62s", rest);
      }
      return OpenResource(res, cut ? type : nullptr, modeAndFlags & 0xFFF0);
    }
    // A raw block address in a name is honoured only from OpenMemory.
    if (StartsWithNoCase(name, "MEM:")) return Fail(ZIPERR_NOT_FOUND, -1);
    ZipErrorCode rc = OpenDisk(name, mode);
    if (rc) return Fail(rc, -1);
    mode = m_mode;
  } else {
    mode = (int)(modeAndFlags & 7);
    if (mode != 1 && !m_writeAllowed) {
      ZipErrorCode rc = RefuseWriteMode();
      CloseFiles();
      FreeChannel(m_main);
      return Fail(rc, -1);
    }
    if (m_main.length >= 0 && m_main.length < 16 && mode != 1) {
      mode = 3;
      m_main.length = 0;
      m_main.pos = 0;
    }
    snprintf(m_name, sizeof m_name, "%s", name);
  }
  m_fileNamePart = m_name;
  for (const char* p = m_name; *p; p++)
    if (PathIsSep(*p) || *p == ':') m_fileNamePart = p + 1;
  m_mode = mode;
  SetOptions(modeAndFlags & 0xFFF0);
  ZipErrorCode rc = ReadDirectory(directoryArgument);
  if (rc) {
    CloseFiles();
    m_error = rc;
  }
  return rc;
}

ZipErrorCode CArchiveFile::OpenDisk(const char* name, int mode) {
  char full[ARCHIVE_NAME_SIZE];
  if (FioFullPath(full, sizeof full, name) < 0 || strlen(full) >= 256) return ZIPERR_PATH;
  snprintf(m_name, sizeof m_name, "%s", full);
  if (mode >= 2) {
    m_main.lock = FioOpen(full, FIO_READ);
    if (m_main.lock == FIO_INVALID) {
      // missing, or open elsewhere (then it must not pass for missing)
      FileFindData there;
      if (FileGetFindDataA(full, &there) == 0) {
        if (NotifyEnabled(ZIPN_OPEN) && Notify(ZIPN_OPEN, -1)) return ZIPERR_ABORT;
        return mode == 3 ? ZIPERR_CREATE : ZIPERR_OPEN;
      }
      mode = 3;
    } else {
      // A change that could never be committed is refused now, not after
      // the caller has been told that every add went well.
      FileFindData there;
      if (FileGetFindDataA(full, &there) == 0 && !(there.attributes & FFD_WRITABLE)) {
        FioClose(m_main.lock);
        m_main.lock = FIO_INVALID;
        if (NotifyEnabled(ZIPN_OPEN) && Notify(ZIPN_OPEN, -1)) return ZIPERR_ABORT;
        return mode == 3 ? ZIPERR_CREATE : ZIPERR_OPEN;
      }
    }
  }
  if (mode == 1) {
    m_main.file = FioOpen(full, FIO_READ | FIO_SHARE_READ);
  } else {
    // Work on a copy beside the archive; the archive itself changes only
    // when the copy is complete.
    char folder[ARCHIVE_NAME_SIZE];
    FolderOf(full, folder, sizeof folder);
    if (FioMakeTempFile(m_main.workPath, sizeof m_main.workPath, folder[0] ? folder : ".",
                        "AF_") < 0) {
      m_main.workPath[0] = 0;
    } else {
      m_main.file = FioOpen(m_main.workPath, FIO_RW);
      if (m_main.file != FIO_INVALID && mode == 2) {
        FioHandle src = m_main.lock;
        bool ok = src != FIO_INVALID && FioSeek(src, 0, FIO_BEGIN) == 0;
        static const size_t kChunk = 1 << 20;
        uint8_t* buf = ok ? (uint8_t*)malloc(kChunk) : nullptr;
        ok = ok && buf;
        while (ok) {
          ptrdiff_t got = FioRead(src, buf, kChunk);
          if (got <= 0) {
            ok = got == 0;
            break;
          }
          ok = FioWrite(m_main.file, buf, (size_t)got) == got;
        }
        free(buf);
        if (!ok) {
          FioClose(m_main.file);
          m_main.file = FIO_INVALID;
        } else {
          FioSeek(m_main.file, 0, FIO_BEGIN);
        }
      }
      if (m_main.file == FIO_INVALID) {
        FioDelete(m_main.workPath);
        m_main.workPath[0] = 0;
      }
    }
  }
  if (m_main.file == FIO_INVALID) {
    if (m_main.lock != FIO_INVALID) {
      FioClose(m_main.lock);
      m_main.lock = FIO_INVALID;
    }
    if (NotifyEnabled(ZIPN_OPEN) && Notify(ZIPN_OPEN, -1)) return ZIPERR_ABORT;
    return mode == 3 ? ZIPERR_CREATE : ZIPERR_OPEN;
  }
  m_main.fileSize = FioSize(m_main.file);
  m_mode = mode;
  return 0;
}

ZipErrorCode CArchiveFile::OpenMemory(void* block, int32_t size, int32_t length, uint32_t flags) {
  m_error = 0;
  if (!block || size < 1) return Fail(ZIPERR_NOT_FOUND, -1);
  CloseFiles();
  FreeChannel(m_main);
  int mode;
  if (block == (void*)(intptr_t)1) {
    uint32_t cap = (uint32_t)(length > 0x40000 ? length : 0x40000);
    m_main.owned = (uint8_t*)malloc(cap);
    if (!m_main.owned) return Fail(ZIPERR_MEMORY, -1);
    m_main.block = m_main.owned;
    m_main.size = cap;
    m_main.limit = (uint32_t)size;
    m_main.length = 0;
    mode = 3;
  } else {
    if (length > size) length = size;
    mode = length < 0 ? 1 : length > 0 ? 2 : 3;
    if (mode == 1) {
      m_main.block = (uint8_t*)block;
    } else {
      // changes go to a copy: a failed commit leaves the caller's block whole
      m_main.owned = (uint8_t*)malloc((size_t)size);
      if (!m_main.owned) return Fail(ZIPERR_MEMORY, -1);
      memcpy(m_main.owned, block, (size_t)length);
      m_main.block = m_main.owned;
      m_main.caller = (uint8_t*)block;
      m_lastLength = (uint32_t)length;
    }
    m_main.size = (uint32_t)size;
    m_main.limit = (uint32_t)size;
    m_main.length = length < 0 ? -1 : length;
  }
  m_main.pos = 0;
  char name[64];
  int n = snprintf(name, sizeof name, "mem:\\\\%08X-%u",
                   (unsigned)(uintptr_t)(m_main.caller ? m_main.caller : m_main.block),
                   (unsigned)size);
  if (mode != 1) snprintf(name + n, sizeof name - n, "\\%i", (int)m_main.length);
  m_internalOpen = true;
  return Open(name, (flags & 0xFFF0) | (uint32_t)mode | 0x12340008u, 9);
}

ZipErrorCode CArchiveFile::OpenResource(const char* name, const char* type, uint32_t flags) {
  m_error = 0;
  CloseFiles();
  FreeChannel(m_main);
#ifdef _WIN32
  static const char* const kTypes[] = {"CURSOR", "BITMAP", "ICON", "HTML"};
  static const int kIds[] = {1, 2, 3, 23};
  if (!type) type = "DATA";
  LPCSTR typeArg = type;
  unsigned typeNum = (unsigned)strtoul(type, nullptr, 10);
  for (int i = 0; i < 4; i++)
    if (!_stricmp(type, kTypes[i])) typeNum = (unsigned)kIds[i];
  if (typeNum) typeArg = MAKEINTRESOURCEA(typeNum);
  unsigned nameNum = name ? (unsigned)strtoul(name, nullptr, 10) : 0;
  LPCSTR nameArg = nameNum ? MAKEINTRESOURCEA(nameNum) : name;
  HRSRC res = name ? FindResourceA(nullptr, nameArg, typeArg) : nullptr;
  HGLOBAL loaded = res ? LoadResource(nullptr, res) : nullptr;
  void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD bytes = res ? SizeofResource(nullptr, res) : 0;
  if (!data || !bytes) return Fail(ZIPERR_NOT_FOUND, -1);
  m_main.block = (uint8_t*)data;
  m_main.size = bytes;
  m_main.length = -1;
  m_main.resource = loaded;
  char full[ARCHIVE_NAME_SIZE];
  int n = typeNum ? snprintf(full, sizeof full, "res:\\\\%u-", typeNum)
                  : snprintf(full, sizeof full, "res:\\\\%s-", type);
  if (nameNum)
    snprintf(full + n, sizeof full - n, "%u", nameNum);
  else
    snprintf(full + n, sizeof full - n, "%s", name);
  m_internalOpen = true;
  return Open(full, (flags & 0xFFF0) | 0x12340009u, 9);
#else
  (void)name;
  (void)type;
  (void)flags;
  return Fail(ZIPERR_NOT_FOUND, -1);
#endif
}

void CArchiveFile::FreeChannel(ArchiveChannel& c) {
  if (c.file != FIO_INVALID || c.lock != FIO_INVALID) CloseChannel(c);
  free(c.owned);
  memset(&c, 0, sizeof c);
  c.file = FIO_INVALID;
  c.lock = FIO_INVALID;
  c.length = -1;
}

void CArchiveFile::CloseChannel(ArchiveChannel& c) {
  if (c.file != FIO_INVALID) {
    FioClose(c.file);
    c.file = FIO_INVALID;
  }
  if (c.lock != FIO_INVALID) {
    FioClose(c.lock);
    c.lock = FIO_INVALID;
  }
  // A work copy still here was never committed (the archive stays as it
  // was); a spill file has served its purpose.
  if (c.workPath[0]) {
    FioDelete(c.workPath);
    c.workPath[0] = 0;
  }
  c.resource = nullptr;
  if (c.caller) {
    // the copy of a caller's block: what was committed is in the block
    free(c.owned);
    c.owned = nullptr;
    c.caller = nullptr;
  }
  if (!c.owned && c.block) {
    // caller's block or resource: forget it
    c.block = nullptr;
    c.size = 0;
    c.length = -1;
  }
  c.pos = 0;
  c.fileSize = 0;
}

uint32_t CArchiveFile::MemoryDataLength() const {
  if (!IsMemory() || !m_main.block) return 0;
  return m_main.length < 0 ? m_main.size : (uint32_t)m_main.length;
}

void CArchiveFile::CloseFiles() {
  // the work copy of a caller's block counts only once it was committed
  if (m_mode != 0 && !m_main.caller) m_lastLength = MemoryDataLength();
  CloseChannel(m_main);
  if (m_secondInUse) {
    FreeChannel(m_second);
    m_secondInUse = false;
    m_secondMode = 0;
  }
  m_mode = 0;
}

ZipErrorCode CArchiveFile::CommitWorkFile() {
  if (m_main.caller) {
    // the copy fits the caller's block: it can never grow beyond it
    uint32_t length = m_main.length > 0 ? (uint32_t)m_main.length : 0;
    memcpy(m_main.caller, m_main.owned, length);
    m_lastLength = length;
    return 0;
  }
  if (m_main.file == FIO_INVALID || !m_main.workPath[0]) return 0;
  if (!FioFlush(m_main.file)) return ZIPERR_WRITE;
  bool closed = FioClose(m_main.file) != 0;
  m_main.file = FIO_INVALID;
  // the original cannot be replaced while we hold it
  if (m_main.lock != FIO_INVALID) {
    FioClose(m_main.lock);
    m_main.lock = FIO_INVALID;
  }
  if (!closed || !FioReplace(m_main.workPath, m_name)) {
    FioDelete(m_main.workPath);
    m_main.workPath[0] = 0;
    return ZIPERR_WRITE;
  }
  m_main.workPath[0] = 0;
  return 0;
}

ZipErrorCode CArchiveFile::ChangeMode(int32_t newMode, int commitFirst) {
  if (m_mode < 1 || m_mode > 3) return ZIPERR_NOT_OPEN;
  if (newMode == 1 && m_mode >= 2) {
    if (commitFirst) {
      ZipErrorCode rc = Commit();
      if (rc) return rc;
    }
    if (!IsMemory()) {
      int64_t pos = ChanPosition();
      ZipErrorCode rc = CommitWorkFile();
      if (rc) return rc;
      m_main.file = FioOpen(m_name, FIO_READ | FIO_SHARE_READ);
      if (m_main.file == FIO_INVALID) return ZIPERR_OPEN;
      m_main.fileSize = FioSize(m_main.file);
      FioSeek(m_main.file, pos < 0 ? 0 : pos, FIO_BEGIN);
    } else {
      ZipErrorCode rc = CommitWorkFile();
      if (rc) return rc;
      m_main.pos = 0;
    }
    m_mode = 1;
    return 0;
  }
  if (newMode == 2 && m_mode == 1) {
    if (!m_writeAllowed) return ZIPERR_UNSUPPORTED;
    if (!IsMemory()) {
      FioClose(m_main.file);
      m_main.file = FIO_INVALID;
      char name[ARCHIVE_NAME_SIZE];
      snprintf(name, sizeof name, "%s", m_name);
      ZipErrorCode rc = OpenDisk(name, 2);
      if (rc) {
        // back to reading what is there
        m_main.file = FioOpen(m_name, FIO_READ | FIO_SHARE_READ);
        return rc == ZIPERR_CREATE ? ZIPERR_OPEN : rc;
      }
      return 0;
    }
    if (m_main.length < 0) return ZIPERR_SOURCE_OPEN;
    m_main.pos = 0;
    m_mode = 2;
    return 0;
  }
  return ZIPERR_MODE;
}

uint32_t CArchiveFile::GetMemoryBlock(void** blockOut, int detach) {
  if (m_mode != 0) return MemoryDataLength();
  uint32_t length = m_lastLength;
  if (blockOut && m_main.owned) {
    *blockOut = m_main.owned;
    if (detach) {
      m_main.owned = m_main.block = nullptr;
      m_main.size = 0;
      m_main.length = -1;
      m_main.pos = 0;
    }
  }
  return length;
}
