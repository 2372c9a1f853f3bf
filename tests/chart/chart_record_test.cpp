#include "chart/chart_record.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "chart/chart_record_loader.h"
#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "geo/nav_math.h"
#include "store/schema.h"

namespace tavrik {
namespace {

// A record calibrated on up to three points, each {lat, lon, x, y}.
ChartRecord calibrated(bool mercator, const std::vector<std::array<double, 4>>& p) {
  ChartRecord c;
  c.mercator = mercator;
  auto set = [&](size_t i, double& lat, double& lon, float& x, float& y) {
    if (i >= p.size()) return;
    lat = p[i][0], lon = p[i][1], x = static_cast<float>(p[i][2]), y = static_cast<float>(p[i][3]);
  };
  set(0, c.latitude1, c.longitude1, c.x1, c.y1);
  set(1, c.latitude2, c.longitude2, c.x2, c.y2);
  set(2, c.latitude3, c.longitude3, c.x3, c.y3);
  return c;
}

// Point 1 at 50 N 4 E, point 2 at 51 N 5 E; the scales come from the points.
ChartRecord mercator50to51() {
  ChartRecord c = calibrated(true, {{50, 4, 1500, 30000}, {51, 5, 16500, 3000}});
  CalibrateScales(c);
  return c;
}

// Values exactly representable in single precision, so exactness is exact.
ChartRecord threePointChart() {
  return calibrated(false, {{52.25, 4.0, 1000, 9000}, {52.25, 4.5, 8000, 9500}, {52.375, 4.125, 2000, 1000}});
}

// A three-point chart whose north points `thetaDeg` clockwise from up on the image,
// 10000 chart units per degree.
ChartRecord rotatedChart(double thetaDeg) {
  const double t = thetaDeg * Pi() / 180, k = 5000, s = k * std::sin(t), c = k * std::cos(t);
  return calibrated(false,
                    {{52, 4, 50000, 50000}, {52, 4.5, 50000 + c, 50000 + s}, {52.5, 4, 50000 + s, 50000 - c}});
}

template <class F>
ChartRecord changed(ChartRecord c, F change) {
  change(c);
  return c;
}

// Point 3 on the image line through points 1 and 2.
ChartRecord collinearChart() {
  return changed(threePointChart(), [](ChartRecord& c) { c.x3 = 15000, c.y3 = 10000; });
}

TEST(ChartConversion, MercatorAndThreePointModels) {
  const ChartRecord merc = mercator50to51(), three = threePointChart();
  const ChartRecord dateLine =
      changed(calibrated(true, {{10, 179, 1000, 1000}}), [](ChartRecord& c) { c.milelat = c.milelon = 2; });
  const ChartRecord equator =
      changed(calibrated(true, {{0, 0, 700, 900}}), [](ChartRecord& c) { c.milelat = c.milelon = 3; });
  struct Row {
    const char* legend;
    const ChartRecord& c;
    bool toChart;  // lat, lon -> x, y; else x, y -> lat, lon
    double in1, in2, out1, out2, tolerance1, tolerance2;  // latitude back: single-precision parts
  } rows[] = {
      {"Mercator point 1 exact", merc, true, 50, 4, 1500, 30000, 0, 0},
      // Single-precision meridional parts: a few thousandths of a unit.
      {"Mercator point 2 within rounding", merc, true, 51, 5, 16500, 3000, 0.01, 0.01},
      {"Mercator point 2 back", merc, false, 16500, 3000, 51, 5, 1e-6, 1e-6},
      {"across the date line", dateLine, true, 10, -179, 1000 + 2 * 60 * 2, 1000, 1e-4, 1e-4},
      {"181 degrees east is 179 west", dateLine, false, 1000 + 2 * 60 * 2, 1000, 10, -179, 1e-6, 1e-9},
      {"175 east stays", dateLine, false, 1000 - 4 * 60 * 2, 1000, 10, 175, 1e-6, 1e-9},
      {"latitude zero has no meridional parts", equator, true, 0, 0, 700, 900, 0, 0},
      {"latitude zero back", equator, false, 700, 900, 0, 0, 0, 0},
      // The affine construction in double precision, rounded to single.
      {"three-point point 1", three, true, 52.25, 4.0, 1000, 9000, 1e-3, 1e-3},
      {"three-point point 2", three, true, 52.25, 4.5, 8000, 9500, 1e-3, 1e-3},
      {"three-point point 3", three, true, 52.375, 4.125, 2000, 1000, 1e-3, 1e-3},
      {"rounds to point 2", three, false, 8000.3, 9499.6, 52.25, 4.5, 0, 0},
      {"point 3 back", three, false, 2000, 1000, 52.375, 4.125, 0, 0},
      // Regression: on the line through point 2 parallel to points 1-3 (s = 1) the
      // intersection of the two construction lines is 0 / 0; the affine map is not.
      {"point 2 + (point 3 - point 1) / 2", three, true, 52.3125, 4.5625, 8500, 5500, 1e-3, 1e-3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    double a = 0, b = 0;
    float x = 0, y = 0;
    if (r.toChart) {
      LatLonToChart(r.c, r.in1, r.in2, x, y);
      a = x, b = y;
    } else {
      ChartToLatLon(r.c, r.in1, r.in2, a, b);
    }
    EXPECT_NEAR(a, r.out1, r.tolerance1);
    EXPECT_NEAR(b, r.out2, r.tolerance2);
  }
  EXPECT_EQ(MeridionalParts(0), 0.0);
  // Zoom scales the calibration, not the formulas: the same feature at three times the
  // units (single precision); and back.
  const ChartRecord z = ZoomedRecord(merc, 3.0);
  float x = 0, y = 0, zx = 0, zy = 0;
  double lat = 0, lon = 0;
  LatLonToChart(merc, 50.37f, 4.61f, x, y);
  LatLonToChart(z, 50.37f, 4.61f, zx, zy);
  EXPECT_NEAR(zx, 3 * x, 0.05);
  EXPECT_NEAR(zy, 3 * y, 0.05);
  ChartToLatLon(z, zx, zy, lat, lon);
  EXPECT_NEAR(lat, 50.37, 1e-5);
  EXPECT_NEAR(lon, 4.61, 1e-5);
  // Elsewhere on the three-point chart the inverse of the affine map (single-precision
  // chart units of about 1e-4 degree / 10 units).
  LatLonToChart(three, 52.3f, 4.3f, x, y);
  ChartToLatLon(three, x, y, lat, lon);
  EXPECT_NEAR(lat, 52.3, 1e-5);
  EXPECT_NEAR(lon, 4.3, 1e-5);
}

TEST(ChartRotation, FollowsNorthOnTheImage) {
  // ArcSin rounds its argument to 4 decimals.
  for (double theta : {0, 180, 90, -30, 270}) {
    SCOPED_TRACE(theta);
    EXPECT_NEAR(DeriveRotation(rotatedChart(theta), {}), theta, 0.01);
  }
  EXPECT_EQ(DeriveRotation(mercator50to51(), {}), 0);
}

TEST(CalibrationCheck, MessagesInOrderAndTheMercatorQuestion) {
  const ChartRecord good = mercator50to51();
  auto in = [](const ChartRecord& r, const char* description = "Test chart", bool bitmap = true,
               bool datum = true) { return CalibrationInput{description, bitmap, datum, r}; };
  const ChartRecord sameLat = changed(good, [](ChartRecord& c) { c.latitude2 = c.latitude1; });
  struct Row {
    const char* legend;
    CalibrationInput in;
    int message;
    bool ask;
  } rows[] = {
      {"blank description", in(good, "   "), Msg::NoDescriptionEntered, false},
      {"no bitmap comes before equal latitudes", in(sameLat, "Test chart", false), Msg::NoBitmapLoaded, false},
      {"equal latitudes", in(sameLat), Msg::LatitudesSame, false},
      {"equal longitudes", in(changed(good, [](ChartRecord& c) { c.longitude2 = c.longitude1; })),
       Msg::LongitudesSame, false},
      {"three-point chart without point 3",
       in(changed(threePointChart(), [](ChartRecord& c) { c.x3 = c.y3 = 0; })), Msg::ThreePointsNeeded, false},
      {"three points on one line", in(collinearChart()), Msg::ThreePointsNeeded, false},
      {"no datum", in(good, "Chart", true, false), Msg::NoChartDatum, false},
      {"good Mercator", in(good), 0, false},
      {"good three-point", in(threePointChart()), 0, false},
      {"mirrored left-right", in(changed(good, [](ChartRecord& c) { std::swap(c.x1, c.x2); })), 0, true},
      {"upside down", in(changed(good, [](ChartRecord& c) { std::swap(c.y1, c.y2); })), 0, true},
      // The scales still come from the points: exact.
      {"point 2 moved", in(changed(good, [](ChartRecord& c) { c.x2 += 15; })), 0, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const CalibrationCheck c = CheckCalibration(r.in);
    EXPECT_EQ(c.message, r.message);
    EXPECT_EQ(c.askConsistency, r.ask);
    if (r.message == 0 && r.in.record.mercator) {
      EXPECT_GT(c.milelat, 0);
      EXPECT_GT(c.milelon, 0);
    }
  }
  EXPECT_EQ(MessageText(Msg::ThreePointsNeeded), "With non-mercator charts three points must be calibrated    ");
  EXPECT_EQ(MessageText(Msg::NotMercatorProceed),
            "This chart is not a mercator projection chart, or isn't accurate enough, proceed?");
}

TEST(ChartBounds, InsideTheMargins) {
  ChartRecord c = mercator50to51();
  ComputeBounds(c, {18000, 33000, 3000, 3000, 1500, 1500});
  // Point 1 sits at the bottom-left margin corner, point 2 at the top-right corner.
  EXPECT_NEAR(c.latmin, 50, 1e-6);
  EXPECT_NEAR(c.lonmin, 4, 1e-6);
  EXPECT_NEAR(c.latmax, 51, 1e-6);
  EXPECT_NEAR(c.lonmax, 5, 1e-6);
}

ChartRow rowOf(const ChartRecord& c) {
  ChartRow r;
  r.description = "North Sea   ";
  r.mercator = c.mercator;
  r.latitude1 = c.latitude1, r.longitude1 = c.longitude1, r.x1 = c.x1, r.y1 = c.y1;
  r.latitude2 = c.latitude2, r.longitude2 = c.longitude2, r.x2 = c.x2, r.y2 = c.y2;
  r.latitude3 = c.latitude3, r.longitude3 = c.longitude3, r.x3 = c.x3, r.y3 = c.y3;
  r.milelat = c.milelat, r.milelon = c.milelon, r.maxx = 18000, r.maxy = 33000;
  r.topMargin = r.bottomMargin = 3000;
  r.leftMargin = r.rightMargin = 1500;
  r.Scale = "50000          ", r.depth = "Meters", r.datum = 7;
  return r;
}

TEST(ChartRecordLoader, FillsRecordAndLooksUpDatum) {
  ChartRow row = rowOf(rotatedChart(180));
  row.latmin = 51.0, row.lonmin = 3.0, row.latmax = 53.0, row.lonmax = 5.0;
  auto datums = [](int key) -> std::optional<ChartDatumRow> {
    if (key == 7) return ChartDatumRow{7, 12, "European 1950   "};
    return std::nullopt;
  };
  ChartLoadResult r = LoadChartRecord(row, datums);
  EXPECT_TRUE(r.warning.isEmpty()) << r.warning.toStdString();
  EXPECT_EQ(r.record.description, "North Sea");
  EXPECT_EQ(r.record.Scale, "50000");
  EXPECT_EQ(r.record.datumName, "European 1950");
  EXPECT_EQ(r.record.ellipse, 12);
  EXPECT_EQ(r.record.latmax, 53.0);
  EXPECT_NEAR(r.record.rotation, 180, 0.01);
  row.datum = 99;  // no such datum
  r = LoadChartRecord(row, datums);
  EXPECT_EQ(r.record.datumName, "WGS-84");
  EXPECT_EQ(r.record.ellipse, 39);
  EXPECT_EQ(LoadChartRecord(row, nullptr).record.datumName, "WGS-84");
  EXPECT_EQ(chartFilter(" O'Neil Bay "), "Description = 'O''Neil Bay'");
}

TEST(ChartRecordLoader, EmptyBoundsAndDegenerateCalibrationAreReported) {
  ChartLoadResult r = LoadChartRecord(rowOf(mercator50to51()), {});
  EXPECT_TRUE(r.boundsMissing);
  EXPECT_FALSE(r.warning.isEmpty());
  EXPECT_NEAR(r.record.latmin, 50, 1e-6);  // computed from the calibration
  EXPECT_NEAR(r.record.lonmax, 5, 1e-6);
  r = LoadChartRecord(rowOf(changed(mercator50to51(), [](ChartRecord& c) { c.milelat = 0; })), {});
  EXPECT_TRUE(r.warning.contains("Mercator calibration")) << r.warning.toStdString();
  float x = -1, y = -1;
  LatLonToChart(r.record, 50.5f, 4.5f, x, y);  // no division by zero: stays on point 1
  EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
  r = LoadChartRecord(rowOf(collinearChart()), {});
  EXPECT_TRUE(r.warning.contains("one line")) << r.warning.toStdString();
  double lat = 0, lon = 0;
  ChartToLatLon(r.record, 4000, 4000, lat, lon);
  EXPECT_TRUE(std::isfinite(lat) && std::isfinite(lon));
  EXPECT_TRUE(std::isfinite(r.record.rotation));
}

TEST(ChartRecordStore, LoadsRowFromARealDatabase) {
  QTemporaryDir dir;
  Database db;
  ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), QDateTime(QDate(2026, 12, 7), QTime(10, 0))).ok());
  ASSERT_TRUE(db.execute("INSERT INTO Datums (datum, ellipse, description, x, y, z) "
                         "VALUES (901, 14, 'Test datum', 0, 0, 0)")
                  .ok());
  std::unique_ptr<Recordset> rs = db.openRecordset("Charts");
  ASSERT_TRUE(rs);
  const ChartRecord c = mercator50to51();
  auto add = [&](const QString& name, int datum, bool bounds) {
    ASSERT_TRUE(rs->addNew().ok());
    const std::pair<const char*, QVariant> values[] = {
        {"description", name}, {"bitmap", "chart.png"}, {"mercator", true}, {"latitude1", c.latitude1},
        {"longitude1", c.longitude1}, {"x1", c.x1}, {"y1", c.y1}, {"latitude2", c.latitude2},
        {"longitude2", c.longitude2}, {"x2", c.x2}, {"y2", c.y2}, {"milelat", c.milelat},
        {"milelon", c.milelon}, {"maxx", 18000}, {"maxy", 33000}, {"Top_margin", 3000},
        {"Bottom_margin", 3000}, {"Left_margin", 1500}, {"Right_margin", 1500}, {"datum", datum},
        {"Scale", "25000          "}, {"Depth", " "}};
    for (const auto& [field, value] : values) rs->setValue(field, value);
    if (bounds)
      for (auto [field, value] : {std::pair{"latmin", 50.0}, {"lonmin", 4.0}, {"latmax", 51.0}, {"lonmax", 5.0}})
        rs->setValue(field, value);
    ASSERT_TRUE(rs->update().ok());
  };
  add("Skipper's Bay", 901, true);
  add("No bounds", 555, false);
  StoreResult res;
  std::optional<ChartLoadResult> r = LoadChartRecord(db, "  Skipper's Bay ", {}, &res);
  ASSERT_TRUE(r) << res.detail.toStdString();
  EXPECT_EQ(r->record.description, "Skipper's Bay");
  EXPECT_EQ(r->record.datumName, "Test datum");
  EXPECT_EQ(r->record.ellipse, 14);
  EXPECT_EQ(r->record.Scale, "25000");
  EXPECT_EQ(r->record.depth, "");
  EXPECT_EQ(r->record.latmax, 51.0);
  EXPECT_NEAR(r->record.milelon, c.milelon, 1e-9);
  EXPECT_TRUE(r->warning.isEmpty());
  r = LoadChartRecord(db, "No bounds", {}, &res);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->boundsMissing);
  EXPECT_EQ(r->record.datumName, "WGS-84");  // datum 555 does not exist
  EXPECT_EQ(r->record.ellipse, 39);
  EXPECT_NEAR(r->record.latmin, 50, 1e-6);
  EXPECT_FALSE(LoadChartRecord(db, "Elsewhere", {}, &res));
  EXPECT_EQ(res.message, Msg::ChartDoesNotExist);
}

}  // namespace
}  // namespace tavrik
