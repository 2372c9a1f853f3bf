// Library charts opened as files: real NOAA charts (skewed, north-up) judged by their
// own reference points (tests/data/charts/*.ref.txt), and charts written with the test
// KAP writer from PROJ's projections.

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cmath>

#include "chart/chart_datum.h"
#include "chart/chart_loader.h"
#include "chart/chart_view_state.h"
#include "chart/keep_in_view.h"
#include "chart/kap_writer.h"
#include "chart/overlay_renderer.h"
#include "geo/datum_catalogue.h"
#include "test_data.h"

namespace tavrik {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

struct RefPoint {
  double x, y, lat, lon;
};

std::vector<RefPoint> refPoints(const QString& chart) {
  QFile f(testDataFile("charts/" + chart + ".ref.txt"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  std::vector<RefPoint> out;
  QTextStream in(&f);
  for (QString line; in.readLineInto(&line);) {
    const QStringList v = line.simplified().split(' ');
    if (v.size() == 4) out.push_back({v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble()});
  }
  return out;
}

struct OpenedChart {
  std::shared_ptr<const RasterChart> raster;
  ChartFileRecord file;
  std::unique_ptr<ChartProjection> at(double zoom) const {
    return std::make_unique<RecordProjection>(file.record, raster, zoom);
  }
};

OpenedChart openChart(const QString& path) {
  RasterChartError error;
  std::shared_ptr<const RasterChart> raster(RasterChartLibrary::openChart(path, &error));
  EXPECT_TRUE(raster) << error.text().toStdString();
  if (!raster) return {};
  return {raster, chartFileRecord(raster, path, builtinDatumNames())};
}

double angleDiff(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

// Rhumb-line course on the GRS80 ellipsoid (isometric latitude), degrees true.
double rhumbCourse(double lat1, double lon1, double lat2, double lon2) {
  const double e = 0.0818191910428;
  auto psi = [e](double lat) {
    const double s = std::sin(lat * kDeg);
    return std::atanh(s) - e * std::atanh(e * s);
  };
  const double c = std::atan2((lon2 - lon1) * kDeg, psi(lat2) - psi(lat1)) / kDeg;
  return c < 0 ? c + 360 : c;
}

TEST(ChartFile, VesselPointsAlongItsTrackOnSkewedAndNorthUpCharts) {
  // The track between the two REF points farthest apart: its course from their
  // positions, its direction on the image from their pixels.
  for (const char* name : {"11370_2", "12205_7", "12205_11", "12205_8", "11361_2"}) {
    SCOPED_TRACE(name);
    const OpenedChart c = openChart(testDataFile(QStringLiteral("charts/%1.KAP").arg(name)));
    ASSERT_TRUE(c.raster);
    const std::vector<RefPoint> refs = refPoints(name);
    ASSERT_GE(refs.size(), 3u);
    RefPoint a = refs[0], b = refs[1];
    for (const RefPoint& p : refs)
      for (const RefPoint& q : refs)
        if (std::hypot(q.x - p.x, q.y - p.y) > std::hypot(b.x - a.x, b.y - a.y)) a = p, b = q;
    const double onImage = std::atan2(b.x - a.x, a.y - b.y) / kDeg;
    const auto proj = c.at(1.0);
    for (const bool reverse : {false, true}) {
      const double course = reverse ? rhumbCourse(b.lat, b.lon, a.lat, a.lon) : rhumbCourse(a.lat, a.lon, b.lat, b.lon);
      const double expected = reverse ? onImage + 180 : onImage;
      const double direction = ScreenDirection(proj->rotationDeg(), course);
      EXPECT_LT(angleDiff(direction, expected), 0.5) << "course " << course << " rotation " << proj->rotationDeg();
      // The symbol's bow points that way.
      const QPointF pos = proj->toPixel(a.lat, a.lon);
      const QPointF bow = VesselSymbol(pos, direction, 1).first() - pos;
      EXPECT_LT(angleDiff(std::atan2(bow.x(), -bow.y()) / kDeg, expected), 0.5);
      // Keep-in-view leaves most of the window ahead of the vessel: from outside the
      // band it is placed nearer the edge it moves away from.
      const QSize visible(300, 200), content(c.raster->width(), c.raster->height());
      const QPointF mid(content.width() / 2.0, content.height() / 2.0);
      const QPoint s = KeepInView({mid, QPoint(0, 0), visible, content, 0.25, direction, false});
      const QPointF inWindow = mid - QPointF(s);
      const double ahead = (inWindow.x() - visible.width() / 2.0) * std::sin(expected * kDeg) -
                           (inWindow.y() - visible.height() / 2.0) * std::cos(expected * kDeg);
      EXPECT_LT(ahead, 0) << "the vessel sits in the half it moves into";
    }
  }
}

TEST(ChartFile, DatumFromTheHeaderNameAndShift) {
  // Names as charts write them, and the datum row they stand for.
  const std::vector<DatumName> rows = builtinDatumNames();
  const struct {
    const char* gd;
    const char* expected;  // nullptr: unknown
  } names[] = {
      {"WGS84", "WGS-84"},
      {"WGS 84", "WGS-84"},
      {"World Geodetic System 1984", "WGS-84"},
      {"NAD83", "North American 1983"},
      {"NAD27", "North American 1927 (CONUS)"},
      {"North American Datum 1927", "North American 1927 (CONUS)"},
      {"north american 1927 (eastern us)", "North American 1927 (Eastern US)"},
      {"ED50", "European 1950 (mean)"},
      {"European Datum 1950", "European 1950 (mean)"},
      {"OSGB36", "Ordnance Survey GB 1936 (mean)"},
      {"OSGB 1936", "Ordnance Survey GB 1936 (mean)"},
      {"LOCAL ASTRO 1899", nullptr},
      {"", nullptr},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.gd);
    const std::optional<DatumName> m = matchDatumName(n.gd, rows);
    EXPECT_EQ(m ? m->description : QString(), n.expected ? QString(n.expected) : QString());
  }

  // Written charts: NAD27 converts to its row; a DTM/ shift makes the chart take WGS-84
  // positions and move them itself; an unknown name leaves positions unconverted.
  QTemporaryDir dir;
  const struct {
    const char* gd;
    double dtmLat, dtmLon;  // seconds
    int datum;
    const char* text;
  } charts[] = {
      {"NAD27", 0, 0, 4, "North American 1927 (CONUS) (chart NAD27)"},
      {"NAD27", 1.5, -2.25, kWgs84Datum,
       "North American 1927 (CONUS) (chart NAD27), shifted to WGS-84 by DTM/ 1.50\" N, -2.25\" E"},
      {"TOKYO BAY LOCAL", 0, 0, 0, "unknown datum \"TOKYO BAY LOCAL\"; positions are not converted"},
  };
  for (const auto& t : charts) {
    SCOPED_TRACE(t.text);
    KapHeader h = test::mercatorHeader({});
    h.datum = t.gd;
    h.datumShiftLat = t.dtmLat;
    h.datumShiftLon = t.dtmLon;
    const QString path = dir.filePath(QStringLiteral("datum%1.kap").arg(t.datum));
    test::writeTestKap(path, h);
    const OpenedChart c = openChart(path);
    ASSERT_TRUE(c.raster);
    EXPECT_EQ(c.file.record.datum, t.datum);
    EXPECT_EQ(c.file.datum.text, t.text);
    const auto proj = c.at(1.0);
    double x = 0, y = 0;
    ASSERT_EQ(c.raster->latLonToPixel(52.25 - t.dtmLat / 3600, 4.5 - t.dtmLon / 3600, x, y), 0);
    const QPointF p = proj->toPixel(52.25, 4.5);
    EXPECT_NEAR(p.x(), x, 1e-3);  // the view conversion is single precision
    EXPECT_NEAR(p.y(), y, 1e-3);
    double lat = 0, lon = 0;
    proj->toLatLon(p, lat, lon);
    EXPECT_NEAR(lat, 52.25, 1e-7);
    EXPECT_NEAR(lon, 4.5, 1e-7);
  }
}

TEST(ChartFile, PolyconicChartMeetsEveryReferencePoint) {
  // A polyconic chart of the Great Lakes, 20 m a pixel, REF points on a 4 x 4 grid from
  // PROJ's polyconic projection, and header polynomials through three corners only:
  // plane, so they miss the curved graticule elsewhere by a few pixels, as real
  // polyconic charts' polynomials do.
  const test::ProjectedCrs poly("+proj=poly +lat_0=45 +lon_0=-87.2 +ellps=GRS80");
  const double north = 45.15, south = 45.0, west = -87.35, east = -87.1, res = 20;
  double e0 = 0, n0 = 0, e = 0, n = 0;
  poly.forward(north, west, e0, n0);
  auto pixel = [&](double lat, double lon, double& x, double& y) {
    poly.forward(lat, lon, e, n);
    x = (e - e0) / res;
    y = (n0 - n) / res;
  };
  double w = 0, hgt = 0;
  pixel(south, east, w, hgt);
  KapHeader h = test::mercatorHeader({});
  h.name = "Polyconic test";
  h.projection = "POLYCONIC";
  h.datum = "NAD83";
  h.width = static_cast<int>(w);
  h.height = static_cast<int>(hgt) + 400;
  h.references.clear();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const double lat = north - (north - south) * i / 3, lon = west + (east - west) * j / 3;
      double x = 0, y = 0;
      pixel(lat, lon, x, y);
      h.references.append({i * 4 + j + 1, x, y, lat, lon});
    }
  // x = a + b lon + c lat through REF 1, 4 and 13.
  const KapReference &p = h.references[0], &q = h.references[3], &r = h.references[12];
  auto plane = [&](double vp, double vq, double vr) {
    const double det = (q.lon - p.lon) * (r.lat - p.lat) - (r.lon - p.lon) * (q.lat - p.lat);
    const double b = ((vq - vp) * (r.lat - p.lat) - (vr - vp) * (q.lat - p.lat)) / det;
    const double c = ((q.lon - p.lon) * (vr - vp) - (r.lon - p.lon) * (vq - vp)) / det;
    return KapPolynomial{1, {vp - b * p.lon - c * p.lat, b, c}};
  };
  h.wpx = plane(p.x, q.x, r.x);
  h.wpy = plane(p.y, q.y, r.y);
  QTemporaryDir dir;
  test::writeTestKap(dir.filePath("poly.kap"), h);
  const OpenedChart c = openChart(dir.filePath("poly.kap"));
  ASSERT_TRUE(c.raster);
  const ChartGeoreference& g = c.raster->georeference();
  EXPECT_TRUE(g.polynomialsRejected()) << "the header polynomials are kept";
  EXPECT_LE(g.worstReferenceError(h), 2.0);
  // Between the points too, against the projection itself, both ways.
  double worst = 0;
  for (double lat = south + 0.005; lat < north; lat += 0.01)
    for (double lon = west + 0.005; lon < east; lon += 0.01) {
      double x = 0, y = 0, px = 0, py = 0, rlat = 0, rlon = 0;
      pixel(lat, lon, x, y);
      ASSERT_EQ(c.raster->latLonToPixel(lat, lon, px, py), 0);
      worst = std::max({worst, std::fabs(px - x), std::fabs(py - y)});
      ASSERT_EQ(c.raster->pixelToLatLon(x, y, rlat, rlon), 0);
      EXPECT_NEAR(rlat, lat, 2 * res / 111000);
      EXPECT_NEAR(rlon, lon, 2 * res / 78000);
    }
  EXPECT_LE(worst, 2.0);
  // The plane polynomials did miss (2.6 px).
  KapHeader planeOnly = h;
  planeOnly.references = {h.references[0], h.references[3], h.references[12]};
  const std::optional<ChartGeoreference> kept = ChartGeoreference::fromHeader(planeOnly, nullptr);
  ASSERT_TRUE(kept && kept->fromPolynomials());
  EXPECT_GT(kept->worstReferenceError(h), 1.0);
}

// "36°12'N" -> 36.2; "76°05.5'W" -> -76.0917.
double labelDegrees(const QString& label) {
  static const QRegularExpression re(QStringLiteral("^(\\d+)\\x{B0}([\\d.]+)'([NSEW])$"));
  const QRegularExpressionMatch m = re.match(label);
  EXPECT_TRUE(m.hasMatch()) << label.toStdString();
  const double v = m.captured(1).toDouble() + m.captured(2).toDouble() / 60;
  return m.captured(3) == "S" || m.captured(3) == "W" ? -v : v;
}

TEST(ChartFile, RulerLabelsSitOnTheirMeridiansAndParallels) {
  for (const char* name : {"12205_11", "11370_2", "12205_7", "11361_2"}) {
    for (const double zoom : {1.0, 0.5}) {
      SCOPED_TRACE(std::string(name) + " zoom " + std::to_string(zoom));
      const OpenedChart c = openChart(testDataFile(QStringLiteral("charts/%1.KAP").arg(name)));
      ASSERT_TRUE(c.raster);
      const auto proj = c.at(zoom);
      const QSizeF size(c.raster->width() * zoom, c.raster->height() * zoom);
      const QRectF visible(QPointF(std::max(0.0, size.width() / 2 - 500), std::max(0.0, size.height() / 2 - 300)),
                           QSizeF(std::min(1000.0, size.width()), std::min(600.0, size.height())));
      int labels[2] = {0, 0};
      for (const RulerMark& m : RulerMarks(*proj, visible, 40)) {
        if (m.label.isEmpty()) continue;
        ++labels[m.top ? 0 : 1];
        const QPointF at = m.top ? QPointF(visible.left() + m.at, visible.top())
                                 : QPointF(visible.left(), visible.top() + m.at);
        double lat = 0, lon = 0;
        proj->toLatLon(at, lat, lon);
        const bool isLat = m.label.endsWith('N') || m.label.endsWith('S');
        EXPECT_NEAR(isLat ? lat : lon, labelDegrees(m.label), 0.02 / 60) << m.label.toStdString();
      }
      EXPECT_GE(labels[0], 1) << "top ruler";
      EXPECT_GE(labels[1], 1) << "left ruler";
    }
  }
}

TEST(ChartFile, ChartSetListsItsPanelsAndFindsTheirFiles) {
  const ChartSetResult r = readChartSetFile(testDataFile("charts/12205.BSB"));
  ASSERT_TRUE(r.set) << r.error.toStdString();
  EXPECT_EQ(r.set->name, "CAPE HENRY-PAMLICO SND INCL ALBEMARLE SND VA-NC");
  EXPECT_EQ(r.set->number, "12205");
  ASSERT_EQ(r.set->panels.size(), 11);
  QStringList present;
  for (const ChartSetPanel& p : r.set->panels)
    if (!p.path.isEmpty()) present << p.number + " " + p.name + " " + QFileInfo(p.path).fileName();
  EXPECT_EQ(present, QStringList({"534 SCUPPERNONG RIVER EXTENSION 12205_7.KAP", "535 PERQUIMANS RIVER EXTENSION 12205_8.KAP",
                                  "536 LITTLE RIVER EXTENSION 12205_12.KAP", "538 CHOWAN RIVER EXTENSION 12205_11.KAP"}));
  EXPECT_FALSE(readChartSetFile(testDataFile("charts/11370_2.ref.txt")).set);
}

}  // namespace
}  // namespace tavrik
