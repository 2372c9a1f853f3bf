// The go-to tick: bearings, distances and cross-track errors against GeographicLib's
// rhumb line on the program's sphere, the readout, the route, the alarm and the
// sentences on the ports.

#include <gtest/gtest.h>

#include <GeographicLib/Rhumb.hpp>
#include <cmath>
#include <map>
#include <set>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/messages.h"
#include "core/navigation_state.h"
#include "core/request_flags.h"
#include "nav/goto_controller.h"
#include "nav/route_points.h"

using namespace tavrik;

namespace {

// The program's sphere: one nautical mile is one minute of arc.
constexpr double kNmMetres = 1852.0;
const GeographicLib::Rhumb kSphere(10800.0 / M_PI * kNmMetres, 0.0);

struct CountingAlarm final : ArrivalAlarmSink {
  int raised = 0, stopped = 0;
  void raise() override { ++raised; }
  void stop() override { ++stopped; }
};

struct RecordingPorts final : SentencePorts {
  std::map<int, QByteArray> written;
  std::set<int> closed;
  bool isOpen(int port) const override { return !closed.count(port); }
  void write(int port, const QByteArray& line) override { written[port] += line; }
};

struct Rig {
  NavigationState nav;
  AppSettings settings;
  RequestFlags requests;
  FakeClock clock;
  CountingAlarm alarm;
  GotoController go{nav, settings, requests, clock};
  Rig() { go.alarmSink = &alarm; }
  void at(double lat, double lon, float cog = 0, float sog = 0) {
    nav.Latitude = static_cast<float>(lat);
    nav.Longitude = static_cast<float>(lon);
    nav.CourseOverGround = cog;
    nav.SpeedOverGround = sog;
  }
  void goTo(double lat, double lon) {
    go.open({}, false);
    go.setEntryPosition(lat, lon);
    go.start();
    go.tick();
  }
  QString lamps() const {
    QString s;
    for (int k = 0; k < 10; ++k)
      if (go.readout().lamps[k]) s += QString::number(k);
    return s;
  }
};

// A position `along` nautical miles down the rhumb line from the start, then `right`
// nautical miles square to its right (negative: left).
std::pair<double, double> offTrack(double lat1, double lon1, double course, double along, double right) {
  double lat, lon, lat2, lon2;
  kSphere.Direct(lat1, lon1, course, along * kNmMetres, lat, lon);
  kSphere.Direct(lat, lon, course + (right >= 0 ? 90 : -90), std::fabs(right) * kNmMetres, lat2, lon2);
  return {lat2, lon2};
}

std::vector<GotoTarget> route3() {
  return {{11, "Ams-Haven", 50.0, 0.0, true}, {12, "Buoy B", 50.0, 0.01, true}, {13, "Cape C", 50.1, 0.01, true}};
}

}  // namespace

TEST(GotoController, BearingDistanceAndCrossTrackAgreeWithGeographicLib) {
  struct Row {
    const char* legend;
    double lat1, lon1, lat2, lon2;
  };
  const Row rows[] = {
      {"North Sea, south-west", 53.5, 4.5, 52.1, 2.9},
      {"Baltic, north-east", 60.07, 19.67, 60.5, 21.2},
      {"southern and western", -33.9, -18.4, -34.5, -19.9},
      {"across the equator", 0.4, -30.2, -0.6, -29.1},
      {"due north", 10, 20, 11, 20},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Rig rig;
    rig.at(r.lat1, r.lon1);
    rig.goTo(r.lat2, r.lon2);
    double s12, azi;
    kSphere.Inverse(float(r.lat1), float(r.lon1), float(r.lat2), float(r.lon2), s12, azi);
    // Single-precision positions and trigonometry rounded to five decimals: a few
    // hundredths of a degree and a few thousandths of the distance.
    EXPECT_NEAR(rig.go.state().BearingT, std::fmod(azi + 360, 360), 0.05);
    EXPECT_NEAR(rig.go.state().Distance, s12 / kNmMetres, 2e-3 * s12 / kNmMetres + 1e-3);
    for (double right : {0.3, -0.3, 1.0}) {
      const auto [lat, lon] = offTrack(r.lat1, r.lon1, azi, 10, right);
      rig.at(lat, lon);
      rig.go.tick();
      EXPECT_NEAR(rig.go.state().XTE, right, 0.01) << right;
      EXPECT_EQ(rig.go.state().StartLat, float(r.lat1)) << "the track line keeps its start";
    }
  }
}

TEST(GotoController, ReadoutOfSpeedSteeringAndLamps) {
  // Target due east along 50 N; a vessel 0.3 Nm north of the line is left of it.
  struct Row {
    const char* legend;
    double northNm;
    float cog, sog;
    const char* units;
    const char* ete;
    SteerPicture picture;
    const char* steer;
    const char* lamps;
  };
  const Row rows[] = {
      {"speed 0", 0, 80, 0, "Nm", "--:--", SteerPicture::Right, "R", "5"},
      {"moving away", 0, 270, 5, "Nm", "--:--", SteerPicture::Reverse, " ", ""},
      {"left of the line, steering right", 0.3, 80, 5, "Nm", nullptr, SteerPicture::Right, "R", "56"},
      {"right of the line, steering right", -0.3, 80, 5, "Nm", nullptr, SteerPicture::Right, "R", "56"},
      {"steering left", 0.3, 100, 5, "Nm", nullptr, SteerPicture::Left, "L", "34"},
      {"kilometres: 0.56 km lights three", 0.3, 80, 5, "Km", nullptr, SteerPicture::Right, "R", "567"},
      {"far off: all five", 1.0, 80, 5, "Nm", nullptr, SteerPicture::Right, "R", "56789"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Rig rig;
    rig.settings.units = Units::fromSetting(QString::fromLatin1(r.units));
    rig.at(50, 0);
    rig.goTo(50, 1);
    rig.at(50 + r.northNm / 60, 0.2, r.cog, r.sog);
    rig.go.tick();
    const GotoState& s = rig.go.state();
    if (r.ete) {
      EXPECT_EQ(rig.go.readout().ete, QLatin1String(r.ete));
      EXPECT_EQ(s.ETE, -1);
    }
    EXPECT_EQ(rig.go.readout().picture, r.picture);
    EXPECT_EQ(s.Steer, QLatin1String(r.steer));
    EXPECT_EQ(rig.lamps(), QLatin1String(r.lamps));
    EXPECT_NEAR(s.XTE, -r.northNm * rig.settings.units.UnitFactor, 0.01) << "XTE in the user's unit";
    EXPECT_GT(s.Distance, 30.5f) << "GotoDistance stays in nautical miles";
    EXPECT_LT(s.Distance, 31.0f);
  }
}

TEST(GotoController, TimeToGoAndStraightOn) {
  Rig rig;
  rig.at(50, 0);
  rig.goTo(50.5, 0);  // 30 Nm due north
  rig.at(50, 0, 0, 12);
  rig.go.tick();
  EXPECT_EQ(rig.go.readout().ete, QLatin1String("2:30 h"));
  EXPECT_FLOAT_EQ(rig.go.state().ETE, 2.5f);
  EXPECT_EQ(rig.go.readout().picture, SteerPicture::Straight);
  EXPECT_EQ(rig.go.state().Steer, QLatin1String(" "));
  EXPECT_EQ(rig.lamps(), QLatin1String("5")) << "on the line the right-hand first lamp";
  EXPECT_EQ(rig.go.readout().vmg, QLatin1String("12.0 Kts"));
  EXPECT_EQ(rig.go.readout().bearingTrue, QStringLiteral("0.0° T"));
}

TEST(GotoController, AutomaticTurnComesBeforeTheAlarm) {
  Rig rig;
  rig.settings.GotoAutomatic = true;
  rig.settings.GotoTurnDistance = 0.05;
  rig.settings.GotoAlarmDistance = 0.1;  // the alarm radius is the larger one here
  rig.at(50, 0);
  rig.go.open(route3(), true);
  EXPECT_EQ(rig.go.selectedIndex(), 0);
  rig.go.tick();  // at the first point: turns to Buoy B at once
  EXPECT_EQ(rig.go.selectedIndex(), 1);
  EXPECT_EQ(rig.alarm.raised, 0) << "the alarm is judged against the next point";

  rig.at(50, 0.01 - 0.08 / 60 / std::cos(50 * M_PI / 180));  // 0.08 Nm short of B
  rig.go.tick();
  EXPECT_EQ(rig.alarm.raised, 1);
  rig.go.tick();
  EXPECT_EQ(rig.alarm.raised, 1) << "raised once, it lasts";

  rig.at(50, 0.01 - 0.03 / 60 / std::cos(50 * M_PI / 180));  // inside the turn distance
  rig.go.tick();
  EXPECT_EQ(rig.go.selectedIndex(), 2);
  EXPECT_EQ(rig.alarm.stopped, 1);
  EXPECT_FALSE(rig.go.readout().alarmRaised);
  EXPECT_EQ(rig.go.state().WP, 13);
  EXPECT_NEAR(rig.go.state().LineCourse, 0.29, 0.01) << "a new line from here to Cape C";
  EXPECT_NEAR(rig.go.state().XTE, 0, 1e-4);
  EXPECT_GT(rig.go.state().Distance, 5.9f);

  rig.at(50.1, 0.01);  // at the last point: no turn, the alarm comes
  rig.go.tick();
  EXPECT_EQ(rig.go.selectedIndex(), 2);
  EXPECT_EQ(rig.alarm.raised, 2);
}

TEST(GotoController, ListsRequestsAndBadTargets) {
  Rig rig;
  std::vector<GotoTarget> list = route3();
  list[1].approachable = false;
  rig.at(50, 0);
  rig.go.open(list, false);
  EXPECT_FALSE(rig.go.running()) << "without a route the user picks";
  EXPECT_EQ(rig.go.choose(1), Msg::WaypointNotApproachable);
  EXPECT_EQ(MessageText(Msg::WaypointNotApproachable), QLatin1String("Waypoint not approachable"));
  EXPECT_EQ(rig.go.choose(2), 0);
  rig.go.ok();
  EXPECT_EQ(rig.go.okMode(), OkMode::Hidden);
  EXPECT_EQ(rig.go.state().TargetLat, 50.1f);

  // Previous on the first point and Next on the last do nothing; requests are served
  // by the next tick, which then ends.
  Rig route;
  route.go.open(route3(), true);
  route.go.previous();
  EXPECT_EQ(route.go.selectedIndex(), 0);
  route.go.state().nextRequest = true;
  route.go.tick();
  EXPECT_EQ(route.go.selectedIndex(), 1);
  EXPECT_FALSE(route.go.state().nextRequest);
  route.go.state().previousRequest = true;
  route.go.tick();
  EXPECT_EQ(route.go.selectedIndex(), 0);
  route.go.next();
  route.go.next();
  route.go.next();
  EXPECT_EQ(route.go.selectedIndex(), 2);

  // A position from the chart: the list's first entry is not the target.
  Rig chart;
  chart.requests.gotoLatitude = 50.2;
  chart.requests.gotoLongitude = 0.3;
  chart.go.open(route3(), false);
  EXPECT_TRUE(chart.go.running());
  EXPECT_EQ(chart.requests.gotoLatitude, 0);
  chart.go.tick();
  EXPECT_EQ(chart.go.state().WP, 0);

  // Empty lists and a route of one point.
  Rig empty;
  empty.go.open({}, true);
  EXPECT_FALSE(empty.go.running());
  Rig one;
  one.go.open({route3()[0]}, true);
  one.go.next();
  one.go.tick();
  EXPECT_EQ(one.go.selectedIndex(), 0);

  chart.go.close();
  EXPECT_FALSE(chart.go.running());
  EXPECT_EQ(chart.go.state().TargetLat, 0);
  EXPECT_TRUE(chart.go.state().Steer.isEmpty());
}

TEST(GotoController, SentencesReachOnlyOpenPortsInOrder) {
  Rig rig;
  rig.settings.NMEAOutput = QStringLiteral("2");
  rig.settings.Autopilot = QStringLiteral("3");
  rig.settings.GotoAutoPilot = true;
  rig.settings.GotoBWC = rig.settings.GotoVTG = true;
  rig.nav.received(Sentence::VHW) = 1;
  rig.nav.HeadingTrue = 350;
  rig.at(50, 0, 10, 5);
  rig.go.open(route3(), true);
  rig.go.tick();  // at the first point itself: distance 0
  RecordingPorts ports;
  rig.go.flush(ports);
  auto ids = [](const QByteArray& bytes) {
    QStringList out;
    for (const QByteArray& l : bytes.split('\n'))
      if (l.size() > 6) out << QString::fromLatin1(l.mid(3, 3));
    return out.join(',');
  };
  EXPECT_EQ(ids(ports.written[1]), QLatin1String("RMB"));
  EXPECT_EQ(ids(ports.written[2]), QLatin1String("RMB,XTE,BWC,VTG,APB"));
  EXPECT_FALSE(ports.written[2].contains("nan")) << ports.written[2].constData();
  EXPECT_TRUE(ports.written[2].endsWith("\r\n"));
  // Heading to steer with a log heading: 350 - 10 + bearing, within 0..360.
  const QList<QByteArray> apb = ports.written[2].split('\n')[4].split(',');
  EXPECT_NEAR(apb[13].toDouble(), std::fmod(340 + apb[11].toDouble(), 360.0), 0.11);

  ports.written.clear();
  ports.closed = {2};
  rig.go.tick();
  rig.go.flush(ports);
  EXPECT_EQ(ports.written.count(2), 0u);
  EXPECT_EQ(ids(ports.written[1]), QLatin1String("RMB"));
}

TEST(RoutePoints, LengthIsTheSumOfTheRhumbLegs) {
  const std::vector<GotoTarget> points = route3();
  double expected = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    double s12, azi;
    kSphere.Inverse(points[i - 1].lat, points[i - 1].lon, points[i].lat, points[i].lon, s12, azi);
    expected += s12 / kNmMetres;
  }
  EXPECT_NEAR(routeLengthNm(points), expected, 2e-3 * expected);
  EXPECT_EQ(routeLengthNm({points[0]}), 0) << "a route of one point";
}
