#include "ais/ais_layer.h"

#include <QFontMetrics>
#include <QPolygonF>
#include <QTransform>
#include <cmath>

namespace tavrik {
namespace {

const QColor kClassA(0, 150, 60), kClassB(200, 140, 0), kDanger(220, 0, 0), kStale(130, 130, 130),
    kAid(150, 0, 170), kBase(40, 90, 200);

QPointF along(QPointF from, double bearingDeg, double length) {
  const double r = bearingDeg * M_PI / 180.0;
  return from + QPointF(std::sin(r) * length, -std::cos(r) * length);
}

}  // namespace

AisLayer::AisLayer() { m_font.setPointSize(8); }

const QImage& AisLayer::nameSprite(const QString& name) const {
  auto it = m_names.find(name);
  if (it != m_names.end()) return *it;
  // Bounded: a busy channel keeps naming new vessels.
  if (m_names.size() > 20000) m_names.clear();
  const QFontMetrics fm(m_font);
  QImage img(fm.horizontalAdvance(name) + 2, fm.height(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setFont(m_font);
  p.setPen(QColor(20, 20, 20));
  p.drawText(QPointF(1, fm.ascent()), name);
  p.end();
  return *m_names.insert(name, img);
}

void AisLayer::paint(QPainter& p, const ChartProjection& proj, const AisTargets& targets, const QRectF& visible,
                     qint64 nowMs) const {
  const QRectF area = visible.adjusted(-80, -80, 80, 80);
  const double rotation = proj.rotationDeg();
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  static const QPolygonF hull({QPointF(0, -9), QPointF(5, 6), QPointF(-5, 6)});
  static const QPolygonF diamond({QPointF(0, -6), QPointF(6, 0), QPointF(0, 6), QPointF(-6, 0)});
  for (const AisTarget* t : targets.byRange()) {
    if (!t->hasPosition) continue;
    const QPointF at = proj.toPixel(t->latitude, t->longitude);
    if (!area.contains(at)) continue;
    const bool stale = nowMs - t->lastReportMs >= kStaleAfterMs;
    QColor colour = t->kind == AisTargetKind::ClassB ? kClassB : kClassA;
    if (t->kind == AisTargetKind::AidToNavigation) colour = kAid;
    if (t->kind == AisTargetKind::BaseStation) colour = kBase;
    if (stale) colour = kStale;
    if (t->dangerous) colour = kDanger;
    p.setPen(QPen(colour.darker(150), t->dangerous ? 2 : 1));
    p.setBrush(colour);
    if (t->kind == AisTargetKind::AidToNavigation) {
      p.drawPolygon(diamond.translated(at));
    } else if (t->kind == AisTargetKind::BaseStation) {
      p.drawRect(QRectF(at - QPointF(5, 5), QSizeF(10, 10)));
    } else {
      const double direction = t->heading >= 0 ? t->heading : t->course >= 0 ? t->course : 0;
      QTransform turn;
      turn.translate(at.x(), at.y());
      turn.rotate(direction + rotation);
      p.drawPolygon(turn.map(hull));
      if (t->heading >= 0) p.drawLine(along(at, t->heading + rotation, 9), along(at, t->heading + rotation, 24));
      if (t->course >= 0 && t->speed > 0.2) {
        const double length = t->speed * kVectorMinutes / 60.0 * proj.pixelsPerNm(t->latitude);
        QPen vector(colour.darker(130), 1, Qt::DashLine);
        p.setPen(vector);
        p.drawLine(at, along(at, t->course + rotation, length));
      }
    }
    const QString name = t->displayName();
    p.drawImage(at + QPointF(9, -4), nameSprite(name));
  }
  p.restore();
}

}  // namespace tavrik
