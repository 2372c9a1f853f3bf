#pragma once
// Opening the main database at start-up: a new one at version 13 when none exists at
// the configured path, otherwise the version gate and the upgrade chain, then the
// System row.

#include <QDateTime>
#include <QString>

#include "store/database.h"
#include "store/upgrade.h"

namespace tavrik {

struct MainDatabaseReport {
  bool created = false;  // a new database was made at the path
  UpgradeReport upgrade;
  bool systemRowCreated = false;
  QStringList repaired;  // tables and fields a damaged database was given
};

// createIfMissing: make a new database when no file exists at path. A file that fails
// the engine's integrity check is not used. Missing tables and fields of version 13
// are added after the upgrade. Failures carry
// message 11 ("Database not found or wrong format") or 50 ("Database has wrong
// version"); the database is then closed and the file left as it was.
StoreResult openMainDatabase(Database& db, const QString& path, const QDateTime& now, bool createIfMissing,
                             MainDatabaseReport* report = nullptr);

}  // namespace tavrik
