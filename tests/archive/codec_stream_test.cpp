// The data stream: sides, limits, CRC, filters, observers, buffered layer.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "archive/zipstream.h"
#include "files/fileio.h"
#include "tests/support/testenv.h"

namespace {

std::vector<uint8_t> Bytes(const char* s) { return std::vector<uint8_t>(s, s + strlen(s)); }

struct Sink {
  std::vector<uint8_t> data;
  int fail_after = -1;  // calls that succeed before -1 comes back
  static int Write(void* ctx, void* p, int n) {
    Sink* s = static_cast<Sink*>(ctx);
    if (s->fail_after == 0) return -1;
    if (s->fail_after > 0) --s->fail_after;
    if (p) s->data.insert(s->data.end(), static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
    return n;
  }
};

struct Source {
  std::vector<uint8_t> data;
  size_t pos = 0;
  int chunk = 1 << 30;  // most bytes per call
  static int Read(void* ctx, void* p, int n) {
    Source* s = static_cast<Source*>(ctx);
    size_t left = s->data.size() - s->pos;
    size_t take = static_cast<size_t>(n < s->chunk ? n : s->chunk);
    if (take > left) take = left;
    if (take) memcpy(p, s->data.data() + s->pos, take);
    s->pos += take;
    return static_cast<int>(take);
  }
};

}  // namespace

TEST(ZipCrc32, CheckValueAndPieces) {
  EXPECT_EQ(0xCBF43926u, ~ZipCrc32(~0u, "123456789", 9));
  uint32_t run = ~0u;
  ZipCrc32Update(&run, "1234", 4);
  ZipCrc32Update(&run, "56789", 5);
  EXPECT_EQ(0xCBF43926u, ~run);
  EXPECT_EQ(0x1234u, ZipCrc32(0x1234u, "x", 0));
  EXPECT_EQ(0x1234u, ZipCrc32(0x1234u, "x", -5));
  EXPECT_EQ(ZipCrc32(7u, "A", 1), ZipCrc32Byte(7u, 'A'));
}

TEST(ZipStream, MemoryInputCrcAndEnd) {
  CZipStream st;
  uint32_t counter = 5;
  st.SetInputMemory(9, "123456789", 0, &counter);
  char buf[16];
  EXPECT_EQ(4, st.ReadInput(buf, 4));
  EXPECT_EQ(5, st.ReadInput(buf, 16));
  EXPECT_EQ(0, st.ReadInput(buf, 16));
  EXPECT_EQ(0xCBF43926u, st.InputCrc());
  EXPECT_EQ(14u, counter);
  EXPECT_EQ(9u, st.InputTotal());
}

TEST(ZipStream, NoCrcSeedLeavesDataAndCrcAlone) {
  CZipStream st;
  const std::vector<uint8_t> in = Bytes("unchanged bytes");
  st.SetInputMemory(static_cast<uint32_t>(in.size()), in.data(), ZIP_NO_CRC, nullptr);
  std::vector<uint8_t> out(in.size());
  EXPECT_EQ(static_cast<int>(in.size()), st.ReadInput(out.data(), static_cast<int>(out.size())));
  EXPECT_EQ(in, out);
  EXPECT_EQ(ZIP_NO_CRC, st.InputCrc());  // the running value never moved
}

TEST(ZipStream, MemoryOutputTakesWhatFits) {
  CZipStream st;
  uint8_t block[10];
  uint32_t counter = 0, high = 0;
  st.SetOutputMemory(sizeof(block), block, 0, &counter);
  st.SetOutputHighWater(&high);
  EXPECT_EQ(10, st.WriteOutput("0123456789ABCDE", 15));
  EXPECT_EQ(10u, counter);
  EXPECT_EQ(10u, high);
  EXPECT_EQ(0, memcmp(block, "0123456789", 10));
  EXPECT_EQ(~ZipCrc32(~0u, "0123456789", 10), st.OutputCrc());
  EXPECT_EQ(0, st.WriteOutput("F", 1));  // full
}

TEST(ZipStream, HandleInputStopsAtItsLimit) {
  std::string dir = orvtest::MakeTempDir("stream_limit");
  std::string path = dir + "/in.bin";
  std::vector<uint8_t> data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  ASSERT_TRUE(orvtest::WriteFile(path, data.data(), data.size()));
  FioHandle h = FioOpen(path.c_str(), FIO_READ);
  ASSERT_NE(FIO_INVALID, h);
  CZipStream st;
  st.SetInputHandle(h, 100, 0);
  uint8_t buf[64];
  int total = 0, n;
  while ((n = st.ReadInput(buf, sizeof(buf))) > 0) total += n;
  EXPECT_EQ(0, n);
  EXPECT_EQ(100, total);
  EXPECT_EQ(~ZipCrc32(~0u, data.data(), 100), st.InputCrc());
  FioClose(h);
}

TEST(ZipStream, BufferedWriteFlushesThroughCallback) {
  CZipStream st;
  Sink sink;
  st.SetOutputCallback(&sink, Sink::Write, 0);
  ASSERT_EQ(1, st.PrepareOutputBuffer(16));
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  for (size_t i = 0; i < data.size(); i += 37)
    ASSERT_EQ(0, st.Write(data.data() + i, static_cast<uint32_t>(std::min<size_t>(37, data.size() - i))));
  ASSERT_EQ(0, st.Flush());
  EXPECT_EQ(data, sink.data);
  EXPECT_EQ(1000u, st.OutputTotal());
  EXPECT_EQ(~ZipCrc32(~0u, data.data(), 1000), st.OutputCrc());
}

TEST(ZipStream, FailingWriteIsReported) {
  CZipStream st;
  Sink sink;
  sink.fail_after = 1;
  st.SetOutputCallback(&sink, Sink::Write, 0);
  ASSERT_EQ(1, st.PrepareOutputBuffer(8));
  EXPECT_EQ(0, st.Write("12345678", 8));  // first flush goes through
  EXPECT_EQ(1, st.Write("12345678", 8));
  EXPECT_EQ(1, st.Flush());
  EXPECT_TRUE(st.OutputFailed());
}

TEST(ZipStream, BufferedReadAcrossRefills) {
  CZipStream st;
  Source src;
  for (int i = 0; i < 5000; ++i) src.data.push_back(static_cast<uint8_t>(i * 13));
  src.chunk = 3;
  st.SetInputCallback(&src, Source::Read, 0);
  ASSERT_EQ(1, st.PrepareInputBuffer(64));
  std::vector<uint8_t> got(6000);
  uint32_t n = st.Read(got.data(), 6000);
  EXPECT_EQ(5000u, n);
  got.resize(n);
  EXPECT_EQ(src.data, got);
  EXPECT_TRUE(st.InputEnded());
  EXPECT_EQ(~ZipCrc32(~0u, src.data.data(), 5000), st.InputCrc());
}

TEST(ZipStream, MemoryReadAfterEndSetsFlag) {
  CZipStream st;
  st.SetInputMemory(3, "abc", 0, nullptr);
  ASSERT_EQ(1, st.PrepareInputBuffer(16));
  char buf[8];
  EXPECT_EQ(3u, st.Read(buf, 8));
  EXPECT_EQ(0u, st.Read(buf, 8));
  EXPECT_TRUE(st.InputEnded());
}

// A transform that decrypts by XOR and holds back every second chunk, as an
// authenticating filter holds back its tag.
struct XorFilter {
  uint8_t key;
  int calls = 0;
  static int Apply(void* ctx, void* data, int n) {
    XorFilter* f = static_cast<XorFilter*>(ctx);
    uint8_t* p = static_cast<uint8_t*>(data);
    for (int i = 0; i < n; ++i) p[i] ^= f->key;
    return n;
  }
};

TEST(ZipStream, InputFilterOnMemoryTransformsEveryByte) {
  std::vector<uint8_t> plain = Bytes("secret text that is filtered");
  std::vector<uint8_t> cipher = plain;
  for (auto& b : cipher) b ^= 0x5A;
  CZipStream st;
  st.SetInputMemory(static_cast<uint32_t>(cipher.size()), cipher.data(), 0, nullptr);
  XorFilter f{0x5A};
  st.SetInputFilter(&f, XorFilter::Apply);
  ASSERT_EQ(1, st.PrepareInputBuffer(8));
  std::vector<uint8_t> got(100);
  got.resize(st.Read(got.data(), 100));
  EXPECT_EQ(plain, got);
  EXPECT_EQ(~ZipCrc32(~0u, plain.data(), static_cast<int>(plain.size())), st.InputCrc());
}

struct HoldBack {
  static int Apply(void* ctx, void* data, int n) {
    int* calls = static_cast<int*>(ctx);
    return (++*calls % 2) ? 0 : n;  // odd chunks are swallowed
  }
};

TEST(ZipStream, FilterThatYieldsNothingDoesNotEndTheInput) {
  Source src;
  src.data = Bytes("abcdefgh");
  src.chunk = 2;
  CZipStream st;
  st.SetInputCallback(&src, Source::Read, ZIP_NO_CRC);
  int calls = 0;
  st.SetInputFilter(&calls, HoldBack::Apply);
  char buf[8];
  EXPECT_EQ(2, st.ReadInput(buf, 8));
  EXPECT_EQ(0, memcmp(buf, "cd", 2));
  EXPECT_EQ(2, st.ReadInput(buf, 8));
  EXPECT_EQ(0, memcmp(buf, "gh", 2));
  EXPECT_EQ(0, st.ReadInput(buf, 8));
}

TEST(ZipStream, OutputFilterCopyingKeepsCallersBytes) {
  for (bool copying : {true, false}) {
    CZipStream st;
    Sink sink;
    st.SetOutputCallback(&sink, Sink::Write, 0);
    XorFilter f{0x01};
    st.SetOutputFilter(&f, XorFilter::Apply, copying);
    std::vector<uint8_t> data(10000, 'b');
    EXPECT_EQ(10000, st.WriteOutput(data.data(), 10000));
    EXPECT_EQ(std::vector<uint8_t>(10000, 'c'), sink.data);
    EXPECT_EQ(copying ? 'b' : 'c', data[0]);
    // the CRC is of the bytes before the transform
    std::vector<uint8_t> plain(10000, 'b');
    EXPECT_EQ(~ZipCrc32(~0u, plain.data(), 10000), st.OutputCrc());
  }
}

TEST(ZipStream, OutputCapFailsAtOnce) {
  CZipStream st;
  Sink sink;
  st.SetOutputCallback(&sink, Sink::Write, 0);
  st.SetOutputCap(50);
  EXPECT_EQ(40, st.WriteOutput(std::string(40, 'x').data(), 40));
  EXPECT_EQ(-1, st.WriteOutput(std::string(11, 'y').data(), 11));
  EXPECT_TRUE(st.OutputCapHit());
  EXPECT_EQ(40u, sink.data.size());  // nothing of the failing write got through
}

struct Seen {
  std::string text;
  static void Add(void* ctx, const void* p, int n) {
    static_cast<Seen*>(ctx)->text.append(static_cast<const char*>(p), static_cast<size_t>(n));
  }
};

TEST(ZipStream, ObserverSeesEveryChunkBesideTheCrc) {
  CZipStream st;
  Seen seen;
  st.SetInputMemory(9, "123456789", 0, nullptr);
  st.SetInputObserver(&seen, Seen::Add);
  char buf[4];
  while (st.ReadInput(buf, 4) > 0) {
  }
  EXPECT_EQ("123456789", seen.text);
  EXPECT_EQ(0xCBF43926u, st.InputCrc());
  st.SetInputObserver(nullptr, nullptr);
}

TEST(ZipStream, ReadIntoOutputFillsMemoryBlock) {
  CZipStream st;
  Source src;
  src.data = Bytes("0123456789abcdef");
  src.chunk = 5;
  st.SetInputCallback(&src, Source::Read, 0);
  uint8_t block[12];
  st.SetOutputMemory(sizeof(block), block, 0, nullptr);
  int total = 0, n;
  while ((n = st.ReadIntoOutput()) > 0) total += n;
  EXPECT_EQ(12, total);
  EXPECT_EQ(-1, n);  // block full
  EXPECT_EQ(0, memcmp(block, "0123456789ab", 12));
  EXPECT_EQ(~ZipCrc32(~0u, "0123456789ab", 12), st.OutputCrc());
}

TEST(ZipStream, FreeBuffersClearsTheSides) {
  CZipStream st;
  st.SetInputMemory(3, "abc", 0, nullptr);
  ASSERT_NE(nullptr, st.GetCopyBuffer());
  st.FreeBuffers(2);
  EXPECT_EQ(CZipStream::kMemory, st.InputKind());
  st.FreeBuffers(0);
  EXPECT_EQ(CZipStream::kNone, st.InputKind());
  EXPECT_EQ(CZipStream::kNone, st.OutputKind());
  char c;
  EXPECT_EQ(-1, st.ReadInput(&c, 1));
}

TEST(ZipStream, RuntimeFileSidesWithLimits) {
  std::string dir = orvtest::MakeTempDir("stream_file");
  std::string path = dir + "/out.bin";
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  CZipStream st;
  st.SetOutputFile(f, 6, 0);
  EXPECT_EQ(6, st.WriteOutput("abcdefgh", 8));  // cut to the limit
  EXPECT_EQ(0, st.WriteOutput("ij", 2));        // limit used up
  fclose(f);
  EXPECT_EQ(~ZipCrc32(~0u, "abcdef", 6), st.OutputCrc());
  f = fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  st.SetInputFile(f, -1, 0);
  char buf[16];
  EXPECT_EQ(6, st.ReadInput(buf, 16));
  EXPECT_EQ(0, memcmp(buf, "abcdef", 6));
  EXPECT_EQ(0, st.ReadInput(buf, 16));
  fclose(f);
}
