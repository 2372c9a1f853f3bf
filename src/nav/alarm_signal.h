#pragma once
// Signalling of an alarm, the same for every kind: the window concerned is shown
// without taking the focus, the main window's title flashes, and the alarm's sound
// file plays over and over (or the computer beeps on each flash when sounds are off).
// Several alarms can run at once (arrival, anchor, zone); each is keyed by the name
// of its window. The owner calls tick() often (every 100 ms in the program).

#include <QDateTime>
#include <QString>
#include <functional>
#include <map>

#include "core/clock.h"
#include "core/sound_player.h"

namespace tavrik {

// What the signalling needs from the windows; the App implements it over the main
// window, tests record the calls.
class AlarmWindows {
 public:
  virtual ~AlarmWindows() = default;
  // Shows the named window (opening it when needed) in front, without activating it.
  virtual void showWithoutActivating(const QString& window) = 0;
  // Inverts the main window's title highlight once.
  virtual void flashTitle() = 0;
};

// AlarmWindows over two functions, for an owner (the App) that is built before the
// windows that do the work; unset functions do nothing.
class AlarmWindowHooks final : public AlarmWindows {
 public:
  std::function<void(const QString&)> show;
  std::function<void()> flash;
  void showWithoutActivating(const QString& window) override {
    if (show) show(window);
  }
  void flashTitle() override {
    if (flash) flash();
  }
};

struct AlarmTiming {
  int flashMs = 200;
  int soundMs = 5000;
};

class AlarmSignal {
 public:
  // soundsEnabled is read on every tick, so a change in the sound settings applies at
  // once; soundFile turns a settings name into the file to play (empty: nothing).
  AlarmSignal(const Clock& clock, SoundPlayer& sound, AlarmWindows& windows,
              std::function<bool()> soundsEnabled, std::function<QString(const QString&)> soundFile = {});

  // Starts the alarm of `window` (does nothing when it already runs): shows the window
  // without activating it, flashes at once and plays `sound` at once when sounds are on.
  void SignalAlarm(const QString& window, const QString& sound, AlarmTiming timing = {});
  // Stops the flash and sound of that window's alarm.
  void stop(const QString& window);
  void stopAll();
  bool isSignalling(const QString& window) const { return m_alarms.count(window) != 0; }
  bool anySignalling() const { return !m_alarms.empty(); }

  // Flashes and plays what is due.
  void tick();

 private:
  struct Running {
    QString sound;
    AlarmTiming timing;
    QDateTime nextFlash, nextSound;
  };
  void flash();
  void play(const QString& sound);

  const Clock& m_clock;
  SoundPlayer& m_sound;
  AlarmWindows& m_windows;
  std::function<bool()> m_soundsEnabled;
  std::function<QString(const QString&)> m_soundFile;
  std::map<QString, Running> m_alarms;
};

}  // namespace tavrik
