// The overview window over a real database: its layers and their exclusion, the zoom
// steps with the caption and scroll ranges, saving and printing, and that it writes
// nothing.

#include "chart/ui/overview_window.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>

#include "chart/ui/chart_window_fixture.h"
#include "store/schema.h"

namespace tavrik {
namespace {

struct OverviewFixture : test::TestApp {
  OverviewFixture() {
    const StoreResult r = createMainDatabase(app->db, dir.filePath("gps.db"), clock.now());
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    auto folders = app->db.openRecordset("Folders");
    folders->addNew();
    folders->setValue("description", "Coast");
    EXPECT_TRUE(folders->update().ok());
    auto charts = app->db.openRecordset("Charts");
    for (int i = 0; i < 3; ++i) {
      charts->addNew();
      charts->setValue("description", QStringLiteral("Chart %1").arg(i + 1));
      charts->setValue("bitmap", QStringLiteral("c%1.png").arg(i + 1));
      charts->setValue("latmin", 52.0 + i * 0.3);
      charts->setValue("latmax", 52.5 + i * 0.3);
      charts->setValue("lonmin", 4.0 + i * 0.4);
      charts->setValue("lonmax", 4.8 + i * 0.4);
      EXPECT_TRUE(charts->update().ok());
    }
  }
  QAction* action(OverviewWindow& w, const char* name) {
    QAction* a = w.findChild<QMenuBar*>()->findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
};

TEST(OverviewWindow, LayersExcludeZoomScalesAndNothingIsWritten) {
  OverviewFixture f;
  // The second chart only in the folder "Coast".
  EXPECT_TRUE(f.app->db.execute("INSERT INTO [Folder charts] (Folder, Chart) SELECT f.folder, c.chart FROM Folders f, "
                                "Charts c WHERE c.description = 'Chart 2'").ok());
  f.app->settings.system.folder = 1;
  const qint64 before = QFileInfo(f.dir.filePath("gps.db")).lastModified().toMSecsSinceEpoch();
  OverviewWindow w(*f.app);
  w.resize(500, 400);
  w.show();
  EXPECT_EQ(w.scene().outlineCount(), 3);
  EXPECT_EQ(w.windowTitle(), "Show overview 100%");

  f.action(w, "s_folders")->trigger();
  EXPECT_TRUE(w.layers().folders);
  EXPECT_FALSE(w.layers().charts);
  EXPECT_FALSE(f.action(w, "s_charts")->isChecked());
  EXPECT_EQ(w.scene().outlineCount(), 1);
  f.action(w, "s_charts")->trigger();
  EXPECT_FALSE(f.action(w, "s_folders")->isChecked());
  EXPECT_EQ(w.scene().outlineCount(), 3);

  const QSize at100 = w.scene().canvasSize();
  f.action(w, "z_400")->trigger();
  EXPECT_EQ(w.windowTitle(), "Show overview 400%");
  EXPECT_EQ(w.scene().canvasSize(), at100 * 4);
  EXPECT_EQ(w.horizontalBar()->maximum(), at100.width() * 4 - w.visibleSize().width());
  EXPECT_EQ(w.verticalBar()->maximum(), at100.height() * 4 - w.visibleSize().height());
  EXPECT_EQ(w.horizontalBar()->pageStep(), w.visibleSize().width());
  f.action(w, "z_200")->trigger();
  EXPECT_EQ(w.windowTitle(), "Show overview 200%");
  EXPECT_TRUE(f.action(w, "z_200")->isChecked());
  EXPECT_FALSE(f.action(w, "z_400")->isChecked());

  // Saved as a bitmap and as PNG, the whole canvas; printed into a PDF that poppler reads.
  for (const char* name : {"overview.BMP", "overview.png"}) {
    ASSERT_TRUE(w.saveTo(f.dir.filePath(name))) << name;
    EXPECT_EQ(QImage(f.dir.filePath(name)).size(), w.scene().canvasSize()) << name;
  }
  QFile bmp(f.dir.filePath("overview.BMP"));
  ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
  EXPECT_EQ(bmp.read(2), "BM");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(f.dir.filePath("overview.pdf"));
  ASSERT_TRUE(w.printTo(printer));
  QProcess pdftoppm;
  pdftoppm.start("pdftoppm", {"-r", "30", "-png", "-singlefile", printer.outputFileName(), f.dir.filePath("page")});
  ASSERT_TRUE(pdftoppm.waitForFinished(30000));
  const QImage page(f.dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  int blue = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) blue += qBlue(page.pixel(x, y)) > qRed(page.pixel(x, y)) + 60;
  EXPECT_GT(blue, 20) << "chart outlines on the page";

  // Every layer at once, written beside the tests for a look.
  OverviewData d = ReadOverviewData(*f.app);
  d.route = {{52.1, 4.1, 0}, {52.3, 4.6, 0}, {52.6, 4.9, 0}, {52.9, 5.5, 0}};
  d.waypoints = {WaypointItem{1, "Harbour", {52.1, 4.1, 0}, 0, 0}, WaypointItem{2, "Buoy 7", {52.6, 4.9, 0}, 0, 0}};
  d.zones = {ZoneItem{1, "Firing range", {{52.2, 5.0, 0}, {52.35, 5.3, 0}, {52.1, 5.4, 0}}}};
  d.ships = {ShipItem{"Albatros", {52.8, 4.3, 0}, {}, 0, 0, 0, 0}};
  for (int i = 0; i < 60; ++i)
    d.track.push_back(i == 30 ? TrackRecord{0, 0, 0} : TrackRecord{46000, 52.05f + i * 0.008f, 4.05f + i * 0.012f});
  d.position = GeoPoint{52.53, 4.76, 0};
  w.setData(d);
  w.setZoomStep(1);
  EXPECT_EQ(w.scene().trackPieces().size(), 2u);
  w.renderCanvas().save(QStringLiteral(TAVRIK_BINARY_DIR "/overview_window.png"));

  f.action(w, "s_exit")->trigger();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(QFileInfo(f.dir.filePath("gps.db")).lastModified().toMSecsSinceEpoch(), before);
}

}  // namespace
}  // namespace tavrik
