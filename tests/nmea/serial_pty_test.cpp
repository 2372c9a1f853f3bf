// The serial path through QSerialPort over pseudo-terminal pairs: the test holds the
// master side as the instrument, the receive path opens the slave by name.
//
// Bytes cross the kernel asynchronously, so the tests wait for the port's own
// readyRead with QTest::qWaitFor (returns as soon as the data is there).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "nmea/qserial_link.h"
#include "nmea/receiver_rig.h"

namespace tavrik::test {
namespace {

constexpr int kWaitMs = 5000;  // generous bound for the kernel to pass bytes along

struct Pty {
  int master = -1, slave = -1;
  QString name;
  Pty() {
    char buf[128];
    if (openpty(&master, &slave, buf, nullptr, nullptr) == 0) name = QString::fromLatin1(buf);
  }
  ~Pty() {
    closeMaster();
    if (slave >= 0) ::close(slave);
  }
  void closeMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  void send(const QByteArray& b) const { ASSERT_EQ(::write(master, b.constData(), static_cast<size_t>(b.size())), b.size()); }
  // Everything the port has written so far (the master side never blocks here).
  QByteArray drain() const {
    QByteArray out;
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
      char buf[4096];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<qsizetype>(n));
    }
    return out;
  }
};

struct SerialRig : ReceiverRig {
  std::vector<std::unique_ptr<Pty>> ptys;
  explicit SerialRig(int ports) : ReceiverRig(qserialLinkFactory()) {
    settings.Ports = QString::number(ports);
    for (int i = 0; i < ports; ++i) {
      ptys.push_back(std::make_unique<Pty>());
      settings.Comm[static_cast<size_t>(i)].Port = ptys.back()->name;
    }
  }
  bool waitForBuffer(int port, size_t length) {
    return QTest::qWaitFor([&] { return rx.bufferLength(port) >= length; }, kWaitMs);
  }
};

TEST(SerialPty, SentencesInOneChunkAreDispatchedInOrderAndASplitOneOnceItsLineEndArrives) {
  SerialRig rig(1);
  ASSERT_FALSE(rig.ptys[0]->name.isEmpty());
  rig.rx.StartCommunication();
  ASSERT_TRUE(rig.prompter.empty()) << rig.prompter.lastText().toStdString();
  std::vector<std::string> order;
  rig.rx.lineRecorder = [&](std::string_view l) { order.emplace_back(l.substr(0, 6)); };
  const QByteArray chunk =
      "$GPHDT,274.07,T*03\r\n$GPRMC,095304.802,A,2712.6520,S,15303.1397,E,0.00,133.96,080407,,,A*78\r\n";
  rig.ptys[0]->send(chunk);
  ASSERT_TRUE(rig.waitForBuffer(0, static_cast<size_t>(chunk.size())));
  rig.rx.tick();
  EXPECT_EQ(order, (std::vector<std::string>{"$GPHDT", "$GPRMC"}));
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 274.07f);
  EXPECT_NEAR(rig.nav.Latitude, -(27 + 12.6520 / 60), 2e-5);  // f32 resolution
  EXPECT_EQ(rig.panels.inputSource(), "Gps");
  rig.ptys[0]->send("$GPHDT,27");
  ASSERT_TRUE(rig.waitForBuffer(0, 9));
  rig.rx.tick();
  EXPECT_EQ(rig.received(Sentence::HDT), 1u) << "not before its line end";
  rig.ptys[0]->send("5.07,T*02\r\n");
  ASSERT_TRUE(rig.waitForBuffer(0, 20));
  rig.rx.tick();
  EXPECT_EQ(rig.received(Sentence::HDT), 2u);
  EXPECT_EQ(rig.errors(Sentence::HDT), 0u);
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 275.07f);
}

TEST(SerialPty, FourPortsFeedTheirOwnBuffersAndTheForwardPortRepeatsByteForByte) {
  SerialRig rig(4);
  rig.settings.NMEAOutput = "4";
  rig.settings.NMEAIn[5] = "1111111111111111111110";   // $II ZDA not parsed
  rig.settings.NMEAOut[0] = "1111111011111111111111";  // $GP HDT (index 7) not repeated
  rig.rx.StartCommunication();
  ASSERT_TRUE(rig.prompter.empty()) << rig.prompter.lastText().toStdString();
  const std::vector<QByteArray> input = {
      "$GPHDT,10.0,T\r\n$GPVTG,45.0,T,,M,3.0,N,5.6,K\r\n",
      "$IIDBT,12.3,f,3.7,M,2.0,F\r\n$IIZDA,120000,01,02,2026,,\r\n",
      "$IIMTW,17.5,C*10\r\n$IIMTW,17.5,C*00\r\n$PGRME,15.0,M,45.0,M,25.0,M*22\r\n",
      "$IIVHW,,T,100.0,M,6.5,N,12.0,K\r\n",
  };
  for (size_t i = 0; i < input.size(); ++i) rig.ptys[i]->send(input[i]);
  for (size_t i = 0; i < input.size(); ++i)
    ASSERT_TRUE(rig.waitForBuffer(static_cast<int>(i), static_cast<size_t>(input[i].size()))) << i;
  rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 100.0f) << "VHW on port 4 came last, true heading from magnetic";
  EXPECT_FLOAT_EQ(rig.nav.SpeedOverGround, 3.0f);
  EXPECT_FLOAT_EQ(rig.nav.DepthMetres, 3.7f);
  EXPECT_EQ(rig.received(Sentence::ZDA), 0u);
  EXPECT_EQ(rig.received(Sentence::MTW), 2u);
  EXPECT_EQ(rig.errors(Sentence::MTW), 1u);
  EXPECT_FLOAT_EQ(rig.nav.WaterSpeed, 6.5f);
  // Port order, then line order; no HDT (filtered), no MTW with the wrong checksum,
  // no proprietary line (no talker), and the forward port's own input repeated too.
  const QByteArray expected =
      "$GPVTG,45.0,T,,M,3.0,N,5.6,K\r\n"
      "$IIDBT,12.3,f,3.7,M,2.0,F\r\n$IIZDA,120000,01,02,2026,,\r\n"
      "$IIMTW,17.5,C*10\r\n"
      "$IIVHW,,T,100.0,M,6.5,N,12.0,K\r\n";
  QByteArray got;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    got += rig.ptys[3]->drain();
    return got.size() >= expected.size();
  }, kWaitMs));
  EXPECT_EQ(got.toStdString(), expected.toStdString());
}

TEST(SerialPty, SettingsTextReachesTheLineAndPortsThatCannotOpenAreNamed) {
  SerialRig rig(3);
  // A pseudo-terminal keeps 8 bits without parity (the kernel ignores those flags),
  // so parity and data bits are checked on the parsed settings below.
  rig.settings.Comm[0].Baudrate = "9600";
  rig.settings.Comm[0].Paritybits = "2";
  rig.settings.Comm[1].Port = "/dev/does-not-exist";
  rig.settings.Comm[2].Port = QString::number(QSerialPortInfo::availablePorts().size() + 1);
  rig.rx.StartCommunication();
  termios t{};
  ASSERT_EQ(tcgetattr(rig.ptys[0]->slave, &t), 0);
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  ASSERT_EQ(rig.prompter.entries().size(), 2u) << "the first port opens";
  // With the system's reason: a missing device is not a matter of settings.
  EXPECT_EQ(rig.prompter.entries()[0].text,
            "COM /dev/does-not-exist: Comm settings not correct, please run setup (No such file or directory)");
  EXPECT_EQ(rig.prompter.entries()[1].text, "COM " + rig.settings.Comm[2].Port +
                                                ": Comm settings not correct, please run setup (no serial port " +
                                                rig.settings.Comm[2].Port + ")");
  SerialSettings s;
  const auto parsed = [&] { return std::tuple(s.baudRate, s.parity, s.dataBits, s.stopBits); };
  ASSERT_TRUE(parseSerialSettings("9600,E,7,2", s));
  EXPECT_EQ(parsed(), std::tuple(9600, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop));
  ASSERT_TRUE(parseSerialSettings(" 4800 , n , 8 , 1 ", s));
  EXPECT_EQ(parsed(), std::tuple(4800, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop));
  for (const char* bad : {"4800,X,8,1", "4800,N,8"}) EXPECT_FALSE(parseSerialSettings(bad, s)) << bad;
}

TEST(SerialPty, UnpluggedPortIsReportedOnceWithoutHangingTheCycle) {
  SerialRig rig(1);
  rig.rx.StartCommunication();
  rig.ptys[0]->send("$GPHDT,1");
  ASSERT_TRUE(rig.waitForBuffer(0, 8));
  rig.ptys[0]->closeMaster();  // the adapter goes away
  SerialLink* link = rig.rx.link(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !link->isOpen(); }, kWaitMs));
  rig.rx.tick();
  rig.rx.tick();
  ASSERT_EQ(rig.prompter.entries().size(), 1u);
  EXPECT_TRUE(rig.prompter.lastText().startsWith("COM " + rig.ptys[0]->name + ": "));
  EXPECT_EQ(rig.prompter.entries()[0].kind, Prompter::Kind::Critical);
  rig.rx.inject(0, "0.0,T\r\n");
  rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 10.0f) << "the other sources keep flowing";
  QCoreApplication::processEvents();  // deferred deletion of the closed port
}

}  // namespace
}  // namespace tavrik::test

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
