#pragma once
// GPX files and the database. Import: waypoints into a waypoint group named after
// the file, routes with their points (stored as waypoints of that group), tracks
// with a break row (latitude = longitude = 0, as in the track file) between segments;
// all in one transaction, so a file that fails leaves the database as it was. Names
// already taken get " (2)", " (3)"...: nothing stored is overwritten. Export: the
// named (or all) waypoints, routes and tracks as GPX 1.1 in WGS-84.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "chart/track_file.h"
#include "geo/datum.h"
#include "store/database.h"
#include "transfer/gpx.h"

namespace tavrik {

struct GpxImportResult {
  QString group;  // the waypoint group the file's waypoints went into
  int waypoints = 0, routes = 0, routePoints = 0, tracks = 0, trackPoints = 0;
};

// For `tavrik-db import FILE.gpx` and the File menu: reads and stores one file.
bool importGpxFile(Database& db, const QString& path, GpxImportResult& result, QString& error,
                   const QDateTime& now = QDateTime::currentDateTime());
// Stores a document read already; groupName names the waypoint group.
bool importGpx(Database& db, const GpxDocument& doc, const QString& groupName, GpxImportResult& result,
               QString& error, const QDateTime& now = QDateTime::currentDateTime());

// What to export: names of waypoints, routes and tracks (Description). Nothing named
// at all means everything the database holds.
struct GpxSelection {
  QStringList waypoints, routes, tracks;
  bool everything() const { return waypoints.isEmpty() && routes.isEmpty() && tracks.isEmpty(); }
};

// Builds the document; a name that is not in the database is an error.
bool collectGpx(Database& db, const DatumLookup& datums, const GpxSelection& selection, GpxDocument& out,
                QString& error);
// The sailed track of this run (the track file's records, in the chart's datum) as
// a GPX track, its breaks as segment ends.
GpxTrack gpxTrackFromRecords(const std::vector<TrackRecord>& records, int datum, Database& db,
                             const DatumLookup& datums, const QString& name);

// For `tavrik-db export-gpx OUT.gpx [--waypoints NAME...] ...` and the File menu.
bool exportGpx(Database& db, const DatumLookup& datums, const QString& path, const GpxSelection& selection,
               QString& error);

}  // namespace tavrik
