#pragma once
// The test App with a chart window opened on it, and fixes handed to the navigation
// state as the receiver would.

#include <gtest/gtest.h>

#include <memory>

#include "chart/ui/chart_window.h"
#include "ui_test_app.h"

QT_BEGIN_NAMESPACE
// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tavrik::test {

struct ChartWindowFixture : TestApp {
  std::unique_ptr<ChartWindow> window;

  // The window is made once the test has set what it reads at opening.
  ChartWindow& open(QSize size = {800, 600}) {
    window = std::make_unique<ChartWindow>(*app);
    window->resize(size);
    window->show();
    return *window;
  }
  void fix(double lat, double lon, float cog = 0) {
    app->nav.Latitude = static_cast<float>(lat);
    app->nav.Longitude = static_cast<float>(lon);
    app->nav.CourseOverGround = cog;
    app->nav.FixTime = clock.now().time();
    app->nav.TimeStale = false;
  }
};

}  // namespace tavrik::test
