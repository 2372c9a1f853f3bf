#pragma once
// The AIS target table: one row per MMSI merged from position and static messages,
// with range, bearing, CPA and TCPA against the own vessel, and the targets whose
// CPA and TCPA fall inside the alarm limits. Targets silent for kLostAfterMs are
// dropped. Time is passed in by the owner (milliseconds of its clock).

#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "ais/ais_decoder.h"

namespace tavrik {

enum class AisTargetKind { ClassA, ClassB, BaseStation, AidToNavigation };

struct AisTarget {
  uint32_t mmsi = 0;
  AisTargetKind kind = AisTargetKind::ClassA;
  QString name, callsign, destination;
  int shiptype = 0;
  int length = 0, beam = 0;  // metres, 0 = unknown
  bool hasPosition = false;
  double latitude = 0, longitude = 0;
  double speed = -1;    // knots, -1 = unknown
  double course = -1;   // degrees true, -1 = unknown
  double heading = -1;  // degrees true, -1 = unknown
  int status = 15;
  qint64 lastReportMs = 0;  // any message
  // Against the own vessel, from the last update():
  double rangeNm = -1, bearing = -1;
  bool cpaKnown = false;
  double cpaNm = 0, tcpaMinutes = 0;  // TCPA < 0: the closest point is behind
  bool dangerous = false;

  double ageSeconds(qint64 nowMs) const { return static_cast<double>(nowMs - lastReportMs) / 1000.0; }
  QString displayName() const { return name.isEmpty() ? QString::number(mmsi) : name; }
};

struct OwnVessel {
  bool valid = false;
  double latitude = 0, longitude = 0;
  double speed = 0, course = 0;  // knots, degrees true
};

struct CpaResult {
  double cpaNm = 0;
  double tcpaMinutes = 0;
};
// Closest point of approach of two vessels on straight courses, in a local plane
// around the own vessel (fine for the few miles a CPA alarm is about).
CpaResult closestApproach(const OwnVessel& own, double lat, double lon, double speed, double course);

struct AisAlarmLimits {
  double cpaNm = 0.5;        // a target closer than this at its closest point...
  double tcpaMinutes = 15;   // ...reached within this time raises the alarm
};

// Which dangerous targets still call for the alarm: an acknowledged target is quiet
// until it has left the limits and come back.
class AisCpaAlarm {
 public:
  // True while a dangerous target has not been acknowledged.
  bool update(const std::vector<uint32_t>& dangerous);
  void acknowledge() { m_acknowledged = m_current; }
  bool sounding() const { return m_sounding; }

 private:
  std::vector<uint32_t> m_current, m_acknowledged;
  bool m_sounding = false;
};

class AisTargets {
 public:
  static constexpr qint64 kLostAfterMs = 6 * 60 * 1000;

  // Takes a decoded message into the table (VDO, the own vessel, is not a target).
  void update(const AisMessage& m, qint64 nowMs);
  // Drops lost targets and recomputes range, bearing, CPA and the alarm flags.
  void refresh(const OwnVessel& own, const AisAlarmLimits& limits, qint64 nowMs);

  const AisTarget* find(uint32_t mmsi) const;
  size_t size() const { return m_targets.size(); }
  // Every target, nearest first (targets without range last, by MMSI).
  std::vector<const AisTarget*> byRange() const;
  // MMSIs of the targets inside the alarm limits, nearest CPA first.
  std::vector<uint32_t> dangerous() const;
  void clear() { m_targets.clear(); }

 private:
  std::unordered_map<uint32_t, AisTarget> m_targets;
};

}  // namespace tavrik
