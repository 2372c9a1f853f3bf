#include "chart/ui/chart_window.h"

#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QMdiArea>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

#include "chart/chart_projection.h"
#include "chart/ui/chart_info_window.h"
#include "chart/night_palette.h"
#include "chart/ui/chart_menu.h"
#include "chart/ui/chart_window_fixture.h"
#include "chart/ui/color_window.h"
#include "chart/ui/zoom_window.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "test_data.h"

namespace tavrik {
namespace {

// Charts of 2000 x 1500 pixels, 20 pixels per minute of longitude, named after their
// top-left corner; the bounds are what the searches see.
struct Sheet {
  QString name;
  double top, left;
};

class FakeProvider final : public ChartProvider {
 public:
  std::vector<Sheet> sheets{{"North sheet", 53.5, 4.0}, {"Home sheet", 53.0, 4.0}, {"South sheet", 52.0, 4.0}};
  std::vector<ZoneItem> zones;
  int loads = 0;

  ChartLoadOutcome loadChart(const QString& description, Prompter& prompter) override {
    for (const Sheet& s : sheets) {
      if (s.name != description) continue;
      ++loads;
      ShownChart c;
      c.description = s.name;
      QImage img(2000, 1500, QImage::Format_RGB32);
      img.fill(QColor(250, 245, 220));
      c.image = std::make_shared<PictureSource>(img);
      c.projectionAt = [s](double zoom) { return std::make_unique<MercatorSheet>(s.top, s.left, 20, zoom); };
      c.information = "info of " + s.name;
      return {c, false, false};
    }
    prompter.exclamation(MessageText(Msg::ChartDoesNotExist));
    return {std::nullopt, true, false};
  }
  ChartLoadOutcome loadFile(const QString& path, Prompter& p) override { return loadChart(path, p); }
  std::vector<ChartBounds> chartBounds(int) override {
    std::vector<ChartBounds> out;
    for (const Sheet& s : sheets) {
      double latB, lonR;
      MercatorSheet(s.top, s.left, 20).toLatLon(QPointF(2000, 1500), latB, lonR);
      out.push_back({s.name, latB, s.top, s.left, lonR, 20, true});
    }
    return out;
  }
  void fillScene(OverlayScene& scene, const QString&) override { scene.zones = zones; }
};

// A chart window on the three sheets, automatic positioning off.
struct Fixture : test::ChartWindowFixture {
  FakeProvider* provider = nullptr;
  Fixture() {
    app->settings.system.positioning = false;
    open();
    auto p = std::make_unique<FakeProvider>();
    provider = p.get();
    window->setProvider(std::move(p));
  }
};

TEST(ChartWindow, TrackFileFromOpeningToClosing) {
  Fixture f;
  ASSERT_EQ(f.sound.played.size(), 1u);
  EXPECT_TRUE(f.sound.played[0].endsWith("WELCOME.WAV"));
  const QString track = f.dir.filePath("$GPS.$$$");
  EXPECT_TRUE(QFile::exists(track));
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.3);
  f.window->tick();
  f.clock.advanceSecs(1);
  f.fix(52.81, 4.3);
  f.window->tick();
  EXPECT_EQ(f.window->trackFile().count(), 2);
  f.app->nav.TimeStale = true;  // the receiver went silent: one break
  f.window->tick();
  f.window->tick();
  EXPECT_EQ(f.window->trackFile().count(), 3);
  EXPECT_TRUE(f.window->trackFile().readAll()[2].isBreak());
  EXPECT_FALSE(f.window->timer5Active());
  // Closing while tracking asks; a yes deletes the track file.
  f.prompter.answer(false);
  EXPECT_FALSE(f.window->close());
  EXPECT_EQ(f.prompter.lastText(), "Cancel tracking?");
  EXPECT_TRUE(QFile::exists(track));
  f.prompter.answer(true);
  EXPECT_TRUE(f.window->close());
  EXPECT_FALSE(QFile::exists(track));
  EXPECT_EQ(f.app->ini.get("Chart", "Width"), QString::number(f.window->width()));
}

TEST(ChartWindow, PrintsTheVisibleChartAsTheWindowShowsIt) {
  Fixture f;
  auto pdf = [&](const char* name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(f.dir.filePath(name));
    return printer;
  };
  const auto none = pdf("none.pdf");
  EXPECT_FALSE(f.window->printVisible(*none));
  EXPECT_FALSE(QFile::exists(none->outputFileName()));

  f.provider->zones = {ZoneItem{1, "Harbour", {{52.95, 4.05, 0}, {52.95, 4.4, 0}, {52.7, 4.4, 0}}}};
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.3, 90);
  f.window->tick();
  f.window->redrawAll();
  const QImage shown = f.window->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  auto draw = [&](QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    EXPECT_TRUE(f.window->renderVisible(p, QRectF(img.rect())));
    p.end();
    return img;
  };
  const QImage drawn = draw(shown.size());
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
  const QImage wide = draw({shown.width() * 2, shown.height()});
  const int margin = shown.width() / 2;
  EXPECT_EQ(wide.pixel(margin / 2, shown.height() / 2), qRgb(0, 0, 0));
  EXPECT_EQ(wide.pixel(wide.width() - margin / 2, shown.height() / 2), qRgb(0, 0, 0));
  EXPECT_EQ(wide.pixel(margin + 10, 10), drawn.pixel(10, 10));
  wide.save(QStringLiteral(TAVRIK_BINARY_DIR "/chart_print_page.png"));

  const auto printer = pdf("chart.pdf");
  ASSERT_TRUE(f.window->printVisible(*printer));
  QFile file(printer->outputFileName());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");
  // A page holding the chart image, not an empty page (an empty one is about 1 kB).
  EXPECT_GT(file.size(), 4000);
  file.close();
  // Poppler reads the page back: the view fills the printable width, its shape kept,
  // the canvas colour at the centre of the chart and the white margin outside it.
  QProcess pdftoppm;
  pdftoppm.start("pdftoppm", {"-r", "40", "-png", "-singlefile", printer->outputFileName(), f.dir.filePath("page")});
  ASSERT_TRUE(pdftoppm.waitForFinished(30000));
  ASSERT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
  const QImage page(f.dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  const QRect printable = printer->pageLayout().paintRectPixels(40);
  const double scale = double(printable.width()) / shown.width();
  const QPoint centre = printable.center();
  const QRgb want = shown.pixel(shown.width() / 2, shown.height() / 2), got = page.pixel(centre);
  EXPECT_LE(std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got)) + std::abs(qBlue(want) - qBlue(got)), 12);
  EXPECT_EQ(page.pixel(centre.x(), centre.y() + int(shown.height() * scale / 2) + 8), qRgb(255, 255, 255));
}

TEST(ChartWindow, PumpServesTheRequestsAndClearsThem) {
  Fixture f;
  RequestFlags& rq = f.app->requests;
  auto request = [&](bool& flag) {
    flag = true;
    f.window->pump();
  };
  f.app->activeChart = "Home sheet";
  request(rq.chartChanged);
  ASSERT_TRUE(f.window->hasChart());
  EXPECT_FALSE(rq.chartChanged);
  rq.zoomRequest = 200;
  f.window->pump();
  EXPECT_EQ(rq.zoomRequest, 0);
  EXPECT_DOUBLE_EQ(f.window->zoom(), 2.0);
  // Re-loading resets the zoom to 1.0 and then applies the previous zoom again.
  f.app->activeChart = "North sheet";
  request(rq.chartChanged);
  EXPECT_EQ(f.window->chart()->description, "North sheet");
  EXPECT_DOUBLE_EQ(f.window->zoom(), 2.0);
  // Search: the detail chart for the fix; the chart shown causes no reload.
  f.fix(51.8, 4.5);
  request(rq.searchChart);
  EXPECT_FALSE(rq.searchChart);
  EXPECT_TRUE(rq.chartChanged);
  EXPECT_EQ(f.app->activeChart, "South sheet");
  f.window->pump();
  EXPECT_EQ(f.window->chart()->description, "South sheet");
  const int loads = f.provider->loads;
  request(rq.searchChart);
  EXPECT_FALSE(rq.chartChanged);
  EXPECT_EQ(f.provider->loads, loads);
  f.fix(10, 10);
  request(rq.searchChart);
  ASSERT_FALSE(f.prompter.empty());
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
  EXPECT_EQ(f.window->chart()->description, "South sheet");
  bool* flags[] = {&rq.redrawAll,      &rq.redrawOverlays,   &rq.centreOnPosition,
                   &rq.redrawGotoLine, &rq.redrawCourseLine, &rq.nightScreenChanged,
                   &rq.shipsChanged,   &rq.radarRedraw,      &rq.drawAutomationLine};
  for (bool* flag : flags) *flag = true;
  f.window->pump();
  for (size_t i = 0; i < std::size(flags); ++i) EXPECT_FALSE(*flags[i]) << "flag " << i;
}

TEST(ChartWindow, ArrowOffTheBottomOpensTheChartToTheSouth) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.1, 4.5);
  auto press = [&](Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, modifiers);
    QApplication::sendEvent(f.window.get(), &down);
  };
  // Scrolled to the bottom: a down arrow steps to the neighbouring chart.
  f.window->setScrollValue({0, 100000});
  press();
  EXPECT_TRUE(f.app->requests.chartChanged);
  EXPECT_EQ(f.app->activeChart, "South sheet");
  // Not at the end: the arrow scrolls by 10 pixels, 100 with Ctrl.
  f.app->requests.chartChanged = false;
  f.window->setScrollValue({0, 0});
  press();
  EXPECT_EQ(f.window->scrollValue().y(), 10);
  press(Qt::ControlModifier);
  EXPECT_EQ(f.window->scrollValue().y(), 110);
  // Nothing further south: the chart stays, an information box says so.
  f.provider->sheets = {{"Home sheet", 53.0, 4.0}};
  f.window->setScrollValue({0, 100000});
  press();
  EXPECT_FALSE(f.app->requests.chartChanged);
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Information);
}

TEST(ChartWindow, KeepsTheVesselInView) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  EXPECT_EQ(f.window->scrollValue(), QPoint(0, 0));
  // The first fix after a load without fix brings the vessel into view.
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
  // Keep-in-view with the margin setting: just inside the upper quarter's limit, heading
  // north, the vessel goes to three quarters of the height.
  f.app->settings.CenterChart = false;
  f.app->settings.ViewMargin = "0.25";
  const QSize vis = f.window->visibleSize();
  f.window->setScrollValue({500, 600});
  double lat, lon;
  f.window->projection()->toLatLon(QPointF(500 + vis.width() / 2.0, 600 + 0.25 * vis.height() - 5), lat, lon);
  f.fix(lat, lon, 0);
  f.window->keepInView();
  const QPointF at = f.window->projection()->toPixel(static_cast<float>(lat), static_cast<float>(lon));
  EXPECT_NEAR(at.y() - f.window->scrollValue().y(), 0.75 * vis.height(), 1.0);
}

// The chart position under a canvas point.
std::pair<double, double> positionAt(ChartWindow& w, QPointF canvas) {
  double lat = 0, lon = 0;
  w.projection()->toLatLon(canvas + QPointF(w.scrollValue()), lat, lon);
  return {lat, lon};
}

TEST(ChartWindow, WheelAndKeysZoomAroundTheirPointAndFitShowsTheWholeChart) {
  const QPointF pointer(300, 200);
  const auto wheel = [&](int notches, Qt::KeyboardModifiers mods) {
    return [=](QWidget* c) {
      QWheelEvent e(pointer, c->mapToGlobal(pointer), {}, {0, 120 * notches}, Qt::NoButton, mods, Qt::NoScrollPhase,
                    false);
      QApplication::sendEvent(c, &e);
    };
  };
  const struct {
    const char* legend;
    std::function<void(QWidget* canvas)> send;
    double zoom;
    bool centre;  // kept point: the window centre, else the pointer; zoom 1: scrolled
  } rows[] = {
      {"wheel up at the pointer", wheel(1, Qt::NoModifier), 1.25, false},
      {"wheel down at the pointer", wheel(-1, Qt::NoModifier), 0.8, false},
      {"Ctrl+wheel scrolls", wheel(-1, Qt::ControlModifier), 1.0, false},
      {"+ at the centre", [](QWidget* c) { QTest::keyClick(c->parentWidget(), Qt::Key_Plus); }, 1.25, true},
      {"Ctrl+- at the centre",
       [](QWidget* c) { QTest::keyClick(c->parentWidget(), Qt::Key_Minus, Qt::ControlModifier); }, 0.8, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    Fixture f;
    ASSERT_TRUE(f.window->loadChart("Home sheet"));
    f.window->setScrollValue({400, 300});
    QWidget* canvas = f.window->canvas();
    const QPointF kept = r.centre ? QPointF(canvas->width() / 2.0, canvas->height() / 2.0) : pointer;
    const auto before = positionAt(*f.window, kept);
    r.send(canvas);
    EXPECT_NEAR(f.window->zoom(), r.zoom, 1e-9);
    const auto after = positionAt(*f.window, kept);
    if (r.zoom == 1.0) {
      EXPECT_EQ(f.window->scrollValue(), QPoint(400, 330)) << "one notch down scrolls 30 pixels";
      continue;
    }
    // Within a pixel of the chart (20 pixels a minute at zoom 1).
    const double pixel = 1.0 / 20 / 60 / r.zoom;
    EXPECT_NEAR(after.first, before.first, 1.5 * pixel);
    EXPECT_NEAR(after.second, before.second, 1.5 * pixel);
  }
  // Fit in window: the whole sheet, its height being the tighter side in 4:3 of a
  // window narrowed by the scroll bar.
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->applyZoom(-1);
  const QSize content = f.window->contentSize(), visible = f.window->visibleSize();
  EXPECT_LE(content.width(), visible.width());
  EXPECT_LE(content.height(), visible.height());
  EXPECT_GE(std::max(content.width() - visible.width(), content.height() - visible.height()), -1);
}

TEST(ChartWindow, LeftDragPansAndASmallJitterStaysAClick) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->setScrollValue({400, 300});
  f.app->requests.drawRoute = true;  // a click adds a point
  QWidget* c = f.window->canvas();
  QTest::mousePress(c, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(c, QPoint(101, 101));
  QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(101, 101));
  EXPECT_EQ(f.window->drawnPoints().size(), 1u);
  EXPECT_EQ(f.window->scrollValue(), QPoint(400, 300));
  QTest::mousePress(c, Qt::LeftButton, {}, QPoint(100, 100));
  for (int step = 1; step <= 4; ++step) {
    QMouseEvent move(QEvent::MouseMove, QPointF(100 + 15 * step, 100 + 10 * step),
                     c->mapToGlobal(QPointF(100 + 15 * step, 100 + 10 * step)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(c, &move);
  }
  QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(160, 140));
  EXPECT_EQ(f.window->scrollValue(), QPoint(340, 260));
  EXPECT_EQ(f.window->drawnPoints().size(), 1u) << "a drag is no click";
}

TEST(ChartWindow, VesselOffTheChartIsNamedAndNotCentredOn) {
  Fixture f;
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.fix(52.8, 4.5);
  f.window->tick();
  EXPECT_FALSE(f.window->windowTitle().contains("vessel off chart"));
  // A new zoom places the vessel at once, not a second later.
  f.window->applyZoom(200);
  ASSERT_TRUE(f.window->vesselPixel());
  EXPECT_EQ(*f.window->vesselPixel(), f.window->projection()->toPixel(f.app->nav.Latitude, f.app->nav.Longitude));
  EXPECT_FALSE(f.window->simulationStart(52.8, 4.5)) << "on the chart: start where it is";

  f.fix(40.0, 4.5);
  f.window->tick();
  EXPECT_TRUE(f.window->windowTitle().endsWith("  vessel off chart")) << f.window->windowTitle().toStdString();
  const QPoint scroll = f.window->scrollValue();
  f.app->requests.centreOnPosition = true;
  f.window->pump();
  EXPECT_EQ(f.window->scrollValue(), scroll);
  EXPECT_EQ(f.window->notice(), "Cannot centre: the vessel is off this chart");
  // The sheet is all land colour: the simulator starts in its middle.
  const std::optional<SimulationStart> start = f.window->simulationStart(40.0, 4.5);
  ASSERT_TRUE(start);
  const QPointF at = f.window->projection()->toPixel(start->latitude, start->longitude);
  const QSize content = f.window->contentSize();
  EXPECT_NEAR(at.x(), content.width() / 2.0, 2 * 200 / 160.0 * 2);
  EXPECT_NEAR(at.y(), content.height() / 2.0, 2 * 200 / 160.0 * 2);
}

TEST(ChartWindow, ClicksHitZonesInfoPointsAndDrawingModes) {
  Fixture f;
  f.provider->zones.push_back({5, "Anchorage", {{52.9, 4.1}, {52.9, 4.3}, {52.8, 4.3}, {52.8, 4.1}}});
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.window->setScrollValue({0, 0});
  auto click = [&](double lat, double lon, QPoint offset = {}) {
    f.window->pointerReleased(f.window->projection()->toPixel(lat, lon).toPoint() + offset, Qt::LeftButton, {});
  };
  click(52.85, 4.2);
  EXPECT_EQ(f.window->clickedZone(), 5);
  EXPECT_NEAR(f.window->mouseLatitude(), 52.85, 0.001);
  click(52.95, 4.2);
  EXPECT_EQ(f.window->clickedZone(), -1);
  // "Go to mouse position" hands the clicked position to the go-to request.
  QMenu* menu = f.window->contextMenu();
  menu->findChild<QAction*>("p_goto")->trigger();
  EXPECT_NEAR(f.app->requests.gotoLatitude, 52.95, 0.001);
  EXPECT_NEAR(f.app->requests.gotoLongitude, 4.2, 0.001);
  // The readouts: position and distance / bearing from the vessel.
  EXPECT_TRUE(f.window->findChild<QLabel*>("position")->text().contains("N"));
  EXPECT_TRUE(f.window->findChild<QLabel*>("direction")->text().contains(" / "));
  // An info point whose file is gone says so.
  f.window->setInfoPoints({{1, "Marina", {52.9, 4.2, 0}, "", f.dir.filePath("nowhere.txt")}}, {}, true);
  f.window->pump();
  click(52.9, 4.2, {3, 2});
  EXPECT_EQ(f.prompter.lastText(), "File not found");
  // A drawing begins where the menu was opened; each click adds a point, a repeated
  // click none; any draw command ends it (without a save window the list empties).
  menu->findChild<QAction*>("p_drawzone")->trigger();
  EXPECT_TRUE(f.app->requests.drawZone);
  for (auto [lat, lon] : {std::pair{52.9, 4.1}, {52.9, 4.3}, {52.9, 4.3}, {52.8, 4.2}}) click(lat, lon);
  ASSERT_EQ(f.window->drawnPoints().size(), 4u);
  EXPECT_NEAR(f.window->drawnPoints()[2].lon, 4.3, 0.002);
  menu->findChild<QAction*>("p_drawroute")->trigger();
  EXPECT_FALSE(f.app->requests.drawRoute || f.app->requests.drawZone);
  EXPECT_TRUE(f.window->drawnPoints().empty());
  // Without a mode a left click draws nothing.
  f.window->pointerReleased({50, 50}, Qt::LeftButton, {});
  EXPECT_TRUE(f.window->drawnPoints().empty());
  EXPECT_FALSE(f.window->renderView().isNull());
}

// The zone alarm counts the zones drawn here (the regions), Esc over the chart
// acknowledges it; the MOB line runs from the vessel to the MOB position.
TEST(ChartWindow, ZoneRegionsAlarmAndTheMobLine) {
  Fixture f;
  f.provider->zones.push_back({5, "Anchorage", {{52.9, 4.1}, {52.9, 4.3}, {52.8, 4.3}, {52.8, 4.1}}});
  ASSERT_TRUE(f.window->loadChart("Home sheet"));
  f.app->zoneAlarm.checkzone(52.85, 4.2);
  EXPECT_TRUE(f.app->zoneAlarm.alarmShowing());
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(f.window.get(), &esc);
  EXPECT_FALSE(f.app->zoneAlarm.alarmShowing());
  f.app->zoneAlarm.checkzone(52.95, 4.2);
  f.app->zoneAlarm.checkzone(52.85, 4.2);
  EXPECT_TRUE(f.app->zoneAlarm.alarmShowing());

  f.fix(52.95, 4.2);
  f.app->mob.MobLat = 52.9f;
  f.app->mob.MobLon = 4.25f;
  f.window->tick();
  const std::optional<QLineF> line = f.window->renderer().mobLine();
  ASSERT_TRUE(line);
  const ChartProjection& proj = *f.window->projection();
  EXPECT_LT(QLineF(line->p1(), proj.toPixel(52.95, 4.2)).length(), 0.5);
  EXPECT_LT(QLineF(line->p2(), proj.toPixel(52.9, 4.25)).length(), 0.5);
  f.app->mob.clear();
  f.app->requests.redrawGotoLine = true;
  f.window->pump();
  EXPECT_FALSE(f.window->renderer().mobLine());
  f.window.reset();
  EXPECT_FALSE(f.app->zoneAlarm.drawnRegionContains);
}

TEST(ChartWindow, ShipDescriptionAndProximitySound) {
  const QStringList lines =
      ShipDescription(QDateTime(QDate(2026, 5, 1), QTime(14, 30)), 5.54, 270, 12.3, 45).split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].startsWith("Last updated "));
  EXPECT_EQ(lines.mid(1),
            QStringList({"5.5 Knts", QString::fromUtf8("270.0°"), "12.3Kts", QString::fromUtf8("45°")}));
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
  test::TestApp t;
  App& app = *t;
  MainWindow main(app);
  registerChartWindows(app);
  ChartMenu chartMenu(app, main);
  main.show();
  QMenu* menu = main.menu("m_chart");
  ASSERT_NE(menu, nullptr);
  auto act = [&](const char* name) {
    QAction* a = menu->findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(a, nullptr) << name;
    if (a) a->trigger();
  };
  for (QAction* a : menu->actions())
    EXPECT_TRUE(a->isSeparator() || a->objectName().startsWith("ch_")) << a->text().toStdString();
  const std::pair<const char*, std::function<bool()>> effects[] = {
      {"ch_window", [&] { return findChartWindow(main) != nullptr; }},
      {"ch_refresh", [&] { return app.requests.redrawAll; }},
      {"ch_position", [&] { return app.requests.centreOnPosition; }},
      {"ch_search", [&] { return app.requests.searchChart; }},
      {"ch_zoom", [&] { return main.findWindow("gpszoom") != nullptr; }},
      {"ch_colors", [&] { return main.findWindow("gpscolor") != nullptr; }},
      {"ch_overview", [&] { return main.findWindow("gpstshow") != nullptr; }},
  };
  for (const auto& [name, done] : effects) {
    act(name);
    EXPECT_TRUE(done()) << name;
  }
  act("ch_info");
  EXPECT_EQ(t.prompter.lastText(), "No chart loaded");
  const size_t told = t.prompter.entries().size();
  act("ch_print");
  ASSERT_EQ(t.prompter.entries().size(), told + 1);
  EXPECT_EQ(t.prompter.lastText(), "No chart loaded");
  EXPECT_EQ(main.findChild<QWidget*>("ch_printpreview"), nullptr);
  // Night screen: the menu state, the chart's request, and a frame that goes dark and
  // comes back exactly (here, also through the automation's toggle).
  const QPalette dayPalette = main.palette();
  const QBrush dayBackground = main.mdiArea()->background();
  for (bool viaToggle : {false, true}) {
    SCOPED_TRACE(viaToggle);
    app.requests.nightScreenChanged = false;
    if (viaToggle) toggleNightScreen(main);
    else act("ch_night");
    EXPECT_TRUE(app.nightScreen);
    EXPECT_TRUE(app.requests.nightScreenChanged);
    EXPECT_TRUE(menu->findChild<QAction*>("ch_night")->isChecked());
    EXPECT_EQ(main.statusBar()->palette().color(QPalette::Window), NightWindowPalette().color(QPalette::Window));
    EXPECT_EQ(main.mdiArea()->background().color(), QColor(16, 0, 0));
    if (viaToggle) toggleNightScreen(main);
    else act("ch_night");
    EXPECT_FALSE(app.nightScreen);
    EXPECT_FALSE(menu->findChild<QAction*>("ch_night")->isChecked());
    EXPECT_EQ(main.palette(), dayPalette);
    EXPECT_FALSE(main.testAttribute(Qt::WA_SetPalette));
    EXPECT_EQ(main.mdiArea()->background(), dayBackground);
  }
  AppSettings& s = app.settings;
  const bool circles = s.ChartCircles, rulers = s.Rulers, cross = s.Crosshairs, positioning = s.system.positioning;
  for (const char* toggle : {"ch_circles", "ch_rulers", "ch_crosshairs", "ch_positioning"}) act(toggle);
  EXPECT_NE(s.ChartCircles, circles);
  EXPECT_NE(s.Rulers, rulers);
  EXPECT_NE(s.Crosshairs, cross);
  EXPECT_NE(s.system.positioning, positioning);
  app.requests.searchChart = false;
  chartMenu.startWithFolder(3, "Coast");
  EXPECT_EQ(s.system.folder, 3);
  EXPECT_EQ(app.panels[Panel::Folder], "Coast");
  EXPECT_TRUE(app.requests.searchChart);
  // Information of a chart file: a file that is no chart says why.
  QFile bad(t.dir.filePath("bad.kap"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("nothing");
  bad.close();
  chartMenu.showFileInformation(bad.fileName());
  auto* info = qobject_cast<ChartInfoWindow*>(main.findWindow("gpschartinfo"));
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->text().startsWith("Cannot load BSB chart")) << info->text().toStdString();
  // With a chart shown, printing opens the preview; without a printer it says so.
  findChartWindow(main)->setProvider(std::make_unique<FakeProvider>());
  ASSERT_TRUE(findChartWindow(main)->loadChart("Home sheet"));
  const size_t before = t.prompter.entries().size();
  act("ch_print");
  auto* dialog = main.findChild<QPrintPreviewDialog*>("ch_printpreview");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    ASSERT_EQ(t.prompter.entries().size(), before + 1);
    EXPECT_TRUE(t.prompter.lastText().startsWith("No printer is configured")) << t.prompter.lastText().toStdString();
  } else {
    EXPECT_EQ(t.prompter.entries().size(), before);
  }
  dialog->reject();
  // Show/hide: the second time hides the chart window's frame.
  act("ch_window");
  EXPECT_FALSE(findChartWindow(main)->parentWidget()->isVisible());
}

TEST(ChartMenu, ChartSetOffersItsPanelsAndOpensTheChosenOne) {
  test::TestApp t;
  App& app = *t;
  MainWindow main(app);
  registerChartWindows(app);
  ChartMenu chartMenu(app, main);
  main.show();
  ASSERT_TRUE(chartMenu.openChartFile(testDataFile("charts/12205.BSB")));
  auto* dialog = main.findChild<QInputDialog*>("ch_panels");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  const QStringList panels = dialog->comboBoxItems();
  EXPECT_EQ(panels, QStringList({"SCUPPERNONG RIVER EXTENSION (extension, 12205_7.KAP)",
                                 "PERQUIMANS RIVER EXTENSION (extension, 12205_8.KAP)",
                                 "LITTLE RIVER EXTENSION (extension, 12205_12.KAP)",
                                 "CHOWAN RIVER EXTENSION (extension, 12205_11.KAP)"}));
  dialog->setTextValue(panels.last());
  dialog->accept();
  ChartWindow* w = findChartWindow(main);
  ASSERT_TRUE(w && w->chart()) << t.prompter.lastText().toStdString();
  EXPECT_EQ(w->chart()->description, "CHOWAN RIVER EXTENSION");
  EXPECT_NEAR(w->chart()->projectionAt(1.0)->rotationDeg(), 270, 0.05);  // north to the left
  EXPECT_TRUE(w->chart()->information.endsWith("Datum used: North American 1983 (chart NAD83)"));
  // A file that is no chart set says so.
  QFile bad(t.dir.filePath("bad.bsb"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("nothing\n");
  bad.close();
  EXPECT_FALSE(chartMenu.openChartFile(bad.fileName()));
  EXPECT_EQ(t.prompter.lastText(), "Cannot load BSB chart : bad.bsb is not a BSB chart-set file (no CHT/ or panel records)");
}

TEST(ChartWindow, ClosingTheMainWindowAsksAboutTheTrackFirst) {
  test::TestApp t;
  MainWindow main(*t);
  registerChartWindows(*t);
  main.show();
  ChartWindow* chart = openChartWindow(main);
  ASSERT_NE(chart, nullptr);
  t.app->nav.Latitude = 52.5f;
  t.app->nav.Longitude = 4.5f;
  t.app->nav.FixTime = t.clock.now().time();
  chart->tick();
  ASSERT_EQ(chart->trackFile().count(), 1);
  t.prompter.answer(false);
  EXPECT_FALSE(main.close());
  EXPECT_EQ(t.prompter.lastText(), "Cancel tracking?");
  EXPECT_TRUE(QFile::exists(t.dir.filePath("$GPS.$$$")));
  t.prompter.answer(true);
  EXPECT_TRUE(main.close());
  EXPECT_FALSE(QFile::exists(t.dir.filePath("$GPS.$$$")));
  EXPECT_TRUE(t.app->ini.contains("Chart", "WindowState"));
}

// The zoom and colour dialogs; all three dialogs rendered into the build folder for a look.
TEST(ChartDialogs, ZoomStepsColoursStoreAndScreenshots) {
  test::TestApp t;
  App& app = *t;
  ZoomWindow zoom(app);
  zoom.setValue(10);
  zoom.minus();
  EXPECT_EQ(zoom.value(), 5);
  zoom.minus();  // only while above 5
  EXPECT_EQ(zoom.value(), 5);
  zoom.plus();
  EXPECT_EQ(zoom.value(), 10);
  zoom.setValue(0);
  EXPECT_FALSE(zoom.accept());
  EXPECT_EQ(t.prompter.lastText(), "No factor");
  EXPECT_EQ(app.requests.zoomRequest, 0);
  zoom.setValue(250);
  EXPECT_TRUE(zoom.accept());
  EXPECT_EQ(app.requests.zoomRequest, 250);

  ColorWindow colors(app);
  colors.setStyle(Overlay::Routes, {0x00ff00, 4});
  EXPECT_EQ(app.settings.style(Overlay::Routes).color, 255);  // not before OK
  colors.accept();
  EXPECT_EQ(app.settings.style(Overlay::Routes).color, 0x00ff00);
  EXPECT_EQ(app.settings.style(Overlay::Routes).width, 4);
  EXPECT_EQ(app.ini.getInt("Colors", "Routes", 0), 0x00ff00);
  EXPECT_EQ(app.ini.getInt("Width", "Routes", 0), 4);
  EXPECT_TRUE(app.requests.redrawAll);

  ChartInfoWindow info(app);
  info.setInformation("Demo", "Chart: Demo\nScale: 1:50000\nDatum: WGS84");
  for (auto [w, name] : {std::pair<QWidget*, const char*>{&zoom, "gpszoom"}, {&colors, "gpscolor"},
                         {&info, "gpschartinfo"}}) {
    w->show();
    EXPECT_TRUE(w->grab().save(QStringLiteral(TAVRIK_BINARY_DIR "/%1.png").arg(QLatin1String(name))));
  }
}

}  // namespace
}  // namespace tavrik
