// 1000 radar targets, each reported once a second: the parse through the receive
// path, the dead reckoning, the ageing and the redraw of the target symbols on a
// chart-sized picture, per second of traffic; and the ships list of 10 000 ships.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "chart/chart_projection.h"
#include "chart/overlay_regions.h"
#include "chart/overlay_renderer.h"
#include "core/clock.h"
#include "core/prompter.h"
#include "ships/radar_parsers.h"
#include "ships/ships_list.h"
#include "store/database.h"
#include "store/schema.h"

using namespace tavrik;

namespace {

int benchRadar() {
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  RecordingPrompter prompter;
  NmeaReceiver rx(nav, panels, settings, prompter);
  RadarTargets radar;
  RequestFlags flags;
  FakeClock clock;
  RadarParsers parsers(nav, radar, flags, clock);
  rx.applySettings();
  parsers.install(rx);
  rx.beginSession();
  rx.dispatch("$GPRMC,120000,A,5000.000,N,00400.000,W,5.0,90.0,071226,,");
  std::vector<std::string> lines;
  for (int n = 0; n < 1000; ++n) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "$RATTM,%d,%.2f,%.1f,T,12.0,200.0,T,0.4,6.5,N,T%d,T,,120000,A", n,
                  0.5 + n % 50 * 0.2, n * 0.36, n);
    lines.emplace_back(buf);
  }
  // A 1280 x 800 view of a sheet around the own position, 10 nm across.
  const MercatorSheet sheet(50.07, -4.09, 1280.0 / 10.8);
  OverlayRenderer renderer;
  renderer.setStyles(settings.Styles);
  OverlayRegions regions;
  OverlayScene scene;
  QImage picture(1280, 800, QImage::Format_RGB32);
  const int seconds = 20;
  const double start = cpu_time::threadSeconds();
  for (int s = 0; s < seconds; ++s) {
    for (const std::string& l : lines) rx.dispatch(l);
    clock.advanceSecs(1);
    radar.ageTargets(clock.now());
    scene.radar.clear();
    for (const RadarTarget& t : radar.targets)
      if (!t.LastUpdate.isNull()) scene.radar.push_back({t.Number, {t.TargetLatitude, t.TargetLongitude}, t.Status});
    renderer.rebuild(scene, sheet, regions);
    picture.fill(Qt::white);
    QPainter p(&picture);
    renderer.paint(p, QRectF(picture.rect()));
  }
  const double ms = (cpu_time::threadSeconds() - start) * 1000;
  if (radar.targets.size() != 1000 || nav.errors(Sentence::TTM) != 0) {
    std::fprintf(stderr, "bench_radar: %zu targets, %u errors\n", radar.targets.size(), nav.errors(Sentence::TTM));
    return 1;
  }
  std::printf("BENCH radar_1000_targets_parse_age_redraw %.3f ms_per_second_of_traffic\n", ms / seconds);
  return 0;
}

int benchShipsList() {
  QTemporaryDir dir;
  Database db;
  const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
  if (!createMainDatabase(db, dir.filePath("gps.db"), now).ok()) return 1;
  db.beginTrans();
  for (int i = 0; i < 10000; ++i)
    db.execute(QStringLiteral("INSERT INTO Ships (Name, latitude, longitude, speed, course, [wind speed], "
                              "[wind direction], created) VALUES (?, ?, ?, 6.5, 45, 12, 270, ?)"),
               {QStringLiteral("Ship %1").arg(i, 5, 10, QLatin1Char('0')), -60 + i % 120, -170 + i % 340, now});
  db.commitTrans();
  ShipListInput in;
  in.latitude = 50;
  in.longitude = -4;
  in.planningSpeedKn = 5;
  const double start = cpu_time::threadSeconds();
  const std::vector<ShipListRow> rows = buildShipsList(db, in);
  const double ms = (cpu_time::threadSeconds() - start) * 1000;
  if (rows.size() != 10001) return 1;
  std::printf("BENCH ships_list_10000 %.1f ms\n", ms);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // fonts for the target labels
  return benchRadar() || benchShipsList();
}
