#pragma once
// The AIS target list `gpsais` (caption "AIS targets"): every target nearest first
// with name, MMSI, call sign, type, size, range, bearing, course, speed, heading,
// CPA, TCPA and age; targets inside the CPA limits in red. The limits and the
// alarm switch are kept in the settings file, section "AIS".
//
// installAis connects the AIS reception to the receive path, draws the targets on
// the chart, ticks the table every second and signals the CPA alarm.

#include <QTimer>
#include <QWidget>

#include "ais/ais_targets.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QTableWidget;

namespace tavrik {

class App;
class MainWindow;

AisAlarmLimits readAisLimits(const App& app, bool* alarmOn = nullptr);

class AisTargetWindow : public QWidget {
  Q_OBJECT
 public:
  explicit AisTargetWindow(App& app, QWidget* parent = nullptr);
  void refresh();

 private:
  void saveLimits();
  App& m_app;
  QTableWidget* m_table;
  QDoubleSpinBox* m_cpa;
  QDoubleSpinBox* m_tcpa;
  QCheckBox* m_alarm;
  QLabel* m_counts;
  QTimer m_timer;
};

void registerAisWindows(App& app);
void installAis(App& app, MainWindow& window);

}  // namespace tavrik
