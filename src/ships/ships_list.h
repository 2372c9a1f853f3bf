#pragma once
// "Ships from current position" (`gpssshow`): the own position, then every ship with
// bearing, distance and time to go from it, speed, course and wind.

#include <QString>
#include <vector>

#include "core/app_settings.h"
#include "core/navigation_state.h"

namespace tavrik {

class Database;

struct ShipListRow {
  QString name, latitude, longitude, bearing, distance, timeToGo, speed, course, windSpeed, windDirection;
};

// Hours and minutes ("2:05") at speedKn over distanceNm; empty at speed 0.
QString timeToGoText(double distanceNm, double speedKn);

struct ShipListInput {
  double latitude = 0, longitude = 0;  // own position
  double planningSpeedKn = 0;           // the navigation settings' speed; 0: speed over ground
  double speedOverGroundKn = 0;
  Units units;
  int decimals = 3;                     // of the position minutes
};
ShipListInput shipListInput(const NavigationState& nav, const AppSettings& settings);

// The first row is "Current position"; the ships follow in name order.
std::vector<ShipListRow> buildShipsList(Database& db, const ShipListInput& in);

}  // namespace tavrik
