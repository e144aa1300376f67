// The codecs through their stream sides: failures, modes, caps, threads.
// (Data made by real tools is checked in codec_realtools.py.)
#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "archive/ppmd8_model.h"
#include "archive/zipcodec.h"

namespace {

typedef std::vector<uint8_t> Buf;

Buf Text(size_t n) {
  static const char* words[] = {"karte ", "quiz ", "ort ", "spieler ", "stern ", "zeit\n"};
  std::mt19937 rng(42);
  Buf b;
  while (b.size() < n) {
    const char* w = words[rng() % 6];
    b.insert(b.end(), w, w + strlen(w));
  }
  b.resize(n);
  return b;
}

Buf Noise(size_t n) {
  std::mt19937 rng(7);
  Buf b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

struct Sink {
  Buf data;
  int fail_after = -1;
  static int Write(void* ctx, void* p, int n) {
    Sink* s = static_cast<Sink*>(ctx);
    if (!p) return 0;
    if (s->fail_after == 0) return -1;
    if (s->fail_after > 0) --s->fail_after;
    s->data.insert(s->data.end(), static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
    return n;
  }
};

struct Source {
  Buf data;
  size_t pos = 0;
  size_t fail_at = SIZE_MAX;  // -1 once this many bytes were delivered
  static int Read(void* ctx, void* p, int n) {
    Source* s = static_cast<Source*>(ctx);
    if (s->pos >= s->fail_at) return -1;
    size_t take = std::min<size_t>(static_cast<size_t>(n), s->data.size() - s->pos);
    take = std::min(take, s->fail_at - s->pos);
    if (take) memcpy(p, s->data.data() + s->pos, take);
    s->pos += take;
    return static_cast<int>(take);
  }
};

std::unique_ptr<CZipCodec> Make(int method) {
  switch (method) {
    case 8: return std::unique_ptr<CZipCodec>(new CZipDeflateCodec);
    case 12: return std::unique_ptr<CZipCodec>(new CZipBzip2Codec);
    case 14: {
      CZipLzmaCodec* c = new CZipLzmaCodec;
      c->SetMode(3);
      return std::unique_ptr<CZipCodec>(c);
    }
    case 95: return std::unique_ptr<CZipCodec>(new CZipXzCodec);
    default: {
      CZipPpmdCodec* c = new CZipPpmdCodec;
      c->SetMode(1);
      return std::unique_ptr<CZipCodec>(c);
    }
  }
}

void SetSize(CZipCodec* c, int method, int64_t size) {
  if (method == 14) static_cast<CZipLzmaCodec*>(c)->SetUncompressedSize(size);
  if (method == 98) static_cast<CZipPpmdCodec*>(c)->SetUncompressedSize(size);
}

Buf Compress(int method, const Buf& in, int level) {
  std::unique_ptr<CZipCodec> c = Make(method);
  Sink sink;
  c->SetInputMemory(static_cast<uint32_t>(in.size()), in.data(), 0, nullptr);
  c->SetOutputCallback(&sink, Sink::Write, ZIP_NO_CRC);
  c->Compress(level);
  EXPECT_EQ(~ZipCrc32(~0u, in.data(), static_cast<int>(in.size())), c->InputCrc());
  return sink.data;
}

// Decompresses; returns the category of a failure, 0 on success.
uint32_t Decompress(int method, const Buf& in, Buf* out, int64_t size = -1, int64_t cap = -1) {
  std::unique_ptr<CZipCodec> c = Make(method);
  SetSize(c.get(), method, size);
  Source src;
  src.data = in;
  Sink sink;
  c->SetInputCallback(&src, Source::Read, ZIP_NO_CRC);
  c->SetOutputCallback(&sink, Sink::Write, 0);
  if (cap >= 0) c->SetOutputCap(cap);
  try {
    c->Decompress(-2);
  } catch (const ZipCodecError& e) {
    EXPECT_EQ(e.category, c->GetErrorCategory());
    EXPECT_NE(nullptr, e.text);
    if (out) *out = sink.data;
    return e.category;
  }
  if (out) *out = sink.data;
  EXPECT_EQ(c->UncompressedCount(), sink.data.size());
  return 0;
}

std::string Thrown(CZipCodec* c, bool compress) {
  try {
    if (compress)
      c->Compress(-1);
    else
      c->Decompress(-2);
  } catch (const ZipCodecError& e) {
    return e.text;
  }
  return "(no failure)";
}

const int kMethods[] = {8, 12, 14, 95, 98};

}  // namespace

TEST(ZipCodecs, RoundTripsThroughEveryKindOfSide) {
  Buf text = Text(200000);
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    Buf packed = Compress(method, text, 6);
    ASSERT_LT(packed.size(), text.size() / 2);
    // memory to memory
    std::unique_ptr<CZipCodec> c = Make(method);
    SetSize(c.get(), method, static_cast<int64_t>(text.size()));
    Buf out(text.size());
    uint32_t counter = 0;
    c->SetInputMemory(static_cast<uint32_t>(packed.size()), packed.data(), ZIP_NO_CRC, nullptr);
    c->SetOutputMemory(static_cast<uint32_t>(out.size()), out.data(), 0, &counter);
    EXPECT_EQ(text.size(), c->Decompress(-2));
    EXPECT_EQ(text, out);
    EXPECT_EQ(text.size(), counter);
    EXPECT_EQ(~ZipCrc32(~0u, text.data(), static_cast<int>(text.size())), c->GetValue32(3));
    // callbacks, size unknown where the format allows it
    Buf back;
    EXPECT_EQ(0u, Decompress(method, packed, &back, method == 98 || method == 14 ? -1 : -1));
    EXPECT_EQ(text, back);
  }
}

TEST(ZipCodecs, EmptyInputRoundTrips) {
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    Buf packed = Compress(method, Buf(), 5);
    Buf back;
    EXPECT_EQ(0u, Decompress(method, packed, &back, 0));
    EXPECT_TRUE(back.empty());
  }
}

TEST(ZipCodecs, TruncatedInputIsAnErrorNeverAShortSuccess) {
  Buf text = Text(100000);
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    Buf packed = Compress(method, text, 6);
    // LZMA and PPMd end with an end mark after the last symbol, which a
    // reader that knows the size never needs: cut into the data proper
    size_t last = packed.size() - (method == 14 || method == 98 ? 12 : 1);
    for (size_t keep : {size_t(0), size_t(1), packed.size() / 3, last}) {
      Buf cut(packed.begin(), packed.begin() + static_cast<long>(keep));
      Buf back;
      EXPECT_NE(0u, Decompress(method, cut, &back, static_cast<int64_t>(text.size()))) << keep;
      if (method != 98) {
        EXPECT_NE(0u, Decompress(method, cut, &back, -1)) << keep;
      }
    }
  }
}

TEST(ZipCodecs, OutputBeyondTheDeclaredSizeStopsAtOnce) {
  Buf text = Text(300000);
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    Buf packed = Compress(method, text, 6);
    Buf back;
    EXPECT_EQ(uint32_t(ZIPC_WRITE), Decompress(method, packed, &back, -1, 1000));
    EXPECT_LE(back.size(), 1000u);
  }
}

TEST(ZipCodecs, WriteErrorsAreErrors) {
  Buf text = Text(300000);
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    // compressing into a failing sink
    std::unique_ptr<CZipCodec> c = Make(method);
    Sink sink;
    sink.fail_after = 0;
    c->SetInputMemory(static_cast<uint32_t>(text.size()), text.data(), 0, nullptr);
    c->SetOutputCallback(&sink, Sink::Write, 0);
    Thrown(c.get(), true);
    EXPECT_EQ(uint32_t(ZIPC_WRITE), c->GetErrorCategory());
    // decompressing into one
    Buf packed = Compress(method, text, 6);
    std::unique_ptr<CZipCodec> d = Make(method);
    SetSize(d.get(), method, static_cast<int64_t>(text.size()));
    Sink bad;
    bad.fail_after = 0;
    d->SetInputMemory(static_cast<uint32_t>(packed.size()), packed.data(), 0, nullptr);
    d->SetOutputCallback(&bad, Sink::Write, 0);
    Thrown(d.get(), false);
    EXPECT_EQ(uint32_t(ZIPC_WRITE), d->GetErrorCategory());
  }
}

TEST(ZipCodecs, ReadErrorsAreErrors) {
  Buf text = Text(300000);
  for (int method : kMethods) {
    SCOPED_TRACE(method);
    std::unique_ptr<CZipCodec> c = Make(method);
    Source src;
    src.data = text;
    src.fail_at = 70000;
    Sink sink;
    c->SetInputCallback(&src, Source::Read, 0);
    c->SetOutputCallback(&sink, Sink::Write, 0);
    Thrown(c.get(), true);
    // the XZ encoder may report a failed read after some input as "input ended"
    uint32_t cat = c->GetErrorCategory();
    EXPECT_TRUE(cat == ZIPC_READ || (method == 95 && cat == ZIPC_INPUT_END)) << cat;
    Buf packed = Compress(method, text, 6);
    std::unique_ptr<CZipCodec> d = Make(method);
    SetSize(d.get(), method, static_cast<int64_t>(text.size()));
    Source psrc;
    psrc.data = packed;
    psrc.fail_at = packed.size() / 2;
    Sink out;
    d->SetInputCallback(&psrc, Source::Read, 0);
    d->SetOutputCallback(&out, Sink::Write, 0);
    Thrown(d.get(), false);
    EXPECT_EQ(uint32_t(ZIPC_READ), d->GetErrorCategory());
  }
}

TEST(ZipDeflateCodec, IncompressibleDataSetsTheGrewFlag) {
  Buf noise = Noise(50000);
  CZipDeflateCodec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(noise.size()), noise.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  uint32_t n = c.Compress(9);
  EXPECT_GT(n, noise.size());
  EXPECT_EQ(ZIPC_STATUS_GREW, c.GetValue32(1) & ZIPC_STATUS_GREW);
  EXPECT_EQ(n, c.GetValue32(5));
  EXPECT_EQ(noise.size(), c.GetValue32(6));
  EXPECT_EQ(0u, c.GetValue32(10));
}

TEST(ZipDeflateCodec, LevelZeroAndModeZeroCopy) {
  Buf text = Text(40000);
  CZipDeflateCodec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(text.size()), text.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  EXPECT_EQ(text.size(), c.Compress(0));
  EXPECT_EQ(text, sink.data);
  EXPECT_EQ(ZIPC_STATUS_STORED, c.GetStatus() & ZIPC_STATUS_STORED);
  // stored copy into a block that is too small
  Buf small(100);
  c.SetInputMemory(static_cast<uint32_t>(text.size()), text.data(), 0, nullptr);
  c.SetOutputMemory(static_cast<uint32_t>(small.size()), small.data(), 0, nullptr);
  c.SetMode(0);
  EXPECT_EQ(std::string("Fehler Speicherüberlauf des Ausgabepuffers"), Thrown(&c, false));
  EXPECT_EQ(uint32_t(ZIPC_DATA), c.GetErrorCategory());
}

TEST(ZipDeflateCodec, UnknownModeFails) {
  CZipDeflateCodec c;
  Sink sink;
  c.SetInputMemory(3, "abc", 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.SetMode(6);
  EXPECT_EQ(std::string("Falscher Modus beim Entkomprimieren !"), Thrown(&c, false));
  EXPECT_EQ(uint32_t(ZIPC_INIT), c.GetErrorCategory());
}

TEST(ZipDeflateCodec, Deflate64ReadsPlainDeflateWithoutLongMatches) {
  // zlib never needs length code 285 for text without 258-byte repeats,
  // and such a stream means the same in deflate64
  Buf text = Text(100000);
  Buf packed = Compress(8, text, 9);
  CZipDeflateCodec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(packed.size()), packed.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.SetMode(9);
  EXPECT_EQ(text.size(), c.Decompress(-2));
  EXPECT_EQ(text, sink.data);
  EXPECT_EQ(packed.size(), c.CompressedCount());
}

// Deflate bits, LSB first; Huffman codes go MSB first.
struct BitWriter {
  Buf out;
  int used = 8;
  void Put(uint32_t value, int n) {  // value's low bit first
    for (int i = 0; i < n; ++i) {
      if (used == 8) {
        out.push_back(0);
        used = 0;
      }
      out.back() |= static_cast<uint8_t>(((value >> i) & 1) << used++);
    }
  }
  void Code(uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) Put((code >> i) & 1, 1);
  }
};

TEST(ZipDeflateCodec, Deflate64LongLengthCode) {
  // tools seldom write code 285, which in deflate64 takes 16 extra bits
  BitWriter w;
  w.Put(1, 1);              // last block
  w.Put(1, 2);              // fixed codes
  w.Code(0x30 + 'A', 8);    // literal
  w.Code(0xC0 + 5, 8);      // length code 285
  w.Put(60000 - 3, 16);     // length 60000
  w.Code(0, 5);             // distance 1
  w.Code(0xC0 + 5, 8);      // 40000 more, reaching back 50000 bytes
  w.Put(40000 - 3, 16);
  w.Code(31, 5);            // distance code 31: 49153 + 14 bits
  w.Put(50000 - 49153, 14);
  w.Code(0, 7);             // end of block
  CZipDeflateCodec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(w.out.size()), w.out.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.SetMode(9);
  EXPECT_EQ(100001u, c.Decompress(-2));
  EXPECT_EQ(Buf(100001, 'A'), sink.data);
}

TEST(ZipDeflateCodec, Deflate64RejectsBadStreams) {
  const uint8_t reserved[] = {0x07};  // final block of type 3
  const uint8_t tooFar[] = {0x03, 0x02, 0x00, 0x00};  // fixed block: a match before any output
  const uint8_t badStored[] = {0x01, 0x05, 0x00, 0x00, 0x00};  // LEN and NLEN disagree
  for (const Buf& in : {Buf(reserved, reserved + 1), Buf(tooFar, tooFar + 4), Buf(badStored, badStored + 5)}) {
    CZipDeflateCodec c;
    Sink sink;
    c.SetInputMemory(static_cast<uint32_t>(in.size()), in.data(), 0, nullptr);
    c.SetOutputCallback(&sink, Sink::Write, 0);
    c.SetMode(9);
    std::string t = Thrown(&c, false);
    EXPECT_TRUE(t == "Ungüldige Huffmann-Tabelle !" || t == "Ende der Eingabe erreicht") << t;
  }
}

TEST(ZipLzmaCodec, HeaderWithShortPropertiesIsAFormatError) {
  const uint8_t in[] = {9, 20, 4, 0, 0x5D, 0, 0, 1, 0, 0, 0, 0};
  CZipLzmaCodec c;
  Sink sink;
  c.SetInputMemory(sizeof(in), in, 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.SetMode(3);
  EXPECT_EQ(std::string("Formatfehler"), Thrown(&c, false));
  EXPECT_EQ(uint32_t(ZIPC_FORMAT), c.GetErrorCategory());
}

TEST(ZipLzmaCodec, HugeDictionaryIsRefusedUnlessTheSizeBoundsIt) {
  Buf text = Text(5000);
  Buf packed = Compress(14, text, 5);
  // dictionary field of the properties: 4 GiB - 1
  packed[5] = packed[6] = packed[7] = packed[8] = 0xFF;
  Buf back;
  EXPECT_EQ(uint32_t(ZIPC_MEMORY), Decompress(14, packed, &back, -1));
  EXPECT_EQ(0u, Decompress(14, packed, &back, static_cast<int64_t>(text.size())));
  EXPECT_EQ(text, back);
}

TEST(ZipLzmaCodec, SetPropertiesTakesAtMostFive) {
  CZipLzmaCodec c;
  const uint8_t p[6] = {0x5D, 0, 0, 1, 0, 9};
  EXPECT_EQ(3, c.SetProperties(p, 3));
  EXPECT_EQ(0, c.SetProperties(p, 6));
}

TEST(ZipXzCodec, LevelIsNotPassedOn) {
  Buf text = Text(100000);
  EXPECT_EQ(Compress(95, text, 1), Compress(95, text, 9));
}

TEST(ZipXzCodec, ShortZeroPaddingBehindTheStreamIsAccepted) {
  Buf text(20000, 'x');
  Buf packed = Compress(95, text, 6);
  for (size_t pad : {4u, 5u, 7u, 63u, 64u}) {
    Buf padded = packed;
    padded.insert(padded.end(), pad, 0);
    Buf out;
    EXPECT_EQ(0u, Decompress(95, padded, &out)) << pad;
    EXPECT_TRUE(out == text) << pad;
  }
  for (Buf tail : {Buf{0, 0, 0}, Buf{1, 2, 3, 4, 5, 6, 7}}) {
    Buf junk = packed;
    junk.insert(junk.end(), tail.begin(), tail.end());
    Buf out;
    EXPECT_NE(0u, Decompress(95, junk, &out)) << tail.size();
  }
}

TEST(ZipXzCodec, StreamCutBeforeItsEndIsADataError) {
  Buf text = Text(100000);
  Buf packed = Compress(95, text, 6);
  packed.resize(packed.size() - 20);
  CZipXzCodec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(packed.size()), packed.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  EXPECT_EQ(std::string("Datenfehler"), Thrown(&c, false));
  EXPECT_EQ(uint32_t(ZIPC_DATA), c.GetErrorCategory());
}

TEST(ZipBzip2Codec, LevelZeroFailsInTheLibrary) {
  CZipBzip2Codec c;
  Sink sink;
  c.SetInputMemory(3, "abc", 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.SetLevel(0);
  EXPECT_EQ(std::string("Fehler bei Initialisierung"), Thrown(&c, true));
  EXPECT_EQ(uint32_t(ZIPC_FORMAT), c.GetErrorCategory());
}

TEST(ZipBzip2Codec, CorruptDataIsReported) {
  Buf text = Text(100000);
  Buf packed = Compress(12, text, 9);
  packed[packed.size() / 2] ^= 0x10;
  CZipBzip2Codec c;
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(packed.size()), packed.data(), 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  EXPECT_EQ(std::string("Ungültiges BZIP Format"), Thrown(&c, false));
}

TEST(ZipPpmdCodec, HeaderValuesOutsideTheFormatAreRefused) {
  const uint8_t order1[] = {0xF0, 0x00, 0, 0, 0, 0};
  const uint8_t restore3[] = {0x00, 0x30, 0, 0, 0, 0};
  for (const uint8_t* in : {order1, restore3}) {
    CZipPpmdCodec c;
    Sink sink;
    c.SetInputMemory(6, in, 0, nullptr);
    c.SetOutputCallback(&sink, Sink::Write, 0);
    EXPECT_EQ(std::string("Formatfehler"), Thrown(&c, false));
    EXPECT_EQ(uint32_t(ZIPC_FORMAT), c.GetErrorCategory());
  }
}

TEST(ZipPpmdCodec, LevelsAreClampedToOneToSeven) {
  Buf text = Text(1000);
  Buf l0 = Compress(98, text, 0), l1 = Compress(98, text, 1);
  Buf l9 = Compress(98, text, 9), l7 = Compress(98, text, 7);
  EXPECT_EQ(l1, l0);
  EXPECT_EQ(l7, l9);
  // order 16 - level, memory level + 7 MiB
  EXPECT_EQ(0x7E, l1[0]);
  EXPECT_EQ(0x00, l1[1]);
  EXPECT_EQ(0xD8, l7[0]);
  EXPECT_EQ(0x00, l7[1]);
}

TEST(ZipPpmdCodec, PropertiesInFiveBytes) {
  Buf text = Text(20000);
  Buf packed = Compress(98, text, 3);  // order 13, 10 MiB
  CZipPpmdCodec c;
  const uint8_t props[5] = {13, 0, 0, 0xA0, 0};
  EXPECT_EQ(5, c.SetProperties(props, 5));
  EXPECT_EQ(0, c.SetProperties(props, 4));
  c.SetMode(0);
  c.SetUncompressedSize(static_cast<int64_t>(text.size()));
  Sink sink;
  c.SetInputMemory(static_cast<uint32_t>(packed.size() - 2), packed.data() + 2, 0, nullptr);
  c.SetOutputCallback(&sink, Sink::Write, 0);
  c.Decompress(-2);
  EXPECT_EQ(text, sink.data);
}

TEST(ZipPpmdCodec, ThreadsDecompressingAtOnceBothSucceed) {
  Buf a = Text(150000), b = Noise(60000);
  Buf pa = Compress(98, a, 2), pb = Compress(98, b, 5);
  Buf ra, rb;
  uint32_t ea = 1, eb = 1;
  std::thread t1([&] { ea = Decompress(98, pa, &ra, static_cast<int64_t>(a.size())); });
  std::thread t2([&] { eb = Decompress(98, pb, &rb, static_cast<int64_t>(b.size())); });
  t1.join();
  t2.join();
  EXPECT_EQ(0u, ea);
  EXPECT_EQ(0u, eb);
  EXPECT_EQ(a, ra);
  EXPECT_EQ(b, rb);
}

namespace {

struct ModelOut : PpmdModel::Output {
  Buf bytes;
  void WriteByte(uint8_t b) override { bytes.push_back(b); }
};

// Method-98 data of a 1 MiB model of order 6 with the given restoration
// method, made by the model itself (Compress always restarts).
Buf PpmdEncode(const Buf& in, unsigned restore) {
  std::unique_ptr<PpmdModel> m(new PpmdModel);
  EXPECT_TRUE(m->Allocate(1u << 20));
  ModelOut out;
  unsigned head = (6 - 1) | (restore << 12);
  out.bytes = {static_cast<uint8_t>(head), static_cast<uint8_t>(head >> 8)};
  m->Init(6, restore);
  m->EncoderInit();
  for (uint8_t b : in) m->EncodeSymbol(b, out);
  m->EncodeSymbol(-1, out);
  m->EncoderFlush(out);
  return out.bytes;
}

// Many distinct short words: fills a 1 MiB model several times.
Buf Words(size_t n) {
  std::mt19937 rng(99);
  std::vector<Buf> words(3000);
  for (auto& w : words) {
    w.resize(2 + rng() % 8);
    for (auto& x : w) x = static_cast<uint8_t>(rng());
  }
  Buf b;
  while (b.size() < n) {
    const Buf& w = words[rng() % words.size()];
    b.insert(b.end(), w.begin(), w.end());
  }
  return b;
}

}  // namespace

TEST(ZipPpmdCodec, FrozenModelRoundTripsAndDamageIsRefused) {
  Buf in = Words(600000);
  Buf frozen = PpmdEncode(in, PpmdModel::kFreeze);
  // the memory fills: each method goes its own way from there
  EXPECT_NE(PpmdEncode(in, PpmdModel::kRestart), frozen);
  EXPECT_NE(PpmdEncode(in, PpmdModel::kCutOff), frozen);
  Buf back;
  ASSERT_EQ(0u, Decompress(98, frozen, &back, static_cast<int64_t>(in.size())));
  EXPECT_TRUE(back == in);
  back.clear();
  ASSERT_EQ(0u, Decompress(98, frozen, &back));  // to the end mark
  EXPECT_TRUE(back == in);

  Buf cut(frozen.begin(), frozen.begin() + static_cast<long>(frozen.size() / 2));
  EXPECT_NE(0u, Decompress(98, cut, nullptr, static_cast<int64_t>(in.size())));
  for (size_t at : {size_t(40), frozen.size() / 3, frozen.size() - 30}) {
    Buf bad = frozen;
    bad[at] ^= 0x5A;
    Buf out;
    uint32_t rc = Decompress(98, bad, &out, static_cast<int64_t>(in.size()));
    EXPECT_TRUE(rc != 0 || out != in) << at;
  }
}
