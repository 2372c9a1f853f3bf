#include "chart/chart_loader.h"

#include <QDir>
#include <sqlite3.h>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "chart/chart_datum.h"
#include "chart/chart_row_store.h"
#include "chart/database_chart_provider.h"
#include "chart/night_palette.h"
#include "chart/overlay_datum.h"
#include "core/messages.h"
#include "core/shared_selections.h"
#include "geo/nav_math.h"
#include "store/sql_text.h"

namespace tavrik {

namespace {

bool onRemovableMedia(const QString& path) {
  // A Windows path on another drive than C:, or a Linux mount point for removable media.
  if (path.size() >= 2 && path[1] == ':') return !path.startsWith(QStringLiteral("C:"), Qt::CaseInsensitive);
  return path.startsWith(QStringLiteral("/media/")) || path.startsWith(QStringLiteral("/mnt/")) ||
         path.startsWith(QStringLiteral("/run/media/"));
}

QString upperExt(const QString& path) {
  const QString s = QFileInfo(path).suffix();
  return s.isEmpty() ? QString() : "." + s.toUpper();
}

QImage loadIcon(const QString& folder, const QString& name) {
  const QString n = name.trimmed();
  if (n.isEmpty()) return {};
  QString path = QDir(folder).filePath(fileNamePart(n));
  if (!QFileInfo::exists(path)) path = n;
  QImage img;
  if (!img.load(path)) return {};
  // Icons are small marks: keep them at most 32 pixels.
  if (img.width() > 32 || img.height() > 32) img = img.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return img;
}

// A file or icon name of an info point: relative to the info database's folder unless
// it names a drive (or, here, an absolute path).
QString infoFilePath(const QString& folder, const QString& name) {
  const QString n = name.trimmed();
  if (n.isEmpty() || n.contains(':') || QDir::isAbsolutePath(n)) return n;
  return QDir(folder).filePath(QDir::fromNativeSeparators(QString(n).replace('\\', '/')));
}

bool finiteAll(std::initializer_list<double> v) {
  for (double d : v)
    if (!std::isfinite(d)) return false;
  return true;
}

}  // namespace

RecordProjection::RecordProjection(ChartRecord record, std::shared_ptr<const RasterChart> raster, double zoom)
    : m_record(std::move(record)), m_raster(std::move(raster)), m_zoom(zoom > 0 ? zoom : 1.0) {
  m_view.raster = m_raster.get();
  m_view.zoom = m_zoom;
}

QPointF RecordProjection::toPixel(double lat, double lon) const {
  float x = 0, y = 0;
  LatLonToView(m_record, m_view, lat, lon, x, y);
  // Library charts come back in displayed units already; pictures in chart units of
  // the unzoomed image, which the zoom scales (as the calibration scaled by the zoom).
  const double f = m_record.bsb ? 1.0 / kTwipsPerPixel : m_zoom / kTwipsPerPixel;
  return {x * f, y * f};
}

void RecordProjection::toLatLon(QPointF px, double& lat, double& lon) const {
  const double f = m_record.bsb ? kTwipsPerPixel : kTwipsPerPixel / m_zoom;
  ViewToLatLon(m_record, m_view, static_cast<float>(px.x() * f), static_cast<float>(px.y() * f), lat, lon);
}

double RecordProjection::pixelsPerNm(double lat) const {
  if (!m_record.bsb && m_record.mercator)
    return (MeridionalParts(lat + 1) - MeridionalParts(lat)) / 60 * m_record.milelat * m_zoom / kTwipsPerPixel;
  // One mile due north, from calibration point 1 (pictures) or from the vessel's
  // latitude in the middle of the chart (library charts).
  CalcRecord r;
  r.Lat1 = m_record.bsb ? lat : m_record.latitude1;
  r.Lon1 = m_record.bsb ? (m_record.lonmin + m_record.lonmax) / 2 : m_record.longitude1;
  r.Course = 0;
  r.Distance = 1;
  DeadReckoning(r);
  const QPointF a = toPixel(r.Lat1, r.Lon1), b = toPixel(r.Lat2, r.Lon2);
  const double d = std::hypot(b.x() - a.x(), b.y() - a.y());
  return std::isfinite(d) ? d : 0;
}

std::unique_ptr<ChartProvider> makeDatabaseChartProvider(Database& db, const AppSettings& settings,
                                                         const AppPaths& paths, Database* infoDb,
                                                         const DatumLookup* datums, const SharedSelections* selections) {
  return std::make_unique<DatabaseChartProvider>(db, settings, paths, infoDb, datums, selections);
}

namespace {
void setNightColours(ShownChart& shown, const RasterChart& raster) {
  LibraryNightColours night = NightColoursOf(raster);
  shown.nightColours = std::move(night.colours);
  shown.nightSource = night.source;
}
}  // namespace

std::shared_ptr<const ChartImageSource> rasterSource(std::shared_ptr<const RasterChart> chart) {
  const QSize size(chart->width(), chart->height());
  return std::make_shared<CallbackSource>(size, [chart](const QRect& r, QSize out) {
    return chart->readRegion(r, out);
  });
}

QString resolveChartFile(const QString& bitmap, const QString& chartDir, const AppPaths& paths) {
  const QString b = bitmap.trimmed();
  if (b.isEmpty()) return b;
  if (QFileInfo(b).isFile()) return b;
  const QString name = fileNamePart(b);
  for (const QString& folder : {chartDir, paths.chartsFolder(), paths.programFolder()}) {
    if (folder.isEmpty()) continue;
    const QString p = QDir(folder).filePath(name);
    if (QFileInfo(p).isFile()) return p;
  }
  return b;
}

ChartLoadOutcome DatabaseChartProvider::loadChart(const QString& description, Prompter& prompter) {
  if (!m_db.isOpen()) {
    prompter.exclamation(MessageText(Msg::ChartDoesNotExist) + " : " + description.trimmed());
    return {std::nullopt, true, false};
  }
  StoreResult res;
  const std::optional<ChartRow> row = findChartRow(m_db, description, &res);
  if (!row) {
    prompter.exclamation(MessageText(Msg::ChartDoesNotExist) + " : " + description.trimmed());
    return {std::nullopt, true, false};
  }
  return loadRow(*row, QString(), prompter);
}

ChartLoadOutcome DatabaseChartProvider::loadRow(const ChartRow& row, const QString& givenPath, Prompter& prompter) {
  // The image must be there; a disc that is not inserted can be inserted and retried.
  QString path = givenPath.isEmpty() ? resolveChartFile(row.bitmap, m_settings.ChartDir, m_paths) : givenPath;
  while (!QFileInfo(path).isFile()) {
    prompter.information(MessageText(Msg::LoadingBitmapFailed) + " : " + path);
    if (!onRemovableMedia(path)) return {std::nullopt, true, false};
    if (!prompter.retryCancel(MessageText(Msg::InsertDisc))) return {std::nullopt, false, true};
    path = resolveChartFile(row.bitmap, m_settings.ChartDir, m_paths);
  }
  const QString ext = upperExt(path);
  ShownChart shown;
  shown.description = row.description.trimmed();
  shown.path = path;
  std::shared_ptr<const RasterChart> raster;
  if (IsLibraryChartExtension(ext)) {
    RasterChartError err;
    std::unique_ptr<RasterChart> opened = RasterChartLibrary::openChart(path, &err);
    if (!opened) {
      prompter.exclamation(err.text().isEmpty() ? MessageText(Msg::CannotLoadBsb) : err.text());
      return {std::nullopt, true, false};
    }
    raster = std::shared_ptr<const RasterChart>(std::move(opened));
    shown.library = true;
    shown.image = rasterSource(raster);
    shown.information = raster->informationText();
    setNightColours(shown, *raster);
  } else if (ext == ".NKF" || ext == ".EUR") {
    prompter.exclamation(QStringLiteral("NKF/EuroSea chart images are in a closed format and cannot be shown : ") + path);
    return {std::nullopt, true, false};
  } else if (IsPictureExtension(ext)) {
    PictureLoad pic = LoadPicture(path);
    if (!pic.error.isEmpty()) {
      prompter.exclamation(pic.error);
      return {std::nullopt, true, false};
    }
    shown.nightColours = CreateNightPalette(pic.image).night;
    if (!shown.nightColours.isEmpty()) shown.nightSource = QStringLiteral("picture");
    shown.image = std::make_shared<PictureSource>(std::move(pic.image));
  } else {
    prompter.exclamation(QStringLiteral("This kind of chart file cannot be shown : ") + path);
    return {std::nullopt, true, false};
  }

  ChartRow r = row;
  if (shown.library) r.bsb = true;  // the extension says so, whatever the row holds
  ChartView view;
  view.raster = raster.get();
  ChartLoadResult rec = LoadChartRecord(r, chartDatumLookup(m_db), view);
  if (!rec.warning.isEmpty()) {
    shown.warning = rec.warning;
    // A chart without usable calibration is still shown; the user learns why the
    // position and the overlays cannot follow it.
    if (!CalibrationProblem(rec.record).isEmpty())
      prompter.information(shown.description + " : " + rec.warning);
  }
  if (!shown.library) {
    const QSize s = shown.image->size();
    shown.information = QStringLiteral("Chart: %1\nFile: %2\nImage: %3 x %4 pixels\nScale: %5\nDepth: %6\n"
                                       "Revised: %7\nDatum: %8\nProjection: %9\nBounds: %10 .. %11 N, %12 .. %13 E")
                            .arg(shown.description, path)
                            .arg(s.width())
                            .arg(s.height())
                            .arg(rec.record.Scale, rec.record.depth, rec.record.revised, rec.record.datumName,
                                 rec.record.mercator ? QStringLiteral("Mercator (two points)")
                                                     : QStringLiteral("three-point fit"))
                            .arg(rec.record.latmin, 0, 'f', 5)
                            .arg(rec.record.latmax, 0, 'f', 5)
                            .arg(rec.record.lonmin, 0, 'f', 5)
                            .arg(rec.record.lonmax, 0, 'f', 5);
  }
  if (shown.library) {
    // The chart's own DTM/ shift applies when the row keeps the datum the chart names.
    const ChartFileDatum own = chartFileDatum(raster->header(), datumNames(m_db));
    if (own.datum == rec.record.datum) {
      rec.record.shiftLat = own.shiftLat;
      rec.record.shiftLon = own.shiftLon;
    }
    shown.information += QStringLiteral("\nDatum used: ") + rec.record.datumName +
                         (own.datum == rec.record.datum ? QString() : QStringLiteral(" (chart %1)").arg(raster->header().datum));
  }
  m_chartDatum = rec.record.datum;
  shown.datum = rec.record.datum;
  const ChartRecord record = rec.record;
  shown.projectionAt = [record, raster](double zoom) {
    return std::make_unique<RecordProjection>(record, raster, zoom);
  };
  return {std::move(shown), false, false};
}

ChartFileRecord chartFileRecord(std::shared_ptr<const RasterChart> raster, const QString& path,
                                const std::vector<DatumName>& datums) {
  ChartFileRecord out;
  const KapHeader& h = raster->header();
  out.datum = chartFileDatum(h, datums);
  ChartRecord& rec = out.record;
  rec.bsb = true;
  rec.mercator = h.projection.contains(QStringLiteral("MERCATOR"), Qt::CaseInsensitive);
  rec.description = !h.name.trimmed().isEmpty() ? h.name.trimmed() : QFileInfo(path).completeBaseName();
  rec.Scale = h.scale;
  rec.depth = h.depthUnit;
  rec.revised = h.edition;
  rec.datum = out.datum.datum;
  rec.datumName = out.datum.datumName;
  rec.shiftLat = out.datum.shiftLat;
  rec.shiftLon = out.datum.shiftLon;
  ChartView view;
  view.raster = raster.get();
  // Bounds around the whole image border: on a skewed chart the corners of the
  // diagonal are not the extremes.
  constexpr int kStepsPerEdge = 16;
  bool any = false;
  const double w = raster->width(), hgt = raster->height();
  for (int i = 0; i <= kStepsPerEdge; ++i) {
    const double f = static_cast<double>(i) / kStepsPerEdge;
    for (const QPointF& p : {QPointF(f * w, 0), QPointF(f * w, hgt), QPointF(0, f * hgt), QPointF(w, f * hgt)}) {
      double lat = 0, lon = 0;
      if (ViewToLatLon(rec, view, static_cast<float>(p.x() * kTwipsPerPixel), static_cast<float>(p.y() * kTwipsPerPixel),
                       lat, lon) < 0 ||
          !finiteAll({lat, lon}))
        continue;
      if (!any) {
        rec.latmin = rec.latmax = lat;
        rec.lonmin = rec.lonmax = lon;
        any = true;
      }
      rec.latmin = std::min(rec.latmin, lat);
      rec.latmax = std::max(rec.latmax, lat);
      rec.lonmin = std::min(rec.lonmin, lon);
      rec.lonmax = std::max(rec.lonmax, lon);
    }
  }
  rec.rotation = DeriveRotation(rec, view);
  if (!std::isfinite(rec.rotation)) rec.rotation = 0;
  return out;
}

std::vector<DatumName> datumNames(Database& db) {
  if (!db.isOpen() || !db.hasTable(QStringLiteral("Datums"))) return builtinDatumNames();
  std::vector<DatumName> out;
  for (const QVariantList& row : db.rows(QStringLiteral("SELECT Datum, description FROM Datums ORDER BY Datum")))
    if (row.size() == 2 && row[0].toInt() != 0) out.push_back({row[0].toInt(), row[1].toString()});
  return out;
}

QString libraryDescription(const KapHeader& h, const QString& path) {
  const QString name = h.name.trimmed().isEmpty() ? QStringLiteral("BSB Chart") : h.name.trimmed().left(35);
  const QString number = h.number.trimmed().isEmpty() ? QFileInfo(path).completeBaseName() : h.number.trimmed();
  return name + " [" + number + "." + QFileInfo(path).completeBaseName() + "]";
}

StoreResult addChartFileToLibrary(Database& db, const RasterChart& chart, const ChartFileRecord& file,
                                  const QString& path, const QDateTime& now, QString* description) {
  const ChartRecord& rec = file.record;
  const QString desc = libraryDescription(chart.header(), path);
  if (description) *description = desc;
  // Points 1 and 2 are the image corners, point 3 the top-right corner, in chart units.
  ChartView view;
  view.raster = &chart;
  const double w = chart.width() * kTwipsPerPixel, h = chart.height() * kTwipsPerPixel;
  double lat[3] = {}, lon[3] = {};
  const QPointF corners[3] = {{0, 0}, {w, h}, {w, 0}};
  for (int i = 0; i < 3; ++i)
    ViewToLatLon(rec, view, static_cast<float>(corners[i].x()), static_cast<float>(corners[i].y()), lat[i], lon[i]);
  ChartRecord scales = rec;
  scales.latitude1 = lat[0];
  scales.longitude1 = lon[0];
  scales.x1 = scales.y1 = 0;
  scales.latitude2 = lat[1];
  scales.longitude2 = lon[1];
  scales.x2 = static_cast<float>(w);
  scales.y2 = static_cast<float>(h);
  CalibrateScales(scales);
  const QString folder = QFileInfo(path).absoluteDir().dirName();
  const QString stamp = dbDateText(now);
  auto orNa = [](const QString& t) { return t.trimmed().isEmpty() ? QStringLiteral("N/A") : t.trimmed().left(15); };

  const std::pair<const char*, QVariant> values[] = {
      {"description", desc}, {"bitmap", QFileInfo(path).absoluteFilePath()}, {"mercator", rec.mercator ? -1 : 0},
      {"latitude1", lat[0]}, {"longitude1", lon[0]}, {"x1", 0.0}, {"y1", 0.0},
      {"latitude2", lat[1]}, {"longitude2", lon[1]}, {"x2", w}, {"y2", h},
      {"Latitude3", lat[2]}, {"Longitude3", lon[2]}, {"X3", w}, {"Y3", 0.0},
      {"milelat", scales.milelat}, {"milelon", scales.milelon}, {"maxx", w}, {"maxy", h},
      {"latmin", rec.latmin}, {"lonmin", rec.lonmin}, {"latmax", rec.latmax}, {"lonmax", rec.lonmax},
      {"datum", rec.datum}, {"created", stamp},
      {"Bottom_margin", 0.0}, {"Top_margin", 0.0}, {"Left_margin", 0.0}, {"Right_margin", 0.0},
      {"Scale", rec.Scale.trimmed().isEmpty() ? QStringLiteral(" ") : rec.Scale.trimmed().left(15)},
      {"Depth", orNa(rec.depth)}, {"Revised", orNa(rec.revised)}, {"BSB", -1}};
  QStringList columns, marks, sets;
  QVariantList args;
  for (const auto& [column, value] : values) {
    columns << QString::fromLatin1(column);
    marks << QStringLiteral("?");
    sets << QString::fromLatin1(column) + QStringLiteral(" = ?");
    args << value;
  }

  StoreResult r = db.beginTrans();
  if (!r.ok()) return r;
  const auto run = [&]() -> StoreResult {
    // A chart of that description is brought up to date, as a second import would.
    StoreResult s;
    QVariant chartKey = db.scalar(QStringLiteral("SELECT chart FROM Charts WHERE description = ?"), {desc}, &s);
    if (!s.ok()) return s;
    if (chartKey.isValid()) {
      s = db.execute(QStringLiteral("UPDATE Charts SET ") + sets.join(", ") + QStringLiteral(" WHERE chart = ?"),
                     args + QVariantList{chartKey});
    } else {
      s = db.execute(QStringLiteral("INSERT INTO Charts (") + columns.join(", ") + QStringLiteral(") VALUES (") +
                         marks.join(", ") + ")",
                     args);
      chartKey = db.lastInsertId();
    }
    if (!s.ok() || folder.isEmpty()) return s;
    QVariant folderKey = db.scalar(QStringLiteral("SELECT folder FROM Folders WHERE description = ?"), {folder}, &s);
    if (!s.ok()) return s;
    if (!folderKey.isValid()) {
      s = db.execute(QStringLiteral("INSERT INTO Folders (description, created) VALUES (?, ?)"), {folder, stamp});
      if (!s.ok()) return s;
      folderKey = db.lastInsertId();
    }
    const QVariant linked = db.scalar(QStringLiteral("SELECT COUNT(*) FROM [Folder charts] WHERE Folder = ? AND Chart = ?"),
                                      {folderKey, chartKey}, &s);
    if (!s.ok() || linked.toInt() > 0) return s;
    return db.execute(QStringLiteral("INSERT INTO [Folder charts] (Folder, Chart, created) VALUES (?, ?, ?)"),
                      {folderKey, chartKey, stamp});
  };
  r = run();
  if (!r.ok()) {
    db.rollback();
    return r;
  }
  return db.commitTrans();
}

ChartLoadOutcome DatabaseChartProvider::loadFile(const QString& path, Prompter& prompter) {
  if (!QFileInfo(path).isFile()) {
    prompter.information(MessageText(Msg::LoadingBitmapFailed) + " : " + path);
    return {std::nullopt, true, false};
  }
  // A chart calibrated in the database under this file name loads as its row does.
  if (m_db.isOpen()) {
    auto rs = m_db.openRecordset(QStringLiteral("SELECT * FROM Charts"));
    const QString name = fileNamePart(path);
    for (; !rs->eof(); rs->moveNext()) {
      if (fileNamePart(rs->text("bitmap").trimmed()).compare(name, Qt::CaseInsensitive) == 0)
        return loadRow(chartRowFromRecordset(*rs), path, prompter);
    }
  }
  const QString ext = upperExt(path);
  if (!IsLibraryChartExtension(ext)) {
    prompter.information(QStringLiteral("The picture is not calibrated in the chart table; calibrate it first : ") +
                         path);
    return {std::nullopt, true, false};
  }
  // A library chart carries its own calibration.
  RasterChartError err;
  std::unique_ptr<RasterChart> opened = RasterChartLibrary::openChart(path, &err);
  if (!opened) {
    prompter.exclamation(err.text().isEmpty() ? MessageText(Msg::CannotLoadBsb) : err.text());
    return {std::nullopt, true, false};
  }
  std::shared_ptr<const RasterChart> raster(std::move(opened));
  const ChartFileRecord file = chartFileRecord(raster, path, datumNames(m_db));
  ChartRecord rec = file.record;
  // Search chart and automatic positioning know only the charts of the library.
  if (m_db.isOpen() &&
      prompter.question(QStringLiteral("%1 is not in the chart library, so Search chart and automatic positioning "
                                       "cannot find it. Add it (folder %2, datum %3)?")
                            .arg(QFileInfo(path).fileName(), QFileInfo(path).absoluteDir().dirName(),
                                 file.datum.datumName))) {
    QString description;
    const StoreResult added =
        addChartFileToLibrary(m_db, *raster, file, path, QDateTime::currentDateTime(), &description);
    if (added.ok()) rec.description = description;
    else prompter.exclamation(QStringLiteral("The chart could not be added to the library : ") + added.detail);
  }
  ShownChart shown;
  shown.description = rec.description;
  shown.path = path;
  shown.library = true;
  shown.image = rasterSource(raster);
  setNightColours(shown, *raster);
  shown.information = raster->informationText() + QStringLiteral("\nDatum used: ") + file.datum.text;
  shown.datum = rec.datum;
  m_chartDatum = rec.datum;
  shown.projectionAt = [rec, raster](double zoom) { return std::make_unique<RecordProjection>(rec, raster, zoom); };
  return {std::move(shown), false, false};
}

qint64 DatabaseChartProvider::changeStamp() {
  sqlite3* h = m_db.isOpen() ? m_db.handle() : nullptr;
  if (!h) return -1;
  // Changes through this connection, and a counter SQLite moves when another
  // connection changed the file.
  int dataVersion = 0;
  sqlite3_file_control(h, "main", SQLITE_FCNTL_DATA_VERSION, &dataVersion);
  qint64 stamp = (static_cast<qint64>(dataVersion) << 40) ^ static_cast<qint64>(sqlite3_total_changes64(h));
  // Info points added or another info database opened redraw the overlays too.
  if (m_infoDb && m_infoDb->isOpen())
    stamp ^= (static_cast<qint64>(sqlite3_total_changes64(m_infoDb->handle())) << 20) ^
             static_cast<qint64>(qHash(m_infoDb->path()));
  return stamp;
}

std::vector<ChartBounds> DatabaseChartProvider::chartBounds(int folderKey) {
  std::vector<ChartBounds> out;
  if (!m_db.isOpen()) return out;
  // Only the columns the searches use, in table order.
  const QString cols = QStringLiteral("Charts.description, Charts.latmin, Charts.latmax, Charts.lonmin, "
                                      "Charts.lonmax, Charts.milelat");
  const QString sql = folderKey > 0 ? "SELECT " + cols + " FROM [Folder charts], Charts " +
                                          " WHERE [Folder charts].Chart = Charts.chart" +
                                          " AND [Folder charts].Folder = " + QString::number(folderKey)
                                    : "SELECT " + cols + " FROM Charts";
  // The rows straight from the engine in the table's order (the searches break ties
  // by it): going through a QVariant per value took three times as long as the read.
  sqlite3_stmt* st = nullptr;
  const QByteArray text = sql.toUtf8();
  if (sqlite3_prepare_v2(m_db.handle(), text.constData(), static_cast<int>(text.size()), &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return out;
  }
  while (sqlite3_step(st) == SQLITE_ROW) {
    ChartBounds b;
    if (const auto* d = reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
      b.description = QString::fromUtf8(d, sqlite3_column_bytes(st, 0)).trimmed();
    bool ok = true;
    double d[4];
    for (int i = 0; i < 4; ++i) {
      // Null reads as 0: only then is the type asked for.
      d[i] = sqlite3_column_double(st, i + 1);
      if (d[i] == 0 && sqlite3_column_type(st, i + 1) == SQLITE_NULL) ok = false;
    }
    b.latmin = d[0];
    b.latmax = d[1];
    b.lonmin = d[2];
    b.lonmax = d[3];
    b.milelat = sqlite3_column_double(st, 5);
    b.hasBounds = ok;
    out.push_back(std::move(b));
  }
  sqlite3_finalize(st);
  return out;
}

QString DatabaseChartProvider::bestChart(int folderKey, double lat, double lon, ChartRanking ranking) {
  if (!m_db.isOpen()) return {};
  // The engine scans the bounds itself and hands over one row: a first search does
  // not wait for every row to be read out. Same rules as ChartIndex::searchBest: strict
  // containment, the running best starting at 9999999 (overview) or 0 (detail), ties
  // to the first row in table order.
  const bool detail = ranking == ChartRanking::Detail;
  QString sql = QStringLiteral("SELECT Charts.description FROM ");
  sql += folderKey > 0 ? QStringLiteral("[Folder charts], Charts WHERE [Folder charts].Chart = Charts.chart AND "
                                        "[Folder charts].Folder = ") +
                             QString::number(folderKey) + " AND "
                       : QStringLiteral("Charts WHERE ");
  sql += QStringLiteral("Charts.latmin < ?1 AND ?1 < Charts.latmax AND Charts.lonmin < ?2 AND ?2 < Charts.lonmax AND ");
  sql += detail ? QStringLiteral("IFNULL(Charts.milelat, 0) > 0 ORDER BY IFNULL(Charts.milelat, 0) DESC, ")
                : QStringLiteral("IFNULL(Charts.milelat, 0) < 9999999 ORDER BY IFNULL(Charts.milelat, 0), ");
  sql += folderKey > 0 ? QStringLiteral("[Folder charts].rowid LIMIT 1") : QStringLiteral("Charts.rowid LIMIT 1");
  sqlite3_stmt* st = nullptr;
  const QByteArray text = sql.toUtf8();
  QString found;
  if (sqlite3_prepare_v2(m_db.handle(), text.constData(), static_cast<int>(text.size()), &st, nullptr) == SQLITE_OK) {
    sqlite3_bind_double(st, 1, lat);
    sqlite3_bind_double(st, 2, lon);
    if (sqlite3_step(st) == SQLITE_ROW)
      if (const auto* d = reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
        found = QString::fromUtf8(d, sqlite3_column_bytes(st, 0)).trimmed();
  }
  sqlite3_finalize(st);
  return found;
}

void DatabaseChartProvider::fillScene(OverlayScene& scene, const QString& chartDescription) {
  // The datums as the user keeps them; the built-in ones only without a database.
  scene.toChartDatum = chartDatumConverter(m_chartDatum, m_db.isOpen() ? m_datums : nullptr);
  if (m_infoDb && m_infoDb->isOpen() && m_infoDb->hasTable(QStringLiteral("Info points"))) {
    // The points of the chart shown and those stored for every chart (`Chart` " ").
    const QString folder = QFileInfo(m_infoDb->path()).absolutePath();
    auto rs = m_infoDb->openRecordset(QStringLiteral("SELECT * FROM [Info points] WHERE ") +
                                      sqlEquals(QStringLiteral("Chart"), chartDescription.trimmed()) +
                                      " OR TRIM(Chart) = '' OR Chart IS NULL");
    for (; !rs->eof(); rs->moveNext()) {
      InfoItem i;
      i.key = static_cast<long>(rs->integer("Info"));
      i.name = rs->text("Name").trimmed();
      i.pos = {rs->number("Latitude"), rs->number("Longitude"), 0};
      i.icon = infoFilePath(folder, rs->text("Icon"));
      i.file = infoFilePath(folder, rs->text("File"));
      if (!i.icon.isEmpty() && !scene.infoIcons.count(i.icon)) {
        const QImage icon = loadIcon(folder, i.icon);
        if (!icon.isNull()) scene.infoIcons[i.icon] = icon;
      }
      scene.info.push_back(std::move(i));
    }
    scene.showInfo = scene.showInfo || !scene.info.empty();
  }
  if (!m_db.isOpen()) return;
  {
    auto zones = m_db.openRecordset(QStringLiteral("SELECT * FROM [Zones] OrdER BY Name"));
    for (; !zones->eof(); zones->moveNext()) {
      ZoneItem z;
      z.key = static_cast<long>(zones->integer("zone"));
      z.name = zones->text("Name").trimmed();
      auto pts = m_db.openRecordset(QStringLiteral("SELECT * FROM [Zone Points] WHERE Zone = ") + QString::number(z.key));
      // The corners in `Point` order, whatever order the rows come in.
      std::vector<std::pair<qint64, GeoPoint>> corners;
      for (; !pts->eof(); pts->moveNext())
        corners.push_back({pts->integer("Point"),
                           {pts->number("latitude"), pts->number("longitude"), static_cast<int>(pts->integer("Datum"))}});
      std::stable_sort(corners.begin(), corners.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      for (const auto& c : corners) z.points.push_back(c.second);
      scene.zones.push_back(std::move(z));
    }
  }
  {
    auto types = m_db.openRecordset(QStringLiteral("SELECT * FROM [Waypoint types]"));
    for (; !types->eof(); types->moveNext()) {
      const QImage icon = loadIcon(m_settings.IconDir, types->text("Icon"));
      if (!icon.isNull()) scene.typeIcons[static_cast<long>(types->integer("Type"))] = icon;
    }
  }
  if (m_selections && !m_selections->displayedWaypoints.trimmed().isEmpty()) {
    auto wps = m_db.openRecordset(m_selections->displayedWaypoints);
    for (; !wps->eof(); wps->moveNext()) {
      WaypointItem w;
      w.key = static_cast<long>(wps->integer("Waypoint"));
      w.name = wps->text("description").trimmed();
      w.pos = {wps->number("latitude"), wps->number("longitude"), static_cast<int>(wps->integer("datum"))};
      w.type = static_cast<long>(wps->integer("Type"));
      w.proximityNm = wps->number("proximity");
      scene.waypoints.push_back(std::move(w));
    }
  }
  {
    auto ships = m_db.openRecordset(QStringLiteral("SELECT * FROM Ships OrdER BY name"));
    for (; !ships->eof(); ships->moveNext()) {
      ShipItem s;
      s.name = ships->text("Name").trimmed();
      s.pos = {ships->number("latitude"), ships->number("longitude"), 0};
      s.lastUpdated = ships->date("Last updated");
      s.speedKn = ships->number("speed");
      s.courseDeg = ships->number("course");
      s.windSpeedKn = ships->number("wind speed");
      s.windDirectionDeg = ships->number("wind direction");
      if (s.pos.lat != 0 || s.pos.lon != 0) scene.ships.push_back(std::move(s));
    }
    scene.showShips = !scene.ships.empty();
  }
}

}  // namespace tavrik
