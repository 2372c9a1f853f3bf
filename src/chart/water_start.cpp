#include "chart/water_start.h"

#include <algorithm>
#include <cmath>

namespace tavrik {

bool LooksLikeWater(QRgb pixel) {
  const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
  // Text, soundings and lines are dark; land tints lean to red and yellow.
  return r + g + b > 3 * 110 && b + 8 >= r;
}

std::optional<WaterStart> FindWaterStart(const QImage& preview) {
  if (preview.isNull() || preview.width() < 3 || preview.height() < 3) return std::nullopt;
  const QImage img = preview.convertToFormat(QImage::Format_RGB32);
  const int w = img.width(), h = img.height();
  const auto water = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && LooksLikeWater(img.pixel(x, y));
  };
  // A point with water around it, not a white label on land.
  const auto open = [&](int x, int y) {
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) n += water(x + dx, y + dy) ? 1 : 0;
    return n >= 7;
  };
  const int cx = w / 2, cy = h / 2;
  int sx = -1, sy = -1;
  for (int ring = 0; ring <= std::max(w, h) && sx < 0; ++ring) {
    double best = 1e18;
    for (int y = cy - ring; y <= cy + ring; ++y)
      for (int x = cx - ring; x <= cx + ring; ++x) {
        if (std::max(std::abs(x - cx), std::abs(y - cy)) != ring || !open(x, y)) continue;
        const double d = std::hypot(x - cx, y - cy);
        if (d < best) {
          best = d;
          sx = x;
          sy = y;
        }
      }
  }
  if (sx < 0) return std::nullopt;
  // The course: of 16 directions, the one with the longest run of water ahead.
  double bestCourse = 0;
  int bestRun = -1;
  for (int i = 0; i < 16; ++i) {
    const double deg = i * 22.5, rad = deg * M_PI / 180.0;
    const double dx = std::sin(rad), dy = -std::cos(rad);
    int run = 0;
    for (int step = 1;; ++step) {
      const int x = static_cast<int>(std::lround(sx + dx * step)), y = static_cast<int>(std::lround(sy + dy * step));
      if (!water(x, y)) break;
      run = step;
    }
    if (run > bestRun) {
      bestRun = run;
      bestCourse = deg;
    }
  }
  return WaterStart{QPointF((sx + 0.5) / w, (sy + 0.5) / h), bestCourse};
}

}  // namespace tavrik
