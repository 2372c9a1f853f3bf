#include "nmea/ui/simulation_window.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
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

}  // namespace
}  // namespace tavrik
