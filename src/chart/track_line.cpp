#include "chart/track_line.h"

#include <cmath>

namespace tavrik {

std::optional<QLineF> TrackLine::offer(QPointF p) {
  if (!m_last) {
    m_last = p;
    return std::nullopt;
  }
  const double dist = std::hypot(p.x() - m_last->x(), p.y() - m_last->y());
  // Strictly more than the accuracy: a move of exactly Accuracy pixels adds nothing.
  if (!(dist > m_accuracy)) return std::nullopt;
  const QLineF element(*m_last, p);
  m_elements.push_back(element);
  m_last = p;
  return element;
}

}  // namespace tavrik
