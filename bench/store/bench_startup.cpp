// Start-up to the shown main window with a database of 100 000 waypoints, through the
// program's start-up code (run with QT_QPA_PLATFORM=offscreen when there is no display).

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/app.h"
#include "app/startup.h"
#include "core/ui/main_window.h"
#include "store/schema.h"

using namespace tavrik;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  QTemporaryDir home;
  {
    Database db;
    if (!createMainDatabase(db, home.filePath(QStringLiteral("gps.db")), QDateTime::currentDateTime()).ok()) return 1;
    db.beginTrans();
    auto rs = db.openRecordset(QStringLiteral("Waypoints"));
    for (int i = 0; i < 100000; ++i) {
      rs->addNew();
      rs->setValue(QStringLiteral("description"), QStringLiteral("WP %1").arg(i));
      rs->setValue(QStringLiteral("latitude"), 50 + (i % 1000) * 0.01);
      rs->setValue(QStringLiteral("longitude"), (i / 1000) * 0.05);
      rs->setValue(QStringLiteral("Type"), 1);
      rs->setValue(QStringLiteral("Group"), 1);
      rs->setValue(QStringLiteral("Datum"), 0);
      if (!rs->update().ok()) return 1;
    }
    db.commitTrans();
  }

  QElapsedTimer t;
  t.start();
  QCommandLineParser parser;
  parser.addOption(QCommandLineOption(QStringLiteral("screenshot"), QString(), QStringLiteral("FILE")));
  addStartupOptions(parser);
  parser.process(QStringList{QStringLiteral("tavrik")});
  SystemClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(home.path()), clock, prompter, sound);
  MainWindow window(app);
  Startup startup(app, window);
  if (!startup.run(parser)) {
    std::fprintf(stderr, "start-up failed: %s\n", qPrintable(prompter.lastText()));
    return 1;
  }
  double shownAt = 0;
  // The first turn of the event loop: the window has been shown and laid out.
  QTimer::singleShot(0, &window, [&] {
    shownAt = t.nsecsElapsed() / 1e9;
    QApplication::quit();
  });
  QApplication::exec();
  startup.shutdown();
  if (!prompter.empty()) std::fprintf(stderr, "message during start-up: %s\n", qPrintable(prompter.lastText()));
  std::printf("BENCH store_startup_to_shown_window_100k_waypoints %.4f s\n", shownAt);
  return 0;
}
