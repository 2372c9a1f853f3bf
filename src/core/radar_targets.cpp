#include "core/radar_targets.h"

#include <cstdlib>

namespace tavrik {

namespace {

// Milliseconds of the wall clock: a local time's date and time are read as they are
// stored, where its distance to another asks the C library's mktime for both, a
// thousand targets every second.
qint64 wallClockMs(const QDateTime& t) {
  return t.date().toJulianDay() * 86'400'000 + t.time().msecsSinceStartOfDay();
}

}  // namespace

bool RadarTargets::ageTargets(const QDateTime& now) {
  bool changed = false;
  const qint64 nowMs = wallClockMs(now);
  for (RadarTarget& t : targets) {
    // The empty record a reset leaves was never updated and has nothing to lose.
    if (t.LastUpdate.isNull() || t.Status == QLatin1String("L")) continue;
    // A clock set back (or the hour lost at the end of summer time) must not keep a
    // silent target alive: the distance counts either way.
    if (std::llabs(nowMs - wallClockMs(t.LastUpdate)) / 1000 > kRadarSilenceSecs) {
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
