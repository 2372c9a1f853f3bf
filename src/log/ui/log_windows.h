#pragma once
// The logbook's windows and the "&Log" menu: logging on and off with its timer, the
// log-text window `gpsltext`, the entry types `gpsentr` / `gpseentr`, the choosers,
// the log list, the printout, the graphs and the instrument windows.

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTextEdit;

#include <QWidget>

#include "geo/ui/record_edit_window.h"

namespace tavrik {

class App;
class MainWindow;
class PositionControl;

void registerLogWindows(App& app);
// The "&Log" menu (`m_log`), the log timer `logtimer`, the show/plot commands. Before
// the start options run, so that "Start log at startup" finds the timer.
void installLogbook(App& app, MainWindow& window);

// gpsltext, "Log entry": a type (new ones are added by their first entry), the
// position the entry is about and a text.
class LogTextWindow : public QWidget {
  Q_OBJECT
 public:
  explicit LogTextWindow(App& app, QWidget* parent = nullptr);
  // OK: the entry is queued for the main cycle.
  void accept();

 private:
  App& m_app;
  QComboBox* m_type = nullptr;
  PositionControl* m_position = nullptr;
  QTextEdit* m_text = nullptr;
};

// gpslogset, "Log setup": the log interval and "Start log at startup".
class LogSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit LogSetupWindow(App& app, QWidget* parent = nullptr);
  bool accept();

 private:
  App& m_app;
  QLineEdit* m_interval = nullptr;
  QCheckBox* m_atStartup = nullptr;
};

// gpseentr: one entry type's description.
class LogEntryTypeEditWindow : public RecordEditWindow {
  Q_OBJECT
 public:
  explicit LogEntryTypeEditWindow(App& app, QWidget* parent = nullptr);
  bool start(const QString& description) override;
  bool save() override;

 private:
  App& m_app;
  QLineEdit* m_description = nullptr;
};

}  // namespace tavrik
