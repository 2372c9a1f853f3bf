#pragma once
// What the window logic and the overlays need from the chart shown: positions to
// displayed pixels of the zoomed picture and back. The chart window adapts the active
// chart record to it; tests use a plain Mercator sheet.

#include <QPointF>

namespace tavrik {

class ChartProjection {
 public:
  virtual ~ChartProjection() = default;
  // Displayed pixel of a position (chart datum), at the current zoom.
  virtual QPointF toPixel(double lat, double lon) const = 0;
  // Position of a displayed pixel.
  virtual void toLatLon(QPointF px, double& lat, double& lon) const = 0;
  // Angle of true north on the picture, degrees (0 north-up).
  virtual double rotationDeg() const { return 0; }
  // Displayed pixels per nautical mile northwards at a latitude (range circles).
  virtual double pixelsPerNm(double lat) const = 0;
};

// A Mercator sheet given by its top-left corner and pixels per minute of longitude:
// the simplest calibrated chart, for tests, benchmarks and the demo.
class MercatorSheet final : public ChartProjection {
 public:
  MercatorSheet(double topLat, double leftLon, double pxPerMinuteLon, double zoom = 1.0)
      : m_topLat(topLat), m_leftLon(leftLon), m_pxPerMin(pxPerMinuteLon), m_zoom(zoom) {}
  void setZoom(double z) { m_zoom = z; }
  QPointF toPixel(double lat, double lon) const override;
  void toLatLon(QPointF px, double& lat, double& lon) const override;
  double pixelsPerNm(double lat) const override;

 private:
  double m_topLat, m_leftLon, m_pxPerMin, m_zoom;
};

}  // namespace tavrik
