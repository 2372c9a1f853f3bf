#pragma once
// The built-in reference ellipsoids and datums, as plain data. New databases are
// seeded from these tables, and the command line and the tests convert with them
// directly. Numbers are stable: stored positions and settings refer to them.
//
// Shifts are the three-parameter (Molodensky) shifts from the datum to WGS-84 as
// published by NIMA TR8350.2 (third edition, 2000), which are also the EPSG
// "Geocentric translations" to WGS 84 of the same names. Row 0 of both tables is the
// "Default" entry with zero axes and shifts, which no list shows.

#include <optional>
#include <span>

#include "geo/datum.h"

namespace tavrik {

struct EllipsoidRow {
  int ellipse;
  const char* description;
  double majoraxis;  // a, metres
  double minoraxis;  // b, metres
};

struct DatumRow {
  int datum;
  const char* description;
  int ellipse;
  double x, y, z;  // shift from this datum to WGS-84, metres
};

inline constexpr int kDefaultEllipse = 0;
inline constexpr int kDefaultDatum = 0;
inline constexpr int kWgs84Ellipse = 39;
inline constexpr int kWgs84Datum = 1;

// Ordered by number; row 0 first.
std::span<const EllipsoidRow> builtinEllipsoids();
std::span<const DatumRow> builtinDatums();

const EllipsoidRow* findBuiltinEllipsoid(int ellipse);
const DatumRow* findBuiltinDatum(int datum);

// DatumLookup over the built-in tables.
class CatalogueDatumLookup : public DatumLookup {
 public:
  std::optional<DatumDefinition> datum(int number) const override;
};

}  // namespace tavrik
