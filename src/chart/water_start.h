#pragma once
// Where a simulated vessel starts on a chart: on water near the chart's middle, with a
// course along the longest stretch of water from there, read from a small preview of
// the chart picture (water is white or blue on paper charts, land buff or yellow).

#include <QImage>
#include <QPointF>
#include <optional>

namespace tavrik {

struct WaterStart {
  QPointF at;                // fractions of the picture's width and height (0..1)
  double screenCourseDeg = 0;  // 0 up, clockwise
};

// True for a pixel that reads as water: light, and no redder than blue.
bool LooksLikeWater(QRgb pixel);
// The start: the middle when it is water, else the nearest water to it; nothing when
// the preview shows no water at all.
std::optional<WaterStart> FindWaterStart(const QImage& preview);

}  // namespace tavrik
