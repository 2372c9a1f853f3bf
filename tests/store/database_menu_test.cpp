// The File menu's database commands and the info database window, offscreen.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "store/new_database.h"
#include "store/schema.h"
#include "store/ui/database_menu.h"
#include "store/ui/info_database_window.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

class DatabaseMenu : public ::testing::Test {
 protected:
  DatabaseMenu() { createMainDatabase(app.db, t.dir.filePath("gps.db"), t.clock.now()); }
  test::TestApp t;
  App& app = *t;
  RecordingPrompter& prompter = t.prompter;
};

TEST_F(DatabaseMenu, EntriesStandBeforeExitAndOpenTheirWindows) {
  MainWindow window(app);
  registerStoreWindows(app);
  installDatabaseMenu(app, window);
  QMenu* file = window.menu("m_file");
  ASSERT_NE(file, nullptr);
  QStringList names;
  for (QAction* a : file->actions())
    if (!a->isSeparator()) names << a->objectName();
  ASSERT_GE(names.size(), 3);
  EXPECT_EQ(names.mid(names.size() - 3, 2), (QStringList{"m_newdb", "m_newinfo"}));
  auto* info = file->findChild<QAction*>("m_newinfo");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->text(), "Create in&fo database...");
  EXPECT_EQ(file->findChild<QAction*>("m_newdb")->text(), "Create &Tavrik database...");
  info->trigger();
  EXPECT_NE(window.findWindow("gpsnewinfo"), nullptr);
}

TEST_F(DatabaseMenu, InfoDatabaseWindowChecksAndCreates) {
  auto* w = new InfoDatabaseWindow(app);
  w->show();
  auto* name = w->findChild<QLineEdit*>("Text1");
  ASSERT_NE(name, nullptr);
  EXPECT_FALSE(w->accept());
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::MustEnterName));
  name->setText("Skipper's harbours");
  w->findChild<QLineEdit*>("Text4")->setText("North Sea");
  if (qEnvironmentVariableIsSet("TAVRIK_SHOTS")) w->grab().save(qEnvironmentVariable("TAVRIK_SHOTS") + "/gpsnewinfo.png");
  w->findChild<QPushButton*>("Command1")->click();
  const QString path = t.dir.filePath("Skipper's harbours.db");
  EXPECT_TRUE(QFileInfo::exists(path));
  ASSERT_TRUE(app.infoDb.isOpen());
  EXPECT_EQ(app.infoDb.scalar("SELECT Name FROM Version").toString(), "Skipper's harbours");
  EXPECT_EQ(app.infoDb.scalar("SELECT Area FROM Version").toString(), "North Sea");
  EXPECT_EQ(app.infoDb.scalar("SELECT Copyright FROM Version").toString(), " ");
  // A second one of the same name asks first; No keeps the file.
  app.infoDb.close();
  prompter.clear();
  EXPECT_FALSE(createNewInfoDatabase(t.dir.path(), {"Skipper's harbours.db", {}, {}, {}, {}}, prompter));
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::DatabaseExistsOverwrite));
}

TEST_F(DatabaseMenu, NewMainDatabaseAsksBeforeOverwriting) {
  const QString target = t.dir.filePath("copy");
  int busy = 0;
  ASSERT_TRUE(createNewMainDatabase(app.db, target, prompter, [&](bool b) { busy += b ? 1 : 0; }));
  EXPECT_EQ(busy, 1);
  EXPECT_TRUE(QFileInfo::exists(target + ".db"));
  EXPECT_TRUE(prompter.empty());
  EXPECT_FALSE(createNewMainDatabase(app.db, target + ".db", prompter));  // answered No
  EXPECT_EQ(prompter.lastText(), MessageText(Msg::DatabaseExistsOverwrite));
  prompter.answer(true);
  EXPECT_TRUE(createNewMainDatabase(app.db, target + ".db", prompter));
  // The open database itself is refused with the engine's message, nothing lost.
  prompter.answer(true);
  EXPECT_FALSE(createNewMainDatabase(app.db, app.db.path(), prompter));
  EXPECT_TRUE(prompter.lastText().startsWith("Error: 3045 / "));
  EXPECT_EQ(app.db.scalar("SELECT version FROM Version").toInt(), 13);
}

}  // namespace
}  // namespace tavrik
