#include "store/system_row.h"

#include <cmath>

namespace tavrik {
namespace {

// A number from the row, or def when the column is missing, Null or not a number.
double numberOr(Recordset& rs, const char* field, double def) {
  const QVariant v = rs.value(QString::fromUtf8(field));
  if (!v.isValid() || v.isNull()) return def;
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && std::isfinite(d) ? d : def;
}

int intOr(Recordset& rs, const char* field, int def) {
  const double d = numberOr(rs, field, def);
  return std::abs(d) < 2147483647.0 ? static_cast<int>(std::lround(d)) : def;
}

bool flagOr(Recordset& rs, const char* field, bool def) {
  if (!rs.hasField(QString::fromUtf8(field))) return def;
  return rs.flag(QString::fromUtf8(field));
}

// Writes the settings into the fields the row has (older rows lack some).
void setSystemFields(Recordset& rs, const SystemSettings& s) {
  const auto set = [&](const char* f, const QVariant& v) {
    if (rs.hasField(QString::fromUtf8(f))) rs.setValue(QString::fromUtf8(f), v);
  };
  set("grid", s.grid);
  set("ellipse", s.ellipse);
  set("Track interval", s.trackInterval);
  set("Test interval", s.testInterval);
  set("units", s.units);
  set("speed", s.speed);
  set("variation", s.variation);
  set("Local time", s.localTime);
  set("Grid distance", static_cast<double>(s.gridDistance));
  set("Start log", s.startLog);
  set("folder", s.folder);
  set("GPS datum", s.gpsDatum);
  set("latitude", s.latitude);
  set("longitude", s.longitude);
  set("cursor", s.cursor);
  set("Icon", s.icon);
  set("Positioning", s.positioning);
  set("Log interval", s.logInterval);
}

}  // namespace

StoreResult insertSystemRow(Database& db) {
  const SystemSettings d;
  auto rs = db.openRecordset(QStringLiteral("System"));
  if (!rs->lastResult().ok()) return rs->lastResult();
  StoreResult r = rs->addNew();
  if (!r.ok()) return r;
  setSystemFields(*rs, d);
  if (rs->hasField(QStringLiteral("id"))) rs->setValue(QStringLiteral("id"), 1);
  if (rs->hasField(QStringLiteral("Folder name"))) rs->setValue(QStringLiteral("Folder name"), QStringLiteral(" "));
  return rs->update();
}

StoreResult ensureSystemRow(Database& db, bool* created) {
  if (created) *created = false;
  auto rs = db.openRecordset(QStringLiteral("System"));
  if (!rs->lastResult().ok()) return rs->lastResult();
  rs->findFirst(QStringLiteral("Id = 1"));
  if (!rs->lastResult().ok()) return rs->lastResult();
  if (!rs->noMatch()) return StoreResult::success();
  rs->close();
  const StoreResult r = insertSystemRow(db);
  if (r.ok() && created) *created = true;
  return r;
}

StoreResult readSystemRow(Database& db, SystemSettings& out) {
  StoreResult r = ensureSystemRow(db);
  if (!r.ok()) return r;
  auto rs = db.openRecordset(QStringLiteral("System"));
  rs->findFirst(QStringLiteral("Id = 1"));
  if (rs->noMatch()) return StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No System row Id = 1"));
  const SystemSettings d;
  SystemSettings s;
  s.grid = intOr(*rs, "grid", d.grid);
  s.ellipse = intOr(*rs, "ellipse", d.ellipse);
  s.trackInterval = numberOr(*rs, "Track interval", d.trackInterval);
  s.testInterval = numberOr(*rs, "Test interval", d.testInterval);
  s.units = rs->hasField(QStringLiteral("units")) && !rs->isNull(QStringLiteral("units"))
                ? rs->text(QStringLiteral("units")).trimmed()
                : d.units;
  s.speed = numberOr(*rs, "speed", d.speed);
  s.variation = numberOr(*rs, "variation", d.variation);
  s.localTime = intOr(*rs, "Local time", d.localTime);
  s.gridDistance = static_cast<float>(numberOr(*rs, "Grid distance", d.gridDistance));
  s.startLog = flagOr(*rs, "Start log", d.startLog);
  s.folder = intOr(*rs, "folder", d.folder);
  s.gpsDatum = intOr(*rs, "GPS datum", d.gpsDatum);
  s.latitude = numberOr(*rs, "latitude", d.latitude);
  s.longitude = numberOr(*rs, "longitude", d.longitude);
  if (std::abs(s.latitude) > 90) s.latitude = d.latitude;
  if (std::abs(s.longitude) > 360) s.longitude = d.longitude;
  s.cursor = flagOr(*rs, "cursor", d.cursor);
  // The own-ship icon is kept only when the row holds one.
  if (rs->hasField(QStringLiteral("Icon")) && !rs->isNull(QStringLiteral("Icon"))) s.icon = rs->text(QStringLiteral("Icon"));
  s.positioning = flagOr(*rs, "Positioning", d.positioning);
  s.logInterval = numberOr(*rs, "Log interval", d.logInterval);
  out = s;
  return StoreResult::success();
}

StoreResult writeSystemRow(Database& db, const SystemSettings& s) {
  StoreResult r = ensureSystemRow(db);
  if (!r.ok()) return r;
  auto rs = db.openRecordset(QStringLiteral("System"));
  rs->findFirst(QStringLiteral("Id = 1"));
  if (rs->noMatch()) return StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No System row Id = 1"));
  r = rs->edit();
  if (!r.ok()) return r;
  setSystemFields(*rs, s);
  return rs->update();
}

StoreResult writeLastPosition(Database& db, double latitude, double longitude) {
  StoreResult r = ensureSystemRow(db);
  if (!r.ok()) return r;
  auto rs = db.openRecordset(QStringLiteral("System"));
  rs->findFirst(QStringLiteral("Id = 1"));
  if (rs->noMatch()) return StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No System row Id = 1"));
  r = rs->edit();
  if (r.ok()) r = rs->setValue(QStringLiteral("latitude"), latitude);
  if (r.ok()) r = rs->setValue(QStringLiteral("longitude"), longitude);
  if (r.ok()) r = rs->update();
  else rs->cancelUpdate();
  return r;
}

}  // namespace tavrik
