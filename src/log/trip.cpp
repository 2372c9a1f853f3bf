#include "log/trip.h"

#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

TripValues tripValues(const NavigationState& nav, const QDateTime& now, const Units& units) {
  TripValues t;
  if (nav.TripStartTime.isNull()) return t;
  const qint64 e = std::max<qint64>(0, nav.TripStartTime.secsTo(now));
  t.elapsedSeconds = e;
  const qint64 h = e / 3600, m = (e - 3600 * h) / 60, s = e - 60 * (60 * h + m);
  t.elapsed = QString::number(h) + QLatin1Char(':') + formatNumber(static_cast<double>(m), u"00") + QLatin1Char(':') +
              formatNumber(static_cast<double>(s), u"00");
  const QString distanceUnit = QLatin1Char(' ') + units.distanceLabel();
  const QString speedUnit = QLatin1Char(' ') + units.speedLabel();
  t.distance = formatNumber(nav.TripDistance * units.UnitFactor, u"#0.00") + distanceUnit;
  CalcRecord r;
  r.Lat1 = nav.TripStartLatitude;
  r.Lon1 = nav.TripStartLongitude;
  r.Lat2 = nav.Latitude;
  r.Lon2 = nav.Longitude;
  RhumbCourseDistance(r);
  t.madeGood = formatNumber(r.Distance * units.UnitFactor, u"#0.00") + distanceUnit;
  t.courseMadeGood = formatNumber(r.Course, u"##0") + QStringLiteral("°");
  if (e != 0) {
    const double hours = static_cast<double>(e) / 3600.0;
    t.vmg = formatNumber(r.Distance / hours * units.UnitFactor, u"#0.0") + speedUnit;
    t.averageSpeed = formatNumber(nav.TripDistance / hours * units.UnitFactor, u"#0.0") + speedUnit;
  } else {
    t.vmg = QStringLiteral("0") + speedUnit;
    t.averageSpeed = QStringLiteral("0") + speedUnit;
  }
  return t;
}

void resetTrip(NavigationState& nav) {
  nav.TripDistance = 0;
  nav.TripStartTime = QDateTime();
}

}  // namespace tavrik
