#pragma once
// The built-in simulator: sails a virtual vessel by dead reckoning and every second
// writes RMC, MTW, VHW, VWR, MMB and DBT into receive buffer 0, so that parsing,
// display and navigation run as with real instruments.

#include <QString>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/status_panels.h"
#include "nmea/nmea_receiver.h"

namespace tavrik {

struct SimulatorState {
  float latitude = 0, longitude = 0;  // degrees
  float trueCourse = 0;               // degrees
  float magneticCourse = 0;           // degrees
  float speed = 0;                    // in the unit shownUnit (knots, M/h, Km/h)
  float depthMetres = 0;
  float waterTemperature = 0;         // deg C
  float airPressure = 1013;           // millibar
  float windDirection = 0;            // degrees magnetic
  float windSpeed = 0;                // knots
  QString shownUnit = QStringLiteral("Nm");  // the units setting the speed was entered in
};

class NmeaSimulator {
 public:
  NmeaSimulator(NmeaReceiver& receiver, StatusPanels& panels, const NavigationState& nav, const AppSettings& settings,
                const Clock& clock)
      : m_rx(receiver), m_panels(panels), m_nav(nav), m_settings(settings), m_clock(clock) {}

  // The window's OK: a session on the receive path (counters zeroed, radar targets
  // reset) and the forward port opened when one is set. The owner then runs a
  // 1000 ms QTimer calling tick().
  void start();
  void stop();
  bool isRunning() const { return m_running; }
  // One second of sailing and the six sentences.
  void tick();

  // The six sentences for the current state and clock, each with its checksum and
  // CR LF, in the order they are written.
  QString sentences() const;

  SimulatorState state;

 private:
  NmeaReceiver& m_rx;
  StatusPanels& m_panels;
  const NavigationState& m_nav;
  const AppSettings& m_settings;
  const Clock& m_clock;
  bool m_running = false;
};

}  // namespace tavrik
