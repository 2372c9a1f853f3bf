#pragma once
// GPX, the GPS exchange format: waypoints, routes and tracks read from GPX 1.0 and
// 1.1 (elements known by their local names, other programs' extensions skipped) and
// written as GPX 1.1. Positions are WGS-84 degrees.

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <optional>
#include <vector>

namespace tavrik {

struct GpxPoint {
  double lat = 0, lon = 0;
  std::optional<double> elevation;
  QDateTime time;  // UTC; invalid when the file has none
  QString name, description, symbol;
};

struct GpxRoute {
  QString name, description;
  std::vector<GpxPoint> points;
};

struct GpxTrack {
  QString name, description;
  std::vector<std::vector<GpxPoint>> segments;
  size_t pointCount() const;
};

struct GpxDocument {
  std::vector<GpxPoint> waypoints;
  std::vector<GpxRoute> routes;
  std::vector<GpxTrack> tracks;
};

// Files larger than this are refused before reading (a GPX of ten million points is
// about 1 GB; nobody's logger writes that).
inline constexpr qint64 kGpxFileLimit = 512LL * 1024 * 1024;

// False with a message naming the line for XML that is not well formed, a root that
// is not <gpx>, or a coordinate missing or out of range; out is then empty.
bool readGpx(QIODevice& in, GpxDocument& out, QString& error);
bool readGpxFile(const QString& path, GpxDocument& out, QString& error);

void writeGpx(QIODevice& out, const GpxDocument& doc);
bool writeGpxFile(const QString& path, const GpxDocument& doc, QString& error);

}  // namespace tavrik
