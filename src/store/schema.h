#pragma once
// The tables of the main database at version 13 and of the info database, and the
// rows a new main database starts with.

#include <QDateTime>
#include <vector>

#include "store/database.h"

namespace tavrik {

inline constexpr int kCurrentDbVersion = 13;
inline constexpr int kOldestDbVersion = 4;
inline constexpr int kCurrentInfoDbVersion = 3;

// Every table of the main database at version 13, in creation order.
std::vector<TableDef> mainSchemaTables();
// The relations "Datum" and "Zone datum".
std::vector<RelationDef> mainSchemaRelations();
// Creates every table, index and relation of version 13 in an empty database (one
// transaction).
StoreResult createMainSchema(Database& db);

// The rows a database made at first start holds: Version (13, now), the System row
// with its initial values, the Default rows 0 and the built-in ellipsoids and datums
// (WGS-84 among them), the built-in Log entry types, one waypoint type and group.
StoreResult seedMainDatabase(Database& db, const QDateTime& now);
// A new database file at version 13 with schema and seed rows.
StoreResult createMainDatabase(Database& db, const QString& path, const QDateTime& now);

// Adds what a damaged or hand-edited database lacks of version 13: missing tables
// (empty) and missing fields (Null). Nothing present is changed. One transaction;
// *added lists what was added ("Ships", "Log.memo").
StoreResult repairMainSchema(Database& db, QStringList* added = nullptr);

// The built-in Log entry types; the entry-type editor hides them.
const QStringList& builtinLogEntryTypes();

// Info database.
std::vector<TableDef> infoSchemaTables();
struct InfoDatabaseHeader {
  QString name, version, copyright, area, icon;
};
// Creates the info database file with its tables and its Version row (dbVersion 3);
// empty texts are stored as " ".
StoreResult createInfoDatabase(Database& db, const QString& path, const InfoDatabaseHeader& header);

}  // namespace tavrik
