#include "chart/chart_image.h"

#include <QFileInfo>
#include <QImageReader>
#include <cmath>

namespace tavrik {

bool IsPictureExtension(const QString& e) {
  return e == ".BMP" || e == ".RLE" || e == ".DIB" || e == ".JPG" || e == ".JPEG" || e == ".GIF" ||
         e == ".PNG" || e == ".TIF" || e == ".TIFF" || e == ".WMF" || e == ".EMF";
}

bool IsLibraryChartExtension(const QString& e) { return e == ".KAP" || e == ".RML" || e == ".HDR"; }

PictureLoad LoadPicture(const QString& path) {
  PictureLoad out;
  const QString ext = QFileInfo(path).suffix().toUpper();
  if (ext == "WMF" || ext == "EMF") {
    out.error = QStringLiteral("Windows metafiles (.WMF, .EMF) cannot be shown: convert the chart to PNG or BMP : ") + path;
    return out;
  }
  QImageReader reader(path);
  // RLE and DIB files are bitmaps under another name.
  if (ext == "RLE" || ext == "DIB") reader.setFormat("bmp");
  reader.setAutoTransform(false);
  // Large scanned charts are normal; the limit only guards against broken headers.
  QImageReader::setAllocationLimit(1024);
  if (!reader.read(&out.image) || out.image.isNull()) {
    out.error = QStringLiteral("Cannot read the picture (%1) : %2").arg(reader.errorString(), path);
    out.image = QImage();
    return out;
  }
  // Palette pictures stay palette pictures: the night screen swaps their colour table.
  if (out.image.format() == QImage::Format_Mono || out.image.format() == QImage::Format_MonoLSB)
    out.image = out.image.convertToFormat(QImage::Format_Indexed8);
  if (out.image.format() != QImage::Format_Indexed8 && out.image.format() != QImage::Format_RGB32 &&
      out.image.format() != QImage::Format_ARGB32_Premultiplied)
    out.image = out.image.convertToFormat(out.image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                      : QImage::Format_RGB32);
  return out;
}

void TileCache::setSource(std::shared_ptr<const ChartImageSource> src) {
  m_src = std::move(src);
  m_cache.clear();
}

void TileCache::setZoom(double zoom) {
  if (zoom == m_zoom) return;
  m_zoom = zoom;
  m_cache.clear();
}

QSize TileCache::displayedSize() const {
  if (!m_src) return {};
  const QSize s = m_src->size();
  return {static_cast<int>(std::lround(s.width() * m_zoom)), static_cast<int>(std::lround(s.height() * m_zoom))};
}

TileCache::Tile TileCache::makeTile(int tx, int ty) const {
  Tile tile;
  const QSize disp = displayedSize();
  const QRect dst(tx * kTile, ty * kTile, kTile, kTile);
  tile.area = dst.intersected(QRect(QPoint(0, 0), disp));
  if (tile.area.isEmpty()) return tile;
  // Source pixels that cover the tile, one pixel more on each side for smoothing.
  const double inv = 1.0 / m_zoom;
  const int sx0 = std::max(0, static_cast<int>(std::floor(tile.area.left() * inv)) - 1);
  const int sy0 = std::max(0, static_cast<int>(std::floor(tile.area.top() * inv)) - 1);
  const int sx1 = static_cast<int>(std::ceil((tile.area.right() + 1) * inv)) + 1;
  const int sy1 = static_cast<int>(std::ceil((tile.area.bottom() + 1) * inv)) + 1;
  const QRect srcRect(QPoint(sx0, sy0), QPoint(sx1 - 1, sy1 - 1));
  if (m_zoom < 1.0) {
    // Zoomed out: let the source reduce (a library chart decodes at that resolution).
    const QRect src = srcRect.intersected(QRect(QPoint(0, 0), m_src->size()));
    const QSize out(std::max(1, static_cast<int>(std::lround(src.width() * m_zoom))),
                    std::max(1, static_cast<int>(std::lround(src.height() * m_zoom))));
    tile.source = m_src->regionScaled(src, out);
    tile.at = QPointF(src.left() * m_zoom, src.top() * m_zoom);
    tile.reduced = true;
  } else {
    tile.source = m_src->region(srcRect);
    tile.at = QPointF(sx0, sy0);
  }
  compose(tile);
  // Only a palette source can be composed again with other colours; a true-colour
  // source is not kept, so the cache holds no more than the tiles themselves.
  if (tile.source.colorCount() == 0) tile.source = QImage();
  return tile;
}

void TileCache::compose(Tile& tile) const {
  tile.generation = m_tableGeneration;
  QImage img = tile.source;
  if (img.colorCount() > 0 && !m_colourTable.isEmpty()) {
    QVector<QRgb> table = m_colourTable;
    table.resize(img.colorCount(), qRgb(0, 0, 0));
    img.setColorTable(table);
  }
  tile.composed = QImage(tile.area.size(), QImage::Format_RGB32);
  tile.composed.fill(Qt::white);
  QPainter p(&tile.composed);
  if (!img.isNull()) {
    if (tile.reduced) {
      p.drawImage(tile.at - QPointF(tile.area.topLeft()), img);
    } else {
      p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom != std::floor(m_zoom));
      p.translate(-tile.area.left(), -tile.area.top());
      p.scale(m_zoom, m_zoom);
      p.drawImage(tile.at, img);
    }
  }
  p.end();
  if (m_filter) m_filter(tile.composed);
}

void TileCache::setColourTable(QVector<QRgb> table) {
  m_colourTable = std::move(table);
  ++m_tableGeneration;
}

void TileCache::paint(QPainter& p, const QRect& visible) {
  if (!m_src) return;
  const QRect area = visible.intersected(QRect(QPoint(0, 0), displayedSize()));
  if (area.isEmpty()) return;
  const int tx0 = area.left() / kTile, tx1 = area.right() / kTile;
  const int ty0 = area.top() / kTile, ty1 = area.bottom() / kTile;
  for (int ty = ty0; ty <= ty1; ++ty)
    for (int tx = tx0; tx <= tx1; ++tx) {
      const quint64 key = (static_cast<quint64>(ty) << 32) | static_cast<quint32>(tx);
      Tile* tile = m_cache.object(key);
      if (!tile) {
        tile = new Tile(makeTile(tx, ty));
        if (tile->composed.isNull()) {
          delete tile;
          continue;
        }
        p.drawImage(QPoint(tx * kTile, ty * kTile), tile->composed);
        m_cache.insert(key, tile);
        continue;
      }
      // The colours changed since the tile was made: a palette swap, not a decode.
      if (tile->generation != m_tableGeneration && !tile->source.isNull()) compose(*tile);
      p.drawImage(QPoint(tx * kTile, ty * kTile), tile->composed);
    }
}

}  // namespace tavrik
