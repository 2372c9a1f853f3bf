#pragma once
// Variation and deviation: turning magnetic headings into true ones and back.

#include <array>

namespace tavrik {

struct Compass {
  // Deviations in degrees for headings 0, 22.5, ..., 337.5.
  std::array<float, 16> DeviationTable{};
  float UserVariation = 0;  // degrees, east positive; 0 means "use the receiver's"

  // Linear interpolation between the entries bracketing h (337.5..360 runs from the
  // last entry towards the first), rounded to one decimal.
  float deviation(float heading) const;
  float variation(float gpsVariation) const {
    return UserVariation != 0 ? UserVariation : gpsVariation;
  }
  float ToMagnetic(float heading, float gpsVariation) const;
  float ToTrue(float heading, float gpsVariation) const;
};

}  // namespace tavrik
