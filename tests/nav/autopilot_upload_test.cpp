// The autopilot window's APB while locked on a course or on the wind, and the
// waypoint upload's query and sentences.

#include <gtest/gtest.h>

#include "core/navigation_state.h"
#include "nav/autopilot.h"
#include "nav/waypoint_upload.h"

using namespace tavrik;

TEST(Autopilot, LockedCourseAndWindSteerTheApb) {
  NavigationState nav;
  nav.HeadingMagnetic = 95;
  nav.WindAngle = 40;
  nav.WindSide = QStringLiteral("L");
  Autopilot pilot(nav);
  EXPECT_TRUE(pilot.tick().isEmpty()) << "nothing before a lock";
  pilot.lockCourse();
  pilot.adjust(-10);
  pilot.adjust(-1);
  EXPECT_EQ(pilot.tick(), QByteArray("$GPAPB,A,A,0.1,L,N,V,V,84.0,M,,84.0,M,84.0,M,A*5B\r\n"));
  pilot.adjust(-90);
  EXPECT_EQ(pilot.courseToSteer(), 354) << "kept within 0..360";

  pilot.lockWind();  // wind 40 from port
  EXPECT_EQ(pilot.lockedWind(), -40);
  pilot.adjust(1);  // a port wind goes aft when turning to starboard
  EXPECT_EQ(pilot.lockedWind(), -41);
  nav.WindAngle = 45;  // the wind veers: bear away with it
  pilot.tick();
  EXPECT_EQ(pilot.courseToSteer(), 91);
  pilot.tack();
  pilot.tick();
  EXPECT_EQ(pilot.courseToSteer(), 9);  // -45 - 41 + 95
  EXPECT_TRUE(pilot.headingText().isEmpty()) << "no HDM or VHW received";
}

TEST(WaypointUpload, QueryAndNumberedSentences) {
  EXPECT_EQ(uploadQuery({"1", "3"}, {}), QLatin1String("SELECT * FROM Waypoints  WHERE Waypoints.Group IN (1, 3) ORDER BY GROUP, DESCRIPTION"));
  EXPECT_EQ(uploadQuery({"1"}, {"2"}),
            QLatin1String("SELECT * FROM Waypoints  WHERE Waypoints.Group IN (1) AND Type IN (2) ORDER BY GROUP, DESCRIPTION"));
  EXPECT_EQ(uploadQuery({}, {"2"}), QLatin1String("SELECT * FROM Waypoints  WHERE Type IN (2) ORDER BY GROUP, DESCRIPTION"));
  EXPECT_TRUE(uploadQuery({}, {}).isEmpty());

  WplLayout layout;
  layout.maxNumber = 2;
  layout.maxName = 6;
  layout.fill = QStringLiteral("-");
  WaypointUpload upload(layout, {{52.4, 4.875, "Ams-Haven 3"}, {-1.5, -0.25, "b"}, {0, 0, "c"}});
  EXPECT_EQ(upload.total(), 2) << "numbering stops at the largest number, written with its digits";
  EXPECT_EQ(upload.next(), QByteArray("$GPWPL,5224.00,N,00452.50,E,1 AMS-HA*26\r\n"));
  EXPECT_EQ(upload.next(), QByteArray("$GPWPL,0130.00,S,00015.00,W,2 B-----*3F\r\n"));
  EXPECT_TRUE(upload.finished());
  EXPECT_TRUE(upload.next().isEmpty());
}
