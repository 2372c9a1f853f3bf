// The built program, run as a user would run it.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kBinary = QStringLiteral(TAVRIK_BINARY_DIR "/src/app/tavrik");

// An environment without any display, and a home that is the test's own.
QProcessEnvironment bareEnvironment(const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "TAVRIK_HOME"}) env.remove(QLatin1String(v));
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + "/data");
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + "/config");
  return env;
}

struct ProcessResult {
  int exitCode = -1;
  QString stdErr;
};

ProcessResult runTavrik(const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(kBinary, args);
  ProcessResult r;
  if (!p.waitForStarted(30000)) return r;
  // Bounded wait for the child to end (it renders one window and exits).
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished(5000);
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.stdErr = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

TEST(TavrikBinary, WithoutDisplayExitsWithAMessage) {
  ASSERT_TRUE(QFileInfo::exists(kBinary)) << kBinary.toStdString();
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const ProcessResult r = runTavrik({}, bareEnvironment(tmp.path()));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.stdErr.contains(QStringLiteral("no display"))) << r.stdErr.toStdString();
}

TEST(TavrikBinary, ScreenshotWritesAPng) {
  ASSERT_TRUE(QFileInfo::exists(kBinary)) << kBinary.toStdString();
  const struct {
    const char* legend;
    bool offscreenSet;
  } rows[] = {{"QT_QPA_PLATFORM=offscreen", true}, {"no display at all", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QProcessEnvironment env = bareEnvironment(tmp.path());
    if (row.offscreenSet) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString png = tmp.filePath(QStringLiteral("out.png"));
    const ProcessResult r = runTavrik({QStringLiteral("--home"), tmp.path(), QStringLiteral("--screenshot"), png}, env);
    EXPECT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    QImage image;
    ASSERT_TRUE(image.load(png, "PNG")) << png.toStdString();
    EXPECT_GT(image.width(), 100);
    EXPECT_GT(image.height(), 100);
    // The settings are written back at shutdown, into the home given.
    EXPECT_TRUE(QFileInfo::exists(tmp.filePath(QStringLiteral("GPS.ini"))));
  }
}

}  // namespace
