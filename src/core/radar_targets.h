#pragma once
// The radar (ARPA) target table and the time of the last RSD sentence. The TTM and
// TLL parsers fill the table; the chart draws it; the main cycle ages it.

#include <QDateTime>
#include <QString>
#include <vector>

#include "core/navigation_state.h"

namespace tavrik {

struct RadarTarget {
  int Number = 0;
  float Distance = 0;       // as received (TTM) or nautical miles (TLL)
  float Bearing = 0;        // true
  QString BearingRef;       // "T" or "R" as received
  float Speed = 0;
  float Course = 0;
  QString CourseRef;
  float TargetLatitude = 0, TargetLongitude = 0;
  float Cpa = 0, Tcpa = 0;
  QString Units;            // "N", "K" or "S"
  QString Name;
  QString Status;           // "Q" querying, "T" tracking, "L" lost
  QString Reference;
  QDateTime LastUpdate;
};

// Targets and RSD older than this are taken as gone.
inline constexpr qint64 kRadarSilenceSecs = 10;

struct RadarTargets {
  // Starts, and is reset to, one empty record; grows, never shrinks.
  std::vector<RadarTarget> targets = std::vector<RadarTarget>(1);
  QDateTime LastRsdTime;  // null until an RSD arrives
  // The target the radar window shows; the chart puts the radar cursor on it.
  int selected = 0;

  // Starting communication, replay or simulation.
  void reset() {
    targets.assign(1, RadarTarget{});
    LastRsdTime = QDateTime();
    selected = 0;
  }
  // Every target silent for more than ten seconds is marked lost ("L"); true when
  // any target changed status (the chart redraws the targets then).
  bool ageTargets(const QDateTime& now);
  // No RSD for more than ten seconds: its counters go back to zero so that the NMEA
  // status shows RSD as absent.
  void ageRsd(const QDateTime& now, NavigationState& nav) const;
};

}  // namespace tavrik
