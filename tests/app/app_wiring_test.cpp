// The App ties the subsystems together: these tests check the ties themselves.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "app/app.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {

class AppWiringTest : public ::testing::Test {
 protected:
  AppWiringTest() : m_app(AppPaths::inFolder(m_home.path()), m_clock, m_prompter, m_sound) {}
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    m_app.loadSettings();
    ASSERT_TRUE(m_app.openDatabase([] { return QString(); }));
    m_app.loadSystemSettings();
  }
  void TearDown() override { m_app.closeDatabase(); }

  // One RMC fix at 52 N 4 E through the receive path.
  void receiveFixAt52N4E() {
    m_app.receiver.beginSession();
    const QString rmc = NmeaChecksum(QStringLiteral("$GPRMC,120000,A,5200.0000,N,00400.0000,E,5.0,90.0,071226,0.0,E"));
    m_app.receiver.inject(0, (rmc + "\r\n").toStdString());
    m_app.receiver.tick();
  }

  QTemporaryDir m_home;
  FakeClock m_clock;
  RecordingPrompter m_prompter;
  RecordingSoundPlayer m_sound;
  App m_app;
};

TEST_F(AppWiringTest, ReceivedPositionIsConvertedFromTheGpsDatumToTheChartDatum) {
  // Receiver set to European 1950 (mean), the chart shown in WGS-84.
  m_app.settings.system.gpsDatum = 12;
  m_app.activeChartDatum = 1;
  receiveFixAt52N4E();
  // PROJ's three-parameter Helmert for ED50 (intl, -87,-98,-121) gives 51.99919613 N
  // 3.99866493 E; Molodensky agrees with it to well under a metre at sea level, and
  // the state holds singles (about 2e-6 degree here).
  EXPECT_NEAR(m_app.nav.Latitude, 51.99919613, 1e-5);
  EXPECT_NEAR(m_app.nav.Longitude, 3.99866493, 1e-5);
}

TEST_F(AppWiringTest, SameDatumOnBothSidesLeavesThePositionAsReceived) {
  m_app.settings.system.gpsDatum = 12;
  m_app.activeChartDatum = 12;
  receiveFixAt52N4E();
  EXPECT_FLOAT_EQ(m_app.nav.Latitude, 52.0f);
  EXPECT_FLOAT_EQ(m_app.nav.Longitude, 4.0f);
}

TEST_F(AppWiringTest, DefaultDatumWithoutAxesLeavesThePositionAsReceived) {
  // Datum 0 is the built-in "Default" row whose ellipsoid has no axes.
  m_app.settings.system.gpsDatum = 12;
  m_app.activeChartDatum = 0;
  receiveFixAt52N4E();
  EXPECT_FLOAT_EQ(m_app.nav.Latitude, 52.0f);
  EXPECT_FLOAT_EQ(m_app.nav.Longitude, 4.0f);
}

}  // namespace
}  // namespace tavrik
