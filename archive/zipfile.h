// ZIP archives (ZIP64 included) on the archive base: directory, entries,
// adding, extracting, testing, deleting and committing.
#pragma once
#include <stdint.h>

#include <vector>

#include "archive/archivefile.h"
#include "archive/zipentry.h"

class CZipCodec;

// Where an entry lies in the file: local header, data and descriptor.
struct ZipSpan {
  ZipEntry* e;
  uint64_t from, length;
};

// Names with these extensions are stored without compression:
// zip;zoo;arc;lzh;arj;gz;cab;bz2;tgz;rar;rpm;gzip;7z;k
bool ZipIsStoredName(const char* name);
struct ZipAesContext;

class CZipFile : public CArchiveFile {
 public:
  CZipFile();
  ~CZipFile() override;

  // --------------------------------------------- CArchiveFile operations
  ZipErrorCode AddFolderEntry(const char* name) override;
  ZipErrorCode AddEntry(const char* name, void* source, ZipReadFunc read,
                        const FileFindData* info) override;
  ZipErrorCode TestEntry(int32_t index) override;
  ZipErrorCode ExtractEntry(int32_t index, void* sink, ZipWriteFunc write,
                            FileFindData* info) override;
  ZipErrorCode SetMode(int32_t mode) override;
  ZipErrorCode Commit() override;
  ZipErrorCode Close() override;
  int32_t GetEntryCount() override { return m_count; }
  void Reset() override;
  uint32_t GetEntryFlags(int32_t index) override;
  const char* GetEntryName(int32_t index) override;
  int32_t Sort(uint32_t flags) override;
  int32_t SetEntryBad(int32_t index, int32_t value) override;
  int32_t IsEntryReadOnly(int32_t index) override;
  int32_t IsEntryBad(int32_t index) override;
  int32_t IsEntryDeleted(int32_t index) override;
  int32_t IsEntryDirectory(int32_t index) override;
  int32_t GetEntryMark(int32_t index) override;
  uint64_t GetEntrySize(int32_t index, int32_t which) override;
  ZipErrorCode DeleteEntry(int32_t index) override;
  int32_t FindEntry(const char* name) override;
  int32_t GetEntryTime(int32_t index, int32_t which) override;
  int32_t GetEntryModified(int32_t index) override { return GetEntryTime(index, 0); }
  uint64_t GetProgress(uint64_t* total) override;
  uint32_t GetEntryUserData(int32_t index) override;
  void SetEntryUserData(int32_t index, uint32_t value) override;
  int32_t BeginProgress(int32_t how) override;
  int32_t SetEntryMark(int32_t index, int32_t value) override;
  ZipErrorCode ReadDirectory(intptr_t argument) override;

  // ------------------------------------------------ convenience forms
  ZipErrorCode ExtractToFile(int32_t index, const char* path);
  ZipErrorCode ExtractAll(const char* folder, int32_t* failures);
  ZipErrorCode ExtractToMemory(int32_t index, void* block, uint32_t size, FileFindData* info);
  ZipErrorCode AddFromMemory(const char* name, const void* block, uint32_t size,
                             const FileFindData* info);
  ZipErrorCode AddFileAs(const char* diskPath, const char* archiveName);
  ZipErrorCode AddFile(const char* diskPath);
  int32_t AddFolder(const char* folder, const char* include, const char* exclude,
                    const char* prefix);

  // 0 ok, 1 not supported, 2 out of memory.
  int SelectCodec(int method, const ZipEntry* entry, bool compressing);
  ZipErrorCode WriteDirectory();
  const char* GetComment() const { return m_comment; }
  const ZipEntry* GetEntry(int32_t index) const {
    return index >= 0 && index < m_count ? m_entries[index] : nullptr;
  }

 protected:
  // table
  int32_t NewEntry();
  void RemoveEntry(int32_t index);
  void ClearEntries();
  ZipEntry* Entry(int32_t index) { return index >= 0 && index < m_count ? m_entries[index] : nullptr; }
  void MarkDeleted(int32_t index);
  void ReportAndReset(ZipErrorCode code);
  // Stores and reports a code; -1 when the callback answers the report.
  ZipErrorCode FailAsk(ZipErrorCode code);
  void ForgetReplaced(ZipEntry* gone);
  // Where an entry stands now (hint: where it stood); -1 when gone.
  int32_t IndexOf(const ZipEntry* e, int32_t hint) const;
  void Undelete(ZipEntry* e);

  // directory (zipdir.cpp)
  int64_t FindEndRecord(int64_t before);
  void ShiftForStub(uint64_t found, uint64_t declared);
  void ReadCentralHeaders(uint64_t start, uint64_t end);
  void VerifyLocalHeader(ZipEntry* e);
  void WriteLocalHeader(ZipEntry* e);

  // operations (zipadd.cpp, zipextract.cpp, zipcommit.cpp)
  // Method and level of new entry data from the defaults: stored on
  // request (packed formats, the store bit) and for empty data, automatic
  // as deflate at level 9.
  void ChooseMethod(bool store, uint64_t size, int* method, int* level) const;
  // Writes the data at the directory start; the entry records the method
  // the data came out in (a copy is stored, whatever was asked).
  ZipErrorCode WriteEntryData(int32_t index, void* source, ZipReadFunc read, int method,
                              int level);
  // AddEntry; retryFollows: grown data (31) are left unreported, the caller
  // stores them again.
  ZipErrorCode AddEntryData(const char* name, void* source, ZipReadFunc read,
                            const FileFindData* info, bool retryFollows);
  // replaces: an entry of the name exists and is to be replaced.
  ZipErrorCode AddFileWithRetry(const char* diskPath, FileFindData* info, bool replaces);
  void CompressPending(int32_t index);
  void CheckDirectoryRoom(uint64_t end);
  uint64_t KeptSpans(std::vector<ZipSpan>& spans);
  void CompactDeleted(uint64_t moveBudget);
  void ExtractCore(int32_t index, void* sink, ZipWriteFunc write, bool test);
  void InitDecryption(ZipEntry* e);
  ZipErrorCode ExtractToFileCore(int32_t index, const char* path);

  CZipCodec* m_codec;
  int m_codecFamily;
  bool m_dirDirty;
  uint64_t m_dirEnd;
  uint64_t m_dirStart;
  ZipEntry** m_entries;
  int32_t m_capacity;
  int32_t m_count;
  int32_t m_live;
  char* m_comment;
  uint8_t* m_rawComment;  // the comment's bytes as read
  uint16_t m_rawCommentLength;
  ZipAesContext* m_aes;
  uint64_t m_progressDone;
  uint64_t m_progressTotal;
  int32_t m_progressState;
  uint32_t m_keys[3];
};
