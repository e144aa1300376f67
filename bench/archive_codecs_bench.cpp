// The ZIP codecs against the reference command-line tools on one corpus:
// deflate against gzip, bzip2 against bzip2, LZMA and XZ decoding against
// xz, PPMd against 7-Zip with the same order and memory. Ours run from
// memory into a discarding sink; the tools read the corpus file and write
// to /dev/null (under Wine they run on the host through "start /unix").
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "archive/zipcodec.h"
#include "bench/benchlib.h"
#include "files/fileio.h"

namespace {

std::string g_work;      // this program's work folder, as the program sees it
std::string g_unixWork;  // the same for the host's tools
std::vector<uint8_t> g_corpus;

int Discard(void*, void*, int n) { return n; }

std::vector<uint8_t> MakeCorpus() {
  orvbench::Random rnd;
  static const char* const words[] = {"karte", "quiz", "ort", "spieler", "stern", "zeit", "M\xfcnchen",
                                      "Z\xfcrich", "lat", "lon", "\n"};
  std::vector<uint8_t> c;
  while (c.size() < (3u << 20)) {
    unsigned kind = rnd.Next() % 10;
    if (kind < 6) {
      for (int i = 0; i < 40; i++) {
        const char* w = words[rnd.Next() % 11];
        c.insert(c.end(), w, w + strlen(w));
        c.push_back(' ');
      }
    } else if (kind < 9) {
      char line[96];
      int n = snprintf(line, sizeof line, "%llu;%.6f;%.6f;%u\n", (unsigned long long)(rnd.Next() % 100000),
                       rnd.Uniform(-180, 180), rnd.Uniform(-90, 90), (unsigned)(rnd.Next() % 4000));
      c.insert(c.end(), line, line + n);
    } else {
      for (int i = 0; i < 200; i++) c.push_back((uint8_t)rnd.Next());
    }
  }
  return c;
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& data) {
  FioHandle h = FioOpen(path.c_str(), FIO_WRITE | FIO_CREATE);
  if (h == FIO_INVALID) return false;
  bool ok = FioWrite(h, data.data(), data.size()) == (ptrdiff_t)data.size();
  return FioClose(h) && ok;
}

bool ReadAll(const std::string& path, std::vector<uint8_t>& data) {
  FioHandle h = FioOpen(path.c_str(), FIO_READ);
  if (h == FIO_INVALID) return false;
  int64_t size = FioSize(h);
  data.resize(size > 0 ? (size_t)size : 0);
  bool ok = size >= 0 && FioRead(h, data.data(), data.size()) == (ptrdiff_t)data.size();
  FioClose(h);
  return ok;
}

// Runs a shell command line on the host; true on exit code 0. Under Wine
// "start /unix" does not wait for the host process: the script leaves its
// exit code in a file, which is waited for.
bool Host(const std::string& line) {
  std::string script = g_work + "ref.sh";
  std::string done = g_work + "ref.done";
  std::string body = line + "\necho $? > " + g_unixWork + "ref.tmp && mv " + g_unixWork + "ref.tmp " + g_unixWork +
                     "ref.done\n";
  FioDelete(done.c_str());
  if (!WriteAll(script, std::vector<uint8_t>(body.begin(), body.end()))) return false;
#ifdef _WIN32
  std::string cmd = "start /unix /bin/sh " + g_unixWork + "ref.sh";
#else
  std::string cmd = "/bin/sh '" + script + "'";
#endif
  if (system(cmd.c_str()) != 0) return false;
  for (int waited = 0; waited < 600000; ++waited) {
    std::vector<uint8_t> rc;
    if (ReadAll(done, rc) && !rc.empty()) return rc[0] == '0';
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

// n runs of a host command (the command is written once per call).
struct Tool {
  std::string line;
  bool ok = true;
  double operator()(long n) {
    double sum = 0;
    for (long i = 0; i < n; i++) {
      bool r = Host(line);
      ok = ok && r;
      sum += r;
    }
    return sum;
  }
};

// n runs of a codec over a memory block.
struct Ours {
  int method;  // 8 deflate, 12 bzip2, 14 LZMA (stand-alone header), 95 XZ, 98 PPMd
  bool compress;
  int level;
  const std::vector<uint8_t>* input;
  double operator()(long n) {
    double sum = 0;
    for (long i = 0; i < n; i++) {
      CZipCodec* c;
      switch (method) {
        case 8: c = new CZipDeflateCodec; break;
        case 12: c = new CZipBzip2Codec; break;
        case 14: c = new CZipLzmaCodec; c->SetMode(6); break;
        case 95: c = new CZipXzCodec; break;
        default: c = new CZipPpmdCodec; c->SetMode(1); break;
      }
      c->SetInputMemory((uint32_t)input->size(), input->data(), 0, nullptr);
      c->SetOutputCallback(nullptr, Discard, 0);
      try {
        sum += compress ? (double)c->Compress(level) : (double)c->Decompress(-2);
      } catch (const ZipCodecError& e) {
        printf("codec failure: %s\n", e.text);
        exit(1);
      }
      delete c;
    }
    return sum;
  }
};

std::vector<uint8_t> Encode(int method, int level) {
  std::vector<uint8_t> out;
  CZipCodec* c = method == 8 ? (CZipCodec*)new CZipDeflateCodec : (CZipCodec*)new CZipPpmdCodec;
  if (method == 98) c->SetMode(1);
  c->SetInputMemory((uint32_t)g_corpus.size(), g_corpus.data(), 0, nullptr);
  c->SetOutputCallback(&out, [](void* ctx, void* p, int n) {
    if (p) static_cast<std::vector<uint8_t>*>(ctx)->insert(static_cast<std::vector<uint8_t>*>(ctx)->end(),
                                                          (uint8_t*)p, (uint8_t*)p + n);
    return n;
  }, 0);
  c->Compress(level);
  delete c;
  return out;
}

void Compare(const char* name, const char* ourLabel, Ours ours, const char* toolLabel, const std::string& line) {
  Tool tool{line};
  if (!Host(line)) {
    printf("BENCH %s: skipped, \"%s\" fails here\n", name, toolLabel);
    return;
  }
  orvbench::Compare(name, ourLabel, ours, toolLabel, tool);
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  char full[600];
  if (FioFullPath(full, sizeof full, argv[0]) < 0) return 1;
  g_work = full;
  size_t cut = g_work.find_last_of("\\/");
  g_work = g_work.substr(0, cut == std::string::npos ? 0 : cut + 1);
  g_unixWork = g_work;
#ifdef _WIN32
  // Wine maps Z: to the host's root
  if (g_work.size() < 2 || (g_work[0] != 'Z' && g_work[0] != 'z') || g_work[1] != ':') {
    printf("BENCH codec: skipped, not on Z:\n");
    return 0;
  }
  g_unixWork = g_work.substr(2);
  for (char& ch : g_unixWork)
    if (ch == '\\') ch = '/';
#endif
  g_corpus = MakeCorpus();
  const std::string u = g_unixWork;
  if (!WriteAll(g_work + "codec_corpus", g_corpus) ||
      !Host("cd " + u + " && gzip -6 -c codec_corpus > codec_corpus.gz && bzip2 -9 -c codec_corpus > codec_corpus.bz2"
            " && xz -6 -c codec_corpus > codec_corpus.xz && xz --format=lzma -6 -c codec_corpus > codec_corpus.lzma"
            " && rm -f codec_corpus.zip && 7zz a -tzip -mm=PPMd -mo=12 -mmem=11m codec_corpus.zip codec_corpus"
            " > /dev/null")) {
    printf("BENCH codec: skipped, the reference tools are missing\n");
    return 0;
  }
  static std::vector<uint8_t> deflated = Encode(8, 6), bz2, lzma, xz, ppmd = Encode(98, 4);
  if (!ReadAll(g_work + "codec_corpus.bz2", bz2) || !ReadAll(g_work + "codec_corpus.lzma", lzma) ||
      !ReadAll(g_work + "codec_corpus.xz", xz))
    return 1;
  const std::string in = " " + u + "codec_corpus";
  Compare("codec.deflate6", "CZipDeflateCodec 6", Ours{8, true, 6, &g_corpus}, "gzip -6", "gzip -6 -c" + in + " > /dev/null");
  Compare("codec.deflate9", "CZipDeflateCodec 9", Ours{8, true, 9, &g_corpus}, "gzip -9", "gzip -9 -c" + in + " > /dev/null");
  Compare("codec.inflate", "CZipDeflateCodec mode 8", Ours{8, false, 0, &deflated}, "gzip -d",
          "gzip -d -c" + in + ".gz > /dev/null");
  Compare("codec.bzip2", "CZipBzip2Codec 9", Ours{12, true, 9, &g_corpus}, "bzip2 -9", "bzip2 -9 -c" + in + " > /dev/null");
  Compare("codec.bunzip2", "CZipBzip2Codec decode", Ours{12, false, 0, &bz2}, "bzip2 -d",
          "bzip2 -d -c" + in + ".bz2 > /dev/null");
  Compare("codec.lzma.decode", "CZipLzmaCodec decode", Ours{14, false, 0, &lzma}, "xz -d --format=lzma",
          "xz -d --format=lzma -c" + in + ".lzma > /dev/null");
  Compare("codec.xz.decode", "CZipXzCodec decode", Ours{95, false, 0, &xz}, "xz -d", "xz -d -c" + in + ".xz > /dev/null");
  Compare("codec.ppmd", "CZipPpmdCodec 4 (order 12, 11 MiB)", Ours{98, true, 4, &g_corpus}, "7zz PPMd o12 11m",
          "cd " + u + " && rm -f codec_ppmd.zip && 7zz a -tzip -mm=PPMd -mo=12 -mmem=11m codec_ppmd.zip codec_corpus > /dev/null");
  Compare("codec.ppmd.decode", "CZipPpmdCodec decode", Ours{98, false, 0, &ppmd}, "7zz t", "7zz t" + in + ".zip > /dev/null");
  return 0;
}
