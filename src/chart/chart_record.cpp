#include "chart/chart_record.h"

#include <cmath>

#include "chart/raster_chart.h"
#include "core/messages.h"
#include "geo/nav_math.h"

namespace tavrik {
namespace {

struct Vec {
  double x = 0, y = 0;
};

// Line through p and q as a*x + b*y + c = 0 (the calibration's own form).
struct Line {
  double a = 0, b = 0, c = 0;
};
Line lineThrough(const Vec& p, const Vec& q) {
  return {p.y - q.y, q.x - p.x, (q.y - p.y) * p.x - (q.x - p.x) * p.y};
}
double signedDistance(const Line& l, const Vec& p) {
  const double n = std::sqrt(l.a * l.a + l.b * l.b);
  return n == 0 ? 0 : (l.a * p.x + l.b * p.y + l.c) / n;
}

// The affine map sending src1..3 to dst1..3: with t the signed distance of p from the
// line src1-src2 as a fraction of that of src3, and s that from src1-src3 as a fraction
// of that of src2, the result is dst1 + s (dst2 - dst1) + t (dst3 - dst1). This is the
// point where the image line of equal t meets the image line of equal s, written
// directly: intersecting the two lines degenerates (0 / 0) wherever s or t is 1, which
// includes calibration points 2 and 3 themselves. False for collinear points.
bool threePoint(const Vec src[3], const Vec dst[3], const Vec& p, Vec& out) {
  const Line l12 = lineThrough(src[0], src[1]);
  const Line l13 = lineThrough(src[0], src[2]);
  const double d3 = signedDistance(l12, src[2]);
  const double d2 = signedDistance(l13, src[1]);
  if (d3 == 0 || d2 == 0) return false;
  const double t = signedDistance(l12, p) / d3;
  const double s = signedDistance(l13, p) / d2;
  out.x = dst[0].x + s * (dst[1].x - dst[0].x) + t * (dst[2].x - dst[0].x);
  out.y = dst[0].y + s * (dst[1].y - dst[0].y) + t * (dst[2].y - dst[0].y);
  return true;
}

}  // namespace

void LatLonToChart(const ChartRecord& c, float lat, float lon, float& x, float& y) {
  if (c.mercator) {
    if (c.milelat == 0 || c.milelon == 0) {  // uncalibrated: stay on point 1
      x = c.x1;
      y = c.y1;
      return;
    }
    const double m = static_cast<float>(MeridionalParts(lat));
    const double m1 = static_cast<float>(MeridionalParts(static_cast<float>(c.latitude1)));
    y = static_cast<float>(c.y1 - (m - m1) * c.milelat);
    x = static_cast<float>(c.x1 + AngleDiff(c.longitude1, lon) * 60.0 * c.milelon);
    return;
  }
  // Plane (lon, lat) -> image, no longitude wrap.
  const Vec src[3] = {{c.longitude1, c.latitude1}, {c.longitude2, c.latitude2}, {c.longitude3, c.latitude3}};
  const Vec dst[3] = {{c.x1, c.y1}, {c.x2, c.y2}, {c.x3, c.y3}};
  Vec out{c.x1, c.y1};
  threePoint(src, dst, {lon, lat}, out);
  x = static_cast<float>(out.x);
  y = static_cast<float>(out.y);
}

void ChartToLatLon(const ChartRecord& c, float x, float y, double& lat, double& lon) {
  if (c.mercator) {
    if (c.milelat == 0 || c.milelon == 0) {
      lat = c.latitude1;
      lon = c.longitude1;
      return;
    }
    lon = (x - c.x1) / c.milelon / 60.0 + c.longitude1;
    if (lon > 180) lon -= 360;
    if (lon < -180) lon += 360;
    const double m1 = static_cast<float>(MeridionalParts(static_cast<float>(c.latitude1)));
    lat = LatitudeFromMeridionalParts(m1 + (c.y1 - y) / c.milelat);
    return;
  }
  // Positions on the marked points 2 and 3 give their stored coordinates exactly.
  const float rx = std::nearbyint(x), ry = std::nearbyint(y);
  if (rx == c.x2 && ry == c.y2) {
    lat = c.latitude2;
    lon = c.longitude2;
    return;
  }
  if (rx == c.x3 && ry == c.y3) {
    lat = c.latitude3;
    lon = c.longitude3;
    return;
  }
  const Vec src[3] = {{c.x1, c.y1}, {c.x2, c.y2}, {c.x3, c.y3}};
  const Vec dst[3] = {{c.longitude1, c.latitude1}, {c.longitude2, c.latitude2}, {c.longitude3, c.latitude3}};
  Vec out{c.longitude1, c.latitude1};
  threePoint(src, dst, {x, y}, out);
  lon = out.x;
  lat = out.y;
}

int LatLonToView(const ChartRecord& c, const ChartView& view, double lat, double lon, float& x,
                 float& y) {
  if (!c.bsb) {
    LatLonToChart(c, static_cast<float>(lat), static_cast<float>(lon), x, y);
    return 0;
  }
  double px = 0, py = 0;
  view.lastError = view.raster ? view.raster->latLonToPixel(lat - c.shiftLat, lon - c.shiftLon, px, py) : -1;
  x = static_cast<float>((px - view.viewOriginX) * view.twipsPerPixelX * view.zoom);
  y = static_cast<float>((py - view.viewOriginY) * view.twipsPerPixelY * view.zoom);
  return view.lastError;
}

int ViewToLatLon(const ChartRecord& c, const ChartView& view, float x, float y, double& lat,
                 double& lon) {
  if (!c.bsb) {
    ChartToLatLon(c, x, y, lat, lon);
    return 0;
  }
  const double zx = view.zoom * view.twipsPerPixelX, zy = view.zoom * view.twipsPerPixelY;
  const double px = (zx == 0 ? 0 : x / zx) + view.viewOriginX;
  const double py = (zy == 0 ? 0 : y / zy) + view.viewOriginY;
  lat = lon = 0;
  view.lastError = view.raster ? view.raster->pixelToLatLon(px, py, lat, lon) : -1;
  lat += c.shiftLat;
  lon += c.shiftLon;
  return view.lastError;
}

ChartRecord ZoomedRecord(const ChartRecord& c, double zoom) {
  ChartRecord z = c;
  const auto f = static_cast<float>(zoom);
  z.x1 *= f;
  z.y1 *= f;
  z.x2 *= f;
  z.y2 *= f;
  z.x3 *= f;
  z.y3 *= f;
  z.milelat *= zoom;
  z.milelon *= zoom;
  return z;
}

namespace {
// (dx, dy): where a point 10 degrees north of the calibration point lies from it, in
// chart units.
float rotationOf(double dx, double dy) {
  if (dx >= 20 || dx <= -20)
    return static_cast<float>(ArcSin(static_cast<float>(dx / std::sqrt(dy * dy + dx * dx))) * 180.0 / Pi());
  return dy > 0 ? 180.0f : 0.0f;
}
}  // namespace

float DeriveRotation(const ChartRecord& c, const ChartView& view) {
  if (c.bsb) {
    // A library chart's projection says nothing about its orientation: skewed Mercator
    // charts are common. Its conversion is a polynomial fitted to the chart's own area;
    // ten degrees away it says nothing, and the stored point 1 need not be a pixel of
    // the image. Take north at the chart's middle instead, a hundredth of a degree
    // long, over the whole circle.
    if (!view.raster) return 0;
    const RasterChart& r = *view.raster;
    double lat = 0, lon = 0, x0 = 0, y0 = 0, xn = 0, yn = 0;
    constexpr double kStepDeg = 0.01;
    if (r.pixelToLatLon(r.width() / 2.0, r.height() / 2.0, lat, lon) < 0 || r.latLonToPixel(lat, lon, x0, y0) < 0 ||
        r.latLonToPixel(lat + kStepDeg, lon, xn, yn) < 0)
      return 0;
    // Thousandths of a degree: a north-up chart reads 0, not 359.99999.
    double deg = std::round(std::atan2(xn - x0, y0 - yn) * 180.0 / Pi() * 1000) / 1000;
    if (deg < 0) deg += 360.0;
    if (deg >= 360.0) deg -= 360.0;
    return static_cast<float>(deg);
  }
  if (c.mercator) return 0;
  float X = 0, Y = 0;
  LatLonToView(c, view, c.latitude1 + 10, c.longitude1, X, Y);
  return rotationOf(X - c.x1, Y - c.y1);
}

void CalibrateScales(ChartRecord& c) {
  if (!c.mercator) {
    c.milelat = c.milelon = 0;
    return;
  }
  const double m1 = static_cast<float>(MeridionalParts(static_cast<float>(c.latitude1)));
  const double m2 = static_cast<float>(MeridionalParts(static_cast<float>(c.latitude2)));
  const double dm = std::fabs(m2 - m1);
  const double dlon = std::fabs((c.longitude2 - c.longitude1) * 60.0);
  c.milelat = dm == 0 ? 0 : std::fabs(c.y2 - c.y1) / dm;
  c.milelon = dlon == 0 ? 0 : std::fabs(c.x2 - c.x1) / dlon;
}

CalibrationCheck CheckCalibration(const CalibrationInput& in) {
  CalibrationCheck r;
  const ChartRecord& c = in.record;
  if (in.description.trimmed().isEmpty()) r.message = Msg::NoDescriptionEntered;
  else if (!in.bitmapLoaded) r.message = Msg::NoBitmapLoaded;
  else if (c.mercator && c.latitude1 == c.latitude2) r.message = Msg::LatitudesSame;
  else if (c.mercator && c.longitude1 == c.longitude2) r.message = Msg::LongitudesSame;
  else if (!c.mercator && c.x3 == 0 && c.y3 == 0) r.message = Msg::ThreePointsNeeded;
  else if (!c.mercator) {
    // Three points on one line (on the earth or on the image) give no affine map;
    // such a calibration would turn every position into infinity.
    const Vec ll[3] = {{c.longitude1, c.latitude1}, {c.longitude2, c.latitude2}, {c.longitude3, c.latitude3}};
    const Vec im[3] = {{c.x1, c.y1}, {c.x2, c.y2}, {c.x3, c.y3}};
    auto collinear = [](const Vec p[3]) {
      const double cross = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
      return cross == 0;
    };
    if (collinear(ll) || collinear(im)) r.message = Msg::ThreePointsNeeded;
  }
  if (r.message == 0 && !in.datumSelected) r.message = Msg::NoChartDatum;
  if (r.message != 0) return r;

  ChartRecord scaled = c;
  CalibrateScales(scaled);
  r.milelat = scaled.milelat;
  r.milelon = scaled.milelon;
  if (scaled.mercator) {
    float px = 0, py = 0;
    LatLonToChart(scaled, static_cast<float>(c.latitude2), static_cast<float>(c.longitude2), px, py);
    r.askConsistency = !(std::fabs(px - c.x2) <= 20 && std::fabs(py - c.y2) <= 20);
  }
  return r;
}

void ComputeBounds(ChartRecord& c, const ChartFrame& f) {
  ChartToLatLon(c, static_cast<float>(f.leftMargin), static_cast<float>(f.topMargin), c.latmax, c.lonmin);
  ChartToLatLon(c, static_cast<float>(f.maxx - f.rightMargin), static_cast<float>(f.maxy - f.bottomMargin),
                c.latmin, c.lonmax);
}

}  // namespace tavrik
