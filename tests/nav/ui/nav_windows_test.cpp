#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nav/ui/anchor_watch_window.h"
#include "nav/ui/mob_window.h"
#include "nav/ui/nav_windows.h"
#include "nav/ui/sound_window.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

using test::TestApp;

struct Frame {
  Frame() {
    registerNavWindows(*t);
    addNavMenuEntries(window);
  }
  TestApp t;
  MainWindow window{*t};
  App& app() { return *t; }
  void runAlarmsMs(int ms) {
    for (int i = 0; i < ms; i += 100) {
      t.clock.advanceMs(100);
      window.signalZoneAlarm();
      app().alarms.tick();
    }
  }
};

TEST(ZoneAlarmIndicators, ShowSoundAndAcknowledge) {
  for (bool soundsOn : {true, false}) {
    Frame f;
    f.app().settings.SoundEnabled = soundsOn;
    f.app().zoneAlarm.setAreas({{}, {{9, "Rock", {46.40, 6.50}, 0.1}}});
    f.app().zoneAlarm.checkzone(46.4005, 6.5005);
    f.runAlarmsMs(6000);
    for (int n : {0, 1}) EXPECT_TRUE(f.window.alarmIndicator(n)->isVisibleTo(f.window.alarmIndicator(n)->parentWidget()));
    EXPECT_EQ(static_cast<QToolButton*>(f.window.alarmIndicator(0))->text(), "ALARM: Rock");
    // Sound at once and after 5 s; or a beep on each 100 ms flash.
    if (soundsOn) EXPECT_EQ(f.t.sound.played, std::vector<QString>(2, f.app().paths.file("PROXIM.WAV")));
    else EXPECT_EQ(f.t.sound.beeps, 60);
    EXPECT_TRUE(f.window.titleFlashed() || f.window.windowTitle() == "Tavrik");
    static_cast<QToolButton*>(f.window.alarmIndicator(1))->click();
    f.runAlarmsMs(6000);
    EXPECT_FALSE(f.window.alarmIndicator(0)->isVisibleTo(f.window.alarmIndicator(0)->parentWidget()));
    EXPECT_FALSE(f.app().alarms.anySignalling());
    EXPECT_EQ(f.window.windowTitle(), "Tavrik");
  }
}

// Start-up reads the proximity waypoints from the database file; with no chart at
// all the main window's one-second cycle raises the alarm.
TEST(ZoneAlarmIndicators, WatchesTheDatabaseAreasWithoutAChart) {
  Frame f;
  ASSERT_TRUE(f.app().openDatabase({}));
  ASSERT_TRUE(f.app().db.execute("INSERT INTO Waypoints (description, latitude, longitude, proximity, Datum) "
                                 "VALUES ('Ouchy buoy', 46.4984, 6.6666, 0.1, 0)").ok());
  f.app().loadSystemSettings();
  ASSERT_EQ(f.app().zoneAlarm.areas().waypoints.size(), 1u);
  f.app().nav.Latitude = 46.49837f;
  f.app().nav.Longitude = 6.66655f;
  f.app().nav.FixTime = QTime(17, 6, 31);
  ASSERT_TRUE(QMetaObject::invokeMethod(f.window.timer("Timer1"), "timeout", Qt::DirectConnection));
  f.runAlarmsMs(100);
  EXPECT_TRUE(f.window.alarmIndicator(0)->isVisibleTo(f.window.alarmIndicator(0)->parentWidget()));
}

TEST(AnchorWatchWindow, NoRangeThenAlarmOutsideTheCircle) {
  Frame f;
  f.app().nav.Latitude = 46.4f;
  f.app().nav.Longitude = 6.5f;
  auto* w = qobject_cast<AnchorWatchWindow*>(f.window.openWindow("gpswatch"));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->rangeBox()->text(), "0.070");
  w->rangeBox()->setText("0");
  w->okButton()->click();
  EXPECT_EQ(f.t.prompter.lastText(), MessageText(Msg::NoRange));
  EXPECT_TRUE(w->okButton()->isEnabled());
  w->rangeBox()->setText("0.05");
  w->okButton()->click();
  EXPECT_FALSE(w->okButton()->isEnabled());
  EXPECT_FALSE(w->rangeBox()->isEnabled());
  EXPECT_EQ(w->distanceText(), "0.00 Nm");
  f.app().nav.Latitude = static_cast<float>(46.4 + 0.06 / 60);
  w->tick();
  EXPECT_EQ(w->distanceText(), "0.06 Nm");
  EXPECT_EQ(w->bearingText(), "180.0° T");
  EXPECT_TRUE(f.app().alarms.isSignalling("gpswatch"));
  EXPECT_EQ(f.t.sound.played, std::vector<QString>{f.app().paths.file("ANCHOR.WAV")});
  // Closing the window ends the watch and its alarm.
  w->parentWidget()->close();
  f.runAlarmsMs(1000);
  EXPECT_FALSE(f.window.findWindow("gpswatch"));
  EXPECT_FALSE(f.app().alarms.anySignalling());
  EXPECT_EQ(f.app().settings.AnchorWatch, "0.050");
}

TEST(MobWindow, MenuMarksThePositionAndClosingClearsIt) {
  Frame f;
  f.app().nav.Latitude = 46.4f;
  f.app().nav.Longitude = 6.5f;
  QAction* mob = f.window.menuBar()->findChild<QAction*>("m_mob");
  ASSERT_TRUE(mob);
  mob->trigger();
  auto* w = qobject_cast<MobWindow*>(f.window.findWindow("gpsmob"));
  ASSERT_TRUE(w);
  EXPECT_EQ(f.app().mob.MobLat, 46.4f);
  EXPECT_TRUE(f.app().requests.redrawGotoLine);
  f.app().nav.Latitude = static_cast<float>(46.4 + 0.3 / 60);
  f.app().nav.Longitude = 6.51f;  // the MOB mark stays where it was set
  mob->trigger();
  EXPECT_EQ(f.app().mob.MobLon, 6.5f);
  w->tick();
  EXPECT_EQ(w->reading().distanceText, "0.5 Nm");
  w->parentWidget()->close();
  EXPECT_FALSE(f.app().mob.active());
}

TEST(SoundWindow, StoresTheSettings) {
  Frame f;
  auto* w = qobject_cast<SoundWindow*>(f.window.openWindow("gpssound"));
  ASSERT_TRUE(w);
  w->enabledBox()->setChecked(false);
  w->setChosenFile(2, f.app().paths.file("HORN"));
  w->setChosenFile(4, "/media/usb/bell.wav");
  w->fileBox(3)->setText("");
  w->accept();
  const AppSettings& s = f.app().settings;
  EXPECT_FALSE(s.SoundEnabled);
  EXPECT_EQ(s.SoundWelcome, "WELCOME.WAV");
  EXPECT_EQ(s.SoundAnchor, "HORN.WAV");
  EXPECT_EQ(s.SoundApproach, "");
  EXPECT_EQ(s.SoundProximity, "/media/usb/bell.wav");
}

}  // namespace
}  // namespace tavrik
