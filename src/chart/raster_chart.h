#pragma once
// BSB/KAP charts read through GDAL's BSB driver. The header record comes from the
// chart's own text header (KapHeader); the image is decoded only for the region asked
// for, at the resolution asked for, so a large chart never sits in memory whole.
//
// RasterChartLibrary is the library as the program sees it: initialise once, open and
// close charts, keep the last status. RasterChart is one open chart.

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

#include <memory>
#include <optional>

#include "chart/chart_georeference.h"
#include "chart/kap_header.h"

class QPainter;

namespace tavrik {

enum class ChartPalette { RGB, DAY, DSK, NGT, NGR, GRY, PRC, PRG };
QString paletteName(ChartPalette p);  // "RGB", "DAY", ...

// Why a chart could not be opened: a message number (Msg::CannotLoadBsb) and a
// detail for the user; text() joins them as "Cannot load BSB chart: detail".
struct RasterChartError {
  int message = 0;
  QString detail;
  QString text() const;
};

class RasterChart {
 public:
  // Tiles are square, this many image pixels at full resolution times the step.
  static constexpr int kTileSize = 256;

  ~RasterChart();
  RasterChart(const RasterChart&) = delete;
  RasterChart& operator=(const RasterChart&) = delete;

  const QString& path() const { return m_path; }
  const KapHeader& header() const { return m_header; }
  const ChartGeoreference& georeference() const { return m_georef; }
  int width() const { return m_width; }
  int height() const { return m_height; }

  // Colour table of a palette, indexed by decoded pixel value (what readRegion puts in
  // the image): value v is the header's colour entry v + 1. Empty when the chart has
  // no such palette.
  QVector<QRgb> palette(ChartPalette p) const;
  QList<ChartPalette> palettes() const;  // those the header carries
  // Switches the colour table of the images this chart returns (night screen). False,
  // and nothing changes, when the header has no such palette.
  bool setPalette(ChartPalette p);
  ChartPalette currentPalette() const { return m_palette; }
  // The colour table images are decoded with (256 entries), and a replacement for it
  // (the night screen's red palette, which the header does not carry).
  const QVector<QRgb>& colourTable() const { return m_colours; }
  void setColourTable(QVector<QRgb> colours);

  // The image pixels of `imageRect` (clipped to the chart) decoded into an indexed
  // image of `outSize` (nearest pixel; smaller than the rectangle for zoomed-out
  // views). A null image when the rectangle is empty or the data is corrupt.
  QImage readRegion(const QRect& imageRect, const QSize& outSize) const;
  QImage readRegion(const QRect& imageRect) const { return readRegion(imageRect, imageRect.size()); }
  // Tile (column, row) of the chart shown at 1/step of its size (step 1, 2, 4, ...):
  // image pixels [col, col+1) x [row, row+1) times kTileSize*step, kTileSize pixels
  // wide (less at the right and bottom edges).
  QImage tile(int column, int row, int step = 1) const;
  int tileColumns(int step = 1) const;
  int tileRows(int step = 1) const;

  // Position <-> image pixel; 0 on success, negative on failure.
  int latLonToPixel(double lat, double lon, double& x, double& y) const;
  int pixelToLatLon(double x, double y, double& lat, double& lon) const;

  // Paints the part of the chart a window shows: image pixel `viewOrigin` at the
  // top-left of `target`, `zoom` device units per image pixel. Decodes only that part,
  // at no more than the target's resolution. For printing and screenshots.
  void render(QPainter& painter, const QRectF& target, QPointF viewOrigin, double zoom) const;

  // The information text of this chart (header record, size, reference points).
  QString informationText() const;

 private:
  friend class RasterChartLibrary;
  RasterChart() = default;
  QString m_path;
  KapHeader m_header;
  ChartGeoreference m_georef;
  void* m_dataset = nullptr;  // GDALDatasetH
  int m_width = 0, m_height = 0;
  ChartPalette m_palette = ChartPalette::RGB;
  QVector<QRgb> m_colours;
};

class RasterChartLibrary {
 public:
  // Registers GDAL's drivers and bounds its block cache (memory stays small however
  // large the chart).
  RasterChartLibrary();
  ~RasterChartLibrary();

  // Opens a chart file. Tiled formats GDAL cannot read (.RML, .HDR, PCX tiles) and
  // NKF/EuroSea image data fail with a message that says so.
  std::unique_ptr<RasterChart> open(const QString& path);
  void close(std::unique_ptr<RasterChart>& chart) { chart.reset(); }

  int lastError() const { return m_lastError; }
  const RasterChartError& lastErrorDetail() const { return m_lastErrorDetail; }

  // Opens without a library object (tools and tests).
  static std::unique_ptr<RasterChart> openChart(const QString& path, RasterChartError* error);

 private:
  int m_lastError = 0;
  RasterChartError m_lastErrorDetail;
};

// The information text of a chart file, without keeping it open: the header record,
// or why the file cannot be read.
QString chartInformationText(const QString& path);
QString chartInformationText(const KapHeader& header, const QString& path,
                             const ChartGeoreference* georef = nullptr);

}  // namespace tavrik
