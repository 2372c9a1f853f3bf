#pragma once
// The anchor watch: a circle of `AnchorRange` around the place where the anchor was
// dropped; the alarm sounds while the vessel is outside it and ends by itself when
// she swings back inside.

#include <QString>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "nav/alarm_signal.h"

namespace tavrik {

// Bearing and distance from one position to another, as the watch and MOB windows
// show them: "#0.0° T", "#0.0° M" and the distance in the user's unit.
struct BearingDistance {
  double bearingT = 0, bearingM = 0, distanceNm = 0;
  QString bearingTText, bearingMText;
};
BearingDistance BearingDistanceTo(const NavigationState& nav, const AppSettings& settings, double lat, double lon);

class AnchorWatch {
 public:
  static constexpr const char* kWindow = "gpswatch";
  AnchorWatch(const NavigationState& nav, AppSettings& settings, AlarmSignal& alarms)
      : m_nav(nav), m_settings(settings), m_alarms(alarms) {}
  ~AnchorWatch() { stop(); }

  // Opening: the anchor lies at the own position.
  void dropAnchor();
  void setAnchor(double lat, double lon) { m_anchorLat = lat, m_anchorLon = lon; }
  double anchorLat() const { return m_anchorLat; }
  double anchorLon() const { return m_anchorLon; }
  // `AnchorRange` in the user's unit, "0.000".
  QString rangeText() const;
  // AnchorRange in nautical miles (the "Anchor"/"Watch" setting).
  double rangeNm() const;

  // OK: reads the entered range (with the system's decimal separator or '.'); a range
  // of 0 (or one that is not a number or not above 0) shows "No range" and does not
  // start. Returns the box's new text.
  QString start(const QString& entered, Prompter& prompter);
  QString start(const QString& entered, Prompter& prompter, QChar decimalSeparator);
  bool watching() const { return m_watching; }
  // The range as entered, in the user's unit.
  double enteredRange() const { return m_range; }

  struct Reading {
    BearingDistance to;
    QString distanceText;  // "#0.00 " + distance label
    bool alarm = false;
  };
  // The one-second tick; raises or stops the alarm.
  Reading tick(bool alarmChecked);
  // Closing the window: the watch and its alarm end.
  void stop();

 private:
  const NavigationState& m_nav;
  AppSettings& m_settings;
  AlarmSignal& m_alarms;
  double m_anchorLat = 0, m_anchorLon = 0;
  double m_range = 0;
  bool m_watching = false;
};

// Man over board: the position where the person fell and the steering back to it.
class ManOverboard {
 public:
  // `MobLat`, `MobLon` := own position.
  void start(const NavigationState& nav) { MobLat = nav.Latitude, MobLon = nav.Longitude; }
  // Closing the window.
  void clear() { MobLat = 0, MobLon = 0; }
  bool active() const { return MobLat != 0 || MobLon != 0; }

  struct Reading {
    BearingDistance to;
    QString distanceText;  // "#0.0 " + distance label
    QString vmgText;       // "#0.0 " + speed label
    QString eteText;       // "h:mm h" or "--:--"
    double vmgKn = 0;
    double eteHours = -1;  // two decimals, truncated; -1 without an estimate
  };
  Reading tick(const NavigationState& nav, const AppSettings& settings) const;

  float MobLat = 0, MobLon = 0;
};

}  // namespace tavrik
