#include "ships/ships_list.h"

#include <cmath>

#include "core/number_format.h"
#include "geo/grid_notation.h"
#include "geo/nav_math.h"
#include "store/database.h"

namespace tavrik {
namespace {

const QString kDegree = QStringLiteral("°");

void positionTexts(const GridNotation& notation, double lat, double lon, ShipListRow& row) {
  row.latitude = notation.degreesMinutesText(lat, true);
  row.longitude = notation.degreesMinutesText(lon, false);
}

}  // namespace

QString timeToGoText(double distanceNm, double speedKn) {
  if (speedKn == 0) return {};
  const double hours = distanceNm / speedKn;
  const double whole = std::trunc(hours);
  // Minutes of 59.5 and more would print "60": carry them into the hour.
  long long h = static_cast<long long>(whole);
  long long m = std::llround((hours - whole) * 60);
  if (m == 60) {
    ++h;
    m = 0;
  }
  return formatNumber(static_cast<double>(h), u"#0") + QLatin1Char(':') + formatNumber(static_cast<double>(m), u"00");
}

ShipListInput shipListInput(const NavigationState& nav, const AppSettings& settings) {
  ShipListInput in;
  in.latitude = nav.Latitude;
  in.longitude = nav.Longitude;
  in.planningSpeedKn = settings.system.speed;
  in.speedOverGroundKn = nav.SpeedOverGround;
  in.units = settings.units;
  in.decimals = settings.decimals();
  return in;
}

std::vector<ShipListRow> buildShipsList(Database& db, const ShipListInput& in) {
  GridNotation notation;
  notation.grid = static_cast<int>(GridKind::DegreesMinutes);
  notation.decimals = in.decimals;
  std::vector<ShipListRow> rows;
  ShipListRow own;
  own.name = QStringLiteral("Current position");
  positionTexts(notation, in.latitude, in.longitude, own);
  rows.push_back(own);
  const double speed = in.planningSpeedKn != 0 ? in.planningSpeedKn : in.speedOverGroundKn;
  const std::vector<QVariantList> ships = db.rows(QStringLiteral(
      "SELECT Name, latitude, longitude, speed, course, [wind speed], [wind direction] FROM Ships OrdER BY Name"));
  rows.reserve(ships.size() + 1);
  for (const QVariantList& s : ships) {
    ShipListRow row;
    row.name = s[0].toString();
    const double lat = s[1].toDouble(), lon = s[2].toDouble();
    positionTexts(notation, lat, lon, row);
    CalcRecord r;
    r.Lat1 = in.latitude;
    r.Lon1 = in.longitude;
    r.Lat2 = lat;
    r.Lon2 = lon;
    RhumbCourseDistance(r);
    row.bearing = formatNumber(r.Course, u"##0.0") + kDegree;
    row.distance = formatNumber(in.units.toDisplay(r.Distance), u"#0.0");
    row.timeToGo = timeToGoText(r.Distance, speed);
    row.speed = formatNumber(in.units.toDisplay(s[3].toDouble()), u"#0.0");
    row.course = formatNumber(s[4].toDouble(), u"##0.0") + kDegree;
    row.windSpeed = formatNumber(s[5].toDouble(), u"#0.0");
    row.windDirection = formatNumber(s[6].toDouble(), u"##0.0") + kDegree;
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace tavrik
