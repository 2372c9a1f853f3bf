#pragma once
// The pixels of the chart shown: a decoded picture, or a library chart decoded region
// by region. The window paints from scaled tiles of it; the whole image is never
// scaled at once.

#include <QCache>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

namespace tavrik {

class ChartImageSource {
 public:
  virtual ~ChartImageSource() = default;
  virtual QSize size() const = 0;  // image pixels
  // Pixels of a region of the image (clipped to it).
  virtual QImage region(const QRect& r) const = 0;
  // The region reduced to `out` pixels (zoomed-out views); sources that can decode at
  // a lower resolution do so.
  // A palette picture is reduced to the nearest pixels, as library charts decode, so
  // it stays a palette picture whose colours the night screen can swap.
  virtual QImage regionScaled(const QRect& r, QSize out) const {
    const QImage img = region(r);
    return img.scaled(out, Qt::IgnoreAspectRatio,
                      img.colorCount() > 0 ? Qt::FastTransformation : Qt::SmoothTransformation);
  }
};

class PictureSource final : public ChartImageSource {
 public:
  explicit PictureSource(QImage image) : m_image(std::move(image)) {}
  QSize size() const override { return m_image.size(); }
  QImage region(const QRect& r) const override { return m_image.copy(r.intersected(m_image.rect())); }
  const QImage& image() const { return m_image; }

 private:
  QImage m_image;
};

// Any region reader, for library charts.
class CallbackSource final : public ChartImageSource {
 public:
  using Reader = std::function<QImage(const QRect& r, QSize out)>;
  CallbackSource(QSize size, Reader read) : m_size(size), m_read(std::move(read)) {}
  QSize size() const override { return m_size; }
  QImage region(const QRect& r) const override {
    const QRect c = r.intersected(QRect(QPoint(0, 0), m_size));
    return m_read(c, c.size());
  }
  QImage regionScaled(const QRect& r, QSize out) const override {
    return m_read(r.intersected(QRect(QPoint(0, 0), m_size)), out);
  }

 private:
  QSize m_size;
  Reader m_read;
};

struct PictureLoad {
  QImage image;
  QString error;  // empty on success
};
// Reads a picture with the Qt image readers. Windows metafiles cannot be decoded
// here and say so.
PictureLoad LoadPicture(const QString& path);
// Extensions (upper case, with the dot) handled as pictures, as library charts.
bool IsPictureExtension(const QString& upperExt);
bool IsLibraryChartExtension(const QString& upperExt);

// Scaled tiles of the displayed picture, cached by zoom and tile number.
class TileCache {
 public:
  static constexpr int kTile = 256;  // displayed pixels
  explicit TileCache(int maxTiles = 400) : m_cache(maxTiles) {}
  void setSource(std::shared_ptr<const ChartImageSource> src);
  void setZoom(double zoom);
  double zoom() const { return m_zoom; }
  QSize displayedSize() const;
  // Paints the part `visible` (displayed pixels) with the painter translated so that
  // displayed pixel (0, 0) is the picture's corner.
  void paint(QPainter& p, const QRect& visible);
  int cachedTiles() const { return m_cache.count(); }
  void clear() { m_cache.clear(); }
  // Night palette or other pixel transformation applied to every tile.
  void setFilter(std::function<void(QImage&)> f) {
    m_filter = std::move(f);
    m_cache.clear();
  }
  // Colours for a palette source's pixel values (the night screen); empty: the
  // source's own. Cached tiles are recoloured from their kept pixel values, not
  // decoded again.
  void setColourTable(QVector<QRgb> table);
  const QVector<QRgb>& colourTable() const { return m_colourTable; }

 private:
  struct Tile {
    QRect area;              // displayed pixels
    QImage source;           // the source's palette pixels; null for a true-colour source
    QPointF at;              // where `source` starts: displayed pixels when reduced, else image pixels
    bool reduced = false;
    QImage composed;         // what is painted
    quint64 generation = 0;  // of the colour table it was composed with
  };
  Tile makeTile(int tx, int ty) const;
  void compose(Tile& tile) const;
  std::shared_ptr<const ChartImageSource> m_src;
  double m_zoom = 1.0;
  QCache<quint64, Tile> m_cache;
  std::function<void(QImage&)> m_filter;
  QVector<QRgb> m_colourTable;
  quint64 m_tableGeneration = 0;
};

}  // namespace tavrik
