#include "chart/chart_projection.h"

#include "geo/nav_math.h"

namespace tavrik {

QPointF MercatorSheet::toPixel(double lat, double lon) const {
  const double s = m_pxPerMin * m_zoom;
  return {AngleDiff(m_leftLon, lon) * 60 * s, (MeridionalParts(m_topLat) - MeridionalParts(lat)) * s};
}

void MercatorSheet::toLatLon(QPointF px, double& lat, double& lon) const {
  const double s = m_pxPerMin * m_zoom;
  lon = m_leftLon + px.x() / s / 60;
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  lat = LatitudeFromMeridionalParts(MeridionalParts(m_topLat) - px.y() / s);
}

double MercatorSheet::pixelsPerNm(double lat) const {
  return (MeridionalParts(lat + 1) - MeridionalParts(lat)) / 60 * m_pxPerMin * m_zoom;
}

}  // namespace tavrik
