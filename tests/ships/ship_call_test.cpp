// The ship position exchange without a line: the reply line, the call driven by
// scripted modem text on a fake clock, storing into a real database file.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/messages.h"
#include "ships/ship_exchange.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik {
namespace {

TEST(ModemReply, LineFieldsAndReadingBack) {
  // The Part's own example, then south and west in both widths.
  EXPECT_EQ(replyLine({52.25, 5.5, 90, 6.5, 270, 12}), "OUTPUT,052250,005500,090000,006500,270000,012000\r");
  struct Case {
    const char* legend;
    double value;
    const char* field;
  };
  const std::vector<Case> cases = {
      {"south latitude", -52.25, "-52250"},
      {"west beyond 100", -120.5, "-120500"},
      {"small negative", -0.5, "-00500"},
      {"rounds to zero", -0.0004, "000000"},
      {"rounds half up", 0.0125, "000013"},
      {"east beyond 100", 179.9995, "180000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(replyField(c.value), c.field);
    const auto back = readReply(replyLine({0, c.value, 0, 0, 0, 0}));
    ASSERT_TRUE(back.has_value());
    EXPECT_NEAR(back->longitude, c.value, 0.0005);  // the line carries thousandths
  }
}

TEST(ModemReply, ReadOnlyWhenComplete) {
  const QByteArray line = replyLine({-33.5, -120.25, 180, 5, 90, 10});  // 50 characters with CR
  struct Case {
    const char* legend;
    QByteArray buffer;
    bool read;
  };
  const std::vector<Case> cases = {
      {"48 characters", line.left(48), false},
      {"49 of a longer signed line", line.left(49), false},
      {"whole line", "\r\nCONNECT 9600\r\n" + line, true},
      {"cut off, then complete", "OUTPUT,-33500,-12\r" + line, true},
      {"garbage after the word", "OUTPUT,ABCDEF,GHIJKL,MNOPQR,STUVWX,YZABCD,EFGHIJ\r", false},
      {"latitude out of range", "OUTPUT,952250,005500,090000,006500,270000,012000\r", false},
      {"short fields", "OUTPUT,1,2,3,4,5,6\r", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    const auto r = readReply(c.buffer);
    ASSERT_EQ(r.has_value(), c.read);
    if (r) {
      EXPECT_DOUBLE_EQ(r->longitude, -120.25);
    }
  }
}

// The modem side of the port: what the program wrote, and a carrier that may be unknown.
struct FakeModemLink final : SerialLink {
  QByteArray* written;
  std::optional<bool>* carrier;
  bool* openable;
  bool m_open = false;
  FakeModemLink(QByteArray* w, std::optional<bool>* c, bool* o) : written(w), carrier(c), openable(o) {}
  bool open(const QString&, const QString&, Handshake) override { return m_open = *openable; }
  void close() override { m_open = false; }
  bool isOpen() const override { return m_open; }
  void write(const QByteArray& b) override { *written += b; }
  bool carrierDetect() const override { return carrier->value_or(false); }
  std::optional<bool> carrierDetectState() const override { return *carrier; }
  QString errorText() const override { return QStringLiteral("no such port"); }
};

struct CallRig {
  QTemporaryDir dir;
  Database db;
  FakeClock clock;
  NavigationState nav;
  AppSettings settings;
  RequestFlags requests;
  QByteArray written;
  std::optional<bool> carrier;  // unknown: a pseudo-terminal
  bool openable = true;
  FakeModemLink* link = nullptr;
  ShipExchange exchange{nav, settings, requests, clock, db, [this] {
                          auto l = std::make_unique<FakeModemLink>(&written, &carrier, &openable);
                          link = l.get();
                          return std::unique_ptr<SerialLink>(std::move(l));
                        }};
  CallRig() {
    EXPECT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), clock.now()).ok());
    EXPECT_TRUE(db.execute("INSERT INTO Ships (Name, telephone, latitude, created) VALUES ('Ada', '555', 1, ?)",
                           {clock.now()}));
  }
  void arrive(const QByteArray& text) {
    if (exchange.modem.isOpen()) link->onBytes(text);
  }
  void seconds(int n) {
    for (int i = 0; i < n; ++i) {
      clock.advanceSecs(1);
      exchange.tick();
    }
  }
  double storedLatitude() { return db.scalar("SELECT latitude FROM Ships WHERE Name = 'Ada'").toDouble(); }
};

const QByteArray kReply = "OUTPUT,052250,005500,090000,006500,270000,012000\r";

TEST(ShipCall, EveryWaitEndsWithItsMessage) {
  struct Step {
    int seconds;
    QByteArray text;
  };
  struct Case {
    const char* legend;
    std::vector<Step> steps;
    std::optional<bool> carrier;
    ShipCall::State state;
    int message;
    bool portOpen;
  };
  const QByteArray connect = "\r\nCONNECT 9600\r\n";
  const std::vector<Case> cases = {
      {"busy", {{2, "\r\nBUSY\r\n"}}, {}, ShipCall::State::Failed, Msg::LineBusy, true},
      {"no connect in 59 s", {{59, ""}}, {}, ShipCall::State::WaitingForConnect, 0, true},
      {"no connect in 60 s", {{60, ""}}, {}, ShipCall::State::Failed, Msg::TimedOutCalling, false},
      {"modem gives up unanswered", {{30, "\r\nNO CARRIER\r\n"}}, {}, ShipCall::State::Failed, Msg::TimedOutCalling,
       false},
      {"garbage from the modem", {{5, "\x01\xff#+AT?"}, {55, ""}}, {}, ShipCall::State::Failed,
       Msg::TimedOutCalling, false},
      // The limit after CONNECT is counted from CONNECT, not from dialling.
      {"answer wait from CONNECT", {{50, connect}, {59, ""}}, {}, ShipCall::State::Connecting, 0, true},
      {"answer wait runs out", {{50, connect}, {60, ""}}, {}, ShipCall::State::Failed, Msg::TimedOutResponse, true},
      // ... and not restarted when the reply begins.
      {"receive limit not restarted", {{1, connect}, {40, "OUTPUT,0522"}, {20, ""}}, {}, ShipCall::State::Failed,
       Msg::TimedOutReceiving, true},
      {"lost before the reply", {{1, connect}, {5, "\r\nNO CARRIER\r\n"}}, {}, ShipCall::State::Failed,
       Msg::LostCarrierResponse, true},
      {"lost in the reply", {{1, connect}, {1, "OUTPUT,052"}, {1, "\r\nNO CARRIER\r\n"}}, {}, ShipCall::State::Failed,
       Msg::LostCarrierReceiving, true},
      {"carrier detect off", {{1, connect}, {1, ""}}, false, ShipCall::State::Failed, Msg::LostCarrierResponse, true},
      {"reply in pieces", {{1, connect}, {1, kReply.left(20)}, {1, kReply.mid(20, 28)}, {0, kReply.mid(48)}}, true,
       ShipCall::State::Done, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    CallRig rig;
    rig.exchange.startCall("Ada", " 555 ");
    rig.carrier = c.carrier;
    for (const Step& s : c.steps) {
      rig.seconds(s.seconds);
      if (!s.text.isEmpty()) rig.arrive(s.text);
    }
    EXPECT_EQ(rig.exchange.call.state(), c.state);
    EXPECT_EQ(rig.exchange.call.failureMessage(), c.message);
    EXPECT_EQ(rig.exchange.modem.isOpen(), c.portOpen);
    EXPECT_TRUE(rig.written.startsWith("Ats0=1\rATDT555\r")) << rig.written.constData();
    // Only a completed call touches the ship.
    EXPECT_DOUBLE_EQ(rig.storedLatitude(), c.state == ShipCall::State::Done ? 52.25 : 1.0);
    EXPECT_EQ(rig.requests.shipsChanged, c.state == ShipCall::State::Done);
  }
}

TEST(ShipCall, RequestsEverySecondThenStoresAndHangsUp) {
  CallRig rig;
  rig.exchange.startCall("Ada", "555");
  rig.arrive("\r\nCONNECT 9600\r\n");
  rig.seconds(3);
  EXPECT_EQ(rig.written.count("TAVRIK\r"), 4);
  EXPECT_EQ(rig.exchange.call.statusText(), MessageText(Msg::ConnectingTo) + "Ada");
  rig.arrive(kReply);
  EXPECT_EQ(rig.exchange.call.statusText(), "Done");
  ASSERT_TRUE(rig.exchange.lastStore.ok());
  EXPECT_EQ(rig.db.scalar("SELECT [wind direction] FROM Ships WHERE Name = 'Ada'").toDouble(), 270.0);
  EXPECT_EQ(rig.db.scalar("SELECT [Last updated] FROM Ships WHERE Name = 'Ada'").toDateTime(), rig.clock.now());
  rig.written.clear();
  rig.seconds(5);  // a guard second of silence on each side of the escape
  EXPECT_EQ(rig.written, "+++ATH\r");
  EXPECT_TRUE(rig.exchange.modem.isOpen());

  // A second call on the open port does not take the first call's words for its own.
  rig.written.clear();
  rig.exchange.startCall("Ada", "555");
  EXPECT_EQ(rig.written, "ATDT555\r");
  EXPECT_EQ(rig.exchange.call.state(), ShipCall::State::WaitingForConnect);
}

TEST(ShipCall, CancelLeavesTheShipAndNoModemIsFound) {
  for (const bool connected : {false, true}) {
    SCOPED_TRACE(connected ? "cancel while connected" : "cancel while dialling");
    CallRig rig;
    rig.exchange.startCall("Ada", "555");
    if (connected) rig.arrive("\r\nCONNECT 9600\r\nOUTPUT,052250,005500,090000,0065");
    rig.exchange.call.cancel();
    rig.arrive("00,270000,012000\r");
    rig.seconds(2);
    EXPECT_EQ(rig.exchange.call.state(), ShipCall::State::Cancelled);
    EXPECT_DOUBLE_EQ(rig.storedLatitude(), 1.0);
    EXPECT_EQ(rig.exchange.modem.isOpen(), connected);
  }
  CallRig rig;
  rig.openable = false;
  rig.exchange.startCall("Ada", "555");
  EXPECT_EQ(rig.exchange.call.failureMessage(), Msg::NoModemFound);
}

TEST(ModemAnswerer, AnswersOnlyWithReceiveCallsAndOnlyThePosition) {
  CallRig rig;
  rig.nav.Latitude = -52.25f;
  rig.nav.Longitude = -120.5f;
  rig.nav.CourseOverGround = 90;
  rig.nav.SpeedOverGround = 6.5f;
  rig.nav.WindDirection = 270;
  rig.nav.WindSpeed = 12;
  rig.nav.DepthMetres = 7;
  rig.settings.ShipsCommunication = "0";
  rig.seconds(2);
  EXPECT_FALSE(rig.exchange.modem.isOpen());

  rig.settings.ShipsCommunication = "-1";
  rig.seconds(1);
  ASSERT_TRUE(rig.exchange.modem.isOpen());
  rig.arrive("\r\nRING\r\n");
  rig.seconds(1);
  rig.arrive("\r\nCONNECT 9600\r\nTAVRIK\rTAVRIK\r");
  rig.seconds(1);
  EXPECT_EQ(rig.written, "Ats0=1\rATA\rOUTPUT,-52250,-120500,090000,006500,270000,012000\r");
  rig.seconds(2);  // the request was answered once; no more replies until asked again
  EXPECT_EQ(rig.exchange.answerer.repliesSent(), 1);

  rig.settings.ShipsCommunication = "0";
  rig.arrive("TAVRIK\r");
  rig.seconds(2);
  EXPECT_EQ(rig.exchange.answerer.repliesSent(), 1);
}

}  // namespace
}  // namespace tavrik
