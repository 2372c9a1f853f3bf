#pragma once
// Wind: the Beaufort force, the conversion between true and apparent wind, and the
// values the wind display shows. Directions are where the wind comes from, degrees;
// speeds knots.

#include <QString>
#include <array>

#include "core/units.h"

namespace tavrik {

// Force 0..12; a speed between one band's upper bound and the next band's lower
// bound (3.999995) belongs to the lower band.
int Beaufort(float knots);

struct WindVector {
  float directionDeg = 0;  // 0 <= x < 360
  float speedKn = 0;
};

// The wind calculator: boat on `headingDeg` at `boatKn`. The direction is the
// two-argument arctangent of the summed components, right in every quadrant; a
// zero wind comes out as speed 0 from 0.
WindVector apparentFromTrue(float headingDeg, float boatKn, WindVector trueWind);
WindVector trueFromApparent(float headingDeg, float boatKn, WindVector apparent);

// One wind as the wind display shows it.
struct WindDisplay {
  QString force;       // "4 Bf"
  QString speed;       // "##0"
  QString alongBoat;   // the boat's speed component along the wind, "#0.0 " + speed label
  QString angle;       // heading - wind direction in 0..360, "##0°"
  WindVector wind;
};
WindDisplay windDisplay(WindVector wind, float headingDeg, float waterSpeedKn, const Units& units);

// The deviation window's OK: a non-numeric box reads "0"; the index of the first box
// at 360 or more or below -360 (nothing is stored then), or -1 with *table filled.
int checkDeviationEntries(const std::array<QString, 16>& boxes, std::array<float, 16>* table);

}  // namespace tavrik
