#pragma once
// The AIS part of the receive path: VDM/VDO lines of every port set decoded into
// the target table, and the one-second work that ages the targets and computes CPA
// and TCPA against the own vessel.
//
// Periodic work: the owner calls tick() every second with its clock's time.

#include <cstdint>
#include <functional>
#include <string_view>

#include "ais/ais_decoder.h"
#include "ais/ais_targets.h"
#include "core/navigation_state.h"

namespace tavrik {

class NmeaReceiver;

class AisReception {
 public:
  // Takes the receiver's "!" lines (the receiver must outlive this or be detached).
  void install(NmeaReceiver& rx);
  // One received line; decoded messages go into the table at nowMs.
  void feed(std::string_view line, qint64 nowMs);
  // Drops lost targets, recomputes CPA/TCPA; the own vessel is taken from nav when a
  // position has been received.
  void tick(const NavigationState& nav, const AisAlarmLimits& limits, qint64 nowMs);
  void tick(const OwnVessel& own, const AisAlarmLimits& limits, qint64 nowMs);

  AisDecoder decoder;
  AisTargets targets;
  AisCpaAlarm alarm;  // updated by tick()
  // Every decoded message (tavrik-nmea prints them).
  std::function<void(const AisMessage&)> onMessage;
  // The time the receiver's lines are stamped with.
  std::function<qint64()> now;
  // Counts changes to the table, so that a chart repaints only when something moved.
  uint64_t generation() const { return m_generation; }

 private:
  uint64_t m_generation = 0;
};

}  // namespace tavrik
