#pragma once
// Start-up and shutdown of the program, in the order the program has always used:
// settings, main window placement, the windows of each subsystem; and at the end the
// settings written back.

#include <QCommandLineParser>
#include <QSoundEffect>
#include <memory>
#include <optional>

#include "core/sound_player.h"
#include "nmea/ui/simulation_window.h"

namespace tavrik {

class App;
class MainWindow;

// Sounds through QSoundEffect; a missing file or audio device plays nothing.
class QtSoundPlayer final : public SoundPlayer {
 public:
  void play(const QString& file) override;
  void beep() override;
  // Runs the event loop until the last sound has played to its end, failed, or capMs
  // passed. Only for the end of main(), after the application's own loop has returned.
  void finishPlaying(int capMs);

 private:
  std::unique_ptr<QSoundEffect> m_effect;
};

// "LAT,LON,COURSE" of --simulate-from (decimal degrees, "." decimals); none when malformed
// or out of range.
std::optional<SimulatorStart> parseSimulatorStart(const QString& text);

// Options of the program's own besides the "/" ones (subsystems add theirs).
void addStartupOptions(QCommandLineParser& parser);

class Startup {
 public:
  Startup(App& app, MainWindow& window) : m_app(app), m_window(window) {}
  // False when the program must end (the reason has been shown).
  bool run(const QCommandLineParser& parser);
  void shutdown();
  // Every subsystem's window factories into the App's registry.
  void registerWindows();

 private:
  void placeMainWindow(bool forScreenshot, bool hidden);
  // org.tavrik.Tavrik on the session bus; --automation starts its session.
  void startAutomation(bool automationMode);
  // A file given on the command line or by the desktop: a test file replays, a chart opens.
  void openFile(const QString& path);
  // The chart menu and window; --chart.
  void startChart(const QCommandLineParser& parser);
  // "--goto LAT,LON": the go-to request the chart's pop-up would raise.
  void requestGoto(const QString& latLon);

  App& m_app;
  MainWindow& m_window;
  bool m_shutDown = false;
  class CommunicationMenu* m_comm = nullptr;
  class ChartMenu* m_chartMenu = nullptr;
};

}  // namespace tavrik
