#pragma once
// Keeping the ship list and the telephone list: adding, changing and deleting rows of
// tables Ships and Telephone, each change in one transaction with its texts bound.

#include <QDateTime>
#include <QString>
#include <vector>

#include "ships/dial_up_link.h"
#include "store/store_result.h"

namespace tavrik {

class Database;

// A new ship: zero position, motion and wind, both dates now. An empty name is
// refused ("You must enter a name"), a name in use too ("Ship already exists").
StoreResult addShip(Database& db, const QString& name, const QString& telephone, const QDateTime& now);
// Renames and renumbers the ship called oldName; the same refusals.
StoreResult changeShip(Database& db, const QString& oldName, const QString& name, const QString& telephone);
StoreResult deleteShip(Database& db, const QString& name);

// A telephone entry of the dial-up link, `Created` now. Names compare without case;
// an empty one is refused ("You must enter a name"), one in use too ("Telephone
// already exists").
StoreResult addTelephone(Database& db, const TelephoneEntry& entry, const QDateTime& now);
// Changes the entry called oldName; the same refusals.
StoreResult changeTelephone(Database& db, const QString& oldName, const TelephoneEntry& entry);
StoreResult deleteTelephone(Database& db, const QString& name);
// Every entry by name.
std::vector<TelephoneEntry> telephoneEntries(Database& db, StoreResult* result = nullptr);

}  // namespace tavrik
