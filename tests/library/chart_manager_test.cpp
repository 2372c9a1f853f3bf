// Chart deletion and folder editing on a real SQLite file: links go with the charts,
// images stay, names are checked, and a refused step rolls the whole change back.
#include <QFile>
#include <functional>

#include "core/messages.h"
#include "library/chart_library_store.h"
#include "library/chart_manager.h"
#include "library_test_db.h"

using namespace tavrik;

TEST(ChartManagerStore, DeleteChartsAndEditFolders) {
  LibraryTestDb t;
  Database& db = t.db;
  qint64 north = 0, rock = 0;
  ASSERT_TRUE(addFolder(db, " North ", t.now, &north).ok);
  ASSERT_TRUE(addFolder(db, "Skipper's Rock", t.now, &rock).ok);
  std::vector<qint64> charts;
  for (const QString name : {"Alpha", "Bravo", "Charlie"}) {
    QFile image(t.path(name + ".png"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    ASSERT_TRUE(db.execute("INSERT INTO Charts (description, bitmap) VALUES (?, ?)", {name, image.fileName()}).ok());
    charts.push_back(db.lastInsertId());
    ASSERT_TRUE(linkChartToFolder(db, north, charts.back(), t.now).ok());
  }
  ASSERT_TRUE(linkChartToFolder(db, rock, charts[0], t.now).ok());

  // The engine refuses the second chart of the set: the first one's row and links come back.
  ASSERT_TRUE(db.execute(QString("CREATE TRIGGER keep BEFORE DELETE ON Charts WHEN old.chart = %1 "
                                 "BEGIN SELECT RAISE(ABORT, 'kept'); END").arg(charts[2])).ok());
  const ManagerOutcome refused = deleteCharts(db, {charts[0], charts[2]});
  EXPECT_FALSE(refused.ok);
  EXPECT_FALSE(refused.message.isEmpty());
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 3);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 4);
  ASSERT_TRUE(db.execute("DROP TRIGGER keep").ok());

  const ManagerOutcome deleted = deleteCharts(db, {charts[0], charts[1]});
  EXPECT_TRUE(deleted.ok) << deleted.message.toStdString();
  EXPECT_EQ(deleted.changed, 2);
  const std::vector<ChartRow> left = chartsOfFolder(db, north);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].description, "Charlie");
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 1);
  EXPECT_TRUE(QFile::exists(t.path("Alpha.png")));
  EXPECT_EQ(chartCountOfFolder(db, rock), 0);

  struct Case {
    const char* what;
    std::function<ManagerOutcome()> change;
    QString refusal;  // empty: the change is made
  };
  const Case cases[] = {
      {"same name in other case", [&] { return addFolder(db, "north", t.now); }, MessageText(Msg::FolderExists)},
      {"blank name", [&] { return addFolder(db, "   ", t.now); }, MessageText(Msg::MustEnterName)},
      {"rename onto another folder", [&] { return renameFolder(db, rock, "NORTH"); }, MessageText(Msg::FolderExists)},
      {"rename to its own name recased", [&] { return renameFolder(db, north, "NORTH"); }, {}},
      {"rename", [&] { return renameFolder(db, rock, "South"); }, {}},
      {"delete a folder holding a chart", [&] { return deleteFolder(db, north); }, {}},
      {"delete it again", [&] { return deleteFolder(db, north); }, MessageText(Msg::FolderDoesNotExist)},
  };
  for (const Case& c : cases) {
    const ManagerOutcome out = c.change();
    EXPECT_EQ(out.ok, c.refusal.isEmpty()) << c.what;
    if (!c.refusal.isEmpty()) {
      EXPECT_EQ(out.message, c.refusal) << c.what;
    }
  }
  const std::vector<FolderEntry> folders = listFolders(db);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0].description, "South");
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 1);  // the folder's chart stays
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 0);
}
