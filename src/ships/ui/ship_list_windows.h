#pragma once
// Keeping the ships: the list `gpsship` (add, edit, delete) and the editor `gpseship`
// (name and telephone).

#include <QWidget>

class QLineEdit;
class QTableWidget;

namespace tavrik {

class App;
class Database;

// The ships by name with their telephone numbers, in two columns.
void fillShipTable(QTableWidget& list, Database& db);

class ShipEditWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShipEditWindow(App& app, QWidget* parent = nullptr);
  // Empty name: a new ship.
  void edit(const QString& name, const QString& telephone);
  // OK: stores, or shows why not and stays open. True when stored.
  bool accept();

 private:
  App& m_app;
  QString m_oldName;
  QLineEdit *m_name = nullptr, *m_telephone = nullptr;
};

class ShipListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShipListWindow(App& app, QWidget* parent = nullptr);
  void reload();
  void addShip();
  void editSelected();
  void deleteSelected();
  QTableWidget* list() const { return m_list; }

 private:
  ShipEditWindow* openEditor();
  App& m_app;
  QTableWidget* m_list = nullptr;
};

}  // namespace tavrik
