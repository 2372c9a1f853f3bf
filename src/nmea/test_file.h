#pragma once
// Test files: recording the lines the receive cycle cuts, and replaying a recorded
// file into receive buffer 0 as if a receiver sent it. One line per text line,
// without the line's own CR LF.

#include <QFile>
#include <QString>
#include <functional>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "nmea/nmea_receiver.h"

namespace tavrik {

// "&Output to testfile...": while recording, every line the receive cycle cuts is
// written to the file, whatever its talker or sentence.
class TestFileRecorder {
 public:
  explicit TestFileRecorder(NmeaReceiver& receiver) : m_rx(receiver) {}
  ~TestFileRecorder() { stop(); }
  // Asks "Testfile exits, overwrite?" when the file exists (No stops). False when
  // not started (declined, or the file cannot be written: errorText()).
  bool start(const QString& path, Prompter& prompter);
  void stop();
  bool isRecording() const { return m_file.isOpen(); }
  QString errorText() const { return m_error; }

 private:
  NmeaReceiver& m_rx;
  QFile m_file;
  QString m_error;
};

// "&Input from testfile...": one line per tick (every intervalMs()) into buffer 0,
// "End of testfile" at the end.
class TestFilePlayer {
 public:
  static constexpr size_t kBufferLimit = 65500;

  TestFilePlayer(NmeaReceiver& receiver, NavigationState& nav, StatusPanels& panels, AppSettings& settings,
                 Prompter& prompter)
      : m_rx(receiver), m_nav(nav), m_panels(panels), m_settings(settings), m_prompter(prompter) {}
  ~TestFilePlayer();
  // Opens the file (false with errorText() when it cannot be read), stores its folder
  // in TestDir, starts a session on the receive path without instrument ports and
  // opens the forward port when one is set. The owner then runs a QTimer of
  // intervalMs() calling tick().
  bool start(const QString& path);
  void stop();
  void tick();
  bool isRunning() const { return m_running; }
  // 1000 / "Test interval", rounded; a zero or negative interval plays one line a second.
  int intervalMs() const;
  QString errorText() const { return m_error; }

  // Called when replay stops (the owner stops its timer, sets the radar-redraw flag
  // and restores the menus).
  std::function<void()> onStopped;

 private:
  NmeaReceiver& m_rx;
  NavigationState& m_nav;
  StatusPanels& m_panels;
  AppSettings& m_settings;
  Prompter& m_prompter;
  QFile m_file;
  QString m_error;
  bool m_running = false;
};

}  // namespace tavrik
