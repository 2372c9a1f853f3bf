#pragma once
// `gpscroute` ("Save route in database") and `gpszone` ("Save zone in database"): the
// drawn point list stored as a route or a zone under a name.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tavrik {

class App;

class DrawnSaveWindow : public QDialog {
  Q_OBJECT
 public:
  enum class Kind { Route, Zone };
  DrawnSaveWindow(App& app, Kind kind, QWidget* parent = nullptr);
  QLineEdit* nameField() const { return m_name; }
  // OK: true when stored (the dialog is then accepted).
  bool store();

 private:
  App& m_app;
  Kind m_kind;
  QLineEdit* m_name;
  QPushButton* m_ok;
  QPushButton* m_cancel;
};

}  // namespace tavrik
