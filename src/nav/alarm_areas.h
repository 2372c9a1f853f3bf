#pragma once
// The zones and proximity waypoints of the database, for the zone alarm.

#include <functional>

#include "nav/zone_alarm.h"

namespace tavrik {

class Database;

// Positions are converted from their stored datum with `toOwnDatum` (the datum the
// vessel's position is kept in); unset: taken as stored. A closed database: none.
AlarmAreas LoadAlarmAreas(Database& db, const std::function<LatLon(LatLon, int datum)>& toOwnDatum = {});

}  // namespace tavrik
