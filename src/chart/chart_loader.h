#pragma once
// LoadChart over the database: the `Charts` row of a description, its image (a picture
// through the Qt image readers, a BSB/KAP chart through the raster chart library), the
// chart record and its conversion at a zoom; and the overlay tables.

#include <QDateTime>
#include <QString>
#include <memory>

#include "chart/chart_provider.h"
#include "chart/chart_datum.h"
#include "chart/chart_record.h"
#include "chart/chart_record_loader.h"
#include "chart/raster_chart.h"
#include "core/app_settings.h"
#include "core/app_paths.h"
#include "core/shared_selections.h"
#include "store/database.h"

namespace tavrik {

class DatumLookup;

// The active record as the window's projection: chart units of the record (twips of
// the unzoomed image, 15 per pixel) to displayed pixels at `zoom`. Library charts are
// shown whole with the view origin at the image corner.
class RecordProjection final : public ChartProjection {
 public:
  RecordProjection(ChartRecord record, std::shared_ptr<const RasterChart> raster, double zoom);
  QPointF toPixel(double lat, double lon) const override;
  void toLatLon(QPointF px, double& lat, double& lon) const override;
  double rotationDeg() const override { return m_record.rotation; }
  double pixelsPerNm(double lat) const override;
  const ChartRecord& record() const { return m_record; }

 private:
  ChartRecord m_record;
  std::shared_ptr<const RasterChart> m_raster;
  ChartView m_view;
  double m_zoom;
};

// A library chart's pixels, decoded region by region.
std::shared_ptr<const ChartImageSource> rasterSource(std::shared_ptr<const RasterChart> chart);

// Where an image named in a `Charts` row is found: as given, else by its file name in
// the chart folder or the program's charts folder (rows made on another computer).
QString resolveChartFile(const QString& bitmap, const QString& chartDir, const AppPaths& paths);

// A library chart opened as a file: its record (bounds around the image border,
// rotation, the datum its header names matched among `datums`, the DTM/ shift).
struct ChartFileRecord {
  ChartRecord record;
  ChartFileDatum datum;
};
ChartFileRecord chartFileRecord(std::shared_ptr<const RasterChart> raster, const QString& path,
                                const std::vector<DatumName>& datums);

// The rows of `Datums` (key and description), the built-in ones without a database.
std::vector<DatumName> datumNames(Database& db);

// The description of a library chart in `Charts`: the header name (35 characters,
// "BSB Chart" when it has none) and " [" + chart number + "." + file base name + "]".
QString libraryDescription(const KapHeader& header, const QString& path);

// Joins a library chart opened as a file to `Charts`, as an import would: the image
// corners as calibration points, bounds, scales, header texts ("N/A" when missing),
// its datum; and links it to the folder named after the file's directory (made when
// missing). One transaction. `description` receives the row's description:
// the header name (35 characters) and " [number.file]".
StoreResult addChartFileToLibrary(Database& db, const RasterChart& chart, const ChartFileRecord& file,
                                  const QString& path, const QDateTime& now, QString* description = nullptr);

class DatabaseChartProvider final : public ChartProvider {
 public:
  DatabaseChartProvider(Database& db, const AppSettings& settings, const AppPaths& paths,
                        Database* infoDb = nullptr, const DatumLookup* datums = nullptr,
                        const SharedSelections* selections = nullptr)
      : m_db(db), m_settings(settings), m_paths(paths), m_infoDb(infoDb), m_datums(datums), m_selections(selections) {}
  ChartLoadOutcome loadChart(const QString& description, Prompter& prompter) override;
  ChartLoadOutcome loadFile(const QString& path, Prompter& prompter) override;
  std::vector<ChartBounds> chartBounds(int folderKey) override;
  QString bestChart(int folderKey, double lat, double lon, ChartRanking ranking) override;
  qint64 changeStamp() override;
  void fillScene(OverlayScene& scene, const QString& chartDescription) override;

 private:
  ChartLoadOutcome loadRow(const ChartRow& row, const QString& path, Prompter& prompter);
  Database& m_db;
  const AppSettings& m_settings;
  const AppPaths& m_paths;
  Database* m_infoDb;
  const DatumLookup* m_datums;
  const SharedSelections* m_selections;
  int m_chartDatum = 0;
};

}  // namespace tavrik
