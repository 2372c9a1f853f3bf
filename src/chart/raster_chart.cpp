#include "chart/raster_chart.h"

#include <QFileInfo>
#include <QPainter>

#include <gdal.h>
#include <cpl_conv.h>
#include <cpl_error.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/messages.h"
#include "core/number_format.h"

namespace tavrik {
namespace {

// GDAL keeps decoded rows in its block cache; this bound keeps a large chart's
// footprint small while a screen's worth of rows stays cached for scrolling.
constexpr GIntBig kGdalCacheBytes = 24 * 1024 * 1024;

void initialiseGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    GDALSetCacheMax64(kGdalCacheBytes);
  });
}

RasterChartError loadError(const QString& detail) { return {Msg::CannotLoadBsb, detail}; }

// File kinds GDAL has no reader for, by extension.
std::optional<QString> unsupportedFormat(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toUpper();
  if (ext == "RML" || ext == "HDR")
    return QStringLiteral("%1 is a tiled .%2 chart; this format cannot be read, only BSB/KAP charts (.KAP)")
        .arg(QFileInfo(path).fileName(), ext);
  if (ext == "PCX")
    return QStringLiteral("%1 is a PCX chart tile; PCX-tiled charts cannot be read, only BSB/KAP charts (.KAP)")
        .arg(QFileInfo(path).fileName());
  if (ext == "NKF" || ext == "EUR")
    return QStringLiteral("%1 is an NKF/EuroSea chart; its image data is a closed format that cannot be read")
        .arg(QFileInfo(path).fileName());
  return std::nullopt;
}

QString lastGdalMessage() {
  const QString m = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
  return m.isEmpty() ? QStringLiteral("GDAL could not read the image data") : m;
}

}  // namespace

QString paletteName(ChartPalette p) { return kapPaletteNames().value(static_cast<int>(p)); }

QString RasterChartError::text() const {
  const QString m = MessageText(message);
  return detail.isEmpty() ? m : m + ": " + detail;
}

RasterChart::~RasterChart() {
  if (m_dataset) GDALClose(static_cast<GDALDatasetH>(m_dataset));
}

QVector<QRgb> RasterChart::palette(ChartPalette p) const {
  const QVector<QRgb> entries = m_header.palettes.value(paletteName(p));
  // The format numbers colours from 1; decoded pixel values start at 0.
  return entries.size() <= 1 ? QVector<QRgb>{} : entries.mid(1);
}

QList<ChartPalette> RasterChart::palettes() const {
  QList<ChartPalette> out;
  for (int i = 0; i < kapPaletteNames().size(); ++i)
    if (!palette(static_cast<ChartPalette>(i)).isEmpty()) out.append(static_cast<ChartPalette>(i));
  return out;
}

bool RasterChart::setPalette(ChartPalette p) {
  QVector<QRgb> colours = palette(p);
  if (colours.isEmpty()) return false;
  colours.resize(256, qRgb(0, 0, 0));  // any stray value still has a colour
  m_palette = p;
  m_colours = std::move(colours);
  return true;
}

void RasterChart::setColourTable(QVector<QRgb> colours) {
  colours.resize(256, qRgb(0, 0, 0));
  m_colours = std::move(colours);
}

QImage RasterChart::readRegion(const QRect& imageRect, const QSize& outSize) const {
  const QRect r = imageRect.intersected(QRect(0, 0, m_width, m_height));
  if (r.isEmpty() || outSize.isEmpty() || !m_dataset) return {};
  // Scale the output with the clipping so pixels keep their size.
  const double sx = double(outSize.width()) / imageRect.width();
  const double sy = double(outSize.height()) / imageRect.height();
  const int ow = std::clamp(static_cast<int>(std::lround(r.width() * sx)), 1, r.width());
  const int oh = std::clamp(static_cast<int>(std::lround(r.height() * sy)), 1, r.height());
  QImage img(ow, oh, QImage::Format_Indexed8);
  if (img.isNull()) return {};
  img.setColorTable(m_colours);
  GDALRasterBandH band = GDALGetRasterBand(static_cast<GDALDatasetH>(m_dataset), 1);
  CPLPushErrorHandler(CPLQuietErrorHandler);
  const CPLErr err = GDALRasterIO(band, GF_Read, r.x(), r.y(), r.width(), r.height(), img.bits(), ow, oh,
                                  GDT_Byte, 1, img.bytesPerLine());
  CPLPopErrorHandler();
  if (err != CE_None) return {};
  return img;
}

int RasterChart::tileColumns(int step) const {
  const int span = kTileSize * std::clamp(step, 1, 1 << 16);
  return (m_width + span - 1) / span;
}

int RasterChart::tileRows(int step) const {
  const int span = kTileSize * std::clamp(step, 1, 1 << 16);
  return (m_height + span - 1) / span;
}

QImage RasterChart::tile(int column, int row, int step) const {
  step = std::clamp(step, 1, 1 << 16);
  if (column < 0 || row < 0 || column >= tileColumns(step) || row >= tileRows(step)) return {};
  const int span = kTileSize * step;
  const QRect r = QRect(column * span, row * span, span, span).intersected(QRect(0, 0, m_width, m_height));
  if (r.isEmpty()) return {};
  const QSize out((r.width() + step - 1) / step, (r.height() + step - 1) / step);
  return readRegion(r, out);
}

int RasterChart::latLonToPixel(double lat, double lon, double& x, double& y) const {
  return m_georef.latLonToPixel(lat, lon, x, y);
}

int RasterChart::pixelToLatLon(double x, double y, double& lat, double& lon) const {
  return m_georef.pixelToLatLon(x, y, lat, lon);
}

void RasterChart::render(QPainter& painter, const QRectF& target, QPointF viewOrigin, double zoom) const {
  if (!(zoom > 0) || target.isEmpty()) return;
  const QRectF wanted(viewOrigin, QSizeF(target.width() / zoom, target.height() / zoom));
  const QRect image = wanted.toAlignedRect().intersected(QRect(0, 0, m_width, m_height));
  if (image.isEmpty()) return;
  // Where that part lands on the target, and at most as many pixels as it covers on
  // the device, so a zoomed-out print decodes only what shows.
  const QRectF dest(target.topLeft() + (QPointF(image.topLeft()) - viewOrigin) * zoom,
                    QSizeF(image.width() * zoom, image.height() * zoom));
  const QRectF device = painter.transform().mapRect(dest);
  const QSize out(static_cast<int>(std::clamp(std::ceil(device.width()), 1.0, double(image.width()))),
                  static_cast<int>(std::clamp(std::ceil(device.height()), 1.0, double(image.height()))));
  const QImage img = readRegion(image, out);
  if (!img.isNull()) painter.drawImage(dest, img);
}

QString RasterChart::informationText() const {
  return chartInformationText(m_header, m_path, &m_georef);
}
RasterChartLibrary::RasterChartLibrary() { initialiseGdal(); }
RasterChartLibrary::~RasterChartLibrary() = default;

std::unique_ptr<RasterChart> RasterChartLibrary::open(const QString& path) {
  RasterChartError e;
  auto chart = openChart(path, &e);
  m_lastError = chart ? 0 : -1;
  m_lastErrorDetail = chart ? RasterChartError{} : e;
  return chart;
}

std::unique_ptr<RasterChart> RasterChartLibrary::openChart(const QString& path, RasterChartError* error) {
  initialiseGdal();
  auto fail = [&](const QString& detail) -> std::unique_ptr<RasterChart> {
    if (error) *error = loadError(detail);
    return nullptr;
  };
  if (auto why = unsupportedFormat(path)) return fail(*why);
  if (!QFileInfo(path).isFile()) return fail(QStringLiteral("file not found: %1").arg(path));

  KapHeaderResult hr = readKapHeaderFile(path);
  if (!hr.header) return fail(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), hr.error));
  QString georefError;
  std::optional<ChartGeoreference> georef = ChartGeoreference::fromHeader(*hr.header, &georefError);
  if (!georef) return fail(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), georefError));

  const char* const drivers[] = {"BSB", nullptr};
  CPLPushErrorHandler(CPLQuietErrorHandler);
  CPLErrorReset();
  GDALDatasetH ds = GDALOpenEx(QFile::encodeName(path).constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers,
                               nullptr, nullptr);
  const QString gdalMessage = ds ? QString() : lastGdalMessage();
  CPLPopErrorHandler();
  if (!ds) return fail(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), gdalMessage));

  std::unique_ptr<RasterChart> chart(new RasterChart);
  chart->m_dataset = ds;
  chart->m_path = path;
  chart->m_width = GDALGetRasterXSize(ds);
  chart->m_height = GDALGetRasterYSize(ds);
  if (GDALGetRasterCount(ds) != 1 || chart->m_width != hr.header->width || chart->m_height != hr.header->height)
    return fail(QStringLiteral("%1: the image size does not match the header's RA= size")
                    .arg(QFileInfo(path).fileName()));
  chart->m_header = std::move(*hr.header);
  chart->m_georef = std::move(*georef);
  if (!chart->setPalette(ChartPalette::RGB)) {
    // Without an RGB palette show the values as grey levels rather than nothing.
    chart->m_colours.resize(256);
    for (int i = 0; i < 256; ++i) chart->m_colours[i] = qRgb(i, i, i);
  }
  return chart;
}

QString chartInformationText(const KapHeader& h, const QString& path, const ChartGeoreference* georef) {
  QStringList lines;
  auto add = [&](const QString& label, const QString& value) {
    lines << QStringLiteral("%1: %2").arg(label, value.isEmpty() ? QStringLiteral("-") : value);
  };
  add(QStringLiteral("File"), QFileInfo(path).fileName());
  add(QStringLiteral("Name"), h.name);
  add(QStringLiteral("Number"), h.number);
  add(QStringLiteral("Scale"), h.scale.isEmpty() ? QString() : QStringLiteral("1:") + h.scale);
  add(QStringLiteral("Depth unit"), h.depthUnit);
  add(QStringLiteral("Sounding datum"), h.soundingDatum);
  add(QStringLiteral("Datum"), h.datum);
  add(QStringLiteral("Projection"), h.projection);
  add(QStringLiteral("Edition"), h.edition);
  add(QStringLiteral("Size"), QStringLiteral("%1 x %2 pixels").arg(h.width).arg(h.height));
  QStringList pals;
  for (auto it = h.palettes.cbegin(); it != h.palettes.cend(); ++it) pals << it.key();
  add(QStringLiteral("Palettes"), pals.join(", "));
  const QString fitted = QStringLiteral("fitted to %1 reference points").arg(h.references.size());
  if (georef && georef->polynomialsRejected())
    add(QStringLiteral("Conversion"), fitted + QStringLiteral(" (the chart polynomials miss them)"));
  else if (georef ? georef->fromPolynomials() : h.hasPolynomials())
    add(QStringLiteral("Conversion"), QStringLiteral("chart polynomials (order %1)").arg(h.wpx.order));
  else
    add(QStringLiteral("Conversion"), fitted);
  for (const KapReference& r : h.references)
    lines << QStringLiteral("  REF %1: x %2, y %3, lat %4, lon %5")
                 .arg(r.number)
                 .arg(formatNumber(r.x, u"0"), formatNumber(r.y, u"0"), formatNumber(r.lat, u"0.000000"),
                      formatNumber(r.lon, u"0.000000"));
  return lines.join('\n');
}

QString chartInformationText(const QString& path) {
  if (auto why = unsupportedFormat(path)) return loadError(*why).text();
  const KapHeaderResult hr = readKapHeaderFile(path);
  if (!hr.header) return loadError(hr.error).text();
  return chartInformationText(*hr.header, path);
}

}  // namespace tavrik
