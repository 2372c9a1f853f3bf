#pragma once
// Keeping the ship list: adding, changing and deleting rows of table Ships.

#include <QDateTime>
#include <QString>

#include "store/store_result.h"

namespace tavrik {

class Database;

// A new ship: zero position, motion and wind, both dates now. An empty name is
// refused ("You must enter a name"), a name in use too ("Ship already exists").
StoreResult addShip(Database& db, const QString& name, const QString& telephone, const QDateTime& now);
// Renames and renumbers the ship called oldName; the same refusals.
StoreResult changeShip(Database& db, const QString& oldName, const QString& name, const QString& telephone);
StoreResult deleteShip(Database& db, const QString& name);

}  // namespace tavrik
