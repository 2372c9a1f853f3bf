#include "nmea/ui/communication_menu.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

#include "test_data.h"

#include "core/messages.h"
#include "core/units.h"
#include "core/ui/main_window.h"
#include "nmea/ui/simulation_window.h"
#include "transfer/pty_port.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

struct Rig {
  Rig() {
    registerNmeaWindows(*t);
    window = std::make_unique<MainWindow>(*t);
    menu = new CommunicationMenu(*t, *window);
    // No dialog in tests: the next file name comes from the test.
    menu->chooseTestFile = [this](bool) { return nextFile; };
    window->rebuildToolbar();
    window->show();
  }
  int openWindows() const { return static_cast<int>(window->mdiArea()->subWindowList().size()); }
  void fire(const char* timer) {
    QMetaObject::invokeMethod(window->timer(QLatin1String(timer)), "timeout", Qt::DirectConnection);
  }
  // "St&art telephone..." with an entry picked: dials over a pseudo-terminal.
  void dial() {
    modem = std::make_unique<PtyPort>();
    t.app->settings.Comm[0].Port = modem->name;
    ASSERT_TRUE(t.app->dialUp.start({"Home", "1", "", ""}));
  }
  test::TestApp t;
  std::unique_ptr<MainWindow> window;
  CommunicationMenu* menu = nullptr;
  QString nextFile;
  std::unique_ptr<PtyPort> modem;
};

TEST(CommunicationMenu, EveryActionHasANameAndAnEffect) {
  Rig r;
  App& app = *r.t;
  r.nextFile = r.t.dir.filePath(QStringLiteral("walk.TST"));
  for (const char* menuName : {"m_comm", "m_setup"}) {
    QMenu* m = r.window->menu(QLatin1String(menuName));
    ASSERT_TRUE(m) << menuName;
    for (QAction* a : m->actions()) {
      if (a->isSeparator()) continue;
      SCOPED_TRACE(a->text().toStdString());
      ASSERT_FALSE(a->objectName().isEmpty());
      if (!a->isEnabled()) continue;  // tried below once it is enabled
      const auto state = [&] {
        return std::tuple(r.openWindows(), app.receiver.isRunning(), r.t.prompter.entries().size(),
                          app.recorder.isRecording(), app.player.isRunning());
      };
      const auto before = state();
      a->trigger();
      EXPECT_NE(state(), before) << "no effect";
    }
  }
  // Start ran and enabled stop, which ran next; then recording began and the replay
  // of that same file, which owns the receive path now.
  EXPECT_TRUE(app.recorder.isRecording());
  EXPECT_TRUE(r.menu->action("c_output")->isChecked());
  EXPECT_TRUE(app.player.isRunning());
  EXPECT_TRUE(r.menu->action("c_input")->isChecked());
  EXPECT_TRUE(r.menu->action("c_stop")->isEnabled()) << "Stop ends the replay too";
  EXPECT_FALSE(r.menu->action("c_simulate")->isEnabled());
  EXPECT_TRUE(r.window->timer(QStringLiteral("testtimer"))->isActive());
  r.menu->action("c_input")->trigger();
  EXPECT_FALSE(app.receiver.isRunning());
  EXPECT_FALSE(r.window->timer(QStringLiteral("testtimer"))->isActive());
  EXPECT_TRUE(r.menu->action("c_start")->isEnabled());
  r.menu->action("c_output")->trigger();
  EXPECT_FALSE(app.recorder.isRecording());
}

TEST(CommunicationMenu, StartRunsTheReceiveCycleIntoThePanelsAndStopEmptiesThem) {
  Rig r;
  App& app = *r.t;
  QTimer* rectimer = r.window->timer(QStringLiteral("rectimer"));
  EXPECT_FALSE(rectimer->isActive());
  app.settings.Comm[0].Port = QStringLiteral("/nonexistent/tty");
  r.menu->action("c_start")->trigger();
  EXPECT_TRUE(rectimer->isActive());
  ASSERT_FALSE(r.t.prompter.empty()) << "the port that cannot open is named";
  EXPECT_EQ(r.t.prompter.lastText(),
            "COM /nonexistent/tty: Comm settings not correct, please run setup (No such file or directory)");
  EXPECT_FALSE(r.menu->action("c_start")->isEnabled());
  EXPECT_TRUE(r.window->findChild<QAction*>(QStringLiteral("but26"))->isChecked());
  r.fire("Timer1");
  EXPECT_EQ(r.window->panel(Panel::InputSource)->text(), "No data") << "running, nothing arrived";
  EXPECT_EQ(app.panels[Panel::Position], "No fix") << "the stored position is no fix";

  app.receiver.inject(0, "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
  r.fire("rectimer");
  EXPECT_NEAR(app.nav.Latitude, 48.1173, 1e-4);  // 48° 07.038'
  EXPECT_EQ(app.panels[Panel::Speed], QStringLiteral("22.4 Kts"));
  r.fire("Timer1");
  EXPECT_EQ(app.panels[Panel::Position], QString::fromUtf8("48° 7.038' N / 11° 31.000' E"));

  // The toolbar button stops what runs.
  r.window->runCommand(QStringLiteral("communication"));
  EXPECT_FALSE(app.receiver.isRunning());
  EXPECT_FALSE(rectimer->isActive());
  EXPECT_TRUE(app.panels[Panel::Speed].isEmpty());
  EXPECT_TRUE(app.nav.TimeStale);
  r.fire("Timer1");
  EXPECT_EQ(app.panels[Panel::Position], "No fix") << "the last fix is not shown as live";
  EXPECT_TRUE(r.window->panel(Panel::InputSource)->text().isEmpty());
}

// The last TPV report with a position gpsd made of a capture: an independent decoder's last fix.
QJsonObject lastGpsdFix(const QString& chkFile) {
  QFile f(chkFile);
  QJsonObject fix;
  for (const QByteArray& line : f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>()) {
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    if (o["class"].toString() == QLatin1String("TPV") && o.contains("lat")) fix = o;
  }
  return fix;
}

TEST(CommunicationMenu, ReplayOfARealCaptureEndsOnTheReceiversLastFix) {
  Rig r;
  App& app = *r.t;
  const QString capture = testDataFile(QStringLiteral("nmea/haicom-305N.log"));
  r.nextFile = capture;
  r.menu->action("c_input")->trigger();
  ASSERT_TRUE(app.player.isRunning());
  QTimer* testtimer = r.window->timer(QStringLiteral("testtimer"));
  EXPECT_EQ(testtimer->interval(), 1000) << "one line a second at Test interval 1";
  EXPECT_EQ(app.settings.TestDir, QFileInfo(capture).absolutePath());
  // One receive cycle after each replayed line, until the end of the file.
  int lines = 0;
  while (app.player.isRunning() && lines < 1000) {
    r.fire("testtimer");
    if (!app.player.isRunning()) break;
    r.fire("rectimer");
    if (++lines == 300) {
      EXPECT_EQ(app.panels.inputSource(), QStringLiteral("Test")) << "GGA leaves the replay's name";
    }
  }
  EXPECT_EQ(lines, 335) << "every line of the file, comments included";
  EXPECT_EQ(r.t.prompter.lastText(), MessageText(Msg::EndOfTestfile));
  const QJsonObject gpsd = lastGpsdFix(capture + QStringLiteral(".chk"));
  ASSERT_TRUE(gpsd.contains("track"));
  // Both decoders read the same ddmm.mmmm fields; single precision at 153 degrees
  // holds about 1e-5 degrees.
  EXPECT_NEAR(app.nav.Latitude, gpsd["lat"].toDouble(), 2e-5);
  EXPECT_NEAR(app.nav.Longitude, gpsd["lon"].toDouble(), 2e-5);
  EXPECT_NEAR(app.nav.CourseOverGround, gpsd["track"].toDouble(), 1e-3);
  EXPECT_FALSE(r.menu->action("c_input")->isChecked());
  EXPECT_FALSE(testtimer->isActive());
  EXPECT_TRUE(app.panels[Panel::Speed].isEmpty()) << "replay stopped: fix panels emptied";
  EXPECT_TRUE(app.requests.radarRedraw);
}

TEST(CommunicationMenu, NmeaStatusCommandIsDisabledWhileItsWindowIsOpen) {
  Rig r;
  QAction* status = r.menu->action("c_nmeastatus");
  status->trigger();
  EXPECT_FALSE(status->isEnabled());
  QWidget* w = r.window->findWindow(QStringLiteral("gpsnmea"));
  ASSERT_TRUE(w);
  w->parentWidget()->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(status->isEnabled());
}

// Whatever was cancelled or ended, exactly one of Start and Stop is at hand.
TEST(CommunicationMenu, StartOrStopStaysAtHandAfterEveryCancelAndEnd) {
  const struct {
    const char* legend;
    std::function<void(Rig&)> run;
    bool running;
  } rows[] = {
      {"output file cancelled", [](Rig& r) { r.menu->action("c_output")->trigger(); }, false},
      {"input file cancelled", [](Rig& r) { r.menu->action("c_input")->trigger(); }, false},
      {"replay of a missing file",
       [](Rig& r) {
         r.nextFile = r.t.dir.filePath("missing.TST");
         r.menu->action("c_input")->trigger();
       },
       false},
      {"output cancelled while simulating",
       [](Rig& r) {
         qobject_cast<SimulationWindow*>(r.window->openWindow("gpssimul"))->startDemo();
         r.menu->action("c_output")->trigger();
       },
       true},
      {"simulation stopped from the menu",
       [](Rig& r) {
         qobject_cast<SimulationWindow*>(r.window->openWindow("gpssimul"))->startDemo();
         r.t.prompter.answer(true);
         r.menu->action("c_stop")->trigger();
       },
       false},
      {"output cancelled while the ports run",
       [](Rig& r) {
         r.t.app->settings.Comm[0].Port = "/nonexistent/tty";
         r.menu->action("c_start")->trigger();
         r.menu->action("c_output")->trigger();
       },
       true},
      {"dial-up link dialling", [](Rig& r) { r.dial(); }, true},
      {"dial-up link stopped from the menu",
       [](Rig& r) {
         r.dial();
         r.menu->action("c_stop")->trigger();
       },
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    Rig r;
    row.run(r);
    emit r.menu->menu()->aboutToShow();
    EXPECT_EQ(r.t.app->receiver.isRunning(), row.running);
    EXPECT_EQ(r.menu->action("c_start")->isEnabled(), !row.running);
    EXPECT_EQ(r.menu->action("c_telephone")->isEnabled(), !row.running);
    // The selection lives as long as communication does.
    EXPECT_EQ(r.t.app->dialUp.selectedName(), row.running && r.modem ? "Home" : "");
    EXPECT_EQ(r.menu->action("c_stop")->isEnabled(), row.running);
    EXPECT_FALSE(r.menu->action("c_output")->isChecked());
  }
}

TEST(MainCycleWithReceiver, GllOnlyReceiverLeavesTheComputerClockInTheTimePanel) {
  test::TestApp t;
  App& app = *t;
  app.receiver.beginSession();
  app.nav.TimeStale = app.nav.DateStale = true;  // as after the data stopped once
  app.panels[Panel::InputSource] = QStringLiteral("Gps");
  for (int s = 0; s < 20; ++s) {
    t.clock.advanceSecs(1);
    const QString gll = QStringLiteral("$GPGLL,5133.81,N,00042.25,W,0715%1,A\r\n").arg(s, 2, 10, QLatin1Char('0'));
    app.receiver.inject(0, gll.toStdString());
    app.receiver.tick();
    app.cycle.tick();
  }
  EXPECT_NEAR(app.nav.Latitude, 51 + 33.81 / 60, 1e-4) << "the position is taken";
  EXPECT_EQ(app.nav.FixTime, QTime(7, 15, 19)) << "and the fix time";
  EXPECT_TRUE(app.nav.TimeStale);
  EXPECT_EQ(app.panels[Panel::Time], FormatTime(t.clock.now().time())) << "but the panel shows the computer clock";
  // An RMC clears the staleness: from then on the panel keeps the fix time.
  app.receiver.inject(0, "$GPRMC,071520,A,5133.81,N,00042.25,W,0.0,0.0,010626,,\r\n");
  app.receiver.tick();
  t.clock.advanceSecs(1);
  app.cycle.tick();
  EXPECT_FALSE(app.nav.TimeStale);
  EXPECT_EQ(app.panels[Panel::Time], FormatTime(QTime(7, 15, 20)));
}

}  // namespace
}  // namespace tavrik
