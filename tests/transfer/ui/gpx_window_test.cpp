// GPX through the File menu's functions and the export window, into and out of a real
// database: what the user picks is what the file holds, and a broken file leaves the
// database as it was.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QListWidget>

#include "store/schema.h"
#include "test_data.h"
#include "transfer/gpx.h"
#include "transfer/ui/gpx_window.h"
#include "ui_test_app.h"

namespace tavrik::test {
namespace {

int rows(App& app, const char* table) {
  return app.db.scalar(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(QLatin1String(table))).toInt();
}

TEST(GpxWindow, ImportsWithASummaryExportsWhatIsChosenAndRefusesBrokenFilesWhole) {
  TestApp t;
  App& app = *t;
  ASSERT_TRUE(createMainDatabase(app.db, t.dir.filePath(QStringLiteral("gps.db")), t.clock.now()).ok());
  importGpxWithMessage(app, testDataFile("gpx/expertgps.gpx"));
  EXPECT_EQ(t.prompter.lastText(), QStringLiteral("expertgps.gpx: 86 waypoints (group \"expertgps\"), 1 routes with "
                                                  "46 points, 1 tracks with 64 points"));
  const int waypoints = rows(app, "Waypoints");

  // Cut off in the middle of a track point: nothing of it is stored.
  QFile whole(testDataFile("gpx/expertgps.gpx"));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  const QString cut = t.dir.filePath(QStringLiteral("cut.gpx"));
  QFile part(cut);
  ASSERT_TRUE(part.open(QIODevice::WriteOnly));
  part.write(whole.readAll().chopped(300));
  part.close();
  importGpxWithMessage(app, cut);
  EXPECT_TRUE(t.prompter.lastText().startsWith(QStringLiteral("Nothing was imported: "))) << t.prompter.lastText().toStdString();
  EXPECT_EQ(rows(app, "Waypoints"), waypoints);
  EXPECT_EQ(rows(app, "Routes"), 1);

  GpxExportWindow w(app);
  auto* wpts = w.findChild<QListWidget*>(QStringLiteral("waypoints"));
  auto* routes = w.findChild<QListWidget*>(QStringLiteral("routes"));
  ASSERT_EQ(wpts->count(), waypoints);
  ASSERT_EQ(routes->count(), 1);
  EXPECT_EQ(w.findChild<QListWidget*>(QStringLiteral("tracks"))->count(), 1);
  const QString out = t.dir.filePath(QStringLiteral("out.gpx"));
  QString error;
  EXPECT_FALSE(w.exportTo(out, error));
  EXPECT_EQ(error, QStringLiteral("Choose the waypoints, routes or tracks to export."));
  w.findChild<QCheckBox*>(QStringLiteral("currenttrack"))->setChecked(true);
  EXPECT_FALSE(w.exportTo(out, error)) << "no track sailed in this run";
  EXPECT_EQ(error, QStringLiteral("No track has been sailed in this run."));
  w.findChild<QCheckBox*>(QStringLiteral("currenttrack"))->setChecked(false);

  wpts->item(0)->setSelected(true);
  wpts->item(5)->setSelected(true);
  routes->item(0)->setSelected(true);
  ASSERT_TRUE(w.exportTo(out, error)) << error.toStdString();
  GpxDocument back;
  ASSERT_TRUE(readGpxFile(out, back, error)) << error.toStdString();
  ASSERT_EQ(back.waypoints.size(), 2u);
  EXPECT_EQ(back.waypoints[0].name, wpts->item(0)->text());
  EXPECT_EQ(back.waypoints[1].name, wpts->item(5)->text());
  ASSERT_EQ(back.routes.size(), 1u);
  EXPECT_EQ(back.routes[0].name, QStringLiteral("BELLEVUE"));
  EXPECT_EQ(back.routes[0].points.size(), 46u);
  EXPECT_TRUE(back.tracks.empty());
}

}  // namespace
}  // namespace tavrik::test
