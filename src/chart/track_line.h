#pragma once
// The sailed track as it is drawn fix by fix: a new line element only when the vessel
// has moved more than the track accuracy (`Accuracy`, displayed pixels) from the last
// drawn point, so the number of elements stays small.

#include <QLineF>
#include <QPointF>
#include <optional>
#include <vector>

namespace tavrik {

class TrackLine {
 public:
  explicit TrackLine(double accuracyPx = 100) : m_accuracy(accuracyPx) {}
  void setAccuracy(double px) { m_accuracy = px; }
  double accuracy() const { return m_accuracy; }
  // Offers the vessel's displayed position; returns the new element when one is added.
  // The first point only becomes the last drawn point.
  std::optional<QLineF> offer(QPointF p);
  // A lost fix: the next point starts a new line.
  void breakLine() { m_last.reset(); }
  // A chart load or zoom: elements are rebuilt from the track file.
  void clear() {
    m_last.reset();
    m_elements.clear();
  }
  const std::vector<QLineF>& elements() const { return m_elements; }
  std::optional<QPointF> lastPoint() const { return m_last; }

 private:
  double m_accuracy;
  std::optional<QPointF> m_last;
  std::vector<QLineF> m_elements;
};

}  // namespace tavrik
