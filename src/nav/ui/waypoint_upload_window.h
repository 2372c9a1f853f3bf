#pragma once
// "Upload waypoints" (`gpsuwps`): waypoints chosen by group and type go to a
// receiver as WPL sentences, one per timer tick so that the pause between them never
// blocks the window; and its set-up window `gpswpl` with a live example.

#include <QWidget>
#include <memory>

#include "nav/waypoint_upload.h"
#include "nav/ui/port_opening.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tavrik {

class App;

class WaypointUploadWindow : public QWidget {
  Q_OBJECT
 public:
  explicit WaypointUploadWindow(App& app, QWidget* parent = nullptr);
  // "&Send": the chosen waypoints, the port opened, the first sentence at once.
  void send();
  bool uploading() const { return m_upload != nullptr; }

 private:
  void sendNext();
  void finish();

  App& m_app;
  QListWidget *m_groups, *m_types;
  QComboBox* m_port;
  QProgressBar* m_progress;
  QPushButton *m_send, *m_cancel;
  QTimer* m_timer;
  OutputPort m_out;
  std::unique_ptr<WaypointUpload> m_upload;
};

class WplSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit WplSetupWindow(App& app, QWidget* parent = nullptr);
  WplLayout layout() const;
  void accept();

 private:
  void showExample();

  App& m_app;
  QLineEdit *m_nmea, *m_fill;
  QSpinBox *m_decimals, *m_maxNumber, *m_maxName, *m_interval;
  QCheckBox *m_number, *m_name;
  QLabel* m_example;
};

}  // namespace tavrik
