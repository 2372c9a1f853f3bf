#pragma once
// "Go To" (`gpsgoto`): the target list `wplist`, the target `Position1`, Go To /
// Previous (`ok`), Next (`cnext`), Cancel, the readout, the steering picture and the
// ten-lamp bar `Label2`. The go-to itself is the App's GotoController; this window
// drives its tick from `Timer1` and signals the arrival alarm through the App's alarms.

#include <QWidget>

#include "nav/goto_controller.h"

class QCloseEvent;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tavrik {

class App;
class PositionControl;

// The four steering pictures, drawn.
class SteerPictureWidget : public QWidget {
 public:
  explicit SteerPictureWidget(QWidget* parent = nullptr);
  void setPicture(SteerPicture p);
  SteerPicture picture() const { return m_picture; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  SteerPicture m_picture = SteerPicture::None;
};

// Ten lamps, 0-4 port (red) and 5-9 starboard (green).
class LampBarWidget : public QWidget {
 public:
  explicit LampBarWidget(QWidget* parent = nullptr);
  void setLamps(std::bitset<10> lamps);
  std::bitset<10> lamps() const { return m_lamps; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::bitset<10> m_lamps;
};

class GotoWindow : public QWidget, private ArrivalAlarmSink {
  Q_OBJECT
 public:
  explicit GotoWindow(App& app, QWidget* parent = nullptr);
  ~GotoWindow() override;

  // One tick of Timer1; the sentences leave once pending events have run.
  void tick();
  GotoController& controller();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void raise() override;
  void stop() override;
  void refresh();
  void chooseEntry(int index);

  App& m_app;
  QComboBox* m_list;
  PositionControl* m_position;
  QPushButton *m_ok, *m_next, *m_cancel;
  QLabel *m_bearing, *m_bearingM, *m_distance, *m_vmg, *m_ete, *m_xte;
  SteerPictureWidget* m_picture;
  LampBarWidget* m_lamps;
  QTimer* m_timer1;
  QString m_caption;
};

// Registers `gpsgoto` and `gpscauto`, the main window's "&Navigation" menu and the
// main cycle's go-to request.
class MainWindow;
void installSteering(App& app, MainWindow& window);

}  // namespace tavrik
