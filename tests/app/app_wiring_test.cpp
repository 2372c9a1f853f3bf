// The App ties the subsystems together: these tests check the ties themselves.

#include <gtest/gtest.h>

#include "nmea/nmea_checksum.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

// One RMC fix at 52 N 4 E through the receive path, with the receiver in the GPS datum
// and the chart shown in the chart datum.
TEST(AppWiring, ReceivedPositionIsConvertedFromTheGpsDatumToTheChartDatum) {
  const struct {
    const char* legend;
    int gpsDatum, chartDatum;
    double lat, lon, tolerance;
  } rows[] = {
      // PROJ's three-parameter Helmert for ED50 (intl, -87,-98,-121) gives 51.99919613 N
      // 3.99866493 E; Molodensky agrees with it to well under a metre at sea level, and
      // the state holds singles (about 2e-6 degree here).
      {"European 1950 (mean) to WGS-84", 12, 1, 51.99919613, 3.99866493, 1e-5},
      {"same datum on both sides", 12, 12, 52, 4, 0},
      {"datum 0, the Default row whose ellipsoid has no axes", 12, 0, 52, 4, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    test::TestApp t;
    ASSERT_TRUE(t.app->openDatabase([](const QString&) { return QString(); }));
    t.app->loadSystemSettings();
    t.app->settings.system.gpsDatum = r.gpsDatum;
    t.app->activeChartDatum = r.chartDatum;
    t.app->receiver.beginSession();
    const QString rmc = NmeaChecksum("$GPRMC,120000,A,5200.0000,N,00400.0000,E,5.0,90.0,071226,0.0,E");
    t.app->receiver.inject(0, (rmc + "\r\n").toStdString());
    t.app->receiver.tick();
    EXPECT_NEAR(t.app->nav.Latitude, r.lat, r.tolerance);
    EXPECT_NEAR(t.app->nav.Longitude, r.lon, r.tolerance);
    t.app->closeDatabase();
  }
}

}  // namespace
}  // namespace tavrik
