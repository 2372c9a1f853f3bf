#include "geo/datum.h"

#include <cmath>

namespace tavrik {

namespace {

bool finite(double v) { return std::isfinite(v); }

bool usableEllipsoid(double a, double f) { return finite(a) && finite(f) && a > 0 && f >= 0 && f < 1; }

void copyPoint(CalcRecord& r) {
  r.Lat2 = r.Lat1;
  r.Lon2 = r.Lon1;
  r.Height2 = r.Height1;
}

}  // namespace

bool DatumDefinition::hasEllipsoid() const {
  return finite(majorAxis) && finite(minorAxis) && majorAxis > 0 && minorAxis > 0 &&
         usableEllipsoid(majorAxis, flattening());
}

void Molodensky(CalcRecord& r, const MolodenskyParameters& p) {
  copyPoint(r);
  const double a1 = p.a1, f1 = p.f1, a2 = p.a2, f2 = p.f2;
  const double dX = double(p.dx1) - double(p.dx2);
  const double dY = double(p.dy1) - double(p.dy2);
  const double dZ = double(p.dz1) - double(p.dz2);
  // Zero axes (the built-in Default ellipsoid) would divide by zero below.
  if (!usableEllipsoid(a1, f1) || !usableEllipsoid(a2, f2) || !finite(dX) || !finite(dY) ||
      !finite(dZ) || !finite(r.Lat1) || !finite(r.Lon1) || !finite(r.Height1))
    return;

  const double pi = Pi();
  const double phi = r.Lat1 * pi / 180, lambda = r.Lon1 * pi / 180, h = r.Height1;
  const double da = a2 - a1, df = f2 - f1;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double sinLam = std::sin(lambda), cosLam = std::cos(lambda);

  const double e2 = 2 * f1 - f1 * f1;
  const double w2 = 1 - e2 * sinPhi * sinPhi;
  const double rn = a1 / std::sqrt(w2);
  const double rm = a1 * (1 - e2) / std::pow(w2, 1.5);

  const double dPhi = (-dX * sinPhi * cosLam - dY * sinPhi * sinLam + dZ * cosPhi +
                       da * rn * e2 * sinPhi * cosPhi / a1 +
                       df * (rm / (1 - f1) + rn * (1 - f1)) * sinPhi * cosPhi) /
                      (rm + h);
  // At a pole the longitude is undefined and cos(phi) is (nearly) 0: the longitude
  // shift would be thousands of degrees, so it is left out there.
  const double dLambda =
      std::abs(cosPhi) < 1e-12 ? 0.0 : (-dX * sinLam + dY * cosLam) / ((rn + h) * cosPhi);
  const double dH = dX * cosPhi * cosLam + dY * cosPhi * sinLam + dZ * sinPhi - da * a1 / rn +
                    df * (1 - f1) * rn * sinPhi * sinPhi;

  const double lat2 = (phi + dPhi) * 180 / pi;
  const double lon2 = (lambda + dLambda) * 180 / pi;
  const double h2 = h + dH;
  if (!finite(lat2) || !finite(lon2) || !finite(h2)) return;
  r.Lat2 = lat2;
  r.Lon2 = lon2;
  r.Height2 = h2;
}

MolodenskyParameters molodenskyParameters(const DatumDefinition& from, const DatumDefinition& to) {
  MolodenskyParameters p;
  p.a1 = float(from.majorAxis);
  p.f1 = float(from.flattening());
  p.dx1 = float(from.x);
  p.dy1 = float(from.y);
  p.dz1 = float(from.z);
  p.a2 = float(to.majorAxis);
  p.f2 = float(to.flattening());
  p.dx2 = float(to.x);
  p.dy2 = float(to.y);
  p.dz2 = float(to.z);
  return p;
}

void DatumConvert(CalcRecord& r, const DatumLookup& lookup) {
  copyPoint(r);
  if (r.Datum1 == r.Datum2) return;
  const std::optional<DatumDefinition> from = lookup.datum(r.Datum1);
  if (!from || !from->hasEllipsoid()) return;
  const std::optional<DatumDefinition> to = lookup.datum(r.Datum2);
  if (!to || !to->hasEllipsoid()) return;
  Molodensky(r, molodenskyParameters(*from, *to));
}

}  // namespace tavrik
