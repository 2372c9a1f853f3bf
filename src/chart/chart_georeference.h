#pragma once
// Latitude/longitude <-> image pixel for a library chart, from the chart's own
// polynomials (WPX/WPY world to pixel, PWX/PWY pixel to world) when its header carries
// them, else from a least-squares polynomial fitted to its reference points. The
// pixel -> world direction is refined by Newton steps on the world -> pixel polynomial,
// so the two directions are inverses of each other to far below a pixel.

#include <QString>
#include <QVector>

#include <array>
#include <optional>

#include "chart/kap_header.h"

namespace tavrik {

class ChartGeoreference {
 public:
  // nullopt with `error` set when the header allows no conversion (fewer than three
  // usable reference points and no polynomials, or points on one line).
  static std::optional<ChartGeoreference> fromHeader(const KapHeader& header, QString* error);

  // Image pixel (x right, y down, in the units of the REF/ points) of a position.
  // Returns 0, or a
  // negative status when the computation fails.
  int latLonToPixel(double lat, double lon, double& x, double& y) const;
  int pixelToLatLon(double x, double y, double& lat, double& lon) const;

  bool fromPolynomials() const { return m_fromPolynomials; }
  // The header's polynomials missed its reference points; the points were fitted instead.
  bool polynomialsRejected() const { return m_polynomialsRejected; }
  // Largest distance in pixels between a reference point and its converted position.
  double worstReferenceError(const KapHeader& header) const;
  int order() const { return m_order; }
  bool mercatorOrdinate() const { return m_mercator; }

 private:
  static ChartGeoreference centredOn(const KapHeader& header);
  static std::optional<ChartGeoreference> fromPolynomials(const KapHeader& header, QString* error);
  static std::optional<ChartGeoreference> fitReferences(const KapHeader& header, ChartGeoreference start,
                                                        QString* error);
  using Coeffs = std::array<double, 10>;
  // World coordinates of the fit: u = longitude (unwrapped around m_lon0) and v =
  // latitude or, on Mercator charts, the Mercator ordinate, both normalised.
  void worldToUV(double lat, double lon, double& u, double& v) const;
  void uvToWorld(double u, double v, double& lat, double& lon) const;
  void forwardUV(double u, double v, double& x, double& y) const;

  bool m_fromPolynomials = false;
  bool m_polynomialsRejected = false;
  bool m_mercator = false;
  int m_order = 1;
  double m_lon0 = 0;
  double m_u0 = 0, m_us = 1, m_v0 = 0, m_vs = 1;  // normalisation of u and v
  double m_x0 = 0, m_xs = 1, m_y0 = 0, m_ys = 1;  // normalisation of pixels
  Coeffs m_fx{}, m_fy{};  // forward: (u, v) -> normalised pixel
  Coeffs m_ix{}, m_iy{};  // starting guess of the inverse: normalised pixel -> (u, v)
  int m_inverseOrder = 1;
};

}  // namespace tavrik
