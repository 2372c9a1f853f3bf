// The built program, run as a user would run it.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kBinary = QStringLiteral(TAVRIK_BINARY_DIR "/src/app/tavrik");

// In an environment without any display and in a home that is the test's own: a plain
// start ends with a message; a screenshot run renders (offscreen by itself when there
// is no display) and leaves GPS.ini byte for byte as it found it, or absent (a run that
// wrote its own window size made the next normal start lose its maximised window).
TEST(TavrikBinary, WithoutDisplayExitsWithAMessageOrWritesTheScreenshot) {
  ASSERT_TRUE(QFileInfo::exists(kBinary)) << kBinary.toStdString();
  const struct {
    const char* legend;
    bool screenshot, offscreenSet;
  } rows[] = {{"no display", false, false},
              {"screenshot, QT_QPA_PLATFORM=offscreen", true, true},
              {"screenshot, no display at all", true, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "TAVRIK_HOME"}) env.remove(QLatin1String(v));
    env.insert("HOME", tmp.path());
    env.insert("XDG_DATA_HOME", tmp.path() + "/data");
    env.insert("XDG_CONFIG_HOME", tmp.path() + "/config");
    if (row.offscreenSet) env.insert("QT_QPA_PLATFORM", "offscreen");
    const QString png = tmp.filePath("out.png"), ini = tmp.filePath("GPS.ini");
    const QByteArray settings = row.offscreenSet ? QByteArray("[GPS]\r\nMainWindowState=2\r\nWidth=1600\r\n; kept\r\n")
                                                 : QByteArray();
    if (!settings.isEmpty()) {
      QFile f(ini);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(settings);
    }
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(kBinary, row.screenshot ? QStringList{"--home", tmp.path(), "--screenshot", png} : QStringList{});
    ASSERT_TRUE(p.waitForStarted(30000));
    // Bounded wait for the child to end (it renders one window and exits).
    if (!p.waitForFinished(60000)) {
      p.kill();
      p.waitForFinished(5000);
      FAIL() << "did not end";
    }
    const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
    ASSERT_EQ(p.exitStatus(), QProcess::NormalExit);
    if (!row.screenshot) {
      EXPECT_EQ(p.exitCode(), 1);
      EXPECT_TRUE(stdErr.contains("no display")) << stdErr.toStdString();
      continue;
    }
    EXPECT_EQ(p.exitCode(), 0) << stdErr.toStdString();
    QImage image;
    ASSERT_TRUE(image.load(png, "PNG")) << png.toStdString();
    EXPECT_GT(image.width(), 100);
    EXPECT_GT(image.height(), 100);
    QFile after(ini);
    EXPECT_EQ(after.exists(), !settings.isEmpty());
    if (after.open(QIODevice::ReadOnly)) {
      EXPECT_EQ(after.readAll(), settings);
    }
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath("gps.db")));
  }
}

}  // namespace
