#include "geo/nav_math.h"

#include <cmath>
#include <utility>

namespace tavrik {
namespace {
const double kPi = 4.0 * std::atan(1.0);
const double kDegToRad = kPi / 180.0;
const double kHalfPi = 2 * std::atan(1.0);

// These routines run on every go-to and alarm tick and on every mouse move, so the
// helpers are inlined here (which also lets the compiler take sine and cosine of one
// angle in one call) and round without a library call. Each gives exactly what
// roundHalfEven and the plain helpers give; the tests compare them bit for bit.

// Nearest integer, ties to even (what nearbyint does in the default rounding mode):
// adding and taking away 2^52 leaves no fraction bits, and the addition rounds. The
// result keeps the sign of x, as nearbyint's does (-0.3 and -0.0 give -0.0).
inline double roundToInteger(double x) {
  constexpr double kTwo52 = 4503599627370496.0;
  const double a = std::fabs(x);
  if (!(a < kTwo52)) return x;  // already whole, or not a number
  return std::copysign((a + kTwo52) - kTwo52, x);
}
// roundHalfEven(v, decimals) for a power of ten `scale`.
inline double roundScaled(double v, double scale) { return roundToInteger(v * scale) / scale; }
inline float round5(double v) { return static_cast<float>(roundScaled(v, 1e5)); }

inline float sinDeg(float x) { return round5(std::sin(x * kDegToRad)); }
inline float cosDeg(float x) { return round5(std::cos(x * kDegToRad)); }
inline float tanDeg(float x) { return round5(std::tan(x * kDegToRad)); }
inline float atnDeg(float x) { return static_cast<float>(roundScaled(std::atan(x) * 180.0 / kPi, 1e3)); }

inline float arcCos(float x) {
  const double v = roundScaled(x, 1e3);
  if (v >= 1) return 0;
  if (v <= -1) return static_cast<float>(kPi);
  return static_cast<float>(std::atan(-v / std::sqrt(1 - v * v)) + kHalfPi);
}

inline float arcSin(float x) {
  const double v = roundScaled(x, 1e4);
  if (v >= 1) return static_cast<float>(kPi / 2);
  if (v <= -1) return static_cast<float>(3 * kPi / 2);
  return static_cast<float>(std::atan(v / std::sqrt(1 - v * v)));
}

inline double meridionalParts(double lat) {
  if (lat == 0) return 0;
  return kMeridionalPartsConstant * std::log10(std::tan((45.0 + lat / 2.0) * kDegToRad));
}

// ArcSin and ArcCos round their argument to 4 and 3 decimals first, so they take only
// 20001 and 2001 distinct values: tables of those values, computed once with the very
// expressions above, replace the square root and the arc tangent. The great circle
// also tables what follows from the rounded haversine alone (sine and cosine of the
// distance angle, the distance) and the course from the rounded cosine argument.
struct GreatCircleTables {
  static constexpr int kSin = 10000;  // ArcSin index k: v = k / 1e4, -kSin..kSin
  static constexpr int kCos = 1000;   // ArcCos index k: v = k / 1e3, -kCos..kCos
  float arcSin[2 * kSin + 1];
  float arcCos[2 * kCos + 1];
  double sinD[kSin + 1], cosD[kSin + 1];  // of d = 2 * ArcSin(k / 1e4), k >= 0
  float distance[kSin + 1];
  float courseEast[2 * kCos + 1], courseWest[2 * kCos + 1];

  GreatCircleTables() {
    for (int k = -kSin; k <= kSin; ++k) arcSin[k + kSin] = arcSinOf(k / 1e4);
    for (int k = -kCos; k <= kCos; ++k) {
      const float c = arcCosOf(k / 1e3);
      arcCos[k + kCos] = c;
      courseEast[k + kCos] = static_cast<float>(c * 180.0 / kPi);
      courseWest[k + kCos] = static_cast<float>((2 * kPi - c) * 180.0 / kPi);
    }
    for (int k = 0; k <= kSin; ++k) {
      const float d = 2.0f * arcSin[k + kSin];
      sinD[k] = std::sin(static_cast<double>(d));
      cosD[k] = std::cos(static_cast<double>(d));
      distance[k] = static_cast<float>(d * 180.0 * 60.0 / kPi);
    }
  }
  static float arcSinOf(double v) {
    if (v >= 1) return static_cast<float>(kPi / 2);
    if (v <= -1) return static_cast<float>(3 * kPi / 2);
    return static_cast<float>(std::atan(v / std::sqrt(1 - v * v)));
  }
  static float arcCosOf(double v) {
    if (v >= 1) return 0;
    if (v <= -1) return static_cast<float>(kPi);
    return static_cast<float>(std::atan(-v / std::sqrt(1 - v * v)) + kHalfPi);
  }
};
const GreatCircleTables kTables;

// The rhumb-line course is AtnDeg's value, a whole number of thousandths of a degree
// between -90 and 90 (brought to 270..360 when negative), so its rounded cosine comes
// from a table of those 180001 courses.
struct RhumbCosineTable {
  static constexpr int kSteps = 90000;
  float cosine[2 * kSteps + 1];
  RhumbCosineTable() {
    for (int k = -kSteps; k <= kSteps; ++k) cosine[k + kSteps] = cosDeg(courseOf(k));
  }
  // The course for AtnDeg index k, as RhumbCourseDistance forms it.
  static float courseOf(double k) {
    float course = static_cast<float>(k / 1e3);
    if (course < 0) course += 360;
    return course;
  }
};
const RhumbCosineTable kRhumbCosine;

// The position routines keep the meridional parts as singles. Between 80S and 80N a
// polynomial of degree 6 on every quarter degree, fitted at start-up to the values
// above, is within 1e-10 minutes of them (measured: 2e-11, the rounding noise of the
// formula itself); where that is far enough from the point between two singles it
// decides the single, and otherwise the formula does. The result is the same single
// either way, without the tangent and the logarithm.
class MeridionalPartsFit {
 public:
  MeridionalPartsFit() {
    constexpr int n = kDegree + 1;
    for (int i = 0; i < kPieces; ++i) {
      const double centre = -kLimit + (i + 0.5) * kStep;
      double a[n][n + 1];  // Vandermonde rows at the Chebyshev points, then the values
      for (int j = 0; j < n; ++j) {
        const double u = std::cos((2 * j + 1) * kPi / (2 * n));
        double power = 1;
        for (int k = 0; k < n; ++k, power *= u) a[j][k] = power;
        a[j][n] = meridionalParts(centre + u * kStep / 2);
      }
      for (int col = 0; col < n; ++col) {  // Gauss-Jordan with partial pivoting
        int pivot = col;
        for (int row = col + 1; row < n; ++row)
          if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        for (int k = 0; k <= n; ++k) std::swap(a[col][k], a[pivot][k]);
        for (int row = 0; row < n; ++row) {
          if (row == col) continue;
          const double f = a[row][col] / a[col][col];
          for (int k = col; k <= n; ++k) a[row][k] -= f * a[col][k];
        }
      }
      for (int k = 0; k < n; ++k) m_coeff[i][k] = a[k][n] / a[k][k];
    }
  }

  // static_cast<float>(meridionalParts(lat)).
  float single(double lat) const {
    const double x = (lat + kLimit) * (1 / kStep);
    if (x >= 0 && x < kPieces) {  // false for a value that is not a number
      const int i = static_cast<int>(x);
      const double u = (x - i) * 2 - 1;
      const double* c = m_coeff[i];
      const double u2 = u * u, u4 = u2 * u2;
      const double p = (c[0] + c[1] * u) + u2 * (c[2] + c[3] * u) + u4 * ((c[4] + c[5] * u) + u2 * c[6]);
      const float f = static_cast<float>(p);
      if (static_cast<float>(p - kMargin) == f && static_cast<float>(p + kMargin) == f) return f;
    }
    return static_cast<float>(meridionalParts(lat));
  }

 private:
  static constexpr double kLimit = 80;     // degrees either side of the equator
  static constexpr double kStep = 0.25;    // degrees per piece
  static constexpr int kPieces = 640;
  static constexpr int kDegree = 6;
  static constexpr double kMargin = 2e-9;  // minutes; 100 times the fit's error
  double m_coeff[kPieces][kDegree + 1];
};
const MeridionalPartsFit kMeridionalParts;

// Index of the rounded argument, clamped to the table ends (which hold the results
// for |v| >= 1); false for a value that is not a number.
inline bool tableIndex(double scaled, int limit, int& index) {
  const double k = roundToInteger(scaled);
  if (k >= limit) index = limit;
  else if (k <= -limit) index = -limit;
  else if (k == k) index = static_cast<int>(k);
  else return false;
  return true;
}

inline float arcCosFast(float x) {
  int k;
  return tableIndex(x * 1e3, GreatCircleTables::kCos, k) ? kTables.arcCos[k + GreatCircleTables::kCos]
                                                         : arcCos(x);
}
inline float arcSinFast(float x) {
  int k;
  // Index 0 is left to the formula: it keeps the sign of a negative zero.
  return tableIndex(x * 1e4, GreatCircleTables::kSin, k) && k != 0 ? kTables.arcSin[k + GreatCircleTables::kSin]
                                                                   : arcSin(x);
}

// SinDeg(x) < 0 without the sine where the sign is beyond doubt: at least 0.01 degrees
// from a multiple of 180 the sine is larger than the rounding step of 5e-6.
inline bool sinDegNegative(float x) {
  if (x > 0.01f && x < 179.99f) return false;
  if (x > 180.01f && x < 359.99f) return true;
  if (x < -0.01f && x > -179.99f) return true;
  if (x < -180.01f && x > -359.99f) return false;
  return sinDeg(x) < 0;
}
}  // namespace

double Pi() { return kPi; }

float SinDeg(float x) { return sinDeg(x); }
float CosDeg(float x) { return cosDeg(x); }
float TanDeg(float x) { return tanDeg(x); }
float AtnDeg(float x) { return atnDeg(x); }
float ArcCos(float x) { return arcCosFast(x); }
float ArcSin(float x) { return arcSinFast(x); }

double AngleDiff(double a, double b) {
  if (a < 0) a += 360;
  if (b < 0) b += 360;
  double r = b - a;
  if (r > 180) r -= 360;
  if (r < -180) r += 360;
  return r;
}

double MeridionalParts(double lat) { return meridionalParts(lat); }

double LatitudeFromMeridionalParts(double m) {
  return 2.0 * (std::atan(std::pow(10.0, m / kMeridionalPartsConstant)) * 180.0 / kPi - 45.0);
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
  const float mp2 = kMeridionalParts.single(static_cast<float>(r.Lat2));
  const float mp1 = kMeridionalParts.single(static_cast<float>(r.Lat1));
  const float dMP = mp2 - mp1;
  float course;
  float distance;
  if (dMP != 0) {
    const double k = roundToInteger(std::atan(dLonMin / dMP) * 180.0 / kPi * 1e3);  // AtnDeg * 1000
    float c;
    if (k >= -RhumbCosineTable::kSteps && k <= RhumbCosineTable::kSteps) {
      course = RhumbCosineTable::courseOf(k);
      c = kRhumbCosine.cosine[static_cast<int>(k) + RhumbCosineTable::kSteps];
    } else {  // not a number
      course = atnDeg(dLonMin / dMP);
      if (course < 0) course += 360;
      if (course > 360) course -= 360;
      c = cosDeg(course);
    }
    if (c == 0) {
      // The course rounded to exactly east or west although the latitudes differ by a
      // few metres: the track is the parallel, so steer 090/270 and give the departure
      // at the middle latitude, as a navigator would.
      course = dLonMin >= 0 ? 90.0f : 270.0f;
      distance = cosDeg(static_cast<float>((r.Lat1 + r.Lat2) / 2.0)) * std::fabs(dLonMin);
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
    distance = cosDeg(static_cast<float>(r.Lat1)) * dLonMin;
  }
  if (course > 360) course -= 360;
  r.Course = course;
  r.Distance = distance;
}

void DeadReckoning(CalcRecord& r) {
  const float course = static_cast<float>(r.Course);
  const float distance = static_cast<float>(r.Distance);
  // What does not depend on the new latitude first, so that the processor can work on
  // it while the latitude's chain (cosine, meridional parts) runs.
  const float mp1 = kMeridionalParts.single(r.Lat1);
  const float tanCourse = tanDeg(course);
  const float dLatMin = cosDeg(course) * distance;
  r.Lat2 = r.Lat1 + dLatMin / 60.0f;
  if (std::fabs(r.Lat2) > 90) {
    // A rhumb line spirals into the pole and ends there, so a longer run stops at the
    // pole (whose longitude is taken as the start's) instead of passing latitude 90.
    r.Lat2 = r.Lat2 > 0 ? 90 : -90;
    r.Lon2 = r.Lon1;
    return;
  }
  const float dMP = kMeridionalParts.single(r.Lat2) - mp1;
  float dLonMin;
  if (dMP == 0) {
    // East or west along the parallel (or no distance at all). A course that only
    // rounds to east-west (89.9999) takes its side from the sine of the course.
    const float s = sinDeg(course);
    const float c = cosDeg(static_cast<float>(std::fabs(r.Lat1)));
    dLonMin = (c == 0 || s == 0) ? 0.0f : distance / c;
    if (s < 0) dLonMin = -dLonMin;
  } else {
    dLonMin = tanCourse * dMP;
  }
  double lon = r.Lon1 + dLonMin / 60.0f;
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  // Near the poles a long run changes the longitude by more than a turn; one 360 is
  // then not enough to bring it back to -180..180.
  if (lon > 180 || lon < -180) {
    lon = std::fmod(lon, 360.0);
    if (lon > 180) lon -= 360;
    else if (lon < -180) lon += 360;
  }
  r.Lon2 = lon;
}

namespace {
// The haversine steps without tables, for arguments the tables cannot index.
void greatCircleDirect(CalcRecord& r, float a, float b, float cos1, float cos2) {
  const float s = std::sqrt(b * b + cos1 * cos2 * a * a);
  const float d = 2.0f * arcSin(s);
  if (d == 0) {
    r.Course = 0;
    r.Distance = 0;
    return;
  }
  const double sind = std::sin(static_cast<double>(d));
  const double cosd = std::cos(static_cast<double>(d));
  const float denom = static_cast<float>(sind * cos1);
  const float x = denom == 0 ? 1.0f
                             : static_cast<float>((sinDeg(static_cast<float>(r.Lat2)) -
                                                   sinDeg(static_cast<float>(r.Lat1)) * cosd) / denom);
  const float c = arcCos(x);
  float course;
  if (sinDeg(static_cast<float>(r.Lon1 - r.Lon2)) < 0) course = static_cast<float>(c * 180.0 / kPi);
  else course = static_cast<float>((2 * kPi - c) * 180.0 / kPi);
  if (course >= 360) course -= 360;
  r.Course = course;
  r.Distance = static_cast<float>(d * 180.0 * 60.0 / kPi);
}
}  // namespace

void GreatCircle(CalcRecord& r) {
  const float a = sinDeg(static_cast<float>((r.Lon1 - r.Lon2) / 2.0));
  const float b = sinDeg(static_cast<float>((r.Lat1 - r.Lat2) / 2.0));
  const float cos1 = cosDeg(static_cast<float>(r.Lat1));
  const float cos2 = cosDeg(static_cast<float>(r.Lat2));
  const float s = std::sqrt(b * b + cos1 * cos2 * a * a);
  int ks;
  if (!tableIndex(s * 1e4, GreatCircleTables::kSin, ks) || ks < 0) {
    greatCircleDirect(r, a, b, cos1, cos2);  // not a number: the plain formulas
    return;
  }
  if (ks == 0) {  // d = 2 * ArcSin(0) = 0
    r.Course = 0;
    r.Distance = 0;
    return;
  }
  const double sind = kTables.sinD[ks];
  const double cosd = kTables.cosD[ks];
  const float denom = static_cast<float>(sind * cos1);
  const float x = denom == 0 ? 1.0f
                             : static_cast<float>((sinDeg(static_cast<float>(r.Lat2)) -
                                                   sinDeg(static_cast<float>(r.Lat1)) * cosd) / denom);
  int kc;
  float course;
  if (tableIndex(x * 1e3, GreatCircleTables::kCos, kc)) {
    course = sinDegNegative(static_cast<float>(r.Lon1 - r.Lon2)) ? kTables.courseEast[kc + GreatCircleTables::kCos]
                                                                 : kTables.courseWest[kc + GreatCircleTables::kCos];
  } else {
    const float c = arcCos(x);
    if (sinDeg(static_cast<float>(r.Lon1 - r.Lon2)) < 0) course = static_cast<float>(c * 180.0 / kPi);
    else course = static_cast<float>((2 * kPi - c) * 180.0 / kPi);
  }
  if (course >= 360) course -= 360;
  r.Course = course;
  r.Distance = kTables.distance[ks];
}

std::vector<LatLon> GreatCircleRoutePoints(double lat1, double lon1, double lat2, double lon2,
                                           double interval, double unitFactor) {
  std::vector<LatLon> points{{lat1, lon1}};
  if (!(interval > 0) || !(unitFactor > 0)) {
    points.push_back({lat2, lon2});
    return points;
  }
  CalcRecord r;
  r.Lat1 = lat1;
  r.Lon1 = lon1;
  r.Lat2 = lat2;
  r.Lon2 = lon2;
  GreatCircle(r);
  // The rounded trigonometry can leave a remainder that no longer shrinks; stop then
  // rather than loop for ever.
  double previous = r.Distance * unitFactor + 1;
  for (int guard = 0; guard < 100000 && interval < r.Distance * unitFactor &&
                      r.Distance * unitFactor < previous;
       ++guard) {
    previous = r.Distance * unitFactor;
    CalcRecord dr;
    dr.Lat1 = r.Lat1;
    dr.Lon1 = r.Lon1;
    dr.Course = r.Course;
    dr.Distance = interval / unitFactor;
    DeadReckoning(dr);
    points.push_back({dr.Lat2, dr.Lon2});
    r.Lat1 = dr.Lat2;
    r.Lon1 = dr.Lon2;
    r.Lat2 = lat2;
    r.Lon2 = lon2;
    GreatCircle(r);
  }
  points.push_back({lat2, lon2});
  return points;
}

}  // namespace tavrik
