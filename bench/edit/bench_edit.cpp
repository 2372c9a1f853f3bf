// Figures of tracks: saving and loading a track of 100 000 points, drawing it on the
// chart (one repaint), and track to route on 10 000 points.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

#include "bench_clock.h"
#include "chart/overlay_renderer.h"
#include "core/app_settings.h"
#include "edit/track_store.h"
#include "edit/track_thinning.h"
#include "store/schema.h"

using namespace tavrik;

namespace {

void line(const char* name, double value, const char* unit) { std::printf("BENCH %s %.3f %s\n", name, value, unit); }

template <typename F>
double cpuMs(F&& f) {
  const double t0 = cpu_time::threadSeconds();
  f();
  return (cpu_time::threadSeconds() - t0) * 1e3;
}

// A day's sail: one point a second along a meandering course from 52 N 4 E.
std::vector<TrackRecord> sailedTrack(int n) {
  std::vector<TrackRecord> out;
  out.reserve(static_cast<size_t>(n));
  double lat = 52.0, lon = 4.0, course = 0.5;
  for (int i = 0; i < n; ++i) {
    course += 0.002 * std::sin(i / 900.0);
    lat += 3e-5 * std::cos(course);
    lon += 5e-5 * std::sin(course);
    out.push_back({46000.0 + i / 86400.0, static_cast<float>(lat), static_cast<float>(lon)});
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QTemporaryDir dir;
  const QDateTime now(QDate(2026, 6, 1), QTime(12, 0));
  Database db;
  if (!createMainDatabase(db, dir.filePath(QStringLiteral("gps.db")), now).ok()) return 1;
  const std::vector<TrackRecord> track = sailedTrack(100000);

  SaveResult saved;
  line("track_save_100000", cpuMs([&] { saved = SaveTrack(db, QStringLiteral("Day"), track, now); }), "ms");
  if (!saved.saved()) return 1;
  LoadedTrack loaded;
  line("track_load_100000", cpuMs([&] { loaded = LoadTrack(db, QStringLiteral("Day")); }), "ms");
  if (loaded.records.size() != track.size()) return 1;

  // The whole track in a 1280 x 800 view at 2 px per minute of longitude.
  const MercatorSheet proj(52.0 + 100000 * 3e-5, 3.9, 2.0);
  OverlayScene scene;
  scene.sailedTrack = track;
  scene.showTrack = true;
  AppSettings settings;
  OverlayRenderer renderer;
  renderer.setStyles(settings.Styles);
  OverlayRegions regions;
  renderer.rebuild(scene, proj, regions);
  QImage img(1280, 800, QImage::Format_RGB32);
  double best = 1e9;
  for (int i = 0; i < 9; ++i) {
    best = std::min(best, cpuMs([&] {
                      img.fill(Qt::white);
                      QPainter p(&img);
                      renderer.paint(p, QRectF(img.rect()));
                    }));
  }
  line("track_repaint_100000", best, "ms");
  line("track_rebuild_100000", cpuMs([&] { renderer.rebuild(scene, proj, regions); }), "ms");

  const SaveResult part = SaveTrack(db, QStringLiteral("Part"), std::vector<TrackRecord>(track.begin(), track.begin() + 10000), now);
  if (!part.saved()) return 1;
  TrackToRouteResult r;
  line("track_to_route_10000_50points", cpuMs([&] {
         r = TrackToRoute(db, part.key, QStringLiteral("Back"), ThinningMode::NumberOfPoints, 50, nullptr, 0, now);
       }), "ms");
  if (r.status != TrackToRouteResult::Saved || r.routePoints != 50) return 1;
  std::vector<QPointF> px;
  for (size_t i = 0; i < 10000; ++i) px.push_back(proj.toPixel(track[i].lat, track[i].lon));
  line("track_thinning_10000_50points", cpuMs([&] { ThinTrack(px, ThinningMode::NumberOfPoints, 50); }), "ms");
  return 0;
}
