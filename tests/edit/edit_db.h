#pragma once
// A fresh main database in a temporary folder for the edit tests.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "edit/route_store.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik::test {

struct EditDb {
  EditDb() { EXPECT_TRUE(createMainDatabase(db, dir.filePath(QStringLiteral("gps.db")), now).ok()); }
  long count(const QString& sql) { return static_cast<long>(db.scalar(sql).toLongLong()); }
  QStringList column(const QString& sql, int index = 0) {
    QStringList out;
    for (const QVariantList& row : db.rows(sql)) out << row.value(index).toString();
    return out;
  }
  // Descriptions of a route's waypoints in route order.
  QStringList routeNames(long route) { return column(RouteWaypointsQuery(route), 1); }
  QTemporaryDir dir;
  QDateTime now{QDate(2026, 6, 1), QTime(12, 0)};
  Database db;
};

}  // namespace tavrik::test
