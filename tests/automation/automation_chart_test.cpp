// The main window and its chart as a client sees them: the zoom of a chart shown at its
// natural size, a click on the chart, and the automation line drawn from the vessel.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include "app/startup.h"
#include "automation/ui/automation_ui.h"
#include "chart/chart_projection.h"
#include "chart/ui/chart_menu.h"
#include "chart/ui/chart_window.h"
#include "chart/ui/chart_window_fixture.h"
#include "core/ui/main_window.h"

namespace tavrik {
namespace {

// One sheet of 2000 x 1500 pixels, 20 pixels per minute of longitude.
class SheetProvider final : public ChartProvider {
 public:
  ChartLoadOutcome loadChart(const QString& description, Prompter&) override {
    ShownChart c;
    c.description = description;
    QImage img(2000, 1500, QImage::Format_RGB32);
    img.fill(QColor(250, 245, 220));
    c.image = std::make_shared<PictureSource>(img);
    c.projectionAt = [](double zoom) { return std::make_unique<MercatorSheet>(53.0, 4.0, 20, zoom); };
    return {c, false, false};
  }
  ChartLoadOutcome loadFile(const QString& path, Prompter& p) override { return loadChart(path, p); }
  std::vector<ChartBounds> chartBounds(int) override { return {}; }
  void fillScene(OverlayScene& scene, const QString&) override {
    scene.waypoints.push_back(WaypointItem{42, QStringLiteral("Buoy"), GeoPoint{52.9, 4.5, 0}});
  }
};

QString busctl(const QStringList& args) {
  QProcess p;
  p.start("busctl", QStringList{"--user"} + args);
  QElapsedTimer t;
  t.start();
  while (p.state() != QProcess::NotRunning && t.elapsed() < 15000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

TEST(AutomationChart, ZoomClickAndLineOnTheRealChartWindow) {
  test::TestApp t;
  App& app = *t.app;
  MainWindow main(app);
  Startup(app, main).registerWindows();
  main.resize(1000, 700);
  main.show();
  ChartWindow* chart = openChartWindow(main);
  ASSERT_NE(chart, nullptr);
  chart->setProvider(std::make_unique<SheetProvider>());
  app.activeChart = QStringLiteral("Sheet");  // as the chart menu leaves it
  ASSERT_TRUE(chart->loadChart(app.activeChart));
  QString why;
  ChartObject* object = installAutomation(app, main, false, &why);
  ASSERT_NE(object, nullptr) << why.toStdString();
  const QStringList get{"get-property", "org.tavrik.Tavrik", "/chart", "org.tavrik.chart"};
  EXPECT_EQ(busctl(get + QStringList{"zoom"}), "n 100");

  // A left click on the buoy: its pixel, position and number, pending for ChartClick.
  const QPointF buoy = chart->projection()->toPixel(52.9, 4.5);
  chart->setScrollValue(QPoint(0, 0));
  chart->pointerReleased(buoy.toPoint(), Qt::LeftButton, QPoint());
  const AutomationValues& a = app.automation;
  EXPECT_TRUE(a.clickPending);
  EXPECT_EQ(a.ClickWP, 42);
  EXPECT_NEAR(a.ClickX, buoy.x(), 1);
  EXPECT_NEAR(a.ClickLat, 52.9, 0.002);
  EXPECT_NEAR(a.ClickLon, 4.5, 0.002);
  EXPECT_EQ(busctl(get + QStringList{"ClickWP"}), "i 42");

  // DrawToPosition from the vessel: course and distance, and the line on the chart.
  app.nav.Latitude = 52.8f;
  app.nav.Longitude = 4.2f;
  app.nav.FixTime = t.clock.now().time();
  app.nav.TimeStale = false;
  chart->tick();
  const QStringList set{"set-property", "org.tavrik.Tavrik", "/chart", "org.tavrik.chart"};
  busctl(set + QStringList{"DrawLat", "d", "52.9"});
  busctl(set + QStringList{"DrawLon", "d", "4.5"});
  busctl({"call", "org.tavrik.Tavrik", "/chart", "org.tavrik.chart", "DrawToPosition"});
  // The chart's own 100 ms pump may have served the request already.
  chart->pump();
  EXPECT_FALSE(app.requests.drawAutomationLine);
  const auto& line = chart->renderer().automationLine();
  ASSERT_TRUE(line.has_value());
  EXPECT_NEAR(line->p2().x(), buoy.x(), 0.5);
  EXPECT_NEAR(line->p2().y(), buoy.y(), 0.5);
  EXPECT_NEAR(a.DrawDistance, 12.42, 0.1);  // 6 minutes north, 18 minutes east at 52.85 N
  EXPECT_NEAR(a.DrawCourse, 61, 1.5);

  // ClearChart: no chart shown afterwards, and nobody asked about a missing one.
  busctl({"call", "org.tavrik.Tavrik", "/chart", "org.tavrik.chart", "ClearChart"});
  chart->pump();
  EXPECT_FALSE(chart->hasChart());
  EXPECT_EQ(busctl(get + QStringList{"zoom"}), "n 0");
  EXPECT_TRUE(t.prompter.entries().empty());
}

}  // namespace
}  // namespace tavrik
