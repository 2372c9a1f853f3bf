// The radar window over targets from real TTM sentences through the receive path.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "core/ui/main_window.h"
#include "ships/ui/radar_window.h"
#include "ships/ui/ship_windows.h"
#include "ui_test_app.h"

namespace tavrik::test {
namespace {

TEST(RadarWindow, ShowsTheSelectedTargetAndItsAgeing) {
  TestApp t;
  App& app = *t;
  app.receiver.beginSession();
  for (const char* line : {"$GPRMC,120000,A,5000.000,N,00400.000,W,5.0,90.0,010626,,",
                           "$IIVHW,350.0,T,,M,5.0,N,,K",
                           "$RATTM,01,2.0,30.0,R,10.0,180.0,T,0.5,3.0,K,ALPHA,T,,120000,A",
                           "$RATTM,02,1.5,90.0,T,0.0,0.0,T,1.5,0.0,S,BRAVO,Q,,120000,A"})
    app.receiver.dispatch(line);
  RadarWindow w(app);
  QComboBox* targets = w.findChild<QComboBox*>("target");
  ASSERT_EQ(targets->count(), 2);
  struct Case {
    const char* field;
    const char* text;
  };
  // Target 1: a relative bearing of 30 with heading 350 is 20 true; kilometres as "K".
  for (const Case& c : std::vector<Case>{{"status", "Tracking"}, {"tname", "ALPHA"}, {"bearing", "20.0° T"},
                                         {"distance", "2.00 K"}, {"course", "180.0° T"}}) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(w.fieldText(c.field), QString::fromUtf8(c.text));
  }
  targets->setCurrentIndex(1);
  emit targets->activated(1);
  EXPECT_EQ(w.fieldText("status"), "Querying");
  EXPECT_EQ(w.fieldText("distance"), "1.50 M");  // statute miles
  EXPECT_TRUE(app.requests.radarRedraw);

  // Ten silent seconds are not enough; eleven are.
  t.clock.advanceSecs(10);
  app.cycle.tick();
  w.refresh();
  EXPECT_EQ(w.fieldText("status"), "Querying");
  t.clock.advanceSecs(1);
  app.cycle.tick();
  w.refresh();
  EXPECT_EQ(w.fieldText("status"), "Lost");
  w.resize(320, 380);
  w.grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/gpsradar.png"));

  // A new session leaves an empty window.
  app.receiver.beginSession();
  w.refresh();
  EXPECT_EQ(targets->count(), 0);
  EXPECT_EQ(w.fieldText("status"), "");
}

}  // namespace
}  // namespace tavrik::test
