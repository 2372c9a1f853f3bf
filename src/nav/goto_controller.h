#pragma once
// The go-to: one target (a waypoint, a typed or clicked position, or the points of
// the selected route in turn), and the two-second tick that computes bearing,
// distance, velocity made good, time to go, steering side and cross-track error,
// raises the arrival alarm, turns to the next route point and queues the output
// sentences. The go-to window and tavrik-nav drive it; tests tick it directly.

#include <QByteArray>
#include <QString>
#include <bitset>
#include <utility>
#include <vector>

#include "nav/goto_sentences.h"

namespace tavrik {

class Clock;
struct AppSettings;
struct NavigationState;
struct RequestFlags;

// One selectable target of the list (a waypoint or a route point).
struct GotoTarget {
  int waypoint = 0;  // number in the Waypoints table
  QString description;
  double lat = 0, lon = 0;
  bool approachable = true;
};

// The go-to values other parts read (the chart overlay, the automation interface).
struct GotoState {
  float TargetLat = 0, TargetLon = 0;
  float StartLat = 0, StartLon = 0;
  float LineCourse = -1;  // -1: the next tick takes it
  float BearingT = 0, BearingM = 0;
  float Distance = 0;     // nautical miles
  float VMG = 0;          // knots
  float ETE = 0;          // hours, two decimals; -1 no estimate
  float XTE = 0;          // signed, user's unit, positive right of the track line
  QString Steer;          // "L", "R", " " or empty
  int WP = 0;
  bool Alarm = false;     // arrival, for an automation client
  bool nextRequest = false, previousRequest = false;
  bool active = false;
  float DrawStartLat = 0, DrawStartLon = 0;  // where the chart's go-to line begins
  QString targetText;     // label of the go-to line
};

// The arrival alarm's signalling (window shown, title flashing, sound).
class ArrivalAlarmSink {
 public:
  virtual ~ArrivalAlarmSink() = default;
  virtual void raise() = 0;
  virtual void stop() = 0;
};

// Where the sentences go: the main window's serial ports by index.
class SentencePorts {
 public:
  virtual ~SentencePorts() = default;
  virtual bool isOpen(int portIndex) const = 0;
  virtual void write(int portIndex, const QByteArray& line) = 0;
};

// A logbook entry the go-to leaves for the logbook: type "Go To", the target's text
// and the own position when the go-to started or moved to another target.
struct GotoLogEvent {
  QString type;
  QString positionText;
  double lat = 0, lon = 0;
};

enum class SteerPicture { None, Straight, Right, Left, Reverse };

// What the window shows after a tick.
struct GotoReadout {
  QString bearingTrue, bearingMagnetic, distance, vmg, ete, xte;
  SteerPicture picture = SteerPicture::None;
  std::bitset<10> lamps;  // 0-4 left, 5-9 right
  bool alarmRaised = false;
};

// The `ok` button: "Go To" before the start, "&Previous" while following a route,
// hidden while going to a single target.
enum class OkMode { GoTo, Previous, Hidden };

class GotoController {
 public:
  GotoController(NavigationState& nav, const AppSettings& settings, RequestFlags& requests, const Clock& clock);

  ArrivalAlarmSink* alarmSink = nullptr;
  // Started as an automation server: the arrival only sets GotoState::Alarm.
  bool automationServer = false;

  // Opening the window: the list (route points in order, or all waypoints), whether it
  // is a route. A pending go-to request position starts at once on it; otherwise a
  // route starts on its first point; otherwise the user picks a target.
  void open(std::vector<GotoTarget> list, bool routeSelected);
  // Closing the window: the go-to ends and every value returns to rest.
  void close();

  const std::vector<GotoTarget>& list() const { return m_list; }
  int selectedIndex() const { return m_selected; }
  bool routeSelected() const { return m_route; }
  // Choosing a list entry puts it into the entry position; a waypoint that is not
  // approachable is refused: returns the message number, 0 when taken.
  int choose(int index);
  // The entry position (`Position1`): the target that `ok` starts on.
  double entryLat() const { return m_entryLat; }
  double entryLon() const { return m_entryLon; }
  void setEntryPosition(double lat, double lon);

  OkMode okMode() const { return m_okMode; }
  bool nextEnabled() const { return m_nextEnabled; }
  bool running() const { return m_state.active; }

  void start();     // `ok` captioned "Go To"
  void previous();  // `ok` captioned "&Previous"
  void next();      // `cnext`
  void ok() { m_okMode == OkMode::Previous ? previous() : start(); }

  // One tick: the values, the readout and the sentences to send (see flush()).
  void tick();
  // Writes the sentences of the last tick to the ports that are open; the window
  // calls it from the event loop after the tick, so pending window events run first.
  void flush(SentencePorts& ports);
  // The sentences of the last tick with their checksum and CR LF, by port index.
  struct Outgoing {
    int portIndex;
    GotoSentence kind;
    QByteArray line;
  };
  const std::vector<Outgoing>& outgoing() const { return m_outgoing; }

  const GotoState& state() const { return m_state; }
  GotoState& state() { return m_state; }
  // The texts of the last tick, formatted when asked (the window every two seconds,
  // tavrik-nav never).
  GotoReadout readout() const;
  // Pending logbook entries, taken by the main timer.
  std::vector<GotoLogEvent> takeLogEvents() { return std::exchange(m_logEvents, {}); }

 private:
  void loadEntry(int index);
  void stopAlarm();
  void restartLine();
  void targetChanged();
  void measure(float& bearing, float& distance);
  void buildOutput(float bearing, float distance, float steerDiff);
  bool switchOn(GotoSentence s) const;
  float toMagnetic(float trueDeg) const;

  NavigationState& m_nav;
  const AppSettings& m_settings;
  RequestFlags& m_requests;
  const Clock& m_clock;
  GotoState m_state;
  SteerPicture m_picture = SteerPicture::None;
  std::bitset<10> m_lamps;
  double m_eteHours = -1;  // -1: no estimate
  bool m_ticked = false;
  std::string m_lineBuffer;
  std::vector<GotoTarget> m_list;
  std::vector<Outgoing> m_outgoing;
  std::vector<GotoLogEvent> m_logEvents;
  int m_selected = -1;
  bool m_route = false;
  bool m_nextEnabled = false;
  bool m_alarmRaised = false;
  OkMode m_okMode = OkMode::GoTo;
  double m_entryLat = 0, m_entryLon = 0;
};

}  // namespace tavrik
