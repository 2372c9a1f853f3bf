#pragma once
// Thousands of small, mostly transparent images (waypoint marks, names, proximity
// circles) blended into one layer that is then drawn once: a QPainter::drawImage per
// mark costs more than the few pixels each one covers.
#include <QImage>
#include <QPainter>
#include <QRect>
#include <memory>
#include <vector>

namespace tavrik {

// An image kept with the runs of pixels it covers, row by row.
struct Sprite {
  struct Run {
    int x = 0, y = 0, length = 0;
    bool opaque = false;  // every pixel of the run fully covers what lies beneath
  };
  QImage image;  // Format_ARGB32_Premultiplied
  std::vector<Run> runs;
  std::vector<int> rowStart;  // index of the first run of each row, and the end

  static Sprite from(const QImage& image);
  bool isNull() const { return image.isNull(); }
};

class SpriteLayer {
 public:
  // Starts a layer over `area` (pixels of the picture), empty.
  void reset(const QRect& area);
  // Queues a sprite, source-over, above those queued before. The sprite must stay
  // alive until paintOnto(); `keep` holds one that might not.
  void blend(const Sprite& sprite, QPoint topLeft, std::shared_ptr<const Sprite> keep = {});
  // Blends the queued sprites, band by band so that the layer's rows being written stay
  // in the cache (the order of the sprites on every pixel is kept), and draws the layer.
  void paintOnto(QPainter& p);

 private:
  struct Placed {
    const Sprite* sprite;
    QPoint at;  // in layer pixels
  };
  void blendRows(const Placed& placed, int top, int bottom);

  QImage m_image;
  QRect m_area;
  QRect m_used;  // in layer pixels
  std::vector<Placed> m_queue;
  std::vector<std::shared_ptr<const Sprite>> m_kept;
  std::vector<std::vector<int>> m_bands;
};

}  // namespace tavrik
