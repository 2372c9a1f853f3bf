#include "geo/grid.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

namespace tavrik {
namespace {

const double kPi = 4.0 * std::atan(1.0);
const double kDeg = kPi / 180.0;
constexpr double kUtmScale = 0.9996;
constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVWX";  // 20 bands of 8 degrees

// Longitudes carried beyond +-180 (the datum shift does not wrap) come back into range.
double wrapLongitude(double lon) {
  if (!std::isfinite(lon)) return 0;
  if (lon > 180 || lon < -180) {
    lon = std::fmod(lon, 360.0);  // exact, whatever the magnitude
    if (lon > 180) lon -= 360;
    if (lon < -180) lon += 360;
  }
  return lon;
}

}  // namespace

QChar UtmZoneDesignator(double lat) {
  if (!std::isfinite(lat)) return QLatin1Char('N');
  int band = static_cast<int>(std::floor(lat / 8.0)) + 10;
  if (band < 0) band = 0;
  if (band > 19) band = 19;
  return QLatin1Char(kBands[band]);
}

int UtmZone(double lon) {
  lon = wrapLongitude(lon);
  if (lon <= -180) return 1;
  if (lon >= 180) return 60;
  const double central = lon >= 0 ? 6 * std::trunc(lon / 6) + 3 : 6 * std::trunc(lon / 6) - 3;
  return static_cast<int>((central + 183) / 6);
}

bool IsUtmDesignator(QChar d) {
  const QChar u = d.toUpper();
  return u >= QLatin1Char('C') && u <= QLatin1Char('X');
}

bool IsSouthernDesignator(QChar d) {
  const QChar u = d.toUpper();
  return u >= QLatin1Char('C') && u <= QLatin1Char('M');
}

namespace {

struct UtmSeries {
  double northingRaw = 0;  // before the false northing of the south
  double eastingOffset = 0;  // before the false easting
};

UtmSeries utmSeries(double lat, double lon, int zone, double a, double b) {
  const double central = 6.0 * zone - 183.0;
  const double phi = lat * kDeg;
  const double f = (a - b) / a;
  const double e2 = 2 * f - f * f;
  const double n = f / (2 - f);
  const double c = std::cos(phi), s = std::sin(phi);
  const double t = std::tan(phi);
  const double t2 = t * t;
  const double eta2 = e2 / (1 - e2) * c * c;
  const double nu = a / std::sqrt(1 - e2 * s * s);

  const double n2 = n * n, n3 = n2 * n, n4 = n3 * n;
  const double r = a * (1 - n) * (1 - n2) * (1 + 9 * n2 / 4 + 225 * n4 / 64);
  const double B = -3 * n / 2 + 9 * n3 / 16;
  const double C = 15 * n2 / 16 - 15 * n4 / 32;
  const double D = -35 * n3 / 48;
  const double E = 315 * n4 / 512;
  const double U0 = 2 * (B - 2 * C + 3 * D - 4 * E);
  const double U2 = 8 * (C - 4 * D + 10 * E);
  const double U4 = 32 * (D - 6 * E);
  const double U6 = 128 * E;
  const double c2 = c * c;
  const double S = r * (phi + s * c * (U0 + c2 * (U2 + c2 * (U4 + c2 * U6))));

  const double L = (lon - central) * kDeg * c;
  const double L2 = L * L;
  const double C3 = (1 - t2 + eta2) / 6;
  const double C4 = (5 - t2 + eta2 * (9 + 4 * eta2)) / 12;
  const double C5 = (5 - 18 * t2 + t2 * t2 + eta2 * (14 - 58 * t2)) / 120;
  const double C6 = (61 - 58 * t2 + t2 * t2 + eta2 * (270 - 330 * t2)) / 360;
  const double C7 = (61 - 479 * t2 + 179 * t2 * t2 - t2 * t2 * t2) / 5040;

  UtmSeries out;
  out.northingRaw = kUtmScale * S + (kUtmScale * nu * t / 2) * L2 * (1 + L2 * (C4 + L2 * C6));
  out.eastingOffset = kUtmScale * nu * L * (1 + L2 * (C3 + L2 * (C5 + L2 * C7)));
  return out;
}

}  // namespace

UtmExact UtmFromLatLonExact(double lat, double lon, double a, double b) {
  lon = wrapLongitude(lon);
  UtmExact out;
  out.zone = UtmZone(lon);
  out.designator = UtmZoneDesignator(lat);
  const UtmSeries s = utmSeries(lat, lon, out.zone, a, b);
  out.northing = s.northingRaw + (lat < 0 ? 10000000.0 : 0.0);
  out.easting = 500000.0 + s.eastingOffset;
  return out;
}

UtmPosition UtmFromLatLon(double lat, double lon, double a, double b) {
  lon = wrapLongitude(lon);
  UtmPosition out;
  out.zone = UtmZone(lon);
  out.designator = UtmZoneDesignator(lat);
  const UtmSeries s = utmSeries(lat, lon, out.zone, a, b);
  out.northing = static_cast<float>(s.northingRaw);
  if (lat < 0) out.northing = static_cast<float>(static_cast<double>(out.northing) + 10000000.0);
  const float offset = static_cast<float>(s.eastingOffset);
  out.easting = static_cast<float>(500000.0 + static_cast<double>(offset));
  return out;
}

LatLon LatLonFromUtm(int zone, QChar designator, double easting, double northing, double a, double b) {
  const bool south = IsSouthernDesignator(designator);
  const double x = easting - 500000.0;
  const double y = south ? 10000000.0 - northing : northing;
  const double central = 6.0 * zone - 183.0;
  const double e2 = (a * a - b * b) / (a * a);
  const double ep2 = e2 / (1 - e2);
  const double root = std::sqrt(1 - e2);
  const double e1 = (1 - root) / (1 + root);
  const double mu = (y / kUtmScale) / (a * (1 - e2 / 4 - 3 * e2 * e2 / 64 - 5 * e2 * e2 * e2 / 256));
  const double e1_2 = e1 * e1, e1_3 = e1_2 * e1, e1_4 = e1_3 * e1;
  const double phi1 = mu + (3 * e1 / 2 - 27 * e1_3 / 32) * std::sin(2 * mu) +
                      (21 * e1_2 / 16 - 55 * e1_4 / 32) * std::sin(4 * mu) +
                      (151 * e1_3 / 96) * std::sin(6 * mu);
  const double s1 = std::sin(phi1), c1 = std::cos(phi1), t1 = std::tan(phi1);
  const double N1 = a / std::sqrt(1 - e2 * s1 * s1);
  const double T1 = t1 * t1;
  const double C1 = ep2 * c1 * c1;
  const double R1 = a * (1 - e2) / std::pow(1 - e2 * s1 * s1, 1.5);
  const double D = x / (N1 * kUtmScale);
  const double D2 = D * D, D3 = D2 * D, D4 = D3 * D, D5 = D4 * D, D6 = D5 * D;
  double phi = phi1 - (N1 * t1 / R1) *
                          (D2 / 2 - (5 + 3 * T1 + 10 * C1 - 4 * C1 * C1 - 9 * ep2) * D4 / 24 +
                           (61 + 90 * T1 + 298 * C1 + 45 * T1 * T1 - 252 * ep2 - 3 * C1 * C1) * D6 / 720);
  const double dLambda = (D - (1 + 2 * T1 + C1) * D3 / 6 +
                          (5 - 2 * C1 + 28 * T1 - 3 * C1 * C1 + 8 * ep2 + 24 * T1 * T1) * D5 / 120) /
                         c1;
  LatLon out;
  out.lat = phi * 180.0 / kPi;
  if (south) out.lat = -out.lat;
  out.lon = central + dLambda * 180.0 / kPi;
  if (std::isfinite(out.lon)) out.lon = wrapLongitude(out.lon);
  return out;
}

namespace {
// Degrees to arc seconds through whole degrees, whole minutes and seconds, as the
// program always did (whole degrees come out exactly).
double arcSeconds(double deg) {
  const double d = std::trunc(deg);
  const double rem = deg - d;
  const double m = std::trunc(rem * 60);
  const double s = (rem * 60 - m) * 60;
  return 3600 * d + 60 * m + s;
}
}  // namespace

RdPosition RdFromLatLon(double lat, double lon) {
  const double dp = (arcSeconds(lat) - 187762.178) / 10000;
  const double dl = (arcSeconds(lon) - 19395.5) / 10000;
  const double dp2 = dp * dp, dp3 = dp2 * dp, dl2 = dl * dl, dl3 = dl2 * dl;
  RdPosition out;
  out.x = static_cast<float>(155000 + 190066.91 * dl - 11831 * dp * dl);
  out.x = static_cast<float>(out.x - 114.2 * dp2 * dl - 32.39 * dl3 - 2.33 * dp3 * dl - 0.61 * dp * dl3);
  out.y = static_cast<float>(463000 + 309020.34 * dp + 3638.36 * dl2);
  out.y = static_cast<float>(out.y + 72.92 * dp2 - 157.97 * dp * dl2 + 59.77 * dp3 + 0.09 * dl2 * dl2 -
                             6.45 * dp2 * dl2 + 0.07 * dp2 * dp2);
  return out;
}

LatLon LatLonFromRd(double x, double y) {
  const double dX = (x - 155000) / 100000;
  const double dY = (y - 463000) / 100000;
  const double dX2 = dX * dX, dX3 = dX2 * dX, dY2 = dY * dY, dY3 = dY2 * dY;
  auto k = [](float coefficient) { return static_cast<double>(coefficient); };
  const double phi = k(187762.2f) + k(3236.033f) * dY - k(32.592f) * dX2 - k(0.247f) * dY2 -
                     k(0.85f) * dX2 * dY - k(0.065f) * dY3 + k(0.005f) * dX2 * dX2 -
                     k(0.017f) * dX2 * dY2;
  const double lam = k(19395.5f) + k(5261.305f) * dX + k(105.979f) * dX * dY + k(2.458f) * dX * dY2 -
                     k(0.819f) * dX3 + k(0.056f) * dX * dY3 - k(0.056f) * dX3 * dY;
  return {phi / 3600, lam / 3600};
}

void RdDatumShift(double& lat, double& lon, int direction, double a, double b) {
  const float d = direction < 0 ? -1.0f : 1.0f;
  float A, E2;
  if (d < 0) {
    A = static_cast<float>(a);
    E2 = static_cast<float>(2 * (a - b) / a);  // twice the flattening for e squared
  } else {
    A = 6377397.0f;
    E2 = 0.0066737202f;
  }
  const float dX = 676.51f * d, dY = 121.57f * d, dZ = 595.27f * d;
  const float dA = 990.845f * d;
  const float dE = 4.8298e-05f * d;
  const float pi = static_cast<float>(4 * std::atan(1.0));
  const float rho = 360.0f / (2 * pi);
  const float phi = static_cast<float>(lat / rho);
  const float lam = static_cast<float>(lon / rho);
  const float sp = static_cast<float>(std::sin(static_cast<double>(phi)));
  const float cp = static_cast<float>(std::cos(static_cast<double>(phi)));
  const float sl = static_cast<float>(std::sin(static_cast<double>(lam)));
  const float cl = static_cast<float>(std::cos(static_cast<double>(lam)));
  const float qPhi = static_cast<float>(-static_cast<double>(dX) * sp * cl - static_cast<double>(dY) * sp * sl +
                                        static_cast<double>(dZ) * cp +
                                        (static_cast<double>(dE) * A + static_cast<double>(dA) * E2) * sp * cp);
  const float qLam = static_cast<float>(-static_cast<double>(dX) * sl + static_cast<double>(dY) * cl);
  const double toSeconds = 180.0 / static_cast<double>(pi) * 3600.0;
  const float dPhiSec = static_cast<float>(static_cast<double>(qPhi) / A * toSeconds);
  const float dLamSec = static_cast<float>(static_cast<double>(qLam) / (static_cast<double>(A) * cp) * toSeconds);
  lat = lat + static_cast<double>(dPhiSec) / 3600.0;
  lon = lon + static_cast<double>(dLamSec) / 3600.0;
}

// ---- British National Grid ---------------------------------------------------------

namespace {

constexpr double kAiryA = 6377563.396;
constexpr double kAiryB = 6356256.909;
constexpr double kNgrScale = 0.9996012717;
constexpr double kNgrLat0 = 49.0;
constexpr double kNgrLon0 = -2.0;
constexpr double kNgrE0 = 400000.0;
constexpr double kNgrN0 = -100000.0;

// The Ordnance Survey's published WGS-84 (ETRS89) to OSGB36 Helmert transformation.
constexpr double kTx = -446.448, kTy = 125.157, kTz = -542.060;
constexpr double kScalePpm = 20.4894;
constexpr double kRxSec = -0.1502, kRySec = -0.2470, kRzSec = -0.8421;

struct Xyz {
  double x = 0, y = 0, z = 0;
};

Xyz toCartesian(double latDeg, double lonDeg, double a, double b) {
  const double e2 = (a * a - b * b) / (a * a);
  const double phi = latDeg * kDeg, lam = lonDeg * kDeg;
  const double s = std::sin(phi);
  const double nu = a / std::sqrt(1 - e2 * s * s);
  return {nu * std::cos(phi) * std::cos(lam), nu * std::cos(phi) * std::sin(lam), (1 - e2) * nu * s};
}

LatLon fromCartesian(const Xyz& p, double a, double b) {
  const double e2 = (a * a - b * b) / (a * a);
  const double r = std::hypot(p.x, p.y);
  double phi = std::atan2(p.z, r * (1 - e2));
  for (int i = 0; i < 10; ++i) {
    const double s = std::sin(phi);
    const double nu = a / std::sqrt(1 - e2 * s * s);
    phi = std::atan2(p.z + e2 * nu * s, r);
  }
  return {phi / kDeg, std::atan2(p.y, p.x) / kDeg};
}

struct Helmert {
  std::array<std::array<double, 3>, 3> m{};
  Xyz t;
};

Helmert wgs84ToOsgb36() {
  const double s = kScalePpm * 1e-6;
  const double sec = kDeg / 3600.0;
  const double rx = kRxSec * sec, ry = kRySec * sec, rz = kRzSec * sec;
  Helmert h;
  h.t = {kTx, kTy, kTz};
  h.m = {{{1 + s, -rz, ry}, {rz, 1 + s, -rx}, {-ry, rx, 1 + s}}};
  return h;
}

Xyz apply(const Helmert& h, const Xyz& p) {
  return {h.t.x + h.m[0][0] * p.x + h.m[0][1] * p.y + h.m[0][2] * p.z,
          h.t.y + h.m[1][0] * p.x + h.m[1][1] * p.y + h.m[1][2] * p.z,
          h.t.z + h.m[2][0] * p.x + h.m[2][1] * p.y + h.m[2][2] * p.z};
}

// The exact inverse (the matrix inverted, not the parameters negated).
Xyz applyInverse(const Helmert& h, const Xyz& q) {
  const auto& m = h.m;
  const double x = q.x - h.t.x, y = q.y - h.t.y, z = q.z - h.t.z;
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  const double i00 = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
  const double i01 = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  const double i02 = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  const double i10 = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
  const double i11 = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  const double i12 = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  const double i20 = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
  const double i21 = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  const double i22 = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  return {i00 * x + i01 * y + i02 * z, i10 * x + i11 * y + i12 * z, i20 * x + i21 * y + i22 * z};
}

// Developed meridian arc from the true origin, scaled (Ordnance Survey's formula).
double meridianArc(double phi) {
  const double n = (kAiryA - kAiryB) / (kAiryA + kAiryB);
  const double n2 = n * n, n3 = n2 * n;
  const double phi0 = kNgrLat0 * kDeg;
  const double dp = phi - phi0, sp = phi + phi0;
  return kAiryB * kNgrScale *
         ((1 + n + 5.0 / 4 * n2 + 5.0 / 4 * n3) * dp - (3 * n + 3 * n2 + 21.0 / 8 * n3) * std::sin(dp) * std::cos(sp) +
          (15.0 / 8 * n2 + 15.0 / 8 * n3) * std::sin(2 * dp) * std::cos(2 * sp) -
          35.0 / 24 * n3 * std::sin(3 * dp) * std::cos(3 * sp));
}

constexpr char kSquareLetters[] = "ABCDEFGHJKLMNOPQRSTUVWXYZ";  // 5 x 5, no I

int squareIndex(QChar c) {
  const char u = c.toUpper().toLatin1();
  for (int i = 0; i < 25; ++i)
    if (kSquareLetters[i] == u) return i;
  return -1;
}

}  // namespace

NationalGridEN NationalGridFromOsgb36(double lat, double lon) {
  const double a = kAiryA, b = kAiryB;
  const double e2 = (a * a - b * b) / (a * a);
  const double phi = lat * kDeg;
  const double s = std::sin(phi), c = std::cos(phi), t = std::tan(phi);
  const double t2 = t * t, t4 = t2 * t2;
  const double nu = a * kNgrScale / std::sqrt(1 - e2 * s * s);
  const double rho = a * kNgrScale * (1 - e2) / std::pow(1 - e2 * s * s, 1.5);
  const double eta2 = nu / rho - 1;
  const double M = meridianArc(phi);
  const double c3 = c * c * c, c5 = c3 * c * c;
  const double I = M + kNgrN0;
  const double II = nu / 2 * s * c;
  const double III = nu / 24 * s * c3 * (5 - t2 + 9 * eta2);
  const double IIIA = nu / 720 * s * c5 * (61 - 58 * t2 + t4);
  const double IV = nu * c;
  const double V = nu / 6 * c3 * (nu / rho - t2);
  const double VI = nu / 120 * c5 * (5 - 18 * t2 + t4 + 14 * eta2 - 58 * t2 * eta2);
  const double dl = (lon - kNgrLon0) * kDeg;
  const double dl2 = dl * dl;
  NationalGridEN out;
  out.northing = I + dl2 * (II + dl2 * (III + dl2 * IIIA));
  out.easting = kNgrE0 + dl * (IV + dl2 * (V + dl2 * VI));
  return out;
}

LatLon Osgb36FromNationalGrid(double easting, double northing) {
  const double a = kAiryA, b = kAiryB;
  const double e2 = (a * a - b * b) / (a * a);
  double phi = (northing - kNgrN0) / (a * kNgrScale) + kNgrLat0 * kDeg;
  double M = meridianArc(phi);
  // Converges to 0.01 mm in a few steps; the cap keeps wild input from looping.
  for (int i = 0; i < 100 && std::fabs(northing - kNgrN0 - M) >= 0.00001; ++i) {
    phi += (northing - kNgrN0 - M) / (a * kNgrScale);
    M = meridianArc(phi);
  }
  const double s = std::sin(phi), c = std::cos(phi), t = std::tan(phi);
  const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const double nu = a * kNgrScale / std::sqrt(1 - e2 * s * s);
  const double rho = a * kNgrScale * (1 - e2) / std::pow(1 - e2 * s * s, 1.5);
  const double eta2 = nu / rho - 1;
  const double sec = 1 / c;
  const double nu3 = nu * nu * nu, nu5 = nu3 * nu * nu, nu7 = nu5 * nu * nu;
  const double VII = t / (2 * rho * nu);
  const double VIII = t / (24 * rho * nu3) * (5 + 3 * t2 + eta2 - 9 * t2 * eta2);
  const double IX = t / (720 * rho * nu5) * (61 + 90 * t2 + 45 * t4);
  const double X = sec / nu;
  const double XI = sec / (6 * nu3) * (nu / rho + 2 * t2);
  const double XII = sec / (120 * nu5) * (5 + 28 * t2 + 24 * t4);
  const double XIIA = sec / (5040 * nu7) * (61 + 662 * t2 + 1320 * t4 + 720 * t6);
  const double dE = easting - kNgrE0;
  const double dE2 = dE * dE;
  const double lat = phi - dE2 * (VII - dE2 * (VIII - dE2 * IX));
  const double lon = kNgrLon0 * kDeg + dE * (X - dE2 * (XI - dE2 * (XII - dE2 * XIIA)));
  return {lat / kDeg, lon / kDeg};
}

LatLon Osgb36FromLatLon(double lat, double lon, double a, double b) {
  return fromCartesian(apply(wgs84ToOsgb36(), toCartesian(lat, lon, a, b)), kAiryA, kAiryB);
}

LatLon LatLonFromOsgb36(double lat, double lon, double a, double b) {
  return fromCartesian(applyInverse(wgs84ToOsgb36(), toCartesian(lat, lon, kAiryA, kAiryB)), a, b);
}

NationalGridEN NationalGridFromLatLon(double lat, double lon, double a, double b) {
  const LatLon osgb = Osgb36FromLatLon(lat, lon, a, b);
  return NationalGridFromOsgb36(osgb.lat, osgb.lon);
}

LatLon LatLonFromNationalGrid(double easting, double northing, double a, double b) {
  const LatLon osgb = Osgb36FromNationalGrid(easting, northing);
  return LatLonFromOsgb36(osgb.lat, osgb.lon, a, b);
}

// ---- RD as the position control applies it ------------------------------------------

namespace {
constexpr double kBesselA = 6377397.155;
constexpr double kBesselB = 6356078.962818;

// The published Amersfoort to WGS 84 transformation (EPSG:15739, coordinate frame
// rotations), good to about a metre in the Netherlands.
Helmert amersfoortToWgs84() {
  const double s = 4.0812e-6;
  const double sec = kDeg / 3600.0;
  const double rx = 0.406857330322398 * sec, ry = -0.350732676542563 * sec, rz = 1.8703473836068 * sec;
  Helmert h;
  h.t = {565.2369, 50.0087, 465.658};
  h.m = {{{1 + s, rz, -ry}, {-rz, 1 + s, rx}, {ry, -rx, 1 + s}}};
  return h;
}

void defaultEllipsoid(double& a, double& b) {
  if (a == 0) a = kWgs84MajorAxis;
  if (b == 0) b = kDefaultMinorAxis;
}
}  // namespace

bool IsWgs84Ellipsoid(double a, double b) {
  defaultEllipsoid(a, b);
  return a == kWgs84MajorAxis && std::fabs(b - 6356752.314) < 0.5;
}

RdPosition RdFromMapLatLon(double lat, double lon, double a, double b) {
  defaultEllipsoid(a, b);
  if (IsWgs84Ellipsoid(a, b)) {
    const LatLon p = fromCartesian(applyInverse(amersfoortToWgs84(), toCartesian(lat, lon, a, b)), kBesselA, kBesselB);
    return RdFromLatLon(p.lat, p.lon);
  }
  RdDatumShift(lat, lon, -1, a, b);
  return RdFromLatLon(lat, lon);
}

LatLon MapLatLonFromRd(double x, double y, double a, double b) {
  defaultEllipsoid(a, b);
  LatLon p = LatLonFromRd(x, y);
  if (IsWgs84Ellipsoid(a, b)) return fromCartesian(apply(amersfoortToWgs84(), toCartesian(p.lat, p.lon, kBesselA, kBesselB)), a, b);
  RdDatumShift(p.lat, p.lon, +1, 0, 0);
  return p;
}

// ---- National Grid references ----------------------------------------------------------

bool NgrFromNationalGrid(const NationalGridEN& en, NgrReference& out) {
  if (!std::isfinite(en.easting) || !std::isfinite(en.northing)) return false;
  const double e = std::round(en.easting), n = std::round(en.northing);
  if (e < 0 || e >= 1000000 || n < 0 || n >= 1500000) return false;
  const int e500 = static_cast<int>(e / 500000), n500 = static_cast<int>(n / 500000);
  const int e100 = static_cast<int>(e / 100000), n100 = static_cast<int>(n / 100000);
  const int first = (3 - n500) * 5 + (e500 + 2);
  const int second = (4 - (n100 - 5 * n500)) * 5 + (e100 - 5 * e500);
  out.letters = QString(QLatin1Char(kSquareLetters[first])) + QLatin1Char(kSquareLetters[second]);
  out.easting = e - e100 * 100000.0;
  out.northing = n - n100 * 100000.0;
  return true;
}

bool NationalGridFromNgr(const NgrReference& ref, NationalGridEN& out) {
  if (ref.letters.size() != 2) return false;
  const int first = squareIndex(ref.letters[0]), second = squareIndex(ref.letters[1]);
  if (first < 0 || second < 0) return false;
  const int col1 = first % 5, row1 = first / 5;
  // Only H, J (row 1), N, O (row 2), S, T (row 3), columns 2 and 3.
  if (col1 < 2 || col1 > 3 || row1 < 1 || row1 > 3) return false;
  if (!std::isfinite(ref.easting) || !std::isfinite(ref.northing)) return false;
  out.easting = (col1 - 2) * 500000.0 + (second % 5) * 100000.0 + ref.easting;
  out.northing = (3 - row1) * 500000.0 + (4 - second / 5) * 100000.0 + ref.northing;
  return true;
}

bool ParseNgrText(QStringView text, NgrReference& out) {
  static const QRegularExpression re(QStringLiteral("^\\s*([A-Za-z]{2})\\s*(\\d{1,5})?\\s*(\\d{1,5})?\\s*$"));
  static const QRegularExpression joined(QStringLiteral("^\\s*([A-Za-z]{2})\\s*(\\d{2}|\\d{4}|\\d{6}|\\d{8}|\\d{10})\\s*$"));
  QString letters, e, n;
  const QString t = text.toString();
  const QRegularExpressionMatch j = joined.match(t);
  if (j.hasMatch()) {
    letters = j.captured(1);
    const QString digits = j.captured(2);
    e = digits.left(digits.size() / 2);
    n = digits.mid(digits.size() / 2);
  } else {
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch() || m.captured(2).isEmpty() || m.captured(3).isEmpty()) return false;
    letters = m.captured(1);
    e = m.captured(2);
    n = m.captured(3);
  }
  NgrReference ref;
  ref.letters = letters.toUpper();
  ref.easting = e.toDouble() * std::pow(10.0, 5 - e.size());
  ref.northing = n.toDouble() * std::pow(10.0, 5 - n.size());
  NationalGridEN check;
  if (!NationalGridFromNgr(ref, check)) return false;
  out = ref;
  return true;
}

QString NgrText(const NgrReference& ref) {
  auto five = [](double v) {
    return QStringLiteral("%1").arg(static_cast<qlonglong>(std::llround(v)), 5, 10, QLatin1Char('0'));
  };
  return ref.letters + QLatin1Char(' ') + five(ref.easting) + QLatin1Char(' ') + five(ref.northing);
}

}  // namespace tavrik
