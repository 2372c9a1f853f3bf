#pragma once
// The version gate and the upgrade chain of the main database (versions 4 to 13), the
// info database chain (1 to 3), and the copy of the open database's structure into a
// new file.

#include <QDateTime>
#include <QString>

#include "store/database.h"

namespace tavrik {

// Version.version of the row Id = 1. A missing table or row, or a version below 4,
// gives "Database has wrong version".
StoreResult readDbVersion(Database& db, int* version);

// The steps, each on the open main database. They do not touch Version.
StoreResult conv4to5(Database& db);
StoreResult conv5to6(Database& db);
StoreResult conv6to7(Database& db);
StoreResult conv7to8(Database& db);
StoreResult conv8to9(Database& db);
StoreResult conv9to10(Database& db);
StoreResult conv10to11(Database& db);
StoreResult conv11to12(Database& db);
StoreResult conv12to13(Database& db);

struct UpgradeReport {
  int fromVersion = 0;
  bool upgraded = false;
  QString backupPath;  // the copy of the file as it was, when an upgrade ran
};

// Brings the database to version 13: a copy of the file as it was is written beside
// it first (gps.db.v4.bak), then every step runs in one transaction that also sets
// version 13 and Date last used; any failure rolls the whole chain back. A database at
// 13 or above is not touched.
StoreResult upgradeMainDatabase(Database& db, const QDateTime& now, UpgradeReport* report = nullptr);

// Info database: dbVersion 1 -> convertto2 -> convertto3.
StoreResult convertto2(Database& info);
StoreResult convertto3(Database& info);
// Opens an info database and brings it to dbVersion 3 (one transaction).
StoreResult openInfoDatabase(Database& info, const QString& path);

// newdb: a new file with every table definition, index and relation of the open
// database and the rows of Version, Ellipsoids and Datums; other tables stay empty.
// An existing file at newPath is replaced; the open database's own file is refused.
StoreResult copyDatabaseStructure(Database& source, const QString& newPath);

}  // namespace tavrik
