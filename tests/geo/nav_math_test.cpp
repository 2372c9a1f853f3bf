#include "geo/nav_math.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <GeographicLib/Rhumb.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace tavrik {
namespace {

// The routines as they were first written (std::pow in the rounding, every helper a
// separate call): the optimised ones must give bit-identical results.
namespace reference {
double refRoundHalfEven(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::nearbyint(value * scale) / scale;
}
namespace {
const double kPi = 4.0 * std::atan(1.0);
const double kDegToRad = kPi / 180.0;

float round5(double v) { return static_cast<float>(refRoundHalfEven(v, 5)); }
}  // namespace

float SinDeg(float x) { return round5(std::sin(x * kDegToRad)); }
float CosDeg(float x) { return round5(std::cos(x * kDegToRad)); }
float TanDeg(float x) { return round5(std::tan(x * kDegToRad)); }
float AtnDeg(float x) { return static_cast<float>(refRoundHalfEven(std::atan(x) * 180.0 / kPi, 3)); }

float ArcCos(float x) {
  const double v = refRoundHalfEven(x, 3);
  if (v >= 1) return 0;
  if (v <= -1) return static_cast<float>(kPi);
  return static_cast<float>(std::atan(-v / std::sqrt(1 - v * v)) + 2 * std::atan(1.0));
}

float ArcSin(float x) {
  const double v = refRoundHalfEven(x, 4);
  if (v >= 1) return static_cast<float>(kPi / 2);
  if (v <= -1) return static_cast<float>(3 * kPi / 2);
  return static_cast<float>(std::atan(v / std::sqrt(1 - v * v)));
}

double MeridionalParts(double lat) {
  if (lat == 0) return 0;
  return static_cast<double>(7915.7f) * std::log10(std::tan((45.0 + lat / 2.0) * kDegToRad));
}

void RhumbCourseDistance(CalcRecord& r) {
  const float dLatMin = static_cast<float>((r.Lat2 - r.Lat1) * 60.0);
  double l1 = r.Lon1, l2 = r.Lon2;
  if (l1 < 0) l1 += 360;
  if (l2 < 0) l2 += 360;
  float dLon = static_cast<float>(l2 - l1);
  if (dLon > 180) dLon -= 360;
  if (dLon < -180) dLon += 360;
  float dLonMin = dLon * 60.0f;
  const float mp2 = static_cast<float>(MeridionalParts(static_cast<float>(r.Lat2)));
  const float mp1 = static_cast<float>(MeridionalParts(static_cast<float>(r.Lat1)));
  const float dMP = mp2 - mp1;
  float course;
  float distance;
  if (dMP != 0) {
    course = AtnDeg(dLonMin / dMP);
    if (course < 0) course += 360;
    if (course > 360) course -= 360;
    const float c = CosDeg(course);
    if (c == 0) {
      // The course rounded to exactly east or west although the latitudes differ by a
      // few metres: the track is the parallel, so steer 090/270 and give the departure
      // at the middle latitude, as a navigator would.
      course = dLonMin >= 0 ? 90.0f : 270.0f;
      distance = CosDeg(static_cast<float>((r.Lat1 + r.Lat2) / 2.0)) * std::fabs(dLonMin);
    } else {
      distance = dLatMin / c;
      if (distance < 0) {
        distance = -distance;
        course += 180;
      }
    }
  } else {
    if (dLonMin >= 0) {
      course = 90;
    } else {
      course = 270;
      dLonMin = -dLonMin;
    }
    distance = CosDeg(static_cast<float>(r.Lat1)) * dLonMin;
  }
  if (course > 360) course -= 360;
  r.Course = course;
  r.Distance = distance;
}

void DeadReckoning(CalcRecord& r) {
  const float course = static_cast<float>(r.Course);
  const float distance = static_cast<float>(r.Distance);
  const float dLatMin = CosDeg(course) * distance;
  r.Lat2 = r.Lat1 + dLatMin / 60.0f;
  if (std::fabs(r.Lat2) > 90) {  // mended since: a run past the pole stops there
    r.Lat2 = r.Lat2 > 0 ? 90 : -90;
    r.Lon2 = r.Lon1;
    return;
  }
  const float dMP = static_cast<float>(MeridionalParts(r.Lat2)) - static_cast<float>(MeridionalParts(r.Lat1));
  float dLonMin;
  if (dMP == 0) {
    // East or west along the parallel (or no distance at all). A course that only
    // rounds to east-west (89.9999) takes its side from the sine of the course.
    const float s = SinDeg(course);
    const float c = CosDeg(static_cast<float>(std::fabs(r.Lat1)));
    dLonMin = (c == 0 || s == 0) ? 0.0f : distance / c;
    if (s < 0) dLonMin = -dLonMin;
  } else {
    dLonMin = TanDeg(course) * dMP;
  }
  double lon = r.Lon1 + dLonMin / 60.0f;
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  if (lon > 180 || lon < -180) {  // mended since: more than a turn near the poles
    lon = std::fmod(lon, 360.0);
    if (lon > 180) lon -= 360;
    else if (lon < -180) lon += 360;
  }
  r.Lon2 = lon;
}

void GreatCircle(CalcRecord& r) {
  const float a = SinDeg(static_cast<float>((r.Lon1 - r.Lon2) / 2.0));
  const float b = SinDeg(static_cast<float>((r.Lat1 - r.Lat2) / 2.0));
  const float cos1 = CosDeg(static_cast<float>(r.Lat1));
  const float cos2 = CosDeg(static_cast<float>(r.Lat2));
  const float s = std::sqrt(b * b + cos1 * cos2 * a * a);
  const float d = 2.0f * ArcSin(s);
  if (d == 0) {
    r.Course = 0;
    r.Distance = 0;
    return;
  }
  const double sind = std::sin(static_cast<double>(d));
  const double cosd = std::cos(static_cast<double>(d));
  const float denom = static_cast<float>(sind * cos1);
  const float x = denom == 0 ? 1.0f
                             : static_cast<float>((SinDeg(static_cast<float>(r.Lat2)) -
                                                   SinDeg(static_cast<float>(r.Lat1)) * cosd) / denom);
  const float c = ArcCos(x);
  float course;
  if (SinDeg(static_cast<float>(r.Lon1 - r.Lon2)) < 0) course = static_cast<float>(c * 180.0 / kPi);
  else course = static_cast<float>((2 * kPi - c) * 180.0 / kPi);
  if (course >= 360) course -= 360;
  r.Course = course;
  r.Distance = static_cast<float>(d * 180.0 * 60.0 / kPi);
}

}  // namespace reference

const double kPiD = 4.0 * std::atan(1.0);
const double kRad = kPiD / 180.0;
// The oracle sphere: one minute of arc of a great circle is one nautical mile.
const double kRadiusM = 1852.0 * 60.0 * 180.0 / kPiD;

const GeographicLib::Rhumb& oracleRhumb() {
  static const GeographicLib::Rhumb r(kRadiusM, 0.0);
  return r;
}
const GeographicLib::Geodesic& oracleGeodesic() {
  static const GeographicLib::Geodesic g(kRadiusM, 0.0);
  return g;
}

double norm360(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360 : a;
}
// Smallest difference of two courses, degrees.
double courseDiff(double a, double b) {
  const double d = std::fabs(norm360(a) - norm360(b));
  return std::min(d, 360 - d);
}

CalcRecord points(double lat1, double lon1, double lat2, double lon2) {
  return {.Lat1 = lat1, .Lon1 = lon1, .Lat2 = lat2, .Lon2 = lon2};
}

std::string legend(double lat1, double lon1, double lat2, double lon2) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.4f %.4f -> %.4f %.4f", lat1, lon1, lat2, lon2);
  return buf;
}

TEST(DegreeTrig, RoundsAsTheProgramDoes) {
  const float pi = static_cast<float>(kPiD), threeHalves = static_cast<float>(3 * kPiD / 2);
  const float firstStep = static_cast<float>(std::acos(0.999));  // 2.5626 degrees, the first step away from 0
  const struct {
    const char* name;
    float (*f)(float);
    float x, expected;
  } rows[] = {
      {"SinDeg", SinDeg, 30, 0.5f}, {"SinDeg", SinDeg, 45, 0.70711f},  // 0.7071068 to 5 decimals
      {"CosDeg", CosDeg, 52, 0.61566f}, {"CosDeg", CosDeg, 60, 0.5f},  // 0.6156615
      {"CosDeg", CosDeg, 90, 0}, {"CosDeg", CosDeg, 270, 0},           // 6e-17 rounds to exactly 0
      {"TanDeg", TanDeg, 45, 1}, {"TanDeg", TanDeg, 80, 5.67128f},     // 5.6712818
      {"AtnDeg", AtnDeg, 1, 45}, {"AtnDeg", AtnDeg, -1, -45}, {"AtnDeg", AtnDeg, 0.5f, 26.565f},  // 26.56505
      {"AtnDeg", AtnDeg, 0, 0}, {"AtnDeg", AtnDeg, 200000, 90},        // 89.99971 to 3 decimals
      {"ArcCos", ArcCos, 1, 0}, {"ArcCos", ArcCos, 1.5f, 0}, {"ArcCos", ArcCos, -1, pi},
      {"ArcCos", ArcCos, 0.9996f, 0}, {"ArcCos", ArcCos, 0.9994f, firstStep},  // 3 decimals: 1.000, 0.999
      {"ArcCos", ArcCos, 0, pi / 2}, {"ArcSin", ArcSin, 1, pi / 2},
      {"ArcSin", ArcSin, -1, threeHalves},  // the direction 270
      {"ArcSin", ArcSin, 0.5f, static_cast<float>(kPiD / 6)}, {"ArcSin", ArcSin, 0.00004f, 0},  // 4 decimals
      {"ArcSin", ArcSin, 0.00005f, 0},  // a tie goes to the even digit
      {"ArcSin", ArcSin, 0.00015f, 0.0002f},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.name << "(" << r.x << ")");
    EXPECT_FLOAT_EQ(r.f(r.x), r.expected);
  }
}

TEST(DegreeTrig, AngleDiff) {
  const struct {
    double a, b, expected;
  } rows[] = {
      {10, 20, 10},   {20, 10, -10}, {350, 10, 20}, {10, 350, -20}, {-10, 10, 20},
      {0, 180, 180},  {180, 0, -180}, {0, 190, -170}, {-90, 90, -180}, {359, 0, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.a) + " " + std::to_string(r.b));
    EXPECT_DOUBLE_EQ(AngleDiff(r.a, r.b), r.expected);
  }
}

TEST(MeridionalParts, ZeroAtTheEquatorAndInverse) {
  EXPECT_EQ(MeridionalParts(0), 0.0);
  EXPECT_EQ(MeridionalParts(-0.0), 0.0);
  EXPECT_NEAR(MeridionalParts(-30), -MeridionalParts(30), 1e-9);
  // Spherical Mercator: 60 * 180/pi * ln(tan(45 + lat/2)); the constant 7915.7 is
  // 60 * 180/pi * ln(10) to 5e-7, so they agree to that relative precision.
  for (double lat : {1.0, 10.0, 45.0, 60.0, 80.0, -52.0}) {
    SCOPED_TRACE(lat);
    const double exact = 60 / kRad * std::log(std::tan((45 + lat / 2) * kRad));
    EXPECT_NEAR(MeridionalParts(lat), exact, std::fabs(exact) * 1e-6);
    EXPECT_NEAR(LatitudeFromMeridionalParts(MeridionalParts(lat)), lat, 1e-9);
  }
}

// The worked examples: same latitude, the date line, due south. Tolerances: 1e-4 nm
// where the result is a single-precision product or quotient of about 60 (a single
// holds 7 digits); 1e-9 where every step is exact in single precision.
TEST(RhumbCourseDistance, WorkedExamples) {
  const struct {
    double lat1, lon1, lat2, lon2, course, distance, tolerance;
  } rows[] = {
      {52, 4, 52, 5, 90, 0.61566 * 60, 1e-4},  // CosDeg(52) * 60 = 36.94
      {52, 5, 52, 4, 270, 0.61566 * 60, 1e-4},
      {0, 179.5, 0, -179.5, 90, 60, 1e-9},     // across the date line, not 359 degrees
      {0, -179.5, 0, 179.5, 270, 60, 1e-9},
      {10, 0, 9, 0, 180, 60, 1e-4},            // AtnDeg(0) = 0, negative distance flipped
      {9, 0, 10, 0, 0, 60, 1e-4},
      {-10, 30, -10, 30, 90, 0, 0},            // same point: east, no distance
      {0, 0, 0, 1, 90, 60, 1e-9},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(legend(r.lat1, r.lon1, r.lat2, r.lon2));
    CalcRecord c = points(r.lat1, r.lon1, r.lat2, r.lon2);
    RhumbCourseDistance(c);
    EXPECT_NEAR(c.Course, r.course, 1e-9);
    EXPECT_NEAR(c.Distance, r.distance, r.tolerance);
  }
  CalcRecord c = points(52, 4, 52, 5);
  RhumbCourseDistance(c);
  EXPECT_NEAR(c.Distance, 36.94, 0.005);
}

// Points a few metres apart in latitude and far apart in longitude: AtnDeg rounds the
// course to exactly 90 or 270 and the rounded cosine is 0. The track is then the
// parallel: course 090/270 and the departure at the middle latitude.
TEST(RhumbCourseDistance, CourseRoundedToEastWestUsesMiddleLatitude) {
  const struct {
    double lat1, lon1, lat2, lon2, course;
  } rows[] = {
      {50, 0, 50.00005, 20, 90},     // 5.6 m north, 20 degrees east
      {50.00005, 20, 50, 0, 270},
      {-33, 170, -33.00003, -170, 90},  // across the date line, southern hemisphere
      {-33.00003, -170, -33, 170, 270},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(legend(r.lat1, r.lon1, r.lat2, r.lon2));
    CalcRecord c = points(r.lat1, r.lon1, r.lat2, r.lon2);
    RhumbCourseDistance(c);
    ASSERT_TRUE(std::isfinite(c.Distance));
    EXPECT_EQ(c.Course, r.course);
    const double mid = (r.lat1 + r.lat2) / 2;
    EXPECT_NEAR(c.Distance, CosDeg(static_cast<float>(mid)) * 20 * 60, 1e-3);
    // And the oracle agrees to the 5-decimal cosine (5e-6 / cos(mid) relative).
    double s12, azi;
    oracleRhumb().Inverse(r.lat1, r.lon1, r.lat2, r.lon2, s12, azi);
    EXPECT_NEAR(c.Distance, s12 / 1852, s12 / 1852 * 2e-5);
    EXPECT_NEAR(courseDiff(c.Course, azi), 0, 0.001);
  }
}

// Point pairs for the rhumb line and the great circle against GeographicLib on the
// nautical-mile sphere.
const struct Pair {
  double lat1, lon1, lat2, lon2;
} kPairs[] = {
    {52, 4, 53, 6}, {52, 4, 50, -1}, {52, 4, 52.01, 4.02},  // short NE, SW across the prime meridian, a mile
    {-10, -20, -30, 10}, {-35, 150, -40, -175}, {20, -170, 25, 170},  // the south; the date line both ways
    {0, 0, 1, 1}, {-1, 100, 1, 101}, {0.1, 179.9, -0.1, -179.9},     // the origin, the equator, both
    {60, 5, 61, -10}, {75, 0, 80, 90}, {-70, -60, -65, 60},          // high latitudes, courses near 90
    {45, -60, 50, -5}, {-33.9, 18.4, -34.4, 115.7}, {40, -70, 30, -10}, {10, 10, -10, -10},
    {51.5, -0.1, 40.7, -74.0}, {-33.9, 151.2, 37.8, -122.4}, {35.7, 139.7, 1.3, 103.8},  // ocean crossings
};

TEST(RhumbCourseDistance, AgreesWithGeographicLib) {
  for (const Pair& r : kPairs) {
    SCOPED_TRACE(legend(r.lat1, r.lon1, r.lat2, r.lon2));
    CalcRecord c = points(r.lat1, r.lon1, r.lat2, r.lon2);
    RhumbCourseDistance(c);
    double s12, azi;
    oracleRhumb().Inverse(r.lat1, r.lon1, r.lat2, r.lon2, s12, azi);
    const double nm = s12 / 1852;
    const double cr = azi * kRad;
    // Course: AtnDeg keeps 3 decimals (0.0005 deg), and the difference of meridional
    // parts is taken from two singles (each ~6e-8 relative), which moves the course by
    // sin(2C)/2 * that error / dMP radians.
    const double mp1 = std::fabs(MeridionalParts(r.lat1)), mp2 = std::fabs(MeridionalParts(r.lat2));
    const double dmp = std::fabs(MeridionalParts(r.lat2) - MeridionalParts(r.lat1));
    const double dmpErr = (mp1 + mp2) * 1.2e-7 + 60 / std::cos(std::max(std::fabs(r.lat1), std::fabs(r.lat2)) * kRad) *
                                                     (std::fabs(r.lat1) + std::fabs(r.lat2)) * 6e-8;
    const double courseTol = 0.0005 + 1e-5 + std::fabs(std::sin(2 * cr)) / 2 * dmpErr / dmp / kRad;
    EXPECT_LE(courseDiff(c.Course, azi), courseTol);
    EXPECT_GE(c.Course, 0);
    EXPECT_LT(c.Course, 360);
    // Distance = dLat / CosDeg(course): the cosine has 5 decimals (5e-6 absolute) and
    // the course is off by the tolerance above, so relative error 5e-6/|cos C| +
    // |tan C| * course error, plus single precision.
    const double relTol = 5e-6 / std::fabs(std::cos(cr)) + std::fabs(std::tan(cr)) * courseTol * kRad + 1e-6;
    EXPECT_NEAR(c.Distance, nm, nm * relTol);
  }
}

// Within 1e-6 degrees: dLat and dLonMin / 60 are taken in single precision; exact where
// nothing moves. A course that is not exactly 90 or 270 but whose rounded cosine is 0
// lands in the east-west case; the side comes from the course, not from it being 270.
TEST(DeadReckoning, WorkedExamples) {
  const struct {
    const char* legend;
    double lat, lon, course, distance, lat2, lon2;
  } rows[] = {
      {"course 90, 60 nm from 60N: 60 / CosDeg(60) = 120 minutes east", 60, 10, 90, 60, 60, 12},
      {"course 270 goes west", 60, 10, 270, 60, 60, 8},
      {"89.99999 rounds into east", 60, 10, 89.99999, 60, 60, 12},
      {"90.00001 rounds into east", 60, 10, 90.00001, 60, 60, 12},
      {"89.9999 rounds into east", 60, 10, 89.9999, 60, 60, 12},
      {"269.99999 rounds into west", 60, 10, 269.99999, 60, 60, 8},
      {"270.00001 rounds into west", 60, 10, 270.00001, 60, 60, 8},
      {"-90.00001 rounds into west", 60, 10, -90.00001, 60, 60, 8},
      {"past 180E wraps to a negative longitude", 0, 179.5, 90, 60, 0, -179.5},
      {"due north 60 nm is one degree of latitude", 10, 5, 0, 60, 11, 5},
      {"no distance stays put", -20, 40, 123, 0, -20, 40},
      // A rhumb line spirals into the pole: a longer run ends there, at the start's
      // longitude (it used to give latitude 95 and a longitude that is not a number).
      {"past the north pole", 85, 10, 0, 600, 90, 10}, {"past the north pole, course 10", 85, 10, 10, 1200, 90, 10},
      {"past the south pole", -85, 10, 180, 600, -90, 10}, {"past the south pole, course 200", -89, 10, 200, 120, -90, 10},
      {"away from the pole", 85, 10, 180, 600, 75, 10},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    CalcRecord c{.Lat1 = r.lat, .Lon1 = r.lon, .Course = r.course, .Distance = r.distance};
    DeadReckoning(c);
    EXPECT_NEAR(c.Lat2, r.lat2, r.lat2 == r.lat ? 0 : 1e-6);
    EXPECT_NEAR(c.Lon2, r.lon2, r.lon2 == r.lon ? 0 : 1e-6);
  }
}

// Dead reckoning against GeographicLib's Rhumb Direct on the nautical-mile sphere.
TEST(DeadReckoning, AgreesWithGeographicLib) {
  const struct {
    double lat, lon, course, distance;
    double latTol = 0, lonTol = 0;  // 0: the tolerances worked out below
  } rows[] = {
      {52, 4, 45, 100},    {52, 4, 200, 250},    {-33, 18, 100, 600},  {-10, 170, 60, 900},
      {20, -175, 300, 500}, {0, 0, 135, 60},     {60, -5, 10, 1000},   {45, -60, 80, 1500},
      {-60, 120, 250, 400}, {5, 100, 350, 30},   {70, 20, 170, 1200},  {-1, -1, 30, 2},
      {10, -179.9, 225, 30},  // past 180W: wraps to a positive longitude
      // Near the poles a long run turns the longitude more than once round: it still ends
      // in -180..180. Latitude within 1e-3 deg: the 5-decimal cosine over 3000 nm gives up
      // to 2.5e-4 deg. Longitude within 0.5 deg: near 86 degrees that latitude error moves
      // the meridional parts by 60/cos(lat) = 840 minutes per degree, i.e. 0.2 minutes,
      // and tan(89) = 57 makes it 12 minutes.
      {85, 0, 89, 3000, 1e-3, 0.5}, {-85, 170, 95, 2500, 1e-3, 0.5}, {80, 10, 80, 2000, 1e-3, 0.5},
      {88, -170, 271, 1500, 1e-3, 0.5},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(legend(r.lat, r.lon, r.course, r.distance));
    CalcRecord c{.Lat1 = r.lat, .Lon1 = r.lon, .Course = r.course, .Distance = r.distance};
    DeadReckoning(c);
    double lat2, lon2;
    oracleRhumb().Direct(r.lat, r.lon, r.course, r.distance * 1852, lat2, lon2);
    // Latitude: CosDeg has 5 decimals, so dLat is off by up to 5e-6 * distance minutes.
    const double latTol = r.latTol ? r.latTol : 5e-6 * r.distance / 60 + 1e-6;
    EXPECT_NEAR(c.Lat2, lat2, latTol);
    // Longitude: TanDeg has 5 decimals (5e-6 * dMP minutes), the latitude error moves
    // dMP by 60/cos(lat2) per degree, scaled by tan(course), plus single precision.
    const double cr = r.course * kRad;
    const double dmp = std::fabs(MeridionalParts(lat2) - MeridionalParts(r.lat));
    const double lonTol = r.lonTol ? r.lonTol
                                   : (5e-6 * dmp) / 60 + latTol * std::fabs(std::tan(cr)) / std::cos(lat2 * kRad) +
                                         (std::fabs(MeridionalParts(lat2)) + std::fabs(MeridionalParts(r.lat))) *
                                             1.2e-7 * std::fabs(std::tan(cr)) / 60 +
                                         2e-6;
    EXPECT_LE(courseDiff(c.Lon2, lon2), lonTol);
    EXPECT_GE(c.Lon2, -180);
    EXPECT_LE(c.Lon2, 180);
  }
}

TEST(GreatCircle, MeridiansTheEquatorAndIdenticalPoints) {
  const struct {
    double lat1, lon1, lat2, lon2, course, distance;
  } rows[] = {
      {10, 0, 9, 0, 180, 60}, {9, 0, 10, 0, 0, 60}, {0, 179.5, 0, -179.5, 90, 60}, {0, -179.5, 0, 179.5, 270, 60},
      {0, 0, 0, 90, 90, 5400},
      {0, 0, 0, 0, 0, 0}, {52, 4, 52, 4, 0, 0}, {-89, 179.9, -89, 179.9, 0, 0},  // exactly 0, whatever was there
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(legend(r.lat1, r.lon1, r.lat2, r.lon2));
    CalcRecord c = points(r.lat1, r.lon1, r.lat2, r.lon2);
    c.Course = 123;
    c.Distance = 456;
    GreatCircle(c);
    if (r.distance == 0) {
      EXPECT_EQ(c.Course, 0);
      EXPECT_EQ(c.Distance, 0);
      continue;
    }
    EXPECT_NEAR(courseDiff(c.Course, r.course), 0, 1e-4);
    EXPECT_LT(c.Course, 360);
    // The haversine value is rounded to 4 decimals by ArcSin: 2 * 5e-5 / cos(d/2) rad.
    EXPECT_NEAR(c.Distance, r.distance, 2 * 5e-5 / std::cos(r.distance / 60 * kRad / 2) / kRad * 60 + 0.01);
  }
}

// The spread of the initial course when the rounded quantities of the haversine
// routine move by half their last digit: the distance (ArcSin rounds s to 4 decimals),
// and the cosine argument (ArcCos rounds x to 3 decimals). That is why courses near
// north and south are coarse.
double gcCourseTolerance(double lat1, double lat2, double dRad, double aziDeg) {
  const double c0 = std::acos(std::clamp(std::cos(aziDeg * kRad), -1.0, 1.0));
  const double dd = 2 * 5e-5 / std::cos(dRad / 2);
  double worst = 0;
  for (double ed : {-dd, 0.0, dd}) {
    const double d = dRad + ed;
    const double x = (std::sin(lat2 * kRad) - std::sin(lat1 * kRad) * std::cos(d)) / (std::sin(d) * std::cos(lat1 * kRad));
    for (double ex : {-5e-4 - 2e-5, 5e-4 + 2e-5}) {
      const double c = std::acos(std::clamp(x + ex, -1.0, 1.0));
      worst = std::max(worst, std::fabs(c - c0));
    }
  }
  return worst / kRad + 0.001;
}

TEST(GreatCircle, AgreesWithGeographicLib) {
  for (const Pair& r : kPairs) {
    SCOPED_TRACE(legend(r.lat1, r.lon1, r.lat2, r.lon2));
    CalcRecord c = points(r.lat1, r.lon1, r.lat2, r.lon2);
    GreatCircle(c);
    double s12, azi1, azi2;
    const double arc = oracleGeodesic().Inverse(r.lat1, r.lon1, r.lat2, r.lon2, s12, azi1, azi2);
    const double nm = s12 / 1852;
    const double dRad = arc * kRad;
    // Distance: s has 4 decimals in ArcSin, so d is off by up to 2 * 5e-5 / cos(d/2)
    // radians (0.34 nm at short range, more towards the antipode); the 5-decimal sines
    // and cosines add 2e-5 of s at most.
    const double distTol = (2 * (5e-5 + 2e-5) / std::cos(dRad / 2)) / kRad * 60 + 1e-3;
    EXPECT_NEAR(c.Distance, nm, distTol);
    EXPECT_LE(courseDiff(c.Course, azi1), gcCourseTolerance(r.lat1, r.lat2, dRad, azi1));
    EXPECT_GE(c.Course, 0);
    EXPECT_LT(c.Course, 360);
  }
}

// Near north the 3-decimal ArcCos makes the course jump: the first step away from 0
// is acos(0.999) = 2.5626 degrees. The true initial courses below are 0, 0.29 and 2.0
// degrees (cosines 1, 0.99999 and 0.99939, all far from a rounding boundary).
TEST(GreatCircle, CoarseCoursesNearNorth) {
  const double step = std::acos(0.999) / kRad;
  const struct {
    double lat2, lon2, course;
  } rows[] = {
      {60, 0, 0}, {60, 0.5, 0}, {60, -0.5, 0}, {60, 3.47, step}, {60, -3.47, 360 - step},
      {-60, 3.47, 180 - step}, {-60, -3.47, 180 + step},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(legend(0, 0, r.lat2, r.lon2));
    CalcRecord c = points(0, 0, r.lat2, r.lon2);
    GreatCircle(c);
    EXPECT_NEAR(c.Course, r.course, 1e-4);  // single precision of the course
  }
}

TEST(GreatCircleRoutePoints, IntervalLongerThanTheDistanceGivesTwoPoints) {
  const auto pts = GreatCircleRoutePoints(52, 4, 53, 6, 500, 1.0);
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_DOUBLE_EQ(pts[0].lat, 52);
  EXPECT_DOUBLE_EQ(pts[0].lon, 4);
  EXPECT_DOUBLE_EQ(pts[1].lat, 53);
  EXPECT_DOUBLE_EQ(pts[1].lon, 6);
  // A zero or negative interval cannot loop: just the two ends.
  EXPECT_EQ(GreatCircleRoutePoints(52, 4, 53, 6, 0, 1.0).size(), 2u);
  EXPECT_EQ(GreatCircleRoutePoints(52, 4, 53, 6, -5, 1.0).size(), 2u);
}

TEST(GreatCircleRoutePoints, PointsFollowTheGreatCircle) {
  // London to New York, a point every 300 nm: the legs start on the great circle.
  const double lat1 = 51.5, lon1 = -0.1, lat2 = 40.7, lon2 = -74.0;
  const auto pts = GreatCircleRoutePoints(lat1, lon1, lat2, lon2, 300, 1.0);
  CalcRecord whole = points(lat1, lon1, lat2, lon2);
  GreatCircle(whole);
  const size_t legs = static_cast<size_t>(std::ceil(whole.Distance / 300));
  EXPECT_NEAR(static_cast<double>(pts.size()), static_cast<double>(legs + 1), 1.0);
  EXPECT_DOUBLE_EQ(pts.back().lat, lat2);
  EXPECT_DOUBLE_EQ(pts.back().lon, lon2);
  for (size_t i = 1; i + 1 < pts.size(); ++i) {
    SCOPED_TRACE(i);
    // Each leg is a 300 nm rhumb line whose direction is the great-circle course from
    // its start to the destination (the route re-aims at every point).
    double s12, azi;
    oracleRhumb().Inverse(pts[i - 1].lat, pts[i - 1].lon, pts[i].lat, pts[i].lon, s12, azi);
    EXPECT_NEAR(s12 / 1852, 300, 300 * 1e-4);  // 5-decimal trigonometry of the leg
    double gs, gazi1, gazi2;
    const double arc = oracleGeodesic().Inverse(pts[i - 1].lat, pts[i - 1].lon, lat2, lon2, gs, gazi1, gazi2);
    EXPECT_LE(courseDiff(azi, gazi1), gcCourseTolerance(pts[i - 1].lat, lat2, arc * kRad, gazi1) + 0.01);
  }
  // The last leg to the destination is not longer than the interval.
  double last;
  oracleGeodesic().Inverse(pts[pts.size() - 2].lat, pts[pts.size() - 2].lon, lat2, lon2, last);
  EXPECT_LE(last / 1852, 300.5);
  // In kilometres the interval is divided by UnitFactor: 300 km are 162 nm.
  const auto km = GreatCircleRoutePoints(lat1, lon1, lat2, lon2, 300, 1.852);
  EXPECT_GT(km.size(), pts.size());
}


// Bit for bit what the first implementation gave, over a dense grid of the helpers'
// arguments and a large random table of positions (the optimised code must not move a
// single result).
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(NavMathSpeedups, TrigHelpersBitIdentical) {
  long mismatches = 0;
  for (int i = -1440000; i <= 1440000; i += 3) {
    const float deg = static_cast<float>(i) / 2000.0f;  // -720..720 degrees
    mismatches += !same(SinDeg(deg), reference::SinDeg(deg));
    mismatches += !same(CosDeg(deg), reference::CosDeg(deg));
    mismatches += !same(TanDeg(deg), reference::TanDeg(deg));
  }
  for (int i = -1100000; i <= 1100000; i += 3) {
    const float x = static_cast<float>(i) / 1000000.0f;  // -1.1..1.1
    mismatches += !same(ArcCos(x), reference::ArcCos(x));
    mismatches += !same(ArcSin(x), reference::ArcSin(x));
    mismatches += !same(AtnDeg(x * 1000), reference::AtnDeg(x * 1000));
  }
  // Signed zeros and the smallest values keep their sign through the rounding.
  for (float x : {-0.0f, 0.0f, -1e-30f, 1e-30f, -1e-7f, 1e-7f}) {
    mismatches += !same(SinDeg(x), reference::SinDeg(x));
    mismatches += !same(TanDeg(x), reference::TanDeg(x));
    mismatches += !same(AtnDeg(x), reference::AtnDeg(x));
    mismatches += !same(ArcSin(x), reference::ArcSin(x));
    mismatches += !same(ArcCos(x), reference::ArcCos(x));
  }
  for (int i = -9000; i <= 9000; ++i) {
    const double lat = i / 100.0;
    mismatches += !same(MeridionalParts(lat), reference::MeridionalParts(lat));
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(NavMathSpeedups, PositionRoutinesBitIdentical) {
  unsigned long long state = 0x243F6A8885A308D3ull;
  auto uniform = [&state](double lo, double hi) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return lo + (hi - lo) * static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  const double specialLat[] = {0, 52, -52, 60, 89.5, -89.5, 50.00005};
  const double specialLon[] = {0, 180, -180, 179.5, -179.5, 4, 5};
  const double specialCourse[] = {0, 90, 180, 270, 89.99999, 269.99999, 359.999, 45};
  long mismatches = 0;
  for (int i = 0; i < 400000; ++i) {
    CalcRecord a;
    const double reach = i % 3 == 0 ? 0.001 : i % 3 == 1 ? 1 : 90;
    a.Lat1 = i % 11 == 0 ? specialLat[i % 7] : uniform(-85, 85);
    a.Lon1 = i % 13 == 0 ? specialLon[i % 7] : uniform(-180, 180);
    a.Lat2 = i % 17 == 0 ? a.Lat1 : std::clamp(a.Lat1 + uniform(-reach, reach), -85.0, 85.0);
    a.Lon2 = i % 19 == 0 ? a.Lon1 : a.Lon1 + uniform(-reach, reach);
    if (a.Lon2 > 180) a.Lon2 -= 360;
    if (a.Lon2 < -180) a.Lon2 += 360;
    CalcRecord b = a;
    RhumbCourseDistance(a);
    reference::RhumbCourseDistance(b);
    mismatches += !same(a.Course, b.Course) || !same(a.Distance, b.Distance);
    GreatCircle(a);
    reference::GreatCircle(b);
    mismatches += !same(a.Course, b.Course) || !same(a.Distance, b.Distance);
    a.Course = b.Course = i % 5 == 0 ? specialCourse[i % 8] : uniform(0, 360);
    a.Distance = b.Distance = uniform(0, reach * 60);
    DeadReckoning(a);
    reference::DeadReckoning(b);
    mismatches += !same(a.Lat2, b.Lat2) || !same(a.Lon2, b.Lon2);
  }
  // A fine sweep of latitudes (the meridional parts are taken from fitted pieces of a
  // quarter degree between 80S and 80N, and from the formula elsewhere).
  for (int i = -900000; i <= 900000; i += 7) {
    CalcRecord a;
    a.Lat1 = i * 1e-4;
    a.Lon1 = 10;
    a.Lat2 = a.Lat1 + (i % 3 - 1) * 0.37;
    a.Lon2 = 11;
    CalcRecord b = a;
    RhumbCourseDistance(a);
    reference::RhumbCourseDistance(b);
    mismatches += !same(a.Course, b.Course) || !same(a.Distance, b.Distance);
    a.Course = b.Course = (i % 360 + 360) % 360 + 0.5;
    a.Distance = b.Distance = (i % 5) * 13.1;
    DeadReckoning(a);
    reference::DeadReckoning(b);
    mismatches += !same(a.Lat2, b.Lat2) || !same(a.Lon2, b.Lon2);
  }
  // Nearly antipodal pairs (the haversine value rounds to 1) and values that are not
  // numbers take the routes around the tables.
  for (int i = 0; i < 20000; ++i) {
    CalcRecord a;
    a.Lat1 = uniform(-80, 80);
    a.Lon1 = uniform(-180, 0);
    a.Lat2 = -a.Lat1 + uniform(-0.01, 0.01);
    a.Lon2 = a.Lon1 + 180 + uniform(-0.01, 0.01);
    if (i % 1000 == 0) a.Lat2 = std::numeric_limits<double>::quiet_NaN();
    CalcRecord b = a;
    GreatCircle(a);
    reference::GreatCircle(b);
    mismatches += !same(a.Course, b.Course) || !same(a.Distance, b.Distance);
    RhumbCourseDistance(a);
    reference::RhumbCourseDistance(b);
    mismatches += !same(a.Course, b.Course) || !same(a.Distance, b.Distance);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace tavrik
