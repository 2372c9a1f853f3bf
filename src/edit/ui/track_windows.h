#pragma once
// `gpstrack` (save, load or delete a track) and `gpstrrt` (track to route).

#include <QWidget>

#include "edit/track_thinning.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tavrik {

class App;

class TrackWindow : public QWidget {
  Q_OBJECT
 public:
  enum class Mode { Save, Load, Delete };
  explicit TrackWindow(App& app, QWidget* parent = nullptr);
  void setMode(Mode mode);
  Mode mode() const { return m_mode; }
  // OK: runs the mode's operation; true when it was done (the window then closes).
  bool accept();
  QListWidget* list() const { return m_list; }
  QLineEdit* nameField() const { return m_name; }

 private:
  void fillList();
  bool save();
  bool load();
  bool remove();

  App& m_app;
  Mode m_mode = Mode::Save;
  QLabel* m_prompt = nullptr;
  QListWidget* m_list = nullptr;
  QLineEdit* m_name = nullptr;
  QPushButton* m_ok = nullptr;
};

class TrackToRouteWindow : public QWidget {
  Q_OBJECT
 public:
  explicit TrackToRouteWindow(App& app, QWidget* parent = nullptr);
  // Command1: true when the route was made.
  bool createRoute();
  QListWidget* list() const { return m_list; }
  QLineEdit* routeName() const { return m_name; }
  QLineEdit* maximum() const { return m_maximum; }
  QCheckBox* numberOfPoints() const { return m_waypoints; }

 private:
  void updateUnit();
  App& m_app;
  QListWidget* m_list = nullptr;
  QLineEdit* m_name = nullptr;
  QLineEdit* m_maximum = nullptr;
  QCheckBox* m_waypoints = nullptr;
  QLabel* m_unit = nullptr;
};

}  // namespace tavrik
