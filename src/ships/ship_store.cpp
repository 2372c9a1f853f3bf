#include "ships/ship_store.h"

#include <functional>

#include "core/messages.h"
#include "store/database.h"

namespace tavrik {
namespace {

// A table of rows known by a unique name, and the message for a name in use.
struct NamedRows {
  const char* table;
  int existsMessage;
};
constexpr NamedRows kShips{"Ships", Msg::ShipExists};
constexpr NamedRows kTelephones{"Telephone", Msg::TelephoneExists};

StoreResult checkName(Database& db, const NamedRows& rows, const QString& name, const QString& except) {
  if (name.trimmed().isEmpty()) return StoreResult::failure(DbError::FieldRequired, {}, Msg::MustEnterName);
  // Names compare without case, as the text fields do.
  const QVariant n = db.scalar(
      QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE Name = ? AND NOT (Name = ?)").arg(QLatin1String(rows.table)),
      {name.trimmed(), except});
  if (n.toInt() > 0) return StoreResult::failure(DbError::DuplicateKey, name, rows.existsMessage);
  return {};
}

// The name check and the change together in one transaction: nothing is left half
// done, and no other change slips in between the check and the write.
StoreResult changeNamedRow(Database& db, const NamedRows& rows, const QString& name, const QString& except,
                           const std::function<StoreResult()>& change) {
  StoreResult r = db.beginTrans();
  if (!r) return r;
  r = checkName(db, rows, name, except);
  if (r) r = change();
  if (r && !except.isEmpty() && db.recordsAffected() == 0)
    r = StoreResult::failure(DbError::NoCurrentRecord, except, Msg::NoRecordSelected);
  if (!r) {
    db.rollback();
    if (r.duplicateKey()) r.message = rows.existsMessage;
    return r;
  }
  return db.commitTrans();
}

StoreResult deleteNamedRow(Database& db, const NamedRows& rows, const QString& name) {
  return db.execute(QStringLiteral("DELETE FROM [%1] WHERE Name = ?").arg(QLatin1String(rows.table)), {name});
}

}  // namespace

StoreResult addShip(Database& db, const QString& name, const QString& telephone, const QDateTime& now) {
  return changeNamedRow(db, kShips, name, QString(), [&] {
    return db.execute(
        QStringLiteral("INSERT INTO Ships (Name, telephone, latitude, longitude, course, speed, [wind direction], "
                       "[wind speed], [Last updated], created) VALUES (?, ?, 0, 0, 0, 0, 0, 0, ?, ?)"),
        {name.trimmed(), telephone.trimmed(), now, now});
  });
}

StoreResult changeShip(Database& db, const QString& oldName, const QString& name, const QString& telephone) {
  return changeNamedRow(db, kShips, name, oldName, [&] {
    return db.execute(QStringLiteral("UPDATE Ships SET Name = ?, telephone = ? WHERE Name = ?"),
                      {name.trimmed(), telephone.trimmed(), oldName});
  });
}

StoreResult deleteShip(Database& db, const QString& name) { return deleteNamedRow(db, kShips, name); }

StoreResult addTelephone(Database& db, const TelephoneEntry& e, const QDateTime& now) {
  return changeNamedRow(db, kTelephones, e.name, QString(), [&] {
    return db.execute(QStringLiteral("INSERT INTO Telephone (Name, Telephone, [Init string], [Dial string], Created) "
                                     "VALUES (?, ?, ?, ?, ?)"),
                      {e.name.trimmed(), e.telephone.trimmed(), e.initString.trimmed(), e.dialString.trimmed(), now});
  });
}

StoreResult changeTelephone(Database& db, const QString& oldName, const TelephoneEntry& e) {
  return changeNamedRow(db, kTelephones, e.name, oldName, [&] {
    return db.execute(QStringLiteral("UPDATE Telephone SET Name = ?, Telephone = ?, [Init string] = ?, "
                                     "[Dial string] = ? WHERE Name = ?"),
                      {e.name.trimmed(), e.telephone.trimmed(), e.initString.trimmed(), e.dialString.trimmed(),
                       oldName});
  });
}

StoreResult deleteTelephone(Database& db, const QString& name) { return deleteNamedRow(db, kTelephones, name); }

std::vector<TelephoneEntry> telephoneEntries(Database& db, StoreResult* result) {
  std::vector<TelephoneEntry> entries;
  if (!db.isOpen()) return entries;
  std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("SELECT * FROM Telephone OrdER BY NAME"), result);
  for (; !rs->eof(); rs->moveNext())
    entries.push_back({rs->text(QStringLiteral("Name")), rs->text(QStringLiteral("Telephone")),
                       rs->text(QStringLiteral("Init string")), rs->text(QStringLiteral("Dial string"))});
  return entries;
}

}  // namespace tavrik
