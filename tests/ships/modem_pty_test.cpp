// Two programs call each other through the Hayes modem exchange over pseudo-terminal
// pairs: the caller's exchange (and tavrik-ship) on one modem, an answering exchange
// with "Receive calls" on the other.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/messages.h"
#include "core/settings_store.h"
#include "nmea/nmea_checksum.h"
#include "nmea/nmea_receiver.h"
#include "nmea/qserial_link.h"
#include "ships/dial_up_link.h"
#include "ships/hayes_modem.h"
#include "ships/ship_exchange.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik::test {
namespace {

constexpr int kWaitMs = 10000;  // bound for a call through the kernel

// One program's side: its database with ship "Ada" on telephone 200, its settings, its
// exchange on the given modem.
struct Program {
  QTemporaryDir home;
  Database db;
  SystemClock clock;
  NavigationState nav;
  AppSettings settings;
  RequestFlags requests;
  ShipExchange exchange{nav, settings, requests, clock, db, qserialLinkFactory()};
  QTimer mainCycle;

  Program(const HayesModem& modem, bool receiveCalls) {
    EXPECT_TRUE(createMainDatabase(db, home.filePath("gps.db"), clock.now()).ok());
    EXPECT_TRUE(db.execute("INSERT INTO Ships (Name, telephone, created) VALUES ('Ada', '200', ?)", {clock.now()}));
    settings.ShipsPort.Port = modem.pty.name;
    settings.ShipsPort.Baudrate = "9600";
    settings.ShipsCommunication = receiveCalls ? "-1" : "0";
    // Faster than the program's second, so that the test is short; the call keeps
    // its own second by the clock.
    QObject::connect(&mainCycle, &QTimer::timeout, [this] { exchange.tick(); });
    mainCycle.start(50);
  }
  double stored(const char* field) {
    return db.scalar(QStringLiteral("SELECT [%1] FROM Ships WHERE Name = 'Ada'").arg(field)).toDouble();
  }
};

TEST(ModemExchangeOverPty, CallerGetsTheAnsweringShipsPositionSouthWest) {
  ModemExchange line;
  HayesModem& office = line.add("100");
  HayesModem& ship = line.add("200");
  Program base(office, false);
  Program boat(ship, true);
  boat.nav.Latitude = -52.25f;
  boat.nav.Longitude = -120.5f;
  boat.nav.CourseOverGround = 45.5f;
  boat.nav.SpeedOverGround = 6.5f;
  boat.nav.WindDirection = 270;
  boat.nav.WindSpeed = 12;
  ASSERT_TRUE(QTest::qWaitFor([&] { return boat.exchange.modem.isOpen(); }, kWaitMs));

  ASSERT_TRUE(base.exchange.startCall("Ada", "200"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !base.exchange.call.running(); }, kWaitMs));
  ASSERT_EQ(base.exchange.call.state(), ShipCall::State::Done) << MessageText(base.exchange.call.failureMessage()).toStdString();
  EXPECT_DOUBLE_EQ(base.stored("latitude"), -52.25);
  EXPECT_DOUBLE_EQ(base.stored("longitude"), -120.5);
  EXPECT_DOUBLE_EQ(base.stored("course"), 45.5);
  EXPECT_DOUBLE_EQ(base.stored("wind speed"), 12);
  EXPECT_TRUE(base.requests.shipsChanged);
  // The answering modem was set to answer on the first ring and answered.
  EXPECT_TRUE(ship.received.startsWith("Ats0=1\r")) << ship.received.constData();
  EXPECT_GE(ship.ringsSent, 1);

  // The caller hangs up after the reply; the answering side hears the line go.
  ASSERT_TRUE(QTest::qWaitFor([&] { return ship.line() == HayesModem::Line::OnHook; }, kWaitMs));
  EXPECT_TRUE(office.received.contains("+++ATH\r"));
  EXPECT_TRUE(base.exchange.modem.isOpen());

  // Engaged number.
  ASSERT_TRUE(base.exchange.startCall("Ada", line.engagedNumber));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !base.exchange.call.running(); }, kWaitMs));
  EXPECT_EQ(base.exchange.call.failureMessage(), Msg::LineBusy);
}

TEST(ModemExchangeOverPty, LineDroppedWhileWaitingIsALostCarrier) {
  ModemExchange line;
  HayesModem& office = line.add("100");
  HayesModem& ship = line.add("200");
  Program base(office, false);
  // A silent answerer: picks up (S0=1) but never replies to the request word.
  ship.s0 = 1;
  ASSERT_TRUE(base.exchange.startCall("Ada", "200"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return base.exchange.call.state() == ShipCall::State::Connecting; }, kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ship.pty.name.size() && ship.line() == HayesModem::Line::Connected; }, kWaitMs));
  // The pseudo-terminal cannot report carrier detect: no false alarm before the drop.
  QTest::qWait(300);
  EXPECT_EQ(base.exchange.call.state(), ShipCall::State::Connecting);
  line.dropLine(ship);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !base.exchange.call.running(); }, kWaitMs));
  EXPECT_EQ(base.exchange.call.failureMessage(), Msg::LostCarrierResponse);
  EXPECT_DOUBLE_EQ(base.stored("latitude"), 0);
}

struct Finished {
  int code = -1;
  QByteArray out, err;
};

Finished runTool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/ships/tavrik-ship"), args);
  Finished f;
  // The event loop keeps running so that the emulator and the answerer do their part.
  if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, kWaitMs)) {
    p.kill();
    p.waitForFinished();
    return f;
  }
  f.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  f.out = p.readAllStandardOutput();
  f.err = p.readAllStandardError();
  return f;
}

TEST(ModemExchangeOverPty, ToolCallsPrintsAndFails) {
  ModemExchange line;
  HayesModem& office = line.add("100");
  HayesModem& ship = line.add("200");
  Program boat(ship, true);
  boat.nav.Latitude = 52.25f;
  boat.nav.Longitude = 5.5f;
  boat.nav.CourseOverGround = 90;
  Program base(office, false);
  base.mainCycle.stop();
  {
    SettingsStore ini(base.home.filePath("GPS.ini"));
    ini.set("Ships", "Port", office.pty.name);
    ini.set("Ships", "Baudrate", "9600");
  }
  base.db.close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return boat.exchange.modem.isOpen(); }, kWaitMs));

  const Finished ok = runTool({"--home", base.home.path(), "call", "Ada"});
  ASSERT_EQ(ok.code, 0) << ok.err.constData();
  const QJsonObject o = QJsonDocument::fromJson(ok.out).object();
  EXPECT_EQ(o["Name"].toString(), "Ada");
  EXPECT_DOUBLE_EQ(o["latitude"].toDouble(), 52.25);
  EXPECT_DOUBLE_EQ(o["longitude"].toDouble(), 5.5);
  EXPECT_DOUBLE_EQ(o["course"].toDouble(), 90);
  Database db;
  ASSERT_TRUE(db.open(base.home.filePath("gps.db")).ok());
  EXPECT_DOUBLE_EQ(db.scalar("SELECT latitude FROM Ships WHERE Name = 'Ada'").toDouble(), 52.25);
  db.close();

  HayesModem& second = line.add("300");
  {
    SettingsStore ini(base.home.filePath("GPS.ini"));
    ini.set("Ships", "Port", second.pty.name);  // --port overrides it
  }
  ASSERT_TRUE(base.db.open(base.home.filePath("gps.db")).ok());
  ASSERT_TRUE(base.db.execute("UPDATE Ships SET telephone = ? WHERE Name = 'Ada'", {line.engagedNumber}));
  base.db.close();
  const Finished busy = runTool({"--home", base.home.path(), "call", "Ada", "--port", office.pty.name});
  EXPECT_EQ(busy.code, 1);
  EXPECT_EQ(busy.err.trimmed().split('\n').last(), "tavrik-ship: " + MessageText(Msg::LineBusy).toLatin1());
  EXPECT_TRUE(second.received.isEmpty());

  const Finished unknown = runTool({"--home", base.home.path(), "call", "Nobody"});
  EXPECT_EQ(unknown.code, 1);
  EXPECT_EQ(runTool({"--home", base.home.path(), "ring", "Ada"}).code, 2);
}

// The dial-up link: a buoy's modem answers and passes on what its instrument sends;
// the receiver takes it like a direct line. (An engaged line: the window test.)
TEST(DialUpLinkOverPty, ConnectedInstrumentFeedsTheReceiver) {
  ModemExchange line;
  HayesModem& office = line.add("100");
  HayesModem& buoy = line.add("200");
  buoy.s0 = 1;
  SystemClock clock;
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  settings.Comm[0].Port = office.pty.name;
  settings.Comm[0].Baudrate = "9600";
  RecordingPrompter prompter;
  NmeaReceiver receiver(nav, panels, settings, prompter, qserialLinkFactory());
  DialUpLink link(clock, prompter, receiverDialLine(receiver));
  connectDialUpLink(receiver, link);
  QTimer cycle;
  QObject::connect(&cycle, &QTimer::timeout, [&] {
    receiver.tick();
    link.tick();
  });
  cycle.start(50);
  // The buoy's instrument on the far side of its modem.
  std::unique_ptr<SerialLink> instrument = qserialLinkFactory()();
  ASSERT_TRUE(instrument->open(buoy.pty.name, "9600,N,8,1", Handshake::None));

  ASSERT_TRUE(link.start({"Lightship", "200", "", "ATDP"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return link.state() == DialUpLink::State::Connected; }, kWaitMs));
  EXPECT_EQ(office.received, "ATDP200\r");
  EXPECT_TRUE(receiver.isRunning());
  const QString gga = NmeaChecksum("$GPGGA,120000,5215.000,N,00530.000,E,1,08,1.0,0.0,M,0.0,M,,") + "\r\n";
  instrument->write(gga.toLatin1());
  ASSERT_TRUE(QTest::qWaitFor([&] { return nav.Latitude != 0; }, kWaitMs));
  EXPECT_FLOAT_EQ(nav.Latitude, 52.25f);
  EXPECT_FLOAT_EQ(nav.Longitude, 5.5f);
  EXPECT_EQ(panels.inputSource(), "Gps Lightship");
  EXPECT_EQ(receiver.garbageLines(), 1u) << "the modem's CONNECT line, no more";
}

}  // namespace
}  // namespace tavrik::test

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
