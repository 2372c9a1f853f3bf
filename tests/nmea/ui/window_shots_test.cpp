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

TEST(WindowShots, InstrumentLinkWindows) {
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  test::TestApp t;
  App& app = *t;
  NavigationState& nav = app.nav;
  nav.FixMode = QStringLiteral("A");
  nav.FixType = 3;
  nav.Pdop = 1.8f, nav.Hdop = 1.0f, nav.Vdop = 1.5f;
  nav.SatellitesInView = 9;
  nav.Satellites = {{3, 67, 40, 44}, {6, 24, 300, 31}, {9, 11, 200, 0}, {14, 45, 110, 40}, {17, 5, 15, 12},
                    {19, 33, 250, 27}, {22, 80, 170, 46}, {24, 2, 90, 0}, {28, 15, 330, 22}};
  for (int j = 0; j < kSentenceCount; ++j) nav.ReceivedCount[j] = 10 * j;
  nav.errors(Sentence::GSV) = 4;
  app.settings.Ports = "2";
  app.panels[Panel::Time] = QStringLiteral("14:05:09 UTC");
  const QStringList last = {"$GPRMC,092751.000,A,5321.6802,N,00630.3371,W,0.06,31.66,280511,,,A*45",
                            "$GPGGA,092751.000,5321.6802,N,00630.3371,W,1,8,1.03,61.7,M,55.3,M,,*75",
                            "$IIDBT,036.41,f,011.10,M,005.99,F*25"};
  const auto shoot = [&](const char* name, QWidget* window, QSize size = {}) {
    const std::unique_ptr<QWidget> w(window);
    w->adjustSize();
    if (size.isValid()) w->resize(size);
    w->show();
    EXPECT_TRUE(w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"))) << name;
  };
  shoot("gpscnmea", new NmeaSetupWindow(app));
  shoot("gpscomm", new CommSetupWindow(app, QStringList{"/dev/ttyUSB0", "/dev/ttyS0"}));
  shoot("gpsnmea", new NmeaStatusWindow(app));
  shoot("gpsmess", new NmeaMessagesWindow(app, [&] { return last; }));
  shoot("gpssimul", new SimulationWindow(app));
  shoot("gpstime", new PcTimeWindow(app));
  shoot("gpsstatus", new GpsStatusWindow(app), QSize(460, 380));
}

}  // namespace
}  // namespace tavrik
