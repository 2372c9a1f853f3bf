#pragma once
// The trip values of the instruments window: elapsed time, trip distance, distance
// and course made good from the trip's start, speed made good and average speed.

#include <QDateTime>
#include <QString>

#include "core/navigation_state.h"
#include "core/units.h"

namespace tavrik {

struct TripValues {
  qint64 elapsedSeconds = 0;  // 64 bits: a passage of days does not wrap
  QString elapsed;            // "1:30:05"
  QString distance;           // "#0.00 " + distance label
  QString madeGood;           // distance made good
  QString courseMadeGood;     // "##0°"
  QString vmg;                // speed made good, "#0.0 " + speed label
  QString averageSpeed;
};

// Empty texts until the main cycle has started the trip clock.
TripValues tripValues(const NavigationState& nav, const QDateTime& now, const Units& units);

// "&Reset": distance 0 and no start; the main cycle starts a new trip at its next tick
// with received data.
void resetTrip(NavigationState& nav);

}  // namespace tavrik
