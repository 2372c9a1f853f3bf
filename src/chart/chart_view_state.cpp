#include "chart/chart_view_state.h"

#include <QLocale>
#include <cmath>

#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

namespace {
QString degMin(double v, int degDigits, QChar pos, QChar neg) {
  const QChar hemi = v >= 0 ? pos : neg;
  double a = std::fabs(v);
  int deg = static_cast<int>(a);
  double min = roundHalfEven((a - deg) * 60, 3);
  if (min >= 60) {
    deg += 1;
    min -= 60;
  }
  const QString degText = formatNumber(static_cast<double>(deg), degDigits == 2 ? u"00" : u"000");
  return degText + QChar(0xB0) + formatNumber(min, u"00.000") + "'" + hemi;
}
}  // namespace

QString ChartPositionText(double lat, double lon) {
  if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 360) return {};
  return degMin(lat, 2, 'N', 'S') + "  " + degMin(lon, 3, 'E', 'W');
}

QString ChartDirectionText(double vesselLat, double vesselLon, double lat, double lon, double speedKn,
                           const Units& units) {
  if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 360) return {};
  CalcRecord r;
  r.Lat1 = vesselLat;
  r.Lon1 = vesselLon;
  r.Lat2 = lat;
  r.Lon2 = lon;
  RhumbCourseDistance(r);
  QString t = formatNumber(units.toDisplay(r.Distance), u"0.0") + units.distanceLabel() + " / " +
              formatNumber(r.Course, u"0.0") + QChar(0xB0);
  if (speedKn > 0 && std::isfinite(r.Distance) && r.Distance / speedKn < 1e6) {
    const double hours = r.Distance / speedKn;
    const long long totalMin = std::llround(hours * 60);
    t += " / " + formatNumber(static_cast<double>(totalMin / 60), u"#0") + ":" +
         formatNumber(static_cast<double>(totalMin % 60), u"00");
  }
  return t;
}

QString ChartCaption(const QString& description, double zoom, double windowWidthNm, const Units& units) {
  QString t = description.trimmed() + "  " + formatNumber(zoom * 100, u"#0") + "%";
  // A chart whose calibration cannot measure the window shows no width.
  if (std::isfinite(windowWidthNm) && windowWidthNm > 0 && windowWidthNm < 1e5)
    t += "  " + formatNumber(units.toDisplay(windowWidthNm), u"0.00") + " " + units.distanceLabel();
  return t;
}

QString ShipDescription(const QDateTime& lastUpdated, double speedKn, double courseDeg, double windSpeedKn,
                        double windDirectionDeg) {
  const QLocale locale = QLocale::system();
  QString when;
  if (lastUpdated.isValid())
    when = locale.toString(lastUpdated.date(), QLocale::LongFormat) + " " +
           locale.toString(lastUpdated.time(), QLocale::ShortFormat);
  return QStringLiteral("Last updated ") + when + "\n" + formatNumber(speedKn, u"#0.0 ") + "Knts\n" +
         formatNumber(courseDeg, u"#0.0") + QChar(0xB0) + "\n" + FormatWindSpeed(static_cast<float>(windSpeedKn)) +
         "\n" + FormatWindDirection(static_cast<float>(windDirectionDeg));
}

bool FixPresent(const NavigationState& nav) { return !nav.FixTime.isNull() && !nav.TimeStale; }

double ScreenDirection(double rotationDeg, double courseDeg) {
  double d = std::fmod(rotationDeg + courseDeg, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

ChartFixCycle::Result ChartFixCycle::tick(const NavigationState& nav, const AppSettings& s,
                                          const ChartProjection* proj, bool folderSet) {
  Result r;
  m_line.setAccuracy(leniNumber(s.ChartAccuracy));
  if (!FixPresent(nav)) {
    // One break record per outage, so the redrawn track leaves a gap.
    if (m_hadFix && !m_fixLost) {
      m_fixLost = true;
      m_line.breakLine();
      if (s.ChartTracking && m_file.isOpen()) r.wroteBreak = m_file.appendBreak(m_clock.now());
    }
    return r;
  }
  m_hadFix = true;
  m_fixLost = false;
  r.fix = true;
  r.keepInViewTimer = s.system.positioning;
  const double heading = nav.HeadingTrue != 0 ? nav.HeadingTrue : nav.CourseOverGround;
  if (proj) {
    r.vesselPx = proj->toPixel(nav.Latitude, nav.Longitude);
    r.directionDeg = ScreenDirection(proj->rotationDeg(), heading);
    if (s.ChartTracking && s.ChartTrack) r.newElement = m_line.offer(r.vesselPx);
  }
  if (s.ChartTracking && m_file.isOpen()) r.wroteRecord = m_file.append(m_clock.now(), nav.Latitude, nav.Longitude);
  r.folderSearch = folderSet && s.system.positioning;
  return r;
}

}  // namespace tavrik
