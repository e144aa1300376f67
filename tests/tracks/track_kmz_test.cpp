// KMZ archives made by the archive library: methods, entry choice, empty
// and KML-less archives, a huge declared entry, two readers at once.
#include <stdlib.h>
#include <string.h>

#include <thread>

#include "archive/zipfile.h"
#include "tests/tracks/tracktest.h"

using tracktest::Read;

namespace {

std::string Kml(int n, double lon) {
  std::string s = "<kml><Placemark><name>K</name><LineString><coordinates>";
  for (int i = 0; i < n; ++i) {
    char b[64];
    snprintf(b, sizeof b, "%.4f,%.4f,0\n", lon + i * 0.001, 48.0 + i * 0.001);
    s += b;
  }
  return s + "</coordinates></LineString></Placemark></kml>";
}

// An archive of (name, content) entries in memory, with one method.
std::vector<unsigned char> Archive(const std::vector<std::pair<std::string, std::string>>& entries,
                                   int method) {
  CZipFile z;
  EXPECT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 64 << 20, 0, 0));
  z.SetMethod(method);
  for (auto& e : entries)
    EXPECT_EQ(0, z.AddFromMemory(e.first.c_str(), e.second.data(), (uint32_t)e.second.size(), nullptr));
  EXPECT_EQ(0, z.Close());
  void* block = nullptr;
  uint32_t size = z.GetMemoryBlock(&block, 1);
  std::vector<unsigned char> out((unsigned char*)block, (unsigned char*)block + size);
  free(block);
  return out;
}

int ReadKmz(const std::vector<unsigned char>& bytes, Read& r) {
  r.count = TrackParseKmz(bytes.data(), (int)bytes.size(), &r.points, r.name);
  return r.count;
}

TEST(TrackKmz, MethodsOfTheArchiveLibrary) {
  for (int method : {0, 8, 12, 14}) {
    SCOPED_TRACE(method);
    Read r;
    ASSERT_EQ(50, ReadKmz(Archive({{"doc.kml", Kml(50, 11.0)}}, method), r));
    EXPECT_DOUBLE_EQ(11.049, r.points[49].lon);
    EXPECT_STREQ("K", r.name);
  }
}

TEST(TrackKmz, FirstKmlEntryElseEntryZero) {
  Read r;
  EXPECT_EQ(3, ReadKmz(Archive({{"files/icon.png", "\x89PNG...."}, {"a.txt", "x"},
                                {"Doc.KML", Kml(3, 5.0)}, {"b.kml", Kml(4, 6.0)}}, 8), r));
  EXPECT_DOUBLE_EQ(5.0, r.points[0].lon);
  // no KML: entry 0 goes to the KML reader, which refuses it
  Read none;
  EXPECT_EQ(-2, ReadKmz(Archive({{"icon.png", "\x89PNG...."}}, 8), none));
  EXPECT_EQ(nullptr, none.points);
  Read empty;
  EXPECT_EQ(-2, ReadKmz(Archive({}, 8), empty));
  // an empty chosen entry reads as an empty file
  Read hollow;
  EXPECT_EQ(-1, ReadKmz(Archive({{"doc.kml", ""}, {"b.kml", Kml(4, 6.0)}}, 8), hollow));
  Read garbage;
  std::vector<unsigned char> junk(100, 'P');
  EXPECT_EQ(-1, ReadKmz(junk, garbage));
}

// Sets the uncompressed size of every header of the archive to value.
void PatchSizes(std::vector<unsigned char>& z, uint32_t value) {
  auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) z[at + i] = (unsigned char)(value >> (8 * i));
  };
  for (size_t i = 0; i + 46 < z.size(); ++i) {
    if (memcmp(&z[i], "PK\x03\x04", 4) == 0) put(i + 22);
    if (memcmp(&z[i], "PK\x01\x02", 4) == 0) put(i + 24);
  }
}

TEST(TrackKmz, HugeDeclaredEntryRefused) {
  std::vector<unsigned char> z = Archive({{"doc.kml", Kml(10, 1.0)}}, 8);
  PatchSizes(z, 0xFFFFFFF0u);
  Read r;
  EXPECT_EQ(-3, ReadKmz(z, r));
  EXPECT_EQ(nullptr, r.points);
}

TEST(TrackKmz, TwoReadersAtOnce) {
  std::string dir = orvtest::MakeTempDir("kmz");
  std::string a = orvtest::JoinPath(dir, "a.kmz"), b = orvtest::JoinPath(dir, "b.kmz");
  std::vector<unsigned char> za = Archive({{"doc.kml", Kml(2000, 1.0)}}, 8);
  std::vector<unsigned char> zb = Archive({{"doc.kml", Kml(3000, 2.0)}}, 14);
  orvtest::WriteFile(a, za.data(), za.size());
  orvtest::WriteFile(b, zb.data(), zb.size());
  bool okA = true, okB = true;
  auto run = [](const std::string& path, int n, double lon, bool* ok) {
    for (int round = 0; round < 20; ++round) {
      Read r;
      r.count = TrackReadFileA(path.c_str(), &r.points, r.name);
      if (r.count != n || r.points[0].lon != lon) *ok = false;
    }
  };
  std::thread ta(run, a, 2000, 1.0, &okA), tb(run, b, 3000, 2.0, &okB);
  ta.join();
  tb.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
}

}  // namespace
