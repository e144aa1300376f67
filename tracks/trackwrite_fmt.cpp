// The three file bodies: GPX 1.1, KML 2.2 and the CSV form TrackReadCsv reads.
#include <math.h>
#include <string.h>
#include <time.h>

#include "text/datetime.h"
#include "text/fmtprint.h"
#include "text/strcopy.h"
#include "text/strfield.h"
#include "tracks/trackwrite.h"

namespace {

const char kGpxHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\""
    " xmlns:gpxx=\"http://www.garmin.com/xmlschemas/WaypointExtension/v1\""
    " xmlns:gpxtrx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\""
    " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\""
    " creator=\"Oregon 550\" version=\"1.1\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
    " http://www.topografix.com/GPX/1/1/gpx.xsd"
    " http://www.garmin.com/xmlschemas/WaypointExtension/v1"
    " http://www.garmin.com/xmlschemas/WaypointExtensionv1.xsd"
    " http://www.garmin.com/xmlschemas/GpxExtensions/v3"
    " http://www.garmin.com/xmlschemas/GpxExtensionsv3.xsd"
    " http://www.garmin.com/xmlschemas/TrackPointExtension/v1"
    " http://www.garmin.com/xmlschemas/TrackPointExtensionv1.xsd\">\n"
    "<metadata>\n"
    "<link href=\"http://www.garmin.com\">\n"
    "<text>Garmin International</text>\n"
    "</link>\n"
    "<time>%sT%sZ</time>\n"
    "</metadata>\n"
    "<trk>\n"
    "\t<name>%s</name>\n"
    "<extensions>\n"
    "\t<gpxtrx:TrackExtension>\n"
    "\t<gpxtrx:DisplayColor>DarkBlue</gpxtrx:DisplayColor>\n"
    "\t</gpxtrx:TrackExtension></extensions>";

const char kPushpin[] = "http://maps.google.com/mapfiles/kml/pushpin/ylw-pushpin.png";

const char kKmlHeader[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\""
    " xmlns:gx=\"http://www.google.com/kml/ext/2.2\""
    " xmlns:kml=\"http://www.opengis.net/kml/2.2\""
    " xmlns:atom=\"http://www.w3.org/2005/Atom\">\n"
    "<Document>\n"
    "\t<name>%s</name>\n"
    "\t<Style id=\"roadStyle\">\n"
    "\t\t<LineStyle>\n"
    "\t\t\t<colorMode>random</colorMode>\n"
    "\t\t\t<width>5</width>\n"
    "\t\t</LineStyle>\n"
    "\t</Style>\n"
    "\t<Style id=\"sh_ylw-pushpin\">\n"
    "\t\t<IconStyle>\n"
    "\t\t\t<scale>1.3</scale>\n"
    "\t\t\t<Icon>\n"
    "\t\t\t\t<href>%s</href>\n"
    "\t\t\t</Icon>\n"
    "\t\t\t<hotSpot x=\"20\" y=\"2\" xunits=\"pixels\" yunits=\"pixels\"/>\n"
    "\t\t</IconStyle>\n"
    "      <LineStyle>\n"
    "        <colorMode>random</colorMode>\n"
    "        <width>5</width>\n"
    "      </LineStyle>\n"
    "\t</Style>\n"
    "\t<StyleMap id=\"msn_ylw-pushpin\">\n"
    "\t\t<Pair>\n"
    "\t\t\t<key>normal</key>\n"
    "\t\t\t<styleUrl>#sn_ylw-pushpin</styleUrl>\n"
    "\t\t</Pair>\n"
    "\t\t<Pair>\n"
    "\t\t\t<key>highlight</key>\n"
    "\t\t\t<styleUrl>#sh_ylw-pushpin</styleUrl>\n"
    "\t\t</Pair>\n"
    "\t</StyleMap>\n"
    "\t<Style id=\"sn_ylw-pushpin\">\n"
    "\t\t<IconStyle>\n"
    "\t\t\t<scale>1.1</scale>\n"
    "\t\t\t<Icon>\n"
    "\t\t\t\t<href>%s</href>\n"
    "\t\t\t</Icon>\n"
    "\t\t\t<hotSpot x=\"20\" y=\"2\" xunits=\"pixels\" yunits=\"pixels\"/>\n"
    "\t\t</IconStyle>\n"
    "\t</Style>\n"
    "\t<Placemark>\n"
    "\t\t<name>%s</name>\n"
    "\t\t<styleUrl>#msn_ylw-pushpin</styleUrl>\n"
    "\t\t<LineString>\n"
    "\t\t\t<tessellate>1</tessellate>\n"
    "\t\t\t<coordinates>\n";

const char kKmlFooter[] =
    "\t\t\t</coordinates>\n\t\t</LineString>\n\t<styleUrl>#roadStyle</styleUrl>\n"
    "\t</Placemark>\n</Document>\n</kml>\n";

// Seconds since 1970 of a point's time; false when it has none.
bool PointSeconds(double time, int64_t* seconds) {
  if (!TrackHasTime(time) || !isfinite(time)) return false;
  double s = (time - TRACK_TIME_1970) * TRACK_SECONDS_PER_DAY;
  if (!(s > -1e12 && s < 1e12)) return false;
  *seconds = (int64_t)llround(s);
  return true;
}

// Date and time texts of seconds; false when they cannot be formatted.
bool FormatDateTime(int64_t seconds, unsigned utc, char* date, char* clock) {
  char raw[40];
  if (DateFormatTimeA(raw, (int)sizeof raw, seconds, 0x50 | utc) < 0) return false;
  StrTrimCopyA(date, raw, 40);
  if (DateFormatTimeA(raw, (int)sizeof raw, seconds, 0x22 | utc) < 0) return false;
  StrTrimCopyA(clock, raw, 40);
  return true;
}

// The header time: the first point's, else now.
int64_t HeaderSeconds(const TrackPoint* points) {
  int64_t s;
  return PointSeconds(points[0].time, &s) ? s : (int64_t)time(nullptr);
}

inline bool Writable(const TrackPoint& p) { return isfinite(p.lon) && isfinite(p.lat); }

// Counts failed writes; the body's result is -1 when any failed.
struct Out {
  FILE* f;
  bool failed = false;
  void operator()(int written) {
    if (written < 0) failed = true;
  }
  int Close() {
    if (fclose(f) != 0) failed = true;
    return failed ? -1 : 0;
  }
};

int WriteGpx(Out& out, const TrackPoint* points, int count, const char* name) {
  char date[40], clock[40], xml[TRACK_XML_NAME_SIZE];
  if (!FormatDateTime(HeaderSeconds(points), 0x100, date, clock))
    FormatDateTime(0, 0x100, date, clock);
  TrackXmlText(name ? name : "", xml, (int)sizeof xml);
  out(FmtFilePrintA(out.f, kGpxHeader, date, clock, xml));
  out(FmtFilePrintA(out.f, "<trkseg>\n"));
  for (int i = 0; i < count && !out.failed; ++i) {
    const TrackPoint& p = points[i];
    if (!Writable(p)) continue;
    out(FmtFilePrintA(out.f, "\t<trkpt lat=\"%7.10f\" lon=\"%7.10f\"><ele>%4.2f</ele>", p.lat,
                      p.lon, isfinite(p.ele) ? p.ele : 0.0));
    int64_t s;
    if (PointSeconds(p.time, &s) && FormatDateTime(s, 0x100, date, clock))
      out(FmtFilePrintA(out.f, "<time>%sT%sZ</time>", date, clock));
    out(FmtFilePrintA(out.f, "</trkpt>\n"));
  }
  out(FmtFilePrintA(out.f, "</trkseg></trk></gpx>"));
  return out.Close();
}

int WriteKml(Out& out, const TrackPoint* points, int count, const char* name,
             const char* documentName) {
  char doc[TRACK_XML_NAME_SIZE], xml[TRACK_XML_NAME_SIZE];
  TrackXmlText(documentName ? documentName : "", doc, (int)sizeof doc);
  TrackXmlText(name ? name : "", xml, (int)sizeof xml);
  out(FmtFilePrintA(out.f, kKmlHeader, doc, kPushpin, kPushpin, xml));
  for (int i = 0; i < count && !out.failed; ++i)
    if (Writable(points[i]))
      out(FmtFilePrintA(out.f, "\t\t\t\t%7.10f,%7.10f,0\n", points[i].lon, points[i].lat));
  out(FmtFilePrintA(out.f, "%s", kKmlFooter));
  return out.Close();
}

int WriteCsv(Out& out, const TrackPoint* points, int count, const char* name) {
  // a line break inside the name would end the header line
  char plain[TRACK_NAME_SIZE];
  StrCopyA(plain, name ? name : "", (int)sizeof plain);
  for (char* c = plain; *c; ++c)
    if ((unsigned char)*c < 0x20 && *c != '\t') *c = ' ';
  char field[TRACK_NAME_SIZE * 2 + 8], date[40], clock[40];
  StrQuoteFieldA(plain, field, (int)sizeof field, 0, ';');
  if (!FormatDateTime(HeaderSeconds(points), 0, date, clock)) FormatDateTime(0, 0x100, date, clock);
  out(FmtFilePrintA(out.f, ";;;%s%s %s;\n", field, date, clock));
  for (int i = 0; i < count && !out.failed; ++i) {
    const TrackPoint& p = points[i];
    if (!Writable(p)) continue;
    int64_t s;
    if (PointSeconds(p.time, &s) && s >= 86400)
      out(FmtFilePrintA(out.f, "%7.10f;%7.10f;%lld\n", p.lon, p.lat, (long long)s));
    else
      out(FmtFilePrintA(out.f, "%7.10f;%7.10f;\n", p.lon, p.lat));
  }
  return out.Close();
}

}  // namespace

int TrackWriteBody(TrackWriteKind kind, FILE* stream, const TrackPoint* points, int count,
                   const char* name, const char* documentName) {
  if (!stream) return -1;
  Out out{stream};
  if (!points || count < 1) {
    out.failed = true;
    return out.Close();
  }
  switch (kind) {
    case TRACK_WRITE_GPX: return WriteGpx(out, points, count, name);
    case TRACK_WRITE_KML: return WriteKml(out, points, count, name, documentName);
    case TRACK_WRITE_CSV: return WriteCsv(out, points, count, name);
  }
  return out.Close();
}

int TrackWriteGpx(FILE* stream, const TrackPoint* points, int count, const char* name) {
  return TrackWriteBody(TRACK_WRITE_GPX, stream, points, count, name, nullptr);
}
int TrackWriteKml(FILE* stream, const TrackPoint* points, int count, const char* name,
                  const char* documentName) {
  return TrackWriteBody(TRACK_WRITE_KML, stream, points, count, name, documentName);
}
int TrackWriteCsv(FILE* stream, const TrackPoint* points, int count, const char* name) {
  return TrackWriteBody(TRACK_WRITE_CSV, stream, points, count, name, nullptr);
}
