// The `/chart` object on a real session bus (the tests run under dbus-run-session),
// driven by the real clients gdbus, busctl and RhumbSolve's figures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "automation/chart_object.h"
#include "chart_adaptor.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

struct FakeHost final : AutomationHost {
  bool mainVisible() const override { return visible; }
  void setMainVisible(bool v) override { visible = v; }
  QRect mainGeometry() const override { return geometry; }
  void setMainGeometry(const QRect& r) override { geometry = r; }
  int mainWindowState() const override { return state; }
  void setMainWindowState(int s) override { state = s; }
  bool menusVisible() const override { return menus; }
  void setMenusVisible(bool v) override { menus = v; }
  bool statusBarVisible() const override { return status; }
  void setStatusBarVisible(bool v) override { status = v; }
  bool toolBarVisible() const override { return tools; }
  void setToolBarVisible(bool v) override { tools = v; }
  void stayOnTop() override { onTop = true; }
  bool toggleNightScreen() override { return false; }
  bool openWindow(const QString& name) override {
    if (name == "gpscalib" || name == "gpsdelchart" || name == "gpsfolders") return false;
    opened << name;
    return true;
  }
  void closeWindow(const QString& name) override { closed << name; }
  int chartZoomPercent() const override { return zoom; }
  void closeProgram() override { ended = true; }
  bool visible = false, menus = true, status = true, tools = true, onTop = false, ended = false;
  QRect geometry{10, 20, 800, 600};
  int state = 0, zoom = 100;
  QStringList opened, closed;
};

struct Output {
  int code = -1;
  QString out, err;
};

// Runs a client while this process keeps serving the bus.
Output run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  QElapsedTimer t;
  t.start();
  while (p.state() != QProcess::NotRunning && t.elapsed() < 15000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
          QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

Output busctl(QStringList args) {
  return run("busctl", QStringList{"--user"} + args);
}
Output getProperty(const QString& name) {
  return busctl({"get-property", "org.tavrik.Tavrik", "/chart", "org.tavrik.chart", name});
}
// Through gdbus, which names the error of a refused write.
Output setProperty(const QString& name, const QString& type, const QString& value) {
  QString variant;
  if (type == "d") variant = "double " + value;
  else if (type == "n") variant = "int16 " + value;
  else if (type == "b") variant = value;
  else {
    variant = "\"";
    for (const QChar c : value) {
      if (c < QChar(0x20)) variant += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
      else if (c == '"' || c == '\\') variant += QStringLiteral("\\") + c;
      else variant += c;
    }
    variant += "\"";
  }
  return run("gdbus", {"call", "--session", "--dest", "org.tavrik.Tavrik", "--object-path", "/chart", "--method",
                       "org.freedesktop.DBus.Properties.Set", "org.tavrik.chart", name, "<" + variant + ">"});
}
Output call(const QString& method, QStringList args = {}) {
  return run("gdbus", QStringList{"call", "--session", "--dest", "org.tavrik.Tavrik", "--object-path", "/chart",
                                  "--method", "org.tavrik.chart." + method} + args);
}

// "property Visible b readwrite", "method GotoWaypoint i", "signal ChartClick ddddi", in order.
QStringList members(const QString& xml) {
  QStringList list;
  QXmlStreamReader r(xml);
  bool inside = false;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement() && r.name() == u"interface") inside = r.attributes().value("name") == u"org.tavrik.chart";
    if (r.isEndElement() && r.name() == u"interface") inside = false;
    if (!inside || !r.isStartElement()) continue;
    const auto a = r.attributes();
    if (r.name() == u"property")
      list << "property " + a.value("name").toString() + " " + a.value("type").toString() + " " + a.value("access").toString();
    else if (r.name() == u"method" || r.name() == u"signal")
      list << r.name().toString() + " " + a.value("name").toString() + " ";
    else if (r.name() == u"arg" && !list.isEmpty())
      list.last() += a.value("type").toString();
  }
  return list;
}

class AutomationBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) << "run under dbus-run-session";
    ASSERT_TRUE(t.app->openDatabase([](const QString&) { return QString(); }));
    object = std::make_unique<ChartObject>(*t.app, host);
    new ChartAdaptor(object.get());
    QString why;
    ASSERT_TRUE(object->registerOn(QDBusConnection::sessionBus(), &why)) << why.toStdString();
  }
  void TearDown() override {
    QDBusConnection::sessionBus().unregisterService("org.tavrik.Tavrik");
    QDBusConnection::sessionBus().unregisterObject("/chart");
  }
  test::TestApp t;
  App& app() { return *t.app; }
  FakeHost host;
  std::unique_ptr<ChartObject> object;
};

TEST_F(AutomationBus, IntrospectionIsTheInterfaceFile) {
  QFile f(TAVRIK_SOURCE_DIR "/src/automation/org.tavrik.chart.xml");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList defined = members(QString::fromUtf8(f.readAll()));
  ASSERT_EQ(defined.size(), 69);
  const Output o = run("gdbus", {"introspect", "--session", "--dest", "org.tavrik.Tavrik", "--object-path", "/chart", "--xml"});
  ASSERT_EQ(o.code, 0) << o.err.toStdString();
  EXPECT_EQ(members(o.out), defined);
}

// Property reads and writes as a client sees them, the refusals with their error
// names, and the effects on the App's state.
TEST_F(AutomationBus, MembersReadWriteAndRefuse) {
  app().db.execute("INSERT INTO Routes (description) VALUES ('Skipper''s Run')");
  const int route = app().db.scalar("SELECT route FROM Routes WHERE description = 'Skipper''s Run'").toInt();
  const struct {
    const char* legend;
    QStringList set;      // busctl set-property NAME TYPE VALUE, or gdbus call METHOD ARGS (first "call")
    const char* get;      // property read afterwards
    const char* expect;   // its busctl text, or the error name of the set
  } rows[] = {
      {"latitude widened from single precision", {"latitude", "d", "52.5"}, "latitude", "d 52.5"},
      {"latitude out of range", {"latitude", "d", "91"}, nullptr, "org.tavrik.Error.InvalidArgument"},
      {"Password is written, never read", {"Password", "s", "secret"}, "Password", "s \"\""},
      {"User", {"User", "s", "skipper"}, "User", "s \"skipper\""},
      {"zoom request", {"zoom", "n", "200"}, "zoom", "n 100"},
      {"zoom out of range", {"zoom", "n", "0"}, nullptr, "org.tavrik.Error.InvalidArgument"},
      {"WindowState", {"WindowState", "n", "2"}, "WindowState", "n 2"},
      {"Width keeps Left", {"Width", "d", "1024"}, "Left", "d 10"},
      {"Menu", {"Menu", "b", "false"}, "Menu", "b false"},
      {"empty chart changes nothing", {"chart", "s", ""}, "chart", "s \"\""},
      {"unknown chart changes nothing", {"chart", "s", "Nowhere' OR '1'='1"}, "chart", "s \"\""},
      {"route by its quoted name (written only)", {"route", "s", "Skipper's Run"}, "zoom", "n 100"},
      {"nmea longer than a sentence", {"nmea", "s", QString(1001, 'A')}, nullptr, "org.tavrik.Error.InvalidArgument"},
      {"nmea with a control character", {"nmea", "s", "$GPGLL\x1b[2J"}, nullptr, "org.tavrik.Error.InvalidArgument"},
      {"window this build lacks", {"call", "Calibrate"}, nullptr, "org.tavrik.Error.NotAvailable"},
      {"GotoWaypoint 0 with the route selected restarts it", {"call", "GotoWaypoint", "0"}, "GotoWP", "i 0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    const Output set = row.set[0] == "call" ? call(row.set[1], row.set.mid(2)) : setProperty(row.set[0], row.set[1], row.set[2]);
    if (!row.get) {
      EXPECT_NE(set.code, 0);
      EXPECT_TRUE(set.err.contains(row.expect) || set.out.contains(row.expect)) << set.err.toStdString();
      continue;
    }
    EXPECT_EQ(set.code, 0) << set.err.toStdString();
    const Output got = getProperty(row.get);
    EXPECT_EQ(got.out, row.expect) << got.err.toStdString();
  }
  EXPECT_EQ(app().options.loginPassword, "secret");
  EXPECT_FLOAT_EQ(app().nav.Latitude, 52.5f);
  EXPECT_EQ(app().requests.zoomRequest, 200);
  EXPECT_EQ(host.geometry, QRect(10, 20, 1024, 600));
  EXPECT_FALSE(host.menus);
  EXPECT_FALSE(app().requests.chartChanged);
  EXPECT_EQ(app().steering.selectedRoute, route);
  EXPECT_TRUE(app().selections.routeWaypoints.contains(QStringLiteral("[Route points].Route = %1 ").arg(route)));
  EXPECT_EQ(app().receiver.bufferLength(0), 0u);
  EXPECT_EQ(host.closed, QStringList{"gpsgoto"});
  EXPECT_EQ(host.opened, QStringList{"gpsgoto"});
  // A lookup the database cannot answer is the client's named error, not a crash.
  ASSERT_TRUE(app().db.execute("DROP TABLE Folders").ok());
  const Output failed = setProperty("folder", "s", "Gulf");
  EXPECT_NE(failed.code, 0);
  EXPECT_TRUE(failed.err.contains("org.tavrik.Error.Database")) << failed.err.toStdString();
}

// Group and type lists are split and each item quoted: the query runs, names with
// quotes included, and no item can end the list early.
TEST_F(AutomationBus, DisplayWaypointsQuotesEveryItem) {
  ASSERT_EQ(setProperty("WPGroup", "s", "Harbours, Skipper's,  ").code, 0);
  ASSERT_EQ(setProperty("WPType", "s", "x') OR 1=1 --").code, 0);
  ASSERT_EQ(call("DisplayWaypoints").code, 0);
  const QString q = app().selections.displayedWaypoints;
  EXPECT_TRUE(q.contains("[Waypoint groups].Description IN ('Harbours', 'Skipper''s')")) << q.toStdString();
  EXPECT_TRUE(q.contains("[Waypoint types].Description IN ('x'') OR 1=1 --')")) << q.toStdString();
  StoreResult r;
  app().db.openRecordset(q, &r);
  EXPECT_TRUE(r.ok()) << r.detail.toStdString();
  EXPECT_TRUE(app().requests.redrawOverlays);
}

// Sentences go into the receive buffer with CR LF while it holds fewer than 65500
// characters and the input type is (or becomes) "OLE"; otherwise they are dropped.
TEST_F(AutomationBus, NmeaFillsTheBufferUpToItsLimit) {
  const QString rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
  const struct {
    const char* legend;
    QString source;
    size_t buffered;  // characters put in before the call
    bool appended;
  } rows[] = {{"idle program becomes OLE", "", 0, true},
              {"below the limit", "OLE", 65499, true},
              {"at the limit", "OLE", 65500, false},
              {"while the simulator runs", "Simul", 0, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    app().receiver.beginSession();
    app().panels[Panel::InputSource] = row.source;
    app().receiver.inject(0, std::string(row.buffered, 'x'));
    ASSERT_EQ(setProperty("nmea", "s", rmc).code, 0);
    const QByteArray after = app().receiver.receiveBuffer(0);
    EXPECT_EQ(after.endsWith((rmc + "\r\n").toLatin1()), row.appended);
    EXPECT_EQ(static_cast<size_t>(after.size()), row.buffered + (row.appended ? rmc.size() + 2 : 0));
    EXPECT_EQ(app().panels.inputSource(), row.source.isEmpty() ? "OLE" : row.source);
  }
}

// GotoWaypoint to a stored waypoint: the go-to's bearing and distance as a client
// reads them, against GeographicLib's rhumb line on the WGS-84 ellipsoid.
TEST_F(AutomationBus, GotoWaypointValuesMatchRhumbSolve) {
  ASSERT_TRUE(app().db.execute("INSERT INTO Waypoints (description, latitude, longitude, proximity, datum) "
                               "VALUES ('Fairway', 46.32, 6.21, 0, 0)").ok());
  const int number = app().db.scalar("SELECT Waypoint FROM Waypoints WHERE description = 'Fairway'").toInt();
  app().nav.Latitude = 46.45f;
  app().nav.Longitude = 6.62f;
  ASSERT_EQ(call("GotoWaypoint", {QString::number(number)}).code, 0);
  EXPECT_DOUBLE_EQ(app().requests.gotoLatitude, 46.32);
  // What the go-to window does when the main cycle reopens it on the request.
  app().steering.go.open({}, false);
  app().steering.go.tick();
  QProcess rhumb;
  rhumb.start("RhumbSolve", {"-i"});
  rhumb.write(QStringLiteral("%1 %2 46.32 6.21\n").arg(double(app().nav.Latitude), 0, 'f', 7).arg(double(app().nav.Longitude), 0, 'f', 7).toLatin1());
  rhumb.closeWriteChannel();
  ASSERT_TRUE(rhumb.waitForFinished(10000));
  const QStringList oracle = QString::fromLatin1(rhumb.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
  ASSERT_GE(oracle.size(), 2);
  const double azimuth = std::fmod(oracle[0].toDouble() + 360, 360), distanceNm = oracle[1].toDouble() / 1852;
  const double bearing = getProperty("GotoBearingT").out.mid(2).toDouble();
  const double distance = getProperty("GotoDistance").out.mid(2).toDouble();
  // The program's sphere of minutes against the ellipsoid: within 0.3 degree and 0.5 %.
  EXPECT_NEAR(bearing, azimuth, 0.3);
  EXPECT_NEAR(distance, distanceNm, distanceNm * 0.005);
  EXPECT_EQ(getProperty("GotoSteer").out.size(), 5);  // s "L", "R" or " "
}

// A chart click raises ChartClick once with the click's values; the navigation values
// are reported by PropertiesChanged at most once a second.
TEST_F(AutomationBus, ChartClickAndPropertiesChangedOnTheBus) {
  QProcess monitor;
  monitor.start("gdbus", {"monitor", "--session", "--dest", "org.tavrik.Tavrik", "--object-path", "/chart"});
  ASSERT_TRUE(monitor.waitForStarted());
  QString seen;
  auto pump = [&](int ms) {
    QElapsedTimer e;
    e.start();
    while (e.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      monitor.waitForReadyRead(10);
      seen += QString::fromUtf8(monitor.readAllStandardOutput());
    }
  };
  pump(400);  // the monitor subscribes
  object->tick();  // first report: every value
  AutomationValues& a = app().automation;
  a.ClickX = 120.5;
  a.ClickY = 80;
  a.ClickLat = 52.25;
  a.ClickLon = -4.5;
  a.ClickWP = 7;
  a.clickPending = true;
  app().nav.Latitude = 53;
  t.clock.advanceMs(500);
  object->tick();  // click now, the new latitude not yet
  t.clock.advanceMs(500);
  object->tick();  // a second after the last report
  object->tick();
  pump(600);
  monitor.kill();
  monitor.waitForFinished();
  EXPECT_EQ(seen.count("ChartClick"), 1) << seen.toStdString();
  EXPECT_TRUE(seen.contains("(120.5, 80.0, 52.25, -4.5, 7)")) << seen.toStdString();
  EXPECT_FALSE(a.clickPending);
  EXPECT_EQ(seen.count("PropertiesChanged"), 2) << seen.toStdString();
  EXPECT_TRUE(seen.contains("'latitude': <53.0>")) << seen.toStdString();
}

}  // namespace
}  // namespace tavrik
