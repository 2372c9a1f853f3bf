// The program itself started by D-Bus activation through a service file, fed a real
// capture by the Python example of docs/AUTOMATION.md, against tavrik-nmea's reading
// of the same file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kBinaryDir = QStringLiteral(TAVRIK_BINARY_DIR);
const QString kCapture = QStringLiteral(TAVRIK_TESTDATA "/nmea/haicom-305N.log");

// The last latitude, longitude, course and speed tavrik-nmea decodes from the file.
std::array<double, 4> decoderValues() {
  QProcess p;
  p.start(kBinaryDir + "/src/nmea/tavrik-nmea", {kCapture});
  EXPECT_TRUE(p.waitForFinished(20000));
  std::array<double, 4> v{};
  const char* keys[] = {"Latitude", "Longitude", "CourseOverGround", "SpeedOverGround"};
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    for (size_t i = 0; i < 4; ++i)
      if (o.contains(QLatin1String(keys[i]))) v[i] = o.value(QLatin1String(keys[i])).toDouble();
  }
  return v;
}

TEST(AutomationBinary, ActivatedByItsServiceFileAndFedACapture) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  ASSERT_TRUE(QDir(tmp.path()).mkpath("share/dbus-1/services"));
  QFile service(tmp.filePath("share/dbus-1/services/org.tavrik.Tavrik.service"));
  ASSERT_TRUE(service.open(QIODevice::WriteOnly));
  service.write(QStringLiteral("[D-BUS Service]\nName=org.tavrik.Tavrik\nExec=%1/src/app/tavrik --automation --home %2\n")
                    .arg(kBinaryDir, tmp.filePath("home"))
                    .toUtf8());
  service.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_DIRS", tmp.filePath("share"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", tmp.path());
  QProcess client;
  client.setProcessEnvironment(env);
  // A bus of its own, so the service file above is the one it knows; Debian's Python,
  // where python3-dbus-next lives.
  client.start("dbus-run-session", {"--", "/usr/bin/python3", TAVRIK_SOURCE_DIR "/docs/examples/feed_nmea.py", kCapture, "--close"});
  ASSERT_TRUE(client.waitForFinished(60000));
  const QString err = QString::fromUtf8(client.readAllStandardError());
  ASSERT_EQ(client.exitCode(), 0) << err.toStdString();
  const QStringList got = QString::fromUtf8(client.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
  ASSERT_EQ(got.size(), 4) << err.toStdString();
  const std::array<double, 4> want = decoderValues();
  const char* names[] = {"latitude", "longitude", "course", "speed"};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    // Single precision on the way in, widened on the way out.
    EXPECT_NEAR(got[static_cast<int>(i)].toDouble(), want[i], 1e-4);
  }
  EXPECT_NE(want[0], 0.0);
}

}  // namespace
