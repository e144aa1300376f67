// Geographic arithmetic of the map engine: distances, destination points,
// the spherical Mercator transform, the "GMREF:" georeference record and
// coordinate text. Angles are degrees unless a name says radians, distances
// metres.
//
// Every function that writes into a caller's buffer takes the buffer's size
// in characters right after the buffer, never writes past it and always
// terminates the text (a size below 1 writes nothing).
#pragma once

#include "text/textdefs.h"

// A position; -1000.0 in both fields marks one that is not set.
struct GeoPoint {
  double lon;
  double lat;
};

// How the pixels of a spherical-Mercator image map to the earth.
struct GeoRef {
  double xScale;  // degrees of longitude per pixel
  double yScale;  // Mercator units (radians of asinh(tan lat)) per pixel
  double lon;     // longitude of pixel (0, 0)
  double lat;     // latitude of pixel (0, 0)
  double mercY;   // GeoMercatorY(lat in radians); filled by GeoRefParse/GeoRefBuild
};

// Earth models.
const double GEO_SPHERE_RADIUS = 6371000.8;
const double GEO_RADIUS_A = 6378137.0;      // equatorial
const double GEO_RADIUS_B = 6356752.0;      // polar
const double GEO_RADIUS_MEAN = 6367444.5;   // (a + b) / 2
const double GEO_FLATTENING = 1.0 / 298.257223563;
const double GEO_DEG2RAD = 0.017453292519943295;
const double GEO_RAD2DEG = 57.29577951308232;

// Scales of a pyramid of 256-pixel tiles at zoom 0; halve per zoom level.
const double GEO_TILE_XSCALE0 = 1.40625;               // 360 / 256 degrees
const double GEO_TILE_YSCALE0 = 0.02454369260617026;   // 2 pi / 256

// Longest text GeoFormatCoordA writes, with the terminator.
const int GEO_COORD_TEXT_SIZE = 32;

// Great-circle distance on the sphere of radius 6371000.8 m; radians in.
double GeoDistanceSphere(double lon1, double lat1, double lon2, double lat2);
// Distance on the WGS 84 ellipsoid (Andoyer-Lambert); radians in. Finite for
// every pair of finite points, 0 for coinciding ones.
double GeoDistance(double lon1, double lat1, double lon2, double lat2);
// GeoDistance of points given in degrees: the one conversion every caller
// holding positions in degrees goes through.
double GeoDistanceDegrees(double lon1, double lat1, double lon2, double lat2);

// The point reached from (lon0, lat0) by moving `north` metres along the
// meridian, then `east` metres along the great circle that leaves that point
// due east. The longitude is not wrapped.
void GeoDestinationSphere(double lon0, double lat0, double east, double north,
                          double* lon, double* lat);
// The same with a latitude-dependent earth radius.
void GeoDestination(double lon0, double lat0, double east, double north,
                    double* lon, double* lat);

// asinh(tan latRad), and its inverse atan(sinh y) in radians.
double GeoMercatorY(double latRad);
double GeoMercatorLat(double y);

// Longitude moved into -180..180 by whole turns (-180 and 180 stay as they
// are); a value that is not finite is returned unchanged.
double GeoWrapLongitude(double lon);

// Pixel position (fractional) of a point. Returns 0 and sets both to 0 when
// the record cannot map (a scale of 0 or a value that is not finite).
int GeoRefGeoToPixel(double lon, double lat, double* x, double* y, const GeoRef* ref);
// Position of a pixel; the longitude wrapped into -180..180.
void GeoRefPixelToGeo(double* lon, double* lat, double x, double y, const GeoRef* ref);

// Reads a "GMREF: xscale yscale lon lat" line. Returns 1 and fills all five
// fields, or 0 with all five fields 0 when the text is no such record, a
// number is missing or not finite, or a scale is 0.
int GeoRefParse(const char* text, GeoRef* ref);

// Writers of the "GMREF:" line; each returns the characters written.
int GeoRefFormat(char* buf, int size, double lon, double lat, double xScale, double yScale);
int GeoRefFormatForZoom(char* buf, int size, double lon, double lat, int zoom);
// Record of an image whose pixel (x, y) shows the point (lon, lat).
int GeoRefBuild(char* buf, int size, double lon, double lat, double xScale, double yScale,
                int x, int y);
int GeoRefForZoom(char* buf, int size, double lon, double lat, int zoom, int x, int y);
// The record moved so that its pixel (-x, -y) becomes the origin.
int GeoRefFormatAtPixel(char* buf, int size, const GeoRef* ref, int x, int y);

// Coordinate text: decimal degrees ("8,25", "-12.5") or degrees, minutes and
// seconds ("47° 30' 36'' S"). `consumed` (may be null) receives the
// characters read, 0 when the text holds no number.
double GeoParseCoordA(const char* text, int* consumed);
// Decimal notation only.
double GeoParseCoordW(const WideChar* text, int* consumed);

// Modes of GeoFormatCoordA; even ones for longitudes, odd ones for latitudes.
enum {
  GEO_FMT_DEC = 0,        // "48.123456°"            (also every mode outside 2..11)
  GEO_FMT_DEC_COMMA = 2,  // "48,123456°"
  GEO_FMT_DMS = 4,        // "16° 30' 00''"
  GEO_FMT_DMS100 = 6,     // "16° 30' 00.00''"
  GEO_FMT_DMS_LON = 8,    // "16° 30' 00'' W"        (9: latitude, "N"/"S")
  GEO_FMT_DMS100_LON = 10 // "16° 30' 00.00'' W"     (11: latitude)
};

// Formats a coordinate. With buf null the text goes to the next of eight
// shared 32-byte buffers (valid until eight further such calls), else into
// buf of `size` characters (32 always suffice). A value that is not finite or
// beyond +-999 gives "???". `len` (may be null) receives the text's length.
const char* GeoFormatCoordA(double value, int mode, char* buf, int size, int* len);
// The same widened to 16-bit text; its own ring of eight buffers.
const WideChar* GeoFormatCoordW(double value, int mode, WideChar* buf, int size, int* len);
