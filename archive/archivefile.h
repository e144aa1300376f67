// Abstract archive over a disk file, a memory block or a read-only program
// resource: storage primitives, open modes, defaults, options, password,
// error code with its German text and the notification callback. The
// format itself lives in the derived class (CZipFile).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "archive/ziperror.h"
#include "files/fileio.h"

class CArchiveFile;
struct FileFindData;

// (user value, code, entry index or -1, archive, text or null) -> 0 yes/go
// on, non-zero no/stop/skip.
typedef uint32_t (*ZipNotifyCallback)(uint32_t user, int32_t code, int32_t entry,
                                      CArchiveFile* archive, const char* text);
// Read: (source, buffer, size) -> bytes read, 0 at the end, negative on error.
// Write: (sink, data, size) -> non-negative on success; called once more
// with (sink, null, 0) at the end.
typedef int (*ZipReadFunc)(void* source, void* buffer, int size);
typedef int (*ZipWriteFunc)(void* sink, void* data, int size);

// Read function value that asks for compression at commit from a disk file.
#define ZIP_DEFERRED_READ ((ZipReadFunc)(intptr_t)1)

#include "archive/zipnumbers.h"


#define ARCHIVE_NAME_SIZE 260
#define ARCHIVE_ERROR_TEXT_SIZE 516
#define ARCHIVE_NOTIFY_TEXT_SIZE 776

// One storage channel: a disk file or a memory block (a resource is a fixed
// block).
struct ArchiveChannel {
  uint8_t* owned;    // block allocated by the object
  uint8_t* block;
  uint32_t size;     // block size
  uint32_t pos;
  int32_t length;    // data length; -1: the whole block (fixed data)
  uint32_t limit;    // growth limit of an owned block
  const void* resource;
  FioHandle file;
  int64_t fileSize;
  // A disk archive opened for writing works on a temporary copy beside it
  // and replaces the original only when a commit has succeeded; a spilled
  // block lives in a temporary file of this name too.
  char workPath[ARCHIVE_NAME_SIZE + 16];
  // the original, held unshared while its copy is worked on, so that a
  // second writer cannot replace it behind our back
  FioHandle lock;
  // A caller's block opened for writing is worked on in a copy (owned) that
  // goes back into it only when a commit has succeeded.
  uint8_t* caller;
};

class CArchiveFile {
 public:
  CArchiveFile();
  virtual ~CArchiveFile();
  CArchiveFile(const CArchiveFile&) = delete;
  CArchiveFile& operator=(const CArchiveFile&) = delete;

  // ------------------------------------------------ virtual operations
  virtual int SetPassword(const char* password);
  virtual ZipErrorCode AddFolderEntry(const char* name);
  virtual ZipErrorCode AddEntry(const char* name, void* source, ZipReadFunc read,
                                const FileFindData* info);
  virtual ZipErrorCode TestEntry(int32_t index);
  virtual ZipErrorCode ExtractEntry(int32_t index, void* sink, ZipWriteFunc write,
                                    FileFindData* info) = 0;
  virtual ZipErrorCode SetMode(int32_t mode);
  virtual ZipErrorCode Commit();
  virtual ZipErrorCode Close() = 0;
  virtual int32_t GetEntryCount() = 0;
  virtual void Reset() = 0;
  virtual uint32_t GetEntryFlags(int32_t index) = 0;
  virtual const char* GetEntryName(int32_t index) = 0;
  virtual const char* GetEntryNameLength(int32_t index, int32_t* length);
  virtual int32_t Sort(uint32_t flags) = 0;
  virtual int32_t SetEntryBad(int32_t index, int32_t value);
  virtual int32_t IsEntryReadOnly(int32_t index);
  virtual int32_t IsEntryBad(int32_t index) = 0;
  virtual int32_t IsEntryDeleted(int32_t index);
  virtual int32_t IsEntryDirectory(int32_t index) = 0;
  virtual int32_t GetEntryMark(int32_t index) = 0;
  virtual uint64_t GetEntrySize(int32_t index, int32_t which) = 0;
  virtual ZipErrorCode DeleteEntry(int32_t index);
  virtual int32_t FindEntry(const char* name) = 0;
  virtual int32_t GetEntryTime(int32_t index, int32_t which) = 0;
  virtual int32_t GetEntryModified(int32_t index) = 0;
  virtual uint64_t GetProgress(uint64_t* total) = 0;
  virtual int32_t GetEntryUnixMode(int32_t index);
  virtual uint32_t GetEntryUserData(int32_t index) = 0;
  virtual void SetEntryUserData(int32_t index, uint32_t value) = 0;
  virtual int32_t BeginProgress(int32_t how) = 0;
  virtual int32_t SetEntryMark(int32_t index, int32_t value);
  virtual ZipErrorCode ReadDirectory(intptr_t argument) = 0;

  // ------------------------------------------------------- opening
  // modeAndFlags: low four bits the mode (1 read, 2 update, 3 new), bits
  // 4..15 options.
  ZipErrorCode Open(const char* name, uint32_t modeAndFlags, intptr_t directoryArgument = 0);
  // block 1 (with size the growth limit) asks for an owned, growing block.
  ZipErrorCode OpenMemory(void* block, int32_t size, int32_t length, uint32_t flags);
  ZipErrorCode OpenResource(const char* name, const char* type, uint32_t flags);
  void CloseFiles();
  ZipErrorCode ChangeMode(int32_t newMode, int commitFirst);
  // Size of the memory archive's data; when closed and the object owns a
  // block, hands it out (detach: the caller owns it from then on).
  uint32_t GetMemoryBlock(void** blockOut, int detach);

  // ------------------------------------------------------- defaults
  int32_t SetLevel(int32_t level);
  int32_t SetMethod(int32_t method);
  uint32_t SetOptions(uint32_t flags);
  static void SetTempFolder(const char* path);
  void SetRetryStored(bool on) { m_retryStored = on; }
  void SetDeferCompression(bool on) { m_deferCompression = on; }
  int32_t GetMode() const { return m_mode; }
  const char* GetArchiveName() const { return m_name; }

  // ------------------------------------------ errors and notifications
  uint32_t SetCallback(uint32_t userValue, ZipNotifyCallback callback);
  uint32_t Notify(int32_t code, int32_t entry);
  uint32_t SetSilentCodes(uint32_t value, int how);
  uint32_t EnableNotify(uint32_t value, int isMask);
  uint32_t DisableNotify(uint32_t value, int isMask);
  bool NotifyEnabled(int32_t code) const {
    return m_callback && code >= 0 && code < 32 && (m_enabledMask >> code) & 1;
  }
  ZipErrorCode GetError() const { return m_error; }
  const char* GetErrorText();
  // Lengths of the last notification's prefix, name and suffix.
  const uint32_t* GetLastNotifyLengths() const { return m_lastLengths; }

 protected:
  // Channel primitives of the main channel; failures throw (11 read, 14
  // write) as the throw flags say.
  int64_t ChanRead(void* buffer, int64_t n);
  int64_t ChanWrite(const void* data, int64_t n);
  int64_t ChanSeek(int64_t offset, int origin);
  int64_t ChanPosition();
  int64_t ChanSize();
  void ChanTruncate();
  // How far the main channel can grow: a block's limit, else unbounded.
  uint64_t ChanCapacity() const;
  void TruncateChannel(int channel);

  // The second channel: the main channel's state moved aside while a new
  // main channel (memory, or a temporary file past the limit) is written.
  ZipErrorCode MoveToSecondChannel();
  ZipErrorCode CreateOutputChannel(uint32_t size, uint32_t limit, char* nameBuffer, uint32_t spill);
  int64_t Chan2Read(void* buffer, int64_t n);
  int64_t Chan2Write(const void* data, int64_t n);
  int64_t Chan2Seek(int64_t offset, int origin);
  int64_t Chan2Position();
  int64_t Chan2Size();
  void Chan2Truncate();
  ZipErrorCode ChangeMode2(int32_t newMode);
  bool IsMemory() const { return m_main.file == FIO_INVALID; }
  bool HasStorage() const { return m_main.file != FIO_INVALID || m_main.block; }
  // A fixed (resource or caller's read-only) block cannot grow or change.
  bool IsFixedBlock() const { return !IsMemory() ? false : m_main.length < 0; }
  // Flushes the work copy of a disk archive onto the archive itself.
  // Returns 0, or the code of the failure (the original is then unchanged).
  ZipErrorCode CommitWorkFile();

  [[noreturn]] static void Throw(ZipErrorCode code);
  // Stores a code, reports it through code 10 and returns it.
  ZipErrorCode Fail(ZipErrorCode code, int32_t entry);
  // Copies the name: entries and callers' paths can be gone by the time
  // the text is read.
  void SetCurrentEntryName(const char* name);

  int32_t m_mode;
  uint32_t m_options;
  int32_t m_method;
  int32_t m_level;
  uint32_t m_sortState;
  bool m_retryStored;
  bool m_deferCompression;
  bool m_writeAllowed;
  bool m_throwOnRead;
  bool m_throwOnWrite;
  ArchiveChannel m_main;
  ArchiveChannel m_second;
  int32_t m_secondMode;
  bool m_secondInUse;
  uint32_t m_spillAllowed;
  char* m_spillName;  // caller's buffer (ARCHIVE_NAME_SIZE) for a spill file's name
  uint32_t m_userValue;
  uint32_t m_silentMask;
  uint32_t m_enabledMask;
  ZipNotifyCallback m_callback;
  uint32_t m_lastLengths[3];
  char m_name[ARCHIVE_NAME_SIZE];
  const char* m_fileNamePart;
  char* m_errorText;
  char m_entryName[ARCHIVE_ERROR_TEXT_SIZE];  // current entry name for error texts
  const char* m_addName;    // name of the entry being added
  ZipErrorCode m_error;
  char* m_password;
  // data size of the last memory archive (what a caller's block holds)
  uint32_t m_lastLength;
  // the method that SetLevel(0) replaced by storing (-2 none)
  int32_t m_methodBeforeLevel0;

 private:
  ZipErrorCode OpenDisk(const char* name, int mode);
  ZipErrorCode RefuseWriteMode();
  uint32_t MemoryDataLength() const;
  void FreeChannel(ArchiveChannel& c);
  void CloseChannel(ArchiveChannel& c);
  bool SpillChannel(ArchiveChannel& c);
  int64_t ChannelRead(ArchiveChannel& c, void* buffer, int64_t n);
  int64_t ChannelWrite(ArchiveChannel& c, int32_t mode, const void* data, int64_t n);
  int64_t ChannelSeek(ArchiveChannel& c, int64_t offset, int origin);
  int64_t ChannelPosition(ArchiveChannel& c);
  int64_t ChannelSize(ArchiveChannel& c);
  void ChannelTruncate(ArchiveChannel& c);
  bool m_internalOpen;  // set only by OpenMemory/OpenResource around Open
};

// Folder for temporary files (empty: the system's).
const char* ArchiveTempFolder();
