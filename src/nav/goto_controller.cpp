#include "nav/goto_controller.h"

#include <cmath>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/messages.h"
#include "core/navigation_state.h"
#include "core/number_format.h"
#include "core/request_flags.h"
#include "geo/nav_math.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {

int portNumber(const QString& setting) { return setting.trimmed().toInt(); }

float normalise360(float deg) {
  while (deg < 0) deg += 360;
  while (deg >= 360) deg -= 360;
  return deg;
}

// "52°30.000'N 4°52.500'E": how the chart labels a target that is no waypoint.
QString positionText(double lat, double lon) {
  auto part = [](double v, QChar positive, QChar negative) {
    const double a = std::fabs(v);
    double degrees = std::floor(a);
    double minutes = roundHalfEven((a - degrees) * 60, 3);
    if (minutes >= 60) {
      degrees += 1;
      minutes = 0;
    }
    return formatNumber(degrees, u"0") + QStringLiteral("°") + formatNumber(minutes, u"00.000") + '\'' +
           (v < 0 ? negative : positive);
  };
  return part(lat, 'N', 'S') + ' ' + part(lon, 'E', 'W');
}

QString hoursMinutes(double hours) {
  // Whole minutes first, so that 1 h 59.7 min shows 2:00 and not 1:60.
  const long long minutes = std::llround(hours * 60.0);
  return formatNumber(static_cast<double>(minutes / 60), u"#0") + ':' +
         formatNumber(static_cast<double>(minutes % 60), u"00 ") + 'h';
}

}  // namespace

GotoController::GotoController(NavigationState& nav, const AppSettings& settings, RequestFlags& requests,
                               const Clock& clock)
    : m_nav(nav), m_settings(settings), m_requests(requests), m_clock(clock) {}

float GotoController::toMagnetic(float trueDeg) const {
  return m_settings.compass.ToMagnetic(trueDeg, m_nav.GpsVariation);
}

void GotoController::open(std::vector<GotoTarget> list, bool routeSelected) {
  m_state.LineCourse = -1;
  m_list = std::move(list);
  m_route = routeSelected;
  m_selected = -1;
  m_okMode = OkMode::GoTo;
  m_nextEnabled = false;
  if (!m_list.empty()) {
    m_selected = 0;
    loadEntry(0);
  }
  if (m_requests.gotoLatitude != 0 || m_requests.gotoLongitude != 0) {
    // A position clicked on the chart is no list waypoint: the sentences name it
    // "CHART" and GotoWP stays 0 instead of naming the first entry of the list.
    m_entryLat = m_requests.gotoLatitude;
    m_entryLon = m_requests.gotoLongitude;
    m_requests.gotoLatitude = m_requests.gotoLongitude = 0;
    m_selected = -1;
    start();
  } else if (m_route && !m_list.empty()) {
    m_nextEnabled = true;
    start();
  }
}

void GotoController::close() {
  stopAlarm();
  const bool keepServer = automationServer;
  GotoState rest;
  m_state = rest;
  m_state.Steer.clear();
  automationServer = keepServer;
  m_outgoing.clear();
  m_ticked = false;
  m_picture = SteerPicture::None;
  m_lamps.reset();
  m_okMode = OkMode::GoTo;
  m_nextEnabled = false;
  m_requests.redrawGotoLine = true;
}

int GotoController::choose(int index) {
  if (index < 0 || index >= static_cast<int>(m_list.size())) return 0;
  if (!m_list[index].approachable) return Msg::WaypointNotApproachable;
  m_selected = index;
  loadEntry(index);
  return 0;
}

void GotoController::setEntryPosition(double lat, double lon) {
  m_entryLat = lat;
  m_entryLon = lon;
}

void GotoController::loadEntry(int index) {
  m_entryLat = m_list[index].lat;
  m_entryLon = m_list[index].lon;
}

void GotoController::stopAlarm() {
  if (m_alarmRaised && alarmSink) alarmSink->stop();
  m_alarmRaised = false;
}

void GotoController::restartLine() {
  m_state.StartLat = m_state.StartLon = 0;
  m_state.LineCourse = -1;
}

void GotoController::start() {
  stopAlarm();
  m_state.TargetLat = static_cast<float>(m_entryLat);
  m_state.TargetLon = static_cast<float>(m_entryLon);
  m_state.LineCourse = -1;
  m_state.targetText = m_selected >= 0 ? m_list[m_selected].description : positionText(m_entryLat, m_entryLon);
  m_state.DrawStartLat = m_nav.Latitude;
  m_state.DrawStartLon = m_nav.Longitude;
  m_okMode = m_nextEnabled ? OkMode::Previous : OkMode::Hidden;
  targetChanged();
}

void GotoController::targetChanged() {
  m_state.active = true;
  m_requests.redrawGotoLine = true;
  m_logEvents.push_back({QStringLiteral("Go To"), m_state.targetText, m_nav.Latitude, m_nav.Longitude});
  // Nobody takes them in tavrik-nav: keep the newest few.
  if (m_logEvents.size() > 16) m_logEvents.erase(m_logEvents.begin());
}

void GotoController::previous() {
  if (m_selected <= 0) return;
  --m_selected;
  loadEntry(m_selected);
  restartLine();
  start();
}

void GotoController::next() {
  stopAlarm();
  if (m_selected < 0 || m_selected + 1 >= static_cast<int>(m_list.size())) return;
  ++m_selected;
  loadEntry(m_selected);
  restartLine();
  m_state.TargetLat = static_cast<float>(m_entryLat);
  m_state.TargetLon = static_cast<float>(m_entryLon);
  m_state.targetText = m_list[m_selected].description;
  m_state.DrawStartLat = m_nav.Latitude;
  m_state.DrawStartLon = m_nav.Longitude;
  targetChanged();
}

// Steps 4 and 5: bearing and distance to the target; a new track line begins here.
void GotoController::measure(float& bearing, float& distance) {
  CalcRecord r;
  r.Lat1 = m_nav.Latitude;
  r.Lon1 = m_nav.Longitude;
  r.Lat2 = m_state.TargetLat;
  r.Lon2 = m_state.TargetLon;
  RhumbCourseDistance(r);
  bearing = static_cast<float>(r.Course);
  distance = static_cast<float>(r.Distance);
  if (m_state.LineCourse == -1) {
    m_state.LineCourse = bearing;
    m_state.StartLat = m_nav.Latitude;
    m_state.StartLon = m_nav.Longitude;
    m_requests.redrawGotoLine = true;
  }
}

void GotoController::tick() {
  m_outgoing.clear();
  if (m_state.nextRequest) {
    m_state.nextRequest = false;
    if (m_nextEnabled) {
      next();
      return;
    }
  }
  if (m_state.previousRequest) {
    m_state.previousRequest = false;
    if (m_okMode != OkMode::Hidden) {
      ok();
      return;
    }
  }
  if (!m_state.active) return;
  const int last = static_cast<int>(m_list.size()) - 1;
  m_state.WP = m_selected >= 0 ? m_list[m_selected].waypoint : 0;

  float b = 0, D = 0;
  measure(b, D);
  // The automatic turn comes before the arrival alarm, so that the alarm and the rest
  // of the tick are judged against the next point and its new track line rather than
  // against a line that the turn has just reset.
  if (m_route && m_settings.GotoAutomatic && D <= m_settings.GotoTurnDistance && m_selected < last) {
    next();
    m_state.WP = m_list[m_selected].waypoint;
    measure(b, D);
  }

  m_ticked = true;
  const float factor = m_settings.units.UnitFactor;
  m_state.BearingT = b;
  m_state.BearingM = toMagnetic(b);
  m_state.Distance = D;

  // Arrival alarm: once raised it lasts until Next, ok or closing.
  const float alarmNm = static_cast<float>(m_settings.GotoAlarmDistance);
  if (m_settings.GotoAlarm) {
    if (automationServer) {
      m_state.Alarm = D <= alarmNm;
    } else if (D <= alarmNm && !m_alarmRaised) {
      m_alarmRaised = true;
      if (alarmSink) alarmSink->raise();
    }
  } else {
    stopAlarm();
    m_state.Alarm = false;
  }

  const float vmg = m_nav.SpeedOverGround * CosDeg(m_nav.CourseOverGround - b);
  m_state.VMG = vmg;
  if (vmg >= 0.1f) {
    m_eteHours = static_cast<double>(D) / vmg;
    m_state.ETE = static_cast<float>(std::trunc(m_eteHours * 100) / 100);
  } else {
    m_eteHours = -1;
    m_state.ETE = -1;
  }

  float d = static_cast<float>(roundHalfEven(static_cast<double>(b) - m_nav.CourseOverGround, 1));
  if (d < 0) d += 360;
  if (d == 0) {
    m_picture = SteerPicture::Straight;
    m_state.Steer = QStringLiteral(" ");
  } else if (d < 180) {
    m_picture = SteerPicture::Right;
    m_state.Steer = QStringLiteral("R");
  } else if (d == 180) {
    m_picture = SteerPicture::Reverse;
    m_state.Steer = QStringLiteral(" ");
  } else {
    m_picture = SteerPicture::Left;
    m_state.Steer = QStringLiteral("L");
  }

  CalcRecord back;
  back.Lat1 = m_nav.Latitude;
  back.Lon1 = m_nav.Longitude;
  back.Lat2 = m_state.StartLat;
  back.Lon2 = m_state.StartLon;
  RhumbCourseDistance(back);
  const float xte = SinDeg(m_state.LineCourse - static_cast<float>(back.Course)) * static_cast<float>(back.Distance) * factor;
  m_state.XTE = xte;

  // The lamps on the side to steer to light by the size of the error, whichever side
  // of the line the vessel is on.
  m_lamps.reset();
  static constexpr float kThresholds[5] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f};
  if (d != 180) {
    const float size = std::fabs(xte);
    for (int k = 0; k < 5; ++k)
      if (size >= kThresholds[k]) m_lamps.set(d > 180 ? 4 - k : 5 + k);
  }

  buildOutput(b, D, d);
}

bool GotoController::switchOn(GotoSentence s) const {
  switch (s) {
    case GotoSentence::RMB: return true;
    case GotoSentence::XTE: return m_settings.GotoXTE;
    case GotoSentence::AAM: return m_settings.GotoAAM;
    case GotoSentence::BWC: return m_settings.GotoBWC;
    case GotoSentence::APA: return m_settings.GotoAPA;
    case GotoSentence::BOD: return m_settings.GotoBOD;
    case GotoSentence::VTG: return m_settings.GotoVTG;
    case GotoSentence::APB: return m_settings.GotoAPB;
  }
  return false;
}

void GotoController::buildOutput(float b, float D, float d) {
  const int nmeaOutput = portNumber(m_settings.NMEAOutput);
  const int autopilotIndex = std::max(portNumber(m_settings.Autopilot) - 1, 0);
  const bool autopilot = m_settings.GotoAutoPilot;
  if (nmeaOutput == 0 && !autopilot) return;

  GotoSentenceInput in;
  in.targetLat = m_state.TargetLat;
  in.targetLon = m_state.TargetLon;
  in.distanceNm = D;
  in.bearingTrueDeg = b;
  in.bearingMagDeg = m_state.BearingM;
  in.lineCourseMagDeg = toMagnetic(m_state.LineCourse);
  in.xte = m_state.XTE;
  in.unitFactor = m_settings.units.UnitFactor;
  in.unitLetter = m_settings.units.nmeaUnitLetter();
  in.steerDiffDeg = d;
  in.vmgKn = m_state.VMG;
  in.alarmDistanceNm = static_cast<float>(m_settings.GotoAlarmDistance);
  in.cogTrueDeg = m_nav.CourseOverGround;
  in.cogMagDeg = toMagnetic(m_nav.CourseOverGround);
  in.sogKn = m_nav.SpeedOverGround;
  in.headingToSteerMagDeg = m_nav.received(Sentence::VHW) == 0
                                ? m_state.BearingM
                                : normalise360(m_nav.HeadingTrue - m_nav.CourseOverGround + m_state.BearingM);
  in.time = m_clock.now().time();
  in.decimals = m_settings.decimals();
  in.talker = m_settings.GotoTalkerID;
  if (m_selected >= 0) in.destinationId = NmeaName(m_list[m_selected].description, 6, QStringLiteral("-"));
  if (m_route && m_selected >= 1) in.originId = NmeaName(m_list[m_selected - 1].description, 6, QStringLiteral("-"));
  if (autopilot && m_settings.GotoBWC) {
    CalcRecord gc;
    gc.Lat1 = m_nav.Latitude;
    gc.Lon1 = m_nav.Longitude;
    gc.Lat2 = m_state.TargetLat;
    gc.Lon2 = m_state.TargetLon;
    GreatCircle(gc);
    in.greatCircleNm = std::isfinite(gc.Distance) ? static_cast<float>(gc.Distance) : 0.0f;
  }

  auto line = [&](GotoSentence s) {
    m_lineBuffer.clear();
    appendGotoLine(m_lineBuffer, s, in);
    return QByteArray(m_lineBuffer.data(), static_cast<qsizetype>(m_lineBuffer.size()));
  };
  const QByteArray rmb = line(GotoSentence::RMB);
  if (nmeaOutput != 0) m_outgoing.push_back({nmeaOutput - 1, GotoSentence::RMB, rmb});
  if (!autopilot) return;
  if (autopilotIndex != nmeaOutput - 1) m_outgoing.push_back({autopilotIndex, GotoSentence::RMB, rmb});
  for (GotoSentence s : kGotoSentenceOrder)
    if (s != GotoSentence::RMB && switchOn(s)) m_outgoing.push_back({autopilotIndex, s, line(s)});
}

GotoReadout GotoController::readout() const {
  GotoReadout r;
  r.alarmRaised = m_alarmRaised;
  if (!m_ticked) return r;
  const Units& units = m_settings.units;
  r.bearingTrue = formatNumber(m_state.BearingT, u"#0.0") + QStringLiteral("° T");
  r.bearingMagnetic = formatNumber(m_state.BearingM, u"#0.0") + QStringLiteral("° M");
  r.distance = formatNumber(m_state.Distance * units.UnitFactor, u"#0.0 ") + units.distanceLabel();
  r.vmg = formatNumber(m_state.VMG * units.UnitFactor, u"#0.0 ") + units.speedLabel();
  r.ete = m_eteHours >= 0 ? hoursMinutes(m_eteHours) : QStringLiteral("--:--");
  r.xte = formatNumber(std::fabs(m_state.XTE), u"#0.0 ") + units.distanceLabel();
  r.picture = m_picture;
  r.lamps = m_lamps;
  return r;
}

void GotoController::flush(SentencePorts& ports) {
  for (const Outgoing& o : m_outgoing)
    if (ports.isOpen(o.portIndex)) ports.write(o.portIndex, o.line);
  m_outgoing.clear();
}

}  // namespace tavrik
