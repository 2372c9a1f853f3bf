#include "core/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <functional>

#include "app/app.h"

namespace tavrik {
namespace {

// A program in a temporary home with a fake clock, recorded messages and no sound.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : m_app(AppPaths::inFolder(m_home.path()), m_clock, m_prompter, m_sound) {}
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    m_app.loadSettings();
    m_window = std::make_unique<MainWindow>(m_app);
    m_window->show();
  }
  void TearDown() override { m_window.reset(); }

  QTemporaryDir m_home;
  FakeClock m_clock;
  RecordingPrompter m_prompter;
  RecordingSoundPlayer m_sound;
  App m_app;
  std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, IsTheMdiFrameNamedGps) {
  EXPECT_EQ(m_window->objectName(), QStringLiteral("gps"));
  EXPECT_TRUE(m_window->isVisible());
  auto* mdi = qobject_cast<QMdiArea*>(m_window->centralWidget());
  ASSERT_NE(mdi, nullptr);
  EXPECT_EQ(mdi, m_window->mdiArea());
  EXPECT_TRUE(m_prompter.empty());  // nothing to complain about in an empty home
  const QImage shot = m_window->grab().toImage();
  EXPECT_GT(shot.width(), 100);
  EXPECT_GT(shot.height(), 100);
}

// Every command of the menu bar has an object name, so that tests, the automation
// interface and the toolbar can find it. A submenu is named by its menu; separators
// are no commands.
TEST_F(MainWindowTest, EveryMenuActionHasAnObjectName) {
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
  walk(m_window->menuBar()->actions(), QStringLiteral("menu bar"));
  EXPECT_GT(commands, 0);
  EXPECT_NE(m_window->menu(QStringLiteral("m_file")), nullptr);
}

TEST_F(MainWindowTest, OpensRegisteredWindowsOnceByName) {
  int created = 0;
  m_app.windows.add(QStringLiteral("testwin"), [&](App&) {
    ++created;
    auto* w = new QWidget;
    w->setWindowTitle(QStringLiteral("Test window"));
    return w;
  });
  EXPECT_EQ(m_app.windows.open(QStringLiteral("nosuchwindow")), nullptr);
  QWidget* first = m_app.windows.open(QStringLiteral("testwin"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->objectName(), QStringLiteral("testwin"));
  EXPECT_EQ(m_window->findWindow(QStringLiteral("testwin")), first);
  EXPECT_EQ(m_app.windows.open(QStringLiteral("testwin")), first);  // brought forward, not made again
  EXPECT_EQ(created, 1);
  EXPECT_EQ(m_window->mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(m_window->mdiArea()->subWindowList().first()->windowTitle(), QStringLiteral("Test window"));
}

// The status panels follow the App's texts and the "Statusbar" settings (panels 7..13
// hidden by default).
TEST_F(MainWindowTest, StatusPanelsFollowTextsAndSettings) {
  m_app.panels.text[static_cast<int>(Panel::Speed)] = QStringLiteral("6.2 Kts");
  m_window->refreshStatusBar();
  EXPECT_EQ(m_window->panel(Panel::Speed)->text(), QStringLiteral("6.2 Kts"));
  for (int i = 0; i < kPanelCount; ++i) {
    SCOPED_TRACE(kPanelKeys[i]);
    QLabel* label = m_window->panel(static_cast<Panel>(i));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->objectName(), QLatin1String(kPanelKeys[i]));
    EXPECT_EQ(label->isVisible(), i + 1 < 7 || i + 1 > 13);
  }
  m_app.settings.StatusbarVisible[7] = true;
  m_window->refreshStatusBar();
  EXPECT_TRUE(m_window->panel(static_cast<Panel>(7))->isVisible());
}

}  // namespace
}  // namespace tavrik
