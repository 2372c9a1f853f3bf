// Our transfers against the receiver emulator, stored into a real database file.

#include <gtest/gtest.h>

#include "core/messages.h"
#include "store/sql_text.h"
#include "transfer/transfer_rig.h"
#include "transfer/transfer_texts.h"
#include "transfer/transfer_upload.h"

namespace tavrik::test {
namespace {

using namespace garmin;

WaypointRecord wpt(const char* ident, double lat, double lon, const char* comment, float distM = 0) {
  WaypointRecord w;
  w.ident = QString::fromLatin1(ident);
  w.latitude = lat;
  w.longitude = lon;
  w.comment = QString::fromLatin1(comment);
  w.distanceM = distM;
  w.symbol = 8;
  return w;
}

struct Download {
  TransferRig& rig;
  TransferStore store;
  GarminSession session;
  Download(TransferRig& r, DownloadTarget t) : rig(r), store(r.db, r.datums, r.clock, t, &r.shown), session(r.host, r.clock, store) {
    store.begin();
  }
  void run(Dataset what) {
    session.startDownload(what);
    rig.run(session);
  }
};

TEST(GarminDownload, StoresWaypointsOfEveryReceiverKind) {
  struct Row {
    const char* legend;
    int product, version;
    bool withArray, byteByByte;
    Dataset what;
    double proximityNm;  // of the stored rows
  } rows[] = {
      {"D100 from the protocol array, split at every byte, noise, a damaged frame", 999, 310, true, true, Dataset::Waypoints, 0},
      {"77 at 3.50 without array: D103", 77, 350, false, false, Dataset::Waypoints, 0},
      {"20: L002 and D150", 20, 250, false, false, Dataset::Waypoints, 0},
      {"77 at 3.00: D400 proximity", 77, 300, false, false, Dataset::Proximity, 1.5},
      {"138: D403 proximity", 138, 100, false, false, Dataset::Proximity, 1.5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    TransferRig rig;
    rig.byteByByte = r.byteByByte;
    rig.receiver.productId = r.product;
    rig.receiver.version = r.version;
    if (!r.withArray) rig.receiver.protocolArray.clear();
    rig.receiver.noiseBetweenFrames = QByteArray("\x03\xff noise", 8);
    rig.receiver.damageOutgoing = 2;
    const std::vector<WaypointRecord> held{wpt("BUOY01", 53.5, 8.125, "FIRST TEST WPT", 2778),
                                           wpt("HA\x10RB", -33.25, -151.5, "SOUTH AND WEST", 2778)};
    (r.what == Dataset::Proximity ? rig.receiver.proximity : rig.receiver.waypoints) = held;
    // A stored waypoint of the same description is overwritten, not doubled.
    rig.db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, Datum) "
                                  "VALUES ('BUOY01', 1, 2, 1, 1, 0, 1)"));
    Download d(rig, rig.target());
    d.run(r.what);
    ASSERT_TRUE(rig.shown.done) << rig.shown.failure.toStdString();
    EXPECT_EQ(rig.shown.expected, 2);
    ASSERT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Waypoints")), 2);
    const auto rowsRead = rig.db.rows(QStringLiteral("SELECT description, Latitude, Longitude, memo, proximity, approachable FROM Waypoints ORDER BY Latitude DESC"));
    for (size_t i = 0; i < held.size(); ++i) {
      EXPECT_EQ(rowsRead[i][0].toString(), held[i].ident);
      EXPECT_NEAR(rowsRead[i][1].toDouble(), held[i].latitude, 1e-7);
      EXPECT_NEAR(rowsRead[i][2].toDouble(), held[i].longitude, 1e-7);
      EXPECT_EQ(rowsRead[i][3].toString(), held[i].comment);
      EXPECT_NEAR(rowsRead[i][4].toDouble(), r.proximityNm, 1e-6);
      EXPECT_EQ(rowsRead[i][5].toInt(), -1);
    }
    EXPECT_EQ(rig.receiver.naksReceived, 1);
  }
}

TEST(GarminDownload, StoresPositionsInTheChosenDatum) {
  TransferRig rig;
  rig.receiver.waypoints = {wpt("BUOY01", 53.5, 8.125, "")};
  DownloadTarget t = rig.target();
  t.datum = 12;  // European 1950 (mean)
  Download d(rig, t);
  d.run(Dataset::Waypoints);
  const auto row = rig.db.rows(QStringLiteral("SELECT Latitude, Longitude, Datum FROM Waypoints")).at(0);
  EXPECT_EQ(row[2].toInt(), 12);
  CalcRecord back;
  back.Lat1 = row[0].toDouble();
  back.Lon1 = row[1].toDouble();
  back.Datum1 = 12;
  back.Datum2 = rig.target().datum;
  DatumConvert(back, rig.datums);
  EXPECT_GT(std::abs(row[0].toDouble() - 53.5), 1e-5) << "converted, not copied";
  EXPECT_NEAR(back.Lat2, 53.5, 2e-6);  // Molodensky there and back agrees to a few decimetres
  EXPECT_NEAR(back.Lon2, 8.125, 2e-6);
}

TEST(GarminDownload, RouteWithoutCommentIsNamedByNumberAndReplacedOnTheNextDownload) {
  TransferRig rig;
  rig.receiver.routes = {{{3, {}}, {wpt("BUOY01", 53.5, 8.125, ""), wpt("HARB02", 53.55, 8.2, ""), wpt("BUOY01", 53.5, 8.125, "")}}};
  for (int pass = 0; pass < 2; ++pass) {
    rig.shown = {};
    Download d(rig, rig.target());
    d.run(Dataset::Routes);
    ASSERT_TRUE(rig.shown.done) << rig.shown.failure.toStdString();
  }
  EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Routes WHERE description = 'Garmin3'")), 1);
  const auto points = rig.db.rows(QStringLiteral("SELECT Waypoints.description FROM [Route points], Waypoints WHERE "
                                                 "[Route points].Waypoint = Waypoints.Waypoint ORDER BY Sequence"));
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[1][0].toString(), QStringLiteral("HARB02"));
  EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Waypoints")), 2);
}

TEST(GarminDownload, TrackFlagsMakeOneTrackOrOnePerSegment) {
  for (bool oneTrack : {false, true}) {
    SCOPED_TRACE(oneTrack ? "Import as 1 track" : "one per segment");
    TransferRig rig;
    const QDateTime t0(QDate(2021, 9, 8), QTime(1, 46, 40), Qt::UTC);
    for (int i = 0; i < 6; ++i) rig.receiver.track.push_back({53.5 + i * 0.001, 8.1, t0.addSecs(i * 10), i % 2 == 0});
    Download d(rig, rig.target(oneTrack));
    d.run(Dataset::Tracks);
    ASSERT_TRUE(rig.shown.done);
    const auto tracks = rig.db.rows(QStringLiteral("SELECT description FROM Tracks ORDER BY Track"));
    ASSERT_EQ(tracks.size(), oneTrack ? 1u : 3u);
    EXPECT_EQ(tracks[0][0].toString(), QStringLiteral("[GRM- 0] 01/01/2026 12:00:00"));
    if (!oneTrack) {
      EXPECT_EQ(tracks[2][0].toString(), QStringLiteral("[GRM- 2] 01/01/2026 12:00:00"));
    }
    EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM [Track data]")), 6);
    EXPECT_EQ(rig.db.scalar(QStringLiteral("SELECT date FROM [Track data] ORDER BY rowid LIMIT 1")).toString(),
              dbDateText(t0.toLocalTime()));
    EXPECT_EQ(rig.shown.record, QStringLiteral("GARMIN Trackpoint (53.50500/8.10000)"));
  }
}

TEST(GarminDownload, FailuresLeaveTheDatabaseAsItWas) {
  struct Row {
    const char* legend;
    std::function<void(GarminEmulator&)> setup;
    QString failure;   // empty: completes
    int waypoints;     // stored afterwards
    QString record;    // the record label at the end
  } rows[] = {
      {"no receiver", [](GarminEmulator& e) { e.mute = true; }, MessageText(Msg::NoGarmin), 0, {}},
      {"silent after two records", [](GarminEmulator& e) { e.silentAfterRecords = 2; }, transfer_text::receiverSilent(), 0,
       QStringLiteral("BUOY01 (53.50000/8.12500)")},
      {"nothing held", [](GarminEmulator& e) { e.waypoints.clear(); }, {}, 0, transfer_text::noData()},
      {"no proximity waypoints kept", [](GarminEmulator&) {}, transfer_text::noProximitySupport(), 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    TransferRig rig;
    rig.receiver.waypoints = {wpt("BUOY01", 53.5, 8.125, ""), wpt("HARB02", 53.55, 8.2, "")};
    r.setup(rig.receiver);
    Download d(rig, rig.target());
    d.run(QString::fromLatin1(r.legend).startsWith(QLatin1String("no prox")) ? Dataset::Proximity : Dataset::Waypoints);
    EXPECT_FALSE(d.session.running());
    EXPECT_EQ(rig.shown.failure, r.failure);
    EXPECT_EQ(rig.shown.done, r.failure.isEmpty());
    EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Waypoints")), r.waypoints);
    EXPECT_EQ(rig.shown.record, r.record);
  }
}

TEST(GarminDownload, ShortRecordIsReportedAndTheOthersKept) {
  TransferRig rig;
  rig.receiver.waypoints = {wpt("BUOY01", 53.5, 8.125, "")};
  rig.receiver.extraPackets = {{35, QByteArray(20, 'A')}, {99, "unknown"}};
  Download d(rig, rig.target());
  d.run(Dataset::Waypoints);
  ASSERT_TRUE(rig.shown.done);
  EXPECT_EQ(rig.shown.rejected, QStringList{QStringLiteral("Waypoint record of 20 bytes is too short")});
  EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Waypoints")), 1);
}

TEST(GarminUpload, SendsFilteredNamesAndRetriesRefusedPackets) {
  TransferRig rig;
  rig.receiver.nakIncoming = 2;  // the product request is refused twice, then taken
  for (const char* d : {"buoy 12-a", "", "HARBOUR", "HARBOUR2"})
    rig.db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, memo, Datum) "
                                  "VALUES (?, 53.5, 8.125, 1, 1, 0, 'a quay; no. 4', 1)"),
                   {QString::fromLatin1(d)});
  GarminSession session(rig.host, rig.clock, rig.shown);
  UploadOptions numbered;
  numbered.numbering = true;
  for (const UploadOptions& options : {UploadOptions{}, numbered}) {
    rig.receiver.uploadedWaypoints.clear();
    const UploadPlan plan = waypointUpload(rig.db, rig.datums, {1}, {1}, false, options);
    ASSERT_EQ(plan.items.size(), 4u) << plan.error.toStdString();
    session.startUpload(Dataset::Waypoints, plan.items);
    rig.run(session);
    ASSERT_EQ(session.state(), GarminSession::State::Completed) << rig.shown.failure.toStdString();
    QStringList idents;
    for (const auto& w : rig.receiver.uploadedWaypoints) idents << w.ident;
    EXPECT_EQ(idents, options.numbering ? QStringList({"1", "BUOY12", "HARBO3", "HARBO4"})
                                        : QStringList({"XXXXXX", "BUOY12", "HARBOU", "HARBOU"}));
    EXPECT_EQ(rig.receiver.uploadedWaypoints[1].comment, QStringLiteral("A QUAY NO 4"));
    EXPECT_NEAR(rig.receiver.uploadedWaypoints[1].latitude, 53.5, 1e-7);
  }
  EXPECT_TRUE(rig.shown.status.endsWith(transfer_text::transfersCompleted()));
  EXPECT_EQ(uploadIdent(QStringLiteral("HARBOUR"), numbered, 10), QStringLiteral("HARB10"));
  EXPECT_EQ(rig.receiver.uploadComplete, 2);
}

TEST(GarminUpload, FiveRefusalsAskWhetherToGoOn) {
  for (bool goOn : {true, false}) {
    SCOPED_TRACE(goOn ? "Yes" : "No");
    TransferRig rig;
    rig.db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, Datum) "
                                  "VALUES ('A', 1, 2, 1, 1, 0, 1)"));
    GarminSession session(rig.host, rig.clock, rig.shown);
    QStringList asked;
    session.askUser = [&](const QString& q) { return asked << q, goOn; };
    rig.receiver.nakOnlyId = packetId(LinkProtocol::L001, LinkPacket::Records);  // the count is refused five times
    rig.receiver.nakIncoming = GarminLink::kMaxSends;
    session.startUpload(Dataset::Waypoints, waypointUpload(rig.db, rig.datums, {1}, {1}, false, {}).items);
    rig.run(session);
    EXPECT_EQ(asked, QStringList{transfer_text::sendingFailedContinue()});
    EXPECT_EQ(rig.shown.failure, goOn ? QString() : transfer_text::sendGivenUp());
    EXPECT_EQ(rig.receiver.uploadedWaypoints.size(), goOn ? 1u : 0u);
  }
}

TEST(GarminUpload, RoutesGoAsHeaderAndPointsInOrder) {
  TransferRig rig;
  rig.receiver.protocolArray = {{'L', 1}, {'A', 10}, {'D', 103}, {'D', 201}};
  for (const char* d : {"NORTH", "SOUTH"})
    rig.db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, Datum) "
                                  "VALUES (?, 53.5, 8.125, 1, 1, 0, 1)"),
                   {QString::fromLatin1(d)});
  rig.db.execute(QStringLiteral("INSERT INTO Routes (route, description) VALUES (7, 'to the harbour')"));
  rig.db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint) VALUES (7, 2), (7, 1)"));
  UploadOptions options;
  options.routeNumber = 4;
  GarminSession session(rig.host, rig.clock, rig.shown);
  session.startUpload(Dataset::Routes, routeUpload(rig.db, rig.datums, {7}, options).items);
  rig.run(session);
  ASSERT_EQ(session.state(), GarminSession::State::Completed);
  ASSERT_EQ(rig.receiver.uploadedHeaders.size(), 1u);
  EXPECT_EQ(rig.receiver.uploadedHeaders[0].number, 4);
  EXPECT_EQ(rig.receiver.uploadedHeaders[0].comment, QStringLiteral("TO THE HARBOUR"));
  ASSERT_EQ(rig.receiver.uploadedRoutePoints.size(), 2u);
  EXPECT_EQ(rig.receiver.uploadedRoutePoints[0].ident, QStringLiteral("SOUTH"));
  EXPECT_EQ(readU16(rig.receiver.received.at(1).data, 0), 3) << "records: the header and two points";
}

}  // namespace
}  // namespace tavrik::test
