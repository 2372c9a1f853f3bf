// The chart library's windows driven offscreen: BSB import of the test charts with
// its progress, the chart manager moving them, and export and import of a .chi file.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include "core/messages.h"
#include "library/ui/library_windows.h"
#include "test_data.h"
#include "ui_test_app.h"

using namespace tavrik;

namespace {

// Screenshots for a person to look at, when TAVRIK_SCREENSHOTS names a folder.
void screenshot(QWidget& w, const char* name) {
  const QString dir = qEnvironmentVariable("TAVRIK_SCREENSHOTS");
  if (!dir.isEmpty()) w.grab().save(QDir(dir).filePath(QString::fromLatin1(name) + ".png"));
}

}  // namespace

TEST(LibraryWindows, BsbImportThenChartManagerThenChi) {
  test::TestApp t;
  App& app = *t;
  ASSERT_TRUE(app.openDatabase([](const QString&) { return QString(); }));

  BsbImportWindow bsb(app);
  bsb.show();
  bsb.setDirectory(testDataFile("charts"));
  auto* files = bsb.findChild<QListWidget*>("File1");
  ASSERT_EQ(files->count(), 9);
  files->selectAll();
  bsb.findChild<QComboBox*>("Folder")->setCurrentText("Skipper's Rock");
  auto* datum = bsb.findChild<QComboBox*>("Datum");
  datum->setCurrentIndex(datum->findText("WGS-84"));
  screenshot(bsb, "bsb_import");
  ASSERT_TRUE(bsb.importSelected());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bsb.isVisible(); }, 10000));
  EXPECT_EQ(bsb.findChild<QProgressBar*>()->value(), 9);
  EXPECT_EQ(app.db.scalar("SELECT COUNT(*) FROM [Folder charts]").toInt(), 9);

  // The manager lists the folder's charts; moving two to a folder holding one of
  // their images changes that one and names the other.
  QDir(t.dir.path()).mkpath("moved");
  ChartManagerWindow manager(app);
  manager.show();
  auto* charts = manager.findChildren<QListWidget*>().value(0);
  ASSERT_EQ(charts->count(), 9);
  charts->item(0)->setSelected(true);
  screenshot(manager, "chart_manager");
  const QString first = charts->item(0)->text();
  const QString bitmap = app.db.scalar("SELECT bitmap FROM Charts WHERE description = ?", {first}).toString();
  QFile::copy(bitmap, t.dir.filePath("moved/" + QFileInfo(bitmap).fileName()));
  charts->item(1)->setSelected(true);
  auto edits = manager.findChildren<QLineEdit*>();
  edits[1]->setText(t.dir.filePath("moved"));  // "Path:"
  manager.apply();
  ASSERT_FALSE(t.prompter.entries().empty());
  EXPECT_TRUE(t.prompter.entries().back().text.startsWith(MessageText(Msg::ChartsUpdated)));
  EXPECT_EQ(app.db.scalar("SELECT bitmap FROM Charts WHERE description = ?", {first}).toString(),
            t.dir.filePath("moved/" + QFileInfo(bitmap).fileName()));

  ChiExportWindow exporter(app);
  exporter.findChildren<QListWidget*>().value(0)->selectAll();
  ASSERT_TRUE(exporter.exportTo(t.dir.filePath("moved/all.chi")));
  ASSERT_TRUE(app.db.execute("DELETE FROM Charts").ok());
  // No copy into the chart folder (the question is answered No).
  EXPECT_EQ(importChiFiles(app, {t.dir.filePath("moved/all.chi")}), 0);  // the other images are not beside it
  EXPECT_EQ(t.prompter.entries().back().text.left(20), MessageText(Msg::ChartDoesNotExist).left(20));
  EXPECT_EQ(app.db.scalar("SELECT COUNT(*) FROM Charts").toInt(), 0);
}

// Both windows opened by name: two of three charts deleted after a Yes, then a folder
// added, a duplicate refused, and the folder holding the chart deleted after a Yes.
TEST(LibraryWindows, DeleteChartsAndFolders) {
  test::TestApp t;
  App& app = *t;
  ASSERT_TRUE(app.openDatabase([](const QString&) { return QString(); }));
  registerLibraryWindows(app);
  std::vector<std::unique_ptr<QWidget>> opened;
  app.windows.open = [&](const QString& name) {
    opened.emplace_back(app.windows.create(name, app));
    if (opened.back()) opened.back()->show();
    return opened.back().get();
  };
  ASSERT_TRUE(app.db.execute("INSERT INTO Folders (description) VALUES ('Harbour')").ok());
  for (const char* name : {"Inner", "Outer", "Approach"}) {
    ASSERT_TRUE(app.db.execute("INSERT INTO Charts (description) VALUES (?)", {QString(name)}).ok());
    ASSERT_TRUE(app.db.execute("INSERT INTO [Folder charts] (Folder, Chart) SELECT folder, ? FROM Folders",
                               {app.db.lastInsertId()}).ok());
  }

  auto* del = dynamic_cast<ChartDeleteWindow*>(app.windows.open("gpsdelchart"));
  ASSERT_NE(del, nullptr);
  auto* charts = del->findChild<QListWidget*>();
  ASSERT_EQ(charts->count(), 3);
  charts->item(0)->setSelected(true);
  charts->item(2)->setSelected(true);
  screenshot(*del, "delete_charts");
  EXPECT_FALSE(del->deleteSelected());  // the question's default is No
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::SureDeleteSelection) + "\n2 chart(s)");
  t.prompter.answer(true);
  EXPECT_TRUE(del->deleteSelected());
  EXPECT_EQ(charts->count(), 1);
  EXPECT_EQ(app.db.scalar("SELECT description FROM Charts").toString(), "Outer");

  auto* folders = dynamic_cast<FolderWindow*>(app.windows.open("gpsfolders"));
  ASSERT_NE(folders, nullptr);
  auto* list = folders->findChild<QListWidget*>();
  folders->findChild<QLineEdit*>("name")->setText("Anchorage");
  EXPECT_TRUE(folders->addFolder());
  EXPECT_FALSE(folders->addFolder());
  EXPECT_EQ(t.prompter.lastText(), MessageText(Msg::FolderExists));
  ASSERT_EQ(list->count(), 2);
  list->setCurrentRow(1);  // Harbour, still holding "Outer"
  screenshot(*folders, "chart_folders");
  t.prompter.answer(true);
  EXPECT_TRUE(folders->deleteSelected());
  EXPECT_EQ(list->count(), 1);
  EXPECT_EQ(app.db.scalar("SELECT COUNT(*) FROM Charts").toInt(), 1);
  EXPECT_EQ(app.db.scalar("SELECT COUNT(*) FROM [Folder charts]").toInt(), 0);
}
