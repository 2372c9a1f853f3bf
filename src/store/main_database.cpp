#include "store/main_database.h"

#include <QFile>
#include <QFileInfo>

#include "core/messages.h"
#include "store/schema.h"
#include "store/system_row.h"

namespace tavrik {

StoreResult openMainDatabase(Database& db, const QString& path, const QDateTime& now, bool createIfMissing,
                             MainDatabaseReport* report) {
  MainDatabaseReport rep;
  StoreResult r;
  const QFileInfo info(path);
  if (!info.exists() && createIfMissing) {
    r = createMainDatabase(db, path, now);
    rep.created = r.ok();
    if (!r.ok()) {
      db.close();
      QFile::remove(path);
      r.message = Msg::DatabaseNotFound;
    }
  } else {
    r = db.open(path);
    if (r.ok()) {
      // A damaged file is not written to; the user chooses another.
      StoreResult q;
      const QVariant check = db.scalar(QStringLiteral("PRAGMA quick_check(1)"), {}, &q);
      if (!q.ok() || check.toString() != QLatin1String("ok"))
        r = StoreResult::failure(DbError::UnrecognizedFormat,
                                 QStringLiteral("Damaged database %1: %2").arg(path, q.ok() ? check.toString() : q.detail),
                                 Msg::DatabaseNotFound);
    }
    if (r.ok()) {
      r = upgradeMainDatabase(db, now, &rep.upgrade);
      if (!r.ok() && r.message == 0) r.message = Msg::DatabaseNotFound;
    }
  }
  if (r.ok() && !rep.created) r = repairMainSchema(db, &rep.repaired);
  if (r.ok()) r = ensureSystemRow(db, &rep.systemRowCreated);
  if (!r.ok()) {
    if (r.message == 0) r.message = Msg::DatabaseNotFound;
    db.close();
  }
  if (report) *report = rep;
  return r;
}

}  // namespace tavrik
