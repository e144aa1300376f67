// Command-line driver of the ZIP library for the tool-driven tests: lists,
// extracts, tests, creates and changes archives and prints result codes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "archive/zipfile.h"

namespace {

int Usage() {
  fprintf(stderr,
          "zipcheck list A | tlist A | extract A DIR [pw] | test A [pw] | one A INDEX TARGET [pw]\n"
          "         create A METHOD NAME=PATH|FOLDER/... | update A [-oOPTIONS] NAME=PATH... | delete A NAME...\n"
          "         folder A DIR OPTIONS [include [exclude [prefix]]]\n"
          "         stream A NAME PATH | bulk A COUNT | replace-fail A NAME\n"
          "         orders A|mem:OUT SOURCE direct|deferred SETTINGS...\n");
  return 2;
}

void Password(CZipFile& z, int argc, char** argv, int at) {
  if (argc > at) z.SetPassword(argv[at]);
}

int List(CZipFile& z) {
  for (int32_t i = 0; i < z.GetEntryCount(); i++) {
    const ZipEntry* e = z.GetEntry(i);
    printf("%s\t%llu\t%llu\t%u\t%u\t%d\n", e->name, (unsigned long long)e->uncompressedSize,
           (unsigned long long)e->compressedSize, e->method, (unsigned)z.GetEntryFlags(i),
           z.IsEntryBad(i));
  }
  printf("count %d\n", z.GetEntryCount());
  return 0;
}

// NAME=PATH pairs; a plain PATH keeps its file name.
void Split(const char* arg, std::string& name, std::string& path) {
  const char* eq = strchr(arg, '=');
  if (eq) {
    name.assign(arg, (size_t)(eq - arg));
    path = eq + 1;
  } else {
    path = arg;
    const char* slash = strrchr(arg, '/');
    name = slash ? slash + 1 : arg;
  }
}

struct FileSource {
  FILE* f;
};

int ReadFileSource(void* source, void* buffer, int size) {
  FileSource* s = (FileSource*)source;
  size_t got = fread(buffer, 1, (size_t)size, s->f);
  return ferror(s->f) ? -1 : (int)got;
}

// "l0,m8": SetLevel(0), then SetMethod(8).
void ApplySettings(CZipFile& z, const std::string& settings) {
  for (size_t at = 0; at < settings.size();) {
    size_t end = settings.find(',', at);
    if (end == std::string::npos) end = settings.size();
    int value = atoi(settings.c_str() + at + 1);
    if (settings[at] == 'l') z.SetLevel(value);
    if (settings[at] == 'm') z.SetMethod(value);
    at = end + 1;
  }
}

// Per SETTINGS the archive (a disk file, or a caller's block written to
// OUT at the end) is opened for update, set in that order, given the source
// as SETTINGS.file (deferred or not) and, when direct, from memory and from
// a read callback too, and closed.
int Orders(int argc, char** argv) {
  if (argc < 6) return Usage();
  std::string target = argv[2];
  bool memory = target.compare(0, 4, "mem:") == 0;
  bool deferred = strcmp(argv[4], "deferred") == 0;
  std::vector<char> block(memory ? 1 << 22 : 0);
  uint32_t length = 0;
  std::string data;
  if (FILE* f = fopen(argv[3], "rb")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) data.append(buf, n);
    fclose(f);
  }
  int failures = 0;
  for (int i = 5; i < argc; i++) {
    CZipFile z;
    z.SetDeferCompression(deferred);
    ZipErrorCode rc = memory ? z.OpenMemory(block.data(), (int32_t)block.size(), (int32_t)length, 0)
                             : z.Open(argv[2], ZIP_OPEN_UPDATE);
    ApplySettings(z, argv[i]);
    std::string name = argv[i];
    for (char& c : name)
      if (c == ',') c = '_';
    int adds[3] = {z.AddFileAs(argv[3], (name + ".file").c_str()), 0, 0};
    if (!deferred) {
      adds[1] = z.AddFromMemory((name + ".mem").c_str(), data.data(), (uint32_t)data.size(), nullptr);
      FileSource s = {fopen(argv[3], "rb")};
      adds[2] = s.f ? z.AddEntry((name + ".cb").c_str(), &s, ReadFileSource, nullptr) : -1;
      if (s.f) fclose(s.f);
    }
    ZipErrorCode closed = z.Close();
    if (memory) length = z.GetMemoryBlock(nullptr, 0);
    printf("%s open %d add %d %d %d close %d\n", argv[i], rc, adds[0], adds[1], adds[2], closed);
    if (rc || adds[0] || adds[1] || adds[2] || closed) failures++;
  }
  if (memory) {
    FILE* f = fopen(target.c_str() + 4, "wb");
    if (!f || fwrite(block.data(), 1, length, f) != length) failures++;
    if (f) fclose(f);
    printf("length %u\n", length);
  }
  return failures ? 1 : 0;
}

int Fails(int source, int size) { return -1; }
int FailingRead(void*, void*, int size) { return Fails(0, size); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  const char* archive = argv[2];
  if (cmd == "orders") return Orders(argc, argv);
  CZipFile z;
  z.SetRetryStored(true);
  if (cmd == "list" || cmd == "tlist" || cmd == "extract" || cmd == "test" || cmd == "one") {
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_READ | (cmd == "tlist" ? ZIPOPT_TOLERANT : 0));
    printf("open %d\n", rc);
    if (rc) return 1;
    if (cmd == "list" || cmd == "tlist") return List(z);
    if (cmd == "extract") {
      if (argc < 4) return Usage();
      Password(z, argc, argv, 4);
      std::string dir = argv[3];
      if (dir.back() != '/') dir += '/';
      int failures = 0;
      for (int32_t i = 0; i < z.GetEntryCount(); i++) {
        ZipErrorCode r = z.ExtractToFile(i, dir.c_str());
        printf("%d %d %s\n", i, r, z.GetEntryName(i));
        if (r) failures++;
      }
      printf("failures %d\n", failures);
      return failures ? 1 : 0;
    }
    if (cmd == "test") {
      Password(z, argc, argv, 3);
      int failures = 0;
      for (int32_t i = 0; i < z.GetEntryCount(); i++) {
        ZipErrorCode r = z.TestEntry(i);
        printf("%d %d %s\n", i, r, z.GetEntryName(i));
        if (r) failures++;
      }
      printf("failures %d\n", failures);
      return failures ? 1 : 0;
    }
    if (argc < 5) return Usage();
    Password(z, argc, argv, 5);
    ZipErrorCode r = z.ExtractToFile(atoi(argv[3]), argv[4]);
    printf("result %d\n", r);
    return r ? 1 : 0;
  }
  if (cmd == "create" || cmd == "update") {
    int first = 3;
    if (cmd == "create") {
      if (argc < 4) return Usage();
      first = 4;
    }
    ZipErrorCode rc = z.Open(archive, cmd == "create" ? 3 : 2);
    printf("open %d\n", rc);
    if (rc) return 1;
    if (cmd == "create") {
      int method = atoi(argv[3]);
      z.SetMethod(method < 0 ? -1 : method);
      if (method == 0) z.SetLevel(0);
    } else if (argc > 3 && strncmp(argv[3], "-o", 2) == 0) {
      z.SetOptions((uint32_t)strtoul(argv[3] + 2, nullptr, 0));
      first++;
    }
    int failures = 0;
    for (int i = first; i < argc; i++) {
      std::string name, path;
      Split(argv[i], name, path);
      size_t len = strlen(argv[i]);
      // "NAME/" alone is a folder entry
      bool folder = !strchr(argv[i], '=') && len > 1 && argv[i][len - 1] == '/';
      if (folder) name.assign(argv[i], len - 1);
      ZipErrorCode r = folder ? z.AddFolderEntry(name.c_str()) : z.AddFileAs(path.c_str(), name.c_str());
      printf("add %d %s\n", r, name.c_str());
      if (r) failures++;
    }
    rc = z.Close();
    printf("close %d\n", rc);
    return failures || rc ? 1 : 0;
  }
  if (cmd == "delete") {
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_UPDATE);
    printf("open %d\n", rc);
    if (rc) return 1;
    for (int i = 3; i < argc; i++) printf("delete %d\n", z.DeleteEntry(z.FindEntry(argv[i])));
    rc = z.Close();
    printf("close %d\n", rc);
    return rc ? 1 : 0;
  }
  if (cmd == "folder") {
    // folder A DIR OPTIONS [include [exclude [prefix]]]
    if (argc < 5) return Usage();
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_UPDATE);
    printf("open %d\n", rc);
    if (rc) return 1;
    z.SetOptions((uint32_t)strtoul(argv[4], nullptr, 0));
    const char* inc = argc > 5 && *argv[5] ? argv[5] : nullptr;
    const char* exc = argc > 6 && *argv[6] ? argv[6] : nullptr;
    int32_t added = z.AddFolder(argv[3], inc, exc, argc > 7 ? argv[7] : nullptr);
    printf("added %d\n", added);
    rc = z.Close();
    printf("close %d\n", rc);
    return added < 0 || rc ? 1 : 0;
  }
  if (cmd == "stream") {
    if (argc < 5) return Usage();
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_UPDATE);
    printf("open %d\n", rc);
    FileSource s = {fopen(argv[4], "rb")};
    if (!s.f) return 1;
    rc = z.AddEntry(argv[3], &s, ReadFileSource, nullptr);
    fclose(s.f);
    printf("add %d\n", rc);
    ZipErrorCode rc2 = z.Close();
    printf("close %d\n", rc2);
    return rc || rc2 ? 1 : 0;
  }
  if (cmd == "replace-fail") {
    if (argc < 4) return Usage();
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_UPDATE);
    printf("open %d\n", rc);
    rc = z.AddEntry(argv[3], nullptr, FailingRead, nullptr);
    printf("add %d\n", rc);
    ZipErrorCode rc2 = z.Close();
    printf("close %d\n", rc2);
    return rc2 ? 1 : 0;
  }
  if (cmd == "bulk") {
    if (argc < 4) return Usage();
    int count = atoi(argv[3]);
    ZipErrorCode rc = z.Open(archive, ZIP_OPEN_CREATE);
    printf("open %d\n", rc);
    if (rc) return 1;
    z.SetMethod(0);
    z.SetLevel(0);
    z.SetOptions(ZIPOPT_NO_FIND);
    for (int i = 0; i < count; i++) {
      char name[32], data[32];
      snprintf(name, sizeof name, "d%03d/f%06d.txt", i / 1000, i);
      int n = snprintf(data, sizeof data, "entry %d\n", i);
      rc = z.AddFromMemory(name, data, (uint32_t)n, nullptr);
      if (rc) {
        printf("add %d %s\n", rc, name);
        return 1;
      }
    }
    rc = z.Close();
    printf("close %d\n", rc);
    return rc ? 1 : 0;
  }
  return Usage();
}
