// The File menu's database commands and the info database window, offscreen.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/app.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "store/new_database.h"
#include "store/schema.h"
#include "store/ui/database_menu.h"
#include "store/ui/info_database_window.h"

namespace tavrik {
namespace {

int argc = 1;
char arg0[] = "store_ui_tests";
char* argv[] = {arg0, nullptr};

class DatabaseMenu : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  DatabaseMenu() : app(AppPaths::inFolder(home.path()), clock, prompter, sound) {
    createMainDatabase(app.db, home.filePath(QStringLiteral("gps.db")), clock.now());
  }
  QTemporaryDir home;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app;
};

TEST_F(DatabaseMenu, EntriesStandBeforeExitAndOpenTheirWindows) {
  MainWindow window(app);
  registerStoreWindows(app);
  installDatabaseMenu(app, window);
  QMenu* file = window.menu(QStringLiteral("m_file"));
  ASSERT_NE(file, nullptr);
  QStringList names;
  for (QAction* a : file->actions())
    if (!a->isSeparator()) names << a->objectName();
  ASSERT_GE(names.size(), 3);
  EXPECT_EQ(names.mid(names.size() - 3, 2), (QStringList{"m_newdb", "m_newinfo"}));
  auto* info = file->findChild<QAction*>(QStringLiteral("m_newinfo"));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->text(), QStringLiteral("Create in&fo database..."));
  EXPECT_EQ(file->findChild<QAction*>(QStringLiteral("m_newdb"))->text(), QStringLiteral("Create &Tavrik database..."));
  info->trigger();
  EXPECT_NE(window.findWindow(QStringLiteral("gpsnewinfo")), nullptr);
}

TEST_F(DatabaseMenu, InfoDatabaseWindowChecksAndCreates) {
  auto* w = new InfoDatabaseWindow(app);
  w->show();
  auto* name = w->findChild<QLineEdit*>(QStringLiteral("Text1"));
  ASSERT_NE(name, nullptr);
  EXPECT_FALSE(w->accept());
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::MustEnterName));
  name->setText(QStringLiteral("Skipper's harbours"));
  w->findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(QStringLiteral("North Sea"));
  w->grab().save(home.filePath(QStringLiteral("gpsnewinfo.png")));
  if (qEnvironmentVariableIsSet("TAVRIK_SHOTS")) w->grab().save(qEnvironmentVariable("TAVRIK_SHOTS") + "/gpsnewinfo.png");
  w->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  const QString path = home.filePath(QStringLiteral("Skipper's harbours.db"));
  EXPECT_TRUE(QFileInfo::exists(path));
  ASSERT_TRUE(app.infoDb.isOpen());
  EXPECT_EQ(app.infoDb.scalar(QStringLiteral("SELECT Name FROM Version")).toString(), QStringLiteral("Skipper's harbours"));
  EXPECT_EQ(app.infoDb.scalar(QStringLiteral("SELECT Area FROM Version")).toString(), QStringLiteral("North Sea"));
  EXPECT_EQ(app.infoDb.scalar(QStringLiteral("SELECT Copyright FROM Version")).toString(), QStringLiteral(" "));
  // A second one of the same name asks first; No keeps the file.
  app.infoDb.close();
  prompter.clear();
  EXPECT_FALSE(createNewInfoDatabase(home.path(), {QStringLiteral("Skipper's harbours.db"), {}, {}, {}, {}}, prompter));
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::DatabaseExistsOverwrite));
}

TEST_F(DatabaseMenu, NewMainDatabaseAsksBeforeOverwriting) {
  const QString target = home.filePath(QStringLiteral("copy"));
  int busy = 0;
  ASSERT_TRUE(createNewMainDatabase(app.db, target, prompter, [&](bool b) { busy += b ? 1 : 0; }));
  EXPECT_EQ(busy, 1);
  EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral(".db")));
  EXPECT_TRUE(prompter.empty());
  EXPECT_FALSE(createNewMainDatabase(app.db, target + QStringLiteral(".db"), prompter));  // answered No
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::DatabaseExistsOverwrite));
  prompter.answer(true);
  EXPECT_TRUE(createNewMainDatabase(app.db, target + QStringLiteral(".db"), prompter));
  // The open database itself is refused with the engine's message, nothing lost.
  prompter.answer(true);
  EXPECT_FALSE(createNewMainDatabase(app.db, app.db.path(), prompter));
  EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Error: 3045 / ")));
  EXPECT_EQ(app.db.scalar(QStringLiteral("SELECT version FROM Version")).toInt(), 13);
}

}  // namespace
}  // namespace tavrik
