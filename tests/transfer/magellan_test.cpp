// Magellan sentences against recorded sessions, and our transfers against the
// Magellan emulator into a real database file.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "core/messages.h"
#include "store/sql_text.h"
#include "test_data.h"
#include "transfer/magellan_protocol.h"
#include "transfer/magellan_session.h"
#include "transfer/transfer_rig.h"
#include "transfer/transfer_texts.h"
#include "transfer/transfer_upload.h"

namespace tavrik::magellan {
namespace {

TEST(MagellanSentence, ChecksumsMatchTheRecordedSessions) {
  int checked = 0;
  for (const char* name : {"mwpt.transcript", "mup.transcript"}) {
    QFile f(testDataFile(QStringLiteral("receivers/") + QLatin1String(name)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    static const QRegularExpression s(QStringLiteral("\\$(PMGN[^*]*)\\*([0-9A-F]{2})"));
    for (auto it = s.globalMatch(QString::fromLatin1(f.readAll())); it.hasNext(); ++checked) {
      const auto m = it.next();
      EXPECT_EQ(checksumText(m.captured(1)), m.captured(2)) << m.captured(0).toStdString();
    }
  }
  EXPECT_GT(checked, 20);
  EXPECT_EQ(sentence(QStringLiteral("$PMGNCMD,VERSION")), QByteArray("$PMGNCMD,VERSION*28\r\n"));
  EXPECT_EQ(checksumText(u"PMGNCMD,A1"), QStringLiteral("02")) << "below 16: a leading 0";
}

TEST(MagellanSentence, FieldsAndLines) {
  EXPECT_NEAR(*parseCoordinate(QStringLiteral("5224.500"), QStringLiteral("S"), false), -52.408333, 1e-6);
  EXPECT_NEAR(*parseCoordinate(QStringLiteral("00807.500"), QStringLiteral("W"), true), -8.125, 1e-9);
  EXPECT_FALSE(parseCoordinate(QStringLiteral("52"), QStringLiteral("N"), false)) << "cut off";
  EXPECT_FALSE(parseCoordinate(QStringLiteral("5224.5"), QString(), false)) << "no hemisphere";
  EXPECT_EQ(latitudeField(-52.408333333), QStringLiteral("5224.500,S"));
  EXPECT_EQ(longitudeField(8.9999999), QStringLiteral("00900.000,E")) << "59.99999' rounds to the next degree";
  LineAssembler lines;
  EXPECT_EQ(lines.onBytes("$PMGNCMD,E"), QStringList());
  EXPECT_EQ(lines.onBytes("ND*3D\r\n$PMGNVER,1\r"), QStringList({"$PMGNCMD,END*3D", "$PMGNVER,1"}));
  QString type;
  EXPECT_FALSE(parseWaypoint(splitSentence(QStringLiteral("$PMGNWPL,5330.000,N,00807.5"), &type))) << "missing fields";
  EXPECT_FALSE(parseRoute(splitSentence(QStringLiteral("$PMGNRTE,x,1,c,3,A,a*00"), &type)));
  const auto w = parseWaypoint(splitSentence(QStringLiteral("$PMGNWPL,5330.000,N,00807.500,E,0000003,M,BUOY01X,FIRST,a*47"), &type));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->ident, QStringLiteral("BUOY01"));
  // Three points: two route messages and the name, three in all.
  EXPECT_EQ(routeSentences(3, QStringLiteral("NORTH"), {"A", "B", "C"}),
            QStringList({"$PMGNRTE,3,1,c,3 FOO,A,a,B,a,", "$PMGNRTE,3,2,c,3 FOO,C,a,", "$PMGNRTE,3,3,m,3 FOO,NORTH"}));
}

using test::TransferRig;

struct MagellanRun {
  TransferRig& rig;
  TransferStore store;
  MagellanSession session;
  explicit MagellanRun(TransferRig& r) : rig(r), store(r.db, r.datums, r.clock, r.target(), &r.shown), session(r.host, r.clock, store) {
    store.begin();
  }
};

TEST(MagellanDownload, StoresWaypointsRoutesAndTrack) {
  TransferRig rig;
  rig.useMagellan = true;
  {
    MagellanRun run(rig);
    run.session.startDownload(Dataset::Waypoints);
    rig.run(run.session);
    ASSERT_TRUE(rig.shown.done) << rig.shown.failure.toStdString();
    EXPECT_EQ(rig.shown.status, QStringLiteral("ID: 33, Ver: 1.50\nEMU MERIDIAN - Transfer completed"));
    EXPECT_EQ(rig.shown.record, QStringLiteral("Magellan Waypoint 2: HARB02"));
  }
  EXPECT_NEAR(rig.db.scalar(QStringLiteral("SELECT Latitude FROM Waypoints WHERE description = 'HARB02'")).toDouble(), -52.408333, 1e-6);
  EXPECT_EQ(rig.db.scalar(QStringLiteral("SELECT memo FROM Waypoints WHERE description = 'BUOY01'")).toString(), QStringLiteral("FIRST TEST WPT"));
  rig.magellan.routes = {QStringLiteral("$PMGNRTE,2,1,c,3,BUOY01,a,NOSUCH,a"), QStringLiteral("$PMGNRTE,2,2,c,3,HARB02,a")};
  {
    rig.shown = {};
    MagellanRun run(rig);
    run.session.startDownload(Dataset::Routes);
    rig.run(run.session);
    ASSERT_TRUE(rig.shown.done);
    EXPECT_EQ(rig.shown.rejected, QStringList{QStringLiteral("Route point NOSUCH is not a stored waypoint")});
  }
  EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM [Route points], Routes WHERE [Route points].Route = Routes.route "
                                     "AND Routes.description = 'Magellan 03'")),
            2);
  {
    rig.shown = {};
    MagellanRun run(rig);
    run.session.startDownload(Dataset::Tracks);
    rig.run(run.session);
    EXPECT_EQ(rig.shown.status, QStringLiteral("2 Magellan trackpoints - Transfer completed"));
  }
  EXPECT_EQ(rig.db.scalar(QStringLiteral("SELECT description FROM Tracks")).toString(), QStringLiteral("[MGL- 0] 01/01/2026 12:00:00"));
  EXPECT_EQ(rig.db.scalar(QStringLiteral("SELECT date FROM [Track data] ORDER BY rowid DESC LIMIT 1")).toString(),
            dbDateText(QDateTime(QDate(2026, 12, 7), QTime(12, 0, 1), Qt::UTC).toLocalTime()));
}

TEST(MagellanDownload, SilenceEndsTheWaitAndLeavesTheDatabaseAlone) {
  for (bool mute : {true, false}) {
    TransferRig rig;
    rig.useMagellan = true;
    rig.magellan.mute = mute;
    rig.magellan.stopAfterLines = 1;
    MagellanRun run(rig);
    run.session.startDownload(Dataset::Waypoints);
    rig.run(run.session);
    EXPECT_EQ(rig.shown.failure, mute ? MessageText(Msg::NoMagellan) : transfer_text::receiverSilent());
    EXPECT_EQ(rig.count(QStringLiteral("SELECT COUNT(*) FROM Waypoints")), 0);
  }
}

TEST(MagellanUpload, SendsWaypointsThenRouteMessages) {
  TransferRig rig;
  rig.useMagellan = true;
  for (const char* d : {"A1", "B2", "C3"})
    rig.db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, Datum) "
                                  "VALUES (?, -52.4083333333, 8.125, 1, 1, 0, 1)"),
                   {QString::fromLatin1(d)});
  rig.db.execute(QStringLiteral("INSERT INTO Routes (route, description) VALUES (3, 'north')"));
  rig.db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint) VALUES (3, 1), (3, 2), (3, 3)"));
  UploadOptions options;
  options.routeNumber = 3;
  MagellanSession session(rig.host, rig.clock, rig.shown);
  session.startUpload(Dataset::Routes, routeUpload(rig.db, rig.datums, {3}, options).items);
  rig.run(session);
  ASSERT_TRUE(rig.shown.done);
  EXPECT_EQ(rig.magellan.received,
            QStringList({"$PMGNCMD,VERSION",
                         "$PMGNWPL,5224.500,S,00807.500,E,0,M,A1    ,XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX,,0",
                         "$PMGNWPL,5224.500,S,00807.500,E,0,M,B2    ,XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX,,0",
                         "$PMGNWPL,5224.500,S,00807.500,E,0,M,C3    ,XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX,,0",
                         "$PMGNRTE,3,1,c,3 FOO,A1,a,B2,a,", "$PMGNRTE,3,2,c,3 FOO,C3,a,", "$PMGNRTE,3,3,m,3 FOO,NORTH               "}));
  EXPECT_TRUE(rig.shown.status.endsWith(transfer_text::transfersCompleted()));
}

}  // namespace
}  // namespace tavrik::magellan
