#include "core/ui/main_window.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/messages.h"
#include "core/toolbar_layout.h"
#include "core/units.h"
#include "core/ui/pc_time_window.h"
#include "core/ui/window_placement.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

using test::TestApp;

// What a click can change: windows opened or shown, requests raised, toggles flipped.
QString state(MainWindow& w, App& a) {
  int visible = 0;
  for (QMdiSubWindow* s : w.mdiArea()->subWindowList()) visible += s->isVisible() ? 1 : 0;
  const RequestFlags& r = a.requests;
  return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
      .arg(w.mdiArea()->subWindowList().size()).arg(visible).arg(a.settings.ChartCircles)
      .arg(a.settings.system.positioning).arg(r.centreOnPosition).arg(r.redrawAll).arg(r.searchChart)
      .arg(r.redrawOverlays).arg(r.shipsChanged);
}

TEST(MainWindow, IsTheMdiFrameNamedGpsAndOpensWindowsOnceByName) {
  TestApp t;
  MainWindow w(*t);
  w.show();
  EXPECT_EQ(w.objectName(), "gps");
  ASSERT_NE(w.mdiArea(), nullptr);
  EXPECT_EQ(w.centralWidget(), w.mdiArea());
  EXPECT_TRUE(t.prompter.empty());  // nothing to complain about in an empty home
  const QImage shot = w.grab().toImage();
  EXPECT_GT(shot.width(), 100);
  EXPECT_GT(shot.height(), 100);

  int created = 0;
  t.app->windows.add("testwin", [&](App&) {
    ++created;
    auto* widget = new QWidget;
    widget->setWindowTitle("Test window");
    return widget;
  });
  EXPECT_EQ(t.app->windows.open("nosuchwindow"), nullptr);
  QWidget* first = t.app->windows.open("testwin");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->objectName(), "testwin");
  EXPECT_EQ(w.findWindow("testwin"), first);
  EXPECT_EQ(t.app->windows.open("testwin"), first);  // brought forward, not made again
  EXPECT_EQ(created, 1);
  ASSERT_EQ(w.mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(w.mdiArea()->subWindowList().first()->windowTitle(), "Test window");
}

// Every command of the menu bar has an object name, so that tests, the automation
// interface and the toolbar can find it. A submenu is named by its menu; separators
// are no commands.
TEST(MainWindow, EveryMenuActionHasAnObjectName) {
  TestApp t;
  MainWindow w(*t);
  int commands = 0;
  std::function<void(const QList<QAction*>&, const QString&)> walk = [&](const QList<QAction*>& actions,
                                                                         const QString& path) {
    for (QAction* a : actions) {
      if (a->isSeparator()) continue;
      const QString where = path + " > " + a->text();
      if (QMenu* sub = a->menu()) {
        EXPECT_FALSE(sub->objectName().isEmpty()) << "menu without object name: " << where.toStdString();
        walk(sub->actions(), where);
      } else {
        ++commands;
        EXPECT_FALSE(a->objectName().isEmpty()) << "action without object name: " << where.toStdString();
      }
    }
  };
  walk(w.menuBar()->actions(), "menu bar");
  EXPECT_GT(commands, 0);
  EXPECT_NE(w.menu("m_file"), nullptr);
}

// The status panels follow the App's texts and the "Statusbar" settings (panels 7..13
// hidden by default).
TEST(MainWindow, StatusPanelsFollowTextsAndSettings) {
  TestApp t;
  MainWindow w(*t);
  w.show();
  t.app->panels.text[static_cast<int>(Panel::Speed)] = "6.2 Kts";
  w.refreshStatusBar();
  EXPECT_EQ(w.panel(Panel::Speed)->text(), "6.2 Kts");
  for (int i = 0; i < kPanelCount; ++i) {
    SCOPED_TRACE(kPanelKeys[i]);
    QLabel* label = w.panel(static_cast<Panel>(i));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->objectName(), QLatin1String(kPanelKeys[i]));
    EXPECT_EQ(label->isVisible(), i + 1 < 7 || i + 1 > 13);
  }
  t.app->settings.StatusbarVisible[7] = true;
  w.refreshStatusBar();
  EXPECT_TRUE(w.panel(static_cast<Panel>(7))->isVisible());
}

TEST(MainWindowToolbar, EveryButtonHasAKeyAndAnEffectOnceItsCommandExists) {
  TestApp t;
  App& app = *t;
  // Stand-in windows for every button that opens one, and for the chart window that
  // serves the chart requests.
  for (const ToolbarButton& b : toolbarButtons())
    if (b.window && QLatin1String(b.window) != QLatin1String("gpstime"))
      app.windows.add(QLatin1String(b.window), [](App&) { return new QLabel("stand-in"); });
  for (const char* w : {"gpschart", "gpscship", "gpspllog"})
    app.windows.add(QLatin1String(w), [](App&) { return new QLabel("stand-in"); });
  app.windows.add("gpstime", [](App& a) { return new PcTimeWindow(a); });
  MainWindow w(app);
  bool communication = false;
  w.addCommand("communication", [&] { communication = !communication; }, [&] { return communication; });
  w.rebuildToolbar();
  w.show();
  std::set<QString> keys;
  for (QAction* a : w.toolBar()->actions()) {
    if (a->isSeparator() || a->objectName() == QLatin1String("chartlist")) continue;
    SCOPED_TRACE(a->objectName().toStdString());
    ASSERT_FALSE(a->objectName().isEmpty());
    EXPECT_FALSE(a->toolTip().isEmpty());
    keys.insert(a->objectName());
    const QString before = state(w, app) + (communication ? "c" : "");
    a->trigger();
    EXPECT_NE(state(w, app) + (communication ? "c" : ""), before) << "a click must do something";
  }
  EXPECT_EQ(keys.size(), static_cast<size_t>(kToolbarButtonCount));
  EXPECT_TRUE(app.requests.centreOnPosition && app.requests.searchChart && app.requests.redrawAll &&
              app.requests.shipsChanged);
  EXPECT_TRUE(communication);
  EXPECT_TRUE(w.toolBar()->findChild<QAction*>("but26")->isChecked());
}

TEST(MainWindowToolbar, ButtonsWithoutAWorkingCommandAreNotShown) {
  TestApp t;
  App& app = *t;
  app.windows.add("gpstime", [](App& a) { return new PcTimeWindow(a); });
  app.windows.add("gpscship", [](App&) { return new QLabel; });
  MainWindow w(app);
  w.rebuildToolbar();
  std::vector<QString> shown;
  for (QAction* a : w.toolBar()->actions())
    if (!a->isSeparator()) shown.push_back(a->objectName());
  // "but25" (redraw ships) works with the ships window; the chart requests need a
  // chart window, which this build lacks.
  EXPECT_EQ(shown, (std::vector<QString>{"but24", "but25", "but20"})) << "in the built-in order";
  app.settings.ToolbarLayout = {19, kToolbarSeparator, 14};
  w.rebuildToolbar();
  ASSERT_EQ(w.toolBar()->actions().size(), 1);
  EXPECT_EQ(w.toolBar()->actions()[0]->objectName(), "but20");
}

TEST(MainWindowTimers, TimersExistStoppedAndTimer1RunsTheCycle) {
  TestApp t;
  MainWindow w(*t);
  struct Row {
    const char* name;
    int intervalMs;
  };
  for (const Row& r : {Row{"Timer1", 1000}, Row{"rectimer", 500}, Row{"testtimer", 1000}, Row{"Timer3", 60000}}) {
    SCOPED_TRACE(r.name);
    QTimer* timer = w.timer(QLatin1String(r.name));
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->interval(), r.intervalMs);
    EXPECT_FALSE(timer->isActive());
  }
  w.startTimers();
  EXPECT_TRUE(w.timer("Timer1")->isActive());
  EXPECT_TRUE(w.timer("Timer3")->isActive());
  EXPECT_FALSE(w.timer("rectimer")->isActive()) << "communication starts it";
  t.app->nav.Latitude = 10.5f;
  t.app->nav.FixTime = QTime(12, 0);
  QMetaObject::invokeMethod(w.timer("Timer1"), "timeout", Qt::DirectConnection);
  EXPECT_EQ(w.panel(Panel::Position)->text(), QString::fromUtf8("10° 30.000' N / 0° 0.000' E"));
  // The notation of the settings: UTM.
  t.app->settings.system.grid = 2;
  t.app->nav.Latitude = 52.25f;
  t.app->nav.Longitude = 4.5f;
  QMetaObject::invokeMethod(w.timer("Timer1"), "timeout", Qt::DirectConnection);
  EXPECT_TRUE(w.panel(Panel::Position)->text().startsWith("31 U ")) << w.panel(Panel::Position)->text().toStdString();
  w.stopTimers();
  EXPECT_FALSE(w.timer("Timer1")->isActive());
}

TEST(PcTimeWindow, OkSetsTheClockFromThePanelsOrSaysWhyNot) {
  TestApp t;
  App& app = *t;
  RecordingClockSetter setter;
  app.clockSetter = &setter;
  app.panels[Panel::Time] = FormatTime(QTime(14, 15, 16));
  app.panels[Panel::Date] = "08-09-2026";
  {
    PcTimeWindow w(app);
    EXPECT_TRUE(w.accept());
    ASSERT_EQ(setter.calls.size(), 1u);
    EXPECT_EQ(setter.calls[0], QDateTime(QDate(2026, 8, 9), QTime(14, 15, 16)));
  }
  setter.refuseWith = "Operation not permitted";
  {
    PcTimeWindow w(app);
    w.show();
    EXPECT_FALSE(w.accept());
    EXPECT_EQ(t.prompter.lastText(), ErrorReportText(70, "Operation not permitted"));
    EXPECT_TRUE(w.isVisible()) << "a refusal keeps the window open";
  }
  setter.refuseWith.clear();
  app.panels[Panel::Time] = "Nofix";
  {
    PcTimeWindow w(app);
    EXPECT_FALSE(w.accept());
    EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::DateTimeNotCorrect));
  }
  EXPECT_EQ(setter.calls.size(), 2u);
}

TEST(WindowPlacement, RestoresWhatWasSavedAndIgnoresNonsense) {
  test::qtApp();
  QTemporaryDir dir;
  SettingsStore ini(dir.filePath("GPS.ini"));
  QStandardItemModel model(2, 3);
  const auto grid = [&](QRect geometry, std::vector<int> widths) {
    auto view = std::make_unique<QTableView>();
    view->setModel(&model);
    view->setGeometry(geometry);
    for (int i = 0; i < int(widths.size()); ++i) view->setColumnWidth(i, widths[i]);
    return view;
  };
  const auto saved = grid(QRect(40, 50, 420, 260), {80, 120, 60});
  saveFormPlacement(ini, *saved, "gpslog");
  saveColumnWidths(ini, *saved, "gpslog");
  EXPECT_EQ(ini.get("gpslog", "FormW"), "420");
  EXPECT_EQ(ini.get("gpslog", "Column2"), "120");
  const auto again = grid(QRect(0, 0, 300, 200), {});
  restoreFormPlacement(ini, *again, "GPSLOG");  // sections without case
  restoreColumnWidths(ini, *again, "gpslog");
  EXPECT_EQ(again->geometry(), QRect(40, 50, 420, 260));
  EXPECT_EQ(again->columnWidth(1), 120);

  const struct {
    const char* legend;
    const char* key;
    const char* value;
  } rows[] = {{"text for a width", "FormW", "wide"}, {"too small", "FormH", "3"}, {"column as text", "Column1", "x"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    for (auto [key, value] : {std::pair{"FormX", "5"}, {"FormY", "6"}, {"FormW", "500"}, {"FormH", "400"}, {r.key, r.value}})
      ini.set("bad", key, value);
    const auto w = grid(QRect(1, 2, 300, 200), {77});
    restoreFormPlacement(ini, *w, "bad");
    restoreColumnWidths(ini, *w, "bad");
    EXPECT_EQ(w->pos(), QPoint(5, 6));
    EXPECT_TRUE(!QByteArray(r.key).startsWith("Form") || w->size() == QSize(300, 200)) << "size not kept";
    EXPECT_EQ(w->columnWidth(0), 77);
    ini.removeSection("bad");
  }
}

}  // namespace
}  // namespace tavrik
