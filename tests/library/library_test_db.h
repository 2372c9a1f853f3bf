#pragma once
// A fresh main database in a temporary folder for the library tests.
#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "store/database.h"
#include "store/main_database.h"

struct LibraryTestDb {
  QTemporaryDir dir;
  tavrik::Database db;
  QDateTime now{QDate(2026, 12, 7), QTime(10, 0)};
  LibraryTestDb() { EXPECT_TRUE(tavrik::openMainDatabase(db, dir.filePath("gps.db"), now, true).ok()); }
  QString path(const QString& name) const { return dir.filePath(name); }
  int count(const QString& sql) { return db.scalar(sql).toInt(); }
};
