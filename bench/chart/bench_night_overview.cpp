// Figures of the night screen: switching a large library chart's visible tiles to the
// night palette (a palette swap), beside the same view decoded again in night colours
// (the peer a cache without kept pixel values would need). And the overview's full
// redraw with 10 000 chart outlines, 10 000 waypoints and a 100 000-point track.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_clock.h"
#include "chart/chart_image.h"
#include "chart/chart_loader.h"
#include "chart/demo_chart.h"
#include "chart/night_palette.h"
#include "chart/overview_scene.h"
#include "chart/raster_chart.h"

using namespace tavrik;

namespace {

template <typename F>
double medianMs(int runs, F&& f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const double c0 = cpu_time::threadSeconds();
    f();
    t.push_back((cpu_time::threadSeconds() - c0) * 1e3);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void line(const char* name, double value, const char* unit) { std::printf("BENCH %s %.3f %s\n", name, value, unit); }

void benchNightSwitch(const QString& dir) {
  SeaChartSpec spec;
  spec.width = 10000;
  spec.height = 8000;
  const QString kap = dir + "/large.kap";
  QString error;
  if (!writeSeaChart(kap, spec, &error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(kap), qPrintable(error));
    return;
  }
  RasterChartError openError;
  std::shared_ptr<const RasterChart> chart(RasterChartLibrary::openChart(kap, &openError));
  if (!chart) {
    std::fprintf(stderr, "%s\n", qPrintable(openError.text()));
    return;
  }
  const QVector<QRgb> night = NightColoursOf(*chart).colours;
  const QRect view(4000, 3000, 1280, 800);  // a window's worth of the chart, zoom 1
  QImage screen(view.size(), QImage::Format_RGB32);
  TileCache tiles;
  tiles.setSource(rasterSource(chart));
  auto paint = [&] {
    QPainter p(&screen);
    p.translate(-view.topLeft());
    tiles.paint(p, view);
  };
  paint();  // the view as it was by day
  bool on = false;
  const double swap = medianMs(21, [&] {
    on = !on;
    tiles.setColourTable(on ? night : QVector<QRgb>{});
    paint();
  });
  const double decode = medianMs(11, [&] {
    on = !on;
    tiles.clear();
    tiles.setColourTable(on ? night : QVector<QRgb>{});
    paint();
  });
  line("night_switch_10000x8000_view_1280x800", swap, "ms");
  line("night_switch_redecode_peer", decode, "ms");
  line("night_switch_redecode_over_swap", decode / swap, "ratio");
}

void benchOverview() {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> lat(50.0, 58.0), lon(-5.0, 10.0), size(0.05, 1.0), u(0, 1);
  OverviewData d;
  for (int i = 0; i < 10000; ++i) {
    ChartBounds b;
    b.description = QStringLiteral("Chart %1").arg(i + 1);
    b.latmin = lat(rng);
    b.lonmin = lon(rng);
    b.latmax = b.latmin + size(rng);
    b.lonmax = b.lonmin + 1.5 * size(rng);
    d.allCharts.push_back(b);
    d.waypoints.push_back(WaypointItem{i + 1, QStringLiteral("WP %1").arg(i + 1), {lat(rng), lon(rng), 0}, 0, 0});
  }
  double la = 52, lo = 3;
  for (int i = 0; i < 100000; ++i) {
    la += (u(rng) - 0.45) * 0.001;
    lo += (u(rng) - 0.4) * 0.001;
    d.track.push_back(i % 5000 == 4999 ? TrackRecord{0, 0, 0} : TrackRecord{46000, float(la), float(lo)});
  }
  OverviewScene scene;
  QImage canvas(int(OverviewScene::kBaseWidthPx), int(OverviewScene::kBaseHeightPx), QImage::Format_RGB32);
  const double full = medianMs(9, [&] {
    scene.layout(d, OverviewLayers{}, 1);
    QPainter p(&canvas);
    scene.paint(p, QRectF(QPointF(0, 0), QSizeF(scene.canvasSize())));
  });
  line("overview_redraw_10000_charts_10000_waypoints_100000_track", full, "ms");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QTemporaryDir dir;
  benchNightSwitch(dir.path());
  benchOverview();
  return 0;
}
