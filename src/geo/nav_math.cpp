#include "geo/nav_math.h"

#include <cmath>

#include "core/number_format.h"

namespace tavrik {
namespace {
const double kPi = 4.0 * std::atan(1.0);
const double kDegToRad = kPi / 180.0;

float round5(double v) { return static_cast<float>(roundHalfEven(v, 5)); }
}  // namespace

double Pi() { return kPi; }

float SinDeg(float x) { return round5(std::sin(x * kDegToRad)); }
float CosDeg(float x) { return round5(std::cos(x * kDegToRad)); }
float TanDeg(float x) { return round5(std::tan(x * kDegToRad)); }
float AtnDeg(float x) { return static_cast<float>(roundHalfEven(std::atan(x) * 180.0 / kPi, 3)); }

float ArcCos(float x) {
  const double v = roundHalfEven(x, 3);
  if (v >= 1) return 0;
  if (v <= -1) return static_cast<float>(kPi);
  return static_cast<float>(std::atan(-v / std::sqrt(1 - v * v)) + 2 * std::atan(1.0));
}

float ArcSin(float x) {
  const double v = roundHalfEven(x, 4);
  if (v >= 1) return static_cast<float>(kPi / 2);
  if (v <= -1) return static_cast<float>(3 * kPi / 2);
  return static_cast<float>(std::atan(v / std::sqrt(1 - v * v)));
}

double AngleDiff(double a, double b) {
  if (a < 0) a += 360;
  if (b < 0) b += 360;
  double r = b - a;
  if (r > 180) r -= 360;
  if (r < -180) r += 360;
  return r;
}

double MeridionalParts(double lat) {
  if (lat == 0) return 0;
  return kMeridionalPartsConstant * std::log10(std::tan((45.0 + lat / 2.0) * kDegToRad));
}

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
