#include "chart/chart_georeference.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavrik {
namespace {

constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;
constexpr int kMaxNewtonSteps = 30;
// Polynomials that hit every reference point this closely are the chart's word; else
// a fit to the points competes with them.
constexpr double kPolynomialTolerancePx = 1.0;

int termCount(int order) { return order == 1 ? 3 : order == 2 ? 6 : 10; }

void terms(double a, double b, double t[10]) {
  t[0] = 1;
  t[1] = a;
  t[2] = b;
  t[3] = a * a;
  t[4] = a * b;
  t[5] = b * b;
  t[6] = a * a * a;
  t[7] = a * a * b;
  t[8] = a * b * b;
  t[9] = b * b * b;
}

double eval(const std::array<double, 10>& c, int order, double a, double b) {
  double t[10];
  terms(a, b, t);
  double s = 0;
  for (int i = 0; i < termCount(order); ++i) s += c[i] * t[i];
  return s;
}

// Partial derivatives of the polynomial with respect to a and b.
void gradient(const std::array<double, 10>& c, int order, double a, double b, double& da, double& db) {
  const double ta[10] = {0, 1, 0, 2 * a, b, 0, 3 * a * a, 2 * a * b, b * b, 0};
  const double tb[10] = {0, 0, 1, 0, a, 2 * b, 0, a * a, 2 * a * b, 3 * b * b};
  da = db = 0;
  for (int i = 0; i < termCount(order); ++i) {
    da += c[i] * ta[i];
    db += c[i] * tb[i];
  }
}

// Least squares through the normal equations; inputs are normalised to about -1..1 so
// a cubic stays well conditioned. False when the points do not determine the terms.
bool fit(const QVector<double>& a, const QVector<double>& b, const QVector<double>& z, int order,
         std::array<double, 10>& out) {
  const int k = termCount(order);
  double m[10][11] = {};
  for (int p = 0; p < a.size(); ++p) {
    double t[10];
    terms(a[p], b[p], t);
    for (int i = 0; i < k; ++i) {
      for (int j = 0; j < k; ++j) m[i][j] += t[i] * t[j];
      m[i][k] += t[i] * z[p];
    }
  }
  double scale = 0;
  for (int i = 0; i < k; ++i) scale = std::max(scale, std::fabs(m[i][i]));
  if (scale == 0) return false;
  for (int col = 0; col < k; ++col) {
    int piv = col;
    for (int r = col + 1; r < k; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[piv][col])) piv = r;
    if (std::fabs(m[piv][col]) < 1e-10 * scale) return false;
    for (int j = 0; j <= k; ++j) std::swap(m[col][j], m[piv][j]);
    for (int r = 0; r < k; ++r) {
      if (r == col) continue;
      const double f = m[r][col] / m[col][col];
      for (int j = col; j <= k; ++j) m[r][j] -= f * m[col][j];
    }
  }
  out.fill(0);
  for (int i = 0; i < k; ++i) out[i] = m[i][k] / m[i][i];
  return true;
}

void normalise(const QVector<double>& v, double& centre, double& spread) {
  if (v.isEmpty()) return;
  double lo = v[0], hi = v[0];
  for (double x : v) {
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  centre = (lo + hi) / 2;
  spread = (hi - lo) / 2;
  if (!(spread > 0)) spread = 1;
}

std::array<double, 10> toArray(const KapPolynomial& p) {
  std::array<double, 10> a{};
  for (int i = 0; i < p.coefficients.size() && i < 10; ++i) a[i] = p.coefficients[i];
  return a;
}

std::optional<ChartGeoreference> noGeoreference(QString* error, const QString& why) {
  if (error) *error = why;
  return std::nullopt;
}

}  // namespace

ChartGeoreference ChartGeoreference::centredOn(const KapHeader& h) {
  // Longitudes are taken within 180 degrees of the chart's first reference point.
  ChartGeoreference g;
  if (!h.references.isEmpty()) g.m_lon0 = h.references.first().lon;
  else if (!h.outline.isEmpty()) g.m_lon0 = h.outline.first().second;
  return g;
}

std::optional<ChartGeoreference> ChartGeoreference::fromHeader(const KapHeader& h, QString* error) {
  const auto fail = [error](const QString& why) { return noGeoreference(error, why); };
  ChartGeoreference g = centredOn(h);

  if (h.hasPolynomials()) {
    QString polyError;
    std::optional<ChartGeoreference> p = fromPolynomials(h, &polyError);
    // Polynomials that miss the chart's own reference points (polyconic charts by a
    // few pixels, damaged headers or terms in another order by far more) compete with
    // a fit to the points; whichever misses less is kept.
    const double polyMiss = p ? p->worstReferenceError(h) : std::numeric_limits<double>::infinity();
    if (p && polyMiss <= kPolynomialTolerancePx) return p;
    if (h.references.size() < 3) {
      if (p) return p;
      return fail(polyError);
    }
    g.m_polynomialsRejected = true;
    QString fitError;
    std::optional<ChartGeoreference> fitted = fitReferences(h, std::move(g), &fitError);
    if (fitted && (!p || fitted->worstReferenceError(h) < polyMiss)) return fitted;
    if (p) return p;
    return fail(fitError);
  }
  return fitReferences(h, std::move(g), error);
}

double ChartGeoreference::worstReferenceError(const KapHeader& h) const {
  double worst = 0;
  for (const KapReference& r : h.references) {
    double x = 0, y = 0;
    if (latLonToPixel(r.lat, r.lon, x, y) != 0) return std::numeric_limits<double>::infinity();
    worst = std::max({worst, std::fabs(x - r.x), std::fabs(y - r.y)});
  }
  return worst;
}

std::optional<ChartGeoreference> ChartGeoreference::fromPolynomials(const KapHeader& h, QString* error) {
  const auto fail = [error](const QString& why) { return noGeoreference(error, why); };
  ChartGeoreference g = centredOn(h);
  {
    // The chart's own polynomials work on plain longitude and latitude and pixels.
    g.m_fromPolynomials = true;
    g.m_order = std::max(h.wpx.order, h.wpy.order);
    g.m_fx = toArray(h.wpx);
    g.m_fy = toArray(h.wpy);
    if (h.pwx.valid() && h.pwy.valid()) {
      g.m_inverseOrder = std::max(h.pwx.order, h.pwy.order);
      g.m_ix = toArray(h.pwx);
      g.m_iy = toArray(h.pwy);
      return g;
    }
    // Without PWX/PWY start the inverse from a fit to the reference points.
    if (h.references.size() < 3) return fail(QStringLiteral("the chart has WPX/WPY but neither PWX/PWY nor reference points"));
    QVector<double> px, py, u, v;
    for (const KapReference& r : h.references) {
      double uu = 0, vv = 0;
      g.worldToUV(r.lat, r.lon, uu, vv);
      px.append(r.x);
      py.append(r.y);
      u.append(uu);
      v.append(vv);
    }
    if (!fit(px, py, u, 1, g.m_ix) || !fit(px, py, v, 1, g.m_iy))
      return fail(QStringLiteral("the chart's reference points lie on one line"));
    g.m_inverseOrder = 1;
    return g;
  }
}

std::optional<ChartGeoreference> ChartGeoreference::fitReferences(const KapHeader& h, ChartGeoreference g,
                                                                  QString* error) {
  const auto fail = [error](const QString& why) { return noGeoreference(error, why); };
  const QString pr = h.projection.trimmed().toUpper();
  g.m_mercator = pr == QLatin1String("MERCATOR");
  QVector<double> rawU, rawV, px, py;
  for (const KapReference& r : h.references) {
    if (!(std::fabs(r.lat) < 89.9)) continue;  // the Mercator ordinate is unbounded at the pole
    double uu = 0, vv = 0;
    g.worldToUV(r.lat, r.lon, uu, vv);  // not yet normalised: scales are still 0 and 1
    rawU.append(uu);
    rawV.append(vv);
    px.append(r.x);
    py.append(r.y);
  }
  if (rawU.size() < 3)
    return fail(QStringLiteral("the chart has fewer than three reference points (REF/) and no polynomials"));
  normalise(rawU, g.m_u0, g.m_us);
  normalise(rawV, g.m_v0, g.m_vs);
  normalise(px, g.m_x0, g.m_xs);
  normalise(py, g.m_y0, g.m_ys);
  QVector<double> u, v, xn, yn;
  for (int i = 0; i < rawU.size(); ++i) {
    u.append((rawU[i] - g.m_u0) / g.m_us);
    v.append((rawV[i] - g.m_v0) / g.m_vs);
    xn.append((px[i] - g.m_x0) / g.m_xs);
    yn.append((py[i] - g.m_y0) / g.m_ys);
  }
  const int n = static_cast<int>(u.size());
  int order = n >= 10 ? 3 : n >= 6 ? 2 : 1;
  for (; order >= 1; --order) {
    if (fit(u, v, xn, order, g.m_fx) && fit(u, v, yn, order, g.m_fy) && fit(xn, yn, u, order, g.m_ix) &&
        fit(xn, yn, v, order, g.m_iy))
      break;
  }
  if (order < 1) return fail(QStringLiteral("the chart's reference points lie on one line"));
  g.m_order = g.m_inverseOrder = order;
  return g;
}

void ChartGeoreference::worldToUV(double lat, double lon, double& u, double& v) const {
  const double ulon = m_lon0 + std::remainder(lon - m_lon0, 360.0);
  const double vlat = m_mercator ? std::atanh(std::sin(lat * kRadPerDeg)) / kRadPerDeg : lat;
  u = (ulon - m_u0) / m_us;
  v = (vlat - m_v0) / m_vs;
}

void ChartGeoreference::uvToWorld(double u, double v, double& lat, double& lon) const {
  lon = u * m_us + m_u0;
  const double vlat = v * m_vs + m_v0;
  lat = m_mercator ? std::atan(std::sinh(vlat * kRadPerDeg)) / kRadPerDeg : vlat;
  lon = std::remainder(lon, 360.0);
  if (lon == -180.0) lon = 180.0;
}

void ChartGeoreference::forwardUV(double u, double v, double& x, double& y) const {
  x = eval(m_fx, m_order, u, v) * m_xs + m_x0;
  y = eval(m_fy, m_order, u, v) * m_ys + m_y0;
}

int ChartGeoreference::latLonToPixel(double lat, double lon, double& x, double& y) const {
  if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) >= 90) return -1;
  double u = 0, v = 0;
  worldToUV(lat, lon, u, v);
  forwardUV(u, v, x, y);
  return std::isfinite(x) && std::isfinite(y) ? 0 : -1;
}

int ChartGeoreference::pixelToLatLon(double x, double y, double& lat, double& lon) const {
  if (!std::isfinite(x) || !std::isfinite(y)) return -1;
  const double xn = (x - m_x0) / m_xs, yn = (y - m_y0) / m_ys;
  double u = eval(m_ix, m_inverseOrder, xn, yn), v = eval(m_iy, m_inverseOrder, xn, yn);
  // Newton on the forward polynomial: the inverse is then exact to the forward one.
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    double fx = 0, fy = 0;
    forwardUV(u, v, fx, fy);
    const double ex = fx - x, ey = fy - y;
    if (std::fabs(ex) < 1e-9 && std::fabs(ey) < 1e-9) break;
    double xu = 0, xv = 0, yu = 0, yv = 0;
    gradient(m_fx, m_order, u, v, xu, xv);
    gradient(m_fy, m_order, u, v, yu, yv);
    xu *= m_xs;
    xv *= m_xs;
    yu *= m_ys;
    yv *= m_ys;
    const double det = xu * yv - xv * yu;
    if (det == 0 || !std::isfinite(det)) return -2;
    const double du = (ex * yv - ey * xv) / det, dv = (ey * xu - ex * yu) / det;
    u -= du;
    v -= dv;
    if (!std::isfinite(u) || !std::isfinite(v)) return -2;
  }
  uvToWorld(u, v, lat, lon);
  return std::isfinite(lat) && std::isfinite(lon) ? 0 : -2;
}

}  // namespace tavrik
