#include "nav/anchor_watch.h"

#include <QLocale>
#include <cmath>

#include "core/messages.h"
#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

BearingDistance BearingDistanceTo(const NavigationState& nav, const AppSettings& settings, double lat, double lon) {
  CalcRecord r;
  r.Lat1 = nav.Latitude;
  r.Lon1 = nav.Longitude;
  r.Lat2 = lat;
  r.Lon2 = lon;
  RhumbCourseDistance(r);
  BearingDistance b;
  b.bearingT = r.Course;
  b.bearingM = settings.compass.ToMagnetic(static_cast<float>(r.Course), nav.GpsVariation);
  b.distanceNm = r.Distance;
  b.bearingTText = formatNumber(static_cast<float>(b.bearingT), u"#0.0") + QStringLiteral("° T");
  b.bearingMText = formatNumber(static_cast<float>(b.bearingM), u"#0.0") + QStringLiteral("° M");
  return b;
}

void AnchorWatch::dropAnchor() {
  m_anchorLat = m_nav.Latitude;
  m_anchorLon = m_nav.Longitude;
}

double AnchorWatch::rangeNm() const { return leniNumber(m_settings.AnchorWatch); }

QString AnchorWatch::rangeText() const {
  return formatNumber(static_cast<float>(rangeNm() * m_settings.units.UnitFactor), u"0.000");
}

QString AnchorWatch::start(const QString& entered, Prompter& prompter) {
  return start(entered, prompter, QLocale::system().decimalPoint().at(0));
}

QString AnchorWatch::start(const QString& entered, Prompter& prompter, QChar decimalSeparator) {
  QString text = entered;
  const qsizetype at = decimalSeparator == '.' ? -1 : text.indexOf(decimalSeparator);
  if (at >= 0) text[at] = '.';
  const double range = isNumeric(text) ? leniNumber(text) : 0;
  text = formatNumber(range, u"#0.000");
  // A negative range would sound the alarm at the anchor itself: refused like 0.
  if (!(leniNumber(text) > 0)) {
    prompter.information(MessageText(Msg::NoRange));
    return text;
  }
  m_range = leniNumber(text);
  m_settings.AnchorWatch = formatNumber(m_range / m_settings.units.UnitFactor, u"#0.000");
  m_watching = true;
  return text;
}

AnchorWatch::Reading AnchorWatch::tick(bool alarmChecked) {
  Reading r;
  r.to = BearingDistanceTo(m_nav, m_settings, m_anchorLat, m_anchorLon);
  const double shown = r.to.distanceNm * m_settings.units.UnitFactor;
  r.distanceText = formatNumber(shown, u"#0.00 ") + m_settings.units.distanceLabel();
  // Compared at the range's own resolution (0.001 of the unit, under two metres):
  // a vessel lying exactly on the circle is inside, whatever the last bits of the
  // single-precision positions say.
  r.alarm = m_watching && alarmChecked && roundHalfEven(shown, 3) > m_range;
  if (r.alarm) m_alarms.SignalAlarm(QLatin1String(kWindow), m_settings.SoundAnchor, {200, 5000});
  else m_alarms.stop(QLatin1String(kWindow));
  return r;
}

void AnchorWatch::stop() {
  m_watching = false;
  m_alarms.stop(QLatin1String(kWindow));
}

ManOverboard::Reading ManOverboard::tick(const NavigationState& nav, const AppSettings& settings) const {
  Reading r;
  r.to = BearingDistanceTo(nav, settings, MobLat, MobLon);
  const Units& u = settings.units;
  r.distanceText = formatNumber(static_cast<float>(r.to.distanceNm * u.UnitFactor), u"#0.0 ") + u.distanceLabel();
  // VMG towards the MOB position and the time to reach it.
  const float vmg = nav.SpeedOverGround * CosDeg(static_cast<float>(nav.CourseOverGround - r.to.bearingT));
  r.vmgKn = vmg;
  r.vmgText = formatNumber(static_cast<float>(vmg * u.UnitFactor), u"#0.0 ") + u.speedLabel();
  if (vmg >= 0.1f) {
    const double t = r.to.distanceNm / vmg;
    // Whole minutes first, so 2 h 59.7 min reads "3:00 h" and never "2:60 h".
    const long long minutes = std::llround(t * 60);
    r.eteText = QString::number(minutes / 60) + ':' + formatNumber(static_cast<double>(minutes % 60), u"00 ") + 'h';
    r.eteHours = std::trunc(t * 100) / 100;
  } else {
    r.eteText = QStringLiteral("--:--");
    r.eteHours = -1;
  }
  return r;
}

}  // namespace tavrik
