// Writers: templates' details, names, failures that must keep the old file.
#include <math.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include "files/fileio.h"
#include "tests/tracks/tracktest.h"

using tracktest::Read;
using tracktest::Slurp;

namespace {

class TrackWrite : public ::testing::Test {
 protected:
  void SetUp() override { dir = orvtest::MakeTempDir("trackw"); }
  std::string Path(const char* name) { return orvtest::JoinPath(dir, name); }
  std::string dir;
};

typedef int (*WriteA)(const char*, const TrackPoint*, int, const char*);
const WriteA kWriters[] = {TrackWriteGpxA, TrackWriteKmlA, TrackWriteCsvA};
const char* const kExt[] = {"gpx", "kml", "csv"};

TEST_F(TrackWrite, CodesBeforeAnythingIsCreated) {
  std::vector<TrackPoint> p = tracktest::Line(3);
  for (int k = 0; k < 3; ++k) {
    std::string path = Path((std::string("one.") + kExt[k]).c_str());
    EXPECT_EQ(-2, kWriters[k](path.c_str(), p.data(), 1, "x"));
    EXPECT_EQ(-2, kWriters[k](nullptr, p.data(), 1, "x"));
    EXPECT_FALSE(tracktest::Exists(path));
    EXPECT_EQ(-1, kWriters[k](nullptr, p.data(), 3, "x"));
    EXPECT_EQ(-1, kWriters[k]("", p.data(), 3, "x"));
    EXPECT_EQ(-1, kWriters[k](dir.c_str(), p.data(), 3, "x"));  // a folder
  }
}

TEST_F(TrackWrite, GpxPointsAndTimes) {
  std::vector<TrackPoint> p = tracktest::Line(4);
  p[0].ele = 512.345;
  p[1].time = 0;           // no time element
  p[2].lon = NAN;          // not written
  p[3].time = 1e300;       // cannot be formatted: left out
  ASSERT_EQ(0, TrackWriteGpxA(Path("run.gpx").c_str(), p.data(), 4, nullptr));
  std::string s = Slurp(Path("run.gpx"));
  EXPECT_NE(std::string::npos,
            s.find("\t<trkpt lat=\"48.1000000000\" lon=\"11.5000000000\"><ele>512.35</ele>"
                   "<time>2024-03-07T12:00:00Z</time></trkpt>\n"));
  EXPECT_NE(std::string::npos, s.find("<ele>0.00</ele></trkpt>\n"));
  EXPECT_EQ(std::string::npos, s.find("nan"));
  EXPECT_EQ(std::string::npos, s.find("<time>T"));
  EXPECT_NE(std::string::npos, s.find("<time>2024-03-07T12:00:00Z</time>\n</metadata>"));
  EXPECT_NE(std::string::npos, s.find("\t<name>run</name>"));
  size_t points = 0;
  for (size_t at = s.find("<trkpt"); at != std::string::npos; at = s.find("<trkpt", at + 1)) ++points;
  EXPECT_EQ(3u, points);
  EXPECT_EQ(0u, s.size() - s.rfind("</trkseg></trk></gpx>") - 21);
}

TEST_F(TrackWrite, HeaderTimeIsNowWithoutFirstTime) {
  std::vector<TrackPoint> p = tracktest::Line(2);
  p[0].time = 0;
  ASSERT_EQ(0, TrackWriteGpxA(Path("now.gpx").c_str(), p.data(), 2, "n"));
  std::string s = Slurp(Path("now.gpx"));
  size_t at = s.find("<time>", s.find("<metadata>"));
  char year[8];
  time_t now = time(nullptr);
  strftime(year, sizeof year, "%Y", gmtime(&now));
  EXPECT_EQ(year, s.substr(at + 6, 4));
}

TEST_F(TrackWrite, NamesAsXmlAndAsField) {
  std::vector<TrackPoint> p = tracktest::Line(3);
  const char* name = "Müller & <Söhne> \"1\" 'a'\x01€";
  ASSERT_EQ(0, TrackWriteKmlA(Path("doc.kml").c_str(), p.data(), 3, name));
  std::string s = Slurp(Path("doc.kml"));
  EXPECT_NE(std::string::npos,
            s.find("<name>M\xc3\xbcller &amp; &lt;S\xc3\xb6hne&gt; &quot;1&quot; &apos;a&apos;\xe2\x82\xac</name>"));
  EXPECT_NE(std::string::npos, s.find("\t<name>doc.kml</name>"));
  EXPECT_NE(std::string::npos, s.find("\t\t\t\t11.5001000000,48.1000000000,0\n"));
  ASSERT_EQ(0, TrackWriteCsvA(Path("a.csv").c_str(), p.data(), 3, "Weg; \"Nord\""));
  s = Slurp(Path("a.csv"));
  EXPECT_EQ(0u, s.find(";;;\"Weg; \"\"Nord\"\"\";"));
  EXPECT_NE(std::string::npos, s.find("\n11.5000000000;48.1000000000;1709812800\n"));
  // names of any kind come back from all three formats
  for (int k = 0; k < 3; ++k) {
    std::string path = Path((std::string("n.") + kExt[k]).c_str());
    ASSERT_EQ(0, kWriters[k](path.c_str(), p.data(), 3, " Müller & <Söhne> (1). "));
    Read r;
    r.count = TrackReadFileA(path.c_str(), &r.points, r.name);
    EXPECT_EQ(3, r.count);
    EXPECT_STREQ("Müller & <Söhne> (1).", r.name) << kExt[k];
  }
}

TEST_F(TrackWrite, ReadOnlyTargetKeepsItsContent) {
  std::vector<TrackPoint> p = tracktest::Line(3);
  for (int k = 0; k < 3; ++k) {
    std::string path = Path((std::string("old.") + kExt[k]).c_str());
    orvtest::WriteFile(path, "old", 3);
    ASSERT_EQ(1, FioSetReadOnly(path.c_str(), 1));
    EXPECT_EQ(-1, kWriters[k](path.c_str(), p.data(), 3, "x"));
    EXPECT_EQ("old", Slurp(path));
    FioSetReadOnly(path.c_str(), 0);
  }
  // nothing but the three old files is left
  FioFindEntry e;
  int error = 0;
  FioHandle h = FioFindFirst(orvtest::JoinPath(dir, "*").c_str(), &e, &error);
  int files = 0;
  if (h != FIO_INVALID) {
    do ++files;
    while (FioFindNext(h, &e));
    FioFindClose(h);
  }
  EXPECT_EQ(3, files);
}

TEST_F(TrackWrite, FailedStreamWriteIsReported) {
  std::vector<TrackPoint> p = tracktest::Line(200);
  std::string path = Path("ro.gpx");
  orvtest::WriteFile(path, "x", 1);
  for (int k = 0; k < 3; ++k) {
    FILE* f = fopen(path.c_str(), "rb");  // every write fails
    ASSERT_NE(nullptr, f);
    int rc = k == 0 ? TrackWriteGpx(f, p.data(), 200, "n")
             : k == 1 ? TrackWriteKml(f, p.data(), 200, "n", "d")
                      : TrackWriteCsv(f, p.data(), 200, "n");
    EXPECT_EQ(-1, rc) << kExt[k];
  }
}

}  // namespace
