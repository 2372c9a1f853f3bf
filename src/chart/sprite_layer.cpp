#include "chart/sprite_layer.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tavrik {

namespace {

constexpr int kBandRows = 32;  // 1 280 px wide: 160 kB, within the second-level cache

// x * a / 255 for each of the four bytes, rounded as the raster engine rounds.
inline quint32 byteMul(quint32 x, quint32 a) {
  quint32 t = (x & 0xff00ff) * a;
  t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
  t &= 0xff00ff;
  x = ((x >> 8) & 0xff00ff) * a;
  x = x + ((x >> 8) & 0xff00ff) + 0x800080;
  x &= 0xff00ff00;
  return x | t;
}

// Source-over of premultiplied pixels: d = s + d * (255 - alpha(s)) / 255.
void blendOver(quint32* d, const quint32* s, int n) {
  int i = 0;
#ifdef __SSE2__
  // Four pixels at a time, the same arithmetic on 16-bit lanes.
  const __m128i lowBytes = _mm_set1_epi32(0x00ff00ff);
  const __m128i half = _mm_set1_epi16(0x80);
  const __m128i full = _mm_set1_epi32(255);
  for (; i + 4 <= n; i += 4) {
    const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i inv = _mm_sub_epi32(full, _mm_srli_epi32(src, 24));
    const __m128i inv16 = _mm_or_si128(inv, _mm_slli_epi32(inv, 16));
    __m128i rb = _mm_mullo_epi16(_mm_and_si128(dst, lowBytes), inv16);
    __m128i ag = _mm_mullo_epi16(_mm_srli_epi16(dst, 8), inv16);
    rb = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(rb, _mm_srli_epi16(rb, 8)), half), 8);
    ag = _mm_andnot_si128(lowBytes, _mm_add_epi16(_mm_add_epi16(ag, _mm_srli_epi16(ag, 8)), half));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_add_epi32(src, _mm_or_si128(rb, ag)));
  }
#endif
  for (; i < n; ++i) d[i] = s[i] + byteMul(d[i], 255 - qAlpha(s[i]));
}

// Runs are short (an icon's row): a call to memcpy costs more than the copy.
inline void copyPixels(quint32* d, const quint32* s, int n) {
  int i = 0;
#ifdef __SSE2__
  for (; i + 4 <= n; i += 4)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
#endif
  for (; i < n; ++i) d[i] = s[i];
}

}  // namespace

Sprite Sprite::from(const QImage& source) {
  Sprite s;
  s.image = source.format() == QImage::Format_ARGB32_Premultiplied
                ? source
                : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int w = s.image.width();
  for (int y = 0; y < s.image.height(); ++y) {
    s.rowStart.push_back(static_cast<int>(s.runs.size()));
    const auto* row = reinterpret_cast<const quint32*>(s.image.constScanLine(y));
    int x = 0;
    while (x < w) {
      while (x < w && qAlpha(row[x]) == 0) ++x;
      const int start = x;
      bool opaque = true;
      while (x < w && qAlpha(row[x]) != 0) {
        opaque = opaque && qAlpha(row[x]) == 255;
        ++x;
      }
      if (x > start) s.runs.push_back({start, y, x - start, opaque});
    }
  }
  s.rowStart.push_back(static_cast<int>(s.runs.size()));
  return s;
}

void SpriteLayer::reset(const QRect& area) {
  if (m_image.size() != area.size()) {
    m_image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
  } else if (!m_used.isEmpty()) {
    // Only what the last layer used needs clearing.
    const qsizetype line = m_image.bytesPerLine();
    uchar* bits = m_image.bits();
    for (int y = m_used.top(); y <= m_used.bottom(); ++y)
      std::memset(bits + y * line + m_used.left() * 4, 0, static_cast<size_t>(m_used.width()) * 4);
  }
  m_area = area;
  m_used = QRect();
  m_queue.clear();
  m_kept.clear();
}

void SpriteLayer::blend(const Sprite& sprite, QPoint topLeft, std::shared_ptr<const Sprite> keep) {
  const QPoint at = topLeft - m_area.topLeft();
  const QRect target = QRect(at, sprite.image.size()).intersected(m_image.rect());
  if (target.isEmpty() || sprite.runs.empty()) return;
  m_used = m_used.united(target);
  m_queue.push_back({&sprite, at});
  if (keep) m_kept.push_back(std::move(keep));
}

void SpriteLayer::blendRows(const Placed& placed, int top, int bottom) {
  const Sprite& sprite = *placed.sprite;
  const QPoint at = placed.at;
  const int left = std::max(at.x(), 0);
  const int right = std::min(at.x() + sprite.image.width(), m_image.width());  // exclusive
  const uchar* src = sprite.image.constBits();
  const qsizetype srcLine = sprite.image.bytesPerLine();
  uchar* dst = m_image.bits();
  const qsizetype dstLine = m_image.bytesPerLine();
  const int firstRow = std::max(top - at.y(), 0);
  const int lastRow = std::min(bottom - at.y(), sprite.image.height() - 1);
  if (firstRow > lastRow) return;
  const Sprite::Run* end = sprite.runs.data() + sprite.rowStart[static_cast<size_t>(lastRow) + 1];
  for (const Sprite::Run* run = sprite.runs.data() + sprite.rowStart[static_cast<size_t>(firstRow)]; run != end; ++run) {
    const Sprite::Run& r = *run;
    const int y = at.y() + r.y;
    const int x0 = std::max(at.x() + r.x, left);
    const int x1 = std::min(at.x() + r.x + r.length, right);
    if (x0 >= x1) continue;
    const auto* s = reinterpret_cast<const quint32*>(src + r.y * srcLine) + (x0 - at.x());
    auto* d = reinterpret_cast<quint32*>(dst + y * dstLine) + x0;
    if (r.opaque)
      copyPixels(d, s, x1 - x0);
    else
      blendOver(d, s, x1 - x0);
  }
}

void SpriteLayer::paintOnto(QPainter& p) {
  if (m_used.isEmpty()) return;
  const int bandCount = (m_image.height() + kBandRows - 1) / kBandRows;
  m_bands.resize(static_cast<size_t>(bandCount));
  for (auto& b : m_bands) b.clear();
  for (int i = 0; i < static_cast<int>(m_queue.size()); ++i) {
    const Placed& q = m_queue[static_cast<size_t>(i)];
    const int first = std::max(q.at.y(), 0) / kBandRows;
    const int last = std::min(q.at.y() + q.sprite->image.height() - 1, m_image.height() - 1) / kBandRows;
    for (int b = first; b <= last; ++b) m_bands[static_cast<size_t>(b)].push_back(i);
  }
  for (int b = 0; b < bandCount; ++b)
    for (const int i : m_bands[static_cast<size_t>(b)])
      blendRows(m_queue[static_cast<size_t>(i)], b * kBandRows, std::min(b * kBandRows + kBandRows, m_image.height()) - 1);
  p.drawImage(m_area.topLeft() + m_used.topLeft(), m_image, m_used);
  m_queue.clear();
  m_kept.clear();
}

}  // namespace tavrik
