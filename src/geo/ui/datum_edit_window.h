#pragma once
// The datum edit window `gpsedatum`: description, ellipsoid and the shift x, y, z in
// metres from the datum to WGS-84.

#include "geo/ui/record_edit_window.h"

class QComboBox;
class QLineEdit;

namespace tavrik {

class App;

class DatumEditWindow : public RecordEditWindow {
  Q_OBJECT
 public:
  explicit DatumEditWindow(App& app, QWidget* parent = nullptr);
  bool start(const QString& description) override;
  // The OK button: checks, stores the row, closes. False when nothing was stored.
  bool save();

 private:
  void loadEllipsoids();

  App& m_app;
  QString m_original;  // description of the row being edited; empty for a new row
  QLineEdit* m_desc = nullptr;
  QComboBox* m_ellipse = nullptr;
  QLineEdit* m_x = nullptr;
  QLineEdit* m_y = nullptr;
  QLineEdit* m_z = nullptr;
};

// True when there is at least one ellipsoid to choose; otherwise "No ellipsoids
// entered" has been shown.
bool ellipsoidsEntered(App& app);

}  // namespace tavrik
