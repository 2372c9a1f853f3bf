// Renders every window of the instrument link into PNGs for a look by eye; runs only
// when TAVRIK_SHOTS names a folder.
#include <gtest/gtest.h>

#include "core/ui/pc_time_window.h"
#include "nmea/ui/comm_setup_window.h"
#include "nmea/ui/gps_status_window.h"
#include "nmea/ui/nmea_messages_window.h"
#include "nmea/ui/nmea_setup_window.h"
#include "nmea/ui/nmea_status_window.h"
#include "nmea/ui/simulation_window.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

void shoot(QWidget& w, const QString& name) {
  w.adjustSize();
  w.show();
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  EXPECT_TRUE(w.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

TEST(WindowShots, InstrumentLinkWindows) {
  if (qEnvironmentVariableIsEmpty("TAVRIK_SHOTS")) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  test::TestApp t;
  App& app = *t;
  app.nav.FixMode = QStringLiteral("A");
  app.nav.FixType = 3;
  app.nav.Pdop = 1.8f;
  app.nav.Hdop = 1.0f;
  app.nav.Vdop = 1.5f;
  app.nav.SatellitesInView = 9;
  app.nav.Satellites = {{3, 67, 40, 44}, {6, 24, 300, 31}, {9, 11, 200, 0}, {14, 45, 110, 40},
                        {17, 5, 15, 12}, {19, 33, 250, 27}, {22, 80, 170, 46}, {24, 2, 90, 0}, {28, 15, 330, 22}};
  for (int j = 0; j < kSentenceCount; ++j) app.nav.ReceivedCount[j] = 10 * j;
  app.nav.errors(Sentence::GSV) = 4;
  {
    NmeaSetupWindow w(app);
    shoot(w, "gpscnmea");
  }
  {
    app.settings.Ports = "2";
    CommSetupWindow w(app, QStringList{"/dev/ttyUSB0", "/dev/ttyS0"});
    shoot(w, "gpscomm");
  }
  {
    NmeaStatusWindow w(app);
    shoot(w, "gpsnmea");
  }
  {
    NmeaMessagesWindow w(app, [] {
      return QStringList{"$GPRMC,092751.000,A,5321.6802,N,00630.3371,W,0.06,31.66,280511,,,A*45",
                         "$GPGGA,092751.000,5321.6802,N,00630.3371,W,1,8,1.03,61.7,M,55.3,M,,*75",
                         "$IIDBT,036.41,f,011.10,M,005.99,F*25"};
    });
    shoot(w, "gpsmess");
  }
  {
    SimulationWindow w(app);
    shoot(w, "gpssimul");
  }
  {
    app.panels[Panel::Time] = QStringLiteral("14:05:09 UTC");
    PcTimeWindow w(app);
    shoot(w, "gpstime");
  }
  {
    GpsStatusWindow w(app);
    w.resize(460, 380);
    shoot(w, "gpsstatus");
  }
}

}  // namespace
}  // namespace tavrik
