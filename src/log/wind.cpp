#include "log/wind.h"

#include <array>
#include <cmath>

#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

int Beaufort(float knots) {
  static constexpr std::array<float, 12> kLowerBounds = {1, 4, 7, 11, 17, 22, 28, 34, 41, 48, 56, 64};
  int force = 0;
  while (force < 12 && knots >= kLowerBounds[static_cast<size_t>(force)]) ++force;
  return force;
}

namespace {

WindVector combine(float headingDeg, float boatKn, WindVector w, float boatSign) {
  const double x = w.speedKn * CosDeg(w.directionDeg) + boatSign * boatKn * CosDeg(headingDeg);
  const double y = w.speedKn * SinDeg(w.directionDeg) + boatSign * boatKn * SinDeg(headingDeg);
  WindVector out;
  out.speedKn = static_cast<float>(std::hypot(x, y));
  if (out.speedKn == 0) return out;
  double d = std::atan2(y, x) * 180.0 / Pi();
  if (d < 0) d += 360;
  if (d >= 360) d -= 360;
  out.directionDeg = static_cast<float>(d);
  return out;
}

}  // namespace

WindVector apparentFromTrue(float headingDeg, float boatKn, WindVector trueWind) {
  return combine(headingDeg, boatKn, trueWind, +1);
}

WindVector trueFromApparent(float headingDeg, float boatKn, WindVector apparent) {
  return combine(headingDeg, boatKn, apparent, -1);
}

WindDisplay windDisplay(WindVector wind, float headingDeg, float waterSpeedKn, const Units& units) {
  WindDisplay d;
  d.wind = wind;
  d.force = QString::number(Beaufort(wind.speedKn)) + QStringLiteral(" Bf");
  d.speed = formatNumber(wind.speedKn, u"##0");
  d.alongBoat = formatNumber(CosDeg(wind.directionDeg - headingDeg) * waterSpeedKn * units.UnitFactor, u"#0.0") +
                QLatin1Char(' ') + units.speedLabel();
  double angle = std::fmod(static_cast<double>(headingDeg) - wind.directionDeg, 360.0);
  if (angle < 0) angle += 360;
  d.angle = formatNumber(angle, u"##0") + QStringLiteral("°");
  return d;
}

int checkDeviationEntries(const std::array<QString, 16>& boxes, std::array<float, 16>* table) {
  std::array<float, 16> values{};
  for (size_t i = 0; i < boxes.size(); ++i) {
    const QString t = boxes[i].trimmed().remove(QStringLiteral("°"));
    const double v = isNumeric(t) ? parseLocaleNumber(t) : 0.0;
    if (v >= 360 || v < -360) return static_cast<int>(i);
    values[i] = static_cast<float>(v);
  }
  *table = values;
  return -1;
}

}  // namespace tavrik
