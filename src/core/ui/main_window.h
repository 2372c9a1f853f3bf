#pragma once
// The main window `gps`: a multiple-document frame holding the child windows, the
// menus, the toolbar and the status bar panels.

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <array>
#include <functional>
#include <map>

#include "core/status_panels.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace tavrik {

class App;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(App& app, QWidget* parent = nullptr);
  ~MainWindow() override;

  App& app() { return m_app; }
  QMdiArea* mdiArea() const { return m_mdi; }
  // Shows the window with this object name, creating it on first use; a window that
  // is already open is brought forward. Returns nullptr for an unknown name.
  QWidget* openWindow(const QString& objectName);
  // The open child window with this object name, or nullptr.
  QWidget* findWindow(const QString& objectName) const;
  // The menu with this object name ("m_file", "m_comm", ...), for subsystems to fill.
  QMenu* menu(const QString& objectName) const;
  // The menu with this object name, created with this title before the Window menu
  // when it does not exist yet.
  QMenu* ensureMenu(const QString& objectName, const QString& title);
  // Window › Cascade: the chart window fills the area, the others step down over it.
  void cascadeWindows();
  // Copies the status panel texts and visibility from the App.
  void refreshStatusBar();
  QLabel* panel(Panel p) const { return m_panels[static_cast<int>(p)]; }

  // The main window's timers, all created stopped: "Timer1" (1000 ms, main cycle),
  // "rectimer" (500 ms, receive cycle), "testtimer" (test-file replay), "Timer3"
  // (60000 ms, graph histories). Subsystems connect to and start the ones they drive.
  QTimer* timer(const QString& objectName) const;
  // Alarm signalling (AlarmWindows of the App): shows the named child window in front
  // without taking the focus from the window the user works in; flashes the title.
  void showWithoutActivating(const QString& objectName);
  void flashTitle();
  bool titleFlashed() const { return m_titleFlashed; }
  // The zone alarm's two indicators ("p_alarm" in the status bar, "p_alarm2" beside
  // the menus); a click on either acknowledges the alarm.
  QWidget* alarmIndicator(int n) const { return m_alarmIndicators[n]; }
  // The zone alarm's signalling step (every 100 ms): indicators, flash and sound.
  void signalZoneAlarm();
  // Set by shutdown: windows closing now do not ask whether they may.
  void setShuttingDown() { m_shuttingDown = true; }
  bool isShuttingDown() const { return m_shuttingDown; }
  // Starts the timers that run from the end of start-up to shutdown (Timer1, Timer3).
  void startTimers();
  // Stops every timer (shutdown).
  void stopTimers();

  // A command a toolbar button can run ("communication", "centre", ...). `checked`,
  // when set, gives the pressed state of a toggling button.
  void addCommand(const QString& name, std::function<void()> run, std::function<bool()> checked = {});
  bool hasCommand(const QString& name) const { return m_commands.count(name) != 0; }
  // Runs a command by name; false when there is none.
  bool runCommand(const QString& name);
  // True when toolbar button n (0..28) has a command that can run here.
  bool buttonAvailable(int number) const;
  // Lays the toolbar out again from the "Toolbar" settings (after start-up has
  // registered every window and command, and after the toolbar setup).
  void rebuildToolbar();
  QToolBar* toolBar() const { return m_toolBar; }
  // Presses or releases the toggling buttons by the state of their commands.
  void refreshToolbarState();
  // Makes the chart list (-1 in the toolbar layout); unset: no chart list.
  std::function<QWidget*(QWidget* parent)> chartListFactory;

 private:
  void buildMenus();
  void buildStatusBar();
  void buildTimers();
  void buildAlarmIndicators();
  void addBuiltInCommands();
  void clickButton(int number);
  // The open windows as entries at the end of the Window menu.
  void listWindowsIn(QMenu* windowMenu);
  void placeFrame(QMdiSubWindow* frame, const QString& objectName);

  struct Command {
    std::function<void()> run;
    std::function<bool()> checked;
  };

  App& m_app;
  QMdiArea* m_mdi = nullptr;
  std::array<QLabel*, kPanelCount> m_panels{};
  QTimer* m_statusTimer = nullptr;
  QTimer* m_timer1 = nullptr;
  QTimer* m_rectimer = nullptr;
  QTimer* m_testtimer = nullptr;
  QTimer* m_timer3 = nullptr;
  QTimer* m_alarmTimer = nullptr;
  std::array<QWidget*, 2> m_alarmIndicators{};
  bool m_titleFlashed = false;
  QToolBar* m_toolBar = nullptr;
  std::map<QString, Command> m_commands;
  // Where each window's frame was when it was last closed (this session).
  std::map<QString, QPoint> m_lastPlace;
  bool m_shuttingDown = false;
};

}  // namespace tavrik
