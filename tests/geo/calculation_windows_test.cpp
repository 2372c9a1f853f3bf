// The calculation and conversion windows in the main window's frame over a real
// database file made as at first start.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "core/messages.h"
#include "core/number_format.h"
#include "core/ui/main_window.h"
#include "geo/datum.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/datum_windows.h"
#include "geo/ui/position_control.h"
#include "store/schema.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

class CalculationWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    App& app = *m_t;
    ASSERT_TRUE(createMainDatabase(app.db, m_t.paths.file(QStringLiteral("gps.db")), m_t.clock.now()).ok());
    ASSERT_TRUE(app.db.execute(QStringLiteral("INSERT INTO Waypoints (description, latitude, longitude) VALUES "
                                              "('Harlingen', 53.175, 5.41), ('IJmuiden', 52.4633, 4.555)"))
                    .ok());
    app.settings.system.grid = 0;
    m_window = std::make_unique<MainWindow>(app);
    registerGridWindows(app);
    registerDatumWindows(app);
    addCalculationMenu(*m_window);
    m_window->show();
  }
  void TearDown() override { m_window.reset(); }

  App& app() { return *m_t; }
  QWidget* open(const char* name) { return m_window->openWindow(QLatin1String(name)); }
  template <typename T>
  T* child(QWidget* w, const char* name) {
    T* c = w ? w->findChild<T*>(QLatin1String(name)) : nullptr;
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  void click(QWidget* w, const char* name) {
    if (auto* b = child<QPushButton>(w, name)) b->click();
  }
  void typeInto(QLineEdit* e, const QString& text) {
    e->selectAll();
    QTest::keyClicks(e, text);
  }

  test::TestApp m_t;
  std::unique_ptr<MainWindow> m_window;
};

TEST_F(CalculationWindows, MenuOpensEveryWindow) {
  QMenu* menu = m_window->findChild<QMenu*>(QStringLiteral("m_calc"));
  ASSERT_NE(menu, nullptr);
  const struct {
    const char* action;
    const char* window;
    const char* title;
  } rows[] = {{"calc_mercator", "gpscalc", "Mercator calculations"},
              {"calc_greatcircle", "gpsgcalc", "Great circle calculations"},
              {"calc_datum", "gpsdconv", "Datum conversion"},
              {"calc_grid", "gpsgrid", "Grid conversion"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.action);
    QAction* a = menu->findChild<QAction*>(QLatin1String(r.action));
    if (!a)
      for (QAction* x : menu->actions())
        if (x->objectName() == QLatin1String(r.action)) a = x;
    ASSERT_NE(a, nullptr);
    a->trigger();
    QWidget* w = m_window->findWindow(QLatin1String(r.window));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QLatin1String(r.title));
  }
}

TEST_F(CalculationWindows, MercatorCourseDistanceAndEndPosition) {
  QWidget* w = open("gpscalc");
  auto* p1 = child<PositionControl>(w, "Position1");
  auto* p2 = child<PositionControl>(w, "Position2");
  p1->setPosition(52, 4);
  p2->setPosition(52, 5);
  click(w, "Command1");
  EXPECT_EQ(child<QLineEdit>(w, "course")->text(), "90.0");
  EXPECT_EQ(child<QLineEdit>(w, "distance")->text(), "36.9");  // CosDeg(52) x 60

  // 60 nm east from 60 N: two degrees of longitude.
  p1->setPosition(60, 0);
  typeInto(child<QLineEdit>(w, "course"), "90");
  typeInto(child<QLineEdit>(w, "distance"), "60");
  click(w, "Command2");
  EXPECT_NEAR(p2->latitude(), 60, 1e-9);
  EXPECT_NEAR(p2->longitude(), 2, 1e-4);
  EXPECT_EQ(p2->position(), QString::fromUtf8("60° 0.000' N / 2° 0.000' E"));  // Decimals "3"

  typeInto(child<QLineEdit>(w, "course"), "360");
  click(w, "Command2");
  ASSERT_FALSE(m_t.prompter.empty());
  EXPECT_EQ(m_t.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(m_t.prompter.lastText(), "Course must be less 360");
  EXPECT_NEAR(p2->longitude(), 2, 1e-4);  // unchanged

  // Any text: a non-numeric course counts as 0 (due north).
  typeInto(child<QLineEdit>(w, "course"), "north");
  typeInto(child<QLineEdit>(w, "distance"), "60");
  click(w, "Command2");
  EXPECT_NEAR(p2->latitude(), 61, 1e-4);
  EXPECT_NEAR(p2->longitude(), 0, 1e-9);
}

TEST_F(CalculationWindows, CourseAndMagneticCourseFollowEachOther) {
  app().settings.compass.UserVariation = -2;  // 2 degrees west, no deviation
  QWidget* w = open("gpscalc");
  auto* course = child<QLineEdit>(w, "course");
  auto* courseM = child<QLineEdit>(w, "course_m");
  typeInto(course, "100");
  EXPECT_EQ(courseM->text(), formatNumber(app().settings.compass.ToMagnetic(100, 0), u"#0.0"));
  EXPECT_EQ(courseM->text(), "102.0");
  typeInto(courseM, "50");
  EXPECT_EQ(course->text(), "48.0");
  typeInto(courseM, "x");
  EXPECT_EQ(course->text(), formatNumber(app().settings.compass.ToTrue(0, 0), u"#0.0"));
}

TEST_F(CalculationWindows, WaypointListsFillThePositions) {
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
  typeInto(child<QLineEdit>(w, "course"), "0");
  typeInto(child<QLineEdit>(w, "distance"), "1");
  click(w, "Command2");
  EXPECT_EQ(list2->currentIndex(), -1);  // the end position is no longer the waypoint
}

TEST_F(CalculationWindows, GreatCircleRoutePointsList) {
  QWidget* w = open("gpsgcalc");
  auto* p1 = child<PositionControl>(w, "Position1");
  auto* p2 = child<PositionControl>(w, "Position2");
  auto* list = child<QListWidget>(w, "List1");
  p1->setPosition(0, 0);
  p2->setPosition(0, 10);
  typeInto(child<QLineEdit>(w, "dr"), "abc");
  click(w, "Command1");
  EXPECT_EQ(m_t.prompter.lastText(), "Interval cannot be zero");
  EXPECT_EQ(list->count(), 0);

  typeInto(child<QLineEdit>(w, "dr"), "1000");  // more than the whole way: the two ends
  click(w, "Command1");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("0° 0.000' N / 0° 0.000' E"));
  EXPECT_EQ(list->item(1)->text(), QString::fromUtf8("0° 0.000' N / 10° 0.000' E"));
  EXPECT_EQ(child<QLabel>(w, "Label1")->text(), "90.0");
  EXPECT_EQ(child<QLabel>(w, "Label3")->text(), "600.3");  // the rounded ArcSin of the haversine

  typeInto(child<QLineEdit>(w, "dr"), "100");
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
  auto set = [&](const char* tag, const char* text) {
    QLineEdit* e = entry->field(QLatin1String(tag));
    e->clear();
    e->setModified(true);
    e->insert(QLatin1String(text));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(e, &out);
  };
  set("ZONE", "30");
  set("ZONEDES", "U");
  set("UTMX", "603000");
  set("UTMY", "5640000");
  EXPECT_EQ(w->resultText(2), "30 U 603000 x 5640000");
  EXPECT_TRUE(w->resultText(4).startsWith("SU ")) << qPrintable(w->resultText(4));
  EXPECT_TRUE(w->resultText(0).contains("' N / ")) << qPrintable(w->resultText(0));
  EXPECT_EQ(m_t.sound.beeps, 0);
  w->setEntryGrid(4);
  EXPECT_EQ(entry->field("NGRSQ")->text(), w->resultText(4).left(2));
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
  typeInto(child<QLineEdit>(gc, "dr"), "500");
  click(gc, "Command1");
  auto* grid = qobject_cast<GridConversionWindow*>(open("gpsgrid"));
  grid->setPosition(50.9, -1.4);
  for (const char* name : {"gpscalc", "gpsgcalc", "gpsgrid"}) {
    QWidget* w = m_window->findWindow(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->grab().save(dir + '/' + QLatin1String(name) + ".png"));
  }
  m_window->mdiArea()->tileSubWindows();
  EXPECT_TRUE(m_window->grab().save(dir + "/calculation_windows_frame.png"));
}

}  // namespace
}  // namespace tavrik
