#pragma once
// Navigation arithmetic in degrees, nautical miles and knots: degree trigonometry with
// the program's rounding, spherical meridional parts, rhumb line, dead reckoning and
// great circle. Every intermediate of the position routines is held in single
// precision, and the trigonometry rounds its results, so that courses and distances
// agree with what the program has always shown. No routine allocates.

#include <vector>

namespace tavrik {

// Scratch record through which callers pass positions in and read results out.
struct CalcRecord {
  double Lat1 = 0;     // degrees, north positive
  double Lon1 = 0;     // degrees, east positive
  double Height1 = 0;  // metres (only carried by the datum conversion)
  int Datum1 = 0;
  double Lat2 = 0;
  double Lon2 = 0;
  double Height2 = 0;
  int Datum2 = 0;
  double Course = 0;    // degrees true, 0 <= x < 360
  double Distance = 0;  // nautical miles
};

inline constexpr double kMeridionalPartsConstant = static_cast<double>(7915.7f);

double Pi();  // 4 * atan(1)

float SinDeg(float degrees);  // rounded to 5 decimals
float CosDeg(float degrees);  // rounded to 5 decimals
float TanDeg(float degrees);  // rounded to 5 decimals
float AtnDeg(float x);        // degrees, rounded to 3 decimals
float ArcCos(float x);        // radians; x first rounded to 3 decimals
float ArcSin(float x);        // radians; x first rounded to 4 decimals; x <= -1 gives 3*pi/2
// b - a in degrees, each made non-negative first; the result is in -180..180.
double AngleDiff(double a, double b);

// Minutes of arc on the spherical Mercator projection; exactly 0 for latitude 0.
double MeridionalParts(double latitudeDeg);
double LatitudeFromMeridionalParts(double minutes);

// Lat1/Lon1 -> Lat2/Lon2: writes Course and Distance.
void RhumbCourseDistance(CalcRecord& r);
// Lat1/Lon1 with Course and Distance: writes Lat2 and Lon2.
void DeadReckoning(CalcRecord& r);
// Lat1/Lon1 -> Lat2/Lon2: writes the initial great-circle Course and the Distance.
void GreatCircle(CalcRecord& r);

struct LatLon {
  double lat = 0;
  double lon = 0;
};

// Route points along a great circle: the start, then a point every `interval`
// (in the user's distance unit, > 0) as rhumb-line legs whose direction is the
// great-circle course at their start, then the end point itself.
std::vector<LatLon> GreatCircleRoutePoints(double lat1, double lon1, double lat2, double lon2,
                                           double interval, double unitFactor);

}  // namespace tavrik
