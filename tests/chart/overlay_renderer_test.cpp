#include "chart/overlay_renderer.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

#include "chart/chart_projection.h"
#include "chart/sprite_layer.h"
#include "geo/nav_math.h"

namespace tavrik {
namespace {

// Text drawing needs the application's fonts.
class GuiApp : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "chart_window_tests";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
};
const auto* const kGuiApp = ::testing::AddGlobalTestEnvironment(new GuiApp);

// Sheet from 53 N, 4 E at 20 pixels per minute of longitude.
MercatorSheet sheet(double zoom = 1.0) { return MercatorSheet(53.0, 4.0, 20.0, zoom); }

// A renderer with the default styles, and what it paints on white.
struct Renderer : OverlayRenderer {
  Renderer() { setStyles(AppSettings().Styles); }
  QImage painted(QSize size, bool dynamic = false) const {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    dynamic ? paintDynamic(p, QRectF(img.rect())) : paint(p, QRectF(img.rect()));
    p.end();
    return img;
  }
};

bool isReddish(QRgb c) { return qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120; }

// The layer of sprites against the raster engine drawing the same images one by one:
// overlapping, clipped at every edge, opaque and antialiased, on a chart colour.
TEST(SpriteLayer, BlendsLikeThePainterDrawingEachImage) {
  QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
  icon.fill(QColor(255, 200, 0));
  QImage ring(23, 17, QImage::Format_ARGB32_Premultiplied);
  ring.fill(Qt::transparent);
  {
    QPainter p(&ring);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 200, 180), 1.5));
    p.drawEllipse(QPointF(11.5, 8.5), 10, 7);
    p.drawText(QPointF(3, 12), QStringLiteral("W"));
  }
  const Sprite sprites[] = {Sprite::from(icon), Sprite::from(ring)};
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> x(-20, 100), y(-20, 70);
  std::vector<std::pair<int, QPoint>> placed;
  for (int i = 0; i < 60; ++i) placed.push_back({i % 3 == 0 ? 0 : 1, QPoint(x(rng), y(rng))});

  const QRect view(10, 5, 97, 71);  // an odd size: the last band is partial
  QImage expected(view.size(), QImage::Format_RGB32), actual = expected;
  expected.fill(QColor(250, 235, 180));
  actual.fill(QColor(250, 235, 180));
  {
    QPainter p(&expected);
    p.translate(-view.topLeft());
    for (const auto& [k, at] : placed) p.drawImage(at, sprites[k].image);
  }
  SpriteLayer layer;
  for (int round = 0; round < 2; ++round) {  // the second reuses the cleared layer
    actual.fill(QColor(250, 235, 180));
    layer.reset(view);
    for (const auto& [k, at] : placed) layer.blend(sprites[k], at);
    QPainter p(&actual);
    p.translate(-view.topLeft());
    layer.paintOnto(p);
  }
  int worst = 0;
  for (int r = 0; r < view.height(); ++r)
    for (int c = 0; c < view.width(); ++c) {
      const QRgb a = actual.pixel(c, r), e = expected.pixel(c, r);
      worst = std::max({worst, std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)), std::abs(qBlue(a) - qBlue(e))});
    }
  // Blending in a layer first rounds differently by a unit at most.
  EXPECT_LE(worst, 2);
}

TEST(OverlayRenderer, VesselSymbolLandsOnTheConvertedPositionAndTurns) {
  for (double zoom : {1.0, 3.0}) {
    SCOPED_TRACE(zoom);
    const QPointF at = sheet(zoom).toPixel(52.9, 4.1);
    Renderer r;
    r.setVessel(VesselMark{at, 0});
    const QImage img = r.painted(QSize(int(at.x()) + 100, int(at.y()) + 100), true);
    // The position dot is red (Position colour 255) at the converted pixel; white
    // 40 px off to the side.
    const QPoint p = at.toPoint();
    EXPECT_TRUE(isReddish(img.pixel(p))) << std::hex << img.pixel(p);
    EXPECT_EQ(img.pixel(p + QPoint(40, 0)), qRgb(255, 255, 255));
    // The bow points up the screen: red 18 px above the position, white 18 px below.
    EXPECT_TRUE(isReddish(img.pixel(p + QPoint(0, -18))));
    EXPECT_EQ(img.pixel(p + QPoint(0, 18)), qRgb(255, 255, 255));
  }
  // At 300 % the position is three times as far from the corner: the calibration
  // scales, not the place on the chart.
  EXPECT_NEAR(sheet(3).toPixel(52.9, 4.1).x(), 3 * sheet(1).toPixel(52.9, 4.1).x(), 1e-9);
  // The bow is vertex 0, 26 units ahead, scaled by the width.
  struct Row {
    double direction, width;
    QPointF bow;
  } rows[] = {{0, 1, {100, 74}}, {90, 1, {126, 100}}, {180, 2, {100, 152}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.direction);
    const QPointF bow = VesselSymbol({100, 100}, row.direction, row.width)[0];
    EXPECT_NEAR(bow.x(), row.bow.x(), 1e-9);
    EXPECT_NEAR(bow.y(), row.bow.y(), 1e-9);
  }
}

TEST(OverlayRenderer, ZoneRegionContainsThePointsInsideItOnly) {
  const MercatorSheet proj = sheet();
  OverlayScene scene;
  scene.zones.push_back({7, "Firing range", {{52.9, 4.1}, {52.9, 4.3}, {52.8, 4.3}, {52.8, 4.1}}});
  // A triangle: its bounding box holds points outside the triangle itself.
  scene.zones.push_back({8, "Wreck", {{52.7, 4.5}, {52.6, 4.6}, {52.6, 4.4}}});
  OverlayRegions regions;
  Renderer r;
  r.rebuild(scene, proj, regions);
  ASSERT_EQ(regions.count(), 2);
  struct Row {
    const char* legend;
    double lat, lon;
    long zone;
  } rows[] = {
      {"inside the square", 52.85, 4.2, 7},
      {"north of the square", 52.95, 4.2, -1},
      {"east of the square", 52.85, 4.35, -1},
      {"inside the triangle", 52.63, 4.5, 8},
      {"in the triangle's box, outside the triangle", 52.69, 4.41, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EXPECT_EQ(regions.zoneAt(proj.toPixel(row.lat, row.lon)), row.zone);
  }
  // The painted outline goes where the region is: the square's corner pixel is drawn.
  EXPECT_NE(r.painted({600, 600}).pixel(proj.toPixel(52.8, 4.1).toPoint()), qRgb(255, 255, 255));
}

TEST(OverlayRenderer, ProximityCircleIsTheProximityDistanceOnTheChart) {
  const MercatorSheet proj = sheet();
  OverlayScene scene;
  scene.waypoints = {{42, "Buoy", {52.5, 4.5}, 0, 1.0}, {43, "Buoy", {52.5, 4.5}, 0, 0}};
  OverlayRegions regions;
  OverlayRenderer r;
  r.rebuild(scene, proj, regions);
  ASSERT_EQ(regions.count(), 1);
  // 1 Nm is one minute of latitude: at 52.5 N on this sheet about 20 / cos(52.5) px
  // north; 0.9 Nm north is inside, 1.1 Nm outside.
  for (auto [nm, inside] : {std::pair{0.9, true}, std::pair{1.1, false}}) {
    SCOPED_TRACE(nm);
    CalcRecord c;
    c.Lat1 = 52.5;
    c.Lon1 = 4.5;
    c.Course = 0;
    c.Distance = nm;
    DeadReckoning(c);
    const auto keys = regions.proximityAt(proj.toPixel(c.Lat2, c.Lon2));
    EXPECT_EQ(keys, inside ? std::vector<long>{42} : std::vector<long>{});
  }
}

TEST(OverlayRenderer, SailedTrackBreakLeavesAGap) {
  const MercatorSheet proj = sheet();
  OverlayScene scene;
  scene.sailedTrack = {{1, 52.9f, 4.1f}, {2, 52.9f, 4.2f}, {3, 0, 0}, {4, 52.9f, 4.3f}, {5, 52.9f, 4.4f}};
  OverlayRegions regions;
  Renderer r;
  r.rebuild(scene, proj, regions);
  QImage img = r.painted({600, 300});
  // The line is 2 px wide and antialiased: look at the pixel and its neighbours.
  auto blueAt = [&](double lon) {
    const QPoint at = proj.toPixel(52.9, lon).toPoint();
    for (int dy = -1; dy <= 1; ++dy) {
      const QRgb c = img.pixel(at + QPoint(0, dy));
      if (qBlue(c) > 150 && qRed(c) < 120) return true;
    }
    return false;
  };
  EXPECT_TRUE(blueAt(4.15));
  EXPECT_FALSE(blueAt(4.25));  // between the break's neighbours
  EXPECT_TRUE(blueAt(4.35));
  // Track display off: nothing.
  scene.showTrack = false;
  r.rebuild(scene, proj, regions);
  img = r.painted({600, 300});
  EXPECT_FALSE(blueAt(4.15));
}


TEST(OverlayRenderer, CrowdedChartKeepsEverySymbolAndTheActiveNameAndPaintsTheSameInParts) {
  const MercatorSheet proj = sheet();
  const QSize size(600, 400);
  double latB, lonR;
  proj.toLatLon(QPointF(size.width(), size.height()), latB, lonR);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> lat(latB, 53.0), lon(4.0, lonR);
  OverlayScene scene;
  for (int i = 1; i <= 400; ++i)
    scene.waypoints.push_back({i, QStringLiteral("Mark %1").arg(i), {lat(rng), lon(rng)}, 0, i % 25 == 0 ? 0.3 : 0});
  scene.zones.push_back({1, "Anchorage", {{52.99, 4.05}, {52.99, 4.2}, {52.95, 4.2}}});
  OverlayRegions regions;
  Renderer r;
  r.rebuild(scene, proj, regions);
  const std::vector<long> thinned = r.namedWaypoints();
  r.setActiveWaypoint(400);
  const std::vector<long> named = r.namedWaypoints();
  // Overlapping names are dropped; the active waypoint's name is never among them.
  EXPECT_LT(named.size(), scene.waypoints.size() / 2);
  EXPECT_GT(named.size(), 20u);
  EXPECT_EQ(std::count(thinned.begin(), thinned.end(), 400), 0);
  EXPECT_EQ(std::count(named.begin(), named.end(), 400), 1);
  const QImage whole = r.painted(size);
  // Every symbol is drawn, named or not: its centre is not the white background.
  int bare = 0;
  for (const WaypointItem& w : scene.waypoints)
    bare += whole.pixel(proj.toPixel(w.pos.lat, w.pos.lon).toPoint()) == qRgb(255, 255, 255);
  EXPECT_EQ(bare, 0);
  // Painted tile by tile (each told only its own rectangle), the chart is the same to
  // the pixel: culling leaves out nothing that reaches into a tile.
  for (QSize tile : {QSize(128, 96), QSize(37, 411)}) {
    SCOPED_TRACE(tile.width());
    QImage parts(size, QImage::Format_RGB32);
    parts.fill(Qt::white);
    QPainter p(&parts);
    for (int y = 0; y < size.height(); y += tile.height())
      for (int x = 0; x < size.width(); x += tile.width()) {
        const QRect t(QPoint(x, y), tile);
        p.setClipRect(t);
        r.paint(p, QRectF(t));
      }
    p.end();
    EXPECT_TRUE(parts == whole);
  }
}

}  // namespace
}  // namespace tavrik
