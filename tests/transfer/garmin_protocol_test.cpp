// The Garmin link layer against bytes recorded from GPSBabel and a real receiver,
// and the record layouts field by field.

#include <gtest/gtest.h>

#include <QFile>
#include <cmath>

#include "core/clock.h"
#include "core/messages.h"
#include "transfer/garmin_link.h"
#include "transfer/garmin_protocol.h"
#include "transfer/transcript.h"

namespace tavrik::garmin {
namespace {

struct WireLink final : SerialLink {
  QByteArray written;
  bool open(const QString&, const QString&, Handshake) override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  void write(const QByteArray& b) override { written += b; }
  bool carrierDetect() const override { return false; }
  QString errorText() const override { return {}; }
};

TEST(GarminFrame, BuildsTheBytesGpsbabelAndReceiversPutOnTheWire) {
  struct Row {
    const char* legend;
    std::uint8_t id;
    QByteArray data;
    const char* hex;
  } rows[] = {
      {"ACK of a waypoint packet", Ack, QByteArray::fromHex("2300"), "100602230 0d51003"},
      {"product request of size 0", ProductRequest, {}, "10fe00021003"},
      {"DLE in the data doubled", 35, QByteArray::fromHex("10"), "10230110 10cc1003"},
      {"size 16 doubled", 35, QByteArray(16, 'A'), nullptr},
      {"checksum 16 doubled", 0xEF, QByteArray::fromHex("00"), "10ef01001010 1003"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const QByteArray frame = buildFrame(r.id, r.data);
    if (r.hex) {
      EXPECT_EQ(frame.toHex(), QByteArray(r.hex).replace(' ', ""));
    }
    FrameReader reader;
    reader.onBytes(frame);
    const auto frames = reader.takeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].valid);
    EXPECT_EQ(frames[0].packet.data, r.data);
  }
  EXPECT_EQ(buildFrame(35, QByteArray(16, 'A')).mid(2, 2), QByteArray::fromHex("1010"));
  EXPECT_EQ(answerFrame(true, 35), QByteArray::fromHex("1006022300d51003"));
}

// Every frame of every recorded session, whole and split at each byte, is read back
// sound and built again byte for byte.
TEST(GarminFrame, RecordedSessionsReadBackSoundWhateverTheSplit) {
  for (const char* name : {"gwpt.transcript", "grte.transcript", "gtrk.transcript", "gupw.transcript", "gupr.transcript"}) {
    SCOPED_TRACE(name);
    const auto lines = readTranscript(QString::fromLatin1(name));
    ASSERT_GT(lines.size(), 8u);
    for (const TranscriptLine& l : lines) {
      for (qsizetype cut = 0; cut <= l.bytes.size(); ++cut) {
        FrameReader reader;
        reader.onBytes(QByteArray("noise\x03", 6));  // bytes before a DLE are dropped
        reader.onBytes(l.bytes.left(cut));
        reader.onBytes(l.bytes.mid(cut));
        const auto frames = reader.takeFrames();
        ASSERT_EQ(frames.size(), 1u) << l.bytes.toHex().constData() << " cut " << cut;
        ASSERT_TRUE(frames[0].valid);
        ASSERT_EQ(buildFrame(frames[0].packet.id, frames[0].packet.data), l.bytes);
      }
    }
  }
}

TEST(GarminFrame, RealReceiverCaptureGivesEveryFrameSound) {
  QFile f(testDataFile(QStringLiteral("receivers/garmin18x-bin.log")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray bytes;
  while (!f.atEnd()) {
    const QByteArray line = f.readLine();
    if (!bytes.isEmpty() || !line.startsWith('#')) bytes += line;
  }
  FrameReader reader;
  for (char c : bytes) reader.onBytes(QByteArrayView(&c, 1));
  const auto frames = reader.takeFrames();
  ASSERT_EQ(frames.size(), 58u);
  int pvt = 0;
  for (const auto& fr : frames) {
    EXPECT_TRUE(fr.valid);
    pvt += fr.packet.id == 51;
  }
  EXPECT_EQ(pvt, 29);
}

TEST(GarminLink, AnswersSoundFramesAndNaksDamagedOnesWithoutPassingThemOn) {
  FakeClock clock;
  WireLink wire;
  GarminLink link(wire, clock);
  std::vector<Packet> passed;
  link.onPacket = [&](const Packet& p) { passed.push_back(p); };
  QByteArray bad = buildFrame(35, QByteArray("BUOY01"));
  bad[8] = 'X';  // payload changed after the checksum was made
  QByteArray wrongSize = buildFrame(27, QByteArray::fromHex("0300"));
  wrongSize[2] = 3;
  wrongSize[5] = static_cast<char>(checksum(27, QByteArray::fromHex("0300")) - 1);
  link.onBytes(bad + QByteArray("\x00\xff junk", 7) + wrongSize + buildFrame(27, QByteArray::fromHex("0300")));
  EXPECT_EQ(wire.written, answerFrame(false, 35) + answerFrame(false, 27) + answerFrame(true, 27));
  ASSERT_EQ(passed.size(), 1u);
  EXPECT_EQ(passed[0].id, 27);
}

TEST(GarminLink, ResendsOnRefusalAndAsksAfterTheFifth) {
  struct Row {
    const char* legend;
    bool byNak;  // else silence
    bool goOn;
  } rows[] = {{"NAKs, go on", true, true}, {"silence, give up", false, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    FakeClock clock;
    WireLink wire;
    GarminLink link(wire, clock);
    int asked = 0, failed = 0, empty = 0, beeps = 0;
    link.askContinue = [&] { return ++asked, r.goOn; };
    link.onSendFailed = [&] { ++failed; };
    link.onQueueEmpty = [&] { ++empty; };
    link.onResend = [&] { ++beeps; };
    link.send(35, "A");
    link.send(35, "B");
    const QByteArray a = buildFrame(35, "A");
    for (int send = 1; send <= GarminLink::kMaxSends; ++send) {
      EXPECT_EQ(wire.written, a) << "send " << send;
      wire.written.clear();
      if (r.byNak) {
        link.onBytes(answerFrame(false, 35));
      } else {
        clock.advanceMs(GarminLink::kAnswerTimeoutMs);
        link.tick();
      }
      clock.advanceMs(GarminLink::kResendDelayMs - 1);
      link.tick();
      if (send < GarminLink::kMaxSends) {
        EXPECT_TRUE(wire.written.isEmpty()) << "resent before the pause";
      }
      clock.advanceMs(1);
      link.tick();
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(beeps, GarminLink::kMaxSends - 1);
    EXPECT_EQ(failed, r.goOn ? 0 : 1);
    EXPECT_EQ(wire.written, r.goOn ? buildFrame(35, "B") : QByteArray());
    if (r.goOn) {
      link.onBytes(answerFrame(true, 35));
      EXPECT_EQ(empty, 1);
    }
  }
}

TEST(GarminCodec, SemicirclesAndTimesMatchTheReceivers) {
  EXPECT_DOUBLE_EQ(semicirclesToDegrees(0x40000000), 90.0);
  EXPECT_EQ(degreesToSemicircles(-90.0), -0x40000000);
  EXPECT_EQ(degreesToSemicircles(180.0), 0x7FFFFFFF);
  // One semicircle is 180 / 2^31 degrees: the round trip is exact to half of it.
  for (double d : {53.5, -0.0001, 8.125, -179.99999}) EXPECT_NEAR(semicirclesToDegrees(degreesToSemicircles(d)), d, 0.5 * 180.0 / 2147483648.0);
  // The recorded track: 1e9 seconds from 1989-12-31 00:00 UTC, the receivers' epoch.
  const auto track = readTranscript(QStringLiteral("gtrk.transcript"));
  FrameReader reader;
  reader.onBytes(track.at(10).bytes);
  const auto point = decodeTrackPoint(reader.takeFrames().at(0).packet.data);
  ASSERT_TRUE(point);
  EXPECT_EQ(point->timeUtc, QDateTime(QDate(2021, 9, 8), QTime(1, 46, 40), Qt::UTC));
  EXPECT_TRUE(point->newTrack);
  EXPECT_NEAR(point->latitude, 53.5, 1e-6);
  EXPECT_EQ(utcToGarminTime(point->timeUtc), 1000000000u);
}

TEST(GarminRecords, EveryLayoutRoundTripsWithDleInEveryField) {
  WaypointRecord w;
  w.ident = QStringLiteral("A\x10Z9");
  w.comment = QStringLiteral("COMMENT \x10 WITH DLE");
  w.latitude = semicirclesToDegrees(0x10101010);
  w.longitude = semicirclesToDegrees(-0x10101010);
  w.distanceM = 16.0f;
  w.symbol = 16;
  w.display = 16;
  struct Row {
    WaypointType type;
    int length, commentAt;
    bool dist, symbol, display;
  } rows[] = {
      {WaypointType::D100, 58, 18, false, false, false}, {WaypointType::D101, 63, 18, true, true, false},
      {WaypointType::D102, 64, 18, true, true, false},   {WaypointType::D103, 60, 18, false, true, true},
      {WaypointType::D104, 65, 18, true, true, true},    {WaypointType::D107, 65, 18, true, true, true},
      {WaypointType::D150, 115, 75, false, false, false}, {WaypointType::D151, 124, 18, true, false, false},
      {WaypointType::D152, 124, 18, true, false, false}, {WaypointType::D154, 126, 18, true, true, false},
      {WaypointType::D155, 127, 18, true, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.type));
    const QByteArray d = encodeWaypoint(r.type, w);
    ASSERT_EQ(d.size(), r.length);
    EXPECT_EQ(d.mid(r.commentAt, 7), QByteArray("COMMENT"));
    FrameReader reader;
    reader.onBytes(buildFrame(35, d));
    const auto back = decodeWaypoint(r.type, reader.takeFrames().at(0).packet.data, 1);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ident, w.ident);
    EXPECT_EQ(back->comment, w.comment);
    EXPECT_EQ(back->latitude, w.latitude);
    EXPECT_EQ(back->longitude, w.longitude);
    EXPECT_EQ(back->distanceM, r.dist ? 16.0f : 0.0f);
    EXPECT_EQ(back->symbol, r.symbol ? 16 : 0);
    EXPECT_EQ(back->display, r.display ? 16 : 0);
    EXPECT_FALSE(decodeWaypoint(r.type, d.left(r.length - 1), 1)) << "a record shorter than its type";
  }
  for (auto [type, length, distAt] : {std::tuple{ProximityType::D400, 62, 58}, {ProximityType::D403, 64, 60}, {ProximityType::D450, 121, 117}}) {
    const QByteArray d = encodeProximity(type, w);
    ASSERT_EQ(d.size(), length);
    EXPECT_EQ(readFloat(d, distAt), 16.0f);
    const auto back = decodeProximity(type, d);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ident, w.ident);
    EXPECT_EQ(back->comment, w.comment);
    EXPECT_EQ(back->latitude, w.latitude);
  }
  // D450: a 2-byte index, then a D150 (class at 10, latitude at 11, comment at 77).
  EXPECT_EQ(readS32(encodeProximity(ProximityType::D450, w), 11), 0x10101010);
}

TEST(GarminRecords, NamedRecordsAndRouteHeaders) {
  WaypointRecord named;
  named.ident = QStringLiteral("HARBOUR ENTRANCE");
  named.latitude = 12.5;
  for (WaypointType t : {WaypointType::D105, WaypointType::D106}) {
    const auto back = decodeWaypoint(t, encodeWaypoint(t, named), 7);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ident, named.ident);
    EXPECT_EQ(back->comment, named.ident);
    EXPECT_NEAR(back->latitude, 12.5, 1e-7);
  }
  // Without a name the generated ident keeps its number, so two records stay apart.
  named.ident.clear();
  EXPECT_EQ(decodeWaypoint(WaypointType::D105, encodeWaypoint(WaypointType::D105, named), 12)->ident, QStringLiteral("GARMIN Wpt 12"));
  EXPECT_EQ(decodeRouteHeader(RouteHeaderType::D201, encodeRouteHeader(RouteHeaderType::D201, {3, QStringLiteral("TO HARBOUR")}))->comment,
            QStringLiteral("TO HARBOUR"));
  EXPECT_EQ(decodeRouteHeader(RouteHeaderType::D200, QByteArray(1, 3))->number, 3);
  EXPECT_EQ(decodeRouteHeader(RouteHeaderType::D202, QByteArray("NORTH\0", 6))->comment, QStringLiteral("NORTH"));
  EXPECT_FALSE(decodeRouteHeader(RouteHeaderType::D201, QByteArray(20, ' ')));
}

TEST(GarminCapabilities, ProductTableAndProtocolArray) {
  struct Row {
    const char* legend;
    int id, version;
    QByteArray array;  // empty: none follows
    LinkProtocol link;
    CommandProtocol cmd;
    WaypointType wpt;
    RouteHeaderType rte;
    bool proximity;
  } rows[] = {
      {"77 at 3.50", 77, 350, {}, LinkProtocol::L001, CommandProtocol::A010, WaypointType::D103, RouteHeaderType::D201, false},
      {"77 at 3.50, then an array", 77, 350, encodeProtocolArray({{'L', 2}, {'A', 11}, {'D', 108}, {'D', 202}, {'D', 403}}),
       LinkProtocol::L002, CommandProtocol::A011, WaypointType::D100, RouteHeaderType::D202, true},
      {"77 at 3.00", 77, 300, {}, LinkProtocol::L001, CommandProtocol::A010, WaypointType::D100, RouteHeaderType::D201, true},
      {"29 from 4.00", 29, 400, {}, LinkProtocol::L001, CommandProtocol::A010, WaypointType::D102, RouteHeaderType::D201, false},
      {"20: L002 and D150", 20, 100, {}, LinkProtocol::L002, CommandProtocol::A011, WaypointType::D150, RouteHeaderType::D201, true},
      {"14: D200", 14, 100, {}, LinkProtocol::L001, CommandProtocol::A010, WaypointType::D100, RouteHeaderType::D200, true},
      {"not in the table", 12, 100, {}, LinkProtocol::L002, CommandProtocol::A011, WaypointType::D100, RouteHeaderType::D200, false},
      {"odd-length array keeps its whole entries", 999, 310, encodeProtocolArray({{'L', 1}, {'D', 105}}) + "D",
       LinkProtocol::L001, CommandProtocol::A011, WaypointType::D105, RouteHeaderType::D200, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Capabilities c = capabilitiesFromProductTable(r.id, r.version);
    if (!r.array.isEmpty()) {
      EXPECT_EQ(applyProtocolArray(c, r.array), r.array.size() % 3 == 0);
    }
    EXPECT_EQ(c.link, r.link);
    EXPECT_EQ(c.command, r.cmd);
    EXPECT_EQ(c.waypoint, r.wpt);
    EXPECT_EQ(c.routeHeader, r.rte);
    EXPECT_EQ(c.hasProximity, r.proximity);
  }
  EXPECT_EQ(packetId(LinkProtocol::L002, LinkPacket::Records), 35);
  EXPECT_EQ(commandCode(CommandProtocol::A011, Command::TransferWaypoints), 21);
}

TEST(GarminProduct, DecodesTextsAndRejectsShortPackets) {
  const auto p = decodeProductData(encodeProductData({77, 350, {QStringLiteral("GPS 12"), QStringLiteral("Software")}}));
  ASSERT_TRUE(p);
  EXPECT_EQ(productStatusText(*p), QStringLiteral("ID: 77, Ver: 3.50\nGPS 12\nSoftware"));
  EXPECT_EQ(productStatusText(*decodeProductData(QByteArray::fromHex("4d003401"))), QStringLiteral("ID: 77, Ver: 3.08\n"));
  EXPECT_FALSE(decodeProductData(QByteArray::fromHex("4d00")));
}

}  // namespace
}  // namespace tavrik::garmin
