#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "chart/ui/chart_window.h"
#include "core/messages.h"
#include "edit/route_store.h"
#include "edit/ui/drawn_save_windows.h"
#include "edit/ui/edit_windows.h"
#include "edit/ui/mark_windows.h"
#include "edit/ui/track_windows.h"
#include "store/schema.h"
#include "test_data.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

struct EditFixture : test::TestApp {
  EditFixture() {
    EXPECT_TRUE(createMainDatabase(app->db, paths.file(QStringLiteral("gps.db")), clock.now()).ok());
    registerEditWindows(*app);
    // Windows opened by name are made as the main window would, without its frames.
    app->windows.open = [this](const QString& name) {
      QWidget* w = app->windows.create(name, *app);
      if (w) w->show();
      opened.push_back(w);
      return w;
    };
  }
  ChartWindow& chart() {
    window = std::make_unique<ChartWindow>(*app);
    window->resize(900, 700);
    window->show();
    return *window;
  }
  long count(const QString& sql) { return static_cast<long>(app->db.scalar(sql).toLongLong()); }
  std::unique_ptr<ChartWindow> window;
  std::vector<QPointer<QWidget>> opened;
};

// Right-clicks at a canvas point and runs a pop-up entry there, as the user does.
void PopupCommand(ChartWindow& w, QPoint at, const char* action) {
  QTest::mouseMove(w.canvas(), at);
  QTest::mouseClick(w.canvas(), Qt::RightButton, {}, at);
  w.contextMenu()->hide();
  w.contextMenu()->findChild<QAction*>(QLatin1String(action))->trigger();
}

TEST(ChartDrawing, RouteAndZoneDrawnWithTheMouseAreStored) {
  EditFixture f;
  ChartWindow& w = f.chart();
  ASSERT_TRUE(w.loadChartFile(testDataFile(QStringLiteral("charts/11361_2.KAP"))));
  const QPoint clicks[] = {{150, 150}, {400, 180}, {420, 420}, {200, 380}};
  std::vector<std::pair<double, double>> expected;
  for (QPoint c : clicks) {
    double lat, lon;
    w.projection()->toLatLon(QPointF(c + w.scrollValue()), lat, lon);
    expected.emplace_back(lat, lon);
  }
  // Route: begins where the menu opened, each click a point (a repeated one none), and
  // ends with the position where the menu is opened again.
  PopupCommand(w, clicks[0], "p_drawroute");
  EXPECT_TRUE(f.app->requests.drawRoute);
  QTest::mouseClick(w.canvas(), Qt::LeftButton, {}, clicks[1]);
  QTest::mouseClick(w.canvas(), Qt::LeftButton, {}, clicks[1]);
  QTest::mouseClick(w.canvas(), Qt::LeftButton, {}, clicks[2]);
  if (qEnvironmentVariableIsSet("TAVRIK_SHOTS")) w.renderView().save(qEnvironmentVariable("TAVRIK_SHOTS") + "/route.png");
  PopupCommand(w, clicks[3], "p_drawroute");
  EXPECT_FALSE(f.app->requests.drawRoute);
  auto* save = w.findChild<DrawnSaveWindow*>();
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->objectName(), "gpscroute");
  EXPECT_FALSE(save->store());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::DescriptionMustHaveValue));
  save->nameField()->setText(QStringLiteral("Harbour"));
  QTest::mouseClick(save->findChild<QPushButton*>("OK"), Qt::LeftButton);
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.drawnPoints().empty());
  EXPECT_TRUE(f.app->edit.drawnPoints.empty());
  const long route = static_cast<long>(f.app->db.scalar("SELECT route FROM Routes WHERE description = 'Harbour'").toLongLong());
  EXPECT_EQ(f.app->steering.selectedRoute, route);
  const auto rows = f.app->db.rows(RouteWaypointsQuery(route));
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(rows[i][1].toString(), QStringLiteral("Harbour ") + QString::number(i + 1));
    EXPECT_NEAR(rows[i][2].toDouble(), expected[i].first, 1e-4);
    EXPECT_NEAR(rows[i][3].toDouble(), expected[i].second, 1e-4);
  }

  // Zone: a name in use is refused and nothing is written; cancelling clears the list.
  ASSERT_TRUE(f.app->db.execute("INSERT INTO Zones (Name) VALUES ('Rocks')").ok());
  PopupCommand(w, clicks[0], "p_drawzone");
  for (int i = 1; i < 4; ++i) QTest::mouseClick(w.canvas(), Qt::LeftButton, {}, clicks[i]);
  if (qEnvironmentVariableIsSet("TAVRIK_SHOTS")) w.renderView().save(qEnvironmentVariable("TAVRIK_SHOTS") + "/zone.png");
  PopupCommand(w, clicks[3], "p_drawtrack");
  save = w.findChild<DrawnSaveWindow*>();
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->objectName(), "gpszone");
  EXPECT_EQ(f.app->edit.drawnPoints.size(), 4u);
  save->nameField()->setText(QStringLiteral("rocks"));
  EXPECT_FALSE(save->store());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::NameExists));
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM [Zone points]"), 0);
  save->nameField()->setText(QStringLiteral("Shoal"));
  ASSERT_TRUE(save->store());
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM [Zone points] WHERE Zone = (SELECT zone FROM Zones WHERE Name = 'Shoal')"), 4);
  save->reject();
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.drawnPoints().empty());
  EXPECT_FALSE(f.app->requests.drawTrack) << "ending a drawing does not start another";
}

TEST(MarkWindows, AveragingMarkEditMoveAndDelete) {
  EditFixture f;
  f.app->nav.Latitude = 52.37f;
  f.app->nav.Longitude = 4.89f;
  // Opened for the current position: averaging is offered; the mean is stored exactly.
  auto* mark = qobject_cast<MarkWindow*>(f.app->windows.open(QStringLiteral("gpsmark")));
  ASSERT_NE(mark, nullptr);
  EXPECT_TRUE(mark->averageButton()->isVisible());
  mark->form()->description()->clear();
  mark->startAveraging();
  EXPECT_FALSE(mark->averaging());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::DescriptionMustHaveValue));
  mark->form()->description()->setText(QStringLiteral("Anchorage"));
  mark->startAveraging();
  ASSERT_TRUE(mark->averaging());
  const float lats[] = {52.37001f, 52.36998f, 52.37004f}, lons[] = {4.89002f, 4.88999f, 4.89f};
  double sumLat = 0, sumLon = 0;
  for (int i = 0; i < 3; ++i) {
    f.app->nav.Latitude = lats[i];
    f.app->nav.Longitude = lons[i];
    mark->tick();
    sumLat += lats[i];
    sumLon += lons[i];
  }
  long marked = 0;
  f.app->edit.waypointMarked = [&](long key, double, double, const QString&) { marked = key; };
  ASSERT_TRUE(mark->store());
  const auto row = f.app->db.rows("SELECT Waypoint, latitude, longitude FROM Waypoints WHERE description = 'Anchorage'");
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(row[0][0].toLongLong(), marked);
  EXPECT_EQ(static_cast<float>(row[0][1].toDouble()), static_cast<float>(sumLat / 3));
  EXPECT_EQ(static_cast<float>(row[0][2].toDouble()), static_cast<float>(sumLon / 3));
  delete mark;

  // A given position (the chart's pop-up) is marked as it is, without averaging.
  f.app->edit.markLatitude = 51.5f;
  f.app->edit.markLongitude = -1.25f;
  mark = qobject_cast<MarkWindow*>(f.app->windows.open(QStringLiteral("gpsmark")));
  EXPECT_FALSE(mark->averageButton()->isVisible());
  mark->form()->description()->setText(QStringLiteral("anchorage"));
  EXPECT_FALSE(mark->store());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::WaypointExists));
  mark->form()->description()->setText(QStringLiteral("Buoy"));
  mark->form()->proximity()->setText(QStringLiteral("0.5"));
  mark->form()->approachable()->setChecked(true);
  EXPECT_FALSE(mark->store());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::ProximityNotApproachable));
  mark->form()->approachable()->setChecked(false);
  ASSERT_TRUE(mark->store());
  delete mark;
  const long buoy = static_cast<long>(f.app->db.scalar("SELECT Waypoint FROM Waypoints WHERE description = 'Buoy'").toLongLong());
  EXPECT_EQ(f.app->db.scalar("SELECT latitude FROM Waypoints WHERE Waypoint = ?", {static_cast<qlonglong>(buoy)}).toDouble(), 51.5);

  // Edit: "&Move" makes the chart's next click the new position.
  ChartWindow& w = f.chart();
  ASSERT_TRUE(w.loadChartFile(testDataFile(QStringLiteral("charts/11361_2.KAP"))));
  f.app->edit.editWaypoint = buoy;
  auto* edit = qobject_cast<EditWaypointWindow*>(f.app->windows.open(QStringLiteral("gpsewp")));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->form()->description()->text(), "Buoy");
  EXPECT_EQ(edit->form()->proximity()->text(), ".5");
  edit->form()->description()->setText(QStringLiteral("Fairway buoy"));
  ASSERT_TRUE(edit->store());
  edit->moveOnChart();
  EXPECT_TRUE(f.app->requests.moveWaypoint);
  QTest::mouseClick(w.canvas(), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_FALSE(f.app->requests.moveWaypoint);
  const auto moved = f.app->db.rows("SELECT description, latitude, longitude FROM Waypoints WHERE Waypoint = ?",
                                    {static_cast<qlonglong>(buoy)});
  EXPECT_EQ(moved[0][0].toString(), "Fairway buoy");
  EXPECT_NEAR(moved[0][1].toDouble(), w.mouseLatitude(), 1e-9);
  EXPECT_NEAR(moved[0][2].toDouble(), w.mouseLongitude(), 1e-9);
  edit = qobject_cast<EditWaypointWindow*>(f.app->windows.open(QStringLiteral("gpsewp")));
  edit->remove();
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM Waypoints"), 1);
}

TEST(TrackWindows, KeepOfferedAfterACrashSaveLoadDeleteAndToRoute) {
  EditFixture f;
  // A track file left behind by a run that ended abruptly.
  {
    TrackFile left;
    ASSERT_TRUE(left.open(f.paths.file(QStringLiteral("$GPS.$$$"))));
    for (int i = 0; i < 30; ++i) left.append(f.clock.now().addSecs(i), 52.0f + i * 0.001f, 4.0f + (i % 7) * 0.002f);
  }
  f.prompter.answer(true);
  ChartWindow& w = f.chart();
  EXPECT_EQ(f.prompter.lastText(), kKeepLastTrackQuestion);
  EXPECT_EQ(w.trackFile().count(), 30);

  auto* save = qobject_cast<TrackWindow*>(f.app->windows.open(QStringLiteral("gpstrack")));
  ASSERT_NE(save, nullptr);
  EXPECT_FALSE(save->accept());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::NoDescriptionEntered));
  save->nameField()->setText(QStringLiteral("Morning"));
  ASSERT_TRUE(save->accept());
  EXPECT_FALSE(save->accept());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::TrackAlreadyExists));
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM [Track data]"), 30);

  save->setMode(TrackWindow::Mode::Load);
  save->nameField()->setText(QStringLiteral("Evening"));
  EXPECT_FALSE(save->accept());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::TrackfileDoesNotExist));
  save->nameField()->setText(QStringLiteral("Morning"));
  ASSERT_TRUE(save->accept());
  EXPECT_EQ(w.trackFile().count(), 60) << "loaded points are appended";

  auto* trrt = qobject_cast<TrackToRouteWindow*>(f.app->windows.open(QStringLiteral("gpstrrt")));
  ASSERT_NE(trrt, nullptr);
  EXPECT_FALSE(trrt->createRoute());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::NoTrackfileSelected));
  trrt->list()->setCurrentRow(0);
  trrt->routeName()->setText(QStringLiteral("Home"));
  trrt->maximum()->setText(QStringLiteral("many"));
  EXPECT_FALSE(trrt->createRoute());
  EXPECT_EQ(f.prompter.lastText(), MessageText(Msg::NoMaximum));
  trrt->maximum()->setText(QStringLiteral("5"));
  trrt->numberOfPoints()->setChecked(true);
  ASSERT_TRUE(trrt->createRoute());
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM [Route points]"), 5);

  save->setMode(TrackWindow::Mode::Delete);
  save->list()->setCurrentRow(0);
  f.prompter.answer(true);
  ASSERT_TRUE(save->accept());
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM Tracks"), 0);
  EXPECT_EQ(f.count("SELECT COUNT(*) FROM [Track data]"), 0);
  delete trrt;
  delete save;

  // Declining the offer starts empty.
  f.window.reset();
  {
    TrackFile left;
    ASSERT_TRUE(left.open(f.paths.file(QStringLiteral("$GPS.$$$"))));
    left.append(f.clock.now(), 52.0f, 4.0f);
  }
  f.prompter.answer(false);
  EXPECT_EQ(f.chart().trackFile().count(), 0);
}

}  // namespace
}  // namespace tavrik
