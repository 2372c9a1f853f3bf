#pragma once
// The AIS targets on the chart: a hull triangle turned to the heading (the course
// when no heading is sent), a heading line, the course-over-ground vector for the
// next six minutes, and the name. Dangerous targets (inside the CPA limits) are
// red, targets silent for three minutes grey; aids to navigation are diamonds and
// base stations squares. Names come from pre-rendered images so that thousands of
// targets paint within a frame.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>

#include "ais/ais_targets.h"
#include "chart/chart_projection.h"

namespace tavrik {

class AisLayer {
 public:
  static constexpr double kVectorMinutes = 6;
  static constexpr qint64 kStaleAfterMs = 3 * 60 * 1000;

  AisLayer();
  void paint(QPainter& p, const ChartProjection& proj, const AisTargets& targets, const QRectF& visible,
             qint64 nowMs) const;

 private:
  const QImage& nameSprite(const QString& name) const;
  QFont m_font;
  mutable QHash<QString, QImage> m_names;
};

}  // namespace tavrik
