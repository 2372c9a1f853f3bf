#include "library/exchange_file.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

#include "core/messages.h"
#include "core/number_format.h"
#include "library/file_names.h"
#include "library/library_texts.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

float floatAt(const char* p) {
  const quint32 bits = qFromLittleEndian<quint32>(p);
  float v = 0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// A transaction around one file: rolled back unless committed.
class FileTransaction {
 public:
  explicit FileTransaction(Database& db) : m_db(db) { m_begun = m_db.beginTrans(); }
  ~FileTransaction() {
    if (m_begun.ok() && !m_committed) m_db.rollback();
  }
  const StoreResult& begun() const { return m_begun; }
  StoreResult commit() {
    m_committed = true;
    return m_db.commitTrans();
  }

 private:
  Database& m_db;
  StoreResult m_begun;
  bool m_committed = false;
};

ImportOutcome failed(const QString& message) {
  ImportOutcome o;
  o.ok = false;
  o.error = message;
  return o;
}
ImportOutcome failed(const StoreResult& r) {
  return failed(r.message ? MessageText(r.message) : ErrorReportText(r.error, r.detail));
}

bool readRecords(const QString& path, ExchangeRecords* out, ImportOutcome* outcome) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *outcome = failed(library_text::cannotRead(path));
    return false;
  }
  *out = parseExchangeRecords(f.readAll());
  if (out->trailingBytes) outcome->warnings << library_text::partialRecord(out->trailingBytes);
  return true;
}

// The key of the row of `table` described `description`, adding it (with `created`,
// and `extraColumn` = `extraValue` when given) when missing.
StoreResult ensureDescribed(Database& db, const QString& table, const QString& keyField, const QString& description,
                            const QDateTime& now, qint64* key, ImportOutcome* outcome, const QString& extraColumn = {},
                            const QVariant& extraValue = {}) {
  StoreResult r;
  const QVariant existing = db.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE description = ?").arg(sqlName(keyField), sqlName(table)),
                                      {description}, &r);
  if (!r.ok()) return r;
  if (existing.isValid()) {
    *key = existing.toLongLong();
    return r;
  }
  if (extraColumn.isEmpty())
    r = db.execute(QStringLiteral("INSERT INTO %1 (description, created) VALUES (?, ?)").arg(sqlName(table)),
                   {description, dbDateText(now)});
  else
    r = db.execute(QStringLiteral("INSERT INTO %1 (description, created, %2) VALUES (?, ?, ?)").arg(sqlName(table), sqlName(extraColumn)),
                   {description, dbDateText(now), extraValue});
  *key = db.lastInsertId();
  if (r.ok()) outcome->rows.push_back({table, *key, description, true});
  return r;
}

// The waypoint being read from a waypoint file, written when the next "A" record or
// the end of the file comes.
struct PendingWaypoint {
  qint64 key = 0;  // 0: a new one
  QString description;
  double latitude = 0, longitude = 0;
  double proximity = 0;
  bool approachable = true;
  QString memo = QStringLiteral(" ");
  bool exists = false;
};

}  // namespace

ExchangeRecords parseExchangeRecords(const QByteArray& bytes) {
  ExchangeRecords out;
  const qsizetype whole = bytes.size() / kExchangeRecordSize;
  out.trailingBytes = static_cast<int>(bytes.size() % kExchangeRecordSize);
  out.records.reserve(static_cast<size_t>(whole));
  for (qsizetype i = 0; i < whole; ++i) {
    const char* p = bytes.constData() + i * kExchangeRecordSize;
    ExchangeRecord r;
    r.kind = fromAnsi(QByteArray(p, 1)).at(0);
    r.text = fromAnsi(QByteArray(p + 1, 25));
    r.first = floatAt(p + 26);
    r.second = floatAt(p + 30);
    out.records.push_back(std::move(r));
  }
  return out;
}

QByteArray exchangeRecordBytes(const ExchangeRecord& record) {
  QByteArray out(kExchangeRecordSize, ' ');
  out[0] = toAnsi(QString(record.kind)).at(0);
  const QByteArray text = toAnsi(record.text.left(25));
  std::memcpy(out.data() + 1, text.constData(), static_cast<size_t>(text.size()));
  quint32 bits = 0;
  std::memcpy(&bits, &record.first, sizeof bits);
  qToLittleEndian(bits, out.data() + 26);
  std::memcpy(&bits, &record.second, sizeof bits);
  qToLittleEndian(bits, out.data() + 30);
  return out;
}

std::optional<ExchangeKind> exchangeKindOfPath(const QString& path) {
  const QString ext = extensionPart(path).toUpper();
  if (ext == QLatin1String("WP")) return ExchangeKind::Waypoints;
  if (ext == QLatin1String("RT")) return ExchangeKind::Route;
  if (ext == QLatin1String("TRC")) return ExchangeKind::Track;
  return std::nullopt;
}

ImportOutcome importWaypointFile(Database& db, const QString& path, const ExchangeImportOptions& o) {
  ImportOutcome out;
  ExchangeRecords file;
  if (!readRecords(path, &file, &out)) return out;
  FileTransaction tx(db);
  if (!tx.begun().ok()) return failed(tx.begun());
  qint64 type = 0, group = 0;
  StoreResult r = ensureDescribed(db, QStringLiteral("Waypoint types"), QStringLiteral("Type"), QStringLiteral("Imported"),
                                  o.now, &type, &out, QStringLiteral("Icon"), QStringLiteral(" "));
  if (r.ok())
    r = ensureDescribed(db, QStringLiteral("Waypoint groups"), QStringLiteral("Group"), directoryPart(path), o.now, &group, &out);
  if (!r.ok()) return failed(r);

  std::optional<PendingWaypoint> pending;
  const auto flush = [&]() -> StoreResult {
    if (!pending) return {};
    const PendingWaypoint& w = *pending;
    StoreResult s;
    if (w.exists) {
      s = db.execute(QStringLiteral("UPDATE Waypoints SET proximity = ?, approachable = ?, memo = ? WHERE Waypoint = ?"),
                     {w.proximity, w.approachable ? -1 : 0, w.memo, w.key});
      if (s.ok()) out.rows.push_back({QStringLiteral("Waypoints"), w.key, w.description, false});
    } else {
      s = db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude, proximity, approachable, "
                                    "[Group], Type, memo, Datum, created) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {w.description, w.latitude, w.longitude, w.proximity, w.approachable ? -1 : 0, group, type, w.memo,
                      o.gpsDatum, dbDateText(o.now)});
      if (s.ok()) out.rows.push_back({QStringLiteral("Waypoints"), db.lastInsertId(), w.description, true});
    }
    pending.reset();
    return s;
  };
  int number = 0;
  for (const ExchangeRecord& rec : file.records) {
    ++number;
    const char kind = rec.kind.toLatin1();
    if (kind == 'A') {
      r = flush();
      if (!r.ok()) return failed(r);
      PendingWaypoint w;
      w.description = rec.text.trimmed();
      std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE ") +
                                                       sqlEquals(QStringLiteral("description"), w.description));
      if (!rs->eof()) {
        w.exists = true;
        w.key = rs->integer(QStringLiteral("Waypoint"));
        w.proximity = rs->number(QStringLiteral("proximity"));
        w.approachable = rs->flag(QStringLiteral("approachable"));
        w.memo = rs->text(QStringLiteral("memo"));
      } else {
        w.latitude = rec.first;
        w.longitude = rec.second;
      }
      pending = w;
    } else if (kind == 'P' || (kind >= '1' && kind <= '5')) {
      if (!pending) {
        out.warnings << QStringLiteral("record %1 of kind \"%2\" follows no waypoint and was skipped").arg(number).arg(rec.kind);
        continue;
      }
      if (kind == 'P') {
        pending->proximity = rec.first;
        pending->approachable = false;
      } else if (kind == '1') {
        pending->memo = rec.text.trimmed();
      } else {
        pending->memo += QStringLiteral("\r\n") + rec.text.trimmed();
      }
    } else {
      out.warnings << library_text::unknownRecordKind(number, rec.kind);
    }
  }
  r = flush();
  if (r.ok()) r = tx.commit();
  if (!r.ok()) return failed(r);
  return out;
}

ImportOutcome importRouteFile(Database& db, const QString& path, const ExchangeImportOptions& o) {
  ImportOutcome out;
  ExchangeRecords file;
  if (!readRecords(path, &file, &out)) return out;
  FileTransaction tx(db);
  if (!tx.begun().ok()) return failed(tx.begun());
  qint64 type = 0, group = 0, route = 0;
  StoreResult r = ensureDescribed(db, QStringLiteral("Waypoint types"), QStringLiteral("Type"), QStringLiteral("Route point"),
                                  o.now, &type, &out, QStringLiteral("Icon"), QStringLiteral(" "));
  if (r.ok())
    r = ensureDescribed(db, QStringLiteral("Waypoint groups"), QStringLiteral("Group"), QStringLiteral("Route points"), o.now,
                        &group, &out);
  const QString routeName = directoryPart(path) + strNumber(0);
  if (r.ok()) r = ensureDescribed(db, QStringLiteral("Routes"), QStringLiteral("route"), routeName, o.now, &route, &out);
  // A route read again gets the file's points anew instead of a second set.
  if (r.ok()) r = db.execute(QStringLiteral("DELETE FROM [Route points] WHERE Route = ?"), {route});
  if (!r.ok()) return failed(r);
  int n = 0;
  for (const ExchangeRecord& rec : file.records) {
    const QString name = routeName + strNumber(++n);
    const QVariant existing = db.scalar(QStringLiteral("SELECT Waypoint FROM Waypoints WHERE description = ?"), {name}, &r);
    if (!r.ok()) return failed(r);
    qint64 waypoint = existing.toLongLong();
    if (existing.isValid()) {
      r = db.execute(QStringLiteral("UPDATE Waypoints SET latitude = ?, longitude = ?, Datum = ? WHERE Waypoint = ?"),
                     {static_cast<double>(rec.first), static_cast<double>(rec.second), o.gpsDatum, waypoint});
    } else {
      r = db.execute(QStringLiteral("INSERT INTO Waypoints (description, [Group], Type, memo, approachable, proximity, "
                                    "latitude, longitude, Datum, created) VALUES (?, ?, ?, ' ', -1, 0, ?, ?, ?, ?)"),
                     {name, group, type, static_cast<double>(rec.first), static_cast<double>(rec.second), o.gpsDatum,
                      dbDateText(o.now)});
      waypoint = db.lastInsertId();
    }
    if (r.ok())
      r = db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint, created) VALUES (?, ?, ?)"),
                     {route, waypoint, dbDateText(o.now)});
    if (!r.ok()) return failed(r);
    out.rows.push_back({QStringLiteral("Waypoints"), waypoint, name, !existing.isValid()});
    out.rows.push_back({QStringLiteral("Route points"), route, name, true});
  }
  r = tx.commit();
  if (!r.ok()) return failed(r);
  return out;
}

ImportOutcome importTrackFile(Database& db, const QString& path, const ExchangeImportOptions& o) {
  ImportOutcome out;
  ExchangeRecords file;
  if (!readRecords(path, &file, &out)) return out;
  FileTransaction tx(db);
  if (!tx.begun().ok()) return failed(tx.begun());
  qint64 track = 0;
  const QString name = directoryPart(path);
  StoreResult r = ensureDescribed(db, QStringLiteral("Tracks"), QStringLiteral("Track"), name, o.now, &track, &out);
  if (!r.ok()) return failed(r);
  // One prepared insert for all points: a track file holds many thousands.
  std::unique_ptr<Recordset> points = db.openRecordset(QStringLiteral("SELECT * FROM [Track data] WHERE Track = -1"), &r);
  if (!r.ok()) return failed(r);
  const QString when = dbDateText(o.now);
  for (const ExchangeRecord& rec : file.records) {
    r = points->addNew();
    if (r.ok()) r = points->setValue(QStringLiteral("Track"), track);
    if (r.ok()) r = points->setValue(QStringLiteral("date"), when);
    if (r.ok()) r = points->setValue(QStringLiteral("latitude"), static_cast<double>(rec.first));
    if (r.ok()) r = points->setValue(QStringLiteral("longitude"), static_cast<double>(rec.second));
    if (r.ok()) r = points->update();
    if (!r.ok()) return failed(r);
  }
  points->close();
  out.rows.push_back({QStringLiteral("Track data"), track, name + QStringLiteral(" (%1 points)").arg(file.records.size()), true});
  r = tx.commit();
  if (!r.ok()) return failed(r);
  return out;
}

ImportOutcome importExchangeFile(Database& db, const QString& file, ExchangeKind kind, const ExchangeImportOptions& o) {
  // Names come from the directory, so the same file gives the same names from anywhere.
  const QString path = QFileInfo(file).absoluteFilePath();
  switch (kind) {
    case ExchangeKind::Waypoints: return importWaypointFile(db, path, o);
    case ExchangeKind::Route: return importRouteFile(db, path, o);
    case ExchangeKind::Track: return importTrackFile(db, path, o);
  }
  return failed(library_text::cannotRead(path));
}

}  // namespace tavrik
