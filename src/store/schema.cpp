#include "store/schema.h"

#include "geo/datum_catalogue.h"
#include "store/sql_text.h"
#include "store/system_row.h"

namespace tavrik {
namespace {

FieldDef txt(const char* n, int size = 50) { return FieldDef::text(QString::fromUtf8(n), size); }
FieldDef of(const char* n, FieldType t) { return FieldDef::of(QString::fromUtf8(n), t); }
FieldDef num(const char* n) { return of(n, FieldType::Double); }
FieldDef counter(const char* n) { return FieldDef::counterKey(QString::fromUtf8(n)); }
IndexDef primary(const char* field) { return {QStringLiteral("PrimaryKey"), {QString::fromUtf8(field)}, true, true}; }
IndexDef unique(const char* name, const char* field) { return {QString::fromUtf8(name), {QString::fromUtf8(field)}, false, true}; }
IndexDef plain(const char* name, const char* field) { return {QString::fromUtf8(name), {QString::fromUtf8(field)}, false, false}; }

}  // namespace

std::vector<TableDef> mainSchemaTables() {
  using T = FieldType;
  std::vector<TableDef> t;
  t.push_back({QStringLiteral("Version"), {of("Id", T::Long), of("version", T::Long), of("Date last used", T::Date)}, {primary("Id")}});
  t.push_back({QStringLiteral("System"),
               {of("id", T::Long), of("grid", T::Integer), of("ellipse", T::Long), num("Track interval"),
                num("Test interval"), txt("units", 10), num("speed"), num("variation"), num("Local time"),
                of("Grid distance", T::Single), of("Start log", T::Boolean), of("folder", T::Long), txt("Folder name"),
                of("GPS datum", T::Long), num("latitude"), num("longitude"), of("cursor", T::Boolean), txt("Icon", 255),
                of("Positioning", T::Boolean), num("Log interval"), of("utm", T::Boolean), of("ngr", T::Boolean),
                of("rd", T::Boolean)},
               {primary("id")}});
  t.push_back({QStringLiteral("Charts"),
               {counter("chart"), txt("description"), txt("bitmap", 255), of("mercator", T::Boolean), num("latitude1"),
                num("longitude1"), num("x1"), num("y1"), num("latitude2"), num("longitude2"), num("x2"), num("y2"),
                num("milelat"), num("milelon"), num("maxx"), num("maxy"), num("latmin"), num("lonmin"), num("latmax"),
                num("lonmax"), of("datum", T::Long), of("created", T::Date), of("Bottom_margin", T::Single),
                of("Top_margin", T::Single), of("Left_margin", T::Single), of("Right_margin", T::Single),
                of("Latitude3", T::Single), of("Longitude3", T::Single), of("X3", T::Single), of("Y3", T::Single),
                txt("Scale", 15), txt("Depth", 15), txt("Revised", 15), of("BSB", T::Boolean)},
               {plain("description", "description")}});
  t.push_back({QStringLiteral("Folders"), {counter("folder"), txt("description"), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Folder charts"), {of("Folder", T::Long), of("Chart", T::Long), of("created", T::Date)},
               {plain("Folder", "Folder"), plain("Chart", "Chart")}});
  t.push_back({QStringLiteral("Waypoints"),
               {counter("Waypoint"), txt("description"), num("latitude"), num("longitude"), of("Type", T::Long),
                of("Group", T::Long), num("proximity"), of("approachable", T::Boolean), of("memo", T::Memo),
                of("created", T::Date), of("Datum", T::Long)},
               {unique("description", "description"), plain("Type", "Type"), plain("Group", "Group")}});
  t.push_back({QStringLiteral("Waypoint types"), {counter("Type"), txt("description"), txt("Icon", 255), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Waypoint groups"), {counter("Group"), txt("description"), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Routes"), {counter("route"), txt("description"), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Route points"),
               {of("Route", T::Long), of("Waypoint", T::Long), counter("Sequence"), of("created", T::Date)},
               {plain("Route", "Route"), plain("Waypoint", "Waypoint")}});
  t.push_back({QStringLiteral("Zones"), {counter("zone"), txt("Name"), of("created", T::Date)}, {unique("Name", "Name")}});
  t.push_back({QStringLiteral("Zone points"),
               {of("Zone", T::Long), counter("Point"), num("latitude"), num("longitude"), of("Datum", T::Long)},
               {plain("Zone", "Zone")}});
  t.push_back({QStringLiteral("Tracks"), {counter("Track"), txt("description"), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Track data"), {of("Track", T::Long), of("date", T::Date), num("latitude"), num("longitude")},
               {plain("Track", "Track")}});
  t.push_back({QStringLiteral("Log"),
               {of("Entry type", T::Long), of("date", T::Date), num("latitude"), num("longitude"), num("SOG"), num("COG"),
                num("speed"), num("course"), num("distance"), num("temperature"), num("depth"), num("pressure"),
                num("wind direction"), num("wind speed"), txt("position"), num("position lat"), num("position lon"),
                of("memo", T::Memo)},
               {plain("Entry type", "Entry type"), plain("date", "date")}});
  t.push_back({QStringLiteral("Log entry types"), {counter("Entry type"), txt("description"), of("created", T::Date)},
               {unique("description", "description")}});
  t.push_back({QStringLiteral("Ships"),
               {txt("Name"), txt("telephone"), num("latitude"), num("longitude"), num("course"), num("speed"),
                num("wind direction"), num("wind speed"), of("Last updated", T::Date), of("created", T::Date)},
               {unique("Name", "Name")}});
  t.push_back({QStringLiteral("Telephone"),
               {counter("Nr"), txt("Name"), txt("Telephone"), txt("Dial string"), txt("Init string"),
                of("Latitude", T::Single), of("Longitude", T::Single), of("Last updated", T::Date), of("Created", T::Date)},
               {primary("Nr")}});
  t.push_back({QStringLiteral("Datums"),
               {of("datum", T::Long), of("ellipse", T::Long), txt("description"), num("x"), num("y"), num("z")},
               {primary("datum")}});
  t.push_back({QStringLiteral("Ellipsoids"), {of("ellipse", T::Long), txt("description"), num("majoraxis"), num("minoraxis")},
               {primary("ellipse")}});
  return t;
}

std::vector<RelationDef> mainSchemaRelations() {
  return {
      {QStringLiteral("Datum"), QStringLiteral("Datums"), QStringLiteral("datum"), QStringLiteral("Waypoints"),
       QStringLiteral("Datum"), true, false},
      {QStringLiteral("Zone datum"), QStringLiteral("Datums"), QStringLiteral("datum"), QStringLiteral("Zone points"),
       QStringLiteral("Datum"), true, false},
  };
}

StoreResult createMainSchema(Database& db) {
  StoreResult r = db.beginTrans();
  if (!r.ok()) return r;
  const std::vector<RelationDef> rels = mainSchemaRelations();
  for (const TableDef& t : mainSchemaTables()) {
    std::vector<RelationDef> mine;
    for (const RelationDef& rel : rels)
      if (rel.foreignTable == t.name) mine.push_back(rel);
    r = db.createTable(t, mine);
    if (!r.ok()) {
      db.rollback();
      return r;
    }
  }
  return db.commitTrans();
}

StoreResult repairMainSchema(Database& db, QStringList* added) {
  StoreResult r = db.beginTrans();
  if (!r.ok()) return r;
  const std::vector<RelationDef> rels = mainSchemaRelations();
  for (const TableDef& t : mainSchemaTables()) {
    const auto have = db.tableDef(t.name);
    if (!have) {
      std::vector<RelationDef> mine;
      for (const RelationDef& rel : rels)
        if (rel.foreignTable == t.name) mine.push_back(rel);
      r = db.createTable(t, mine);
      if (r.ok() && added) *added << t.name;
    } else {
      for (const FieldDef& f : t.fields) {
        if (have->field(f.name)) continue;
        FieldDef plain = f;
        plain.counter = false;  // a key cannot be added to rows that exist
        r = db.appendField(have->name, plain);
        if (!r.ok()) break;
        if (added) *added << have->name + '.' + f.name;
      }
    }
    if (!r.ok()) {
      db.rollback();
      return r;
    }
  }
  return db.commitTrans();
}

const QStringList& builtinLogEntryTypes() {
  static const QStringList types = {QStringLiteral("GPS"), QStringLiteral("Simul"), QStringLiteral("Test"),
                                    QStringLiteral("Sony"), QStringLiteral("OLE")};
  return types;
}

StoreResult seedMainDatabase(Database& db, const QDateTime& now) {
  StoreResult r = db.beginTrans();
  if (!r.ok()) return r;
  const auto run = [&]() -> StoreResult {
    const QString stamp = dbDateText(now);
    StoreResult s = db.execute(QStringLiteral("INSERT INTO Version (Id, version, [Date last used]) VALUES (1, ?, ?)"),
                               {kCurrentDbVersion, stamp});
    if (!s.ok()) return s;
    s = insertSystemRow(db);
    if (!s.ok()) return s;
    for (const EllipsoidRow& e : builtinEllipsoids()) {
      s = db.execute(QStringLiteral("INSERT INTO Ellipsoids (ellipse, description, majoraxis, minoraxis) VALUES (?, ?, ?, ?)"),
                     {e.ellipse, QString::fromUtf8(e.description), e.majoraxis, e.minoraxis});
      if (!s.ok()) return s;
    }
    for (const DatumRow& d : builtinDatums()) {
      s = db.execute(QStringLiteral("INSERT INTO Datums (datum, ellipse, description, x, y, z) VALUES (?, ?, ?, ?, ?, ?)"),
                     {d.datum, d.ellipse, QString::fromUtf8(d.description), d.x, d.y, d.z});
      if (!s.ok()) return s;
    }
    for (const QString& type : builtinLogEntryTypes()) {
      s = db.execute(QStringLiteral("INSERT INTO [Log entry types] (description, created) VALUES (?, ?)"), {type, stamp});
      if (!s.ok()) return s;
    }
    s = db.execute(QStringLiteral("INSERT INTO [Waypoint types] (description, Icon, created) VALUES ('Waypoint', ' ', ?)"), {stamp});
    if (s.ok()) s = db.execute(QStringLiteral("INSERT INTO [Waypoint groups] (description, created) VALUES ('General', ?)"), {stamp});
    return s;
  };
  r = run();
  if (!r.ok()) {
    db.rollback();
    return r;
  }
  return db.commitTrans();
}

StoreResult createMainDatabase(Database& db, const QString& path, const QDateTime& now) {
  StoreResult r = db.open(path, Database::Mode::Create);
  if (r.ok()) r = createMainSchema(db);
  if (r.ok()) r = seedMainDatabase(db, now);
  return r;
}

std::vector<TableDef> infoSchemaTables() {
  using T = FieldType;
  return {
      {QStringLiteral("Version"),
       {txt("Name"), txt("Version"), txt("Copyright"), txt("Area"), txt("Icon"), of("dbVersion", T::Long)},
       {}},
      {QStringLiteral("Info points"),
       {counter("Info"), txt("Name"), txt("File", 100), of("Latitude", T::Single), of("Longitude", T::Single),
        txt("Icon"), txt("Chart"), of("Created", T::Date)},
       {primary("Info")}},
  };
}

StoreResult createInfoDatabase(Database& db, const QString& path, const InfoDatabaseHeader& h) {
  StoreResult r = db.open(path, Database::Mode::Create);
  if (!r.ok()) return r;
  r = db.beginTrans();
  if (!r.ok()) return r;
  for (const TableDef& t : infoSchemaTables()) {
    r = db.createTable(t);
    if (!r.ok()) break;
  }
  const auto orBlank = [](const QString& s) { return s.isEmpty() ? QStringLiteral(" ") : s; };
  if (r.ok())
    r = db.execute(QStringLiteral("INSERT INTO Version (Name, Version, Copyright, Area, Icon, dbVersion) VALUES (?, ?, ?, ?, ?, ?)"),
                   {orBlank(h.name), orBlank(h.version), orBlank(h.copyright), orBlank(h.area), orBlank(h.icon),
                    kCurrentInfoDbVersion});
  if (!r.ok()) {
    db.rollback();
    return r;
  }
  return db.commitTrans();
}

}  // namespace tavrik
