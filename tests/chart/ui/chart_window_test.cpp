#include "chart/ui/chart_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/app.h"
#include "chart/chart_projection.h"
#include "chart/ui/chart_info_window.h"
#include "chart/ui/chart_menu.h"
#include "chart/ui/color_window.h"
#include "chart/ui/zoom_window.h"
#include "core/ui/main_window.h"
#include "core/messages.h"

QT_BEGIN_NAMESPACE
// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tavrik {
namespace {

class QtApp : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "chart_window_ui_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
};
const auto* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtApp);

// Charts of 2000 x 1500 pixels, 20 pixels per minute of longitude, named after their
// top-left corner; the bounds are what the searches see.
struct Sheet {
  QString name;
  double top, left;
};

class FakeProvider final : public ChartProvider {
 public:
  std::vector<Sheet> sheets;
  std::vector<ZoneItem> zones;
  int loads = 0;

  static ChartBounds bounds(const Sheet& s) {
    MercatorSheet m(s.top, s.left, 20);
    double latB, lonR;
    m.toLatLon(QPointF(2000, 1500), latB, lonR);
    return {s.name, latB, s.top, s.left, lonR, 20, true};
  }
  ChartLoadOutcome loadChart(const QString& description, Prompter& prompter) override {
    for (const Sheet& s : sheets)
      if (s.name == description) {
        ++loads;
        ShownChart c;
        c.description = s.name;
        QImage img(2000, 1500, QImage::Format_RGB32);
        img.fill(QColor(250, 245, 220));
        c.image = std::make_shared<PictureSource>(img);
        const Sheet sheet = s;
        c.projectionAt = [sheet](double zoom) {
          return std::make_unique<MercatorSheet>(sheet.top, sheet.left, 20, zoom);
        };
        c.information = "info of " + s.name;
        return {c, false, false};
      }
    prompter.exclamation(MessageText(Msg::ChartDoesNotExist));
    return {std::nullopt, true, false};
  }
  ChartLoadOutcome loadFile(const QString& path, Prompter& p) override { return loadChart(path, p); }
  std::vector<ChartBounds> chartBounds(int) override {
    std::vector<ChartBounds> out;
    for (const Sheet& s : sheets) out.push_back(bounds(s));
    return out;
  }
  void fillScene(OverlayScene& scene, const QString&) override { scene.zones = zones; }
};

struct Fixture {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  std::unique_ptr<App> app;
  std::unique_ptr<ChartWindow> window;
  FakeProvider* provider = nullptr;

  Fixture() {
    app = std::make_unique<App>(AppPaths::inFolder(dir.path()), clock, prompter, sound);
    app->settings.system.positioning = false;
    window = std::make_unique<ChartWindow>(*app);
    window->resize(800, 600);
    auto p = std::make_unique<FakeProvider>();
    provider = p.get();
    p->sheets = {{"North sheet", 53.5, 4.0}, {"Home sheet", 53.0, 4.0}, {"South sheet", 52.0, 4.0}};
    window->setProvider(std::move(p));
    window->show();
  }
  void fix(double lat, double lon, float cog = 0) {
    app->nav.Latitude = static_cast<float>(lat);
    app->nav.Longitude = static_cast<float>(lon);
    app->nav.CourseOverGround = cog;
    app->nav.FixTime = clock.now().time();
    app->nav.TimeStale = false;
  }
};

TEST(ChartWindow, WelcomeSoundAndTrackFileAtOpening) {
  Fixture f;
  ASSERT_EQ(f.sound.played.size(), 1u);
  EXPECT_TRUE(f.sound.played[0].endsWith("WELCOME.WAV"));
  EXPECT_TRUE(QFile::exists(f.dir.filePath("$GPS.$$$")));
}

TEST(ChartWindow, VesselLandsOnItsConvertedPositionAtZoom300) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.app->settings.CenterChart = true;
  f.fix(52.8, 4.3, 90);
  f.window->applyZoom(300);
  EXPECT_DOUBLE_EQ(f.window->zoom(), 3.0);
  EXPECT_EQ(f.window->contentSize(), QSize(6000, 4500));
  f.window->tick();
  const auto v = f.window->vesselPixel();
  ASSERT_TRUE(v.has_value());
  const QPointF expected = MercatorSheet(53.0, 4.0, 20, 3.0).toPixel(52.8f, 4.3f);
  // The symbol is placed where the zoomed calibration puts the fix.
  EXPECT_NEAR(v->x(), expected.x(), 1e-6);
  EXPECT_NEAR(v->y(), expected.y(), 1e-6);
  // CenterChart: the vessel sits in the middle of the window; the rendered pixel there
  // is the vessel's colour.
  const QImage img = f.window->renderView();
  const QPoint onScreen = (expected - QPointF(f.window->scrollValue())).toPoint();
  EXPECT_NEAR(onScreen.x(), f.window->visibleSize().width() / 2, 1);
  const QRgb c = img.pixel(onScreen);
  EXPECT_GT(qRed(c), 150);
  EXPECT_LT(qGreen(c), 120);
}

TEST(ChartWindow, PrintsTheVisibleChartAsTheWindowShowsIt) {
  Fixture f;
  QPrinter none(QPrinter::HighResolution);
  none.setOutputFormat(QPrinter::PdfFormat);
  none.setOutputFileName(f.dir.filePath("none.pdf"));
  EXPECT_FALSE(f.window->printVisible(none));
  EXPECT_FALSE(QFile::exists(none.outputFileName()));

  f.provider->zones = {ZoneItem{1, "Harbour", {{52.95, 4.05, 0}, {52.95, 4.4, 0}, {52.7, 4.4, 0}}}};
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.3, 90);
  f.window->tick();
  f.window->redrawAll();
  const QImage shown = f.window->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QImage drawn(shown.size(), QImage::Format_RGB32);
  drawn.fill(Qt::black);
  {
    QPainter p(&drawn);
    ASSERT_TRUE(f.window->renderVisible(p, QRectF(drawn.rect())));
  }
  // Same painting code at the same size: only rounding of antialiased edges may differ.
  int worst = 0, coloured = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      const QRgb a = shown.pixel(x, y), b = drawn.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                        std::abs(qBlue(a) - qBlue(b))});
      if (a != shown.pixel(0, 0)) ++coloured;
    }
  EXPECT_LE(worst, 2);
  EXPECT_GT(coloured, 100) << "the overlays are part of the picture";

  // A page twice as wide: the view keeps its shape, centred, with the margins untouched.
  QImage wide(shown.width() * 2, shown.height(), QImage::Format_RGB32);
  wide.fill(Qt::black);
  {
    QPainter p(&wide);
    ASSERT_TRUE(f.window->renderVisible(p, QRectF(wide.rect())));
  }
  const int margin = shown.width() / 2;
  EXPECT_EQ(wide.pixel(margin / 2, shown.height() / 2), qRgb(0, 0, 0));
  EXPECT_EQ(wide.pixel(wide.width() - margin / 2, shown.height() / 2), qRgb(0, 0, 0));
  EXPECT_EQ(wide.pixel(margin + 10, 10), drawn.pixel(10, 10));
  wide.save(QStringLiteral(TAVRIK_BINARY_DIR "/chart_print_page.png"));

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(f.dir.filePath("chart.pdf"));
  ASSERT_TRUE(f.window->printVisible(printer));
  QFile pdf(printer.outputFileName());
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  // A page holding the chart image, not an empty page (an empty one is about 1 kB).
  EXPECT_GT(pdf.size(), 4000);
}

TEST(ChartWindow, FixCycleRecordsTheTrackAndWritesOneBreakPerOutage) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.3);
  f.window->tick();
  f.clock.advanceSecs(1);
  f.fix(52.81, 4.3);
  f.window->tick();
  EXPECT_EQ(f.window->trackFile().count(), 2);
  f.app->nav.TimeStale = true;  // the receiver went silent
  f.window->tick();
  f.window->tick();
  EXPECT_EQ(f.window->trackFile().count(), 3);
  const auto records = f.window->trackFile().readAll();
  EXPECT_TRUE(records[2].isBreak());
  EXPECT_FALSE(f.window->timer5Active());
}

TEST(ChartWindow, PumpServesTheRequestsAndClearsThem) {
  Fixture f;
  f.app->activeChart = "Home sheet";
  f.app->requests.chartChanged = true;
  f.window->pump();
  ASSERT_TRUE(f.window->hasChart());
  EXPECT_FALSE(f.app->requests.chartChanged);

  f.app->requests.zoomRequest = 200;
  f.window->pump();
  EXPECT_EQ(f.app->requests.zoomRequest, 0);
  EXPECT_DOUBLE_EQ(f.window->zoom(), 2.0);

  // Re-loading resets the zoom to 1.0 and then applies the previous zoom again.
  f.app->activeChart = "North sheet";
  f.app->requests.chartChanged = true;
  f.window->pump();
  EXPECT_EQ(f.window->chart()->description, "North sheet");
  EXPECT_DOUBLE_EQ(f.window->zoom(), 2.0);

  // Search: the detail chart for the fix; the chart shown causes no reload.
  f.fix(51.8, 4.5);
  f.app->requests.searchChart = true;
  f.window->pump();
  EXPECT_FALSE(f.app->requests.searchChart);
  EXPECT_TRUE(f.app->requests.chartChanged);
  EXPECT_EQ(f.app->activeChart, "South sheet");
  f.window->pump();
  EXPECT_EQ(f.window->chart()->description, "South sheet");
  const int loads = f.provider->loads;
  f.app->requests.searchChart = true;
  f.window->pump();
  EXPECT_FALSE(f.app->requests.chartChanged);
  EXPECT_EQ(f.provider->loads, loads);

  f.fix(10, 10);
  f.app->requests.searchChart = true;
  f.window->pump();
  ASSERT_FALSE(f.prompter.empty());
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
  EXPECT_EQ(f.window->chart()->description, "South sheet");

  for (bool* flag : {&f.app->requests.redrawAll, &f.app->requests.redrawOverlays, &f.app->requests.centreOnPosition,
                     &f.app->requests.redrawGotoLine, &f.app->requests.redrawCourseLine,
                     &f.app->requests.nightScreenChanged, &f.app->requests.shipsChanged,
                     &f.app->requests.radarRedraw, &f.app->requests.drawAutomationLine})
    *flag = true;
  f.window->pump();
  for (bool flag : {f.app->requests.redrawAll, f.app->requests.redrawOverlays, f.app->requests.centreOnPosition,
                    f.app->requests.redrawGotoLine, f.app->requests.redrawCourseLine,
                    f.app->requests.nightScreenChanged, f.app->requests.shipsChanged, f.app->requests.radarRedraw,
                    f.app->requests.drawAutomationLine})
    EXPECT_FALSE(flag);
}

TEST(ChartWindow, ArrowOffTheBottomOpensTheChartToTheSouth) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.1, 4.5);
  // Scroll to the bottom: a down arrow now steps to the neighbouring chart.
  f.window->setScrollValue({0, 100000});
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(f.window.get(), &down);
  EXPECT_TRUE(f.app->requests.chartChanged);
  EXPECT_EQ(f.app->activeChart, "South sheet");
  // Not at the end: the arrow scrolls by 10 pixels, 100 with Ctrl.
  f.app->requests.chartChanged = false;
  f.window->setScrollValue({0, 0});
  QApplication::sendEvent(f.window.get(), &down);
  EXPECT_EQ(f.window->scrollValue().y(), 10);
  QKeyEvent ctrlDown(QEvent::KeyPress, Qt::Key_Down, Qt::ControlModifier);
  QApplication::sendEvent(f.window.get(), &ctrlDown);
  EXPECT_EQ(f.window->scrollValue().y(), 110);
  // Nothing further south: the chart stays, an information box says so.
  f.provider->sheets = {{"Home sheet", 53.0, 4.0}};
  f.window->setScrollValue({0, 100000});
  QApplication::sendEvent(f.window.get(), &down);
  EXPECT_FALSE(f.app->requests.chartChanged);
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Information);
}

TEST(ChartWindow, KeepInViewPutsTheVesselAtThreeQuartersWhenHeadingNorth) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.app->settings.CenterChart = false;
  f.app->settings.ViewMargin = "0.25";
  const QSize vis = f.window->visibleSize();
  f.window->setScrollValue({500, 600});
  // The vessel just inside the upper quarter's limit, heading north.
  double lat, lon;
  f.window->projection()->toLatLon(QPointF(500 + vis.width() / 2.0, 600 + 0.25 * vis.height() - 5), lat, lon);
  f.fix(lat, lon, 0);
  f.window->keepInView();
  const QPointF v = f.window->projection()->toPixel(static_cast<float>(lat), static_cast<float>(lon));
  EXPECT_NEAR(v.y() - f.window->scrollValue().y(), 0.75 * vis.height(), 1.0);
}

TEST(ChartWindow, FirstFixAfterALoadWithoutFixKeepsTheVesselInView) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  EXPECT_EQ(f.window->scrollValue(), QPoint(0, 0));
  f.app->settings.CenterChart = true;
  f.fix(52.4, 4.9);  // far down and right on the sheet
  f.window->tick();
  const QPointF v = *f.window->vesselPixel() - QPointF(f.window->scrollValue());
  EXPECT_TRUE(QRectF(QPointF(0, 0), QSizeF(f.window->visibleSize())).contains(v));
  // Later fixes leave the view to Timer5 (automatic positioning) and the user.
  const QPoint s = f.window->scrollValue();
  f.fix(52.3, 4.95);
  f.window->tick();
  EXPECT_EQ(f.window->scrollValue(), s);
}

TEST(ChartWindow, ClosingWhileTrackingAsksAndDeletesTheTrackFile) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.3);
  f.window->tick();
  f.prompter.answer(false);
  EXPECT_FALSE(f.window->close());
  EXPECT_EQ(f.prompter.lastText(), "Cancel tracking?");
  EXPECT_TRUE(QFile::exists(f.dir.filePath("$GPS.$$$")));
  f.prompter.answer(true);
  EXPECT_TRUE(f.window->close());
  EXPECT_FALSE(QFile::exists(f.dir.filePath("$GPS.$$$")));
  EXPECT_EQ(f.app->ini.get("Chart", "Width"), QString::number(f.window->width()));
}

TEST(ChartWindow, ClickRecordsThePositionAndTheZoneHit) {
  Fixture f;
  f.provider->zones.push_back({5, "Anchorage", {{52.9, 4.1}, {52.9, 4.3}, {52.8, 4.3}, {52.8, 4.1}}});
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->setScrollValue({0, 0});
  const QPointF inside = f.window->projection()->toPixel(52.85, 4.2);
  f.window->pointerReleased(inside.toPoint(), Qt::LeftButton, {});
  EXPECT_EQ(f.window->clickedZone(), 5);
  EXPECT_NEAR(f.window->mouseLatitude(), 52.85, 0.001);
  const QPointF outside = f.window->projection()->toPixel(52.95, 4.2);
  f.window->pointerReleased(outside.toPoint(), Qt::LeftButton, {});
  EXPECT_EQ(f.window->clickedZone(), -1);
  // "Go to mouse position" hands the clicked position to the go-to request.
  f.window->contextMenu()->findChild<QAction*>("p_goto")->trigger();
  EXPECT_NEAR(f.app->requests.gotoLatitude, 52.95, 0.001);
  EXPECT_NEAR(f.app->requests.gotoLongitude, 4.2, 0.001);
  // The readouts: position and distance / bearing from the vessel.
  EXPECT_TRUE(f.window->findChild<QLabel*>("position")->text().contains("N"));
  EXPECT_TRUE(f.window->findChild<QLabel*>("direction")->text().contains(" / "));
}

TEST(ChartWindow, DrawingModesCollectTheClickedPositions) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->setScrollValue({0, 0});
  QMenu* menu = f.window->contextMenu();
  menu->findChild<QAction*>("p_drawzone")->trigger();
  EXPECT_TRUE(f.app->requests.drawZone);
  for (auto [lat, lon] : {std::pair{52.9, 4.1}, {52.9, 4.3}, {52.8, 4.2}})
    f.window->pointerReleased(f.window->projection()->toPixel(lat, lon).toPoint(), Qt::LeftButton, {});
  ASSERT_EQ(f.window->drawnPoints().size(), 3u);
  EXPECT_NEAR(f.window->drawnPoints()[1].lon, 4.3, 0.002);
  // Another mode replaces the first one; ending keeps the points for saving.
  menu->findChild<QAction*>("p_drawroute")->trigger();
  EXPECT_TRUE(f.app->requests.drawRoute);
  EXPECT_FALSE(f.app->requests.drawZone);
  menu->findChild<QAction*>("p_enddraw")->trigger();
  EXPECT_FALSE(f.app->requests.drawRoute);
  EXPECT_EQ(f.window->drawnPoints().size(), 3u);
  // Without a mode a left click draws nothing.
  f.window->pointerReleased({50, 50}, Qt::LeftButton, {});
  EXPECT_EQ(f.window->drawnPoints().size(), 3u);
  EXPECT_FALSE(f.window->renderView().isNull());
}

TEST(ChartWindow, ShipsDescribeThemselvesAndInfoPointsOpenTheirFile) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->setScrollValue({0, 0});
  f.window->setInfoPoints({{1, "Marina", {52.9, 4.2, 0}, "", f.dir.filePath("nowhere.txt")}}, {}, true);
  f.window->pump();
  const QPoint at = f.window->projection()->toPixel(52.9, 4.2).toPoint();
  f.window->pointerReleased(at + QPoint(3, 2), Qt::LeftButton, {});
  EXPECT_EQ(f.prompter.lastText(), "File not found");
  const QString d = ShipDescription(QDateTime(QDate(2026, 5, 1), QTime(14, 30)), 5.54, 270, 12.3, 45);
  const QStringList lines = d.split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].startsWith("Last updated "));
  EXPECT_EQ(lines[1], "5.5 Knts");
  EXPECT_EQ(lines[2], QString::fromUtf8("270.0°"));
  EXPECT_EQ(lines[3], "12.3Kts");
  EXPECT_EQ(lines[4], QString::fromUtf8("45°"));
}

TEST(ChartWindow, ProximitySoundPlaysWhileSwitchedOn) {
  Fixture f;
  f.window->setProximitySound(true);
  EXPECT_TRUE(f.window->proximitySound());
  QTimer* t4 = f.window->findChild<QTimer*>("Timer4");
  ASSERT_NE(t4, nullptr);
  EXPECT_EQ(t4->interval(), 5000);
  f.sound.played.clear();
  ASSERT_TRUE(QMetaObject::invokeMethod(t4, "timeout", Qt::DirectConnection));
  ASSERT_EQ(f.sound.played.size(), 1u);
  EXPECT_TRUE(f.sound.played[0].endsWith("PROXIM.WAV"));
  f.window->setProximitySound(false);
  EXPECT_FALSE(f.window->proximitySound());
}

TEST(ChartMenu, EveryEntryHasItsEffect) {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir.path()), clock, prompter, sound);
  MainWindow main(app);
  registerChartWindows(app);
  ChartMenu chartMenu(app, main);
  main.show();
  QMenu* menu = main.menu("m_chart");
  ASSERT_NE(menu, nullptr);
  auto act = [&](const char* name) {
    QAction* a = menu->findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(a, nullptr) << name;
    if (a) {
      a->trigger();
    }
  };
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    EXPECT_TRUE(a->objectName().startsWith("ch_")) << a->text().toStdString();
  }
  act("ch_window");
  EXPECT_NE(findChartWindow(main), nullptr);
  act("ch_refresh");
  EXPECT_TRUE(app.requests.redrawAll);
  act("ch_position");
  EXPECT_TRUE(app.requests.centreOnPosition);
  act("ch_search");
  EXPECT_TRUE(app.requests.searchChart);
  act("ch_zoom");
  EXPECT_NE(main.findWindow("gpszoom"), nullptr);
  act("ch_colors");
  EXPECT_NE(main.findWindow("gpscolor"), nullptr);
  act("ch_info");
  EXPECT_EQ(prompter.lastText(), "No chart loaded");
  const size_t told = prompter.entries().size();
  act("ch_print");
  ASSERT_EQ(prompter.entries().size(), told + 1);
  EXPECT_EQ(prompter.lastText(), "No chart loaded");
  EXPECT_EQ(main.findChild<QWidget*>("ch_printdialog"), nullptr);
  const bool circles = app.settings.ChartCircles, rulers = app.settings.Rulers, cross = app.settings.Crosshairs,
             positioning = app.settings.system.positioning;
  act("ch_circles");
  act("ch_rulers");
  act("ch_crosshairs");
  act("ch_positioning");
  EXPECT_NE(app.settings.ChartCircles, circles);
  EXPECT_NE(app.settings.Rulers, rulers);
  EXPECT_NE(app.settings.Crosshairs, cross);
  EXPECT_NE(app.settings.system.positioning, positioning);
  app.requests.searchChart = false;
  chartMenu.startWithFolder(3, "Coast");
  EXPECT_EQ(app.settings.system.folder, 3);
  EXPECT_EQ(app.panels[Panel::Folder], "Coast");
  EXPECT_TRUE(app.requests.searchChart);
  // Information of a chart file: a file that is no chart says why.
  QFile bad(dir.filePath("bad.kap"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("nothing");
  bad.close();
  chartMenu.showFileInformation(bad.fileName());
  auto* info = qobject_cast<ChartInfoWindow*>(main.findWindow("gpschartinfo"));
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->text().startsWith("Cannot load BSB chart")) << info->text().toStdString();
  // With a chart shown, printing asks for the printer.
  {
    auto p = std::make_unique<FakeProvider>();
    p->sheets = {{"Home sheet", 53.0, 4.0}};
    findChartWindow(main)->setProvider(std::move(p));
    ASSERT_TRUE(findChartWindow(main)->loadChart("Home sheet"));
    const size_t before = prompter.entries().size();
    act("ch_print");
    auto* dialog = main.findChild<QPrintDialog*>("ch_printdialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompter.entries().size(), before);
    dialog->reject();
  }
  // Show/hide: the second time hides the chart window's frame.
  act("ch_window");
  EXPECT_FALSE(findChartWindow(main)->parentWidget()->isVisible());
}

TEST(ChartWindow, ClosingTheMainWindowAsksAboutTheTrackFirst) {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir.path()), clock, prompter, sound);
  MainWindow main(app);
  registerChartWindows(app);
  main.show();
  ChartWindow* chart = openChartWindow(main);
  ASSERT_NE(chart, nullptr);
  app.nav.Latitude = 52.5f;
  app.nav.Longitude = 4.5f;
  app.nav.FixTime = clock.now().time();
  chart->tick();
  ASSERT_EQ(chart->trackFile().count(), 1);
  prompter.answer(false);
  EXPECT_FALSE(main.close());
  EXPECT_EQ(prompter.lastText(), "Cancel tracking?");
  EXPECT_TRUE(QFile::exists(dir.filePath("$GPS.$$$")));
  prompter.answer(true);
  EXPECT_TRUE(main.close());
  EXPECT_FALSE(QFile::exists(dir.filePath("$GPS.$$$")));
  EXPECT_TRUE(app.ini.contains("Chart", "WindowState"));
}

TEST(ColorWindow, OkStoresTheColoursAndRedraws) {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir.path()), clock, prompter, sound);
  ColorWindow w(app);
  w.setStyle(Overlay::Routes, {0x00ff00, 4});
  EXPECT_EQ(app.settings.style(Overlay::Routes).color, 255);  // not before OK
  w.accept();
  EXPECT_EQ(app.settings.style(Overlay::Routes).color, 0x00ff00);
  EXPECT_EQ(app.settings.style(Overlay::Routes).width, 4);
  EXPECT_EQ(app.ini.getInt("Colors", "Routes", 0), 0x00ff00);
  EXPECT_EQ(app.ini.getInt("Width", "Routes", 0), 4);
  EXPECT_TRUE(app.requests.redrawAll);
}

// Renders the dialogs into the build folder for a look.
TEST(ChartDialogs, Screenshots) {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir.path()), clock, prompter, sound);
  ZoomWindow zoom(app);
  zoom.show();
  ColorWindow colors(app);
  colors.show();
  ChartInfoWindow info(app);
  info.setInformation("Demo", "Chart: Demo\nScale: 1:50000\nDatum: WGS84");
  info.show();
  for (auto [w, name] : {std::pair<QWidget*, const char*>{&zoom, "gpszoom"}, {&colors, "gpscolor"},
                         {&info, "gpschartinfo"}})
    EXPECT_TRUE(w->grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/%1.png").arg(QLatin1String(name))));
}

TEST(ZoomWindow, StepsByFiveAndRefusesNoFactor) {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(AppPaths::inFolder(dir.path()), clock, prompter, sound);
  ZoomWindow z(app);
  z.setValue(10);
  z.minus();
  EXPECT_EQ(z.value(), 5);
  z.minus();  // only while above 5
  EXPECT_EQ(z.value(), 5);
  z.plus();
  EXPECT_EQ(z.value(), 10);
  z.setValue(0);
  EXPECT_FALSE(z.accept());
  EXPECT_EQ(prompter.lastText(), "No factor");
  EXPECT_EQ(app.requests.zoomRequest, 0);
  z.setValue(250);
  EXPECT_TRUE(z.accept());
  EXPECT_EQ(app.requests.zoomRequest, 250);
}

}  // namespace
}  // namespace tavrik
