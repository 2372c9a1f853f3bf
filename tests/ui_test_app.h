#pragma once
// A QApplication for widget tests (offscreen) and an App in a temporary home with a
// fake clock and recording prompter and sound.

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/app.h"

namespace tavrik::test {

inline QApplication& qtApp() {
  static int argc = 1;
  static char name[] = "tavrik_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct TestApp {
  TestApp() : paths(AppPaths::inFolder(dir.path())) {
    qtApp();
    paths.ensureExists();
    app = std::make_unique<App>(paths, clock, prompter, sound);
    app->loadSettings();
  }
  QTemporaryDir dir;
  AppPaths paths;
  FakeClock clock{QDateTime(QDate(2026, 6, 1), QTime(12, 0))};
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  std::unique_ptr<App> app;
  App& operator*() { return *app; }
};

}  // namespace tavrik::test
