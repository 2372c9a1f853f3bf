// 100 000 Track data rows added through the store layer in one transaction and read
// back, beside the sqlite3 shell doing the same inserts on the same schema.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include "store/database.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "bench_clock.h"

using namespace tavrik;

namespace {

constexpr int kRows = 100000;

double lat(int i) { return 52.0 + i * 1e-6; }
double lon(int i) { return 4.0 + i * 2e-6; }
QString when(int i) { return QDateTime(QDate(2026, 6, 1), QTime(0, 0)).addSecs(i).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")); }

void bench(const char* name, double value, const char* unit) { std::printf("BENCH %s %.4f %s\n", name, value, unit); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString storeFile = dir.filePath(QStringLiteral("store.db"));
  const QString shellFile = dir.filePath(QStringLiteral("shell.db"));

  Database db;
  if (!createMainDatabase(db, storeFile, QDateTime::currentDateTime()).ok()) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(storeFile));
    return 1;
  }
  db.execute(QStringLiteral("INSERT INTO Tracks (description) VALUES ('bench')"));
  const qint64 track = db.lastInsertId();

  // The values are made before the clock starts: date texts cost more than storing them.
  std::vector<QString> dates(kRows);
  for (int i = 0; i < kRows; ++i) dates[static_cast<size_t>(i)] = when(i);

  QElapsedTimer t;
  t.start();
  db.beginTrans();
  {
    auto rs = db.openRecordset(QStringLiteral("Track data"));
    for (int i = 0; i < kRows; ++i) {
      rs->addNew();
      rs->setValue(QStringLiteral("Track"), track);
      rs->setValue(QStringLiteral("date"), dates[static_cast<size_t>(i)]);
      rs->setValue(QStringLiteral("latitude"), lat(i));
      rs->setValue(QStringLiteral("longitude"), lon(i));
      if (!rs->update().ok()) {
        std::fprintf(stderr, "insert %d failed\n", i);
        return 1;
      }
    }
  }
  db.commitTrans();
  const double storeInsert = t.nsecsElapsed() / 1e9;

  t.restart();
  const double readCpu0 = tavrik::cpu_time::threadSeconds();
  double sum = 0;
  int n = 0;
  {
    auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [Track data] WHERE Track = ") + QString::number(track));
    for (; !rs->eof(); rs->moveNext()) {
      sum += rs->number(QStringLiteral("latitude")) + rs->number(QStringLiteral("longitude"));
      ++n;
    }
  }
  const double storeRead = t.nsecsElapsed() / 1e9;
  const double storeReadCpu = tavrik::cpu_time::threadSeconds() - readCpu0;
  if (n != kRows) {
    std::fprintf(stderr, "read back %d rows, expected %d\n", n, kRows);
    return 1;
  }
  // The conversion looks its two datums up for every fix.
  t.restart();
  DatabaseDatumLookup lookup(db);
  double axes = 0;
  for (int i = 0; i < 10000; ++i) axes += lookup.datum(1 + i % 20).value_or(DatumDefinition{}).majorAxis;
  const double lookupUs = t.nsecsElapsed() / 1e3 / 10000;
  if (axes <= 0) return 1;
  bench("store_datum_lookup", lookupUs, "us");

  const QString ddl = db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Track data'")).toString();
  db.close();

  bench("store_track_data_insert_100k", storeInsert, "s");
  bench("store_track_data_read_100k", storeRead, "s");
  bench("store_track_data_read_100k_cpu", storeReadCpu, "s");

  // The same schema and the same inserts through the sqlite3 shell.
  const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
  if (shell.isEmpty()) {
    std::fprintf(stderr, "sqlite3 shell not found; peer figures skipped\n");
    return 0;
  }
  QByteArray script = "PRAGMA journal_mode=WAL;\nPRAGMA synchronous=FULL;\n" + ddl.toUtf8() + ";\nBEGIN;\n";
  script.reserve(kRows * 90);
  for (int i = 0; i < kRows; ++i)
    script += QStringLiteral("INSERT INTO [Track data] (Track, date, latitude, longitude) VALUES (%1, '%2', %3, %4);\n")
                  .arg(track)
                  .arg(dates[static_cast<size_t>(i)])
                  .arg(lat(i), 0, 'g', 17)
                  .arg(lon(i), 0, 'g', 17)
                  .toUtf8();
  script += "COMMIT;\n";
  const auto runShell = [&](const QByteArray& input, QByteArray* out) {
    QProcess p;
    p.start(shell, {shellFile});
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (out) *out = p.readAllStandardOutput();
    return p.exitCode() == 0;
  };
  t.restart();
  if (!runShell(script, nullptr)) return 1;
  const double shellInsert = t.nsecsElapsed() / 1e9;
  t.restart();
  const double shellCpu0 = tavrik::cpu_time::childSeconds();
  QByteArray rows;
  runShell("SELECT * FROM [Track data] WHERE Track = " + QByteArray::number(track) + ";\n", &rows);
  const double shellRead = t.nsecsElapsed() / 1e9;
  const double shellReadCpu = tavrik::cpu_time::childSeconds() - shellCpu0;
  if (rows.count('\n') != kRows) std::fprintf(stderr, "shell read %lld rows\n", static_cast<long long>(rows.count('\n')));

  bench("sqlite3_shell_track_data_insert_100k", shellInsert, "s");
  bench("sqlite3_shell_track_data_read_100k", shellRead, "s");
  bench("store_vs_shell_insert_ratio", storeInsert / shellInsert, "x");
  bench("sqlite3_shell_track_data_read_100k_cpu", shellReadCpu, "s");
  bench("store_vs_shell_read_ratio", storeRead / shellRead, "x");
  bench("store_vs_shell_read_cpu_ratio", storeReadCpu / shellReadCpu, "x");
  return 0;
}
