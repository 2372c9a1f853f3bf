#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <cmath>

#include "edit/track_store.h"
#include "edit/track_thinning.h"
#include "edit_db.h"

namespace tavrik {
namespace {

using test::EditDb;

TrackRecord Rec(int i) { return {46000.5 + i / 86400.0, 52.0f + static_cast<float>(i) * 1e-4f, 4.0f + static_cast<float>(i) * 2e-4f}; }

// A recording process killed with SIGKILL leaves every point it had reported written.
TEST(TrackFile, HoldsEveryReportedPointAfterTheRecorderIsKilled) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("$GPS.$$$"));
  int pipeFd[2];
  ASSERT_EQ(pipe(pipeFd), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFd[0]);
    TrackFile file;
    if (!file.open(path)) _exit(2);
    for (int i = 0;; ++i) {
      if (!file.append(Rec(i))) _exit(3);
      const char ack = 1;
      if (write(pipeFd[1], &ack, 1) != 1) _exit(4);
    }
  }
  close(pipeFd[1]);
  int acknowledged = 0;
  char buf[64];
  while (acknowledged < 500) {
    const ssize_t n = read(pipeFd[0], buf, sizeof buf);
    ASSERT_GT(n, 0);
    acknowledged += static_cast<int>(n);
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipeFd[0]);
  ASSERT_TRUE(WIFSIGNALED(status));

  const int left = TrackFile::recordsInFile(path);
  ASSERT_GE(left, acknowledged);
  // The next start keeps them; a partial record written as the process died is cut.
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("partial", 7);
  }
  TrackFile kept;
  ASSERT_TRUE(kept.openKeeping(path));
  EXPECT_EQ(kept.count(), left);
  EXPECT_EQ(QFileInfo(path).size(), static_cast<qint64>(left) * kTrackRecordSize);
  const std::vector<TrackRecord> records = kept.readAll();
  for (int i = 0; i < acknowledged; ++i) {
    ASSERT_EQ(records[static_cast<size_t>(i)].lat, Rec(i).lat) << i;
    ASSERT_EQ(records[static_cast<size_t>(i)].time, Rec(i).time) << i;
  }
  // Recording goes on after them; clearing empties the file.
  ASSERT_TRUE(kept.append(Rec(0)));
  EXPECT_EQ(kept.count(), left + 1);
  ASSERT_TRUE(kept.clear());
  EXPECT_EQ(TrackFile::recordsInFile(path), 0);
}

TEST(TrackStore, SavesLoadsAndDeletesInOneTransaction) {
  EditDb t;
  std::vector<TrackRecord> records = {Rec(0), Rec(1), {Rec(2).time, 0.0f, 0.0f}, Rec(3)};
  const SaveResult saved = SaveTrack(t.db, QStringLiteral("  Day one "), records, t.now);
  ASSERT_TRUE(saved.saved());
  EXPECT_EQ(SaveTrack(t.db, QStringLiteral("DAY ONE"), records, t.now).outcome, SaveOutcome::NameExists);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Track data]"), 4);

  const LoadedTrack loaded = LoadTrack(t.db, QStringLiteral("Day one"));
  ASSERT_TRUE(loaded.found);
  ASSERT_EQ(loaded.records.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(loaded.records[i].lat, records[i].lat);
    EXPECT_EQ(loaded.records[i].lon, records[i].lon);
    EXPECT_NEAR(loaded.records[i].time, records[i].time, 0.5 / 86400);  // stored to the second
  }
  EXPECT_TRUE(loaded.records[2].isBreak());
  EXPECT_FALSE(LoadTrack(t.db, QStringLiteral("Day two")).found);

  StoreResult error;
  ASSERT_TRUE(DeleteTrack(t.db, saved.key, error));
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Tracks"), 0);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Track data]"), 0);

  // A failure after the Tracks row was added takes the row back too.
  ASSERT_TRUE(t.db.execute(QStringLiteral("DROP TABLE [Track data]")).ok());
  const SaveResult failed = SaveTrack(t.db, QStringLiteral("Day three"), records, t.now);
  EXPECT_EQ(failed.outcome, SaveOutcome::Failed);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Tracks"), 0);
  EXPECT_EQ(t.db.transactionDepth(), 0);
}

std::vector<QPointF> Points(std::initializer_list<std::pair<double, double>> xy) {
  std::vector<QPointF> out;
  for (auto [x, y] : xy) out.emplace_back(x, y);
  return out;
}

TEST(ThinTrack, KeepsTheCornersThatMatter) {
  std::vector<QPointF> corner;
  for (int i = 0; i <= 5; ++i) corner.emplace_back(i * 10, 0);
  for (int i = 1; i <= 5; ++i) corner.emplace_back(50, i * 10);
  struct Case {
    const char* what;
    std::vector<QPointF> px;
    ThinningMode mode;
    double limit;
    std::vector<int> kept;
  };
  const Case cases[] = {
      {"two points", Points({{0, 0}, {5, 5}}), ThinningMode::MaximumError, 1, {0, 1}},
      {"two points, count", Points({{0, 0}, {5, 5}}), ThinningMode::NumberOfPoints, 10, {0, 1}},
      {"collinear", Points({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), ThinningMode::MaximumError, 0, {0, 3}},
      {"collinear, count", Points({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), ThinningMode::NumberOfPoints, 4, {0, 3}},
      {"corner", corner, ThinningMode::MaximumError, 1, {0, 5, 10}},
      {"corner, count 3", corner, ThinningMode::NumberOfPoints, 3, {0, 5, 10}},
      // The last pass inserts its point although it was already within the limit.
      {"bump within limit", Points({{0, 0}, {10, 2}, {20, 0}}), ThinningMode::MaximumError, 5, {0, 1, 2}},
      // Ties keep the earlier point.
      {"tie", Points({{0, 0}, {10, 3}, {20, 3}, {30, 0}}), ThinningMode::NumberOfPoints, 3, {0, 1, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ThinTrack(c.px, c.mode, c.limit), c.kept);
  }
  EXPECT_FLOAT_EQ(CrossTrackError({0, 0}, {10, 0}, {5, 3}), 3.0f);
  EXPECT_EQ(CrossTrackError({2, 2}, {2, 2}, {5, 3}), 0.0f);
}

TEST(TrackToRoute, ThinsWithoutAChartAndCutsAt10000Points) {
  EditDb t;
  std::vector<TrackRecord> records;
  // A meander of 12000 points, with a break and points on the equator and meridian.
  for (int i = 0; i < 12000; ++i)
    records.push_back({46000.0, 50.0f + static_cast<float>(i) * 1e-4f, 3.0f + 0.01f * std::sin(i / 300.0f)});
  records.insert(records.begin() + 3, TrackRecord{46000.0, 0.0f, 0.0f});
  records.insert(records.begin() + 5, TrackRecord{46000.0, 0.0f, 5.0f});
  const SaveResult track = SaveTrack(t.db, QStringLiteral("Long"), records, t.now);
  ASSERT_TRUE(track.saved());

  const TrackToRouteResult r =
      TrackToRoute(t.db, track.key, QStringLiteral("Back"), ThinningMode::NumberOfPoints, 50, nullptr, 0, t.now);
  ASSERT_EQ(r.status, TrackToRouteResult::Saved);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(r.routePoints, 50);
  const auto rows = t.db.rows(RouteWaypointsQuery(r.routeKey));
  ASSERT_EQ(rows.size(), 50u);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Waypoints WHERE latitude = 0 OR longitude = 0"), 0);
  // The first 10000 points of the track: its first and its 10000th valid point.
  EXPECT_EQ(t.routeNames(r.routeKey).front(), "Back 1");
  EXPECT_FLOAT_EQ(static_cast<float>(t.db.scalar("SELECT MAX(latitude) FROM Waypoints").toDouble()),
                  50.0f + 9999.0f * 1e-4f);

  // Maximum-error mode in miles: the meander is 0.4 miles wide on each side.
  const TrackToRouteResult coarse =
      TrackToRoute(t.db, track.key, QStringLiteral("Coarse"), ThinningMode::MaximumError, 10, nullptr, 0, t.now);
  ASSERT_EQ(coarse.status, TrackToRouteResult::Saved);
  EXPECT_LE(coarse.routePoints, 3);
  EXPECT_EQ(TrackToRoute(t.db, track.key, QStringLiteral("back"), ThinningMode::MaximumError, 1, nullptr, 0, t.now).status,
            TrackToRouteResult::RouteExists);
  EXPECT_EQ(TrackToRoute(t.db, 999, QStringLiteral("None"), ThinningMode::MaximumError, 1, nullptr, 0, t.now).status,
            TrackToRouteResult::NoData);
}

}  // namespace
}  // namespace tavrik
