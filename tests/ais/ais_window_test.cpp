// The AIS target list driven through the program: sentences enter the receive path,
// the one-second timer works out CPA and sounds the alarm, the list shows the
// targets nearest first and keeps the limits the user sets.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ais/ais_encoder.h"
#include "ais/ui/ais_window.h"
#include "core/ui/main_window.h"
#include "ui_test_app.h"

namespace tavrik::test {
namespace {

TEST(AisWindow, ListsTargetsNearestFirstSoundsTheAlarmAndKeepsTheLimits) {
  TestApp t;
  App& app = *t;
  MainWindow window(app);
  installAis(app, window);
  registerAisWindows(app);
  app.nav.DataReceived = true;
  app.nav.Latitude = 52.0f, app.nav.Longitude = 4.0f;
  app.nav.SpeedOverGround = 6, app.nav.CourseOverGround = 0;
  for (const std::string& s : staticReport(244000001, "WAVE RIDER", "PD1234")) app.receiver.dispatch(s);
  app.receiver.dispatch(positionReport(1, 244000001, 52.0 + 2.0 / 60, 4.0, 6, 180));  // 2 nm ahead, head-on
  app.receiver.dispatch(positionReport(18, 244000002, 52.0, 4.02, 0, 0));   // 0.74 nm abeam, stopped
  app.receiver.dispatch("!AIVDM,1,1,,A,garbage,0*00");

  ASSERT_EQ(app.ais.targets.size(), 2u);
  auto* timer = window.findChild<QTimer*>(QStringLiteral("aistimer"));
  ASSERT_TRUE(timer);
  timer->setInterval(10);
  ASSERT_TRUE(QTest::qWaitFor([&] { return app.alarms.isSignalling(QStringLiteral("gpsais")); }, 5000))
      << "the head-on target's CPA of 0 nm in 10 min is inside the default limits";

  // The alarm brings the list up.
  auto* list = qobject_cast<AisTargetWindow*>(window.findWindow(QStringLiteral("gpsais")));
  ASSERT_TRUE(list);
  list->refresh();
  auto* table = list->findChild<QTableWidget*>(QStringLiteral("targets"));
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("244000002")) << "nearest first";
  EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("WAVE RIDER"));
  EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("PD1234"));
  EXPECT_EQ(table->item(1, 4)->text(), QStringLiteral("120 x 15"));
  EXPECT_NEAR(table->item(1, 5)->text().toDouble(), 2.0, 0.01);
  EXPECT_EQ(table->item(1, 10)->text(), QStringLiteral("0.00"));
  EXPECT_NEAR(table->item(1, 11)->text().toDouble(), 10.0, 0.1);
  EXPECT_EQ(table->item(1, 0)->foreground().color(), QColor(200, 0, 0)) << "the dangerous target in red";
  EXPECT_NE(table->item(0, 0)->foreground().color(), QColor(200, 0, 0));

  // A time limit shorter than the meeting's: the alarm stops, the limit is kept for
  // the next start.
  list->findChild<QDoubleSpinBox*>(QStringLiteral("tcpalimit"))->setValue(8);
  list->findChild<QPushButton*>(QStringLiteral("acknowledge"))->click();
  EXPECT_EQ(readAisLimits(app).tcpaMinutes, 8.0);
  QTest::qWait(100);
  list->refresh();
  EXPECT_EQ(table->item(0, 0)->foreground().color(), table->item(1, 0)->foreground().color()) << "no longer dangerous";
  EXPECT_FALSE(app.alarms.isSignalling(QStringLiteral("gpsais")));
}

}  // namespace
}  // namespace tavrik::test
