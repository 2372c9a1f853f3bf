#include "nmea/ui/simulation_window.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nmea/ui/communication_menu.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

TEST(SimulationWindow, OkSailsTheVesselIntoThePanelsAndCancelAsksFirst) {
  test::TestApp t;
  App& app = *t;
  registerNmeaWindows(app);
  MainWindow main(app);
  new CommunicationMenu(app, main);
  auto* w = qobject_cast<SimulationWindow*>(main.openWindow(QStringLiteral("gpssimul")));
  ASSERT_TRUE(w);
  w->findChild<QDoubleSpinBox*>(QStringLiteral("latitude"))->setValue(52.0);
  w->findChild<QDoubleSpinBox*>(QStringLiteral("longitude"))->setValue(4.0);
  w->findChild<QDoubleSpinBox*>(QStringLiteral("course"))->setValue(90);
  w->findChild<QDoubleSpinBox*>(QStringLiteral("speed"))->setValue(6);
  EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("speedunit"))->text(), QStringLiteral("Kts"));
  w->accept();
  EXPECT_TRUE(app.simulator.isRunning());
  EXPECT_TRUE(main.timer(QStringLiteral("rectimer"))->isActive()) << "the receive cycle parses what it writes";
  // One minute of sailing, the receive cycle after each second.
  for (int i = 0; i < 60; ++i) {
    t.clock.advanceSecs(1);
    w->tick();
    app.receiver.tick();
  }
  EXPECT_EQ(app.panels.inputSource(), QStringLiteral("Simul"));
  EXPECT_EQ(app.panels[Panel::Speed], QStringLiteral("6.0 Kts"));
  EXPECT_EQ(app.panels[Panel::Course], QStringLiteral("90.0° T"));
  // 6 kn east for 61 s at 52° N: 0.1017 Nm of departure, 0.1017 / cos 52° minutes of
  // longitude; the RMC position carries the Decimals setting's 3 decimals of minutes.
  EXPECT_NEAR(app.nav.Latitude, 52.0, 1e-4);
  EXPECT_NEAR((app.nav.Longitude - 4.0) * 60, 61.0 / 3600 * 6 / std::cos(52 * M_PI / 180), 2e-3);

  // Cancel asks; No keeps sailing.
  t.prompter.answer(false);
  EXPECT_FALSE(w->cancel());
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::CancelSimulation));
  EXPECT_TRUE(app.simulator.isRunning());
  // Closing the window is a cancel too; Yes stops and the window goes.
  t.prompter.answer(true);
  qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(app.simulator.isRunning());
  EXPECT_FALSE(app.receiver.isRunning());
  EXPECT_FALSE(main.findWindow(QStringLiteral("gpssimul")));
}

// A position is typed digit by digit: the field keeps what is typed, while the vessel
// sails too, and the simulator takes it on Enter.
TEST(SimulationWindow, PositionFieldsKeepWhatIsTyped) {
  for (const bool sailing : {false, true}) {
    SCOPED_TRACE(sailing ? "sailing" : "before OK");
    test::TestApp t;
    App& app = *t;
    SimulationWindow w(app);
    w.show();
    auto* lat = w.findChild<QDoubleSpinBox*>(QStringLiteral("latitude"));
    if (sailing) {
      w.findChild<QDoubleSpinBox*>(QStringLiteral("speed"))->setValue(20);
      w.accept();
    }
    lat->setFocus();
    lat->selectAll();
    for (const QChar c : QStringLiteral("-89.44")) {
      QTest::keyClick(lat, c.toLatin1());
      w.tick();
    }
    EXPECT_EQ(lat->text(), QStringLiteral("-89.44"));
    if (sailing) {
      EXPECT_GE(app.simulator.state.latitude, 0) << "not steered to the half-typed -8";
    }
    QTest::keyClick(lat, Qt::Key_Return);
    EXPECT_NEAR(w.fieldState().latitude, -89.44, 1e-4);
    if (sailing) {
      EXPECT_NEAR(app.simulator.state.latitude, -89.44, 1e-4);
    }
  }
}

// --simulate and the window start on the chart shown when the last position is off it.
TEST(SimulationWindow, StartsOnTheChartShownWhenTheLastPositionIsOffIt) {
  test::TestApp t;
  App& app = *t;
  app.nav.Latitude = 10;
  app.nav.Longitude = 20;
  double askedLat = 0;
  app.simulationStartOnChart = [&](double lat, double) {
    askedLat = lat;
    return std::optional<SimulationStart>(SimulationStart{30.5, -88.25, 135});
  };
  SimulationWindow w(app);
  EXPECT_EQ(askedLat, 10);
  EXPECT_NEAR(w.fieldState().latitude, 30.5, 1e-5);
  EXPECT_NEAR(w.fieldState().trueCourse, 135, 1e-5);
  w.startDemo();
  EXPECT_NEAR(app.simulator.state.longitude, -88.25, 1e-4);
  EXPECT_NEAR(app.simulator.state.trueCourse, 135, 1e-4);
}

}  // namespace
}  // namespace tavrik
