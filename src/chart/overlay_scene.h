#pragma once
// What the overlays show, as read from the database tables and the program state:
// positions in degrees with the datum they were stored in. The chart window fills it;
// the renderer converts and draws it.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "chart/track_file.h"

namespace tavrik {

struct GeoPoint {
  double lat = 0, lon = 0;
  int datum = 0;  // key in `Datums`; 0 the default datum
};

struct ZoneItem {
  long key = 0;  // `zone`
  QString name;
  std::vector<GeoPoint> points;  // in `Point` order
};

struct WaypointItem {
  long key = 0;  // `Waypoint`
  QString name;
  GeoPoint pos;
  long type = 0;            // key in `[Waypoint types]`
  double proximityNm = 0;   // > 0: proximity waypoint
};

struct LogItem {
  GeoPoint pos;
  QString description;
};

struct ShipItem {
  QString name;
  GeoPoint pos;
  QDateTime lastUpdated;
  double speedKn = 0, courseDeg = 0, windSpeedKn = 0, windDirectionDeg = 0;
};

struct InfoItem {
  long key = 0;
  QString name;
  GeoPoint pos;
  QString icon;  // file name in the icon folder
  QString file;  // the file shown or started for this point
};

struct RadarItem {
  int number = 0;
  GeoPoint pos;
  QString status;  // "Q", "T", "L"
};

struct OverlayScene {
  std::vector<ZoneItem> zones;
  std::vector<WaypointItem> waypoints;
  std::map<long, QImage> typeIcons;   // waypoint type -> its icon (missing: plain mark)
  std::vector<GeoPoint> route;        // the active route's points in order
  std::vector<TrackRecord> sailedTrack;  // `$GPS.$$$`, breaks included
  bool showTrack = true;              // `Track`
  std::vector<std::vector<GeoPoint>> loadedTracks;
  std::vector<LogItem> log;
  bool showLog = false;
  std::vector<ShipItem> ships;
  bool showShips = false;
  std::vector<InfoItem> info;
  std::map<QString, QImage> infoIcons;
  bool showInfo = false;
  std::vector<RadarItem> radar;
  // Converts a stored position to the chart's datum; identity when not set.
  std::function<GeoPoint(const GeoPoint&)> toChartDatum;
};

}  // namespace tavrik
