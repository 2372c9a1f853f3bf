// The MDI frames of the program's windows: every window that closes takes its frame
// with it, and the Window menu, Cascade and placement keep the windows manageable.

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <gtest/gtest.h>

#include "app/startup.h"
#include "core/ui/main_window.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

struct Program {
  Program() : window(*t), startup(*t, window) {
    startup.registerWindows();
    window.resize(1200, 800);
    window.show();
  }
  QMdiSubWindow* frameOf(const QString& name) const {
    QWidget* w = window.findWindow(name);
    return w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr;
  }
  int frames() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return static_cast<int>(window.mdiArea()->subWindowList().size());
  }
  test::TestApp t;
  MainWindow window;
  Startup startup;
};

// A window closing itself (its OK, Cancel or Close) leaves no empty frame behind.
TEST(WindowFrames, EveryWindowThatClosesTakesItsFrameAlong) {
  Program p;
  const QStringList names = p.t.app->windows.names();
  ASSERT_GE(names.size(), 15);
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    QWidget* w = p.window.openWindow(name);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(p.frames(), 1);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(p.frames(), 0) << "frame left behind";
  }
}

TEST(WindowFrames, WindowMenuCascadeAndPlacementKeepTheWindowsAtHand) {
  Program p;
  QMdiArea* mdi = p.window.mdiArea();
  p.window.openWindow("gpschart");
  p.window.openWindow("gpsnmea");
  QMdiSubWindow* list = p.frameOf("gpsnmea");
  ASSERT_TRUE(list);
  const QSize area = mdi->viewport()->size();
  EXPECT_LT(list->x() + list->y(), area.width() / 2) << "not in the bottom-right corner";

  // Opened from the list window: next to it, a small dialog.
  list->move(300, 200);
  mdi->setActiveSubWindow(list);
  p.window.openWindow("gpszoom");
  QMdiSubWindow* zoom = p.frameOf("gpszoom");
  ASSERT_TRUE(zoom);
  EXPECT_EQ(zoom->pos(), QPoint(332, 232));
  EXPECT_LT(zoom->height(), area.height() / 2);

  QMenu* menu = p.window.menu("m_window");
  emit menu->aboutToShow();
  QStringList entries;
  for (QAction* a : menu->actions())
    if (a->objectName().startsWith("win_gps")) entries << a->objectName();
  EXPECT_EQ(entries, (QStringList{"win_gpschart", "win_gpsnmea", "win_gpszoom"}));

  // The dialog closes: the user is back in the list window, not in the chart; opened
  // again it comes where it was.
  zoom->move(500, 100);
  p.window.findWindow("gpszoom")->close();
  EXPECT_EQ(mdi->activeSubWindow(), list);
  p.window.openWindow("gpszoom");
  EXPECT_EQ(p.frameOf("gpszoom")->pos(), QPoint(500, 100));

  p.window.cascadeWindows();
  EXPECT_EQ(p.frameOf("gpschart")->geometry(), QRect(QPoint(0, 0), area)) << "the chart stays large";
  EXPECT_GT(list->y(), 0);
  EXPECT_EQ(list->size().boundedTo(area), list->size());
}

}  // namespace
}  // namespace tavrik
