#include "chart/keep_in_view.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavrik {
namespace {

TEST(KeepInView, PlacesTheVesselWithMostOfTheWindowAhead) {
  // Window 800 x 600 on a 4000 x 4000 picture, scrolled to (1000, 1000), margin 0.25:
  // the band is x 1200..1600, y 1150..1450.
  struct Row {
    const char* legend;
    QPointF vessel;
    double direction;
    QPoint expected;
    bool centre = false;
    QSize content = {4000, 4000};
  } rows[] = {
      {"heading north across the upper quarter: vessel at three quarters", {1400, 1140}, 0, {1000, 1140 - 450}},
      {"heading south across the upper quarter: vessel at one quarter", {1400, 1140}, 180, {1000, 1140 - 150}},
      {"heading south across the lower quarter: vessel at one quarter", {1400, 1460}, 180, {1000, 1460 - 150}},
      {"heading north across the lower quarter: vessel at three quarters", {1400, 1460}, 0, {1000, 1460 - 450}},
      {"inside the band: nothing moves", {1400, 1300}, 45, {1000, 1000}},
      {"heading east across the right quarter: vessel at one quarter of the width", {1610, 1300}, 90, {1610 - 200, 1000}},
      {"heading west across the left quarter: vessel at three quarters of the width", {1190, 1300}, 270, {1190 - 600, 1000}},
      {"course 90 counts as moving down the screen", {1400, 1140}, 90, {1000, 1140 - 150}},
      {"course 270 counts as moving up the screen", {1400, 1140}, 270, {1000, 1140 - 450}},
      {"direction over 360 is normalised", {1400, 1140}, 360 + 180, {1000, 1140 - 150}},
      {"near the picture's top the scroll is clamped to 0", {1400, 100}, 0, {1000, 0}},
      {"outside the picture: nothing happens", {-5, 1300}, 0, {1000, 1000}},
      {"a position the calibration cannot place: nothing happens", {std::nan(""), 1300}, 0, {1000, 1000}},
      {"CenterChart: the vessel in the middle", {2000, 1500}, 0, {1600, 1200}, true},
      {"CenterChart within the scroll range", {3900, 3950}, 0, {3200, 3400}, true},
      {"a picture smaller than the window never scrolls", {250, 200}, 0, {0, 0}, true, {500, 400}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    KeepInViewInput in;
    in.vessel = r.vessel;
    in.scroll = {1000, 1000};
    in.visible = {800, 600};
    in.content = r.content;
    in.margin = 0.25;
    in.directionDeg = r.direction;
    in.centreChart = r.centre;
    EXPECT_EQ(KeepInView(in), r.expected);
  }
}

}  // namespace
}  // namespace tavrik
