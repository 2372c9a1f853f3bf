#pragma once
// Datum conversion by the standard Molodensky transformation. A datum is an ellipsoid
// (major and minor axis) with a shift x, y, z in metres from the datum to WGS-84; the
// shifts of two datums are subtracted, so every datum is related through WGS-84.

#include <QString>
#include <optional>

#include "geo/nav_math.h"

namespace tavrik {

// WGS-84, the common reference of every shift and of the ellipsoid window's da/df.
inline constexpr double kWgs84MajorAxis = 6378137.0;
inline constexpr double kWgs84InverseFlattening = 298.257223563;

// The block handed to the transformation: source (1) and target (2) ellipsoid major
// axis a in metres, flattening f = (a - b) / a, and the datum shifts in metres. Single
// precision as it has always been stored; the arithmetic itself runs in double.
struct MolodenskyParameters {
  float a1 = 0, f1 = 0, dx1 = 0, dy1 = 0, dz1 = 0;
  float a2 = 0, f2 = 0, dx2 = 0, dy2 = 0, dz2 = 0;
};

// Lat1/Lon1/Height1 -> Lat2/Lon2/Height2 (degrees, metres). The longitude is not
// wrapped. Parameters that describe no ellipsoid (a not positive, f outside 0..1, any
// value not finite) and results that are not finite leave point 2 a copy of point 1.
void Molodensky(CalcRecord& r, const MolodenskyParameters& p);

// One datum with its ellipsoid, as the conversion needs it.
struct DatumDefinition {
  int datum = 0;
  QString description;
  int ellipse = 0;
  double majorAxis = 0;  // a, metres
  double minorAxis = 0;  // b, metres
  double x = 0, y = 0, z = 0;  // shift from this datum to WGS-84, metres

  double flattening() const { return majorAxis != 0 ? (majorAxis - minorAxis) / majorAxis : 0; }
  // True when the ellipsoid can carry a conversion (the built-in Default row has
  // axes of 0 and cannot).
  bool hasEllipsoid() const;
};

// Where DatumConvert finds datums: the database, or the built-in catalogue.
class DatumLookup {
 public:
  virtual ~DatumLookup() = default;
  // The datum with this number joined with its ellipsoid; nullopt when the datum or
  // its ellipsoid does not exist.
  virtual std::optional<DatumDefinition> datum(int number) const = 0;
};

// The parameter block for a conversion from `from` to `to`.
MolodenskyParameters molodenskyParameters(const DatumDefinition& from, const DatumDefinition& to);

// Converts point 1 (Lat1, Lon1, Height1 in Datum1) to Datum2 and writes point 2. Point 2
// is first a copy of point 1 and stays so when the datums are equal, when either is
// missing or its ellipsoid has no axes, or when the result would not be finite.
void DatumConvert(CalcRecord& r, const DatumLookup& lookup);

}  // namespace tavrik
