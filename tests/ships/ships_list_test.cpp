// "Ships from current position" over a real database file.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/messages.h"
#include "ships/ship_store.h"
#include "ships/ships_list.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik {
namespace {

TEST(ShipsList, BearingDistanceAndTimeToGo) {
  QTemporaryDir dir;
  Database db;
  const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
  ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), now).ok());
  ASSERT_TRUE(db.execute("INSERT INTO Ships (Name, latitude, longitude, speed, course, [wind speed], [wind direction], "
                         "created) VALUES ('North', 1, 0, 6.5, 45, 12, 270, ?), ('East', 0, 1, 0, 0, 0, 0, ?)",
                         {now, now}));
  struct Case {
    const char* legend;
    double planning, sog;
    const char* timeToGo;  // to North, 60 nm away
  };
  const std::vector<Case> cases = {
      {"planning speed first", 5, 8, "12:00"},
      {"else speed over ground", 0, 8, "7:30"},
      {"at rest without planning speed", 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    ShipListInput in;
    in.planningSpeedKn = c.planning;
    in.speedOverGroundKn = c.sog;
    const std::vector<ShipListRow> rows = buildShipsList(db, in);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "Current position");
    const ShipListRow& east = rows[1];
    const ShipListRow& north = rows[2];
    EXPECT_EQ(north.name, "North");
    EXPECT_EQ(north.bearing, "0.0°");
    EXPECT_EQ(north.distance, "60.0");
    EXPECT_EQ(north.timeToGo, c.timeToGo);
    EXPECT_EQ(north.speed, "6.5");
    EXPECT_EQ(north.windDirection, "270.0°");
    EXPECT_EQ(east.bearing, "90.0°");
    EXPECT_EQ(east.distance, "60.0");
  }
  // Distances in the user's unit: kilometres.
  ShipListInput km;
  km.units = Units::fromSetting("Km");
  EXPECT_EQ(buildShipsList(db, km)[2].distance, "111.1");
  // Minutes that round up to a whole hour carry into it.
  EXPECT_EQ(timeToGoText(1.9999, 1), "2:00");
  EXPECT_EQ(timeToGoText(2.5, 1), "2:30");
}

// Ships and telephone entries: names unique without case, quotes bound, a refused
// change rolled back.
TEST(ShipAndTelephoneStore, AddChangeDeleteWithTheirRefusals) {
  QTemporaryDir dir;
  Database db;
  const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
  ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), now).ok());
  ASSERT_TRUE(addShip(db, "O'Brien", "555", now));
  ASSERT_TRUE(addShip(db, "Ada", "556", now));
  ASSERT_TRUE(addTelephone(db, {"O'Neill's boat", " 0612 ", "AT&F", ""}, now));
  ASSERT_TRUE(addTelephone(db, {"harbour", "020", "", "ATDP"}, now));
  struct Case {
    const char* legend;
    StoreResult result;
    int message;
  };
  const std::vector<Case> cases = {
      {"ship: same name", addShip(db, "o'brien", "1", now), Msg::ShipExists},
      {"ship: empty name", addShip(db, "  ", "1", now), Msg::MustEnterName},
      {"ship: renamed onto another", changeShip(db, "Ada", "O'Brien", "1"), Msg::ShipExists},
      {"ship: kept its own name", changeShip(db, "Ada", "Ada", "557"), 0},
      {"ship: renamed", changeShip(db, "O'Brien", "Brendan", "558"), 0},
      {"telephone: same name", addTelephone(db, {"o'neill's BOAT", "1", "", ""}, now), Msg::TelephoneExists},
      {"telephone: empty name", addTelephone(db, {" ", "1", "", ""}, now), Msg::MustEnterName},
      {"telephone: renamed onto another", changeTelephone(db, "harbour", {"O'Neill's boat", "1", "", ""}),
       Msg::TelephoneExists},
      {"telephone: no such entry", changeTelephone(db, "Nowhere", {"Nowhere", "1", "", ""}), Msg::NoRecordSelected},
      {"telephone: renamed", changeTelephone(db, "harbour", {"Zed's", "021", "ATZ", "ATDP"}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(c.result.message, c.message);
    EXPECT_EQ(c.result.ok(), c.message == 0);
  }
  EXPECT_EQ(db.scalar("SELECT telephone FROM Ships WHERE Name = 'Brendan'").toString(), "558");
  EXPECT_EQ(db.scalar("SELECT created FROM Ships WHERE Name = 'Ada'").toDateTime(), now);
  ASSERT_TRUE(deleteShip(db, "Brendan"));
  EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM Ships").toInt(), 1);
  const std::vector<TelephoneEntry> list = telephoneEntries(db);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "O'Neill's boat");
  EXPECT_EQ(list[0].telephone, "0612");
  EXPECT_EQ(list[0].initString, "AT&F");
  EXPECT_EQ(list[1].name, "Zed's");
  EXPECT_EQ(list[1].dialString, "ATDP");
  EXPECT_EQ(db.scalar("SELECT Created FROM Telephone WHERE Name = ?", {"Zed's"}).toDateTime(), now);

  // A change the database refuses leaves the row as it was and no transaction open.
  ASSERT_TRUE(db.execute("CREATE TRIGGER refuse BEFORE UPDATE ON Telephone BEGIN SELECT RAISE(ABORT, 'no'); END"));
  EXPECT_FALSE(changeTelephone(db, "Zed's", {"Zed's", "999", "", ""}));
  EXPECT_EQ(db.transactionDepth(), 0);
  EXPECT_EQ(db.scalar("SELECT Telephone FROM Telephone WHERE Name = ?", {"Zed's"}).toString(), "021");
  ASSERT_TRUE(deleteTelephone(db, "O'Neill's boat"));
  EXPECT_EQ(telephoneEntries(db).size(), 1u);
}

}  // namespace
}  // namespace tavrik
