// Distances, destination points and the Mercator transform.
#include "map/geo.h"

#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

inline double Sq(double v) { return v * v; }

inline double Clamp1(double v) { return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v); }

}  // namespace

double GeoDistanceSphere(double lon1, double lat1, double lon2, double lat2) {
  double c = std::cos(lon2 - lon1) * std::cos(lat1) * std::cos(lat2) +
             std::sin(lat1) * std::sin(lat2);
  // rounding can push the cosine past 1 for (nearly) coinciding points
  return std::acos(Clamp1(c)) * GEO_SPHERE_RADIUS;
}

double GeoDistance(double lon1, double lat1, double lon2, double lat2) {
  double F = (lat1 + lat2) / 2, G = (lat1 - lat2) / 2, L = (lon1 - lon2) / 2;
  double sinF2 = Sq(std::sin(F)), cosF2 = Sq(std::cos(F));
  double sinG2 = Sq(std::sin(G)), cosG2 = Sq(std::cos(G));
  double sinL2 = Sq(std::sin(L)), cosL2 = Sq(std::cos(L));
  double S = cosF2 * sinL2 + sinG2 * cosL2;
  double K = cosG2 * cosL2 + sinF2 * sinL2;
  const double f = GEO_FLATTENING;
  if (!(K > 1e-300)) {
    if (!(K == K)) return K;  // NaN in, NaN out
    // Exactly antipodal: the limit along the meridian through both points,
    // half the meridian of the ellipsoid (omega = pi/2, S = 1, H2 = 1/2).
    return kPi * GEO_RADIUS_A * (1 - f / 2);
  }
  double w = std::atan(std::sqrt(S / K));
  double D = w * 2 * GEO_RADIUS_A;
  if (D < 1e-11) return 0;
  double R3 = 3 * std::sqrt(S * K) / w;
  double H1 = (R3 - 1) / (2 * K);
  double H2 = (R3 + 1) / (2 * S);
  return D * (1 + f * H1 * sinF2 * cosG2 - f * H2 * cosF2 * sinG2);
}

double GeoDistanceDegrees(double lon1, double lat1, double lon2, double lat2) {
  return GeoDistance(lon1 * GEO_DEG2RAD, lat1 * GEO_DEG2RAD, lon2 * GEO_DEG2RAD, lat2 * GEO_DEG2RAD);
}

void GeoDestinationSphere(double lon0, double lat0, double east, double north,
                          double* lon, double* lat) {
  double phi = lat0 * GEO_DEG2RAD + north / GEO_RADIUS_MEAN;
  double A = east / GEO_RADIUS_A;
  *lat = std::asin(Clamp1(std::cos(A) * std::sin(phi))) * GEO_RAD2DEG;
  *lon = lon0 + std::atan2(std::sin(A), std::cos(A) * std::cos(phi)) * GEO_RAD2DEG;
}

void GeoDestination(double lon0, double lat0, double east, double north,
                    double* lon, double* lat) {
  const double a = GEO_RADIUS_A, b = GEO_RADIUS_B;
  // latitude half-way along the northward move (111132.87 m per degree)
  double m = lat0 + north * 4.499118878309998e-06;
  // the radius depends on the distance from the equator: fold m into 0..90
  double t = std::fmod(std::fabs(m), 180.0);
  if (t > 90) t = 180 - t;
  double q = (t == t) ? t / 90 : 0;
  double R = q * b + (1 - q) * a;
  double phi = lat0 * GEO_DEG2RAD + north / R;
  double A = east / a;
  double sinP = std::sin(phi), cosP = std::cos(phi);
  double cosA = std::cos(A);
  double y = std::sin(A) * (a * cosP * cosP + b * sinP * sinP);
  double x = cosP * (a * cosA + (a - b) * (1 - cosA) * sinP * sinP);
  *lon = lon0 + std::atan2(y, x) * GEO_RAD2DEG;
  // divided by b, so that no move east leaves the latitude phi
  double s = sinP * (b * cosA - (a - b) * (1 - cosA) * cosP * cosP) / b;
  *lat = std::asin(Clamp1(s)) * GEO_RAD2DEG;
}

double GeoMercatorY(double latRad) {
  // asinh keeps full precision south of the equator, where
  // ln(tan + sqrt(tan^2 + 1)) cancels
  return std::asinh(std::tan(latRad));
}

double GeoMercatorLat(double y) { return std::atan(std::sinh(y)); }
