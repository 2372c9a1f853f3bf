// Figures of the chart window: the full overlay redraw, a chart search over a large
// chart table, and the repaint of one scroll step.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <time.h>

#include "app/app.h"
#include "chart/database_chart_provider.h"
#include "chart/chart_projection.h"
#include "chart/chart_selection.h"
#include "chart/overlay_renderer.h"
#include "chart/ui/chart_window.h"
#include "store/schema.h"

using namespace tavrik;

namespace {

double threadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Median processor time of the thread over `runs` runs: the machine the benchmarks run
// on is often shared, and wall time then mostly measures the neighbours. The wall
// time of the same runs is printed beside it by wallLine().
double g_lastWallMs = 0;
template <typename F>
double medianMs(int runs, F&& f) {
  std::vector<double> t, w;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer e;
    e.start();
    const double c0 = threadCpuMs();
    f();
    t.push_back(threadCpuMs() - c0);
    w.push_back(e.nsecsElapsed() / 1e6);
  }
  std::sort(t.begin(), t.end());
  std::sort(w.begin(), w.end());
  g_lastWallMs = w[w.size() / 2];
  return t[t.size() / 2];
}

void line(const char* name, double value, const char* unit) { std::printf("BENCH %s %.3f %s\n", name, value, unit); }
void wallLine(const char* name) { std::printf("BENCH %s_wall %.3f ms\n", name, g_lastWallMs); }

OverlayScene bigScene(double top, double left, double latSpan, double lonSpan, int waypoints, int zones) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> lat(top - latSpan, top), lon(left, left + lonSpan), u(0, 1);
  OverlayScene s;
  for (int i = 0; i < waypoints; ++i) {
    WaypointItem w;
    w.key = i + 1;
    w.name = QStringLiteral("WP %1").arg(i + 1);
    w.pos = {lat(rng), lon(rng), 0};
    w.type = i % 4;
    w.proximityNm = i % 10 == 0 ? 0.2 : 0;
    s.waypoints.push_back(w);
  }
  for (int z = 0; z < zones; ++z) {
    ZoneItem zone;
    zone.key = z + 1;
    zone.name = QStringLiteral("Zone %1").arg(z + 1);
    const double clat = lat(rng), clon = lon(rng);
    for (int k = 0; k < 8; ++k) {
      const double a = k * 3.14159265 / 4;
      zone.points.push_back({clat + 0.01 * std::sin(a) * (0.5 + u(rng)), clon + 0.015 * std::cos(a) * (0.5 + u(rng)), 0});
    }
    s.zones.push_back(zone);
  }
  QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
  icon.fill(QColor(255, 200, 0));
  s.typeIcons[1] = icon;
  s.typeIcons[2] = icon;
  return s;
}

void benchOverlays() {
  AppSettings settings;
  // A 1280 x 800 window over a chart of 20 px per minute; all 10 000 waypoints and 100
  // zones inside the window: the worst case of a full redraw.
  const MercatorSheet proj(53.0, 4.0, 20.0);
  double latB, lonR;
  proj.toLatLon(QPointF(1280, 800), latB, lonR);
  const OverlayScene scene = bigScene(53.0, 4.0, 53.0 - latB, lonR - 4.0, 10000, 100);
  OverlayRenderer r;
  r.setStyles(settings.Styles);
  OverlayRegions regions;
  QImage img(1280, 800, QImage::Format_RGB32);
  const double rebuild = medianMs(9, [&] { r.rebuild(scene, proj, regions); });
  const double rebuildWall = g_lastWallMs;
  const double paint = medianMs(9, [&] {
    img.fill(Qt::white);
    QPainter p(&img);
    r.paint(p, QRectF(img.rect()));
    r.paintDynamic(p, QRectF(img.rect()));
  });
  const double paintWall = g_lastWallMs;
  long active = 0;
  const double thinning = medianMs(9, [&] { r.setActiveWaypoint(++active); });
  line("chart_overlay_rebuild_10000wp_100zones", rebuild, "ms");
  line("chart_overlay_paint_10000wp_100zones_in_view", paint, "ms");
  line("chart_overlay_full_redraw_10000wp_100zones", rebuild + paint, "ms");
  line("chart_overlay_full_redraw_10000wp_100zones_wall", rebuildWall + paintWall, "ms");
  line("chart_overlay_name_thinning_10000wp", thinning, "ms");
  line("chart_overlay_names_shown_10000wp", static_cast<double>(r.namedWaypoints().size()), "names");
  line("chart_overlay_regions", regions.count(), "regions");
}

void benchSearch(const QString& dir) {
  // 10 000 charts: a grid of sheets of every size, in a real database file.
  Database db;
  createMainDatabase(db, dir + "/bench.db", QDateTime::currentDateTime());
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> lat(-60, 60), lon(-170, 170), size(0.05, 5), scale(10, 5000);
  db.beginTrans();
  for (int i = 0; i < 10000; ++i) {
    const double la = lat(rng), lo = lon(rng), s = size(rng);
    db.execute("INSERT INTO Charts (description, bitmap, mercator, latmin, latmax, lonmin, lonmax, milelat) "
               "VALUES (?, 'x.png', -1, ?, ?, ?, ?, ?)",
               {QStringLiteral("Chart %1").arg(i), la, la + s, lo, lo + s * 1.5, scale(rng)});
  }
  db.commitTrans();
  AppSettings settings;
  const AppPaths paths = AppPaths::inFolder(dir);
  SharedSelections shown;  // every waypoint displayed
  shown.displayedWaypoints = QStringLiteral("SELECT * FROM Waypoints");
  const std::unique_ptr<ChartProvider> providerPtr = makeDatabaseChartProvider(db, settings, paths, nullptr, nullptr, &shown);
  ChartProvider& provider = *providerPtr;
  std::vector<ChartBounds> rows;
  const double read = medianMs(5, [&] { rows = provider.chartBounds(0); });
  ChartIndex index;
  const double build = medianMs(5, [&] { index.reset(rows); });
  std::uniform_real_distribution<double> qlat(-60, 60), qlon(-170, 170);
  volatile int found = 0;
  const double search = medianMs(5, [&] {
    for (int i = 0; i < 1000; ++i) found = found + (index.searchBest(qlat(rng), qlon(rng), ChartRanking::Detail) >= 0);
  }) / 1000;
  double scan = medianMs(5, [&] {
    for (int i = 0; i < 1000; ++i) found = found + (index.searchNext('N', qlat(rng), qlon(rng), "Chart 1") >= 0);
  }) / 1000;
  // The overlay tables of a full redraw: 10 000 waypoints and 100 zones of 8 corners.
  db.beginTrans();
  std::uniform_real_distribution<double> wlat(52.0, 53.0), wlon(4.0, 5.0);
  for (int i = 0; i < 10000; ++i)
    db.execute("INSERT INTO Waypoints (description, latitude, longitude, Type, proximity, datum) VALUES (?, ?, ?, 0, ?, 0)",
               {QStringLiteral("WP %1").arg(i), wlat(rng), wlon(rng), i % 10 == 0 ? 0.2 : 0.0});
  for (int z = 1; z <= 100; ++z) {
    db.execute("INSERT INTO Zones (zone, Name) VALUES (?, ?)", {z, QStringLiteral("Zone %1").arg(z)});
    for (int k = 0; k < 8; ++k)
      db.execute("INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (?, ?, ?, 0)",
                 {z, wlat(rng), wlon(rng)});
  }
  db.commitTrans();
  OverlayScene tables;
  const double readTables = medianMs(5, [&] {
    tables = OverlayScene();
    provider.fillScene(tables, "Chart 1");
  });
  // A redraw re-reads the tables only after the database changed.
  line("chart_overlay_tables_read_10000wp_100zones", readTables, "ms");
  line("chart_search_10000_rows_read_from_database", read, "ms");
  line("chart_search_10000_rows_index_build", build, "ms");
  line("chart_search_10000_rows_best", search, "ms");
  line("chart_search_10000_rows_searchnext", scan, "ms");
  // The first request after start-up or a change: the database finds the one chart;
  // the index is read after it, for the searches of later fixes.
  volatile int hits = 0;
  const double first = medianMs(9, [&] { hits = hits + !provider.bestChart(0, qlat(rng), qlon(rng), ChartRanking::Detail).isEmpty(); });
  line("chart_search_10000_rows_index_first_request", read + build + search, "ms");
  line("chart_search_10000_rows_first_request", first, "ms");
  // Later requests: the bounds are read again only when the database changed.
  const double stamp = medianMs(101, [&] { found = found + static_cast<int>(provider.changeStamp() & 1); });
  line("chart_search_10000_rows_request", stamp + search, "ms");
}

void benchScroll(const QString& dir) {
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir), clock, prompter, sound);
  app.settings.SoundEnabled = false;
  ChartWindow w(app);
  w.resize(1280, 800);
  w.show();
  // A 6000 x 4500 picture with 2000 waypoints and 50 zones over it.
  QImage img(6000, 4500, QImage::Format_RGB32);
  {
    QPainter p(&img);
    p.fillRect(img.rect(), QColor(200, 220, 240));
    p.setPen(Qt::gray);
    for (int x = 0; x < 6000; x += 50) p.drawLine(x, 0, x, 4500);
    for (int y = 0; y < 4500; y += 50) p.drawLine(0, y, 6000, y);
  }
  ShownChart c;
  c.description = "Bench";
  c.image = std::make_shared<PictureSource>(img);
  c.projectionAt = [](double zoom) { return std::make_unique<MercatorSheet>(53.0, 4.0, 20.0, zoom); };
  w.showChart(c);
  double latB, lonR;
  MercatorSheet(53.0, 4.0, 20.0).toLatLon(QPointF(6000, 4500), latB, lonR);
  OverlayScene s = bigScene(53.0, 4.0, 53.0 - latB, lonR - 4.0, 2000, 50);
  w.scene() = s;
  w.renderer().rebuild(s, *w.projection(), const_cast<OverlayRegions&>(w.regions()));
  for (double zoom : {1.0, 1.5}) {
    w.applyZoom(static_cast<int>(zoom * 100));
    w.renderer().rebuild(s, *w.projection(), const_cast<OverlayRegions&>(w.regions()));
    w.setScrollValue({1000, 1000});
    w.renderView();  // tiles of the first view
    int step = 0;
    const double ms = medianMs(41, [&] {
      ++step;
      w.setScrollValue({1000 + 10 * step, 1000 + 5 * step});
      w.renderView();
    });
    const char* name = zoom == 1.0 ? "chart_scroll_step_repaint_zoom100" : "chart_scroll_step_repaint_zoom150";
    line(name, ms, "ms");
    wallLine(name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  benchOverlays();
  benchSearch(dir.path());
  benchScroll(dir.path());
  return 0;
}
