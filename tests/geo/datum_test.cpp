#include "geo/datum.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>

#include "geo/datum_catalogue.h"

namespace tavrik {
namespace {

// A lookup over a few hand-made datums, to reach the cases the catalogue cannot.
class MapLookup : public DatumLookup {
 public:
  std::map<int, DatumDefinition> rows;
  std::optional<DatumDefinition> datum(int number) const override {
    const auto it = rows.find(number);
    if (it == rows.end()) return std::nullopt;
    return it->second;
  }
};

DatumDefinition def(int number, double a, double b, double x, double y, double z) {
  DatumDefinition d;
  d.datum = number;
  d.majorAxis = a;
  d.minorAxis = b;
  d.x = x;
  d.y = y;
  d.z = z;
  return d;
}

CalcRecord point(double lat, double lon, double h, int from, int to) {
  CalcRecord r;
  r.Lat1 = lat;
  r.Lon1 = lon;
  r.Height1 = h;
  r.Datum1 = from;
  r.Datum2 = to;
  // Stale values that a conversion must overwrite.
  r.Lat2 = r.Lon2 = r.Height2 = -999;
  return r;
}

void expectUnchanged(const CalcRecord& r) {
  EXPECT_EQ(r.Lat2, r.Lat1);
  EXPECT_EQ(r.Lon2, r.Lon1);
  EXPECT_EQ(r.Height2, r.Height1);
}

TEST(DatumConvert, LeavesPositionUnchangedWhenNothingToConvert) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double wgsB = 6356752.3142;
  MapLookup lookup;
  lookup.rows[1] = def(1, 6378137, wgsB, 0, 0, 0);
  lookup.rows[2] = def(2, 6378388, 6356911.9461, -87, -98, -121);
  lookup.rows[3] = def(3, 6378388, 6356911.9461, -87, -98, -121);  // same as 2
  lookup.rows[4] = def(4, 0, 0, 0, 0, 0);                          // the Default row
  lookup.rows[5] = def(5, 6378137, 0, 0, 0, 0);                    // minor axis missing
  lookup.rows[6] = def(6, nan, wgsB, 0, 0, 0);
  lookup.rows[7] = def(7, 6378137, wgsB, nan, 0, 0);
  lookup.rows[8] = def(8, 6378137, 6378137 * 2, 0, 0, 0);  // b > a: no ellipsoid

  struct Row {
    const char* legend;
    double lat, lon, h;
    int from, to;
  };
  const Row rows[] = {
      {"same datum, height kept exactly", 52.123456789, 4.987654321, 12.5, 2, 2},
      {"same ellipsoid and shifts", 52.123456789, 4.987654321, 0, 2, 3},
      {"source missing", 52, 4, 3, 99, 1},
      {"target missing", 52, 4, 3, 1, 99},
      {"source is the Default row with zero axes", 52, 4, 3, 4, 1},
      {"target is the Default row with zero axes", 52, 4, 3, 1, 4},
      {"minor axis 0", 52, 4, 3, 5, 1},
      {"major axis not a number", 52, 4, 3, 6, 1},
      {"shift not a number", 52, 4, 3, 7, 2},
      {"minor axis above major axis", 52, 4, 3, 8, 1},
      {"latitude not a number", nan, 4, 3, 2, 1},
      {"height infinite", 52, 4, std::numeric_limits<double>::infinity(), 2, 1},
      {"height at minus the radius of curvature", 0, 0, -6378388, 2, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    CalcRecord r = point(row.lat, row.lon, row.h, row.from, row.to);
    DatumConvert(r, lookup);
    if (std::isnan(row.lat)) {
      EXPECT_TRUE(std::isnan(r.Lat2));
      EXPECT_EQ(r.Lon2, r.Lon1);
    } else {
      expectUnchanged(r);
    }
  }
}

TEST(DatumConvert, NeverProducesNonFiniteValues) {
  // Poles, the antimeridian, extreme heights and every built-in datum pair against
  // WGS-84: whatever goes in finite comes out finite.
  const CatalogueDatumLookup lookup;
  const double lats[] = {-90, -89.9999999, -45, 0, 45, 89.9999999, 90};
  const double lons[] = {-180, -0.5, 0, 179.9999, 180, 540};
  const double heights[] = {-11000, 0, 9000, 36000000};
  for (const DatumRow& d : builtinDatums()) {
    for (double lat : lats)
      for (double lon : lons)
        for (double h : heights) {
          CalcRecord r = point(lat, lon, h, d.datum, kWgs84Datum);
          DatumConvert(r, lookup);
          ASSERT_TRUE(std::isfinite(r.Lat2) && std::isfinite(r.Lon2) && std::isfinite(r.Height2))
              << d.description << " " << lat << " " << lon << " " << h;
          // A pole has no longitude to shift.
          if (std::abs(lat) == 90) { EXPECT_EQ(r.Lon2, lon) << d.description; }
        }
  }
}

TEST(DatumConvert, HeightZeroStaysZeroOnlyWithoutDifferences) {
  const CatalogueDatumLookup lookup;
  CalcRecord r = point(51.5, -0.1, 0, kWgs84Datum, 3);  // WGS-84 -> NAD83: GRS 80, no shift
  DatumConvert(r, lookup);
  // GRS 80 differs from WGS 84 only by 0.1 mm in b: the height moves by well under 1 mm.
  EXPECT_NEAR(r.Height2, 0, 1e-3);
  EXPECT_NEAR(r.Lat2, 51.5, 1e-9);

  r = point(51.5, -0.1, 0, 26, kWgs84Datum);  // OSGB36 -> WGS-84
  DatumConvert(r, lookup);
  EXPECT_GT(std::abs(r.Height2), 10.0);
}

TEST(DatumConvert, ShiftsAreRelativeToWgs84) {
  // ED50 -> OSGB36 directly must match ED50 -> WGS-84 -> OSGB36 to the size of the
  // second-order terms the transformation leaves out (a few centimetres for shifts of
  // some hundred metres).
  const CatalogueDatumLookup lookup;
  CalcRecord direct = point(50.8, 1.2, 0, 12, 26);
  DatumConvert(direct, lookup);
  CalcRecord first = point(50.8, 1.2, 0, 12, kWgs84Datum);
  DatumConvert(first, lookup);
  CalcRecord second = point(first.Lat2, first.Lon2, first.Height2, kWgs84Datum, 26);
  DatumConvert(second, lookup);
  const double metresPerDegree = 111120;
  EXPECT_NEAR(direct.Lat2, second.Lat2, 0.5 / metresPerDegree);
  EXPECT_NEAR(direct.Lon2, second.Lon2, 0.5 / metresPerDegree);
  EXPECT_NEAR(direct.Height2, second.Height2, 0.5);
  // And it really moved: ED50 and OSGB36 lie over 100 m apart here.
  EXPECT_GT(std::hypot((direct.Lat2 - 50.8) * metresPerDegree,
                       (direct.Lon2 - 1.2) * metresPerDegree * std::cos(50.8 * Pi() / 180)),
            100.0);
}

TEST(DatumConvert, LongitudeIsNotWrapped) {
  const CatalogueDatumLookup lookup;
  CalcRecord r = point(0, 179.99999, 0, 12, kWgs84Datum);  // ED50 shift moves east here
  DatumConvert(r, lookup);
  EXPECT_GT(r.Lon2, 180.0);
}

TEST(DatumCatalogue, RowsAreConsistent) {
  std::set<int> ellipses;
  std::set<std::string> names;
  for (const EllipsoidRow& e : builtinEllipsoids()) {
    SCOPED_TRACE(e.description);
    EXPECT_TRUE(ellipses.insert(e.ellipse).second) << "ellipsoid number used twice";
    EXPECT_TRUE(names.insert(e.description).second) << "description used twice";
    if (e.ellipse == kDefaultEllipse) continue;
    // Every real ellipsoid is oblate with a flattening near 1/300.
    const double inverseF = e.majoraxis / (e.majoraxis - e.minoraxis);
    EXPECT_GT(inverseF, 290);
    EXPECT_LT(inverseF, 302);
  }
  names.clear();
  std::set<int> datums;
  for (const DatumRow& d : builtinDatums()) {
    SCOPED_TRACE(d.description);
    EXPECT_TRUE(datums.insert(d.datum).second) << "datum number used twice";
    EXPECT_TRUE(names.insert(d.description).second) << "description used twice";
    EXPECT_NE(findBuiltinEllipsoid(d.ellipse), nullptr);
    if (d.datum != kDefaultDatum) { EXPECT_NE(d.ellipse, kDefaultEllipse); }
  }

  const EllipsoidRow* def0 = findBuiltinEllipsoid(0);
  ASSERT_NE(def0, nullptr);
  EXPECT_STREQ(def0->description, "Default");
  EXPECT_EQ(def0->majoraxis, 0);
  EXPECT_EQ(def0->minoraxis, 0);
  const DatumRow* d0 = findBuiltinDatum(0);
  ASSERT_NE(d0, nullptr);
  EXPECT_STREQ(d0->description, "Default");
  EXPECT_EQ(d0->ellipse, 0);
  EXPECT_EQ(d0->x, 0);
  EXPECT_EQ(d0->y, 0);
  EXPECT_EQ(d0->z, 0);

  const EllipsoidRow* wgs = findBuiltinEllipsoid(39);
  ASSERT_NE(wgs, nullptr);
  EXPECT_EQ(wgs->majoraxis, 6378137);
  EXPECT_EQ(wgs->minoraxis, 6356752.3142);
  const DatumRow* wgsDatum = findBuiltinDatum(kWgs84Datum);
  ASSERT_NE(wgsDatum, nullptr);
  EXPECT_STREQ(wgsDatum->description, "WGS-84");
  EXPECT_EQ(wgsDatum->ellipse, 39);
  EXPECT_EQ(wgsDatum->x, 0);
  EXPECT_EQ(wgsDatum->y, 0);
  EXPECT_EQ(wgsDatum->z, 0);

  EXPECT_EQ(findBuiltinDatum(-1), nullptr);
  EXPECT_FALSE(CatalogueDatumLookup().datum(12345).has_value());
}

TEST(TavrikDatumTool, ConvertsLinesAsDatumConvertDoes) {
  const QString tool = QStringLiteral(TAVRIK_BINARY_DIR "/src/geo/tavrik-datum");
  struct Row {
    const char* legend;
    QStringList args;
    QByteArray input;
    int exitCode;
    QByteArray out;
    QByteArray errContains;
  };
  const CatalogueDatumLookup lookup;
  auto expected = [&](double lat, double lon, double h, int from, int to) {
    CalcRecord r = point(lat, lon, h, from, to);
    DatumConvert(r, lookup);
    return QByteArray::number(r.Lat2, 'f', 9) + ' ' + QByteArray::number(r.Lon2, 'f', 9) + ' ' +
           QByteArray::number(r.Height2, 'f', 4) + '\n';
  };
  const Row rows[] = {
      {"ED50 to WGS-84, height optional", {"--from", "12", "--to", "1"}, "52 4\n51.5,-0.1,45\n", 0,
       expected(52, 4, 0, 12, 1) + expected(51.5, -0.1, 45, 12, 1), ""},
      {"a bad line is reported and skipped", {"--from", "1", "--to", "26"}, "x y\n\n50 -1\n", 1,
       expected(50, -1, 0, 1, 26), "line 1"},
      {"unknown datum refused", {"--from", "999", "--to", "1"}, "52 4\n", 2, "", "999"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    QProcess p;
    p.start(tool, row.args);
    ASSERT_TRUE(p.waitForStarted()) << tool.toStdString();
    p.write(row.input);
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), row.exitCode);
    EXPECT_EQ(p.readAllStandardOutput(), row.out);
    EXPECT_TRUE(p.readAllStandardError().contains(row.errContains));
  }
}

}  // namespace
}  // namespace tavrik
