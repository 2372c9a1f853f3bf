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
  bool save() override;

 private:
  void loadEllipsoids();

  App& m_app;
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
