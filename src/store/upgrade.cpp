#include "store/upgrade.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "core/messages.h"
#include "store/schema.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

StoreResult wrongVersion(const QString& detail) {
  return StoreResult::failure(DbError::Other, detail, Msg::DatabaseWrongVersion);
}

// Runs the calls in order, stopping at the first failure; the step's name goes into
// the detail so a failed upgrade says where it stopped.
template <typename... F>
StoreResult steps(const char* name, F&&... fs) {
  StoreResult r;
  ((r.ok() ? (void)(r = fs()) : (void)0), ...);
  if (!r.ok()) r.detail = QString::fromUtf8(name) + QStringLiteral(": ") + r.detail;
  return r;
}

FieldDef of(const char* n, FieldType t) { return FieldDef::of(QString::fromUtf8(n), t); }

}  // namespace

StoreResult readDbVersion(Database& db, int* version) {
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM Version"));
  if (!rs->lastResult().ok()) {
    if (rs->lastResult().error == DbError::TableNotFound || rs->lastResult().error == DbError::SqlError)
      return wrongVersion(rs->lastResult().detail);
    return rs->lastResult();
  }
  rs->findFirst(QStringLiteral("Id = 1"));
  if (!rs->lastResult().ok()) return wrongVersion(rs->lastResult().detail);
  if (rs->noMatch()) return wrongVersion(QStringLiteral("No Version row Id = 1"));
  const QVariant v = rs->value(QStringLiteral("version"));
  bool ok = false;
  const double d = v.toDouble(&ok);
  if (!v.isValid() || !ok || !std::isfinite(d) || d < kOldestDbVersion)
    return wrongVersion(QStringLiteral("Version %1").arg(v.toString()));
  if (version) *version = d > 1e9 ? 1000000000 : static_cast<int>(d);
  return StoreResult::success();
}

StoreResult conv4to5(Database& db) {
  return steps("conv4to5", [&] { return db.appendField(QStringLiteral("System"), of("rd", FieldType::Boolean)); },
               [&] {
                 TableDef t{QStringLiteral("Telephone"),
                            {FieldDef::counterKey(QStringLiteral("Nr")), FieldDef::text(QStringLiteral("Name")),
                             FieldDef::text(QStringLiteral("Telephone")), FieldDef::text(QStringLiteral("Dial string")),
                             FieldDef::text(QStringLiteral("Init string")), of("Latitude", FieldType::Single),
                             of("Longitude", FieldType::Single), of("Last updated", FieldType::Date),
                             of("Created", FieldType::Date)},
                            {{QStringLiteral("PrimaryKey"), {QStringLiteral("Nr")}, true, true}}};
                 return db.createTable(t);
               });
}

StoreResult conv5to6(Database& db) {
  return steps("conv5to6", [&] { return db.appendField(QStringLiteral("System"), of("Grid", FieldType::Integer)); },
               [&] {
                 // A later flag overrides an earlier one: NGR over RD over UTM.
                 auto rs = db.openRecordset(QStringLiteral("System"));
                 if (!rs->lastResult().ok()) return rs->lastResult();
                 for (; !rs->eof(); rs->moveNext()) {
                   int grid = 0;
                   if (rs->flag(QStringLiteral("utm"))) grid = 2;
                   if (rs->flag(QStringLiteral("rd"))) grid = 3;
                   if (rs->flag(QStringLiteral("ngr"))) grid = 4;
                   StoreResult r = rs->edit();
                   if (r.ok()) r = rs->setValue(QStringLiteral("grid"), grid);
                   if (r.ok()) r = rs->update();
                   if (!r.ok()) return r;
                 }
                 return StoreResult::success();
               });
}

StoreResult conv6to7(Database& db) {
  return steps(
      "conv6to7", [&] { return db.appendField(QStringLiteral("System"), of("Dist", FieldType::Single)); },
      [&] { return db.execute(QStringLiteral("UPDATE System SET Dist = [Grid Distance]")); },
      [&] { return db.deleteField(QStringLiteral("System"), QStringLiteral("Grid Distance")); },
      [&] { return db.renameField(QStringLiteral("System"), QStringLiteral("Dist"), QStringLiteral("Grid Distance")); });
}

StoreResult conv7to8(Database& db) {
  const auto relation = [&](const char* name, const char* foreignTable) {
    return db.createRelation({QString::fromUtf8(name), QStringLiteral("Datums"), QStringLiteral("Datum"),
                              QString::fromUtf8(foreignTable), QStringLiteral("Datum"), true, false});
  };
  return steps(
      "conv7to8", [&] { return db.appendField(QStringLiteral("Waypoints"), of("Datum", FieldType::Long)); },
      [&] { return db.appendField(QStringLiteral("Zone points"), of("Datum", FieldType::Long)); },
      [&] { return relation("Datum", "Waypoints"); }, [&] { return relation("Zone datum", "Zone points"); },
      [&] {
        return db.execute(QStringLiteral(
            "INSERT INTO Ellipsoids (ellipse, description, minoraxis, majoraxis) VALUES (0, 'Default', 0, 0)"));
      },
      [&] {
        return db.execute(
            QStringLiteral("INSERT INTO Datums (datum, ellipse, description, x, y, z) VALUES (0, 0, 'Default', 0, 0, 0)"));
      },
      [&] { return db.execute(QStringLiteral("Update Waypoints Set Datum = 0")); },
      [&] { return db.execute(QStringLiteral("Update [Zone points] Set Datum = 0")); });
}

StoreResult conv8to9(Database& db) {
  return steps(
      "conv8to9", [&] { return db.appendField(QStringLiteral("Charts"), of("Bottom_margin", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("Top_margin", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("Left_margin", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("Right_margin", FieldType::Single)); },
      [&] {
        return db.execute(QStringLiteral("Update Charts set Bottom_margin = 0,") + " Top_margin = 0," +
                          " Left_margin = 0," + " Right_margin = 0");
      });
}

StoreResult conv9to10(Database& db) {
  return steps(
      "conv9to10", [&] { return db.appendField(QStringLiteral("Charts"), of("Latitude3", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("Longitude3", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("X3", FieldType::Single)); },
      [&] { return db.appendField(QStringLiteral("Charts"), of("Y3", FieldType::Single)); },
      [&] {
        auto rs = db.openRecordset(QStringLiteral("Charts"));
        if (!rs->lastResult().ok()) return rs->lastResult();
        for (; !rs->eof(); rs->moveNext()) {
          double x3 = 0, y3 = 0, lat3 = 0, lon3 = 0;
          if (!rs->flag(QStringLiteral("mercator"))) {
            const double x1 = rs->number(QStringLiteral("x1")), y1 = rs->number(QStringLiteral("y1"));
            const double x2 = rs->number(QStringLiteral("x2")), y2 = rs->number(QStringLiteral("y2"));
            const double lat1 = rs->number(QStringLiteral("latitude1")), lon1 = rs->number(QStringLiteral("longitude1"));
            const double lat2 = rs->number(QStringLiteral("latitude2")), lon2 = rs->number(QStringLiteral("longitude2"));
            const double milelat = rs->number(QStringLiteral("milelat")), milelon = rs->number(QStringLiteral("milelon"));
            x3 = x1 + x2;
            y3 = y1 + y2;
            // y grows downwards and latitude upwards; distances are chart units,
            // the scales chart units per minute.
            if (milelat != 0) lat3 = lat1 - (y3 - y1) / milelat / 60;
            else lat3 = y2 != y1 ? lat1 + (y3 - y1) * (lat2 - lat1) / (y2 - y1) : lat1;
            if (milelon != 0) lon3 = lon1 + (x3 - x1) / milelon / 60;
            else lon3 = x2 != x1 ? lon1 + (x3 - x1) * (lon2 - lon1) / (x2 - x1) : lon1;
            if (!std::isfinite(lat3)) lat3 = lat1;
            if (!std::isfinite(lon3)) lon3 = lon1;
          }
          StoreResult r = rs->edit();
          if (r.ok()) r = rs->setValue(QStringLiteral("x3"), x3);
          if (r.ok()) r = rs->setValue(QStringLiteral("y3"), y3);
          if (r.ok()) r = rs->setValue(QStringLiteral("latitude3"), lat3);
          if (r.ok()) r = rs->setValue(QStringLiteral("longitude3"), lon3);
          if (r.ok()) r = rs->update();
          if (!r.ok()) return r;
        }
        return StoreResult::success();
      });
}

StoreResult conv10to11(Database& db) {
  return steps(
      "conv10to11", [&] { return db.appendField(QStringLiteral("Charts"), FieldDef::text(QStringLiteral("Scale"), 15)); },
      [&] { return db.appendField(QStringLiteral("Charts"), FieldDef::text(QStringLiteral("Depth"), 15)); },
      [&] { return db.appendField(QStringLiteral("Charts"), FieldDef::text(QStringLiteral("Revised"), 15)); },
      [&] { return db.execute(QStringLiteral("UPDATE Charts SET Scale = ' '")); },
      [&] { return db.execute(QStringLiteral("UPDATE Charts SET Depth = ' '")); },
      [&] { return db.execute(QStringLiteral("UPDATE Charts SET Revised = ' '")); });
}

StoreResult conv11to12(Database& db) {
  return steps("conv11to12", [&] { return db.appendField(QStringLiteral("Charts"), of("Zoom", FieldType::Boolean)); });
}

StoreResult conv12to13(Database& db) {
  return steps("conv12to13",
               [&] { return db.renameField(QStringLiteral("Charts"), QStringLiteral("Zoom"), QStringLiteral("BSB")); },
               [&] { return db.execute(QStringLiteral("UPDATE Charts SET BSB = 0")); });
}

namespace {

QString freeBackupName(const QString& path, int version) {
  const QString base = QStringLiteral("%1.v%2").arg(path).arg(version);
  QString name = base + QStringLiteral(".bak");
  for (int i = 1; QFileInfo::exists(name); ++i) name = QStringLiteral("%1.%2.bak").arg(base).arg(i);
  return name;
}

}  // namespace

StoreResult upgradeMainDatabase(Database& db, const QDateTime& now, UpgradeReport* report) {
  int version = 0;
  StoreResult r = readDbVersion(db, &version);
  if (report) *report = {version, false, {}};
  if (!r.ok()) return r;
  if (version >= kCurrentDbVersion) return StoreResult::success();

  // The file as it was, before any step touches it.
  const QString backup = freeBackupName(db.path(), version);
  r = db.execute(QStringLiteral("VACUUM INTO ") + sqlQuote(backup));
  if (!r.ok()) {
    r.detail = QStringLiteral("Backup %1: %2").arg(backup, r.detail);
    return r;
  }
  if (report) report->backupPath = backup;

  using Step = StoreResult (*)(Database&);
  static const Step chain[] = {conv4to5, conv5to6, conv6to7, conv7to8, conv8to9, conv9to10, conv10to11, conv11to12, conv12to13};
  r = db.beginTrans();
  if (!r.ok()) return r;
  for (int target = 5; target <= kCurrentDbVersion && r.ok(); ++target) {
    int current = 0;
    r = readDbVersion(db, &current);
    if (r.ok() && current < target) r = chain[target - 5](db);
  }
  if (r.ok())
    r = db.execute(QStringLiteral("UPDATE Version SET version = ?, [Date last used] = ? WHERE Id = 1"),
                   {kCurrentDbVersion, dbDateText(now)});
  if (!r.ok()) {
    db.rollback();
    return r;
  }
  r = db.commitTrans();
  if (r.ok() && report) report->upgraded = true;
  return r;
}

StoreResult convertto2(Database& info) {
  return steps(
      "convertto2", [&] { return info.appendField(QStringLiteral("Version"), FieldDef::text(QStringLiteral("Icon"))); },
      [&] { return info.appendField(QStringLiteral("Info points"), FieldDef::text(QStringLiteral("Icon"))); },
      [&] { return info.execute(QStringLiteral("UPDATE Version SET Icon = ' '")); },
      [&] { return info.execute(QStringLiteral("UPDATE [Info points] SET Icon = ' '")); },
      [&] { return info.execute(QStringLiteral("UPDATE Version SET dbVersion = 2")); });
}

StoreResult convertto3(Database& info) {
  return steps(
      "convertto3", [&] { return info.appendField(QStringLiteral("Info points"), FieldDef::text(QStringLiteral("Chart"))); },
      [&] { return info.execute(QStringLiteral("UPDATE [Info points] SET Chart = ' '")); },
      [&] { return info.execute(QStringLiteral("UPDATE Version SET dbVersion = 3")); });
}

StoreResult openInfoDatabase(Database& info, const QString& path) {
  StoreResult r = info.open(path);
  if (!r.ok()) return r;
  StoreResult q;
  const QVariant v = info.scalar(QStringLiteral("SELECT dbversion FROM Version"), {}, &q);
  if (!q.ok() || !v.isValid()) {
    info.close();
    return q.ok() ? wrongVersion(QStringLiteral("No Version row")) : StoreResult::failure(q.error, q.detail, Msg::DatabaseNotFound);
  }
  int version = v.toInt();
  if (version >= kCurrentInfoDbVersion) return StoreResult::success();
  r = info.beginTrans();
  if (r.ok() && version == 1) {
    r = convertto2(info);
    version = info.scalar(QStringLiteral("SELECT dbversion FROM Version")).toInt();
  }
  if (r.ok() && version == 2) r = convertto3(info);
  if (!r.ok()) {
    info.rollback();
    info.close();
    return r;
  }
  return info.commitTrans();
}

StoreResult copyDatabaseStructure(Database& source, const QString& newPath) {
  const QString target = QFileInfo(newPath).absoluteFilePath();
  if (source.isOpen() && QFileInfo(source.path()).absoluteFilePath() == target)
    return StoreResult::failure(3045, QStringLiteral("Could not use '%1'; file already in use.").arg(newPath));
  StoreResult r;
  {
    Database out;
    r = out.open(target, Database::Mode::Create);
    if (r.ok()) r = out.beginTrans();
    const std::vector<RelationDef> rels = source.relations();
    for (const QString& name : source.tableNames()) {
      if (!r.ok()) break;
      const auto def = source.tableDef(name);
      if (!def) continue;
      std::vector<RelationDef> mine;
      for (const RelationDef& rel : rels)
        if (rel.foreignTable.compare(name, Qt::CaseInsensitive) == 0) mine.push_back(rel);
      r = out.createTable(*def, mine);
    }
    if (r.ok()) r = out.commitTrans();
    else if (out.transactionDepth() > 0) out.rollback();
    out.close();
  }
  for (const char* table : {"Version", "Ellipsoids", "Datums"}) {
    if (!r.ok()) break;
    if (!source.hasTable(QString::fromUtf8(table))) continue;
    r = source.execute(QStringLiteral("INSERT INTO %1 IN %2 SELECT * FROM %1").arg(QString::fromUtf8(table), sqlQuote(target)));
  }
  if (!r.ok())
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(target + QLatin1String(suffix));
  return r;
}

}  // namespace tavrik
