// The go-to window in the main window: opened by the chart's request through the main
// cycle, its readout, a waypoint that is not approachable, and the sentences on a real
// serial line (a pseudo-terminal pair) only while the port is open.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nav/ui/goto_window.h"
#include "nav/ui/route_window.h"
#include "nmea/nmea_checksum.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

struct Pty {
  int master = -1, slave = -1;
  QString name;
  Pty() {
    char buf[128];
    if (openpty(&master, &slave, buf, nullptr, nullptr) == 0) name = QString::fromLatin1(buf);
  }
  ~Pty() {
    if (master >= 0) ::close(master);
    if (slave >= 0) ::close(slave);
  }
  QByteArray drain() const {
    QByteArray out;
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
      char buf[4096];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<qsizetype>(n));
    }
    return out;
  }
};

struct Rig {
  Rig() {
    App& app = *t;
    app.openDatabase([](const QString&) { return QString(); });
    app.db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude, approachable) VALUES "
                                  "('Ams-Haven', 52.4, 4.875, -1), ('Reef', 52.3, 4.5, 0)"));
    window = std::make_unique<MainWindow>(app);
    installSteering(app, *window);
    window->show();
  }
  GotoWindow* gotoWindow() const { return qobject_cast<GotoWindow*>(window->findWindow(QStringLiteral("gpsgoto"))); }
  QString text(const char* label) const { return gotoWindow()->findChild<QLabel*>(QLatin1String(label))->text(); }
  test::TestApp t;
  std::unique_ptr<MainWindow> window;
};

TEST(GotoWindow, ChartRequestOpensAndStartsThenSentencesReachTheOpenPort) {
  Rig r;
  App& app = *r.t;
  Pty pty;
  ASSERT_FALSE(pty.name.isEmpty());
  app.settings.Comm[0].Port = pty.name;
  app.settings.NMEAOutput = QStringLiteral("1");
  app.settings.GotoAutoPilot = true;  // autopilot port 0: the same port, so RMB once
  app.receiver.applySettings();
  app.receiver.StartCommunication();
  ASSERT_TRUE(r.t.prompter.empty()) << r.t.prompter.lastText().toStdString();

  app.nav.Latitude = 52.0f;
  app.nav.Longitude = 4.875f;
  app.nav.SpeedOverGround = 6;
  app.requests.gotoLatitude = 52.5;  // "&Go to mouse position"
  app.requests.gotoLongitude = 4.875;
  app.cycle.tick();
  GotoWindow* w = r.gotoWindow();
  ASSERT_TRUE(w);
  EXPECT_TRUE(app.steering.go.running());
  EXPECT_FALSE(w->findChild<QComboBox*>(QStringLiteral("wplist"))->isEnabled());
  EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("ok"))->isHidden());

  w->tick();
  EXPECT_EQ(r.text("bearing"), QStringLiteral("0.0° T"));
  EXPECT_EQ(r.text("distance"), QLatin1String("30.0 Nm"));
  EXPECT_EQ(r.text("ete"), QLatin1String("5:00 h"));
  QByteArray wire;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (wire += pty.drain()).count('\n') >= 3; }, 5000)) << wire.constData();
  const QList<QByteArray> lines = wire.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3) << wire.constData();
  EXPECT_TRUE(lines[0].startsWith("$GPRMB,A,0.0,R,,CHART,5230.000,N,00452.500,E,30.0,0.0,6.0,V,A,*"));
  EXPECT_TRUE(lines[1].startsWith("$GPXTE,A,A,0.0,R,N,A*"));
  EXPECT_TRUE(lines[2].startsWith("$GPAPB,A,A,0.0,R,N,,,"));
  for (const QByteArray& l : lines) EXPECT_EQ(checkLine(l.trimmed().toStdString()), ChecksumStatus::Good) << l.constData();
  // Our own receive path reads the RMB back.
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  RecordingPrompter prompter;
  NmeaReceiver readBack(nav, panels, settings, prompter);
  readBack.beginSession();
  readBack.inject(0, wire.toStdString());
  readBack.tick();
  EXPECT_EQ(nav.received(Sentence::RMB), 1u);
  EXPECT_EQ(nav.errors(Sentence::RMB), 0u);

  // A port closed under a running go-to gets nothing, and nothing complains.
  app.receiver.StopCommunication();
  w->tick();
  QTest::qWait(50);
  EXPECT_TRUE(pty.drain().isEmpty());
  EXPECT_TRUE(r.t.prompter.empty());

  // Closing ends the go-to; the chart's line goes with it.
  qobject_cast<QMdiSubWindow*>(w->parentWidget())->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(app.steering.go.running());
  EXPECT_TRUE(app.requests.redrawGotoLine);
  EXPECT_EQ(app.steering.go.state().Distance, 0);
}

TEST(GotoWindow, ListRefusesAWaypointThatIsNotApproachable) {
  Rig r;
  QMenu* menu = r.window->menu(QStringLiteral("m_nav"));
  ASSERT_TRUE(menu);
  menu->findChild<QAction*>(QStringLiteral("n_goto"))->trigger();
  GotoWindow* w = r.gotoWindow();
  ASSERT_TRUE(w);
  EXPECT_FALSE((*r.t).steering.go.running()) << "no route: the user picks";
  auto* list = w->findChild<QComboBox*>(QStringLiteral("wplist"));
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(1), QLatin1String("Reef"));
  emit list->activated(1);
  EXPECT_EQ(r.t.prompter.lastText(), MessageText(Msg::WaypointNotApproachable));
  EXPECT_EQ(list->currentIndex(), 0);
  w->findChild<QPushButton*>(QStringLiteral("ok"))->click();
  EXPECT_TRUE((*r.t).steering.go.running());
  EXPECT_EQ((*r.t).steering.go.state().TargetLat, 52.4f);
}

}  // namespace
}  // namespace tavrik

namespace tavrik {
namespace {

TEST(RouteWindow, BuildsARouteShowsItsLengthAndFollowsIt) {
  Rig r;
  App& app = *r.t;
  app.windows.open = [&](const QString& name) { return r.window->openWindow(name); };
  app.db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude, approachable) VALUES "
                                "('Buoy', 52.5, 4.875, -1)"));
  app.db.execute(QStringLiteral("INSERT INTO Routes (description) VALUES ('Home')"));
  r.window->findChild<QAction*>(QStringLiteral("n_route"))->trigger();
  auto* w = qobject_cast<RouteWindow*>(r.window->findWindow(QStringLiteral("gpsrout")));
  ASSERT_TRUE(w);
  ASSERT_NE(w->route(), 0);
  w->addWaypoint(1);  // Ams-Haven 52.4 N
  w->addWaypoint(3);  // Buoy 52.5 N: 6 Nm north
  EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QLatin1String("6.0 Nm"));
  w->follow();
  EXPECT_TRUE(app.steering.go.running());
  EXPECT_TRUE(app.steering.go.routeSelected());
  EXPECT_EQ(app.steering.go.state().TargetLat, 52.4f);
  r.gotoWindow()->findChild<QPushButton*>(QStringLiteral("cnext"))->click();
  EXPECT_EQ(app.steering.go.state().TargetLat, 52.5f);
}

}  // namespace
}  // namespace tavrik
