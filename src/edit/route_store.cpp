#include "edit/route_store.h"

#include <functional>

#include "core/number_format.h"
#include "store/sql_text.h"

namespace tavrik {

namespace {

// Runs `body` inside one transaction: committed when it returns Saved, rolled back
// otherwise (a duplicate name or any failure between begin and commit).
SaveResult InTransaction(Database& db, const std::function<SaveResult()>& body) {
  SaveResult result;
  const StoreResult begun = db.beginTrans();
  if (!begun.ok()) {
    result.error = begun;
    return result;
  }
  result = body();
  if (result.saved()) {
    const StoreResult committed = db.commitTrans();
    if (committed.ok()) return result;
    result = SaveResult{SaveOutcome::Failed, committed, 0};
  }
  db.rollback();
  return result;
}

SaveResult Failed(const StoreResult& r) { return {SaveOutcome::Failed, r, 0}; }

// The key of the row of `table` whose description is `description`, added with
// `extra` filled when missing; 0 with `error` set on failure.
long FindOrAdd(Database& db, const QString& table, const QString& keyField, const QString& description,
               const std::function<void(Recordset&)>& extra, StoreResult& error) {
  auto rs = db.openRecordset(table, &error);
  if (!error.ok()) return 0;
  rs->findFirst(QStringLiteral("Description = ") + sqlQuote(description));
  if (!rs->noMatch()) return static_cast<long>(rs->integer(keyField));
  error = rs->addNew();
  if (error.ok()) error = rs->setValue(QStringLiteral("description"), description);
  if (error.ok()) extra(*rs);
  if (error.ok()) error = rs->update();
  if (!error.ok()) return 0;
  return static_cast<long>(db.lastInsertId());
}

}  // namespace

QString RouteWaypointsQuery(long routeKey) {
  return QStringLiteral("SELECT Waypoints.* FROM [Route points], Waypoints ") +
         QStringLiteral(" WHERE [Route points].Waypoint = Waypoints.Waypoint") +
         QStringLiteral(" AND [Route points].Route = ") + QString::number(routeKey) +
         QStringLiteral(" OrdER BY [Route points].Sequence");
}

SaveResult SaveRoute(Database& db, const QString& name, const LatLonList& points, int datum, const QDateTime& now) {
  return InTransaction(db, [&]() -> SaveResult {
    StoreResult r;
    const long type = FindOrAdd(db, QStringLiteral("Waypoint types"), QStringLiteral("Type"), kRoutePointType,
                                [&](Recordset& rs) { r = rs.setValue(QStringLiteral("Icon"), QStringLiteral(" ")); }, r);
    if (!r.ok()) return Failed(r);
    const long group = FindOrAdd(db, QStringLiteral("Waypoint groups"), QStringLiteral("Group"), kRoutePointGroup,
                                 [&](Recordset& rs) { r = rs.setValue(QStringLiteral("created"), now); }, r);
    if (!r.ok()) return Failed(r);
    auto routes = db.openRecordset(QStringLiteral("Routes"), &r);
    if (!r.ok()) return Failed(r);
    routes->findFirst(QStringLiteral("Description = ") + sqlQuote(name));
    if (!routes->noMatch()) return {SaveOutcome::NameExists, {}, 0};
    r = routes->addNew();
    if (r.ok()) r = routes->setValue(QStringLiteral("description"), name);
    if (r.ok()) r = routes->setValue(QStringLiteral("created"), now);
    if (r.ok()) r = routes->update();
    if (!r.ok()) return Failed(r);
    const long route = static_cast<long>(db.lastInsertId());

    auto waypoints = db.openRecordset(QStringLiteral("Waypoints"), &r);
    if (!r.ok()) return Failed(r);
    auto routePoints = db.openRecordset(QStringLiteral("Route points"), &r);
    if (!r.ok()) return Failed(r);
    int n = 0;
    for (const auto& [lat, lon] : points) {
      QString candidate;
      do {
        ++n;
        candidate = name + strNumber(n);
        const QVariant taken = db.scalar(QStringLiteral("SELECT COUNT(*) FROM Waypoints WHERE description = ?"),
                                         {candidate}, &r);
        if (!r.ok()) return Failed(r);
        if (taken.toLongLong() == 0) break;
      } while (true);
      r = waypoints->addNew();
      const std::pair<const char*, QVariant> fields[] = {
          {"description", candidate}, {"Group", static_cast<qlonglong>(group)},
          {"Type", static_cast<qlonglong>(type)}, {"memo", QStringLiteral(" ")},
          {"approachable", true}, {"proximity", 0.0},
          {"latitude", lat}, {"longitude", lon},
          {"Datum", datum}, {"created", now}};
      for (const auto& [field, value] : fields)
        if (r.ok()) r = waypoints->setValue(QLatin1String(field), value);
      if (r.ok()) r = waypoints->update();
      if (!r.ok()) return Failed(r);
      const qlonglong waypoint = db.lastInsertId();
      r = routePoints->addNew();
      if (r.ok()) r = routePoints->setValue(QStringLiteral("Route"), static_cast<qlonglong>(route));
      if (r.ok()) r = routePoints->setValue(QStringLiteral("Waypoint"), waypoint);
      if (r.ok()) r = routePoints->setValue(QStringLiteral("created"), now);
      if (r.ok()) r = routePoints->update();
      if (!r.ok()) return Failed(r);
    }
    return {SaveOutcome::Saved, {}, route};
  });
}

SaveResult SaveZone(Database& db, const QString& name, const LatLonList& points, int datum, const QDateTime& now) {
  return InTransaction(db, [&]() -> SaveResult {
    StoreResult r;
    auto zones = db.openRecordset(QStringLiteral("Zones"), &r);
    if (!r.ok()) return Failed(r);
    zones->findFirst(QStringLiteral("Name = ") + sqlQuote(name));
    if (!zones->noMatch()) return {SaveOutcome::NameExists, {}, 0};
    r = zones->addNew();
    if (r.ok()) r = zones->setValue(QStringLiteral("Name"), name);
    if (r.ok()) r = zones->setValue(QStringLiteral("created"), now);
    if (r.ok()) r = zones->update();
    if (!r.ok()) return Failed(r);
    const long zone = static_cast<long>(db.lastInsertId());
    auto zonePoints = db.openRecordset(QStringLiteral("Zone points"), &r);
    if (!r.ok()) return Failed(r);
    for (const auto& [lat, lon] : points) {
      // Zone points are kept in single precision.
      r = zonePoints->addNew();
      if (r.ok()) r = zonePoints->setValue(QStringLiteral("Zone"), static_cast<qlonglong>(zone));
      if (r.ok()) r = zonePoints->setValue(QStringLiteral("latitude"), static_cast<double>(static_cast<float>(lat)));
      if (r.ok()) r = zonePoints->setValue(QStringLiteral("longitude"), static_cast<double>(static_cast<float>(lon)));
      if (r.ok()) r = zonePoints->setValue(QStringLiteral("Datum"), datum);
      if (r.ok()) r = zonePoints->update();
      if (!r.ok()) return Failed(r);
    }
    return {SaveOutcome::Saved, {}, zone};
  });
}

}  // namespace tavrik
