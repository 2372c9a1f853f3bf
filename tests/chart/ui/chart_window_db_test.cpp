// The chart window over a real database file and real chart files: the demo KAP chart
// (checked against GDAL by the chart library's own tests), a calibrated picture, and
// broken inputs of every kind. Also renders the window with every overlay into
// chart_window_overlays.png in the build folder, for a look.

#include <QDir>
#include <QLabel>

#include "chart/chart_loader.h"
#include "chart/database_chart_provider.h"
#include "chart/kap_writer.h"
#include "chart/demo_chart.h"
#include "chart/water_start.h"
#include "chart/ui/chart_window_fixture.h"
#include "core/messages.h"
#include "geo/datum_catalogue.h"
#include "geo/nav_math.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "test_data.h"

namespace tavrik {
namespace {

struct Box {
  double latmin, latmax, lonmin, lonmax;
};
constexpr Box kPictureBox{52.5, 53.0, 4.0, 5.0};

struct DbFixture : test::ChartWindowFixture {
  QString kap = dir.filePath("charts/demo.kap"), png = dir.filePath("charts/picture.png");
  Database& db = app->db;

  DbFixture() {
    EXPECT_TRUE(QDir().mkpath(dir.filePath("charts")));
    const StoreResult r = createMainDatabase(db, dir.filePath("gps.db"), clock.now());
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    app->settings.ChartDir = dir.filePath("charts");
    app->settings.IconDir = dir.filePath("icons");
    app->nav.SpeedOverGround = 6;
    QString error;
    EXPECT_TRUE(writeDemoChart(kap, &error)) << error.toStdString();
    // A picture of 1600 x 1200 pixels calibrated as a Mercator chart: point 1 at the
    // top-left (53 N, 4 E), point 2 at the bottom-right (52.5 N, 5 E), chart units of
    // 15 per pixel.
    QImage img(1600, 1200, QImage::Format_RGB32);
    img.fill(QColor(235, 240, 250));
    EXPECT_TRUE(img.save(png));
  }

  // A Mercator row over the picture's calibration; KAP files are library charts.
  void addChart(const QString& description, const QString& bitmap, std::optional<Box> box = kPictureBox,
                double milelat = 0, bool degenerate = false) {
    const bool bsb = bitmap.endsWith(".kap");
    const double x2 = 1600 * 15.0, y2 = 1200 * 15.0;
    const double ml = degenerate ? 0 : y2 / std::fabs(MeridionalParts(52.5) - MeridionalParts(53.0));
    auto rs = db.openRecordset("Charts");
    rs->addNew();
    const std::pair<const char*, QVariant> values[] = {
        {"description", description}, {"bitmap", bitmap}, {"mercator", true}, {"BSB", bsb},
        {"latitude1", 53.0}, {"longitude1", 4.0}, {"x1", 0.0}, {"y1", 0.0},
        {"latitude2", degenerate ? 53.0 : 52.5}, {"longitude2", 5.0}, {"x2", x2}, {"y2", y2},
        {"milelat", bsb ? milelat : ml}, {"milelon", degenerate ? 0 : x2 / 60.0}, {"maxx", x2}, {"maxy", y2},
        {"datum", 0}};
    for (const auto& [field, value] : values) rs->setValue(field, value);
    if (box)
      for (auto [field, value] : {std::pair{"latmin", box->latmin}, {"latmax", box->latmax},
                                  {"lonmin", box->lonmin}, {"lonmax", box->lonmax}})
        rs->setValue(field, value);
    const StoreResult u = rs->update();
    EXPECT_TRUE(u.ok()) << u.detail.toStdString();
  }
  void exec(const QString& sql, const QVariantList& args = {}) {
    const StoreResult r = db.execute(sql, args);
    EXPECT_TRUE(r.ok()) << sql.toStdString() << ": " << r.detail.toStdString();
  }
};

TEST(ChartWindowDb, VesselOnThePictureAndTheLibraryChartAtEveryZoom) {
  DbFixture f;
  f.addChart("Picture", f.png);
  f.addChart("Demo", f.kap, Box{52.0, 52.5, 4.0, 5.0}, 100);
  ChartWindow& w = f.open({900, 700});
  ASSERT_TRUE(w.loadChart("Picture")) << f.prompter.lastText().toStdString();
  f.fix(52.75, 4.5);
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
  w.pointerMoved((at3 - QPointF(w.scrollValue())).toPoint());
  EXPECT_NEAR(w.mouseLatitude(), 52.75, 0.001);
  EXPECT_NEAR(w.mouseLongitude(), 4.5, 0.001);
  // The pointer sits on a whole pixel: a pixel is 0.002' here.
  const QString text = w.findChild<QLabel*>("position")->text();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("52°45.00")) && text.contains(QString::fromUtf8("  004°30.00")))
      << text.toStdString();

  // The library chart: the vessel agrees with the chart's own projection.
  w.applyZoom(100);
  ASSERT_TRUE(w.loadChart("Demo")) << f.prompter.lastText().toStdString();
  EXPECT_TRUE(w.chart()->library);
  EXPECT_EQ(w.contentSize(), QSize(2000, 1500));
  f.fix(52.3, 4.6);
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

TEST(ChartWindowDb, NightScreenRecoloursChartAndOverlaysAndRestoresTheDayExactly) {
  DbFixture f;
  f.addChart("Demo", f.kap, Box{52.0, 52.5, 4.0, 5.0}, 100);
  // A palette picture and the fixture's true-colour picture over the same area.
  QImage indexed(1600, 1200, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 255)});
  indexed.fill(0);
  const QString palettePng = f.dir.filePath("charts/palette.png");
  ASSERT_TRUE(indexed.save(palettePng));
  f.addChart("Palette", palettePng);
  f.addChart("Picture", f.png);
  f.app->settings.Rulers = true;
  ChartWindow& w = f.open({700, 500});
  ASSERT_TRUE(w.loadChart("Demo"));
  f.fix(52.3, 4.6);
  w.tick();
  const QImage day = w.renderView();
  f.app->nightScreen = true;
  f.app->requests.nightScreenChanged = true;
  w.pump();
  EXPECT_FALSE(f.app->requests.nightScreenChanged);
  const QImage night = w.renderView();
  // Chart pixels take the chart's NGT entry of their daytime RGB entry; what is drawn
  // over the chart (the vessel, rulers) has no green or blue left.
  const KapHeader h = seaChartHeader(SeaChartSpec{});
  const QVector<QRgb> rgb = h.palettes["RGB"], ngt = h.palettes["NGT"];
  int chartPixels = 0, overlayPixels = 0;
  for (int y = 0; y < day.height(); y += 3)
    for (int x = 0; x < day.width(); x += 3) {
      const int entry = static_cast<int>(rgb.indexOf(day.pixel(x, y)));
      if (entry > 0 && night.pixel(x, y) == ngt[entry]) ++chartPixels;
      else if (entry < 0 && qGreen(night.pixel(x, y)) == 0 && qBlue(night.pixel(x, y)) == 0) ++overlayPixels;
    }
  EXPECT_GT(chartPixels, day.width() * day.height() / 9 * 8 / 10);
  EXPECT_GT(overlayPixels, 20);
  const QPointF vessel = *w.vesselPixel() - QPointF(w.scrollValue());
  const QRgb onVessel = night.pixel(vessel.toPoint());
  EXPECT_EQ(qGreen(onVessel) | qBlue(onVessel), 0);

  f.app->nightScreen = false;
  f.app->requests.nightScreenChanged = true;
  w.pump();
  EXPECT_EQ(w.renderView(), day);

  // Applied at every load: a palette picture loads red; a true-colour one says why not.
  f.app->nightScreen = true;
  ASSERT_TRUE(w.loadChart("Palette"));
  EXPECT_EQ(w.renderView().pixel(350, 250), qRgb(255, 0, 0));
  EXPECT_TRUE(w.notice().isEmpty());
  ASSERT_TRUE(w.loadChart("Picture"));
  EXPECT_TRUE(w.notice().contains("no colour palette")) << w.notice().toStdString();
  EXPECT_EQ(w.renderView().pixel(350, 250), qRgb(235, 240, 250));
}

TEST(ChartWindowDb, BadChartsGiveTheirMessageAndLeaveTheWindowUsable) {
  DbFixture f;
  auto file = [&](const char* name, const QByteArray& bytes) {
    QFile out(f.dir.filePath(name));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return out.fileName();
  };
  f.addChart("Missing", f.dir.filePath("charts/gone.bmp"));
  f.addChart("Corrupt KAP", file("charts/broken.kap", "BSB/NA=Broken\r\nnot a chart at all"), kPictureBox, 10);
  f.addChart("Metafile", file("charts/old.wmf", "\xd7\xcd\xc6\x9a junk"));
  f.addChart("Unreadable", file("charts/junk.png", "this is no png"));
  f.addChart("Degenerate", f.png, kPictureBox, 0, true);
  f.addChart("No bounds", f.png, std::nullopt);
  ChartWindow& w = f.open();
  struct Row {
    const char* legend;
    const char* chart;
    bool loads;
    const char* message;  // start of the last message
  } rows[] = {
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
    const QString said = f.prompter.lastText();
    EXPECT_TRUE(said.startsWith(QString::fromUtf8(r.message))) << said.toStdString();
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
  f.exec("DELETE FROM Charts WHERE description <> 'No bounds'");
  f.fix(52.7, 4.5);
  w.searchChart();
  EXPECT_EQ(f.prompter.lastText(), "No chart found in database");
}

TEST(ChartWindowDb, FolderSearchOnEachFixLoadsTheBetterChartOnce) {
  DbFixture f;
  f.addChart("Overview", f.png, Box{50.0, 56.0, 0.0, 10.0});
  f.addChart("Harbour", f.png);
  // Folder 1 holds both charts.
  f.exec("INSERT INTO Folders (folder, description) VALUES (1, 'Coast')");
  f.exec("INSERT INTO [Folder charts] (Folder, Chart) SELECT 1, chart FROM Charts");
  f.app->settings.system.folder = 1;
  f.app->settings.system.positioning = true;
  f.app->settings.SearchScale = true;  // detail chart
  ChartWindow& w = f.open();
  auto at = [&](double lat, double lon) {
    f.fix(lat, lon);
    w.tick();
  };
  at(51.0, 2.0);  // only the overview contains it
  EXPECT_TRUE(w.timer5Active());
  w.pump();
  ASSERT_TRUE(w.hasChart());
  EXPECT_EQ(w.chart()->description, "Overview");
  at(52.7, 4.5);  // now the harbour chart is the best one
  w.pump();
  EXPECT_EQ(w.chart()->description, "Harbour");
  at(52.71, 4.5);  // staying inside: no reload request
  EXPECT_FALSE(f.app->requests.chartChanged);
  at(10.0, 10.0);  // outside every chart of the folder
  EXPECT_EQ(f.prompter.lastText(), "No chart found in folder");
  EXPECT_EQ(f.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  // Said once, not with every fix, until a chart is found again.
  const size_t said = f.prompter.entries().size();
  w.tick();
  w.tick();
  EXPECT_EQ(f.prompter.entries().size(), said);
  at(52.7, 4.5);
  at(10.0, 10.0);
  EXPECT_EQ(f.prompter.entries().size(), said + 1);
}

TEST(ChartWindowDb, OverlaysConvertWithTheDatumsAsEditedInTheDatabase) {
  DbFixture f;
  f.addChart("Picture", f.png);
  f.exec("UPDATE Charts SET datum = ? WHERE description = 'Picture'", {kWgs84Datum});
  // The user moved European 1950 (mean) by 400 m east-west in the Datums table.
  constexpr int kEd50 = 12;
  f.exec("UPDATE Datums SET x = x + 400 WHERE datum = ?", {kEd50});
  ChartWindow& w = f.open();
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
  const auto fromDb = oracle(DatabaseDatumLookup(f.db));
  const auto fromCatalogue = oracle(CatalogueDatumLookup());
  // 400 m of shift is far more than the tolerance of a few centimetres.
  ASSERT_GT(std::hypot(fromDb.first - fromCatalogue.first, fromDb.second - fromCatalogue.second), 1e-3);
  const GeoPoint shown = w.scene().toChartDatum(stored);
  EXPECT_EQ(shown.datum, kWgs84Datum);
  EXPECT_NEAR(shown.lat, fromDb.first, 1e-9);
  EXPECT_NEAR(shown.lon, fromDb.second, 1e-9);
  // Without a database the built-in tables are all there is.
  f.db.close();
  w.redrawAll();
  ASSERT_TRUE(w.scene().toChartDatum);
  const GeoPoint fallback = w.scene().toChartDatum(stored);
  EXPECT_NEAR(fallback.lat, fromCatalogue.first, 1e-9);
  EXPECT_NEAR(fallback.lon, fromCatalogue.second, 1e-9);
}

TEST(ChartWindowDb, RadarTargetsFromTheReceiverAreDrawnAndAgeToLost) {
  DbFixture f;
  f.addChart("Picture", f.png);
  ChartWindow& w = f.open();
  ASSERT_TRUE(w.loadChart("Picture"));
  f.app->receiver.applySettings();
  f.app->receiver.beginSession();
  f.app->receiver.dispatch("$GPRMC,120000,A,5245.000,N,00430.000,E,5.0,90.0,071226,,");
  f.app->receiver.dispatch("$RATTM,04,2.0,90.0,T,8.0,270.0,T,0.3,4.0,N,TUG,T,,120000,A");
  ASSERT_EQ(f.app->radar.targets.size(), 2u);
  w.pump();
  ASSERT_EQ(w.scene().radar.size(), 1u);
  EXPECT_EQ(w.scene().radar[0].number, 4);
  EXPECT_NEAR(w.scene().radar[0].pos.lon, 4.5 + 2.0 / 60 / std::cos(52.75 * M_PI / 180), 0.001);
  f.clock.advanceSecs(11);
  f.app->cycle.tick();
  w.pump();
  EXPECT_EQ(w.scene().radar[0].status, "L");
  // A new session empties the table and the chart with it.
  f.app->receiver.endSession();
  f.app->receiver.beginSession();
  w.pump();
  EXPECT_TRUE(w.scene().radar.empty());
}

TEST(ChartWindowDb, ChartNamedWithAQuoteLoadsWithItsInfoPointsAndThoseOfEveryChart) {
  DbFixture f;
  f.addChart("Skipper's Rock", f.png);
  f.addChart("Skipper", f.png);
  QDir().mkpath(f.dir.filePath("infos"));
  const StoreResult r = createInfoDatabase(f.app->infoDb, f.dir.filePath("infos/info.db"), InfoDatabaseHeader{});
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  for (const char* chart : {"Skipper's Rock", "Skipper", "Skipper's Rock' OR '1'='1", " "})
    ASSERT_TRUE(f.app->infoDb
                    .execute("INSERT INTO [Info points] (Name, File, Latitude, Longitude, Icon, Chart) "
                             "VALUES (?, 'guides\\harbour.txt', 52.7, 4.5, 'C:\\icons\\i.ico', ?)",
                             {QStringLiteral("Point of ") + QLatin1String(chart), QLatin1String(chart)})
                    .ok());
  ChartWindow& w = f.open();
  ASSERT_TRUE(w.loadChart("Skipper's Rock"));
  EXPECT_TRUE(f.prompter.entries().empty()) << f.prompter.lastText().toStdString();
  ASSERT_NE(w.chart(), nullptr);
  EXPECT_EQ(w.chart()->description, "Skipper's Rock");
  w.redrawAll();
  // The chart's own point and the one of every chart: the name is one quoted value,
  // never part of the query. Files lie below the info database's folder; a name with
  // a drive stays as it is.
  ASSERT_EQ(w.scene().info.size(), 2u);
  EXPECT_EQ(w.scene().info[0].name, "Point of Skipper's Rock");
  EXPECT_EQ(w.scene().info[1].name, "Point of");
  EXPECT_EQ(w.scene().info[1].file, f.dir.filePath("infos/guides/harbour.txt"));
  EXPECT_EQ(w.scene().info[1].icon, "C:\\icons\\i.ico");
}

TEST(ChartWindowDb, ChartBoundsReadInTableOrderWithEmptyBoundsMarked) {
  DbFixture f;
  struct Row {
    const char* description;
    QVariant latmin;
    double milelat;
    bool inFolder;
  } rows[] = {{"Wide  ", 52.0, 10, true}, {"Skipper's Rock", 52.1, 200, false}, {"No bounds", QVariant(), 50, true},
              {"Tie", 52.0, 10, true}};
  for (const Row& r : rows)
    f.exec("INSERT INTO Charts (description, bitmap, latmin, latmax, lonmin, lonmax, milelat) "
           "VALUES (?, 'x.png', ?, 53.5, 4.0, 5.5, ?)",
           {QLatin1String(r.description), r.latmin, r.milelat});
  f.exec("INSERT INTO Folders (folder, description) VALUES (7, 'Coast')");
  f.exec("INSERT INTO [Folder charts] (Folder, Chart) SELECT 7, chart FROM Charts WHERE description <> "
         "'Skipper''s Rock' ORDER BY chart");
  auto provider = makeDatabaseChartProvider(f.db, f.app->settings, f.app->paths);
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
  // The database's own search of a first request agrees with the index everywhere:
  // edges, empty bounds, ties, folders, both rankings.
  for (int folder : {0, 7})
    for (ChartRanking ranking : {ChartRanking::Overview, ChartRanking::Detail}) {
      const ChartIndex idx(provider->chartBounds(folder));
      for (double lat : {51.9, 52.0, 52.05, 52.1, 52.5, 53.5})
        for (double lon : {4.0, 4.7, 5.5}) {
          const int i = idx.searchBest(lat, lon, ranking);
          const QString want = i < 0 ? QString() : idx.rows()[static_cast<size_t>(i)].description;
          EXPECT_EQ(provider->bestChart(folder, lat, lon, ranking), want)
              << folder << " " << static_cast<int>(ranking) << " " << lat << " " << lon;
        }
    }
}

TEST(ChartWindowDb, ChartFileOpenedDirectlyJoinsTheLibraryWithItsDatum) {
  DbFixture f;
  f.addChart("Picture", f.png);
  ChartWindow& w = f.open({900, 700});
  const QString kap = testDataFile("charts/11370_2.KAP");
  const QString description = "MISSISSIPPI RIVER  REMY TO BRINGIER [6.11370_2]";
  auto charts = [&] { return f.db.scalar("SELECT COUNT(*) FROM Charts").toInt(); };
  // Declined: shown under its own name, the library unchanged.
  ASSERT_TRUE(w.loadChartFile(kap)) << f.prompter.lastText().toStdString();
  ASSERT_EQ(f.prompter.entries().size(), 1u);
  EXPECT_EQ(f.prompter.entries()[0].kind, Prompter::Kind::Question);
  EXPECT_EQ(f.prompter.lastText(), "11370_2.KAP is not in the chart library, so Search chart and automatic "
                                   "positioning cannot find it. Add it (folder charts, datum North American 1983)?");
  EXPECT_EQ(w.chart()->description, "MISSISSIPPI RIVER  REMY TO BRINGIER POINT");
  EXPECT_EQ(charts(), 1);
  // Accepted: one row with its folder, found by the search from a position on it.
  f.prompter.answer(true);
  ASSERT_TRUE(w.loadChartFile(kap));
  EXPECT_EQ(w.chart()->description, description);
  EXPECT_EQ(f.app->activeChartDatum, 3);
  EXPECT_TRUE(w.chart()->information.endsWith("Datum used: North American 1983 (chart NAD83)"));
  const std::vector<QVariantList> rows =
      f.db.rows("SELECT Charts.description, BSB, datum, Folders.description, latmin, latmax, lonmin, lonmax "
                "FROM Charts, [Folder charts], Folders WHERE [Folder charts].Chart = Charts.chart "
                "AND [Folder charts].Folder = Folders.folder");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].toString(), description);
  EXPECT_NE(rows[0][1].toInt(), 0);
  EXPECT_EQ(rows[0][2].toInt(), 3);
  EXPECT_EQ(rows[0][3].toString(), "charts");
  // The bounds hold the chart's reference points and little more (the image corners lie beyond them).
  const double bounds[4] = {rows[0][4].toDouble(), rows[0][5].toDouble(), rows[0][6].toDouble(), rows[0][7].toDouble()};
  const double refExtremes[4] = {29.9494, 30.1530, -90.9743, -90.7367};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(bounds[i], refExtremes[i], 0.05) << i;
    EXPECT_TRUE(i % 2 == 0 ? bounds[i] <= refExtremes[i] : bounds[i] >= refExtremes[i]) << i;
  }
  ASSERT_TRUE(w.loadChart("Picture"));
  f.fix(30.1064, -90.8825);
  w.searchChart();
  w.pump();
  EXPECT_EQ(w.chart()->description, description);
  // Opened again: the row loads it, no question.
  f.prompter.clear();
  ASSERT_TRUE(w.loadChartFile(kap));
  EXPECT_TRUE(f.prompter.empty()) << f.prompter.lastText().toStdString();
  EXPECT_EQ(w.chart()->description, description);
  EXPECT_EQ(charts(), 2);
  // Added a second time: the same row and link, brought up to date.
  RasterChartError error;
  std::shared_ptr<const RasterChart> raster(RasterChartLibrary::openChart(kap, &error));
  ASSERT_TRUE(raster);
  const StoreResult again =
      addChartFileToLibrary(f.db, *raster, chartFileRecord(raster, kap, datumNames(f.db)), kap, f.clock.now());
  EXPECT_TRUE(again.ok()) << again.detail.toStdString();
  EXPECT_EQ(charts(), 2);
  EXPECT_EQ(f.db.scalar("SELECT COUNT(*) FROM [Folder charts]").toInt(), 1);

  // A NAD27 chart: positions are converted to North American 1927 for it.
  KapHeader h = test::mercatorHeader({});
  h.datum = "NAD27";
  test::writeTestKap(f.dir.filePath("charts/nad27.kap"), h);
  ASSERT_TRUE(w.loadChartFile(f.dir.filePath("charts/nad27.kap")));
  EXPECT_EQ(f.app->activeChartDatum, 4);
  EXPECT_TRUE(w.chart()->information.endsWith("Datum used: North American 1927 (CONUS) (chart NAD27)"));
}

TEST(ChartWindowDb, EveryOverlayRendered) {
  DbFixture f;
  f.addChart("Demo", f.kap, Box{52.0, 52.5, 4.0, 5.0}, 100);
  // A waypoint type with an icon, two zones, waypoints (one with a proximity circle), a ship.
  QDir().mkpath(f.app->settings.IconDir);
  QImage icon(16, 16, QImage::Format_RGB32);
  icon.fill(QColor(255, 200, 0));
  ASSERT_TRUE(icon.save(QDir(f.app->settings.IconDir).filePath("buoy.png")));
  f.exec("INSERT INTO [Waypoint types] (Type, description, Icon) VALUES (77, 'Buoy', 'buoy.png')");
  auto zone = [&](int key, const char* name, std::initializer_list<std::pair<double, double>> points) {
    f.exec("INSERT INTO Zones (zone, Name) VALUES (?, ?)", {key, QLatin1String(name)});
    for (auto [lat, lon] : points)
      f.exec("INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (?, ?, ?, 0)", {key, lat, lon});
  };
  zone(1, "Firing range", {{52.42, 4.10}, {52.42, 4.30}, {52.34, 4.30}, {52.34, 4.10}});
  zone(2, "Wreck", {{52.20, 4.75}, {52.14, 4.85}, {52.12, 4.68}});
  // Corners stored out of row order still join in `Point` order.
  f.exec("INSERT INTO Zones (zone, Name) VALUES (9, 'Out of order')");
  for (auto [point, lon] : {std::pair{30, 4.3}, std::pair{10, 4.1}, std::pair{20, 4.2}})
    f.exec("INSERT INTO [Zone points] (Zone, Point, latitude, longitude, Datum) VALUES (9, ?, 52.05, ?, 0)",
           {point, lon});
  struct Wp {
    const char* name;
    double lat, lon, prox;
    int type;
  };
  for (const Wp& w : {Wp{"Buoy A", 52.30, 4.45, 0.8, 77}, Wp{"Harbour entrance", 52.22, 4.55, 0, 0},
                      Wp{"Buoy B", 52.26, 4.62, 0, 77}, Wp{"Light", 52.38, 4.62, 0, 0}})
    f.exec("INSERT INTO Waypoints (description, latitude, longitude, Type, proximity, datum) "
           "VALUES (?, ?, ?, ?, ?, 0)",
           {QString::fromLatin1(w.name), w.lat, w.lon, w.type, w.prox});
  f.exec("INSERT INTO Ships (Name, latitude, longitude, speed, course) "
         "VALUES ('Albatros', 52.18, 4.35, 5.5, 270)");
  f.exec("INSERT INTO [Waypoint groups] ([Group], Description) VALUES (5, 'Harbours'), (6, 'Marks')");
  f.exec("UPDATE Waypoints SET [Group] = CASE WHEN description LIKE 'Buoy%' THEN 6 ELSE 5 END");
  f.exec("INSERT INTO [Waypoint types] (Type, description) VALUES (0, 'Plain')");
  AppSettings& s = f.app->settings;
  s.Rulers = s.Crosshairs = s.ChartCircles = s.ChartCourseLine = true;
  s.system.gridDistance = 1;
  s.ChartAccuracy = "10";
  ChartWindow& w = f.open({1100, 800});
  ASSERT_TRUE(w.loadChart("Demo"));
  // The displayed-waypoints selection, not every row of `Waypoints`, is drawn.
  const auto shownNames = [&] {
    QStringList names;
    for (const WaypointItem& wp : w.scene().waypoints) names << wp.name;
    return names.join(',');
  };
  struct Selection {
    QString query;
    const char* shown;
  } selections[] = {{QString(), ""},
                    {DisplayWaypointsQuery({"Marks"}, {"ALL"}), "Buoy A,Buoy B"},
                    {DisplayWaypointsQuery({"ALL"}, {"Plain"}), "Harbour entrance,Light"},
                    {DisplayWaypointsQuery({"ALL"}, {"ALL"}), "Buoy A,Buoy B,Harbour entrance,Light"}};
  for (const Selection& sel : selections) {
    f.app->selections.displayedWaypoints = sel.query;
    w.redrawAll();
    EXPECT_EQ(shownNames(), sel.shown) << sel.query.toStdString();
  }
  const auto zone9 = std::find_if(w.scene().zones.begin(), w.scene().zones.end(), [](const ZoneItem& z) { return z.key == 9; });
  ASSERT_NE(zone9, w.scene().zones.end());
  ASSERT_EQ(zone9->points.size(), 3u);
  EXPECT_EQ(zone9->points[0].lon, 4.1);
  EXPECT_EQ(zone9->points[2].lon, 4.3);
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
  s.CenterChart = true;
  w.keepInView();
  w.pointerMoved({300, 250});
  EXPECT_EQ(w.regions().count(), 4);  // three zones, one proximity circle
  // The course line is drawn ahead of the vessel (course 40: up and to the right).
  ASSERT_TRUE(w.renderer().courseLine());
  EXPECT_GT(w.renderer().courseLine()->dx(), 0);
  EXPECT_LT(w.renderer().courseLine()->dy(), 0);
  s.ChartCourseLine = false;
  f.app->requests.redrawCourseLine = true;
  w.pump();
  EXPECT_FALSE(w.renderer().courseLine());
  s.ChartCourseLine = true;
  f.app->requests.redrawCourseLine = true;
  w.pump();
  EXPECT_TRUE(w.grab().toImage().save(QStringLiteral(TAVRIK_BINARY_DIR "/chart_window_overlays.png")));
  // The tables are kept between redraws and read again once the database changed.
  w.redrawAll();
  EXPECT_EQ(w.regions().count(), 4);
  zone(3, "New", {{52.1, 4.1}, {52.1, 4.2}, {52.05, 4.15}});
  w.redrawAll();
  EXPECT_EQ(w.regions().count(), 5);
}

// A vessel whose last position is far from a real NOAA chart (the Mississippi's South
// Pass, land and water) starts on the chart's water, heading along water.
TEST(ChartWindowDb, SimulatorStartsOnTheWaterOfARealChart) {
  DbFixture f;
  ChartWindow& w = f.open({900, 700});
  ASSERT_TRUE(w.loadChartFile(testDataFile("charts/11361_3.KAP"))) << f.prompter.lastText().toStdString();
  const std::optional<SimulationStart> start = w.simulationStart(0, 0);
  ASSERT_TRUE(start);
  const QPointF at = w.projection()->toPixel(start->latitude, start->longitude);
  const QSize size = w.chart()->image->size();
  ASSERT_TRUE(QRectF(QPointF(0, 0), QSizeF(size)).contains(at)) << at.x() << " " << at.y();
  // Water at the start and 50 pixels on along the course (no rotation on this chart).
  const double rad = start->courseDeg * M_PI / 180;
  for (const double ahead : {0.0, 50.0}) {
    const QPoint p = (at + ahead * QPointF(std::sin(rad), -std::cos(rad))).toPoint();
    const QImage pixel = w.chart()->image->region(QRect(p, QSize(1, 1)));
    ASSERT_FALSE(pixel.isNull());
    EXPECT_TRUE(LooksLikeWater(pixel.pixel(0, 0))) << ahead << " px: " << std::hex << pixel.pixel(0, 0);
  }
}

}  // namespace
}  // namespace tavrik
