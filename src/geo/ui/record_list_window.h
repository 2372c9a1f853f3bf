#pragma once
// A list of the rows of one small table by description (datums, ellipsoids), with
// New, Edit and Delete through the table's edit window and Close. The built-in
// Default row is not listed (the queries keep key 0 out).

#include <QLayout>
#include <QString>
#include <QWidget>
#include <functional>

class QListWidget;
class QPushButton;

namespace tavrik {

class App;
class Database;

class RecordListWindow : public QWidget {
  Q_OBJECT
 public:
  struct Config {
    QString title;
    QString query;       // the list's SQL text
    QString table;       // where rows are deleted
    QString keyField;    // item data of each entry
    QString editWindow;  // object name of the edit window
    // Run before the edit window opens; false stops (the reason has been shown).
    std::function<bool(App&)> canEdit;
  };
  RecordListWindow(App& app, Config config, QWidget* parent = nullptr);

  // Reads the list again; the entry with this description is selected when given.
  void reload(const QString& select = {});
  QListWidget* list() const { return m_list; }

 private:
  void newRow();
  void editRow();
  void deleteRow();
  QString selectedDescription() const;
  // Opens the edit window and hands it the row (empty: a new row).
  void openEditor(const QString& description);

  App& m_app;
  Config m_config;
  QListWidget* m_list = nullptr;
};

// Closes a window whether it sits in the main window's frame or stands alone.
void closeWindow(QWidget* window);

// The OK and Cancel buttons of a small window, right-aligned: OK (the default) runs
// accept, which closes the window when it has stored; Cancel closes it.
QLayout* okCancelRow(QWidget* window, const char* okName, const char* cancelName, std::function<void()> accept);

}  // namespace tavrik
