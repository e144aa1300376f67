// The 16-bit front ends on a file whose name has no 8-bit form.
#include <windows.h>

#include "tests/tracks/tracktest.h"

namespace {

std::wstring Widen(const std::string& s) {
  std::wstring w;
  for (unsigned char c : s) w += (wchar_t)c;
  return w;
}

TEST(TrackWide, GreekFileNames) {
  std::wstring dir = Widen(orvtest::MakeTempDir("trackwide"));
  std::vector<TrackPoint> p = tracktest::Line(5);
  typedef int (*WriteW)(const WideChar*, const TrackPoint*, int, const WideChar*);
  struct {
    WriteW write;
    const wchar_t* file;
  } cases[] = {{TrackWriteGpxW, L"\\Δρόμος.gpx"},
               {TrackWriteKmlW, L"\\Δρόμος.kml"},
               {TrackWriteCsvW, L"\\Δρόμος.csv"}};
  for (auto& c : cases) {
    std::wstring path = dir + c.file;
    EXPECT_EQ(-2, c.write(path.c_str(), p.data(), 1, L"x"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    // the letters Windows-1252 has beyond Latin-1 stay themselves both ways
    ASSERT_EQ(0, c.write(path.c_str(), p.data(), 5, L"Müller & Söhne – 80 €"));
    TrackPoint* pts = nullptr;
    WideChar name[TRACK_NAME_SIZE];
    EXPECT_EQ(5, TrackReadFileW(path.c_str(), &pts, name));
    EXPECT_STREQ(L"Müller & Söhne – 80 €", name);
    ASSERT_NE(nullptr, pts);
    EXPECT_DOUBLE_EQ(p[4].lon, pts[4].lon);
    TrackFreePoints(pts);
    // a read-only target stays
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(-1, c.write(path.c_str(), p.data(), 3, L"y"));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    pts = nullptr;
    EXPECT_EQ(5, TrackReadFileW(path.c_str(), &pts, nullptr));
    TrackFreePoints(pts);
    // so does one that another program holds open without sharing
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(-1, c.write(path.c_str(), p.data(), 3, L"y"));
    CloseHandle(lock);
    pts = nullptr;
    EXPECT_EQ(5, TrackReadFileW(path.c_str(), &pts, nullptr));
    TrackFreePoints(pts);
  }
  // no temporary is left beside the targets
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  int files = 0;
  if (h != INVALID_HANDLE_VALUE) {
    do
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  EXPECT_EQ(3, files);
  TrackPoint* pts = nullptr;
  std::wstring missing = dir + L"\\Λείπει.gpx";  // (not inside a macro: its text is 8-bit)
  EXPECT_EQ(-1, TrackReadFileW(missing.c_str(), &pts, nullptr));
  EXPECT_EQ(nullptr, pts);
}

TEST(TrackWide, GermanLocaleLeavesTheOutputAlone) {
  std::string dir = orvtest::MakeTempDir("trackloc");
  std::vector<TrackPoint> p = tracktest::Line(5);
  std::string a = orvtest::JoinPath(dir, "a.gpx");
  ASSERT_EQ(0, TrackWriteGpxA(a.c_str(), p.data(), 5, "n"));
  ASSERT_NE(nullptr, setlocale(LC_ALL, "German"));
  char probe[8];
  snprintf(probe, sizeof probe, "%.1f", 1.5);
  std::string b = orvtest::JoinPath(dir, "b.gpx");
  int rc = TrackWriteGpxA(b.c_str(), p.data(), 5, "n");
  TrackPoint* pts = nullptr;
  int n = TrackReadFileA(b.c_str(), &pts, nullptr);
  setlocale(LC_ALL, "C");
  EXPECT_STREQ("1,5", probe);
  EXPECT_EQ(0, rc);
  EXPECT_EQ(tracktest::Slurp(a), tracktest::Slurp(b));
  ASSERT_EQ(5, n);
  EXPECT_DOUBLE_EQ(p[3].lon, pts[3].lon);
  TrackFreePoints(pts);
}

}  // namespace
