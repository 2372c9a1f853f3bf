#include <gtest/gtest.h>

#include <random>

#include "core/messages.h"
#include "edit/waypoint_marking.h"
#include "edit_db.h"

namespace tavrik {
namespace {

using test::EditDb;

TEST(MarkAverager, StoresExactlyTheMeanOfTheSamples) {
  std::mt19937 rng(7);
  std::normal_distribution<float> scatter(0.0f, 2e-5f);
  MarkAverager avg;
  double sumLat = 0, sumLon = 0;
  for (int n = 1; n <= 600; ++n) {
    const float lat = 52.3712f + scatter(rng), lon = 4.8952f + scatter(rng);
    avg.add(lat, lon);
    sumLat += lat;
    sumLon += lon;
    ASSERT_EQ(avg.latitude(), static_cast<float>(sumLat / n));
    ASSERT_EQ(avg.longitude(), static_cast<float>(sumLon / n));
  }
  // At the fold the samples become one holding the mean, and counting goes on.
  avg.restore(MarkAverager::kFoldAt, 10.0 * static_cast<double>(MarkAverager::kFoldAt), 0);
  avg.add(20.0f, 2.0f);
  EXPECT_EQ(avg.count(), 2);
  EXPECT_EQ(avg.latitude(), 15.0f);
  EXPECT_EQ(avg.longitude(), 1.0f);
}

TEST(WaypointChecks, FollowEachWindowsOrder) {
  struct Case {
    const char* desc;
    const char* proximity;
    bool approachable;
    int newMessage, editMessage;
    double stored;
  };
  const Case cases[] = {
      {"Buoy", "abc", true, 0, 0, 0.0},
      {"Buoy", "0", true, 0, 0, 0.0},
      {"Buoy", "0,5", false, 0, 0, 0.5},
      {"Buoy", "1.5", true, Msg::ProximityNotApproachable, Msg::ProximityNotApproachable, 1.5},
      {"  ", "1.5", true, Msg::DescriptionMustHaveValue, Msg::ProximityNotApproachable, 1.5},
      {"", "2", false, Msg::DescriptionMustHaveValue, Msg::DescriptionMustHaveValue, 2.0},
  };
  for (const Case& c : cases) {
    WaypointFields f;
    f.description = QString::fromLatin1(c.desc);
    f.proximityText = QString::fromLatin1(c.proximity);
    f.approachable = c.approachable;
    EXPECT_EQ(CheckNewWaypoint(f), c.newMessage) << c.desc << "/" << c.proximity;
    EXPECT_EQ(CheckEditedWaypoint(f), c.editMessage) << c.desc << "/" << c.proximity;
    EXPECT_EQ(ProximityValue(f.proximityText), c.stored);
  }
}

TEST(WaypointStore, AddsEditsMovesAndDeletes) {
  EditDb t;
  WaypointFields f;
  f.latitude = 52.5f;
  f.longitude = -4.25f;
  f.description = QStringLiteral("Skipper's Rock");
  f.proximityText = QStringLiteral("abc");
  f.type = f.group = 1;
  f.datum = 4;
  const WaypointWrite added = AddWaypoint(t.db, f, t.now);
  ASSERT_TRUE(added.ok());
  EXPECT_TRUE(AddWaypoint(t.db, f, t.now).error.duplicateKey());
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Waypoints"), 1);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Waypoints WHERE memo IS NULL AND proximity = 0 AND Datum = 4"), 1);

  WaypointFields g = f;
  g.description = QStringLiteral("Other");
  ASSERT_TRUE(AddWaypoint(t.db, g, t.now).ok());
  f.memo = QStringLiteral("steep");
  f.description = QStringLiteral("other");
  EXPECT_TRUE(UpdateWaypoint(t.db, added.key, f).error.duplicateKey());
  f.description = QStringLiteral("Rock");
  ASSERT_TRUE(UpdateWaypoint(t.db, added.key, f).ok());
  ASSERT_TRUE(MoveWaypoint(t.db, added.key, 51.0, 3.5).ok());
  WaypointFields back;
  ASSERT_TRUE(ReadWaypoint(t.db, added.key, back));
  EXPECT_EQ(back.description, "Rock");
  EXPECT_EQ(back.memo, "steep");
  EXPECT_EQ(back.latitude, 51.0);
  EXPECT_EQ(back.longitude, 3.5);

  ASSERT_TRUE(t.db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint) VALUES (1, ?)"),
                           {static_cast<qlonglong>(added.key)}).ok());
  ASSERT_TRUE(DeleteWaypoint(t.db, added.key).ok());
  EXPECT_FALSE(ReadWaypoint(t.db, added.key, back));
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Route points]"), 0);
  EXPECT_FALSE(MoveWaypoint(t.db, added.key, 1, 1).ok());
}

}  // namespace
}  // namespace tavrik
