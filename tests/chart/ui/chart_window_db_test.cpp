// The chart window over a real database file and real chart files: the demo KAP chart
// (checked against GDAL by the chart library's own tests), a calibrated picture, and
// broken inputs of every kind. Also renders the window with every overlay into
// chart_window_overlays.png in the build folder, for a look.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/app.h"
#include "chart/database_chart_provider.h"
#include "chart/demo_chart.h"
#include "chart/ui/chart_window.h"
#include "core/messages.h"
#include "geo/datum_catalogue.h"
#include "geo/nav_math.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tavrik {
namespace {

class QtApp : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "chart_window_db_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
};
const auto* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtApp);

struct DbFixture {
  QTemporaryDir dir;
  FakeClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  std::unique_ptr<App> app;
  QString kap, png;

  DbFixture() {
    app = std::make_unique<App>(AppPaths::inFolder(dir.path()), clock, prompter, sound);
    EXPECT_TRUE(QDir().mkpath(dir.filePath("charts")));
    const StoreResult r = createMainDatabase(app->db, dir.filePath("gps.db"), clock.now());
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    app->settings.ChartDir = dir.filePath("charts");
    app->settings.IconDir = dir.filePath("icons");
    kap = dir.filePath("charts/demo.kap");
    QString error;
    EXPECT_TRUE(writeDemoChart(kap, &error)) << error.toStdString();
    // A picture of 1600 x 1200 pixels calibrated as a Mercator chart: point 1 at the
    // top-left (53 N, 4 E), point 2 at the bottom-right (52.5 N, 5 E), chart units of
    // 15 per pixel.
    png = dir.filePath("charts/picture.png");
    QImage img(1600, 1200, QImage::Format_RGB32);
    img.fill(QColor(235, 240, 250));
    EXPECT_TRUE(img.save(png));
  }

  void addChart(const QString& description, const QString& bitmap, bool bsb, std::optional<double> latmin,
                double latmax, double lonmin, double lonmax, double milelat, bool degenerate = false) {
    auto rs = app->db.openRecordset("Charts");
    rs->addNew();
    rs->setValue("description", description);
    rs->setValue("bitmap", bitmap);
    rs->setValue("mercator", true);
    rs->setValue("BSB", bsb);
    const double x2 = 1600 * 15.0, y2 = 1200 * 15.0;
    rs->setValue("latitude1", 53.0);
    rs->setValue("longitude1", 4.0);
    rs->setValue("x1", 0.0);
    rs->setValue("y1", 0.0);
    rs->setValue("latitude2", degenerate ? 53.0 : 52.5);
    rs->setValue("longitude2", 5.0);
    rs->setValue("x2", x2);
    rs->setValue("y2", y2);
    const double ml = degenerate ? 0 : y2 / std::fabs(MeridionalParts(52.5) - MeridionalParts(53.0));
    rs->setValue("milelat", bsb ? milelat : ml);
    rs->setValue("milelon", degenerate ? 0 : x2 / 60.0);
    rs->setValue("maxx", x2);
    rs->setValue("maxy", y2);
    if (latmin) {
      rs->setValue("latmin", *latmin);
      rs->setValue("latmax", latmax);
      rs->setValue("lonmin", lonmin);
      rs->setValue("lonmax", lonmax);
    }
    rs->setValue("datum", 0);
    const StoreResult u = rs->update();
    EXPECT_TRUE(u.ok()) << u.detail.toStdString();
  }
  void fix(double lat, double lon, float cog) {
    app->nav.Latitude = static_cast<float>(lat);
    app->nav.Longitude = static_cast<float>(lon);
    app->nav.CourseOverGround = cog;
    app->nav.SpeedOverGround = 6;
    app->nav.FixTime = clock.now().time();
    app->nav.TimeStale = false;
  }
};

TEST(ChartWindowDb, PictureChartKeepsTheVesselOnTheSameFeatureAtZoom300) {
  DbFixture f;
  f.addChart("Picture", f.png, false, 52.5, 53.0, 4.0, 5.0, 0);
  ChartWindow w(*f.app);
  w.resize(900, 700);
  w.show();
  ASSERT_TRUE(w.loadChart("Picture")) << f.prompter.lastText().toStdString();
  f.fix(52.75, 4.5, 0);
  w.tick();
  const QPointF at1 = *w.vesselPixel();
  // Half-way in longitude is the middle column of the picture.
  EXPECT_NEAR(at1.x(), 800, 0.01);
  w.applyZoom(300);
  w.tick();
  const QPointF at3 = *w.vesselPixel();
  EXPECT_NEAR(at3.x(), 3 * at1.x(), 0.01);
  EXPECT_NEAR(at3.y(), 3 * at1.y(), 0.01);
  // The mouse readout over the vessel gives its position back.
  const QPoint canvas = (at3 - QPointF(w.scrollValue())).toPoint();
  w.pointerMoved(canvas);
  EXPECT_NEAR(w.mouseLatitude(), 52.75, 0.001);
  EXPECT_NEAR(w.mouseLongitude(), 4.5, 0.001);
  // The pointer sits on a whole pixel: a pixel is 0.002' here.
  const QString text = w.findChild<QLabel*>("position")->text();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("52°45.00")) && text.contains(QString::fromUtf8("  004°30.00")))
      << text.toStdString();
}

TEST(ChartWindowDb, LibraryChartVesselAgreesWithTheChartsOwnProjection) {
  DbFixture f;
  f.addChart("Demo", f.kap, true, 52.0, 52.5, 4.0, 5.0, 100);
  ChartWindow w(*f.app);
  w.resize(900, 700);
  w.show();
  ASSERT_TRUE(w.loadChart("Demo")) << f.prompter.lastText().toStdString();
  EXPECT_TRUE(w.chart()->library);
  EXPECT_EQ(w.contentSize(), QSize(2000, 1500));
  f.fix(52.3, 4.6, 0);
  for (int zoom : {100, 50, 200}) {
    SCOPED_TRACE(zoom);
    w.applyZoom(zoom);
    w.tick();
    double x, y;
    seaChartPixel(SeaChartSpec{}, 52.3f, 4.6f, x, y);
    // The chart's georeference is a fit to its reference points: within a pixel.
    EXPECT_NEAR(w.vesselPixel()->x(), x * zoom / 100.0, 1.0);
    EXPECT_NEAR(w.vesselPixel()->y(), y * zoom / 100.0, 1.0);
  }
}

TEST(ChartWindowDb, BadChartsGiveTheirMessageAndLeaveTheWindowUsable) {
  DbFixture f;
  QFile corrupt(f.dir.filePath("charts/broken.kap"));
  ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
  corrupt.write("BSB/NA=Broken\r\nnot a chart at all");
  corrupt.close();
  QFile wmf(f.dir.filePath("charts/old.wmf"));
  ASSERT_TRUE(wmf.open(QIODevice::WriteOnly));
  wmf.write("\xd7\xcd\xc6\x9a junk");
  wmf.close();
  QFile junk(f.dir.filePath("charts/junk.png"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("this is no png");
  junk.close();
  f.addChart("Missing", f.dir.filePath("charts/gone.bmp"), false, 52.5, 53.0, 4.0, 5.0, 0);
  f.addChart("Corrupt KAP", corrupt.fileName(), true, 52.5, 53.0, 4.0, 5.0, 10);
  f.addChart("Metafile", wmf.fileName(), false, 52.5, 53.0, 4.0, 5.0, 0);
  f.addChart("Unreadable", junk.fileName(), false, 52.5, 53.0, 4.0, 5.0, 0);
  f.addChart("Degenerate", f.png, false, 52.5, 53.0, 4.0, 5.0, 0, true);
  f.addChart("No bounds", f.png, false, std::nullopt, 0, 0, 0, 0);
  ChartWindow w(*f.app);
  w.resize(800, 600);
  w.show();
  struct Row {
    const char* legend;
    const char* chart;
    bool loads;
    const char* message;  // start of the last message
  };
  const Row rows[] = {
      {"missing image", "Missing", false, "Loading bitmap failed : "},
      {"corrupt KAP file", "Corrupt KAP", false, "Cannot load BSB chart"},
      {"Windows metafile", "Metafile", false, "Windows metafiles (.WMF, .EMF) cannot be shown"},
      {"unreadable picture", "Unreadable", false, "Cannot read the picture"},
      {"not in the database", "Nowhere", false, "Chart does not exist"},
      {"degenerate calibration: shown, with the reason", "Degenerate", true, "Degenerate : "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    f.prompter.clear();
    EXPECT_EQ(w.loadChart(r.chart), r.loads);
    ASSERT_FALSE(f.prompter.empty());
    EXPECT_TRUE(f.prompter.lastText().startsWith(QString::fromUtf8(r.message))) << f.prompter.lastText().toStdString();
    // Usable: ticks, redraws, pointer and painting go on.
    f.fix(52.7, 4.5, 10);
    w.tick();
    w.redrawAll();
    w.pointerMoved({100, 100});
    EXPECT_FALSE(w.renderView().isNull());
  }
  // The chart without bounds is shown (they are computed from its calibration) and a
  // search never picks a row whose bounds are empty.
  f.prompter.clear();
  EXPECT_TRUE(w.loadChart("No bounds"));
  f.app->db.execute("DELETE FROM Charts WHERE description <> 'No bounds'");
  f.fix(52.7, 4.5, 0);
  w.searchChart();
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
}

TEST(ChartWindowDb, FolderSearchOnEachFixLoadsTheBetterChartOnce) {
  DbFixture f;
  f.addChart("Overview", f.png, false, 50.0, 56.0, 0.0, 10.0, 0);
  f.addChart("Harbour", f.png, false, 52.5, 53.0, 4.0, 5.0, 0);
  // Folder 1 holds both charts.
  ASSERT_TRUE(f.app->db.execute("INSERT INTO Folders (folder, description) VALUES (1, 'Coast')").ok());
  ASSERT_TRUE(f.app->db.execute("INSERT INTO [Folder charts] (Folder, Chart) SELECT 1, chart FROM Charts").ok());
  f.app->settings.system.folder = 1;
  f.app->settings.system.positioning = true;
  f.app->settings.SearchScale = true;  // detail chart
  ChartWindow w(*f.app);
  w.resize(800, 600);
  w.show();
  f.fix(51.0, 2.0, 0);  // only the overview contains it
  w.tick();
  EXPECT_TRUE(w.timer5Active());
  w.pump();
  ASSERT_TRUE(w.hasChart());
  EXPECT_EQ(w.chart()->description, "Overview");
  f.fix(52.7, 4.5, 0);  // now the harbour chart is the best one
  w.tick();
  w.pump();
  EXPECT_EQ(w.chart()->description, "Harbour");
  f.fix(52.71, 4.5, 0);  // staying inside: no reload request
  w.tick();
  EXPECT_FALSE(f.app->requests.chartChanged);
  f.fix(10.0, 10.0, 0);  // outside every chart of the folder
  w.tick();
  EXPECT_EQ(f.prompter.lastText(), "No chart found in folder");
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  // Said once, not with every fix, until a chart is found again.
  const size_t said = f.prompter.entries().size();
  w.tick();
  w.tick();
  EXPECT_EQ(f.prompter.entries().size(), said);
  f.fix(52.7, 4.5, 0);
  w.tick();
  f.fix(10.0, 10.0, 0);
  w.tick();
  EXPECT_EQ(f.prompter.entries().size(), said + 1);
}

TEST(ChartWindowDb, OverlaysConvertWithTheDatumsAsEditedInTheDatabase) {
  DbFixture f;
  f.addChart("Picture", f.png, false, 52.5, 53.0, 4.0, 5.0, 0);
  Database& db = f.app->db;
  ASSERT_TRUE(db.execute("UPDATE Charts SET datum = ? WHERE description = 'Picture'", {kWgs84Datum}).ok());
  // The user moved European 1950 (mean) by 400 m east-west in the Datums table.
  constexpr int kEd50 = 12;
  ASSERT_TRUE(db.execute("UPDATE Datums SET x = x + 400 WHERE datum = ?", {kEd50}).ok());
  ChartWindow w(*f.app);
  w.resize(800, 600);
  w.show();
  ASSERT_TRUE(w.loadChart("Picture"));
  w.redrawAll();
  ASSERT_TRUE(w.scene().toChartDatum);
  const GeoPoint stored{52.7, 4.5, kEd50};
  auto oracle = [&](const DatumLookup& lookup) {
    CalcRecord r;
    r.Lat1 = stored.lat;
    r.Lon1 = stored.lon;
    r.Datum1 = kEd50;
    r.Datum2 = kWgs84Datum;
    DatumConvert(r, lookup);
    return std::pair{r.Lat2, r.Lon2};
  };
  const auto fromDb = oracle(DatabaseDatumLookup(db));
  const auto fromCatalogue = oracle(CatalogueDatumLookup());
  // 400 m of shift is far more than the tolerance of a few centimetres.
  ASSERT_GT(std::hypot(fromDb.first - fromCatalogue.first, fromDb.second - fromCatalogue.second), 1e-3);
  const GeoPoint shown = w.scene().toChartDatum(stored);
  EXPECT_EQ(shown.datum, kWgs84Datum);
  EXPECT_NEAR(shown.lat, fromDb.first, 1e-9);
  EXPECT_NEAR(shown.lon, fromDb.second, 1e-9);

  // Without a database the built-in tables are all there is.
  db.close();
  w.redrawAll();
  ASSERT_TRUE(w.scene().toChartDatum);
  const GeoPoint fallback = w.scene().toChartDatum(stored);
  EXPECT_NEAR(fallback.lat, fromCatalogue.first, 1e-9);
  EXPECT_NEAR(fallback.lon, fromCatalogue.second, 1e-9);
}

TEST(ChartWindowDb, ChartNamedWithAQuoteLoadsWithItsInfoPoints) {
  DbFixture f;
  f.addChart("Skipper's Rock", f.png, false, 52.5, 53.0, 4.0, 5.0, 0);
  f.addChart("Skipper", f.png, false, 52.5, 53.0, 4.0, 5.0, 0);
  const StoreResult r = createInfoDatabase(f.app->infoDb, f.dir.filePath("info.db"), InfoDatabaseHeader{});
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  for (const char* chart : {"Skipper's Rock", "Skipper", "Skipper's Rock' OR '1'='1"})
    ASSERT_TRUE(f.app->infoDb
                    .execute("INSERT INTO [Info points] (Name, File, Latitude, Longitude, Icon, Chart) "
                             "VALUES (?, ' ', 52.7, 4.5, ' ', ?)",
                             {QStringLiteral("Point of ") + QLatin1String(chart), QLatin1String(chart)})
                    .ok());
  ChartWindow w(*f.app);
  w.resize(800, 600);
  w.show();
  ASSERT_TRUE(w.loadChart("Skipper's Rock"));
  EXPECT_TRUE(f.prompter.entries().empty()) << f.prompter.lastText().toStdString();
  ASSERT_NE(w.chart(), nullptr);
  EXPECT_EQ(w.chart()->description, "Skipper's Rock");
  w.redrawAll();
  // Only the chart's own point: the name is one quoted value, never part of the query.
  ASSERT_EQ(w.scene().info.size(), 1u);
  EXPECT_EQ(w.scene().info[0].name, "Point of Skipper's Rock");
}

TEST(ChartWindowDb, ChartBoundsReadInTableOrderWithEmptyBoundsMarked) {
  DbFixture f;
  Database& db = f.app->db;
  struct Row {
    const char* description;
    QVariant latmin;
    double milelat;
    bool inFolder;
  };
  const Row rows[] = {{"Wide  ", 52.0, 10, true}, {"Skipper's Rock", 52.1, 200, false}, {"No bounds", QVariant(), 50, true},
                      {"Tie", 52.0, 10, true}};
  for (const Row& r : rows)
    ASSERT_TRUE(db.execute("INSERT INTO Charts (description, bitmap, latmin, latmax, lonmin, lonmax, milelat) "
                           "VALUES (?, 'x.png', ?, 53.5, 4.0, 5.5, ?)",
                           {QLatin1String(r.description), r.latmin, r.milelat})
                    .ok());
  ASSERT_TRUE(db.execute("INSERT INTO Folders (folder, description) VALUES (7, 'Coast')").ok());
  ASSERT_TRUE(db.execute("INSERT INTO [Folder charts] (Folder, Chart) SELECT 7, chart FROM Charts WHERE description <> "
                         "'Skipper''s Rock' ORDER BY chart")
                  .ok());
  auto provider = makeDatabaseChartProvider(db, f.app->settings, f.app->paths);
  for (int folder : {0, 7}) {
    SCOPED_TRACE(folder == 0 ? "all charts" : "folder 7");
    const std::vector<ChartBounds> got = provider->chartBounds(folder);
    std::vector<const Row*> want;
    for (const Row& r : rows)
      if (folder == 0 || r.inFolder) want.push_back(&r);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(want[i]->description);
      EXPECT_EQ(got[i].description, QString::fromLatin1(want[i]->description).trimmed());
      EXPECT_EQ(got[i].hasBounds, want[i]->latmin.isValid());
      if (want[i]->latmin.isValid()) {
        EXPECT_DOUBLE_EQ(got[i].latmin, want[i]->latmin.toDouble());
      }
      EXPECT_DOUBLE_EQ(got[i].latmax, 53.5);
      EXPECT_DOUBLE_EQ(got[i].lonmin, 4.0);
      EXPECT_DOUBLE_EQ(got[i].lonmax, 5.5);
      EXPECT_DOUBLE_EQ(got[i].milelat, want[i]->milelat);
    }
  }
  // Two charts of the same scale over the position: the first in the table wins.
  ChartIndex index;
  index.reset(provider->chartBounds(0));
  const int best = index.searchBest(52.8, 4.7, ChartRanking::Overview);
  ASSERT_GE(best, 0);
  EXPECT_EQ(index.rows()[static_cast<size_t>(best)].description, "Wide");
}

TEST(ChartWindowDb, EveryOverlayRendered) {
  DbFixture f;
  f.addChart("Demo", f.kap, true, 52.0, 52.5, 4.0, 5.0, 100);
  // A waypoint type with an icon, two zones, waypoints (one with a proximity circle), a ship.
  QDir().mkpath(f.app->settings.IconDir);
  QImage icon(16, 16, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    p.setBrush(QColor(255, 200, 0));
    p.setPen(Qt::black);
    p.drawEllipse(1, 1, 13, 13);
  }
  ASSERT_TRUE(icon.save(QDir(f.app->settings.IconDir).filePath("buoy.png")));
  Database& db = f.app->db;
  ASSERT_TRUE(db.execute("INSERT INTO [Waypoint types] (Type, description, Icon) VALUES (77, 'Buoy', 'buoy.png')").ok());
  ASSERT_TRUE(db.execute("INSERT INTO Zones (zone, Name) VALUES (1, 'Firing range')").ok());
  ASSERT_TRUE(db.execute("INSERT INTO Zones (zone, Name) VALUES (2, 'Wreck')").ok());
  for (auto [lat, lon] : {std::pair{52.42, 4.10}, {52.42, 4.30}, {52.34, 4.30}, {52.34, 4.10}})
    ASSERT_TRUE(db.execute("INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (1, ?, ?, 0)", {lat, lon}).ok());
  for (auto [lat, lon] : {std::pair{52.20, 4.75}, {52.14, 4.85}, {52.12, 4.68}})
    ASSERT_TRUE(db.execute("INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (2, ?, ?, 0)", {lat, lon}).ok());
  struct Wp {
    const char* name;
    double lat, lon, prox;
    int type;
  };
  for (const Wp& w : {Wp{"Buoy A", 52.30, 4.45, 0.8, 77}, Wp{"Harbour entrance", 52.22, 4.55, 0, 0},
                      Wp{"Buoy B", 52.26, 4.62, 0, 77}, Wp{"Light", 52.38, 4.62, 0, 0}})
    ASSERT_TRUE(db.execute("INSERT INTO Waypoints (description, latitude, longitude, Type, proximity, datum) "
                           "VALUES (?, ?, ?, ?, ?, 0)",
                           {QString::fromLatin1(w.name), w.lat, w.lon, w.type, w.prox})
                    .ok());
  ASSERT_TRUE(db.execute("INSERT INTO Ships (Name, latitude, longitude, speed, course) VALUES ('Albatros', 52.18, 4.35, 5.5, 270)").ok());

  f.app->settings.Rulers = true;
  f.app->settings.Crosshairs = true;
  f.app->settings.ChartCircles = true;
  f.app->settings.system.gridDistance = 1;
  f.app->settings.ChartAccuracy = "10";
  ChartWindow w(*f.app);
  w.resize(1100, 800);
  w.show();
  ASSERT_TRUE(w.loadChart("Demo"));
  w.setActiveRoute({{52.40, 4.40}, {52.30, 4.45}, {52.22, 4.55}, {52.16, 4.70}});
  w.setLoadedTracks({{{52.45, 4.05}, {52.40, 4.15}, {52.36, 4.35}, {52.33, 4.50}}});
  w.setLogPositions({{{52.27, 4.20, 0}, "Reefed"}}, true);
  w.setInfoPoints({{1, "Marina info", {52.24, 4.40, 0}, "", ""}}, {}, true);
  w.setRadarTargets({{3, {52.29, 4.70, 0}, "T"}});
  w.setGotoTarget(std::pair{52.22, 4.55});
  // Sail north-east for a while: the track grows, then the fix is lost and comes back.
  double lat = 52.16, lon = 4.20;
  for (int i = 0; i < 25; ++i) {
    f.fix(lat, lon, 40);
    w.tick();
    f.clock.advanceSecs(1);
    lat += 0.004;
    lon += 0.006;
    if (i == 12) {
      f.app->nav.TimeStale = true;
      w.tick();
      lat += 0.01;
    }
  }
  EXPECT_GE(w.renderer().trackLine().elements().size(), 5u);
  w.pump();
  w.redrawAll();
  f.app->settings.CenterChart = true;
  w.keepInView();
  w.pointerMoved({300, 250});
  EXPECT_EQ(w.regions().count(), 3);  // two zones, one proximity circle
  const QImage shot = w.grab().toImage();
  EXPECT_TRUE(shot.save(QStringLiteral(TAVRIK_BINARY_DIR "/chart_window_overlays.png")));
  // The tables are kept between redraws and read again once the database changed.
  w.redrawAll();
  EXPECT_EQ(w.regions().count(), 3);
  ASSERT_TRUE(db.execute("INSERT INTO Zones (zone, Name) VALUES (3, 'New')").ok());
  for (auto [lat, lon] : {std::pair{52.1, 4.1}, {52.1, 4.2}, {52.05, 4.15}})
    ASSERT_TRUE(db.execute("INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (3, ?, ?, 0)", {lat, lon}).ok());
  w.redrawAll();
  EXPECT_EQ(w.regions().count(), 4);
}

}  // namespace
}  // namespace tavrik
