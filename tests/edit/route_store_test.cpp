#include <gtest/gtest.h>

#include "edit/route_store.h"
#include "edit_db.h"

namespace tavrik {
namespace {

using test::EditDb;

const LatLonList kThree = {{52.1, 4.2}, {52.2, 4.3}, {52.3, 4.1}};

TEST(SaveRoute, NamesPointsAroundExistingWaypointsAndReusesTypeAndGroup) {
  EditDb t;
  for (const char* name : {"A 1", "A 3"})
    ASSERT_TRUE(t.db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude) VALUES (?, 1, 1)"),
                             {QString::fromLatin1(name)}).ok());
  const SaveResult a = SaveRoute(t.db, QStringLiteral("A"), kThree, 7, t.now);
  ASSERT_TRUE(a.saved());
  EXPECT_EQ(t.routeNames(a.key), (QStringList{"A 2", "A 4", "A 5"}));
  // Points in drawing order, with the route-point defaults and the datum.
  const auto rows = t.db.rows(QStringLiteral("SELECT latitude, longitude, approachable, proximity, memo, Datum FROM Waypoints "
                                             "WHERE description = 'A 5'"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_DOUBLE_EQ(rows[0][0].toDouble(), 52.3);
  EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 4.1);
  EXPECT_EQ(rows[0][2].toInt(), -1);
  EXPECT_EQ(rows[0][3].toDouble(), 0.0);
  EXPECT_EQ(rows[0][4].toString(), " ");
  EXPECT_EQ(rows[0][5].toInt(), 7);

  const SaveResult b = SaveRoute(t.db, QStringLiteral("B"), {{50.0, 3.0}}, 0, t.now);
  ASSERT_TRUE(b.saved());
  EXPECT_EQ(t.routeNames(b.key), QStringList{"B 1"});
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Waypoint types] WHERE description = 'Route point'"), 1);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Waypoint groups] WHERE description = 'Route points'"), 1);
  EXPECT_EQ(t.column("SELECT Icon FROM [Waypoint types] WHERE description = 'Route point'"), QStringList{" "});
}

TEST(SaveRouteAndZone, DuplicateNamesAndFailuresLeaveNothingBehind) {
  struct Case {
    const char* what;
    bool zone;
    const char* prepare;  // SQL run before saving "Harbour"
    SaveOutcome outcome;
  };
  const Case cases[] = {
      {"duplicate route", false, "INSERT INTO Routes (description) VALUES ('harbour')", SaveOutcome::NameExists},
      {"duplicate zone", true, "INSERT INTO Zones (Name) VALUES ('HARBOUR')", SaveOutcome::NameExists},
      {"route points table lost", false, "DROP TABLE [Route points]", SaveOutcome::Failed},
      {"zone points table lost", true, "DROP TABLE [Zone points]", SaveOutcome::Failed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditDb t;
    ASSERT_TRUE(t.db.execute(QString::fromLatin1(c.prepare)).ok());
    const long routes = t.count("SELECT COUNT(*) FROM Routes"), zones = t.count("SELECT COUNT(*) FROM Zones");
    const SaveResult r = c.zone ? SaveZone(t.db, QStringLiteral("Harbour"), kThree, 0, t.now)
                                : SaveRoute(t.db, QStringLiteral("Harbour"), kThree, 0, t.now);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(c.outcome == SaveOutcome::Failed, !r.error.ok());
    EXPECT_EQ(t.db.transactionDepth(), 0);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM Routes"), routes);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM Zones"), zones);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM Waypoints"), 0);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Waypoint types] WHERE description = 'Route point'"), 0);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Waypoint groups] WHERE description = 'Route points'"), 0);
  }
}

TEST(SaveZone, StoresPointsInOrderInSinglePrecision) {
  EditDb t;
  const SaveResult z = SaveZone(t.db, QStringLiteral("Rocks"), kThree, 3, t.now);
  ASSERT_TRUE(z.saved());
  const auto rows = t.db.rows(QStringLiteral("SELECT latitude, longitude, Datum FROM [Zone points] WHERE Zone = ? "
                                             "ORDER BY Point"), {static_cast<qlonglong>(z.key)});
  ASSERT_EQ(rows.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[i][0].toDouble(), static_cast<double>(static_cast<float>(kThree[i].first)));
    EXPECT_EQ(rows[i][1].toDouble(), static_cast<double>(static_cast<float>(kThree[i].second)));
    EXPECT_EQ(rows[i][2].toInt(), 3);
  }
}

}  // namespace
}  // namespace tavrik
