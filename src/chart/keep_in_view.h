#pragma once
// Where to scroll a picture chart so that the vessel stays in view with most of the
// window ahead of it. All values are displayed pixels of the zoomed picture.

#include <QPoint>
#include <QPointF>
#include <QSize>

namespace tavrik {

struct KeepInViewInput {
  QPointF vessel;        // vessel on the displayed picture
  QPoint scroll;         // current scroll values (top-left of the visible part)
  QSize visible;         // visible size (without the scroll bars)
  QSize content;         // displayed picture size
  double margin = 0.25;  // ViewMargin, 0..0.5
  double directionDeg = 0;  // chart rotation + course over ground
  bool centreChart = false;  // CenterChart
};

// The new scroll values (clamped to 0..content - visible). Unchanged when the vessel
// lies outside the picture.
QPoint KeepInView(const KeepInViewInput& in);

// Scroll values that put a point of the picture in the middle of the visible part.
QPoint CentreOn(QPointF point, QSize visible, QSize content);

// Scroll values clamped to 0..content - visible.
QPoint ClampScroll(QPoint scroll, QSize visible, QSize content);

}  // namespace tavrik
