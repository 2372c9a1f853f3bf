#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "core/messages.h"
#include "nmea/ui/comm_setup_window.h"
#include "nmea/ui/gps_status_window.h"
#include "nmea/ui/nmea_messages_window.h"
#include "nmea/ui/nmea_setup_window.h"
#include "nmea/ui/nmea_status_window.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

using test::TestApp;

QCheckBox* box(const QWidget& w, const QString& name) { return w.findChild<QCheckBox*>(name); }
QComboBox* combo(const QWidget& w, const QString& name) { return w.findChild<QComboBox*>(name); }

TEST(NmeaSetupWindow, BadTalkerIdBeepsFocusesAndStoresNothing) {
  struct Row { const char* legend; int talker; const char* id; };
  const Row rows[] = {
      {"two characters", 2, "$R"}, {"no dollar", 0, "GPS"}, {"empty", 5, ""}, {"dollar later", 3, "DE$"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    TestApp t;
    const AppSettings before = t.app->settings;
    NmeaSetupWindow w(*t);
    w.show();
    auto* id = w.findChild<QLineEdit*>(QStringLiteral("talker%1").arg(r.talker));
    ASSERT_TRUE(id);
    id->setText(QLatin1String(r.id));
    // Some other change that must not be stored either.
    box(w, "in1_GGA")->setChecked(false);
    bool stored = false;
    w.onStored = [&] { stored = true; };
    EXPECT_FALSE(w.accept());
    EXPECT_EQ(t.sound.beeps, 1);
    EXPECT_FALSE(stored);
    EXPECT_EQ(w.findChild<QTabWidget*>()->currentIndex(), r.talker);
    EXPECT_TRUE(id->hasFocus() || QApplication::focusWidget() == id || w.focusWidget() == id);
    EXPECT_EQ(t.app->settings.IDIn, before.IDIn);
    EXPECT_EQ(t.app->settings.NMEAIn, before.NMEAIn);
    EXPECT_TRUE(w.isVisible()) << "the window stays open";
  }
}

TEST(NmeaSetupWindow, OkStoresFiltersTalkersAndAllNmea) {
  TestApp t;
  NmeaSetupWindow w(*t);
  auto* id = w.findChild<QLineEdit*>(QStringLiteral("talker4"));
  // Typed letters become capitals.
  id->clear();
  for (QChar c : QStringLiteral("$in")) {
    id->setText(id->text() + c);
    emit id->textEdited(id->text());
  }
  EXPECT_EQ(id->text(), QStringLiteral("$IN"));
  box(w, "in0_GGA")->setChecked(false);
  box(w, "out0_ZDA")->setChecked(false);
  QCheckBox *all = box(w, "all2"), *out2 = box(w, "out2_RMB");
  out2->setChecked(false);
  all->setChecked(true);
  EXPECT_TRUE(out2->isChecked());
  EXPECT_FALSE(out2->isEnabled());
  all->setChecked(false);
  EXPECT_TRUE(out2->isEnabled());
  all->setChecked(true);
  bool stored = false;
  w.onStored = [&] { stored = true; };
  EXPECT_TRUE(w.accept());
  EXPECT_TRUE(stored);
  const AppSettings& s = t.app->settings;
  EXPECT_EQ(s.IDIn[4], QStringLiteral("$IN"));
  EXPECT_EQ(s.NMEAIn[0], QStringLiteral("1101111111111111111111")) << "GGA is the third sentence";
  EXPECT_EQ(s.NMEAOut[0], QStringLiteral("1111111111111111111110")) << "ZDA is the last";
  EXPECT_EQ(s.AllNMEA[2], QStringLiteral("-1"));
  EXPECT_EQ(s.AllNMEA[0], QStringLiteral("0"));
  EXPECT_EQ(t.sound.beeps, 0);
}

TEST(CommSetupWindow, SamePortUsedTwiceIsRefused) {
  struct Row { const char* legend; std::vector<QString> ports; bool refused; };
  const QStringList listed = {"/dev/ttyUSB0", "/dev/ttyS0"};
  const Row rows[] = {
      {"two numbers alike", {"1", "1"}, true},
      {"number and the device it means", {"/dev/ttyUSB0", "1"}, true},
      {"blanks do not make a port different", {"/dev/pts/3", " /dev/pts/3 "}, true},
      {"third set repeats the first", {"2", "/dev/pts/7", "/dev/ttyS0"}, true},
      {"all different", {"1", "2", "/dev/pts/4"}, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    TestApp t;
    AppSettings& s = t.app->settings;
    s.Ports = QString::number(r.ports.size());
    for (size_t i = 0; i < r.ports.size(); ++i) s.Comm[i].Port = QStringLiteral("9%1").arg(i);
    CommSetupWindow w(*t, listed);
    ASSERT_EQ(w.portSetCount(), static_cast<int>(r.ports.size()));
    for (size_t i = 0; i < r.ports.size(); ++i)
      combo(w, QStringLiteral("port%1").arg(i))->setCurrentText(r.ports[i]);
    EXPECT_EQ(w.accept(), !r.refused);
    if (r.refused) {
      EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::SamePortUsedTwice));
      EXPECT_EQ(s.Comm[0].Port, QStringLiteral("90")) << "nothing stored";
    } else {
      EXPECT_TRUE(t.prompter.empty());
      EXPECT_EQ(s.Comm[2].Port, QStringLiteral("/dev/pts/4"));
    }
  }
}

// The Port box lists the system's ports with what they are; "1", the value nobody set,
// shows the first USB adapter; OK stores the device name alone.
TEST(CommSetupWindow, PortBoxOffersTheSystemsPortsAndPrefersUsb) {
  const QList<SerialPortEntry> withUsb = {{"/dev/ttyS0", "", false}, {"/dev/ttyUSB0", "FT232R USB UART, FTDI", true}};
  const QList<SerialPortEntry> builtIn = {{"/dev/ttyS0", "", false}, {"/dev/ttyS1", "", false}};
  const struct {
    const char* legend;
    QList<SerialPortEntry> ports;
    const char *stored, *shown, *kept;
  } rows[] = {
      {"unset: the USB adapter", withUsb, "1", "/dev/ttyUSB0  FT232R USB UART, FTDI", "/dev/ttyUSB0"},
      {"unset without USB: the first port", builtIn, "1", "/dev/ttyS0", "/dev/ttyS0"},
      {"a chosen device stays", withUsb, "/dev/ttyS0", "/dev/ttyS0", "/dev/ttyS0"},
      {"a typed pseudo-terminal stays", withUsb, "/dev/pts/4", "/dev/pts/4", "/dev/pts/4"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    TestApp t;
    t.app->settings.Comm[0].Port = QLatin1String(r.stored);
    CommSetupWindow w(*t, r.ports);
    EXPECT_EQ(combo(w, "port0")->count(), r.ports.size());
    EXPECT_EQ(combo(w, "port0")->currentText(), QLatin1String(r.shown));
    ASSERT_TRUE(w.accept());
    EXPECT_EQ(t.app->settings.Comm[0].Port, QLatin1String(r.kept));
  }
}

TEST(CommSetupWindow, AddDeleteAndTheOutputBoxesAreStored) {
  TestApp t;
  CommSetupWindow w(*t, QStringList{});
  EXPECT_EQ(w.portSetCount(), 1);
  w.addPortSet();
  w.addPortSet();
  EXPECT_EQ(w.portSetCount(), 3);
  EXPECT_EQ(combo(w, "port1")->currentText(), "2") << "a new set is offered a port not yet used";
  combo(w, "baud2")->setCurrentText(QStringLiteral("38400"));
  combo(w, "handshaking2")->setCurrentIndex(2);
  box(w, "output0")->setChecked(true);
  box(w, "output2")->setChecked(true);
  EXPECT_FALSE(box(w, "output0")->isChecked()) << "one forward port";
  box(w, "autopilot1")->setChecked(true);
  EXPECT_TRUE(w.accept());
  const AppSettings& s = t.app->settings;
  EXPECT_EQ(s.Ports, QStringLiteral("3"));
  EXPECT_EQ(s.NMEAOutput, QStringLiteral("3"));
  EXPECT_EQ(s.Autopilot, QStringLiteral("2"));
  EXPECT_EQ(s.Comm[2].Baudrate, QStringLiteral("38400"));
  EXPECT_EQ(s.Comm[2].Handshake, 2);
  EXPECT_EQ(s.Comm[2].settingsText(), QStringLiteral("38400,N,8,1"));
}

TEST(NmeaStatusWindow, RowsFollowTheCountersInTableOrder) {
  TestApp t;
  NmeaStatusWindow w(*t);
  t.app->nav.received(Sentence::RMC) = 120;
  t.app->nav.errors(Sentence::RMC) = 3;
  t.app->nav.received(Sentence::DBS) = 7;
  t.app->nav.received(Sentence::ZDA) = 9;
  EXPECT_EQ(w.receivedLabel(static_cast<int>(Sentence::RMC))->text(), QStringLiteral("0")) << "until the timer runs";
  w.refresh();
  struct Row { const char *name, *received, *discarded; };
  const Row rows[] = {{"DBS", "7", "0"}, {"RMC", "120", "3"}, {"ZDA", "9", "0"}, {"GGA", "0", "0"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const auto label = [&](const char* kind) { return w.findChild<QLabel*>(kind + QLatin1String(r.name))->text(); };
    EXPECT_EQ(label("received_"), QLatin1String(r.received));
    EXPECT_EQ(label("discarded_"), QLatin1String(r.discarded));
  }
  EXPECT_EQ(w.findChildren<QLabel*>(QRegularExpression(QStringLiteral("^sentence_"))).size(), kSentenceCount);
}

TEST(NmeaMessagesWindow, ShowsLastSentencesUpToTheFirstEmptyEntry) {
  TestApp t;
  QStringList last = {"$GPRMC,1", "$GPGGA,2"};
  NmeaMessagesWindow w(*t, [&] { return last; });
  EXPECT_EQ(w.text(), QStringLiteral("$GPRMC,1\n$GPGGA,2\n"));
  last = {"$GPRMC,3", "$GPGGA,2", "", "$IIDBT,x"};
  w.refresh();
  EXPECT_EQ(w.text(), QStringLiteral("$GPRMC,3\n$GPGGA,2\n"));
}

TEST(GpsStatus, FixTextAndTheSatellitesInView) {
  struct Row { const char* legend; const char* mode; int type; const char* text; };
  const Row rows[] = {
      {"nothing received", "", 0, "No information"}, {"automatic 3D", "A", 3, "Automatic 3D"},
      {"manual 2D", "M", 2, "Manual 2D"},             {"automatic without fix", "A", 1, "Automatic No fix"},
      {"type without mode", "", 3, "3D"},             {"mode without a known type", "A", 7, "Automatic"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    NavigationState nav;
    nav.FixMode = QLatin1String(r.mode);
    nav.FixType = static_cast<int16_t>(r.type);
    EXPECT_EQ(gpsFixText(nav), QLatin1String(r.text));
  }
  TestApp t;
  NavigationState& nav = t.app->nav;
  nav.Satellites = {{5, 40, 120, 38}, {0, 0, 0, 0}, {12, 10, 300, 0}};
  nav.SatellitesInView = 3;
  nav.FixMode = QStringLiteral("M");
  nav.FixType = 2;
  nav.Hdop = 1.25f;
  const auto sats = satellitesInView(nav);
  ASSERT_EQ(sats.size(), 2u) << "slots without PRN are skipped";
  EXPECT_EQ(sats[1].Prn, 12);
  GpsStatusWindow w(*t);
  const auto label = [&](const char* name) { return w.findChild<QLabel*>(QLatin1String(name))->text(); };
  EXPECT_EQ(label("fix"), QStringLiteral("Manual 2D"));
  EXPECT_EQ(label("hdop"), QStringLiteral("1.3"));
  EXPECT_EQ(label("inview"), QStringLiteral("3 in view, 1 tracked")) << "an SNR below 1 is not tracked";
}

}  // namespace
}  // namespace tavrik
