#pragma once
// The man-over-board window `gpsmob`: opened by the "MOB" command, it keeps the
// position where the person fell and steers back to it; closing it ends the MOB.

#include <QWidget>

#include "nav/anchor_watch.h"

class QLabel;
class QTimer;

namespace tavrik {

class App;
class PositionControl;

class MobWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MobWindow(App& app, QWidget* parent = nullptr);
  ~MobWindow() override;
  // Timer1 (1000 ms).
  void tick();
  const ManOverboard::Reading& reading() const { return m_reading; }

 protected:
  // Closing ends the MOB at once (the chart's MOB line goes with it).
  void closeEvent(QCloseEvent* e) override;

 private:
  App& m_app;
  PositionControl* m_position = nullptr;
  QLabel* m_bearing = nullptr;
  QLabel* m_bearingM = nullptr;
  QLabel* m_distance = nullptr;
  QLabel* m_vmg = nullptr;
  QLabel* m_ete = nullptr;
  QTimer* m_timer = nullptr;
  ManOverboard::Reading m_reading;
};

}  // namespace tavrik
