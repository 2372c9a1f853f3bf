#include "nav/alarm_signal.h"

namespace tavrik {

namespace {
// A clock that jumped (suspend, time set) restarts the rhythm instead of catching up
// with a burst of flashes and sounds.
QDateTime nextDue(const QDateTime& due, int intervalMs, const QDateTime& now) {
  const QDateTime next = due.addMSecs(intervalMs);
  return next > now ? next : now.addMSecs(intervalMs);
}
}  // namespace

AlarmSignal::AlarmSignal(const Clock& clock, SoundPlayer& sound, AlarmWindows& windows,
                         std::function<bool()> soundsEnabled, std::function<QString(const QString&)> soundFile)
    : m_clock(clock),
      m_sound(sound),
      m_windows(windows),
      m_soundsEnabled(std::move(soundsEnabled)),
      m_soundFile(std::move(soundFile)) {}

void AlarmSignal::SignalAlarm(const QString& window, const QString& sound, AlarmTiming timing) {
  if (isSignalling(window)) return;
  const QDateTime now = m_clock.now();
  m_alarms[window] = Running{sound, timing, now.addMSecs(timing.flashMs), now.addMSecs(timing.soundMs)};
  m_windows.showWithoutActivating(window);
  flash();
  if (m_soundsEnabled()) play(sound);
}

void AlarmSignal::stop(const QString& window) { m_alarms.erase(window); }

void AlarmSignal::stopAll() { m_alarms.clear(); }

void AlarmSignal::tick() {
  if (m_alarms.empty()) return;
  const QDateTime now = m_clock.now();
  const bool soundsOn = m_soundsEnabled();
  // Two alarms flashing together must not invert the title twice in one tick, which
  // would leave it looking still.
  bool flashDue = false;
  for (auto& [window, alarm] : m_alarms) {
    if (now >= alarm.nextFlash) {
      flashDue = true;
      alarm.nextFlash = nextDue(alarm.nextFlash, alarm.timing.flashMs, now);
    }
    if (now >= alarm.nextSound) {
      alarm.nextSound = nextDue(alarm.nextSound, alarm.timing.soundMs, now);
      if (soundsOn) play(alarm.sound);
    }
  }
  if (flashDue) flash();
}

void AlarmSignal::flash() {
  if (!m_soundsEnabled()) m_sound.beep();
  m_windows.flashTitle();
}

void AlarmSignal::play(const QString& sound) {
  if (sound.isEmpty()) return;
  const QString file = m_soundFile ? m_soundFile(sound) : sound;
  if (!file.isEmpty()) m_sound.play(file);
}

}  // namespace tavrik
