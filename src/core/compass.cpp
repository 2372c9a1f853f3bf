#include "core/compass.h"

#include <cmath>

namespace tavrik {
namespace {
float wrapOnce(float x) {
  if (x < 0) x += 360;
  else if (x >= 360) x -= 360;
  return x;
}
}  // namespace

float Compass::deviation(float heading) const {
  // A heading that is not a number reads as 0 rather than indexing outside the table.
  float h = std::isfinite(heading) ? std::fmod(heading, 360.0f) : 0.0f;
  if (h < 0) h += 360;
  // A hair below 0 becomes 360.0f in single precision: that is heading 0 again.
  if (h >= 360) h -= 360;
  const int i = static_cast<int>(h / 22.5f) % 16;
  const int j = (i + 1) % 16;
  const float frac = (h - i * 22.5f) / 22.5f;
  const float d = DeviationTable[i] + (DeviationTable[j] - DeviationTable[i]) * frac;
  return static_cast<float>(std::round(d * 10.0) / 10.0);
}

float Compass::ToMagnetic(float heading, float gpsVariation) const {
  return wrapOnce(heading - variation(gpsVariation) - deviation(heading));
}

float Compass::ToTrue(float heading, float gpsVariation) const {
  return wrapOnce(heading + variation(gpsVariation) + deviation(heading));
}

}  // namespace tavrik
