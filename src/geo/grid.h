#pragma once
// Grid systems beside latitude and longitude: UTM on the map ellipsoid, the Dutch RD
// grid (polynomial approximation on the Bessel ellipsoid with its fixed datum shift),
// and the British National Grid (OSGB36 on the Airy 1830 ellipsoid).
//
// Angles are degrees, north and east positive; lengths metres. The UTM and RD routines
// round their results to single precision as the program always stored them, so a
// northing above 4194304 m carries half a metre of resolution.

#include <QChar>
#include <QString>

#include "geo/datum.h"
#include "geo/nav_math.h"

namespace tavrik {

// The map ellipsoid's default minor axis (WGS-84's 6356752.314 rounded to a decimetre).
inline constexpr double kDefaultMinorAxis = 6356752.3;

struct UtmPosition {
  int zone = 0;           // 1..60
  QChar designator;       // latitude band "C".."X"
  float easting = 0;      // metres, 500000 on the central meridian
  float northing = 0;     // metres, 10000000 added south of the equator
};

struct RdPosition {
  float x = 0;  // metres
  float y = 0;
};

// The latitude band letter: 8 degrees each from "C" (below -72) to "X" (72 and more),
// without cut-off at either end.
QChar UtmZoneDesignator(double latDeg);
// The zone of a longitude: 6 degrees wide, a longitude on a boundary going to the zone
// farther from the prime meridian; +-180 go to zones 60 and 1.
int UtmZone(double lonDeg);
// True for "C".."X" (either case); the bands "C".."M" lie south of the equator.
bool IsUtmDesignator(QChar designator);
bool IsSouthernDesignator(QChar designator);

// Transverse Mercator series on the ellipsoid (a, b), k0 = 0.9996.
UtmPosition UtmFromLatLon(double latDeg, double lonDeg, double a, double b);
// The same in full precision, before the single-precision rounding of the results.
struct UtmExact {
  int zone = 0;
  QChar designator;
  double easting = 0, northing = 0;
};
UtmExact UtmFromLatLonExact(double latDeg, double lonDeg, double a, double b);
// Snyder's inverse; a southern designator ("C".."M") takes the northing as counted from
// 10000000 at the equator.
LatLon LatLonFromUtm(int zone, QChar designator, double easting, double northing, double a, double b);

// RD polynomials; latitude and longitude on the RD system's Bessel ellipsoid.
RdPosition RdFromLatLon(double latDeg, double lonDeg);
LatLon LatLonFromRd(double x, double y);
// Abridged Molodensky shift between the map ellipsoid (a, b) and the RD Bessel
// ellipsoid, in place: direction -1 map towards RD, +1 RD towards the map (a, b unused).
void RdDatumShift(double& latDeg, double& lonDeg, int direction, double a, double b);
// RD as the position control shows it, on the map ellipsoid (a, b; 0 stands for the
// default). The fixed shift above is the one between the RD Bessel ellipsoid and the
// International 1924 ellipsoid of ED50: it is right for ED50 maps but puts a WGS-84
// position some 125 m off. On a WGS-84 ellipsoid the conversion therefore goes through
// the published Amersfoort to WGS 84 transformation (EPSG:15739) instead; on any other
// ellipsoid it applies RdDatumShift as given.
bool IsWgs84Ellipsoid(double a, double b);
RdPosition RdFromMapLatLon(double latDeg, double lonDeg, double a, double b);
LatLon MapLatLonFromRd(double x, double y, double a, double b);

// British National Grid. A reference is two grid-square letters and the easting and
// northing inside that 100 km square.
struct NgrReference {
  QString letters;       // "SU"
  double easting = 0;    // 0 <= e < 100000 inside the square
  double northing = 0;
};
// Full National Grid easting and northing (OSGB36 on Airy 1830, origin 49N 2W, false
// origin E 400000 N -100000, scale 0.9996012717), from latitude and longitude on the
// map ellipsoid (a, b) through the published WGS-84 to OSGB36 Helmert transformation.
struct NationalGridEN {
  double easting = 0;
  double northing = 0;
};
NationalGridEN NationalGridFromLatLon(double latDeg, double lonDeg, double a, double b);
LatLon LatLonFromNationalGrid(double easting, double northing, double a, double b);
// The projection alone, on OSGB36 latitude and longitude.
NationalGridEN NationalGridFromOsgb36(double latDeg, double lonDeg);
LatLon Osgb36FromNationalGrid(double easting, double northing);
// Latitude/longitude on one ellipsoid to OSGB36 and back (height 0).
LatLon Osgb36FromLatLon(double latDeg, double lonDeg, double a, double b);
LatLon LatLonFromOsgb36(double latDeg, double lonDeg, double a, double b);

// The 500 km squares H, J, N, O, S, T hold the reference letters: easting 0..1000 km,
// northing 0..1500 km. False when the grid position lies outside them.
bool NgrFromNationalGrid(const NationalGridEN& en, NgrReference& out);
// False for letters that name no square of those six.
bool NationalGridFromNgr(const NgrReference& ref, NationalGridEN& out);
// Reads "SU 12345 67890", "SU1234567890", "SU 123 456" (fewer digits give the square's
// south-west corner at that precision). False for anything else.
bool ParseNgrText(QStringView text, NgrReference& out);
// "SU 12345 67890" with whole metres.
QString NgrText(const NgrReference& ref);

}  // namespace tavrik
