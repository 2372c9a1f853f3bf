#pragma once
// The settings kept in the database: the one row "Id = 1" of table System.

#include "core/app_settings.h"
#include "store/database.h"

namespace tavrik {

// Adds the row Id = 1 with its initial values.
StoreResult insertSystemRow(Database& db);
// Adds the row when it is missing; true in *created when it did.
StoreResult ensureSystemRow(Database& db, bool* created = nullptr);
// Reads the row into out. A missing column or a value that is not a number keeps the
// default of SystemSettings; a missing row is created first.
StoreResult readSystemRow(Database& db, SystemSettings& out);
// Writes every column SystemSettings holds (the setup windows' "OK").
StoreResult writeSystemRow(Database& db, const SystemSettings& s);
// Shutdown: the last position (edit, set, update).
StoreResult writeLastPosition(Database& db, double latitude, double longitude);

}  // namespace tavrik
