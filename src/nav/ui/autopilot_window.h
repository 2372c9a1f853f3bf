#pragma once
// "Autopilot" (`gpsauto`): lock the course (`Command1`) or the apparent wind
// (`Command2`), stop (`Command3`), adjust by 1 and 10 degrees, tack (`Command6`);
// every second the APB that steers the locked course goes to the autopilot port.

#include <QWidget>

#include "nav/autopilot.h"
#include "nav/ui/port_opening.h"

class QLabel;
class QTimer;

namespace tavrik {

class App;

class AutopilotWindow : public QWidget {
  Q_OBJECT
 public:
  explicit AutopilotWindow(App& app, QWidget* parent = nullptr);
  void tick();
  const Autopilot& autopilot() const { return m_pilot; }

 private:
  void lock(bool wind);
  void refresh();

  App& m_app;
  Autopilot m_pilot;
  OutputPort m_port;
  QTimer* m_timer;
  QLabel *m_heading, *m_wind, *m_course, *m_locked;
};

}  // namespace tavrik
