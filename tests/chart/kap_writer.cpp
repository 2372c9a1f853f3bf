#include "chart/kap_writer.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <string>

#include "chart/kap_file_writer.h"

namespace tavrik::test {
namespace {

// One PROJ transformation geographic WGS-84 -> World Mercator, lon/lat order.
struct Mercator {
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* pj = nullptr;
  Mercator() {
    PJ* raw = proj_create_crs_to_crs(ctx, "EPSG:4326", "+proj=merc +datum=WGS84 +type=crs", nullptr);
    pj = proj_normalize_for_visualization(ctx, raw);
    proj_destroy(raw);
  }
  ~Mercator() {
    proj_destroy(pj);
    proj_context_destroy(ctx);
  }
  void forward(double lat, double lon, double& e, double& n) const {
    const PJ_COORD c = proj_trans(pj, PJ_FWD, proj_coord(lon, lat, 0, 0));
    e = c.xy.x;
    n = c.xy.y;
  }
  void inverse(double e, double n, double& lat, double& lon) const {
    const PJ_COORD c = proj_trans(pj, PJ_INV, proj_coord(e, n, 0, 0));
    lon = c.lp.lam;
    lat = c.lp.phi;
  }
};

const Mercator& mercator() {
  static const Mercator m;
  return m;
}

}  // namespace

void mercatorPixel(const MercatorChartSpec& s, double lat, double lon, double& x, double& y) {
  double e0, n0, e1, n1, e, n;
  mercator().forward(s.latNorth, s.lonWest, e0, n0);
  mercator().forward(s.latSouth, s.lonEast, e1, n1);
  mercator().forward(lat, lon, e, n);
  x = (e - e0) / (e1 - e0) * s.width;
  y = (n0 - n) / (n0 - n1) * s.height;
}

void mercatorLatLon(const MercatorChartSpec& s, double x, double y, double& lat, double& lon) {
  double e0, n0, e1, n1;
  mercator().forward(s.latNorth, s.lonWest, e0, n0);
  mercator().forward(s.latSouth, s.lonEast, e1, n1);
  mercator().inverse(e0 + x / s.width * (e1 - e0), n0 - y / s.height * (n0 - n1), lat, lon);
}

KapHeader mercatorHeader(const MercatorChartSpec& s) {
  KapHeader h;
  h.name = QStringLiteral("Test Mercator");
  h.number = QStringLiteral("T-1");
  h.width = s.width;
  h.height = s.height;
  h.scale = QStringLiteral("50000");
  h.datum = QStringLiteral("WGS84");
  h.projection = QStringLiteral("MERCATOR");
  h.projectionParameter = QStringLiteral("52.25");
  h.depthUnit = QStringLiteral("FATHOMS");
  h.soundingDatum = QStringLiteral("MEAN LOWER LOW WATER");
  h.edition = QStringLiteral("12");
  int n = 0;
  for (int i = 0; i < s.refPerSide; ++i)
    for (int j = 0; j < s.refPerSide; ++j) {
      // Whole pixels, with the position of that pixel from the projection.
      const double x = std::round((0.1 + 0.8 * j / std::max(1, s.refPerSide - 1)) * s.width);
      const double y = std::round((0.1 + 0.8 * i / std::max(1, s.refPerSide - 1)) * s.height);
      double lat, lon;
      mercatorLatLon(s, x, y, lat, lon);
      h.references.append({++n, x, y, lat, lon});
    }
  h.outline = {{s.latNorth, s.lonWest}, {s.latNorth, s.lonEast}, {s.latSouth, s.lonEast}, {s.latSouth, s.lonWest}};
  h.palettes["RGB"] = testPalette(15, 1);
  h.palettes["NGT"] = testPalette(15, 2);
  return h;
}

ProjectedCrs::ProjectedCrs(const char* definition) {
  PJ_CONTEXT* ctx = proj_context_create();
  const std::string target = std::string(definition) + " +type=crs";
  PJ* raw = proj_create_crs_to_crs(ctx, "EPSG:4326", target.c_str(), nullptr);
  PJ* pj = raw ? proj_normalize_for_visualization(ctx, raw) : nullptr;
  proj_destroy(raw);
  EXPECT_TRUE(pj) << "PROJ cannot make " << definition;
  m_ctx = ctx;
  m_pj = pj;
}

ProjectedCrs::~ProjectedCrs() {
  proj_destroy(static_cast<PJ*>(m_pj));
  proj_context_destroy(static_cast<PJ_CONTEXT*>(m_ctx));
}

void ProjectedCrs::forward(double lat, double lon, double& e, double& n) const {
  const PJ_COORD c = proj_trans(static_cast<PJ*>(m_pj), PJ_FWD, proj_coord(lon, lat, 0, 0));
  e = c.xy.x;
  n = c.xy.y;
}

void ProjectedCrs::inverse(double e, double n, double& lat, double& lon) const {
  const PJ_COORD c = proj_trans(static_cast<PJ*>(m_pj), PJ_INV, proj_coord(e, n, 0, 0));
  lon = c.lp.lam;
  lat = c.lp.phi;
}

uint8_t patternValue(int x, int y) { return static_cast<uint8_t>(1 + ((x / 7 + 3 * (y / 5)) % 15)); }

QVector<QRgb> testPalette(int n, int seed) {
  QVector<QRgb> p(n + 1, qRgb(0, 0, 0));
  for (int i = 1; i <= n; ++i) p[i] = qRgb((i * 16 + seed * 7) % 256, (i * 37 + seed) % 256, (255 - i * 11) % 256);
  return p;
}

void writeTestKap(const QString& path, const KapHeader& h) {
  QString error;
  const bool ok = writeKapFile(path, h, 4, [&](int y, uint8_t* row) {
    for (int x = 0; x < h.width; ++x) row[x] = patternValue(x, y);
  }, &error);
  ASSERT_TRUE(ok) << error.toStdString();
}

QByteArray gdalinfoJson(const QString& path, bool checksum) {
  QProcess p;
  QStringList args{"-json"};
  if (checksum) args << "-checksum";
  args << path;
  p.start("gdalinfo", args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return p.readAllStandardOutput();
}

}  // namespace tavrik::test
