// Library chart figures on a large BSB chart written for the run (10000 x 8000 pixels):
// open to the first tile of a 1280 x 800 view, the whole view, one scroll step's new
// tiles (horizontal and vertical), a zoom change to a downsampled view, resident memory.
// GDAL reading the same view straight (one RasterIO of the window) is the peer.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gdal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "chart/demo_chart.h"
#include "chart/raster_chart.h"

using namespace tavrik;

namespace {

constexpr int kViewW = 1280, kViewH = 800;

double residentMb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void bench(const char* name, double value, const char* unit) { std::printf("BENCH %s %.2f %s\n", name, value, unit); }

// Decodes the tiles that cover image rectangle `view` at `step`, skipping those in
// `have`; returns how many were decoded.
int decodeView(const RasterChart& chart, const QRect& view, int step, std::vector<QPoint>& have) {
  const int span = RasterChart::kTileSize * step;
  int n = 0;
  for (int row = view.top() / span; row <= view.bottom() / span; ++row)
    for (int col = view.left() / span; col <= view.right() / span; ++col) {
      const QPoint key(col, row);
      if (std::find(have.begin(), have.end(), key) != have.end()) continue;
      const QImage t = chart.tile(col, row, step);
      if (t.isNull()) continue;
      have.push_back(key);
      ++n;
    }
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath("large.kap");
  SeaChartSpec spec;
  spec.name = "Benchmark sea";
  spec.width = 10000;
  spec.height = 8000;
  spec.latNorth = 53.0;
  spec.latSouth = 51.5;
  spec.lonWest = 2.5;
  spec.lonEast = 6.5;
  QElapsedTimer t;
  t.start();
  QString error;
  if (!writeSeaChart(path, spec, &error)) {
    std::fprintf(stderr, "cannot write the chart: %s\n", qPrintable(error));
    return 1;
  }
  bench("chart_write_10000x8000", t.elapsed(), "ms");

  RasterChartLibrary library;
  // The view starts centred, as a chart load does.
  QRect view(spec.width / 2 - kViewW / 2, spec.height / 2 - kViewH / 2, kViewW, kViewH);
  t.restart();
  std::unique_ptr<RasterChart> chart = library.open(path);
  if (!chart) {
    std::fprintf(stderr, "%s\n", qPrintable(library.lastErrorDetail().text()));
    return 1;
  }
  const int span = RasterChart::kTileSize;
  const QImage first = chart->tile(view.left() / span, view.top() / span);
  const double firstMs = t.nsecsElapsed() / 1e6;
  std::vector<QPoint> have{QPoint(view.left() / span, view.top() / span)};
  const int tiles = 1 + decodeView(*chart, view, 1, have);
  const double viewMs = t.nsecsElapsed() / 1e6;
  bench("chart_open_first_tile", firstMs, "ms");
  bench("chart_open_full_view", viewMs, "ms");
  bench("chart_view_tiles", tiles, "tiles");

  // Scroll steps: one tile to the right, one tile down; only the new tiles decode. The
  // median is the figure (a shared machine deschedules now and then); the worst is shown.
  auto step = [&](int dx, int dy) {
    view.translate(dx, dy);
    t.restart();
    decodeView(*chart, view, 1, have);
    return t.nsecsElapsed() / 1e6;
  };
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::vector<double> right, down;
  for (int i = 0; i < 7; ++i) right.push_back(step(span, 0));
  for (int i = 0; i < 7; ++i) down.push_back(step(0, span));  // a new row of tiles: 256 full rows decode
  const double medianStep = std::max(median(right), median(down));
  bench("chart_scroll_right_step_median", median(right), "ms");
  bench("chart_scroll_down_step_median", median(down), "ms");
  bench("chart_scroll_step_worst", std::max(*std::max_element(right.begin(), right.end()),
                                            *std::max_element(down.begin(), down.end())), "ms");

  // Zoom out to 25 %: the window shows 4x the image, decoded at a quarter.
  const QPoint centre = view.center();
  const QRect zoomed(centre.x() - 2 * kViewW, centre.y() - 2 * kViewH, 4 * kViewW, 4 * kViewH);
  std::vector<QPoint> haveZoomed;
  t.restart();
  decodeView(*chart, zoomed.intersected(QRect(0, 0, spec.width, spec.height)), 4, haveZoomed);
  const double zoomMs = t.nsecsElapsed() / 1e6;
  bench("chart_zoom_25pct_view", zoomMs, "ms");
  // And the whole chart fitted into the window (step 8).
  std::vector<QPoint> haveFit;
  t.restart();
  decodeView(*chart, QRect(0, 0, spec.width, spec.height), 8, haveFit);
  bench("chart_zoom_fit_whole_chart", t.nsecsElapsed() / 1e6, "ms");

  // Peer: GDAL alone reading the centred view in one RasterIO.
  GDALDatasetH ds = GDALOpen(path.toLocal8Bit().constData(), GA_ReadOnly);
  std::vector<unsigned char> buf(size_t(kViewW) * kViewH);
  GDALFlushCache(ds);
  t.restart();
  const QRect peerView(spec.width / 3, spec.height / 3, kViewW, kViewH);  // rows not yet cached
  const CPLErr err = GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, peerView.x(), peerView.y(), kViewW, kViewH,
                                  buf.data(), kViewW, kViewH, GDT_Byte, 0, 0);
  const double gdalMs = t.nsecsElapsed() / 1e6;
  GDALClose(ds);
  if (err != CE_None) return 1;
  // The same window through the chart's tiles, on a fresh open.
  chart.reset();
  chart = library.open(path);
  std::vector<QPoint> havePeer;
  t.restart();
  decodeView(*chart, peerView, 1, havePeer);
  const double oursMs = t.nsecsElapsed() / 1e6;
  bench("chart_view_tavrik_tiles", oursMs, "ms");
  bench("chart_view_gdal_rasterio", gdalMs, "ms");
  bench("chart_view_tavrik_vs_gdal", gdalMs > 0 ? oursMs / gdalMs : 0, "ratio");

  bench("chart_resident_memory", residentMb(), "MB");
  std::printf("targets: first tile < 300 ms, scroll step < 16 ms, zoom < 100 ms, memory < 150 MB\n");
  const bool ok = firstMs < 300 && medianStep < 16 && zoomMs < 100 && residentMb() < 150;
  return ok ? 0 : 3;
}
