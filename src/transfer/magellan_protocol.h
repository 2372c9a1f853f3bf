#pragma once
// Magellan receivers speak NMEA-style "$PMGN" sentences: "$PMGN" + type + "," +
// fields + "*" + two upper-case hex digits of the exclusive-or of everything
// between "$" and "*", then CR LF. Positions are ddmm.mmm,N / dddmm.mmm,E.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "transfer/garmin_protocol.h"

namespace tavrik::magellan {

// The checksum of a body (the text after "$", without "*").
QString checksumText(QStringView body);
// "$PMGNCMD,VERSION" -> "$PMGNCMD,VERSION*28\r\n".
QByteArray sentence(const QString& withoutChecksum);

// 53.5 -> "5330.000,N"; -8.125 (longitude) -> "00807.500,W".
QString latitudeField(double degrees);
QString longitudeField(double degrees);
// "5224.500", "S" -> -52.408333; nullopt when the field is not a number.
std::optional<double> parseCoordinate(const QString& value, const QString& hemisphere, bool longitude);

// Cuts received text into lines: CR ends a line, LF is dropped.
class LineAssembler {
 public:
  // Lines completed by these bytes.
  QStringList onBytes(QByteArrayView bytes);

 private:
  QByteArray m_line;
};

struct Version {
  int productId = 0;
  QString version, description;
};
std::optional<Version> parseVersion(const QStringList& fields);
// WPL: lat, N/S, lon, E/W, altitude, unit, name, comment, icon.
std::optional<garmin::WaypointRecord> parseWaypoint(const QStringList& fields);
// TRK: lat, N/S, lon, E/W, altitude, unit, hhmmss.ss, validity, comment, ddmmyy. A
// missing date takes `today` (UTC).
std::optional<garmin::TrackPoint> parseTrackPoint(const QStringList& fields, const QDate& today);
struct RouteMessage {
  int total = 0, number = 0, route = 0;
  bool names = false;     // "m": the route's name; "c": waypoint names
  QStringList waypoints;  // "c"
  QString name;           // "m"
};
std::optional<RouteMessage> parseRoute(const QStringList& fields);

// A received line split at "," after "$PMGNxxx," with the checksum cut off; the type
// in `type`. Empty when the line is not a $PMGN sentence.
QStringList splitSentence(const QString& line, QString* type);

// The sentences of an upload.
QString waypointSentence(const garmin::WaypointRecord& w);
// The route's messages: each pair of idents (a last single alone), then the name.
QStringList routeSentences(int routeNumber, const QString& name, const QStringList& idents);

}  // namespace tavrik::magellan
