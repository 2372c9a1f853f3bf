#pragma once
// What an upload sends, read from the database: the waypoints of the chosen groups
// and types (proximity waypoints or ordinary ones), or whole routes; names pass the
// receiver's name filter, positions go to WGS-84.

#include <QStringList>
#include <vector>

#include "geo/datum.h"
#include "store/database.h"
#include "transfer/garmin_session.h"

namespace tavrik {

// Trims, upper-cases and keeps A-Z and 0-9 (mode 0; mode 2 also "-" and blanks),
// then cuts or blank-pads to `length`; an empty result is `length` times "X".
QString nameFilter(const QString& text, int length, int mode);

struct UploadOptions {
  QString customDescription;  // used for every ident when not empty
  bool numbering = false;     // the running number replaces the end of the ident
  int routeNumber = 1;        // of the first route; the next ones count on
};

// The ident of the n-th uploaded waypoint (n from 1).
QString uploadIdent(const QString& description, const UploadOptions& options, int n);

struct UploadPlan {
  std::vector<garmin::UploadItem> items;
  QStringList labels;  // description (lat/lon), one per item, for the record label
  QString error;       // not empty when the selection could not be read
};

// Waypoints of these groups and types (keys), ordered by group and description.
UploadPlan waypointUpload(Database& db, const DatumLookup& datums, const std::vector<int>& groups,
                          const std::vector<int>& types, bool proximity, const UploadOptions& options);
// Routes (keys), each its header and then its points in order.
UploadPlan routeUpload(Database& db, const DatumLookup& datums, const std::vector<int>& routes, const UploadOptions& options);

}  // namespace tavrik
