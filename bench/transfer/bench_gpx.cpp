// GPX: a track of 100 000 points read and stored in a new database (one
// transaction), and the whole database written back as GPX.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>

#include "bench_clock.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "transfer/gpx_store.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  constexpr int kPoints = 100000;
  tavrik::GpxDocument doc;
  tavrik::GpxTrack track;
  track.name = QStringLiteral("Long passage");
  track.segments.emplace_back();
  const QDateTime start(QDate(2026, 6, 1), QTime(6, 0), QTimeZone::utc());
  for (int i = 0; i < kPoints; ++i) {
    tavrik::GpxPoint p;
    p.lat = 50 + i * 1e-5, p.lon = -5 + i * 2e-5, p.time = start.addSecs(i), p.elevation = 0.0;
    track.segments.back().push_back(p);
  }
  doc.tracks.push_back(track);
  const QString file = dir.filePath(QStringLiteral("passage.gpx"));
  QString error;
  if (!tavrik::writeGpxFile(file, doc, error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  tavrik::Database db;
  tavrik::createMainDatabase(db, dir.filePath(QStringLiteral("gps.db")), QDateTime::currentDateTime());
  // Reading alone, to see where an import's time goes.
  double t0 = tavrik::cpu_time::threadSeconds();
  {
    tavrik::GpxDocument read;
    if (!tavrik::readGpxFile(file, read, error)) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return 1;
    }
  }
  std::printf("BENCH gpx_read_100k_points %.0f ms\n", (tavrik::cpu_time::threadSeconds() - t0) * 1000);
  tavrik::GpxImportResult result;
  t0 = tavrik::cpu_time::threadSeconds();
  if (!tavrik::importGpxFile(db, file, result, error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  const double import = tavrik::cpu_time::threadSeconds() - t0;
  std::printf("BENCH gpx_import_points %d points\n", result.trackPoints);
  std::printf("BENCH gpx_import_100k_points %.0f ms\n", import * 1000);
  tavrik::DatabaseDatumLookup datums(db);
  t0 = tavrik::cpu_time::threadSeconds();
  if (!tavrik::exportGpx(db, datums, dir.filePath(QStringLiteral("back.gpx")), {}, error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  std::printf("BENCH gpx_export_100k_points %.0f ms\n", (tavrik::cpu_time::threadSeconds() - t0) * 1000);
  return 0;
}
