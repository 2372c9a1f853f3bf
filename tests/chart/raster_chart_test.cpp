#include "chart/raster_chart.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gdal.h>
#include <gdal_alg.h>
#include <gtest/gtest.h>

#include <cmath>

#include "chart/chart_record.h"
#include "chart/demo_chart.h"
#include "chart/kap_file_writer.h"
#include "chart/kap_writer.h"
#include "core/messages.h"

namespace tavrik {
namespace {

using test::MercatorChartSpec;

class RasterChartTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString path(const QString& name) const { return dir.filePath(name); }
  QString write(const QString& name, const KapHeader& h) {
    test::writeTestKap(path(name), h);
    return path(name);
  }
  QString writeMercator() { return write("mercator.kap", test::mercatorHeader({})); }
  std::unique_ptr<RasterChart> open(const QString& file) {
    std::unique_ptr<RasterChart> chart = library.open(file);
    EXPECT_TRUE(chart) << library.lastErrorDetail().text().toStdString();
    return chart;
  }
  QTemporaryDir dir;
  RasterChartLibrary library;
};

// How many of the pixels of `size` (every `step`-th) `wrongAt(x, y)` finds wrong.
template <class F>
int countWrong(QSize size, F wrongAt, int step = 1) {
  int n = 0;
  for (int y = 0; y < size.height(); y += step)
    for (int x = 0; x < size.width(); x += step) n += wrongAt(x, y);
  return n;
}

// A second-order polynomial chart: world -> pixel with small curvature terms, and an
// approximate (first-order) pixel -> world the reader has to refine.
KapHeader polynomialHeader() {
  KapHeader h;
  h.name = "Polynomial test";
  h.width = 800;
  h.height = 600;
  h.scale = "20000", h.datum = "WGS84", h.projection = "TRANSVERSE MERCATOR";
  h.depthUnit = "METERS", h.edition = "3";
  const double lon0 = 4.0, lat0 = 52.3, kx = 1600, ky = -2400;  // pixels per degree
  // x = 400 + kx (lon - lon0) + 30 (lon - lon0)^2 ..., written out in lon, lat.
  h.wpx = {2, {400 - kx * lon0 + 30 * lon0 * lon0 - 10 * lon0 * lat0, kx - 60 * lon0 + 10 * lat0, 10 * lon0, 30,
               -10, 0}};
  h.wpy = {2, {300 - ky * lat0 + 40 * lat0 * lat0, 0, ky - 80 * lat0, 0, 0, 40}};
  h.pwx = {1, {lon0 - 400 / kx, 1 / kx, 0}};
  h.pwy = {1, {lat0 - 300 / ky, 0, 1 / ky}};
  h.references = {{1, 400, 300, lat0, lon0}};
  h.palettes["RGB"] = test::testPalette(15, 3);
  return h;
}

double evalPoly(const KapPolynomial& p, double a, double b) {
  const double t[10] = {1, a, b, a * a, a * b, b * b, a * a * a, a * a * b, a * b * b, b * b * b};
  double s = 0;
  for (int i = 0; i < p.coefficients.size(); ++i) s += p.coefficients[i] * t[i];
  return s;
}

TEST_F(RasterChartTest, WrittenChartsReadByGdalinfo) {
  QString demoError;
  const QString demo = path("demo.kap");
  ASSERT_TRUE(writeDemoChart(demo, &demoError)) << demoError.toStdString();
  struct Row {
    const char* legend;
    QString file;
    int width, height, gcps, colours;
  } rows[] = {
      {"Mercator test chart", writeMercator(), 1200, 900, 9, 15},
      {"polynomial chart", write("poly.kap", polynomialHeader()), 800, 600, 1, 15},
      {"demo chart", demo, 2000, 1500, 16, 28},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const QByteArray out = test::gdalinfoJson(r.file, true);
    ASSERT_FALSE(out.isEmpty());
    const QJsonObject info = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(info["driverShortName"].toString(), "BSB");
    EXPECT_EQ(info["size"].toArray()[0].toInt(), r.width);
    EXPECT_EQ(info["size"].toArray()[1].toInt(), r.height);
    const QJsonArray bands = info["bands"].toArray();
    ASSERT_EQ(bands.size(), 1);
    EXPECT_TRUE(bands[0].toObject().contains("checksum"));  // every row decoded
    const QJsonArray entries = bands[0].toObject()["colorTable"].toObject()["entries"].toArray();
    EXPECT_EQ(entries.size(), r.colours);
    // GDAL's colour table and ours agree entry by entry.
    std::unique_ptr<RasterChart> chart = open(r.file);
    ASSERT_TRUE(chart);
    const QVector<QRgb> ours = chart->palette(ChartPalette::RGB);
    ASSERT_EQ(ours.size(), entries.size());
    for (int i = 0; i < ours.size(); ++i) {
      const QJsonArray e = entries[i].toArray();
      EXPECT_EQ(ours[i], qRgb(e[0].toInt(), e[1].toInt(), e[2].toInt())) << "entry " << i;
    }
    // GDAL reads the same reference points from the header.
    const QJsonArray gcps = info["gcps"].toObject()["gcpList"].toArray();
    ASSERT_EQ(gcps.size(), r.gcps);
    for (int i = 0; i < gcps.size(); ++i) {
      EXPECT_EQ(gcps[i].toObject()["pixel"].toDouble(), chart->header().references[i].x);
      EXPECT_EQ(gcps[i].toObject()["line"].toDouble(), chart->header().references[i].y);
    }
  }
  // The demo chart's reference points sit on whole pixels; between them the fit follows
  // the projection.
  std::unique_ptr<RasterChart> chart = open(demo);
  ASSERT_TRUE(chart);
  double worst = 0;
  for (double lat = 52.0; lat <= 52.5; lat += 0.05)
    for (double lon = 4.0; lon <= 5.0; lon += 0.1) {
      double x = 0, y = 0, ex = 0, ey = 0;
      chart->latLonToPixel(lat, lon, x, y);
      seaChartPixel(SeaChartSpec{}, lat, lon, ex, ey);
      worst = std::max({worst, std::fabs(x - ex), std::fabs(y - ey)});
    }
  EXPECT_LT(worst, 0.1);
}

TEST_F(RasterChartTest, DecodesAndRendersTheWrittenPixels) {
  std::unique_ptr<RasterChart> chart = open(writeMercator());
  ASSERT_TRUE(chart);
  const QImage full = chart->readRegion(QRect(300, 200, 500, 400));
  ASSERT_EQ(full.size(), QSize(500, 400));
  EXPECT_EQ(countWrong(full.size(), [&](int x, int y) {
              return full.pixelIndex(x, y) != test::patternValue(300 + x, 200 + y) - 1;
            }), 0);
  // Tiles: 256 pixels, smaller at the edges; step 4 takes every fourth pixel (the one
  // nearest each output pixel's centre).
  EXPECT_EQ(chart->tileColumns(), 5);
  EXPECT_EQ(chart->tileRows(), 4);
  EXPECT_EQ(chart->tile(4, 3).size(), QSize(1200 - 4 * 256, 900 - 3 * 256));
  EXPECT_TRUE(chart->tile(5, 0).isNull());
  const QImage small = chart->tile(0, 0, 4);
  ASSERT_EQ(small.size(), QSize(256, 225));
  EXPECT_EQ(chart->tileColumns(4), 2);
  EXPECT_EQ(countWrong(small.size(), [&](int x, int y) {
              return small.pixelIndex(x, y) != test::patternValue(4 * x + 2, 4 * y + 2) - 1;
            }), 0);
  const QVector<QRgb> pal = chart->palette(ChartPalette::RGB);
  EXPECT_EQ(small.colorTable().value(0), pal.value(0));
  // Rendering the visible part, then zoomed out: the part beyond the chart stays blank.
  auto render = [&](QPointF origin, double zoom) {
    QImage target(300, 200, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    chart->render(painter, QRectF(0, 0, 300, 200), origin, zoom);
    return target;
  };
  const QImage view = render({400, 300}, 1.0);
  EXPECT_EQ(countWrong(view.size(), [&](int x, int y) {
              return view.pixel(x, y) != pal[test::patternValue(400 + x, 300 + y) - 1];
            }, 7), 0);
  const QImage half = render({800, 600}, 0.5);
  EXPECT_EQ(half.pixel(299, 199), qRgb(255, 255, 255));
  EXPECT_NE(half.pixel(10, 10), qRgb(255, 255, 255));
  // Night palette: same pixels, other colours.
  EXPECT_TRUE(chart->setPalette(ChartPalette::NGT));
  EXPECT_FALSE(chart->setPalette(ChartPalette::DSK));  // the chart has none
  EXPECT_EQ(chart->currentPalette(), ChartPalette::NGT);
  EXPECT_EQ(chart->tile(0, 0).color(0), test::testPalette(15, 2)[1]);
}

TEST_F(RasterChartTest, RunLengthRowsAtEveryBitDepth) {
  // Long runs need continuation bytes, more of them the fewer count bits a depth leaves.
  for (int depth = 1; depth <= 7; ++depth) {
    SCOPED_TRACE(depth);
    const int maxValue = (1 << depth) - 1;
    KapHeader h = test::mercatorHeader({});
    h.width = 9000;
    h.height = 200;  // GDAL takes no BSB file under 1024 bytes, and one-bit runs pack tight
    h.palettes = {{"RGB", test::testPalette(maxValue, depth)}};
    auto value = [&](int x, int y) {
      if (y % 4 == 0) return 1;                                               // one run over the whole row
      if (y % 4 == 1) return x < 130 ? maxValue : 1 + (x / 3000) % maxValue;  // runs of 130, 3000
      return 1 + (x + y) % maxValue;                                          // runs of one
    };
    const QString p = path(QStringLiteral("depth%1.kap").arg(depth));
    QString error;
    ASSERT_TRUE(writeKapFile(p, h, depth, [&](int y, uint8_t* row) {
      for (int x = 0; x < h.width; ++x) row[x] = static_cast<uint8_t>(value(x, y));
    }, &error)) << error.toStdString();
    std::unique_ptr<RasterChart> chart = open(p);
    ASSERT_TRUE(chart);
    const QImage img = chart->readRegion(QRect(0, 0, h.width, h.height));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(countWrong(img.size(), [&](int x, int y) { return img.pixelIndex(x, y) != value(x, y) - 1; }), 0);
  }
}

TEST_F(RasterChartTest, MercatorReferencePointsRoundTripsAndViewConversion) {
  const MercatorChartSpec spec;
  std::unique_ptr<RasterChart> chart = open(writeMercator());
  ASSERT_TRUE(chart);
  EXPECT_TRUE(chart->georeference().mercatorOrdinate());
  for (const KapReference& r : chart->header().references) {
    SCOPED_TRACE(r.number);
    double x = 0, y = 0;
    ASSERT_EQ(chart->latLonToPixel(r.lat, r.lon, x, y), 0);
    // The fit on the Mercator ordinate matches the projection to far below a pixel.
    EXPECT_NEAR(x, r.x, 0.05);
    EXPECT_NEAR(y, r.y, 0.05);
  }
  // GDAL's own georeferencing of the same file (its transformer from the GCPs).
  GDALDatasetH ds = GDALOpen(chart->path().toLocal8Bit().constData(), GA_ReadOnly);
  ASSERT_TRUE(ds);
  const char* opts[] = {"DST_SRS=+proj=longlat +datum=WGS84 +no_defs", nullptr};
  void* tr = GDALCreateGenImgProjTransformer2(ds, nullptr, const_cast<char**>(opts));
  ASSERT_TRUE(tr);
  double worstTrip = 0, worstProj = 0, worstGdal = 0;
  for (int i = 0; i <= 40; ++i) {
    for (int j = 0; j <= 40; ++j) {
      const double px = spec.width * i / 40.0, py = spec.height * j / 40.0;
      double lat = 0, lon = 0, x = 0, y = 0, tx = 0, ty = 0, gx = px, gy = py, gz = 0, ox = 0, oy = 0;
      ASSERT_EQ(chart->pixelToLatLon(px, py, lat, lon), 0);
      ASSERT_EQ(chart->latLonToPixel(lat, lon, x, y), 0);
      worstTrip = std::max({worstTrip, std::fabs(x - px), std::fabs(y - py)});
      test::mercatorPixel(spec, lat, lon, tx, ty);
      worstProj = std::max({worstProj, std::fabs(tx - px), std::fabs(ty - py)});
      int ok = 0;
      GDALGenImgProjTransform(tr, FALSE, 1, &gx, &gy, &gz, &ok);
      ASSERT_TRUE(ok);
      // gx, gy are the lon, lat GDAL gives this pixel; compare in pixels.
      chart->latLonToPixel(gy, gx, ox, oy);
      worstGdal = std::max({worstGdal, std::fabs(ox - px), std::fabs(oy - py)});
    }
  }
  GDALDestroyGenImgProjTransformer(tr);
  GDALClose(ds);
  EXPECT_LT(worstTrip, 0.1) << "round trip";
  EXPECT_LT(worstProj, 0.1) << "against PROJ Mercator";
  EXPECT_LT(worstGdal, 0.1) << "against GDAL";
  RecordProperty("worst_round_trip_px", std::to_string(worstTrip));
  // The window's conversion: view origin and zoom in view units of 15 per pixel.
  ChartRecord rec;
  rec.bsb = true;
  ChartView view{chart.get(), 100, 50, 2.0};
  double px = 0, py = 0, lat = 0, lon = 0;
  chart->latLonToPixel(52.3, 4.4, px, py);
  float x = 0, y = 0;
  EXPECT_EQ(LatLonToView(rec, view, 52.3, 4.4, x, y), 0);
  EXPECT_NEAR(x, (px - 100) * 15 * 2, 1e-2);  // single-precision view units
  EXPECT_NEAR(y, (py - 50) * 15 * 2, 1e-2);
  EXPECT_EQ(ViewToLatLon(rec, view, x, y, lat, lon), 0);
  EXPECT_NEAR(lat, 52.3, 1e-7);
  EXPECT_NEAR(lon, 4.4, 1e-7);
  ChartView none;  // no chart open: a failure status, no crash
  EXPECT_LT(LatLonToView(rec, none, 52.3, 4.4, x, y), 0);
  EXPECT_LT(none.lastError, 0);
}

TEST_F(RasterChartTest, PolynomialsUsedOnlyWhenTheyHitTheReferencePoints) {
  const KapHeader h = polynomialHeader();
  std::unique_ptr<RasterChart> chart = open(write("poly.kap", h));
  ASSERT_TRUE(chart);
  EXPECT_TRUE(chart->georeference().fromPolynomials());
  double worst = 0;
  for (double lat = 52.2; lat <= 52.4; lat += 0.01) {
    for (double lon = 3.8; lon <= 4.2; lon += 0.02) {
      double x = 0, y = 0, rlat = 0, rlon = 0, x2 = 0, y2 = 0;
      ASSERT_EQ(chart->latLonToPixel(lat, lon, x, y), 0);
      EXPECT_NEAR(x, evalPoly(h.wpx, lon, lat), 1e-6);
      EXPECT_NEAR(y, evalPoly(h.wpy, lon, lat), 1e-6);
      ASSERT_EQ(chart->pixelToLatLon(x, y, rlat, rlon), 0);
      ASSERT_EQ(chart->latLonToPixel(rlat, rlon, x2, y2), 0);
      worst = std::max({worst, std::fabs(x2 - x), std::fabs(y2 - y)});
      EXPECT_NEAR(rlat, lat, 1e-9);
      EXPECT_NEAR(rlon, lon, 1e-9);
    }
  }
  EXPECT_LT(worst, 0.1);
  // The Mercator test chart with polynomials whose terms are swapped (lat for lon).
  KapHeader bad = test::mercatorHeader({});
  bad.wpx = {1, {100, 0, 1200}};
  bad.wpy = {1, {100, 900, 0}};
  chart = open(write("badpoly.kap", bad));
  ASSERT_TRUE(chart);
  EXPECT_FALSE(chart->georeference().fromPolynomials());
  EXPECT_TRUE(chart->georeference().polynomialsRejected());
  EXPECT_LT(chart->georeference().worstReferenceError(chart->header()), 0.05);
  EXPECT_TRUE(chart->informationText().contains("fitted to 9 reference points (the chart polynomials miss them)"));
  // Polynomials that meet the points within a pixel are used.
  KapHeader good = test::mercatorHeader({});
  const KapReference &a = good.references[0], &b = good.references[8];
  const double kx = (b.x - a.x) / (b.lon - a.lon), ky = (b.y - a.y) / (b.lat - a.lat);
  good.wpx = {1, {a.x - kx * a.lon, kx, 0}};
  good.wpy = {1, {a.y - ky * a.lat, 0, ky}};  // linear in latitude: within a pixel on this small chart
  chart = open(write("goodpoly.kap", good));
  ASSERT_TRUE(chart);
  EXPECT_TRUE(chart->georeference().fromPolynomials());
  EXPECT_LE(chart->georeference().worstReferenceError(chart->header()), 1.0);
}

// Plain latitude / longitude charts: the fit from four reference points is affine.
QPointF rotatedPixel(double lat, double lon) {  // turned 20 degrees on its sheet
  const double a = 20 * 3.14159265358979 / 180, e = (lon - 10) * 2000, n = (lat - 60) * 4000;
  return {350 + e * std::cos(a) + n * std::sin(a), 250 + e * std::sin(a) - n * std::cos(a)};
}
QPointF dateLinePixel(double lat, double lon) {
  return {((lon < 0 ? lon + 360 : lon) - 179.8) * 2000, (60.1 - lat) * 4000};
}

TEST_F(RasterChartTest, AffineChartsFittedFromReferencePoints) {
  struct Probe {
    const char* legend;
    double lat, lon;
  };
  struct Row {
    const char* name;
    int width, height;
    QPointF (*pixel)(double lat, double lon);
    double refs[4][2];
    std::vector<Probe> probes;
    double rotation;
  } rows[] = {
      {"Rotated", 700, 500, rotatedPixel, {{60.05, 9.95}, {60.05, 10.08}, {59.96, 10.09}, {59.95, 9.93}},
       {{"the centre", 60.0, 10.0}}, 20},
      {"Date line", 800, 600, dateLinePixel, {{60.08, 179.85}, {60.08, -179.85}, {59.97, -179.84}, {59.96, 179.83}},
       {{"west of the meridian", 60.0, 179.9}, {"east of it", 60.0, -179.9}, {"on it", 60.02, 180.0}}, 0},
  };
  int seed = 4;
  ChartRecord rec;
  rec.bsb = true;
  rec.mercator = false;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    KapHeader h;
    h.name = r.name;
    h.width = r.width;
    h.height = r.height;
    h.projection = "POLYCONIC";
    for (int i = 0; i < 4; ++i) {
      const QPointF p = r.pixel(r.refs[i][0], r.refs[i][1]);
      h.references.append({i + 1, p.x(), p.y(), r.refs[i][0], r.refs[i][1]});
    }
    h.palettes["RGB"] = test::testPalette(15, seed++);
    std::unique_ptr<RasterChart> chart = open(write(QString(r.name) + ".kap", h));
    ASSERT_TRUE(chart);
    EXPECT_FALSE(chart->georeference().mercatorOrdinate());
    EXPECT_EQ(chart->georeference().order(), 1);
    for (const Probe& p : r.probes) {
      SCOPED_TRACE(p.legend);
      double x = 0, y = 0, lat = 0, lon = 0;
      ASSERT_EQ(chart->latLonToPixel(p.lat, p.lon, x, y), 0);
      EXPECT_NEAR(x, r.pixel(p.lat, p.lon).x(), 1e-6);
      EXPECT_NEAR(y, r.pixel(p.lat, p.lon).y(), 1e-6);
      ASSERT_EQ(chart->pixelToLatLon(x, y, lat, lon), 0);
      EXPECT_NEAR(lat, p.lat, 1e-9);
      EXPECT_NEAR(std::remainder(lon - p.lon, 360.0), 0, 1e-9);
      EXPECT_LE(lon, 180);
      EXPECT_GT(lon, -180);
    }
    // The chart record's rotation through the library conversion, also when the row's
    // point 1 is not filled in (a ten-degree probe from the image corner would say 45).
    ChartView view{chart.get(), 0, 0, 1.0};
    rec.latitude1 = rec.longitude1 = 0;
    EXPECT_NEAR(DeriveRotation(rec, view), r.rotation, 0.05);  // ArcSin rounds to 4 decimals
    rec.latitude1 = r.probes[0].lat;
    rec.longitude1 = r.probes[0].lon;
    EXPECT_NEAR(DeriveRotation(rec, view), r.rotation, 0.05);
  }
  EXPECT_EQ(DeriveRotation(rec, ChartView{}), 0);  // no chart open
}

TEST_F(RasterChartTest, BadFilesGiveClearMessages) {
  QFile f(writeMercator());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  auto file = [&](const QString& name, const QByteArray& content) {
    QFile o(path(name));
    EXPECT_TRUE(o.open(QIODevice::WriteOnly));
    o.write(content);
    return path(name);
  };
  const int headerEnd = static_cast<int>(bytes.indexOf('\x1a'));
  KapHeader twoRefs = test::mercatorHeader({}), lineRefs = twoRefs;
  twoRefs.references.resize(2);
  for (int i = 0; i < lineRefs.references.size(); ++i)
    lineRefs.references[i] = {i, 10.0 * i, 10.0 * i, 52 + 0.01 * i, 4 + 0.01 * i};
  struct Row {
    const char* legend;
    QString file;
    const char* detail;
  } rows[] = {
      {"missing file", path("nope.kap"), "file not found"},
      {"text file", file("text.kap", "hello world\n"), "no chart header end"},
      {"header only", file("head.kap", bytes.left(headerEnd + 1)), "head.kap: "},
      {"header cut in the middle", file("cut.kap", bytes.left(headerEnd / 2)), "no chart header end"},
      {"tiled RML chart", file("chart.RML", "x"), ".RML chart; this format cannot be read"},
      {"tiled HDR chart", file("chart.hdr", "x"), ".HDR chart; this format cannot be read"},
      {"PCX tile", file("tile.pcx", "x"), "PCX-tiled charts cannot be read"},
      {"NKF chart", file("sea.nkf", "x"), "NKF/EuroSea chart"},
      {"EuroSea chart", file("sea.EUR", "x"), "NKF/EuroSea chart"},
      {"two reference points", write("tworefs.kap", twoRefs), "fewer than three reference points"},
      {"reference points on a line", write("line.kap", lineRefs), "one line"},
      {"directory", dir.path(), "file not found"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_FALSE(library.open(r.file));
    EXPECT_LT(library.lastError(), 0);
    EXPECT_EQ(library.lastErrorDetail().message, Msg::CannotLoadBsb);
    const QString text = library.lastErrorDetail().text();
    EXPECT_TRUE(text.startsWith("Cannot load BSB chart: ")) << text.toStdString();
    EXPECT_TRUE(text.contains(r.detail)) << text.toStdString();
  }
  // Damaged image data: the chart opens from its header, damaged parts decode to
  // nothing or to whatever the rows hold, never a crash.
  QByteArray damaged = bytes;
  for (int i = headerEnd + 3; i < damaged.size() - 4; i += 3) damaged[i] = static_cast<char>(0x80 | (i * 31));
  if (std::unique_ptr<RasterChart> chart = library.open(file("damaged.kap", damaged))) {
    (void)chart->readRegion(QRect(0, 0, 1200, 900), QSize(300, 225));
    (void)chart->tile(2, 2);
  }
  if (std::unique_ptr<RasterChart> chart = library.open(file("truncated.kap", bytes.left(bytes.size() / 2)))) {
    (void)chart->readRegion(QRect(0, 0, 1200, 900));
    (void)chart->tile(4, 3);
  }
  EXPECT_TRUE(chartInformationText(path("nope.kap")).startsWith("Cannot load BSB chart: file not found"));
}

struct ToolRun {
  int exitCode = -1;
  QByteArray out, err;
};
// The command-line tool on the same files.
ToolRun runTool(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/chart/tavrik-chart"), args);
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(30000);
  return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

TEST_F(RasterChartTest, InformationTextAndCommandLineTool) {
  const MercatorChartSpec spec;
  const QString merc = writeMercator();
  std::unique_ptr<RasterChart> chart = open(merc);
  ASSERT_TRUE(chart);
  const QString text = chart->informationText();
  EXPECT_EQ(chartInformationText(merc), text);
  ToolRun r = runTool({"info", merc});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonObject info = QJsonDocument::fromJson(r.out).object();
  struct Row {
    const char* key;
    QJsonValue value;
    const char* line;  // of the information text
  } rows[] = {
      {"name", "Test Mercator", "Name: Test Mercator"},  {"scale", "50000", "Scale: 1:50000"},
      {"depth_unit", "FATHOMS", "Depth unit: FATHOMS"},  {"datum", "WGS84", "Datum: WGS84"},
      {"projection", "MERCATOR", "Projection: MERCATOR"}, {"edition", "12", "Edition: 12"},
      {"width", 1200, "Size: 1200 x 900 pixels"},        {"height", 900, "Palettes: NGT, RGB"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(info[row.key], row.value);
    EXPECT_TRUE(text.contains(row.line)) << text.toStdString();
  }
  EXPECT_TRUE(text.contains("fitted to 9 reference points")) << text.toStdString();
  const QJsonArray refs = info["reference_points"].toArray();
  ASSERT_EQ(refs.size(), 9);
  EXPECT_EQ(refs[4].toObject()["x"].toDouble(), 600);
  // Pixel of a position against PROJ, then back.
  double ex = 0, ey = 0;
  test::mercatorPixel(spec, 52.25, 4.5, ex, ey);
  r = runTool({"xy", merc}, "52.25 4.5\n\nnot numbers\n52.1 4.2\n");
  EXPECT_EQ(r.exitCode, 1);  // one bad line
  EXPECT_TRUE(r.err.contains("line 3")) << r.err.toStdString();
  const QList<QByteArray> lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2);
  const QList<QByteArray> xy = lines[0].split(' ');
  ASSERT_EQ(xy.size(), 2);
  EXPECT_NEAR(xy[0].toDouble(), ex, 0.01);  // three decimals printed
  EXPECT_NEAR(xy[1].toDouble(), ey, 0.01);
  r = runTool({"latlon", merc}, lines[0] + "\n");
  EXPECT_EQ(r.exitCode, 0);
  const QList<QByteArray> ll = r.out.trimmed().split(' ');
  ASSERT_EQ(ll.size(), 2);
  EXPECT_NEAR(ll[0].toDouble(), 52.25, 1e-6);
  EXPECT_NEAR(ll[1].toDouble(), 4.5, 1e-6);
  QFile junk(path("junk.kap"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("BSB/NA=junk\r\n\x1a\x00\x04");
  junk.close();
  for (const QString& bad : {path("missing.kap"), path("junk.kap")}) {
    r = runTool({"info", bad});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Cannot load BSB chart")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  EXPECT_EQ(runTool({"frobnicate", merc}).exitCode, 2);
  r = runTool({"render", merc, path("view.png"), "0.5", "100", "50", "320", "200"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QImage shot(path("view.png"));
  ASSERT_EQ(shot.size(), QSize(320, 200));
  // Image pixel (100 + 2 * 40, 50 + 2 * 30) lands at (40, 30) at half size.
  EXPECT_EQ(shot.pixel(40, 30), test::testPalette(15, 1)[test::patternValue(180, 110)]);
  EXPECT_EQ(runTool({"render", merc, path("bad.png"), "zero"}).exitCode, 2);
  EXPECT_EQ(runTool({"demo", path("demo.kap")}).exitCode, 0);
  EXPECT_TRUE(library.open(path("demo.kap")));
}

}  // namespace
}  // namespace tavrik
