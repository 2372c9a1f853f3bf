#include "chart/chart_record.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chart/chart_record_loader.h"
#include "chart/chart_row_store.h"
#include "store/schema.h"

#include <QTemporaryDir>
#include "core/messages.h"
#include "geo/nav_math.h"

namespace tavrik {
namespace {

ChartRecord mercator50to51() {
  ChartRecord c;
  c.mercator = true;
  c.latitude1 = 50;
  c.longitude1 = 4;
  c.x1 = 1500;
  c.y1 = 30000;
  c.latitude2 = 51;
  c.longitude2 = 5;
  c.x2 = 16500;
  c.y2 = 3000;
  CalibrateScales(c);
  return c;
}

TEST(MercatorConversion, PointOneExactAndPointTwoWithinRounding) {
  const ChartRecord c = mercator50to51();
  float x = 0, y = 0;
  LatLonToChart(c, 50, 4, x, y);
  EXPECT_EQ(x, c.x1);
  EXPECT_EQ(y, c.y1);
  LatLonToChart(c, 51, 5, x, y);
  // Single-precision meridional parts: a few thousandths of a unit.
  EXPECT_NEAR(x, c.x2, 0.01);
  EXPECT_NEAR(y, c.y2, 0.01);
  double lat = 0, lon = 0;
  ChartToLatLon(c, c.x2, c.y2, lat, lon);
  EXPECT_NEAR(lat, 51, 1e-6);
  EXPECT_NEAR(lon, 5, 1e-6);
}

TEST(MercatorConversion, ZoomScalesCalibrationNotFormulas) {
  const ChartRecord c = mercator50to51();
  const ChartRecord z = ZoomedRecord(c, 3.0);
  float x = 0, y = 0, zx = 0, zy = 0;
  LatLonToChart(c, 50.37f, 4.61f, x, y);
  LatLonToChart(z, 50.37f, 4.61f, zx, zy);
  // Same chart feature at three times the units (single precision).
  EXPECT_NEAR(zx, 3 * x, 0.05);
  EXPECT_NEAR(zy, 3 * y, 0.05);
  double lat = 0, lon = 0;
  ChartToLatLon(z, zx, zy, lat, lon);
  EXPECT_NEAR(lat, 50.37, 1e-5);
  EXPECT_NEAR(lon, 4.61, 1e-5);
}

TEST(MercatorConversion, CrossesTheDateLine) {
  ChartRecord c;
  c.mercator = true;
  c.latitude1 = 10;
  c.longitude1 = 179;
  c.x1 = 1000;
  c.y1 = 1000;
  c.milelat = 2;
  c.milelon = 2;
  float x = 0, y = 0;
  LatLonToChart(c, 10, -179, x, y);
  EXPECT_FLOAT_EQ(x, 1000 + 2 * 60 * 2);
  double lat = 0, lon = 0;
  ChartToLatLon(c, 1000 + 2 * 60 * 2, 1000, lat, lon);  // 181 degrees east
  EXPECT_NEAR(lon, -179, 1e-9);
  ChartToLatLon(c, 1000 - 4 * 60 * 2, 1000, lat, lon);  // 175 east stays
  EXPECT_NEAR(lon, 175, 1e-9);
}

TEST(MercatorConversion, LatitudeZeroHasNoMeridionalParts) {
  EXPECT_EQ(MeridionalParts(0), 0.0);
  ChartRecord c;
  c.latitude1 = 0;
  c.longitude1 = 0;
  c.x1 = 700;
  c.y1 = 900;
  c.milelat = 3;
  c.milelon = 3;
  float x = 0, y = 0;
  LatLonToChart(c, 0, 0, x, y);
  EXPECT_EQ(y, 900);
  double lat = 1, lon = 1;
  ChartToLatLon(c, 700, 900, lat, lon);
  EXPECT_EQ(lat, 0.0);
}

// Values exactly representable in single precision, so exactness is exact.
ChartRecord threePointChart() {
  ChartRecord c;
  c.mercator = false;
  c.latitude1 = 52.25;
  c.longitude1 = 4.0;
  c.x1 = 1000;
  c.y1 = 9000;
  c.latitude2 = 52.25;
  c.longitude2 = 4.5;
  c.x2 = 8000;
  c.y2 = 9500;
  c.latitude3 = 52.375;
  c.longitude3 = 4.125;
  c.x3 = 2000;
  c.y3 = 1000;
  return c;
}

TEST(ThreePointConversion, CalibrationPointsMapExactly) {
  const ChartRecord c = threePointChart();
  struct Row {
    const char* legend;
    float lat, lon, x, y;
  } rows[] = {
      {"point 1", 52.25f, 4.0f, 1000, 9000},
      {"point 2", 52.25f, 4.5f, 8000, 9500},
      {"point 3", 52.375f, 4.125f, 2000, 1000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    float x = 0, y = 0;
    LatLonToChart(c, r.lat, r.lon, x, y);
    // The affine construction in double precision, rounded to single.
    EXPECT_NEAR(x, r.x, 1e-3);
    EXPECT_NEAR(y, r.y, 1e-3);
  }
  double lat = 0, lon = 0;
  ChartToLatLon(c, 8000.3f, 9499.6f, lat, lon);  // rounds to point 2
  EXPECT_EQ(lat, 52.25);
  EXPECT_EQ(lon, 4.5);
  ChartToLatLon(c, 2000, 1000, lat, lon);
  EXPECT_EQ(lat, 52.375);
  EXPECT_EQ(lon, 4.125);
  // Regression: on the line through point 2 parallel to points 1-3 (s = 1) the
  // intersection of the two construction lines is 0 / 0; the affine map is not.
  float x = 0, y = 0;
  LatLonToChart(c, 52.25f + 0.0625f, 4.5f + 0.0625f, x, y);  // point 2 + (point 3 - point 1) / 2
  EXPECT_NEAR(x, 8000 + 0.5f * (2000 - 1000), 1e-3);
  EXPECT_NEAR(y, 9500 + 0.5f * (1000 - 9000), 1e-3);
  // Elsewhere the inverse of the affine map.
  LatLonToChart(c, 52.3f, 4.3f, x, y);
  ChartToLatLon(c, x, y, lat, lon);
  EXPECT_NEAR(lat, 52.3, 1e-5);  // single-precision chart units of about 1e-4 degree / 10 units
  EXPECT_NEAR(lon, 4.3, 1e-5);
}

// A three-point chart whose north points `thetaDeg` clockwise from up on the image.
ChartRecord rotatedChart(double thetaDeg) {
  const double t = thetaDeg * Pi() / 180, k = 10000;  // chart units per degree
  const double ex = std::cos(t), ey = std::sin(t);    // east on the image
  const double nx = std::sin(t), ny = -std::cos(t);   // north on the image
  ChartRecord c;
  c.mercator = false;
  c.latitude1 = 52;
  c.longitude1 = 4;
  c.x1 = 50000;
  c.y1 = 50000;
  c.latitude2 = 52;
  c.longitude2 = 4.5;
  c.x2 = static_cast<float>(c.x1 + 0.5 * k * ex);
  c.y2 = static_cast<float>(c.y1 + 0.5 * k * ey);
  c.latitude3 = 52.5;
  c.longitude3 = 4;
  c.x3 = static_cast<float>(c.x1 + 0.5 * k * nx);
  c.y3 = static_cast<float>(c.y1 + 0.5 * k * ny);
  return c;
}

TEST(ChartRotation, FollowsNorthOnTheImage) {
  struct Row {
    const char* legend;
    double theta;
    float expected;
  } rows[] = {
      {"north up", 0, 0},
      {"north exactly down", 180, 180},
      {"rotated 90 clockwise", 90, 90},
      {"tilted west", -30, -30},
      {"north exactly left", 270, 270},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    // ArcSin rounds its argument to 4 decimals.
    EXPECT_NEAR(DeriveRotation(rotatedChart(r.theta), {}), r.expected, 0.01);
  }
  EXPECT_EQ(DeriveRotation(mercator50to51(), {}), 0);
}

TEST(CalibrationCheck, MessagesInOrder) {
  const ChartRecord good = mercator50to51();
  auto input = [&](const ChartRecord& r) {
    CalibrationInput in;
    in.description = "Test chart";
    in.bitmapLoaded = true;
    in.datumSelected = true;
    in.record = r;
    return in;
  };
  ChartRecord sameLat = good;
  sameLat.latitude2 = sameLat.latitude1;
  ChartRecord sameLon = good;
  sameLon.longitude2 = sameLon.longitude1;
  ChartRecord noThird = threePointChart();
  noThird.x3 = noThird.y3 = 0;
  ChartRecord collinear = threePointChart();
  collinear.x3 = 15000;  // on the image line through points 1 and 2
  collinear.y3 = 10000;
  CalibrationInput blank = input(good);
  blank.description = "   ";
  CalibrationInput noBitmap = input(sameLat);
  noBitmap.bitmapLoaded = false;
  CalibrationInput noDatum = input(good);
  noDatum.datumSelected = false;
  struct Row {
    const char* legend;
    CalibrationInput in;
    int message;
  } rows[] = {
      {"blank description", blank, Msg::NoDescriptionEntered},
      {"no bitmap comes before equal latitudes", noBitmap, Msg::NoBitmapLoaded},
      {"equal latitudes", input(sameLat), Msg::LatitudesSame},
      {"equal longitudes", input(sameLon), Msg::LongitudesSame},
      {"three-point chart without point 3", input(noThird), Msg::ThreePointsNeeded},
      {"three points on one line", input(collinear), Msg::ThreePointsNeeded},
      {"no datum", noDatum, Msg::NoChartDatum},
      {"good Mercator", input(good), 0},
      {"good three-point", input(threePointChart()), 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const CalibrationCheck c = CheckCalibration(r.in);
    EXPECT_EQ(c.message, r.message);
    EXPECT_FALSE(c.askConsistency);
  }
  EXPECT_EQ(MessageText(Msg::ThreePointsNeeded), "With non-mercator charts three points must be calibrated    ");
}

TEST(CalibrationCheck, MirroredMercatorAsksTheQuestion) {
  ChartRecord mirrored = mercator50to51();
  std::swap(mirrored.x1, mirrored.x2);  // x grows westward
  ChartRecord upsideDown = mercator50to51();
  std::swap(upsideDown.y1, upsideDown.y2);
  ChartRecord slightlyOff = mercator50to51();  // scales still come from the points: exact
  slightlyOff.x2 += 15;
  struct Row {
    const char* legend;
    ChartRecord record;
    bool ask;
  } rows[] = {{"mirrored left-right", mirrored, true},
              {"upside down", upsideDown, true},
              {"true Mercator", mercator50to51(), false},
              {"point 2 moved", slightlyOff, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    CalibrationInput in{"Chart", true, true, r.record};
    const CalibrationCheck c = CheckCalibration(in);
    EXPECT_EQ(c.message, 0);
    EXPECT_EQ(c.askConsistency, r.ask);
    EXPECT_GT(c.milelat, 0);
    EXPECT_GT(c.milelon, 0);
  }
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
  r.latitude1 = c.latitude1;
  r.longitude1 = c.longitude1;
  r.x1 = c.x1;
  r.y1 = c.y1;
  r.latitude2 = c.latitude2;
  r.longitude2 = c.longitude2;
  r.x2 = c.x2;
  r.y2 = c.y2;
  r.latitude3 = c.latitude3;
  r.longitude3 = c.longitude3;
  r.x3 = c.x3;
  r.y3 = c.y3;
  r.milelat = c.milelat;
  r.milelon = c.milelon;
  r.maxx = 18000;
  r.maxy = 33000;
  r.topMargin = r.bottomMargin = 3000;
  r.leftMargin = r.rightMargin = 1500;
  r.Scale = "50000          ";
  r.depth = "Meters";
  r.datum = 7;
  return r;
}

TEST(ChartRecordLoader, FillsRecordAndLooksUpDatum) {
  ChartRow row = rowOf(rotatedChart(180));
  row.latmin = 51.0;
  row.lonmin = 3.0;
  row.latmax = 53.0;
  row.lonmax = 5.0;
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
  r = LoadChartRecord(row, nullptr);
  EXPECT_EQ(r.record.datumName, "WGS-84");
  EXPECT_EQ(chartFilter(" O'Neil Bay "), "Description = 'O''Neil Bay'");
}

TEST(ChartRecordLoader, EmptyBoundsAndDegenerateCalibrationAreReported) {
  ChartLoadResult r = LoadChartRecord(rowOf(mercator50to51()), {});
  EXPECT_TRUE(r.boundsMissing);
  EXPECT_FALSE(r.warning.isEmpty());
  EXPECT_NEAR(r.record.latmin, 50, 1e-6);  // computed from the calibration
  EXPECT_NEAR(r.record.lonmax, 5, 1e-6);

  ChartRecord flat = mercator50to51();
  flat.milelat = 0;
  ChartRow row = rowOf(flat);
  r = LoadChartRecord(row, {});
  EXPECT_TRUE(r.warning.contains("Mercator calibration")) << r.warning.toStdString();
  float x = -1, y = -1;
  LatLonToChart(r.record, 50.5f, 4.5f, x, y);  // no division by zero: stays on point 1
  EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));

  ChartRecord line = threePointChart();
  line.x3 = 15000;
  line.y3 = 10000;
  r = LoadChartRecord(rowOf(line), {});
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
  ASSERT_TRUE(db.execute("INSERT INTO Datums (datum, ellipse, description, x, y, z) VALUES (901, 14, 'Test datum', 0, 0, 0)").ok());
  std::unique_ptr<Recordset> rs = db.openRecordset("Charts");
  ASSERT_TRUE(rs);
  const ChartRecord c = mercator50to51();
  auto add = [&](const QString& name, int datum, bool bounds) {
    ASSERT_TRUE(rs->addNew().ok());
    rs->setValue("description", name);
    rs->setValue("bitmap", "chart.png");
    rs->setValue("mercator", true);
    rs->setValue("latitude1", c.latitude1);
    rs->setValue("longitude1", c.longitude1);
    rs->setValue("x1", c.x1);
    rs->setValue("y1", c.y1);
    rs->setValue("latitude2", c.latitude2);
    rs->setValue("longitude2", c.longitude2);
    rs->setValue("x2", c.x2);
    rs->setValue("y2", c.y2);
    rs->setValue("milelat", c.milelat);
    rs->setValue("milelon", c.milelon);
    rs->setValue("maxx", 18000);
    rs->setValue("maxy", 33000);
    rs->setValue("Top_margin", 3000);
    rs->setValue("Bottom_margin", 3000);
    rs->setValue("Left_margin", 1500);
    rs->setValue("Right_margin", 1500);
    if (bounds) {
      rs->setValue("latmin", 50.0);
      rs->setValue("lonmin", 4.0);
      rs->setValue("latmax", 51.0);
      rs->setValue("lonmax", 5.0);
    }
    rs->setValue("datum", datum);
    rs->setValue("Scale", "25000          ");
    rs->setValue("Depth", " ");
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
