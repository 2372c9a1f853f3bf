#pragma once
// The "$SHIPS" line: another vessel's position, motion and wind, reported by a fleet
// office or by a ship answering our call, stored in table Ships by the ship's name.

#include <QDateTime>
#include <QString>
#include <optional>

#include "nmea/sentence_fields.h"
#include "store/store_result.h"

namespace tavrik {

class Database;

inline constexpr int kShipsMinElements = 14;

struct ShipReport {
  QString name;
  double latitude = 0, longitude = 0;  // degrees, south and west negative
  float speed = 0;                     // knots
  float course = 0;
  float windSpeed = 0;                 // knots
  float windDirection = 0;
  QDateTime lastUpdated;               // local time
};

// Reads "$SHIPS,name,hhmmss,ddmmyy,lat,N,lon,E,speed,unit,course,wind,unit,dir";
// nothing when the line is short or its position is outside the limits.
std::optional<ShipReport> readShipReport(const SentenceFields& f, int localOffsetHours);

// Finds the row by name (adding it when new) and writes the report, in one
// transaction; a database error leaves the table as it was.
StoreResult storeShipReport(Database& db, const ShipReport& report, const QDateTime& now);

// A speed in "M" (statute miles per hour), "K" (km/h) or knots, in knots.
double speedInKnots(double speed, const QString& unit);

}  // namespace tavrik
