// The chart library's imports: 1 000 BSB/KAP charts (headers only; the test charts
// linked under many names), a 3.0 chart information file of 10 000 charts, a track
// file of 100 000 points. Each into a fresh database, one transaction per file.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_clock.h"
#include "library/bsb_import.h"
#include "library/chart_library_store.h"
#include "library/exchange_file.h"
#include "store/main_database.h"

using namespace tavrik;

namespace {

void bench(const char* name, double value, const char* unit) { std::printf("BENCH %s %.4f %s\n", name, value, unit); }

bool freshDatabase(Database& db, const QString& path) {
  if (!openMainDatabase(db, path, QDateTime::currentDateTime(), true).ok()) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QDateTime now = QDateTime::currentDateTime();
  // One part alone when named: kap, chi or trc.
  const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const auto runs = [&only](const char* part) { return only.isEmpty() || only == QLatin1String(part); };

  if (runs("kap")) {  // 1 000 KAP charts.
    constexpr int kCharts = 1000;
    const QStringList originals = QDir(QStringLiteral(TAVRIK_TESTDATA "/charts")).entryList({"*.KAP"}, QDir::Files, QDir::Name);
    if (originals.isEmpty()) return 1;
    QDir(dir.path()).mkpath(QStringLiteral("kap"));
    QStringList files;
    for (int i = 0; i < kCharts; ++i) {
      const QString name = originals[i % originals.size()];
      const QString link = dir.filePath(QStringLiteral("kap/%1_%2").arg(i).arg(name));
      QFile::link(QStringLiteral(TAVRIK_TESTDATA "/charts/") + name, link);
      files << link;
    }
    Database db;
    if (!freshDatabase(db, dir.filePath(QStringLiteral("kap.db")))) return 1;
    BsbImporter importer(db, {QStringLiteral("Bench"), 0, now});
    const double t0 = cpu_time::threadSeconds();
    int failed = 0;
    for (const QString& f : files) failed += importer.importFile(f).ok ? 0 : 1;
    const double seconds = cpu_time::threadSeconds() - t0;
    if (failed) std::fprintf(stderr, "%d charts failed\n", failed);
    bench("library_import_1000_kap", seconds, "s");
  }

  if (runs("chi")) {  // A 3.0 file of 10 000 charts.
    constexpr int kCharts = 10000;
    QFile image(dir.filePath(QStringLiteral("chart.png")));
    if (!image.open(QIODevice::WriteOnly)) return 1;
    image.write("png");
    image.close();
    QByteArray text = chiHeader(ChiVersion::V3);
    for (int i = 0; i < kCharts; ++i) {
      ChiChart c;
      c.row.description = QStringLiteral("Chart %1").arg(i);
      c.row.mercator = i % 2 == 0;
      c.row.latitude1 = 50 + i * 1e-4;
      c.row.longitude1 = 3;
      c.row.latitude2 = 49 + i * 1e-4;
      c.row.longitude2 = 4;
      c.row.latitude3 = 49 + i * 1e-4;
      c.row.longitude3 = 3;
      c.row.x2 = c.row.y2 = 12000;
      c.row.y3 = 12000;
      c.row.maxx = c.row.maxy = 12000;
      c.imageName = QStringLiteral("chart.png");
      c.datumDescription = QStringLiteral("WGS-84");
      c.folders << QStringLiteral("Folder %1").arg(i % 10);
      text += chiBlockV3(c).toLatin1();
    }
    QFile chi(dir.filePath(QStringLiteral("many.chi")));
    if (!chi.open(QIODevice::WriteOnly)) return 1;
    chi.write(text);
    chi.close();
    Database db;
    if (!freshDatabase(db, dir.filePath(QStringLiteral("chi.db")))) return 1;
    const double t0 = cpu_time::threadSeconds();
    const ImportOutcome out = importChiFile(db, chi.fileName(), {false, {}, now, {}, {}});
    const double seconds = cpu_time::threadSeconds() - t0;
    if (!out.ok) std::fprintf(stderr, "%s\n", qPrintable(out.error));
    bench("library_import_chi_10000_charts", seconds, "s");
  }

  if (runs("trc")) {  // A track file of 100 000 points.
    constexpr int kPoints = 100000;
    QByteArray bytes;
    bytes.reserve(kPoints * kExchangeRecordSize);
    for (int i = 0; i < kPoints; ++i)
      bytes += exchangeRecordBytes({QChar(u'T'), QString(), 52.0f + static_cast<float>(i) * 1e-5f, 4.0f});
    QFile trc(dir.filePath(QStringLiteral("long.TRC")));
    if (!trc.open(QIODevice::WriteOnly)) return 1;
    trc.write(bytes);
    trc.close();
    Database db;
    if (!freshDatabase(db, dir.filePath(QStringLiteral("trc.db")))) return 1;
    const double t0 = cpu_time::threadSeconds();
    const ImportOutcome out = importTrackFile(db, trc.fileName(), {0, now});
    const double seconds = cpu_time::threadSeconds() - t0;
    if (!out.ok) std::fprintf(stderr, "%s\n", qPrintable(out.error));
    bench("library_import_trc_100000_points", seconds, "s");
  }
  return 0;
}
