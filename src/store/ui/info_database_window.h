#pragma once
// "Create info database": name, version, copyright and area of a new info database.

#include <QWidget>

class QLineEdit;

namespace tavrik {

class App;

class InfoDatabaseWindow : public QWidget {
  Q_OBJECT
 public:
  explicit InfoDatabaseWindow(App& app, QWidget* parent = nullptr);
  // OK: creates the database in the program folder and opens it as the info
  // database; the window closes. Input problems leave it open.
  bool accept();

 private:
  App& m_app;
  QLineEdit* m_name;
  QLineEdit* m_version;
  QLineEdit* m_copyright;
  QLineEdit* m_area;
};

}  // namespace tavrik
