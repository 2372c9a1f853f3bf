// Network sources through the receive path against real peers: a TCP server and a
// UDP sender in the test replaying a real capture, gpsd itself (started by gpsfake),
// and a client of the forward port's TCP server. The capture fed straight into a
// receiver is the oracle for what must arrive over the network.

#include <gtest/gtest.h>

#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include "nmea/network_link.h"
#include "nmea/receiver_rig.h"
#include "test_data.h"

namespace tavrik::test {
namespace {

constexpr int kWaitMs = 5000;

QByteArray capture(const QString& name) {
  QFile f(testDataFile(QStringLiteral("nmea/") + name));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
  return f.readAll();
}

// Received counters of every sentence after the bytes went straight into a receiver.
std::vector<uint32_t> countsOf(const QByteArray& bytes) {
  ReceiverRig rig;
  rig.feed(bytes.toStdString() + "\n");
  return std::vector<uint32_t>(rig.nav.ReceivedCount.begin(), rig.nav.ReceivedCount.end());
}
std::vector<uint32_t> countsOf(const NavigationState& nav) {
  return std::vector<uint32_t>(nav.ReceivedCount.begin(), nav.ReceivedCount.end());
}

struct NetworkRig : ReceiverRig {
  FakeClock clock;
  NetworkRig() : ReceiverRig(sourceLinkFactory(clock)) {}
  NetworkLink* network(int port) {
    auto* source = dynamic_cast<SourceLink*>(rx.link(port));
    return source ? dynamic_cast<NetworkLink*>(source->current()) : nullptr;
  }
  bool waitForBuffer(size_t length) {
    return QTest::qWaitFor([&] { return rx.bufferLength(0) >= length; }, kWaitMs);
  }
};

TEST(NetworkSource, NamesAreReadWithTheirDefaultsAndBadOnesAreRefusedWithAReason) {
  struct Case {
    const char* text;
    bool ok;
    SourceKind kind;
    const char* host;
    quint16 port;
  } cases[] = {
      {"/dev/ttyUSB0", true, SourceKind::Serial, "", 0},
      {"tcp://192.168.1.1:10110", true, SourceKind::TcpClient, "192.168.1.1", 10110},
      {"TCP://mux.local:2000/", true, SourceKind::TcpClient, "mux.local", 2000},
      {"tcp://[::1]:10110", true, SourceKind::TcpClient, "::1", 10110},
      {"udp://:10110", true, SourceKind::Udp, "", 10110},
      {"gpsd://localhost", true, SourceKind::Gpsd, "localhost", 2947},
      {"gpsd://10.0.0.5:3000", true, SourceKind::Gpsd, "10.0.0.5", 3000},
      {"tcp-listen://:10111", true, SourceKind::TcpListen, "", 10111},
      {"tcp://:10110", false, SourceKind::TcpClient, "", 0},
      {"tcp://host", false, SourceKind::TcpClient, "", 0},
      {"tcp://host:70000", false, SourceKind::TcpClient, "", 0},
      {"udp://:x", false, SourceKind::Udp, "", 0},
      {"ftp://host:21", false, SourceKind::Serial, "", 0},
  };
  for (const Case& c : cases) {
    SourceAddress a;
    QString error;
    ASSERT_EQ(parseSourceAddress(QString::fromLatin1(c.text), a, error), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(error.isEmpty()) << c.text;
      continue;
    }
    EXPECT_EQ(a.kind, c.kind) << c.text;
    EXPECT_EQ(a.host.toStdString(), c.host) << c.text;
    EXPECT_EQ(a.port, c.port) << c.text;
  }
}

TEST(NetworkSource, BackOffDoublesToThirtySecondsAndStartsOverOnceConnected) {
  ReconnectBackoff b;
  qint64 now = 0;
  std::vector<qint64> delays;
  for (int i = 0; i < 7; ++i) {
    b.connectionLost(now);
    EXPECT_FALSE(b.due(b.retryAtMs() - 1));
    delays.push_back(b.retryAtMs() - now);
    now = b.retryAtMs();
  }
  EXPECT_EQ(delays, (std::vector<qint64>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));
  b.connected();
  b.connectionLost(now);
  EXPECT_EQ(b.retryAtMs() - now, 1000);
}

TEST(NetworkSource, TcpCaptureArrivesWholeAndAClosedOrSilentServerIsReconnectedAfterTheBackOff) {
  const QByteArray log = capture(QStringLiteral("hemi.log"));
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  NetworkRig rig;
  rig.settings.Comm[0].Port = QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
  rig.rx.StartCommunication();
  ASSERT_TRUE(rig.prompter.empty()) << rig.prompter.lastText().toStdString();
  ASSERT_TRUE(server.waitForNewConnection(kWaitMs));
  QTcpSocket* peer = server.nextPendingConnection();
  peer->write(log);
  peer->disconnectFromHost();
  ASSERT_TRUE(rig.waitForBuffer(static_cast<size_t>(log.size())));
  rig.rx.inject(0, "\n");
  rig.rx.tick();
  EXPECT_EQ(countsOf(rig.nav), countsOf(log));
  EXPECT_EQ(rig.panels.inputSource().trimmed().toStdString(), "Gps");

  NetworkLink* link = rig.network(0);
  ASSERT_NE(link, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !link->connected(); }, kWaitMs));
  link->tick();
  EXPECT_FALSE(server.hasPendingConnections()) << "no retry before the first second";
  rig.clock.advanceMs(1000);
  link->tick();
  ASSERT_TRUE(server.waitForNewConnection(kWaitMs));
  peer = server.nextPendingConnection();
  EXPECT_EQ(link->reconnectCount(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return link->connected(); }, kWaitMs));

  // Silence: the input panel says so, a line restores the source's name, and a
  // longer silence closes the connection before the next attempt.
  rig.clock.advanceSecs(7);
  rig.rx.tick();
  EXPECT_EQ(rig.panels.inputSource().toStdString(), "no data for 7 s");
  peer->write("$GPHDT,274.07,T*03\r\n");
  ASSERT_TRUE(rig.waitForBuffer(1));
  EXPECT_EQ(rig.panels.inputSource().trimmed().toStdString(), "Gps");
  rig.clock.advanceSecs(15);
  link->tick();
  EXPECT_FALSE(link->connected());
  ASSERT_TRUE(QTest::qWaitFor([&] { return peer->state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
  rig.clock.advanceMs(1000);
  link->tick();
  ASSERT_TRUE(server.waitForNewConnection(kWaitMs));
  EXPECT_EQ(link->reconnectCount(), 2);
  rig.rx.StopCommunication();
}

TEST(NetworkSource, UdpDatagramsAreReceivedAndAGarbageFloodIsBoundedAndCounted) {
  const QByteArray log = capture(QStringLiteral("mr-350p.log"));
  NetworkRig rig;
  rig.settings.Comm[0].Port = QStringLiteral("udp://:0");
  rig.rx.StartCommunication();
  ASSERT_TRUE(rig.prompter.empty()) << rig.prompter.lastText().toStdString();
  NetworkLink* link = rig.network(0);
  ASSERT_NE(link, nullptr);
  QUdpSocket sender;
  // One line per datagram, as multiplexers send them (to the broadcast address too).
  size_t sent = 0;
  for (const QByteArray& line : log.split('\n')) {
    const QByteArray datagram = line + '\n';
    sender.writeDatagram(datagram, QHostAddress::LocalHost, link->localPort());
    sent += static_cast<size_t>(datagram.size());
  }
  ASSERT_TRUE(rig.waitForBuffer(sent));
  rig.rx.tick();
  EXPECT_EQ(countsOf(rig.nav), countsOf(log));

  // Sent at the pace the kernel's socket buffer allows, with no receive cycle between.
  const QByteArray garbage(8000, 'x');
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        sender.writeDatagram(garbage + '\n', QHostAddress::LocalHost, link->localPort());
        return rig.rx.droppedBytes(0) > 0;
      },
      kWaitMs));
  EXPECT_LE(rig.rx.bufferLength(0), kPendingBytesLimit);
  rig.rx.tick();
  EXPECT_GE(rig.rx.garbageLines(), 4u);
  EXPECT_EQ(rig.rx.bufferLength(0), 0u);
  rig.rx.StopCommunication();
}

TEST(NetworkSource, GpsdWatchDeliversTheNmeaOfItsDeviceAndNoneOfItsJson) {
  const QString gpsfake = QStandardPaths::findExecutable(QStringLiteral("gpsfake"));
  if (gpsfake.isEmpty()) GTEST_SKIP() << "gpsfake (gpsd-clients) is not installed";
  QTcpServer probe;  // a free port for gpsd
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const quint16 port = probe.serverPort();
  probe.close();
  const QString log = testDataFile(QStringLiteral("nmea/mr-350p.log"));
  QProcess fake;
  fake.start(gpsfake, {QStringLiteral("-q"), QStringLiteral("-c"), QStringLiteral("0.01"),
                       QStringLiteral("-P"), QString::number(port), log});
  ASSERT_TRUE(fake.waitForStarted());
  NetworkRig rig;
  rig.settings.Comm[0].Port = QStringLiteral("gpsd://127.0.0.1:%1").arg(port);
  rig.rx.StartCommunication();
  // gpsd takes a moment to listen: the link keeps trying on its back-off.
  NetworkLink* link = rig.network(0);
  ASSERT_NE(link, nullptr);
  const bool all = QTest::qWaitFor(
      [&] {
        if (!link->connected()) {
          rig.clock.advanceSecs(1);
          link->tick();
        }
        rig.rx.tick();
        return rig.received(Sentence::ZDA) >= 14;
      },
      15000);
  // SIGTERM lets gpsfake stop the gpsd it started.
  fake.terminate();
  if (!fake.waitForFinished(kWaitMs)) fake.kill();
  ASSERT_TRUE(all) << "GGA " << rig.received(Sentence::GGA) << " ZDA " << rig.received(Sentence::ZDA);
  EXPECT_GE(rig.received(Sentence::GGA), 13u);
  EXPECT_EQ(rig.errors(Sentence::GGA) + rig.errors(Sentence::ZDA) + rig.errors(Sentence::GSA), 0u);
  EXPECT_EQ(rig.rx.garbageLines(), 0u) << "gpsd's JSON reports are not passed on";
  rig.rx.StopCommunication();
}

TEST(NetworkSource, ForwardPortAsTcpServerRepeatsSentencesToEveryClient) {
  NetworkRig rig;
  rig.settings.Ports = QStringLiteral("2");
  rig.settings.Comm[0].Port = QStringLiteral("udp://:0");
  rig.settings.Comm[1].Port = QStringLiteral("tcp-listen://:0");
  rig.settings.NMEAOutput = QStringLiteral("2");
  rig.settings.NMEAOut[0] = QString(kSentenceCount, QLatin1Char('1'));
  rig.settings.AllNMEA[0] = QStringLiteral("1");
  rig.rx.StartCommunication();
  ASSERT_TRUE(rig.prompter.empty()) << rig.prompter.lastText().toStdString();
  NetworkLink* server = rig.network(1);
  ASSERT_NE(server, nullptr);
  QTcpSocket a, b;
  a.connectToHost(QHostAddress::LocalHost, server->localPort());
  b.connectToHost(QHostAddress::LocalHost, server->localPort());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 2; }, kWaitMs));
  rig.rx.inject(0, "$GPHDT,274.07,T*03\r\n$GPXYZ,1*00\r\n");
  rig.rx.tick();
  for (QTcpSocket* s : {&a, &b}) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return s->bytesAvailable() >= 20; }, kWaitMs));
    EXPECT_EQ(s->readAll().toStdString(), "$GPHDT,274.07,T*03\r\n") << "the bad checksum is not repeated";
  }
  rig.rx.StopCommunication();
}

TEST(NetworkSource, TavrikNmeaReadsATcpSourceUntilThePeerCloses) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* s = server.nextPendingConnection();
    s->write("\\s:r003669945,c:1241544035*4A\\$GPHDT,274.07,T*03\r\n");
    s->disconnectFromHost();
  });
  QProcess tool;
  tool.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/nmea/tavrik-nmea"),
             {QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort())});
  ASSERT_TRUE(QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  EXPECT_TRUE(tool.readAllStandardOutput().startsWith("{\"sentence\":\"GPHDT\",\"HeadingTrue\":274.07}\n"));
}

}  // namespace
}  // namespace tavrik::test
