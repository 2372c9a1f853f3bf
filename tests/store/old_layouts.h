#pragma once
// Databases in the layouts of older program versions, written here as plain SQL from
// what each upgrade step adds, so the upgrade code is checked against an independent
// description of where it starts from.

#include <QString>
#include <QStringList>

#include "store/database.h"

namespace tavrik::testing {

// The tables of a version 4 database.
inline QStringList version4Ddl() {
  return {
      "CREATE TABLE Version (Id INTEGER PRIMARY KEY, version INTEGER, [Date last used] DATETIME)",
      "CREATE TABLE System (id INTEGER PRIMARY KEY, ellipse INTEGER, [Track interval] DOUBLE, [Test interval] DOUBLE,"
      " units TEXT(10), speed DOUBLE, variation DOUBLE, [Local time] DOUBLE, [Grid Distance] DOUBLE,"
      " [Start log] BOOLEAN, folder INTEGER, [Folder name] TEXT(50), [GPS datum] INTEGER, latitude DOUBLE,"
      " longitude DOUBLE, cursor BOOLEAN, Icon TEXT(255), Positioning BOOLEAN, [Log interval] DOUBLE,"
      " utm BOOLEAN, ngr BOOLEAN)",
      "CREATE TABLE Charts (chart INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), bitmap TEXT(255),"
      " mercator BOOLEAN, latitude1 DOUBLE, longitude1 DOUBLE, x1 DOUBLE, y1 DOUBLE, latitude2 DOUBLE,"
      " longitude2 DOUBLE, x2 DOUBLE, y2 DOUBLE, milelat DOUBLE, milelon DOUBLE, maxx DOUBLE, maxy DOUBLE,"
      " latmin DOUBLE, lonmin DOUBLE, latmax DOUBLE, lonmax DOUBLE, datum INTEGER, created DATETIME)",
      "CREATE TABLE Folders (folder INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), created DATETIME)",
      "CREATE TABLE [Folder charts] (Folder INTEGER, Chart INTEGER, created DATETIME)",
      "CREATE TABLE Waypoints (Waypoint INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), latitude DOUBLE,"
      " longitude DOUBLE, Type INTEGER, [Group] INTEGER, proximity DOUBLE, approachable BOOLEAN, memo LONGTEXT,"
      " created DATETIME)",
      "CREATE TABLE [Waypoint types] (Type INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), Icon TEXT(255),"
      " created DATETIME)",
      "CREATE TABLE [Waypoint groups] ([Group] INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), created DATETIME)",
      "CREATE TABLE Routes (route INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), created DATETIME)",
      "CREATE TABLE [Route points] (Route INTEGER, Waypoint INTEGER, Sequence INTEGER PRIMARY KEY AUTOINCREMENT,"
      " created DATETIME)",
      "CREATE TABLE Zones (zone INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50), created DATETIME)",
      "CREATE TABLE [Zone points] (Zone INTEGER, Point INTEGER PRIMARY KEY AUTOINCREMENT, latitude DOUBLE,"
      " longitude DOUBLE)",
      "CREATE TABLE Tracks (Track INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50), created DATETIME)",
      "CREATE TABLE [Track data] (Track INTEGER, date DATETIME, latitude DOUBLE, longitude DOUBLE)",
      "CREATE TABLE Log ([Entry type] INTEGER, date DATETIME, latitude DOUBLE, longitude DOUBLE, SOG DOUBLE,"
      " COG DOUBLE, speed DOUBLE, course DOUBLE, distance DOUBLE, temperature DOUBLE, depth DOUBLE,"
      " pressure DOUBLE, [wind direction] DOUBLE, [wind speed] DOUBLE, position TEXT(50), [position lat] DOUBLE,"
      " [position lon] DOUBLE, memo LONGTEXT)",
      "CREATE TABLE [Log entry types] ([Entry type] INTEGER PRIMARY KEY AUTOINCREMENT, description TEXT(50),"
      " created DATETIME)",
      "CREATE TABLE Ships (Name TEXT(50), telephone TEXT(50), latitude DOUBLE, longitude DOUBLE, course DOUBLE,"
      " speed DOUBLE, [wind direction] DOUBLE, [wind speed] DOUBLE, [Last updated] DATETIME, created DATETIME)",
      "CREATE TABLE Datums (datum INTEGER PRIMARY KEY, ellipse INTEGER, description TEXT(50), x DOUBLE, y DOUBLE,"
      " z DOUBLE)",
      "CREATE TABLE Ellipsoids (ellipse INTEGER PRIMARY KEY, description TEXT(50), majoraxis DOUBLE, minoraxis DOUBLE)",
  };
}

// What each step adds, as the layout of the version it reaches.
inline QStringList ddlUpTo(int version) {
  QStringList ddl = version4Ddl();
  if (version >= 5) {
    ddl << "ALTER TABLE System ADD COLUMN rd BOOLEAN"
        << "CREATE TABLE Telephone (Nr INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50), Telephone TEXT(50),"
           " [Dial string] TEXT(50), [Init string] TEXT(50), Latitude FLOAT, Longitude FLOAT, [Last updated] DATETIME,"
           " Created DATETIME)";
  }
  if (version >= 6) ddl << "ALTER TABLE System ADD COLUMN Grid SMALLINT";
  if (version >= 7)
    ddl << "ALTER TABLE System ADD COLUMN Dist FLOAT" << "UPDATE System SET Dist = [Grid Distance]"
        << "ALTER TABLE System DROP COLUMN [Grid Distance]" << "ALTER TABLE System RENAME COLUMN Dist TO [Grid Distance]";
  if (version >= 8)
    ddl << "ALTER TABLE Waypoints ADD COLUMN Datum INTEGER REFERENCES Datums (datum) ON UPDATE CASCADE"
        << "ALTER TABLE [Zone points] ADD COLUMN Datum INTEGER REFERENCES Datums (datum) ON UPDATE CASCADE"
        << "INSERT INTO Ellipsoids VALUES (0, 'Default', 0, 0)" << "INSERT INTO Datums VALUES (0, 0, 'Default', 0, 0, 0)";
  if (version >= 9)
    ddl << "ALTER TABLE Charts ADD COLUMN Bottom_margin FLOAT" << "ALTER TABLE Charts ADD COLUMN Top_margin FLOAT"
        << "ALTER TABLE Charts ADD COLUMN Left_margin FLOAT" << "ALTER TABLE Charts ADD COLUMN Right_margin FLOAT";
  if (version >= 10)
    ddl << "ALTER TABLE Charts ADD COLUMN Latitude3 FLOAT" << "ALTER TABLE Charts ADD COLUMN Longitude3 FLOAT"
        << "ALTER TABLE Charts ADD COLUMN X3 FLOAT" << "ALTER TABLE Charts ADD COLUMN Y3 FLOAT";
  if (version >= 11)
    ddl << "ALTER TABLE Charts ADD COLUMN Scale TEXT(15)" << "ALTER TABLE Charts ADD COLUMN Depth TEXT(15)"
        << "ALTER TABLE Charts ADD COLUMN Revised TEXT(15)";
  if (version >= 12) ddl << "ALTER TABLE Charts ADD COLUMN Zoom BOOLEAN";
  if (version >= 13) ddl << "ALTER TABLE Charts RENAME COLUMN Zoom TO BSB";
  return ddl;
}

// A database at `version` with a Version row, one System row and a few user rows.
inline StoreResult makeOldDatabase(Database& db, const QString& path, int version, const QStringList& extraSql = {}) {
  StoreResult r = db.open(path, Database::Mode::Create);
  if (!r.ok()) return r;
  QStringList sql = ddlUpTo(version);
  sql << QStringLiteral("INSERT INTO Version VALUES (1, %1, '2001-02-03T04:05:06')").arg(version)
      << "INSERT INTO Ellipsoids VALUES (39, 'WGS 84', 6378137, 6356752.3142)"
      << "INSERT INTO Datums VALUES (1, 39, 'WGS-84', 0, 0, 0)"
      << "INSERT INTO System (id, ellipse, units, [Grid Distance], latitude, longitude, utm, ngr) "
         "VALUES (1, 39, 'Km', 2.5, 52.5, 4.25, 0, 0)"
      << "INSERT INTO Waypoints (description, latitude, longitude) VALUES ('Skipper''s Rock', 52.1, 4.1)"
      << "INSERT INTO Zones (Name) VALUES ('Z')" << "INSERT INTO [Zone points] (Zone, latitude, longitude) VALUES (1, 52, 4)"
      << "INSERT INTO Charts (description, mercator, latitude1, longitude1, x1, y1, latitude2, longitude2, x2, y2,"
         " milelat, milelon) VALUES ('Mercator chart', -1, 53, 4, 0, 0, 52, 5, 1500, 1500, 25, 25)"
      << "INSERT INTO Charts (description, mercator, latitude1, longitude1, x1, y1, latitude2, longitude2, x2, y2,"
         " milelat, milelon) VALUES ('Plan', 0, 53, 4, 100, 200, 52, 5, 1100, 1200, 0, 0)";
  sql << extraSql;
  for (const QString& s : sql) {
    r = db.execute(s);
    if (!r.ok()) return r;
  }
  return r;
}

}  // namespace tavrik::testing
