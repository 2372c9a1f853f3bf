#include "ships/ship_store.h"

#include "core/messages.h"
#include "store/database.h"

namespace tavrik {
namespace {

StoreResult checkName(Database& db, const QString& name, const QString& except) {
  if (name.trimmed().isEmpty()) return StoreResult::failure(DbError::FieldRequired, {}, Msg::MustEnterName);
  // Names compare without case, as the unique index does.
  const QVariant n = db.scalar(QStringLiteral("SELECT COUNT(*) FROM Ships WHERE Name = ? AND NOT (Name = ?)"),
                               {name.trimmed(), except});
  if (n.toInt() > 0) return StoreResult::failure(DbError::DuplicateKey, name, Msg::ShipExists);
  return {};
}

StoreResult withMessage(StoreResult r) {
  if (r.duplicateKey()) r.message = Msg::ShipExists;
  return r;
}

}  // namespace

StoreResult addShip(Database& db, const QString& name, const QString& telephone, const QDateTime& now) {
  if (StoreResult r = checkName(db, name, QString()); !r) return r;
  return withMessage(db.execute(
      QStringLiteral("INSERT INTO Ships (Name, telephone, latitude, longitude, course, speed, [wind direction], "
                     "[wind speed], [Last updated], created) VALUES (?, ?, 0, 0, 0, 0, 0, 0, ?, ?)"),
      {name.trimmed(), telephone.trimmed(), now, now}));
}

StoreResult changeShip(Database& db, const QString& oldName, const QString& name, const QString& telephone) {
  if (StoreResult r = checkName(db, name, oldName); !r) return r;
  StoreResult r = db.execute(QStringLiteral("UPDATE Ships SET Name = ?, telephone = ? WHERE Name = ?"),
                             {name.trimmed(), telephone.trimmed(), oldName});
  if (r && db.recordsAffected() == 0) r = StoreResult::failure(DbError::NoCurrentRecord, oldName, Msg::NoRecordSelected);
  return withMessage(r);
}

StoreResult deleteShip(Database& db, const QString& name) {
  return db.execute(QStringLiteral("DELETE FROM Ships WHERE Name = ?"), {name});
}

}  // namespace tavrik
