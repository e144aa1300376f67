// Reader edge cases, table-driven over the buffer cores, and the file front
// end's recognition.
#include <math.h>
#include <string.h>

#include "tests/tracks/tracktest.h"

using tracktest::Parse;
using tracktest::Read;

namespace {

struct Case {
  const char* what;
  tracktest::Core core;
  std::string text;
  int count;                 // expected result
  double lon0, lat0, lon1, lat1;  // first and last point when count > 1
  const char* name;          // expected name, or null
};

std::string Gpx(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">" + body + "</gpx>";
}

const Case kCases[] = {
    {"GPX track points", TrackParseGpx,
     Gpx("<trk><name>Tour</name><trkseg><trkpt lat=\"48.1\" lon=\"11.5\"></trkpt>"
         "<trkpt lat=\"48.2\" lon=\"11.6\"></trkpt></trkseg></trk>"),
     2, 11.5, 48.1, 11.6, 48.2, "Tour"},
    {"GPX self-closing points are all read", TrackParseGpx,
     Gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/>"
         "<trkpt lat=\"5\" lon=\"6\"/><trkpt lat=\"7\" lon=\"8\"></trkpt></trkseg></trk>"),
     4, 2, 1, 8, 7, nullptr},
    {"GPX single quotes and blanks around =", TrackParseGpx,
     Gpx("<trkpt lat='48.5' lon = '-11.25'/><trkpt\n lat = \"1e1\"\tlon='2'/>"), 2, -11.25, 48.5,
     2, 10, nullptr},
    {"GPX blanks and tabs after the opening quote", TrackParseGpx,
     Gpx("<trkpt lat=\" 48.1\" lon=\"\t11.5\"/><trkpt lat=' \t48.2' lon=\" 11.6\"/>"
         "<trkpt lat=\" \" lon=\"9\"/><trkpt lat=\"\n9\" lon=\"9\"/>"
         "<trkpt lat=\"  48.3\" lon=\"11.7 \"/>"),
     3, 11.5, 48.1, 11.7, 48.3, nullptr},
    {"GPX element names only beginning with trkpt", TrackParseGpx,
     Gpx("<trkpts lat=\"1\" lon=\"2\"/><trkpts lat=\"3\" lon=\"4\"/><wpt lat=\"5\" lon=\"6\"/>"
         "<wpt lat=\"7\" lon=\"8\"/>"),
     2, 6, 5, 8, 7, nullptr},
    {"GPX route points without track points", TrackParseGpx,
     Gpx("<wpt lat=\"9\" lon=\"9\"/><rte><rtept lat=\"1\" lon=\"2\"/><rtept lat=\"3\" lon=\"4\"/></rte>"),
     2, 2, 1, 4, 3, nullptr},
    {"GPX root at byte 0", TrackParseGpx,
     "<gpx><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/></gpx>", 2, 2, 1, 4, 3, nullptr},
    {"GPX points before the root are not read", TrackParseGpx,
     "<trkpt lat=\"9\" lon=\"9\"/>" + Gpx("<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/>"),
     2, 2, 1, 4, 3, nullptr},
    {"GPX element without closing tag ends the scan", TrackParseGpx,
     Gpx("<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/><trkpt lat=\"5\" lon=\"6\">"), 2, 2,
     1, 4, 3, nullptr},
    {"GPX point without lat is not counted", TrackParseGpx,
     Gpx("<trkpt lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/><trkpt xlat=\"5\" lon=\"6\"/>"), -4},
    {"GPX without root", TrackParseGpx, "<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/>", -2},
    {"GPX nan and inf are no numbers", TrackParseGpx,
     Gpx("<trkpt lat=\"nan\" lon=\"2\"/><trkpt lat=\"1\" lon=\"inf\"/><trkpt lat=\"1\" lon=\"2\"/>"),
     -4},
    {"GPX name with entities and UTF-8", TrackParseGpx,
     Gpx("<trk><name> M\xc3\xbcller &amp; &lt;S\xc3\xb6hne&gt; (2) </name><trkpt lat=\"1\" lon=\"2\"/>"
         "<trkpt lat=\"3\" lon=\"4\"/></trk>"),
     2, 2, 1, 4, 3, "Müller & <Söhne> (2)"},
    {"GPX name with character references", TrackParseGpx,
     Gpx("<trk><name>M&#252;ller &#x2013;&#150; &apos;&#8364;&#937;</name><trkpt lat=\"1\" lon=\"2\"/>"
         "<trkpt lat=\"3\" lon=\"4\"/></trk>"),
     2, 2, 1, 4, 3, "M\xfcller \x96\x96 '\x80\xff"},
    {"GPX name in CDATA", TrackParseGpx,
     Gpx("<trk><name><![CDATA[a<b & c]]></name><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/></trk>"),
     2, 2, 1, 4, 3, "a<b & c"},
    {"GPX CDATA name without end takes 100 characters", TrackParseGpx,
     Gpx("<trk><name><![CDATA[" + std::string(300, 'x') +
         "<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/></trk>"),
     2, 2, 1, 4, 3, nullptr},
    {"KML decimal commas", TrackParseKml,
     "<kml><LineString><coordinates>11,5,48,1,0 12,5,49,1,0</coordinates></LineString></kml>", 2,
     11.5, 48.1, 12.5, 49.1, nullptr},
    {"KML 2-tuples with blanks around the comma", TrackParseKml,
     "<kml><LineString><coordinates>11.5 , 48.1\n12.5,49.1\r\n 13.5,50.1</coordinates></LineString></kml>",
     3, 11.5, 48.1, 13.5, 50.1, nullptr},
    {"KML tuples of four numbers are skipped", TrackParseKml,
     "<kml><LineString><coordinates>1.5,2,3,4 5,6 7,8,9 x,y</coordinates></LineString></kml>", 2, 5,
     6, 7, 8, nullptr},
    {"KML integer triples are no decimal commas", TrackParseKml,
     "<kml><LineString><coordinates>1,2,3 4,5,6</coordinates></LineString></kml>", 2, 1, 2, 4, 5,
     nullptr},
    {"KML MultiGeometry with tessellate before each list", TrackParseKml,
     "<kml><Placemark><name>Zwei</name><MultiGeometry><LineString><tessellate>1</tessellate>"
     "<coordinates>1,2 3,4</coordinates></LineString><LineString><tessellate>1</tessellate>"
     "<coordinates>5,6,0 7,8,0</coordinates></LineString></MultiGeometry></Placemark></kml>",
     4, 1, 2, 7, 8, "Zwei"},
    {"KML two numbers give no point", TrackParseKml,
     "<kml><LineString><coordinates>1 2</coordinates></LineString></kml>", 0},
    {"KML without geometry", TrackParseKml, "<kml><Point><coordinates>1,2</coordinates></Point></kml>", -2},
    {"KML with one number", TrackParseKml, "<kml><LineString><coordinates>1</coordinates></LineString></kml>",
     -4},
    {"TRK text form", TrackParseTrk,
     "H  SOFTWARE\nH  TN 1 2 3 4 5 Runde am See\nLATITUDE LONGITUDE\n"
     "T  11.5 48.1 07-MAR-24 14:05:09\nT  11.6 48.2 07-MAR-24 14:05:19\n",
     2, 11.5, 48.1, 11.6, 48.2, "Runde am See"},
    {"TRK T line without two numbers is skipped", TrackParseTrk,
     "LATITUDE LONGITUDE\nT 11.5 48.1\nT 0\nT abc\nT 11.6 48.2\n", 2, 11.5, 48.1, 11.6, 48.2,
     nullptr},
    {"TRK only T line on the first line", TrackParseTrk, "T 11.5 48.1 LATITUDE LONGITUDE\n", -4},
    {"TRK text without the column words", TrackParseTrk, "T 1 2\nT 3 4\n", -2},
    {"TRK record header size 8", TrackParseTrk,
     std::string("ZIDEVI\0\0\x08\0\0\0", 12) + std::string(96, '\0'), -2},
    {"TRK six-byte file", TrackParseTrk, "ZIDEVI", -2},
    {"TRK header only", TrackParseTrk, std::string("ZIDEVI\0\0\x10\0\0\0", 12) + std::string(4, '\0'),
     0},
    {"TK pairs from the first character of a line", TrackParseTk,
     "48.1,11.5\n48.2, 11.6 48.3,11.7\n  48.4 ,11.8 x 1.0,2.0\n", 4, 11.5, 48.1, 11.8, 48.4, nullptr},
    {"TK with BOM and signs", TrackParseTk, "\xef\xbb\xbf-33.9,18.4\n-34.0,18.5\n", 2, 18.4, -33.9,
     18.5, -34.0, nullptr},
    {"TK without a number first", TrackParseTk, "Lat,Lon\n48.1,11.5\n48.2,11.6\n", -2},
    {"CSV of the library", TrackParseCsv,
     ";;;Weg;2024-03-07 12:00:00;\n11.5;48.1;1709812800\n11,6;48,2;\n", 2, 11.5, 48.1, 11.6,
     48.2, "Weg"},
    {"CSV quoted name", TrackParseCsv, ";;;\"a;\"\"b\"\"\";2024;\n1;2;\n3;4;\n", 2, 1, 2, 3, 4,
     "a;\"b\""},
    {"CSV of gpsbabel's unicsv is no point list", TrackParseCsv,
     "No,Latitude,Longitude\n1,48.1,11.5\n2,48.2,11.6\n", -4},
    {"CSV with BOM", TrackParseCsv, "\xef\xbb\xbf;;;n;d;\n1;2;\n3;4;\n", 2, 1, 2, 3, 4, "n"},
};

TEST(TrackReaders, EdgeCases) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Read r;
    Parse(c.core, c.text, r);
    EXPECT_EQ(c.count, r.count);
    if (c.count < 0) {
      EXPECT_EQ(nullptr, r.points);
      continue;
    }
    ASSERT_NE(nullptr, r.points);  // also for a count of 0
    if (c.count > 1) {
      EXPECT_DOUBLE_EQ(c.lon0, r.points[0].lon);
      EXPECT_DOUBLE_EQ(c.lat0, r.points[0].lat);
      EXPECT_DOUBLE_EQ(c.lon1, r.points[c.count - 1].lon);
      EXPECT_DOUBLE_EQ(c.lat1, r.points[c.count - 1].lat);
    }
    if (c.name) {
      EXPECT_STREQ(c.name, r.name);
    }
    EXPECT_LE(strlen(r.name), 127u);
  }
}

TEST(TrackReaders, TimesAndUntouchedFields) {
  Read r;
  Parse(TrackParseGpx,
        Gpx("<trkpt lat=\"1\" lon=\"2\"><ele>400</ele><time>2024-03-07T12:00:00Z</time></trkpt>"
            "<trkpt lat=\"3\" lon=\"4\"><time>2024-03-07T14:00:00+02:00</time></trkpt>"
            "<trkpt lat=\"5\" lon=\"6\"></trkpt><trkpt lat=\"7\" lon=\"8\"/>"
            "<wpt lat=\"0\" lon=\"0\"><time>2000-01-01T00:00:00Z</time></wpt>"),
        r);
  ASSERT_EQ(4, r.count);
  EXPECT_DOUBLE_EQ(TrackTimeFromSeconds(1709812800), r.points[0].time);
  EXPECT_DOUBLE_EQ(TrackTimeFromSeconds(1709812800), r.points[1].time);
  // a point's time search stops at its own end
  EXPECT_EQ(0.0, r.points[2].time);
  EXPECT_EQ(0.0, r.points[3].time);
  for (int i = 0; i < r.count; ++i)
    for (int k = 3; k < 14; ++k) EXPECT_EQ(0.0, (&r.points[i].time)[k]);

  Read t;
  Parse(TrackParseTrk, "LATITUDE LONGITUDE\nT 11.5 48.1 07-MAR-24 12:00:00\nT 1 2\n", t);
  ASSERT_EQ(2, t.count);
  EXPECT_DOUBLE_EQ(TrackTimeFromSeconds(1709812800), t.points[0].time);
  EXPECT_EQ(0.0, t.points[1].time);

  // the CSV time column: seconds since 1970; small values are the old form
  Read c;
  Parse(TrackParseCsv, ";;;;;\n1;2;1709812800\n3;4;45358.5\n5;6;\n", c);
  ASSERT_EQ(3, c.count);
  EXPECT_DOUBLE_EQ(TrackTimeFromSeconds(1709812800), c.points[0].time);
  EXPECT_EQ(0.0, c.points[1].time);
  EXPECT_EQ(0.0, c.points[1].elapsed);
}

TEST(TrackReaders, KmlPlacemarksWithTimes) {
  auto kml = [](int n, const char* extra = "") {
    std::string s = "<kml><Document>";
    for (int i = 0; i < n; ++i) {
      char b[400];
      snprintf(b, sizeof b,
               "<Placemark><TimeStamp><when>2024-03-07T12:00:%02dZ</when></TimeStamp>"
               "<Point><coordinates>%d.5,%d.25,0</coordinates></Point></Placemark>",
               i, i, 40 + i);
      s += b;
    }
    // an unstamped placemark takes no slot
    s += "<Placemark><TimeStamp></TimeStamp><Point></Point></Placemark>";
    s += extra;
    return s + "<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark></kml>";
  };
  Read few;
  Parse(TrackParseKml, kml(15), few);
  EXPECT_EQ(2, few.count);  // the line string
  Read many;
  Parse(TrackParseKml, kml(16), many);
  ASSERT_EQ(16, many.count);
  EXPECT_DOUBLE_EQ(15.5, many.points[15].lon);
  EXPECT_DOUBLE_EQ(55.25, many.points[15].lat);
  EXPECT_DOUBLE_EQ(TrackTimeFromSeconds(1709812815), many.points[15].time);

  // stamped placemarks without two finite numbers neither count nor fill
  const char* bad =
      "<Placemark><TimeStamp><when>2024-03-07T13:00:00Z</when></TimeStamp>"
      "<Point><coordinates>abc</coordinates></Point></Placemark>"
      "<Placemark><TimeStamp><when>2024-03-07T13:00:01Z</when></TimeStamp>"
      "<Point><coordinates>1.#INF,48</coordinates></Point></Placemark>";
  Read good16;
  Parse(TrackParseKml, kml(16, bad), good16);
  ASSERT_EQ(16, good16.count);
  for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(i + 0.5, good16.points[i].lon);
  Read good15;
  Parse(TrackParseKml, kml(15, bad), good15);
  EXPECT_EQ(2, good15.count);
}

TEST(TrackReaders, KmlDecimalCommasOnThreeLines) {
  Read r;
  Parse(TrackParseKml,
        "<kml><LineString><coordinates>11,5,48,1\n12,5,49,1\r\n13,5,50,1</coordinates>"
        "</LineString></kml>",
        r);
  ASSERT_EQ(3, r.count);
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(11.5 + i, r.points[i].lon);
    EXPECT_DOUBLE_EQ(48.1 + i, r.points[i].lat);
  }
}

TEST(TrackReaders, ScanTimeStaysLinear) {
  // 200,000 points without times: a search for "<time>" not bounded by the
  // element would cross the whole file once per point
  std::string body;
  for (int i = 0; i < 200000; ++i) body += "<trkpt lat=\"48.1\" lon=\"11.5\"></trkpt>\n";
  Read r;
  Parse(TrackParseGpx, Gpx(body), r);
  EXPECT_EQ(200000, r.count);
  // the same for time stamps that never qualify inside one placemark
  std::string kml = "<kml><Placemark>";
  for (int i = 0; i < 100000; ++i) kml += "<TimeStamp></TimeStamp>";
  kml += "<LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark></kml>";
  Read k;
  Parse(TrackParseKml, kml, k);
  EXPECT_EQ(2, k.count);
}

class TrackFiles : public ::testing::Test {
 protected:
  void SetUp() override { dir = orvtest::MakeTempDir("tracks"); }
  std::string dir;
};

TEST_F(TrackFiles, RecognitionAndFallbacks) {
  const std::string two = "<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/></gpx>";
  struct {
    const char* file;
    std::string text;
    int count;
  } cases[] = {
      {"root.gpx", "<gpx>" + two, 2},             // by extension
      {"root.txt", "<gpx>" + two, 2},             // GPX-then-KML guess
      {"root.kml.txt", "<kml><LineString><coordinates>1,2 3,4</coordinates></LineString></kml>", 2},
      {"plain.txt", "just some words\n", -2},     // the KML reader's answer
      {"bom.dat", "\xef\xbb\xbf;;;n;d;\n1;2;\n3;4;\n", 2},
      {"pairs.dat", "48.1,11.5\n48.2,11.6\n", 2},
      {"zid.dat", std::string("ZIDEVI\0\0\x10\0\0\0", 12) + std::string(4 + 96, '\x00'), 2},
      {"six.trk", "ZIDEVI", -2},
      {"empty.gpx", "", -1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string path = tracktest::WriteTemp(dir, c.file, c.text);
    Read r;
    r.count = TrackReadFileA(path.c_str(), &r.points, r.name);
    EXPECT_EQ(c.count, r.count);
    EXPECT_EQ(c.count < 0, r.points == nullptr);
  }
  Read missing;
  EXPECT_EQ(-1, TrackReadFileA(orvtest::JoinPath(dir, "none.gpx").c_str(), &missing.points, missing.name));
  EXPECT_STREQ("", missing.name);
}

TEST_F(TrackFiles, TrkRecordsSkipNonFinite) {
  std::string f("ZIDEVI\0\0\x20\0\0\0", 12);
  f.resize(32, '\0');
  double values[][2] = {{48.1, 11.5}, {NAN, 1}, {48.2, INFINITY}, {48.3, 11.7}};
  for (auto& v : values) {
    char rec[48] = {};
    memcpy(rec + 24, &v[0], 8);
    memcpy(rec + 32, &v[1], 8);
    f.append(rec, 48);
  }
  f.append(20, 'x');  // a partial record is not read
  Read r;
  std::string path = tracktest::WriteTemp(dir, "rec.trk", f);
  r.count = TrackReadFileA(path.c_str(), &r.points, r.name);
  ASSERT_EQ(2, r.count);
  EXPECT_DOUBLE_EQ(11.7, r.points[1].lon);
  EXPECT_DOUBLE_EQ(48.3, r.points[1].lat);
}

TEST_F(TrackFiles, OversizedFileRefusedBeforeAllocation) {
  std::string path = orvtest::JoinPath(dir, "huge.gpx");
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  fputs("<?xml?><gpx>", f);
  // sparse: the size is above the cap, the disk holds almost nothing
  ASSERT_EQ(0, fseek(f, (long)(TRACK_MAX_FILE + 16), SEEK_SET));
  fputc('>', f);
  fclose(f);
  Read r;
  EXPECT_EQ(-3, TrackReadFileA(path.c_str(), &r.points, r.name));
  EXPECT_EQ(-3, TrackReadGpx(path.c_str(), &r.points, r.name));
  remove(path.c_str());
}

}  // namespace
