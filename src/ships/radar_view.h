#pragma once
// What the radar window `gpsradar` shows of one target, and which target it shows.

#include <QString>
#include <vector>

#include "core/radar_targets.h"

namespace tavrik {

struct RadarTargetTexts {
  QString number, status, distance, bearing, speed, course, cpa, tcpa, name, reference, position, lastUpdate;
};

// "Querying", "Tracking", "Lost"; any other letter as received.
QString radarStatusText(const QString& status);
// The unit letter shown with a distance: "N" nautical miles, "K" kilometres, "M"
// statute miles ("S" on the wire).
QString radarUnitLetter(const QString& units);
RadarTargetTexts radarTargetTexts(const RadarTarget& target, int positionDecimals);

// Indexes of the targets the radar has reported (the empty record a reset leaves is not one).
std::vector<int> reportedTargetIndexes(const RadarTargets& table);

}  // namespace tavrik
