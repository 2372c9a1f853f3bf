#pragma once
// "Set Pc time & date" (`gpstime`): shows the time and date of the status panels (or
// the computer clock when a panel is empty) and on OK sets the computer clock from
// the panels.

#include <QWidget>

class QLabel;
class QTimer;

namespace tavrik {

class App;

class PcTimeWindow : public QWidget {
  Q_OBJECT
 public:
  explicit PcTimeWindow(App& app, QWidget* parent = nullptr);
  // OK: sets the clock; true when it was set and the window closes.
  bool accept();
  void refresh();

 private:
  App& m_app;
  QLabel* m_time = nullptr;
  QLabel* m_date = nullptr;
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
