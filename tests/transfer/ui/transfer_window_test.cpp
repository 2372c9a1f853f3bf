// The transfer windows driven as a user would, against the receiver emulator on a
// pseudo-terminal, into the App's database.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/messages.h"
#include "store/schema.h"
#include "transfer/garmin_emulator.h"
#include "transfer/pty_port.h"
#include "transfer/transfer_texts.h"
#include "transfer/ui/transfer_window.h"
#include "ui_test_app.h"

namespace tavrik::test {
namespace {

struct WindowRig {
  TestApp t;
  App& app = *t;
  PtyPort pty;
  GarminEmulator receiver;
  WindowRig() {
    createMainDatabase(app.db, t.dir.filePath(QStringLiteral("gps.db")), t.clock.now());
    app.ini.set(QLatin1String(kReceiverSection), QLatin1String(kReceiverPortKey), pty.name);
    receiver.write = [this](const QByteArray& b) { pty.write(b); };
    pty.onBytes = [this](const QByteArray& b) { receiver.onBytes(b); };
  }
};

TEST(TransferWindow, DownloadsTracksAndShowsProgressAndStatus) {
  WindowRig rig;
  const QDateTime t0(QDate(2026, 5, 31), QTime(18, 0), Qt::UTC);
  for (int i = 0; i < 40; ++i) rig.receiver.track.push_back({53.5 + i * 0.001, 8.1, t0.addSecs(i * 10), i % 20 == 0});
  TransferWindow w(rig.app, TransferWindowKind::DownloadTracks, ReceiverKind::Garmin);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Download tracks - Garmin"));
  w.resize(420, 420);
  w.show();
  w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.busy(); }, 20000));
  EXPECT_TRUE(rig.t.prompter.empty()) << rig.t.prompter.lastText().toStdString();
  const QString status = w.findChild<QLabel*>(QStringLiteral("statuslabel"))->text();
  EXPECT_TRUE(status.startsWith(QStringLiteral("ID: 999, Ver: 3.10"))) << status.toStdString();
  EXPECT_TRUE(status.endsWith(transfer_text::transferCompleted()));
  EXPECT_EQ(w.findChild<QListWidget*>(QStringLiteral("tracklist"))->count(), 2);
  EXPECT_EQ(rig.app.db.scalar(QStringLiteral("SELECT COUNT(*) FROM [Track data]")).toInt(), 40);
  EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
  w.grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/transfer_window_tracks.png"));
  TransferWindow up(rig.app, TransferWindowKind::UploadRoutes, ReceiverKind::Magellan);
  EXPECT_EQ(up.windowTitle(), QStringLiteral("Upload routes - Magellan"));
  up.resize(420, 420);
  up.grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/transfer_window_upload_routes.png"));
}

TEST(TransferWindow, RefusesThePortCommunicationHoldsAndReportsSilence) {
  WindowRig rig;
  rig.app.settings.Comm[0].Port = rig.pty.name;
  rig.app.receiver.beginSession();
  TransferWindow w(rig.app, TransferWindowKind::DownloadWaypoints, ReceiverKind::Garmin);
  w.start();
  EXPECT_EQ(rig.t.prompter.lastText(), transfer_text::portHeldByCommunication(rig.pty.name));
  EXPECT_FALSE(w.busy());
  rig.app.receiver.endSession();
  rig.app.settings.Comm[0].Port = QStringLiteral("1");
  rig.receiver.mute = true;
  w.start();
  ASSERT_TRUE(w.busy());
  rig.t.clock.advanceMs(6000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.busy(); }, 5000));
  EXPECT_EQ(rig.t.prompter.lastText(), MessageText(Msg::NoGarmin));
  EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
}

}  // namespace
}  // namespace tavrik::test
