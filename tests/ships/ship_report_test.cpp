// "$SHIPS" lines into table Ships of a real database file.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "nmea/sentence_fields.h"
#include "ships/ship_report.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik {
namespace {

std::optional<ShipReport> read(const char* line, int offset = 0) {
  SentenceFields f;
  f.split(line);
  return readShipReport(f, offset);
}

TEST(ShipReport, FieldsUnitsAndRejects) {
  struct Case {
    const char* line;
    bool ok;
    double lat, lon, speed, wind;
  };
  const std::vector<Case> cases = {
      {"$SHIPS,Ada,120000,071226,5210.5,N,00430.2,E,10,N,45,20,n,270", true, 52.175, 4.50333, 10, 20},
      {"$SHIPS,Ada,120000,071226,5210.5,S,12030.0,W,11.5078,m,45,18.52,k,270", true, -52.175, -120.5, 10, 10},
      {"$SHIPS,Ada,120000,071226,9110.5,N,00430.2,E,10,N,45,20,N,270", false, 0, 0, 0, 0},
      {"$SHIPS,Ada,120000,071226,5210.5,N,00430.2,E,10,N,45,20,N", false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto r = read(c.line);
    ASSERT_EQ(r.has_value(), c.ok);
    if (!r) continue;
    EXPECT_NEAR(r->latitude, c.lat, 1e-5);
    EXPECT_NEAR(r->longitude, c.lon, 1e-5);
    EXPECT_NEAR(r->speed, c.speed, 1e-4);
    EXPECT_NEAR(r->windSpeed, c.wind, 1e-4);
    EXPECT_EQ(r->lastUpdated, QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
  }
  EXPECT_EQ(read("$SHIPS,Ada,013000,010127,5210.5,N,00430.2,E,1,N,0,0,N,0", -2)->lastUpdated,
            QDateTime(QDate(2026, 12, 31), QTime(23, 30)));
}

TEST(ShipReport, RowFoundOrAddedByNameInTheDatabase) {
  QTemporaryDir dir;
  Database db;
  const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
  ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), now).ok());
  const auto count = [&] { return db.scalar("SELECT COUNT(*) FROM Ships").toInt(); };
  const int before = count();

  ASSERT_TRUE(storeShipReport(db, *read("$SHIPS,O'Brien,120000,071226,5210.5,S,00430.2,W,10,N,45,20,N,270"), now));
  ASSERT_TRUE(storeShipReport(db, *read("$SHIPS,Ada,120000,071226,5000.0,N,00100.0,E,3,N,90,5,N,180"), now));
  ASSERT_TRUE(storeShipReport(db, *read("$SHIPS,O'Brien,130000,071226,5211.0,S,00431.0,W,12,N,50,20,N,270"), now));
  EXPECT_EQ(count(), before + 2);

  db.close();
  ASSERT_TRUE(db.open(dir.filePath("gps.db")).ok());
  const auto rows = db.rows("SELECT latitude, longitude, speed, course, [Last updated] FROM Ships WHERE Name = ?",
                            {QStringLiteral("O'Brien")});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_NEAR(rows[0][0].toDouble(), -52.18333, 1e-5);
  EXPECT_NEAR(rows[0][1].toDouble(), -4.51667, 1e-5);
  EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), 12);
  EXPECT_DOUBLE_EQ(rows[0][3].toDouble(), 50);
  EXPECT_TRUE(rows[0][4].toString().contains("13:00"));
}

}  // namespace
}  // namespace tavrik
