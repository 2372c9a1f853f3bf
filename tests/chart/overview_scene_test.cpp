// The overview's geometry against the meridional parts, the track's breaks and an
// empty overview.

#include "chart/overview_scene.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>

#include "geo/nav_math.h"

namespace tavrik {
namespace {

ChartBounds outline(const char* name, double latmin, double latmax, double lonmin, double lonmax) {
  ChartBounds b;
  b.description = name;
  b.latmin = latmin;
  b.latmax = latmax;
  b.lonmin = lonmin;
  b.lonmax = lonmax;
  return b;
}

TEST(OverviewScene, PlacesPositionsInMercatorMinutesFromTheFirstPoint) {
  OverviewData d;
  d.allCharts = {outline("North Sea", 51.0, 54.0, 2.0, 6.0), outline("Wadden", 53.0, 53.6, 4.7, 6.0)};
  d.waypoints = {WaypointItem{1, "Buoy", {52.0, 4.0, 0}, 0, 0}};
  for (int zoom : {1, 2, 4}) {
    SCOPED_TRACE(zoom);
    OverviewScene s;
    s.layout(d, OverviewLayers{}, zoom);
    // The first outline's north-west corner is the reference.
    ASSERT_TRUE(s.projection());
    EXPECT_EQ(s.projection()->refLat(), 54.0);
    EXPECT_EQ(s.projection()->refLon(), 2.0);
    const double k = s.pixelsPerMinute();
    const QPointF ref = s.toCanvas(54.0, 2.0);
    // One degree north: up by the difference of the meridional parts; one degree east:
    // sixty minutes to the right.
    const QPointF north = s.toCanvas(55.0, 2.0), east = s.toCanvas(54.0, 3.0);
    EXPECT_NEAR(ref.y() - north.y(), (MeridionalParts(55.0) - MeridionalParts(54.0)) * k, 1e-9);
    EXPECT_NEAR(north.x(), ref.x(), 1e-9);
    EXPECT_NEAR(east.x() - ref.x(), 60 * k, 1e-9);
    // Every item lies on the canvas, at least the margin from its edges.
    const QPointF sw = s.toCanvas(51.0, 6.0);
    EXPECT_GE(ref.x(), OverviewScene::kMarginPx * zoom - 1e-9);
    EXPECT_GE(ref.y(), OverviewScene::kMarginPx * zoom - 1e-9);
    EXPECT_LE(sw.x(), s.canvasSize().width() - OverviewScene::kMarginPx * zoom + 1e-6);
    EXPECT_LE(sw.y(), s.canvasSize().height() - OverviewScene::kMarginPx * zoom + 1e-6);
    double lat, lon;
    s.toLatLon(s.toCanvas(52.25, 4.5), lat, lon);
    EXPECT_NEAR(lat, 52.25, 1e-6);
    EXPECT_NEAR(lon, 4.5, 1e-9);
  }
  OverviewScene one, four;
  one.layout(d, OverviewLayers{}, 1);
  four.layout(d, OverviewLayers{}, 4);
  EXPECT_EQ(four.canvasSize(), one.canvasSize() * 4);
  // A line over the date line steps on from its previous point instead of jumping back.
  const QPointF step = OverviewProjection::next(QPointF(10, 0), 0, 179.5, 0, -179.5);
  EXPECT_NEAR(step.x(), 70, 1e-9);
}

TEST(OverviewScene, TrackBreaksLiftThePen) {
  struct Row {
    const char* legend;
    std::vector<TrackRecord> track;
    std::vector<int> pieceSizes;
  };
  const TrackRecord brk{0, 0, 0};
  auto fix = [](float lat, float lon) { return TrackRecord{46000, lat, lon}; };
  const Row rows[] = {
      {"one line", {fix(52, 4), fix(52.1f, 4.1f), fix(52.2f, 4.1f)}, {3}},
      {"two pieces", {fix(52, 4), fix(52.1f, 4.1f), brk, fix(52.3f, 4.2f), fix(52.4f, 4.2f), brk}, {2, 2}},
      {"a lone point between breaks", {brk, fix(52, 4), brk, brk, fix(52.2f, 4), fix(52.3f, 4)}, {1, 2}},
      {"only breaks", {brk, brk, brk}, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    OverviewData d;
    d.track = r.track;
    OverviewScene s;
    s.layout(d, OverviewLayers{}, 1);
    std::vector<int> sizes;
    for (const QPolygonF& p : s.trackPieces()) sizes.push_back(static_cast<int>(p.size()));
    EXPECT_EQ(sizes, r.pieceSizes);
    const auto first = std::find_if(r.track.begin(), r.track.end(), [](const TrackRecord& t) { return !t.isBreak(); });
    if (first != r.track.end()) {
      EXPECT_EQ(s.trackPieces()[0][0], s.toCanvas(first->lat, first->lon));
    }
    QImage img(s.canvasSize(), QImage::Format_RGB32);
    QPainter p(&img);
    s.paint(p, QRectF(img.rect()));
  }
}

TEST(OverviewScene, EmptyOverviewIsACanvasWithRulers) {
  OverviewScene s;
  s.layout(OverviewData{}, OverviewLayers{}, 1);
  ASSERT_FALSE(s.canvasSize().isEmpty());
  QImage img(s.canvasSize(), QImage::Format_RGB32);
  QPainter p(&img);
  s.paint(p, QRectF(img.rect()));
  p.end();
  int ink = 0;
  for (int x = 0; x < img.width(); ++x) ink += qGray(img.pixel(x, 6)) < 128;
  EXPECT_GT(ink, 20) << "ruler labels along the top";
  EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace tavrik
