// The logbook with 1 000 000 entries: a chooser's selection of one day, the log list of
// 10 000 entries shown, one automatic entry written, and a 1440-point graph redrawn.
// The day's selection is also run by the sqlite3 shell on the same file as a peer.

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

#include "app/app.h"
#include "bench_clock.h"
#include "core/ui/main_window.h"
#include "log/log_query.h"
#include "log/log_rows.h"
#include "log/ui/graph_window.h"
#include "log/ui/log_list_window.h"
#include "log/ui/log_windows.h"

using namespace tavrik;

namespace {

constexpr int kEntries = 1000000;
void bench(const char* name, double value, const char* unit) { std::printf("BENCH %s %.4f %s\n", name, value, unit); }

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  QTemporaryDir dir;
  AppPaths paths = AppPaths::inFolder(dir.path());
  paths.ensureExists();
  FakeClock clock(QDateTime(QDate(2026, 6, 1), QTime(0, 0)));
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(paths, clock, prompter, sound);
  app.loadSettings();
  if (!app.openDatabase({})) return 1;
  app.loadSystemSettings();
  Database& db = app.db;

  // A million entries, one a minute over 694 days, made by the database itself; every
  // seventh is a "Watch" entry.
  writeLogRow(db, {QStringLiteral("Watch"), {}, 0, 0, {}, false}, LogSnapshot());
  db.execute(QStringLiteral("DELETE FROM Log"));
  const qint64 watch = db.scalar(QStringLiteral("SELECT [Entry type] FROM [Log entry types] WHERE description = 'Watch'")).toLongLong();
  const StoreResult made = db.execute(QStringLiteral(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
      "INSERT INTO Log ([Entry type], date, latitude, longitude, depth, SOG, COG) "
      "SELECT CASE WHEN i % 7 = 0 THEN %2 ELSE 1 END, strftime('%Y-%m-%dT%H:%M:%S', '2025-01-01', '+' || i || ' minutes'), "
      "52 + (i % 1000) * 0.0001, 4, i % 50, 5, 90 FROM n").arg(kEntries - 1).arg(watch));
  if (!made) {
    std::fprintf(stderr, "cannot fill the log: %s\n", qPrintable(made.detail));
    return 1;
  }
  const std::vector<qint64> types = {1, watch};
  const QString day = QDate(2025, 9, 9).toString(QStringLiteral("yyyy-MM-dd"));
  const QString selection = logSelectionSql(types, readLogRange(day, QStringLiteral("00:00"), day, QStringLiteral("23:59")));
  double t0 = cpu_time::threadSeconds();
  const int runs = 20;
  size_t found = 0;
  for (int r = 0; r < runs; ++r) found = readLogRows(db, selection).size();
  const double dayMs = (cpu_time::threadSeconds() - t0) / runs * 1000;
  bench("log_chooser_day_query", dayMs, "ms");
  std::fprintf(stderr, "one day: %zu entries\n", found);

  // The peer: the same day straight from the shell on the same file (the shell's
  // process time, start-up included).
  const double c0 = cpu_time::childSeconds();
  QProcess shell;
  shell.start(QStringLiteral("sqlite3"),
              {db.path(), QStringLiteral("SELECT COUNT(*) FROM Log WHERE date >= '2025-09-09T00:00:00' AND date <= "
                                         "'2025-09-09T23:59:59';")});
  if (shell.waitForFinished(60000)) {
    const double peer = (cpu_time::childSeconds() - c0) * 1000;
    bench("log_chooser_day_query_sqlite3_shell", peer, "ms");
    bench("log_chooser_day_query_ratio_to_sqlite3_shell", dayMs / peer, "x");
  }

  // The log list of 10 000 entries: the rows read and the table shown.
  MainWindow window(app);
  registerLogWindows(app);
  installLogbook(app, window);
  const QString weeks = logSelectionSql(types, readLogRange(QStringLiteral("2025-03-01"), QStringLiteral("00:00"),
                                                            QStringLiteral("2025-03-07"), QStringLiteral("22:39")));
  app.logDisplay.LogQuery = weeks;
  t0 = cpu_time::threadSeconds();
  auto* list = qobject_cast<LogListWindow*>(window.openWindow(QStringLiteral("gpslshow")));
  list->view()->viewport()->grab();
  bench("log_list_shown", (cpu_time::threadSeconds() - t0) * 1000, "ms");
  std::fprintf(stderr, "listed: %d entries\n", list->model()->rowCount());

  // One automatic entry: raised and written by the log timer.
  app.settings.system.logInterval = 1;
  app.logbook.start();
  app.logbook.WriteLogEntry();
  t0 = cpu_time::threadSeconds();
  const int ticks = 200;
  for (int i = 0; i < ticks; ++i) {
    clock.advanceSecs(1);
    app.logbook.tick();
  }
  bench("log_automatic_entry", (cpu_time::threadSeconds() - t0) / ticks * 1000, "ms");

  // A graph of 1440 points redrawn and painted.
  app.settings.Graphs[2] = {0, 0, 6550, 4650, 1, 0, 100, 24};
  app.graphs.resize();
  app.nav.received(Sentence::DBT) = 1;
  for (int m = 0; m < 1440; ++m) {
    app.nav.DepthMetres = static_cast<float>(20 + 10 * std::sin(m / 50.0));
    app.graphs.minuteTick(app.nav);
  }
  auto* graph = qobject_cast<GraphWindow*>(window.openWindow(QStringLiteral("gpsgrapd")));
  graph->resize(800, 400);
  graph->chartView()->grab();
  t0 = cpu_time::threadSeconds();
  const int draws = 30;
  for (int i = 0; i < draws; ++i) {
    graph->draw();
    graph->chartView()->grab();
  }
  bench("log_graph_1440_redraw", (cpu_time::threadSeconds() - t0) / draws * 1000, "ms");
  return 0;
}
