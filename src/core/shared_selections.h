#pragma once
// The selections the main window keeps open for the other windows, each as its query
// text: the chart overlays draw the displayed waypoints; the windows that choose
// waypoints replace the query and raise the overlay-redraw request.

#include <QString>
#include <QStringList>

namespace tavrik {

struct SharedSelections {
  // The displayed waypoints; empty: none are shown.
  QString displayedWaypoints;
  // The current folder's charts and the selected route's waypoints; empty: none.
  QString folderCharts;
  QString routeWaypoints;
};

// The displayed-waypoints query for waypoint group and type descriptions; a list
// holding only "ALL" does not restrict.
QString DisplayWaypointsQuery(const QStringList& groups, const QStringList& types);

}  // namespace tavrik
