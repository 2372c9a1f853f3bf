#include "core/radar_targets.h"

namespace tavrik {

bool RadarTargets::ageTargets(const QDateTime& now) {
  bool changed = false;
  for (RadarTarget& t : targets) {
    // The empty record a reset leaves was never updated and has nothing to lose.
    if (t.LastUpdate.isNull() || t.Status == QLatin1String("L")) continue;
    if (t.LastUpdate.secsTo(now) > kRadarSilenceSecs) {
      t.Status = QStringLiteral("L");
      changed = true;
    }
  }
  return changed;
}

void RadarTargets::ageRsd(const QDateTime& now, NavigationState& nav) const {
  if (LastRsdTime.isNull() || LastRsdTime.secsTo(now) > kRadarSilenceSecs) {
    nav.received(Sentence::RSD) = 0;
    nav.errors(Sentence::RSD) = 0;
  }
}

}  // namespace tavrik
