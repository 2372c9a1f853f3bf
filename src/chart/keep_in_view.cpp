#include "chart/keep_in_view.h"

#include <algorithm>
#include <cmath>

namespace tavrik {

QPoint ClampScroll(QPoint s, QSize visible, QSize content) {
  const int maxX = std::max(0, content.width() - visible.width());
  const int maxY = std::max(0, content.height() - visible.height());
  return {std::clamp(s.x(), 0, maxX), std::clamp(s.y(), 0, maxY)};
}

QPoint CentreOn(QPointF p, QSize visible, QSize content) {
  // A chart whose calibration cannot place the point leaves the view where it is.
  if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return ClampScroll({0, 0}, visible, content);
  const QPoint s(static_cast<int>(std::lround(p.x() - visible.width() / 2.0)),
                 static_cast<int>(std::lround(p.y() - visible.height() / 2.0)));
  return ClampScroll(s, visible, content);
}

QPoint KeepInView(const KeepInViewInput& in) {
  const double x = in.vessel.x(), y = in.vessel.y();
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(in.directionDeg)) return in.scroll;
  if (x < 0 || y < 0 || x > in.content.width() || y > in.content.height()) return in.scroll;
  if (in.centreChart) return CentreOn(in.vessel, in.visible, in.content);

  double d = std::fmod(in.directionDeg, 360.0);
  if (d < 0) d += 360.0;
  const double m = std::clamp(in.margin, 0.0, 0.5);
  const double W = in.visible.width(), H = in.visible.height();
  QPoint s = in.scroll;

  const double top = s.y() + m * H, bottom = s.y() + (1 - m) * H;
  if (y < top || y > bottom) {
    // Moving down the screen: vessel near the top; otherwise near the bottom.
    const bool down = d >= 90 && d < 270;
    const double at = down ? m * H : (1 - m) * H;
    s.setY(static_cast<int>(std::lround(y - at)));
  }
  const double left = s.x() + m * W, right = s.x() + (1 - m) * W;
  if (x < left || x > right) {
    const bool movingLeft = d >= 180 && d < 360;
    const double at = movingLeft ? (1 - m) * W : m * W;
    s.setX(static_cast<int>(std::lround(x - at)));
  }
  return ClampScroll(s, in.visible, in.content);
}

}  // namespace tavrik
