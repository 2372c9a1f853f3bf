#pragma once
// The main window's one-second cycle: trip integration, trip start, the go-to
// request, the clock fallback of the time and date panels, loss-of-data detection,
// radar ageing, the position panel, pending log events and the modem. Steps that
// belong to other parts of the program are hooks; an unset hook does nothing.

#include <QDateTime>
#include <QString>
#include <functional>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/radar_targets.h"
#include "core/request_flags.h"
#include "core/status_panels.h"

namespace tavrik {

struct MainCycleHooks {
  // Step 3: the go-to request position is not (0, 0): (re)open the go-to window,
  // which takes the position as its target and clears it.
  std::function<void()> gotoRequest;
  // Step 9: the position text for the position panel. Unset: degrees and minutes
  // with the `Decimals` setting.
  std::function<QString(double latitude, double longitude)> positionText;
  // Step 10: write a pending logbook event.
  std::function<void()> writePendingLog;
  // Step 11: answer modem calls and collect modem input.
  std::function<void()> serviceModem;
  // Timer3, once a minute: the graph histories.
  std::function<void()> graphMinute;
};

// Degrees and decimal minutes, "52° 22.500' N / 4° 53.250' E", the display text the
// position control shows in its first notation.
QString degreesMinutesText(double latitude, double longitude, int decimals);

class MainCycle {
 public:
  MainCycle(NavigationState& nav, StatusPanels& panels, RequestFlags& requests, RadarTargets& radar,
            const AppSettings& settings, const Clock& clock)
      : m_nav(nav), m_panels(panels), m_requests(requests), m_radar(radar), m_settings(settings), m_clock(clock) {}

  // One tick of Timer1 (every second).
  void tick();
  // One tick of Timer3 (every minute).
  void minuteTick();

  int tickCount() const { return m_tickCount; }

  MainCycleHooks hooks;

 private:
  NavigationState& m_nav;
  StatusPanels& m_panels;
  RequestFlags& m_requests;
  RadarTargets& m_radar;
  const AppSettings& m_settings;
  const Clock& m_clock;
  int m_tickCount = 0;  // 0..10
};

}  // namespace tavrik
