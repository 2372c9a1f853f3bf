#include "core/shared_selections.h"

namespace tavrik {

namespace {

QString quotedList(const QStringList& items) {
  QStringList q;
  for (const QString& i : items) q << "'" + QString(i).replace('\'', QStringLiteral("''")) + "'";
  return q.join(QStringLiteral(", "));
}

bool all(const QStringList& items) { return items.size() == 1 && items.first().compare("ALL", Qt::CaseInsensitive) == 0; }

}  // namespace

QString DisplayWaypointsQuery(const QStringList& groups, const QStringList& types) {
  QString sql = QStringLiteral("SELECT Waypoints.* FROM Waypoints, [Waypoint types], [Waypoint groups] ") +
                " WHERE Waypoints.Type = [Waypoint types].Type" + " AND Waypoints.Group = [Waypoint groups].Group";
  if (!all(groups)) sql += " AND [Waypoint groups].Description IN (" + quotedList(groups) + ")";
  if (!all(types)) sql += " AND [Waypoint types].Description IN (" + quotedList(types) + ")";
  return sql + " OrdER BY Waypoints.description";
}

}  // namespace tavrik
