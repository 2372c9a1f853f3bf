#include "geo/datum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/messages.h"
#include "geo/datum_catalogue.h"
#include "geo/ellipsoid_editor.h"
#include "geo_test_support.h"

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

CalcRecord converted(double lat, double lon, double h, int from, int to, const DatumLookup& lookup) {
  // Stale values in the results that a conversion must overwrite.
  CalcRecord r{.Lat1 = lat, .Lon1 = lon, .Height1 = h, .Datum1 = from, .Lat2 = -999, .Lon2 = -999, .Height2 = -999,
               .Datum2 = to};
  DatumConvert(r, lookup);
  return r;
}

TEST(DatumConvert, LeavesPositionUnchangedWhenNothingToConvert) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double wgsB = 6356752.3142;
  MapLookup lookup;
  auto def = [](int number, double a, double b, double x = 0, double y = 0, double z = 0) {
    DatumDefinition d;
    d.datum = number;
    d.majorAxis = a;
    d.minorAxis = b;
    std::tie(d.x, d.y, d.z) = std::tuple(x, y, z);
    return d;
  };
  lookup.rows[1] = def(1, 6378137, wgsB);
  lookup.rows[2] = def(2, 6378388, 6356911.9461, -87, -98, -121);
  lookup.rows[3] = def(3, 6378388, 6356911.9461, -87, -98, -121);  // same as 2
  lookup.rows[4] = def(4, 0, 0);                                   // the Default row
  lookup.rows[5] = def(5, 6378137, 0);                             // minor axis missing
  lookup.rows[6] = def(6, nan, wgsB);
  lookup.rows[7] = def(7, 6378137, wgsB, nan);
  lookup.rows[8] = def(8, 6378137, 6378137 * 2);  // b > a: no ellipsoid
  const struct {
    const char* legend;
    double lat, lon, h;
    int from, to;
  } rows[] = {
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
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    const CalcRecord r = converted(row.lat, row.lon, row.h, row.from, row.to, lookup);
    if (std::isnan(row.lat)) {
      EXPECT_TRUE(std::isnan(r.Lat2));
    } else {
      EXPECT_EQ(r.Lat2, r.Lat1);
    }
    EXPECT_EQ(r.Lon2, r.Lon1);
    EXPECT_EQ(r.Height2, r.Height1);
  }
}

TEST(DatumConvert, NeverProducesNonFiniteValues) {
  // Poles, the antimeridian, extreme heights and every built-in datum pair against
  // WGS-84: whatever goes in finite comes out finite.
  const CatalogueDatumLookup lookup;
  for (const DatumRow& d : builtinDatums())
    for (double lat : {-90.0, -89.9999999, -45.0, 0.0, 45.0, 89.9999999, 90.0})
      for (double lon : {-180.0, -0.5, 0.0, 179.9999, 180.0, 540.0})
        for (double h : {-11000.0, 0.0, 9000.0, 36000000.0}) {
          const CalcRecord r = converted(lat, lon, h, d.datum, kWgs84Datum, lookup);
          ASSERT_TRUE(std::isfinite(r.Lat2) && std::isfinite(r.Lon2) && std::isfinite(r.Height2))
              << d.description << " " << lat << " " << lon << " " << h;
          // A pole has no longitude to shift.
          if (std::abs(lat) == 90) { EXPECT_EQ(r.Lon2, lon) << d.description; }
        }
}

TEST(DatumConvert, HeightsShiftsAndTheAntimeridian) {
  const CatalogueDatumLookup lookup;
  // WGS-84 -> NAD83: GRS 80 differs from WGS 84 only by 0.1 mm in b and there is no shift,
  // so a height of 0 moves by well under 1 mm; OSGB36 -> WGS-84 moves it by tens of metres.
  const CalcRecord nad = converted(51.5, -0.1, 0, kWgs84Datum, 3, lookup);
  EXPECT_NEAR(nad.Height2, 0, 1e-3);
  EXPECT_NEAR(nad.Lat2, 51.5, 1e-9);
  EXPECT_GT(std::abs(converted(51.5, -0.1, 0, 26, kWgs84Datum, lookup).Height2), 10.0);

  // ED50 -> OSGB36 directly must match ED50 -> WGS-84 -> OSGB36 to the size of the
  // second-order terms the transformation leaves out (a few centimetres for shifts of
  // some hundred metres).
  const CalcRecord direct = converted(50.8, 1.2, 0, 12, 26, lookup);
  const CalcRecord first = converted(50.8, 1.2, 0, 12, kWgs84Datum, lookup);
  const CalcRecord second = converted(first.Lat2, first.Lon2, first.Height2, kWgs84Datum, 26, lookup);
  const double metresPerDegree = 111120;
  EXPECT_NEAR(direct.Lat2, second.Lat2, 0.5 / metresPerDegree);
  EXPECT_NEAR(direct.Lon2, second.Lon2, 0.5 / metresPerDegree);
  EXPECT_NEAR(direct.Height2, second.Height2, 0.5);
  // And it really moved: ED50 and OSGB36 lie over 100 m apart here.
  EXPECT_GT(std::hypot((direct.Lat2 - 50.8) * metresPerDegree,
                       (direct.Lon2 - 1.2) * metresPerDegree * std::cos(50.8 * Pi() / 180)),
            100.0);

  // The longitude is not wrapped: the ED50 shift moves east past 180 here.
  EXPECT_GT(converted(0, 179.99999, 0, 12, kWgs84Datum, lookup).Lon2, 180.0);
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
  // The Default rows carry no ellipsoid and no shift; WGS-84 has the EPSG axes.
  const EllipsoidRow* e0 = findBuiltinEllipsoid(0);
  const EllipsoidRow* wgs = findBuiltinEllipsoid(39);
  const DatumRow* d0 = findBuiltinDatum(0);
  const DatumRow* wgsDatum = findBuiltinDatum(kWgs84Datum);
  ASSERT_TRUE(e0 && wgs && d0 && wgsDatum);
  EXPECT_STREQ(e0->description, "Default");
  EXPECT_EQ(std::pair(e0->majoraxis, e0->minoraxis), std::pair(0.0, 0.0));
  EXPECT_EQ(std::pair(wgs->majoraxis, wgs->minoraxis), std::pair(6378137.0, 6356752.3142));
  EXPECT_STREQ(d0->description, "Default");
  EXPECT_EQ(std::tuple(d0->ellipse, d0->x, d0->y, d0->z), std::tuple(0, 0.0, 0.0, 0.0));
  EXPECT_STREQ(wgsDatum->description, "WGS-84");
  EXPECT_EQ(std::tuple(wgsDatum->ellipse, wgsDatum->x, wgsDatum->y, wgsDatum->z), std::tuple(39, 0.0, 0.0, 0.0));
  EXPECT_EQ(findBuiltinDatum(-1), nullptr);
  EXPECT_FALSE(CatalogueDatumLookup().datum(12345).has_value());
}

// Molodensky against PROJ's cct: its own `molodensky` operation (the same standard
// formulas, so agreement is close) and the exact three-parameter geocentric translation
// that the Molodensky formulas approximate.
TEST(DatumConvert, AgreesWithProj) {
  if (QStandardPaths::findExecutable(QStringLiteral("cct")).isEmpty())
    GTEST_SKIP() << "cct (package proj-bin) is not installed";
  struct Geo {
    double lat, lon, h;
  };
  const struct {
    const char* legend;
    int from, to;
    std::vector<Geo> points;  // in the source datum
  } cases[] = {
      {"ED50 mean, North Sea and Mediterranean", 12, kWgs84Datum,
       {{52.0, 4.0, 0}, {60.5, 5.2, 0}, {36.1, 14.3, 0}, {43.3, -8.4, 100}}},
      {"OSGB36 England", 27, kWgs84Datum, {{50.1, -5.5, 0}, {51.5, 1.4, 0}, {54.9, -1.3, 0}}},
      {"NAD27 CONUS", 4, kWgs84Datum, {{25.8, -80.1, 0}, {37.8, -122.5, 0}, {47.6, -52.7, 0}}},
      {"Tokyo Japan", 40, kWgs84Datum, {{35.6, 139.8, 0}, {43.1, 141.3, 0}, {31.6, 130.6, 0}}},
      {"Australian Geodetic 1984", 44, kWgs84Datum, {{-33.9, 151.2, 0}, {-12.4, 130.8, 0}}},
      {"Ireland 1965", 31, kWgs84Datum, {{53.3, -6.2, 0}, {51.9, -10.4, 0}}},
      {"European 1979", 25, kWgs84Datum, {{59.3, 18.1, 0}, {40.6, 22.9, 0}}},
      {"Cape, southern hemisphere", 55, kWgs84Datum, {{-33.9, 18.4, 0}, {-29.9, 31.0, 0}}},
      {"WGS-84 to Pulkovo 1942", kWgs84Datum, 34, {{59.9, 30.3, 0}, {69.0, 33.1, 0}}},
      {"ED50 to OSGB36 (neither is WGS-84)", 14, 26, {{50.9, 1.4, 0}, {53.0, 2.5, 0}}},
  };
  const CatalogueDatumLookup lookup;
  auto ellipsoid = [](const DatumDefinition& d) {
    return QStringLiteral("+a=%1 +rf=%2")
        .arg(d.majorAxis, 0, 'f', 4)
        .arg(d.majorAxis / (d.majorAxis - d.minorAxis), 0, 'f', 10);
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const DatumDefinition from = *lookup.datum(c.from), to = *lookup.datum(c.to);
    auto shift = [&](const char* prefix) {
      return QStringLiteral("+%1x=%2 +%1y=%3 +%1z=%4")
          .arg(QLatin1String(prefix))
          .arg(from.x - to.x, 0, 'f', 4)
          .arg(from.y - to.y, 0, 'f', 4)
          .arg(from.z - to.z, 0, 'f', 4);
    };
    const QString molodensky = QStringLiteral("+proj=molodensky %1 +da=%2 +df=%3 %4")
                                   .arg(ellipsoid(from))
                                   .arg(to.majorAxis - from.majorAxis, 0, 'f', 4)
                                   .arg(to.flattening() - from.flattening(), 0, 'e', 12)
                                   .arg(shift("d"));
    // Geocentric: source ellipsoid -> translate by (source shift - target shift) -> target.
    const QString helmert =
        QStringLiteral("+proj=pipeline +step +proj=cart %1 +step +proj=helmert %2 +step +inv +proj=cart %3")
            .arg(ellipsoid(from), shift(""), ellipsoid(to));
    QByteArray input;
    for (const Geo& g : c.points)
      input += QByteArray::number(g.lon, 'f', 10) + ' ' + QByteArray::number(g.lat, 'f', 10) + ' ' +
               QByteArray::number(g.h, 'f', 4) + " 0\n";
    const auto mol = test::projRows("cct", QStringList{"-d", "10"} + molodensky.split(' '), input);
    const auto geo = test::projRows("cct", QStringList{"-d", "10"} + helmert.split(' '), input);
    ASSERT_FALSE(mol.empty()) << "cct failed for " << molodensky.toStdString();
    ASSERT_FALSE(geo.empty()) << "cct failed for " << helmert.toStdString();
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      const Geo& p = c.points[i];
      const CalcRecord r = converted(p.lat, p.lon, p.h, c.from, c.to, lookup);
      const double north = 111120, east = 111120 * std::cos(p.lat * Pi() / 180);  // metres per degree
      // Same formulas; the differences come from the single-precision parameter block
      // (a major axis such as 6377563.396 is held as 6377563.5). 1 cm and 20 cm in
      // height are far above what that causes and far below any chart's accuracy.
      EXPECT_NEAR(r.Lat2, mol[i][1], 0.01 / north) << i;
      EXPECT_NEAR(r.Lon2, mol[i][0], 0.01 / east) << i;
      EXPECT_NEAR(r.Height2, mol[i][2], 0.2) << i;
      // The standard Molodensky formulas drop second-order terms: for shifts of a few
      // hundred metres near sea level they stay well under a metre from the exact
      // geocentric translation.
      EXPECT_LT(std::hypot((r.Lat2 - geo[i][1]) * north, (r.Lon2 - geo[i][0]) * east), 0.5) << i;
      EXPECT_NEAR(r.Height2, geo[i][2], 1.0) << i;
    }
  }
}

TEST(TavrikDatumTool, ConvertsLinesAsDatumConvertDoes) {
  const CatalogueDatumLookup lookup;
  auto expected = [&](double lat, double lon, double h, int from, int to) {
    const CalcRecord r = converted(lat, lon, h, from, to, lookup);
    return QString::number(r.Lat2, 'f', 9) + ' ' + QString::number(r.Lon2, 'f', 9) + ' ' +
           QString::number(r.Height2, 'f', 4) + '\n';
  };
  const struct {
    const char* legend;
    QStringList args;
    QByteArray input;
    int exitCode;
    QString out;
    const char* errContains;
  } rows[] = {
      {"ED50 to WGS-84, height optional", {"--from", "12", "--to", "1"}, "52 4\n51.5,-0.1,45\n", 0,
       expected(52, 4, 0, 12, 1) + expected(51.5, -0.1, 45, 12, 1), ""},
      {"a bad line is reported and skipped", {"--from", "1", "--to", "26"}, "x y\n\n50 -1\n", 1,
       expected(50, -1, 0, 1, 26), "line 1"},
      {"unknown datum refused", {"--from", "999", "--to", "1"}, "52 4\n", 2, "", "999"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    const test::ProgramRun run = test::runProgram(test::tool("tavrik-datum"), row.args, row.input);
    EXPECT_EQ(run.status, row.exitCode);
    EXPECT_EQ(run.out, row.out);
    EXPECT_TRUE(run.err.contains(QLatin1String(row.errContains))) << run.err.toStdString();
  }
}

using Box = EllipsoidEditor::Box;

TEST(EllipsoidEditor, LoadShowsDifferencesFromWgs84) {
  struct Row {
    const char* legend;
    double a, b;
    const char* da;
    const char* df;
  };
  const Row rows[] = {
      // b = a (1 - 1/298.257223563) to full precision: WGS-84's own flattening shows 0.
      {"WGS-84 exactly", 6378137, 6378137 * (1 - 1 / 298.257223563), "0", "0"},
      // The stored WGS-84 b is rounded to 0.1 mm, which shows as 7e-8 in df.
      {"WGS-84 as stored", 6378137, 6356752.3142, "0", "-0.0000000708"},
      // 10000/297 = 33.6700336700337.
      {"International 1924", 6378388, 6378388 * (1 - 1 / 297.0), "-251", "-0.1419270226"},
      {"Airy 1830", 6377563.396, 6377563.396 * (1 - 1 / 299.3249646), "573.604", "0.1196002325"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.load(row.a, row.b);
    EXPECT_EQ(e.text(Box::Da), row.da);
    EXPECT_EQ(e.text(Box::Df), row.df);
    EXPECT_EQ(e.focus(), Box::None);
  }
}

TEST(EllipsoidEditor, EditingOneBoxFillsItsPartner) {
  struct Row {
    const char* legend;
    double a, b;       // loaded first
    Box box;           // the box typed into, holding the focus
    const char* text;  // what was typed
    Box partner;
    const char* expected;
  };
  const Row rows[] = {
      {"a updates da", 6378137, 6356752.3142, Box::MajorAxis, "6378388", Box::Da, "-251"},
      {"da sets a", 6378137, 6356752.3142, Box::Da, "573.604", Box::MajorAxis, "6377563.396"},
      {"b updates df", 6378388, 6356911.9461, Box::MinorAxis, "6356911.9461", Box::Df,
       "-0.1419270664"},
      // Bessel 1841: a = 6377397.155, 1/f = 299.1528128, b = 6356078.9628 -> 6356079.0.
      {"df sets b rounded to 0.1 m", 6377397.155, 0, Box::Df, "0.1003748", Box::MinorAxis,
       "6356079"},
      {"df 0 gives WGS-84's b", 6378137, 0, Box::Df, "0", Box::MinorAxis, "6356752.3"},
      {"a of 0 leaves df alone", 0, 0, Box::MinorAxis, "6356752", Box::Df, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.load(row.a, row.b);
    const QString before = e.text(row.partner);
    e.setFocus(row.box);
    e.changed(row.box, row.text);
    EXPECT_EQ(e.text(row.box), row.text);
    EXPECT_EQ(e.text(row.partner), row.expected) << "was " << before.toStdString();
  }
}

TEST(EllipsoidEditor, UpdateOfTheUnfocusedBoxDoesNotEcho) {
  EllipsoidEditor e;
  e.load(6378137, 6356752.3142);
  e.setFocus(Box::MajorAxis);
  e.changed(Box::MajorAxis, "6378388");
  // The window writes the new da into its box, which reports a change of da.
  e.changed(Box::Da, e.text(Box::Da));
  EXPECT_EQ(e.text(Box::MajorAxis), "6378388");
  e.changed(Box::Df, "5");  // not the focused box: a and b stay
  EXPECT_EQ(e.text(Box::MinorAxis), "6356752.3142");
  EXPECT_EQ(e.text(Box::Df), "5");
}

TEST(EllipsoidEditor, SavingNeedsBothAxes) {
  struct Row {
    const char* legend;
    const char* a;
    const char* b;
    int message;
  };
  const Row rows[] = {
      {"both filled", "6378137", "6356752.3142", 0},
      {"a blank", "  ", "6356752.3142", Msg::MajorAxisFilled},
      {"a not a number", "abc", "6356752.3142", Msg::MajorAxisFilled},
      {"a zero", "0", "6356752.3142", Msg::MajorAxisFilled},
      {"b blank", "6378137", "", Msg::MinorAxisFilled},
      {"both blank: a first", "", "", Msg::MajorAxisFilled},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.changed(Box::MajorAxis, row.a);
    e.changed(Box::MinorAxis, row.b);
    EXPECT_EQ(e.saveCheck(), row.message);
  }
  EllipsoidEditor e;
  e.changed(Box::MajorAxis, "6378388");
  e.changed(Box::MinorAxis, "6356911.9461");
  EXPECT_EQ(e.majorAxis(), 6378388);
  EXPECT_EQ(e.minorAxis(), 6356911.9461);
}

}  // namespace
}  // namespace tavrik
