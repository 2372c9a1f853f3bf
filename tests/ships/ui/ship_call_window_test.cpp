// The call window over the modem exchange: chooser, progress, the stored reply, a
// failed call's message, and the modem setup.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nmea/qserial_link.h"
#include "ships/hayes_modem.h"
#include "ships/ui/modem_setup_window.h"
#include "ships/ui/ship_call_window.h"
#include "ships/ui/ship_list_windows.h"
#include "ships/ui/ship_windows.h"
#include "core/settings_store.h"
#include "store/database.h"
#include "ui_test_app.h"

namespace tavrik::test {
namespace {

constexpr int kWaitMs = 10000;

TEST(ShipCallWindow, CallsFromTheChooserAndStoresTheReply) {
  TestApp t;
  App& app = *t;
  ASSERT_TRUE(app.openDatabase([](const QString&) { return QString(); }));
  ASSERT_TRUE(app.db.execute("INSERT INTO Ships (Name, telephone, created) VALUES ('Ada', '200', ?), "
                             "('Busy Bee', '999', ?)", {t.clock.now(), t.clock.now()}));
  registerShipWindows(app);
  MainWindow window(app);
  app.windows.open = [&](const QString& name) { return window.openWindow(name); };

  ModemExchange line;
  HayesModem& office = line.add("100");
  HayesModem& boatModem = line.add("200");
  app.settings.ShipsPort.Port = office.pty.name;
  // The called boat: another program with "Receive calls" on.
  NavigationState boatNav;
  boatNav.Latitude = 53.5f;
  boatNav.Longitude = -4.25f;
  AppSettings boatSettings;
  boatSettings.ShipsPort.Port = boatModem.pty.name;
  boatSettings.ShipsCommunication = "-1";
  RequestFlags boatRequests;
  Database boatDb;
  ShipExchange boat(boatNav, boatSettings, boatRequests, t.clock, boatDb, qserialLinkFactory());
  QTimer cycles;
  QObject::connect(&cycles, &QTimer::timeout, [&] {
    t.clock.advanceMs(50);  // the App's clock is a fake one: keep it going
    boat.tick();
    app.ships.tick();
  });
  cycles.start(50);

  auto* chooser = qobject_cast<NamedRowChooserWindow*>(window.openWindow("gpscship"));
  ASSERT_TRUE(chooser);
  ASSERT_EQ(chooser->list()->rowCount(), 2);
  chooser->list()->selectRow(0);
  chooser->findChild<QPushButton*>("Command1")->click();
  auto* call = qobject_cast<ShipCallWindow*>(window.findWindow("gpscall"));
  ASSERT_TRUE(call);
  EXPECT_EQ(call->findChild<QLabel*>("sname")->text(), "Ada");
  EXPECT_EQ(call->findChild<QLabel*>("telephone")->text(), "200");
  ASSERT_TRUE(QTest::qWaitFor([&] { return call->findChild<QLabel*>("status")->text() == "Done"; }, kWaitMs))
      << call->findChild<QLabel*>("status")->text().toStdString();
  EXPECT_DOUBLE_EQ(app.db.scalar("SELECT longitude FROM Ships WHERE Name = 'Ada'").toDouble(), -4.25);
  EXPECT_TRUE(app.requests.shipsChanged);
  EXPECT_EQ(call->findChild<QPushButton*>("Command1")->text(), "&Close");
  call->resize(360, 160);
  call->grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/gpscall.png"));

  // The engaged ship: the message box and the status tell it, nothing is stored.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !app.ships.call.hangingUp(); }, kWaitMs));
  call->call("Busy Bee", "999");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !app.ships.call.running(); }, kWaitMs));
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::LineBusy));
  EXPECT_EQ(call->findChild<QLabel*>("status")->text(), MessageText(Msg::LineBusy));
}

// The telephone list through its buttons, then the chooser dials the entry picked.
TEST(TelephoneWindows, AddEditDeleteAndDialThePickedEntry) {
  TestApp t;
  App& app = *t;
  ASSERT_TRUE(app.openDatabase([](const QString&) { return QString(); }));
  registerShipWindows(app);
  MainWindow window(app);
  app.windows.open = [&](const QString& name) { return window.openWindow(name); };
  const auto click = [&](const char* windowName, const char* button) {
    window.findWindow(windowName)->findChild<QPushButton*>(button)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };
  const auto fill = [&](const QStringList& values) {
    QWidget* editor = window.findWindow("gpsetel");
    for (int i = 0; i < values.size(); ++i) editor->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i + 1))->setText(values[i]);
  };
  auto* list = qobject_cast<NamedRowListWindow*>(window.openWindow("gpstel"));
  ASSERT_TRUE(list);
  QTableWidget* rows = list->list();
  for (const QString& name : {QStringLiteral("Lightship"), QStringLiteral("lightship")}) {
    click("gpstel", "Command1");
    fill({name, "200", "ATZ", "ATDP"});
    click("gpsetel", "Command1");
  }
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::TelephoneExists));
  click("gpsetel", "Command2");
  ASSERT_EQ(rows->rowCount(), 1);
  rows->selectRow(0);
  click("gpstel", "Command2");
  EXPECT_EQ(window.findWindow("gpsetel")->findChild<QLineEdit*>("Text3")->text(), "ATZ");
  fill({"Lightship", "999"});
  click("gpsetel", "Command1");
  ASSERT_EQ(rows->rowCount(), 1);
  EXPECT_EQ(rows->item(0, 1)->text(), "999");
  NamedRowListWindow shot(app, telephoneRows());
  shot.grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/gpstel.png"));

  // Picked in "Start telephone": the instrument port dials it; the line is engaged.
  ModemExchange exchange;
  HayesModem& modem = exchange.add("100");
  app.settings.Comm[0].Port = modem.pty.name;
  window.openWindow("gpsseltel");
  click("gpsseltel", "Command1");
  ASSERT_TRUE(app.dialUp.active());
  ASSERT_TRUE(QTest::qWaitFor([&] {
    app.dialUp.tick();
    return !app.dialUp.active();
  }, kWaitMs));
  EXPECT_EQ(modem.received, "ATZ\r\nATDP999\r");
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::LineBusy));
  EXPECT_FALSE(app.receiver.isRunning());

  rows->selectRow(0);
  t.prompter.answer(true);
  click("gpstel", "Command3");
  EXPECT_EQ(rows->rowCount(), 0);
}

TEST(ModemSetupWindow, StoresThePortAndReceiveCalls) {
  TestApp t;
  App& app = *t;
  ModemSetupWindow w(app);
  w.findChild<QComboBox*>("baud")->setCurrentText("2400");
  w.findChild<QComboBox*>("parity")->setCurrentText("E");
  w.findChild<QComboBox*>("bits")->setCurrentText("7");
  w.findChild<QComboBox*>("port")->setCurrentText("/dev/ttyS3");
  w.findChild<QCheckBox*>("receive")->setChecked(true);
  w.accept();
  EXPECT_EQ(app.settings.ShipsPort.settingsText(), "2400,E,7,1");
  EXPECT_EQ(app.settings.ShipsPort.Port, "/dev/ttyS3");
  EXPECT_TRUE(receiveCallsOn(app.settings));
  EXPECT_EQ(SettingsStore(app.paths.settingsFile()).get("Ships", "Communication"), "-1");
}

}  // namespace
}  // namespace tavrik::test
