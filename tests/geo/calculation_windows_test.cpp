// The calculation and conversion windows, the menus that open the geo windows, and
// pictures of them all.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>

#include "core/number_format.h"
#include "geo/datum.h"
#include "geo/datum_catalogue.h"
#include "geo/ui/position_control.h"
#include "geo_windows_fixture.h"

namespace tavrik {
namespace {

using CalculationWindows = test::GeoWindows;
using test::enter;

TEST_F(CalculationWindows, MenusOpenEveryWindow) {
  const struct {
    const char *menu, *action, *window, *title;  // title nullptr: not checked
  } rows[] = {{"m_setup", "s_datums", "gpsdatum", nullptr},
              {"m_setup", "s_ellipsoids", "gpselips", nullptr},
              {"m_calc", "calc_mercator", "gpscalc", "Mercator calculations"},
              {"m_calc", "calc_greatcircle", "gpsgcalc", "Great circle calculations"},
              {"m_calc", "calc_datum", "gpsdconv", "Datum conversion"},
              {"m_calc", "calc_grid", "gpsgrid", "Grid conversion"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.action);
    QMenu* menu = m_window->menu(QLatin1String(r.menu));
    ASSERT_NE(menu, nullptr);
    QAction* a = nullptr;
    for (QAction* x : menu->actions())
      if (x->objectName() == QLatin1String(r.action)) a = x;
    ASSERT_NE(a, nullptr);
    a->trigger();
    QWidget* w = find(r.window);
    ASSERT_NE(w, nullptr);
    if (r.title) { EXPECT_EQ(w->windowTitle(), QLatin1String(r.title)); }
  }
}

TEST_F(CalculationWindows, MercatorCourseDistanceAndEndPosition) {
  QWidget* w = open("gpscalc");
  auto* p1 = child<PositionControl>(w, "Position1");
  auto* p2 = child<PositionControl>(w, "Position2");
  p1->setPosition(52, 4);
  p2->setPosition(52, 5);
  click(w, "Command1");
  EXPECT_EQ(box(w, "course")->text(), "90.0");
  EXPECT_EQ(box(w, "distance")->text(), "36.9");  // CosDeg(52) x 60

  // 60 nm east from 60 N: two degrees of longitude.
  p1->setPosition(60, 0);
  enter(box(w, "course"), "90");
  enter(box(w, "distance"), "60");
  click(w, "Command2");
  EXPECT_NEAR(p2->latitude(), 60, 1e-9);
  EXPECT_NEAR(p2->longitude(), 2, 1e-4);
  EXPECT_EQ(p2->position(), QString::fromUtf8("60° 0.000' N / 2° 0.000' E"));  // Decimals "3"

  enter(box(w, "course"), "360");
  click(w, "Command2");
  ASSERT_FALSE(m_t.prompter.empty());
  EXPECT_EQ(m_t.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(m_t.prompter.lastText(), "Course must be less 360");
  EXPECT_NEAR(p2->longitude(), 2, 1e-4);  // unchanged

  // Any text: a non-numeric course counts as 0 (due north).
  enter(box(w, "course"), "north");
  click(w, "Command2");
  EXPECT_NEAR(p2->latitude(), 61, 1e-4);
  EXPECT_NEAR(p2->longitude(), 0, 1e-9);
}

TEST_F(CalculationWindows, CourseAndMagneticCourseFollowEachOther) {
  app().settings.compass.UserVariation = -2;  // 2 degrees west, no deviation
  QWidget* w = open("gpscalc");
  auto* course = box(w, "course");
  auto* courseM = box(w, "course_m");
  enter(course, "100");
  EXPECT_EQ(courseM->text(), formatNumber(app().settings.compass.ToMagnetic(100, 0), u"#0.0"));
  EXPECT_EQ(courseM->text(), "102.0");
  enter(courseM, "50");
  EXPECT_EQ(course->text(), "48.0");
  enter(courseM, "x");
  EXPECT_EQ(course->text(), formatNumber(app().settings.compass.ToTrue(0, 0), u"#0.0"));
}

TEST_F(CalculationWindows, WaypointListsFillThePositions) {
  ASSERT_TRUE(app().db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude) VALUES "
                                              "('Harlingen', 53.175, 5.41), ('IJmuiden', 52.4633, 4.555)")).ok());
  QWidget* w = open("gpscalc");
  auto* list1 = child<QComboBox>(w, "wplist1");
  ASSERT_EQ(list1->count(), 2);
  EXPECT_EQ(list1->itemText(0), "Harlingen");
  list1->setCurrentIndex(1);
  emit list1->activated(1);
  EXPECT_NEAR(child<PositionControl>(w, "Position1")->latitude(), 52.4633, 1e-9);
  auto* list2 = child<QComboBox>(w, "wplist2");
  list2->setCurrentIndex(0);
  emit list2->activated(0);
  EXPECT_NEAR(child<PositionControl>(w, "Position2")->longitude(), 5.41, 1e-9);
  enter(box(w, "course"), "0");
  enter(box(w, "distance"), "1");
  click(w, "Command2");
  EXPECT_EQ(list2->currentIndex(), -1);  // the end position is no longer the waypoint
}

TEST_F(CalculationWindows, GreatCircleRoutePointsList) {
  QWidget* w = open("gpsgcalc");
  auto* list = child<QListWidget>(w, "List1");
  child<PositionControl>(w, "Position1")->setPosition(0, 0);
  child<PositionControl>(w, "Position2")->setPosition(0, 10);
  enter(box(w, "dr"), "abc");
  click(w, "Command1");
  EXPECT_EQ(m_t.prompter.lastText(), "Interval cannot be zero");
  EXPECT_EQ(list->count(), 0);

  enter(box(w, "dr"), "1000");  // more than the whole way: the two ends
  click(w, "Command1");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("0° 0.000' N / 0° 0.000' E"));
  EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("0° 0.000' N / 10° 0.000' E"));
  EXPECT_EQ(child<QLabel>(w, "Label1")->text(), "90.0");
  EXPECT_EQ(child<QLabel>(w, "Label3")->text(), "600.3");  // the rounded ArcSin of the haversine

  enter(box(w, "dr"), "100");
  click(w, "Command1");
  ASSERT_EQ(list->count(), 7);  // the start, a point every 100 nm, the end
  EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("0° 0.000' N / 1° 40.000' E"));
}

TEST_F(CalculationWindows, GridConversionShowsEveryNotation) {
  auto* w = qobject_cast<GridConversionWindow*>(open("gpsgrid"));
  ASSERT_NE(w, nullptr);
  w->setEntryGrid(2);
  auto* entry = child<PositionControl>(w, "Position1");
  EXPECT_EQ(entry->grid(), 2);
  enter(entry->field("ZONE"), "30");
  enter(entry->field("ZONEDES"), "U");
  enter(entry->field("UTMX"), "603000");
  enter(entry->field("UTMY"), "5640000");
  EXPECT_EQ(w->resultText(2), "30 U 603000 x 5640000");
  EXPECT_TRUE(w->resultText(4).startsWith("SU ")) << qPrintable(w->resultText(4));
  EXPECT_TRUE(w->resultText(0).contains("' N / ")) << qPrintable(w->resultText(0));
  EXPECT_EQ(m_t.sound.beeps, 0);
  w->setEntryGrid(4);
  EXPECT_EQ(entry->field("NGRSQ")->text(), w->resultText(4).left(2));
}

TEST_F(CalculationWindows, DatumConversionConvertsTheEnteredPositionAndHeight) {
  QWidget* w = open("gpsdconv");
  auto* datum1 = child<QComboBox>(w, "datum1");
  auto* datum2 = child<QComboBox>(w, "datum2");
  auto* p1 = child<PositionControl>(w, "Position1");
  auto* p2 = child<PositionControl>(w, "Position2");
  auto* h1 = box(w, "height1");
  auto* h2 = box(w, "height2");
  ASSERT_TRUE(datum1 && datum2 && p1 && p2 && h1 && h2);
  EXPECT_EQ(datum1->findText(QStringLiteral("Default")), -1) << "the built-in row is not offered";
  const struct {
    const char* legend;
    int from, to;
    double lat, lon;
    const char* height;
    double heightValue;  // what the height text counts as
  } rows[] = {
      {"OSGB36 to WGS-84 at 45 m", 27, kWgs84Datum, 51.5, -0.1, "45", 45},
      {"height not a number counts as 0", 40, kWgs84Datum, 35.6, 139.8, "abc", 0},
      {"same datum: unchanged", 12, 12, 52.0, 4.0, "12.5", 12.5},
  };
  const CatalogueDatumLookup catalogue;  // the database was seeded from it
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    datum1->setCurrentIndex(datum1->findData(r.from));
    datum2->setCurrentIndex(datum2->findData(r.to));
    p1->setPosition(r.lat, r.lon);
    h1->setText(QLatin1String(r.height));
    click(w, "Command1");
    CalcRecord c{.Lat1 = r.lat, .Lon1 = r.lon, .Height1 = r.heightValue, .Datum1 = r.from, .Datum2 = r.to};
    DatumConvert(c, catalogue);
    EXPECT_EQ(p2->latitude(), c.Lat2);
    EXPECT_EQ(p2->longitude(), c.Lon2);
    EXPECT_EQ(h2->text(), formatNumber(c.Height2, u"0.0"));
  }
}

TEST_F(CalculationWindows, Screenshots) {
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  m_window->resize(1200, 800);
  QWidget* calc = open("gpscalc");
  child<PositionControl>(calc, "Position2")->setPosition(53.175, 5.41);
  click(calc, "Command1");
  QWidget* gc = open("gpsgcalc");
  child<PositionControl>(gc, "Position1")->setPosition(50.1, -5.7);
  child<PositionControl>(gc, "Position2")->setPosition(40.5, -73.9);
  enter(box(gc, "dr"), "500");
  click(gc, "Command1");
  qobject_cast<GridConversionWindow*>(open("gpsgrid"))->setPosition(50.9, -1.4);
  QWidget* conversion = open("gpsdconv");
  auto* datum1 = child<QComboBox>(conversion, "datum1");
  datum1->setCurrentIndex(datum1->findData(12));
  child<PositionControl>(conversion, "Position1")->setPosition(52.37, 4.9);
  click(conversion, "Command1");
  press("gpsdatum", "Ireland 1965", "cmdEdit");
  press("gpselips", "Bessel 1841", "cmdEdit");
  for (const char* name : {"gpscalc", "gpsgcalc", "gpsgrid", "gpsdconv", "gpsdatum", "gpsedatum", "gpselips", "gpseelips"}) {
    QWidget* w = find(name);
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->grab().save(dir + '/' + QLatin1String(name) + ".png"));
  }
  m_window->mdiArea()->tileSubWindows();
  EXPECT_TRUE(m_window->grab().save(dir + "/geo_windows_frame.png"));
}

}  // namespace
}  // namespace tavrik
