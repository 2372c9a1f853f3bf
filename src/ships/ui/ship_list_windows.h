#pragma once
// Keeping lists of named rows: the ships (`gpsship`, editor `gpseship`: name and
// telephone) and the telephone entries of the dial-up link (`gpstel`, editor
// `gpsetel`: name, telephone, init and dial string), and the choosers that pick one
// row: "Call ships" (`gpscship`) and "Start telephone" (`gpsseltel`).

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "store/store_result.h"

class QLineEdit;
class QTableWidget;

namespace tavrik {

class App;
class Database;

// What a list of named rows shows and how its rows are kept. The first column is the
// name, unique in its table.
struct NamedRowKind {
  QString listName, editorName;
  QString listTitle, newTitle, editTitle;
  QStringList columns;
  std::function<std::vector<QStringList>(Database&)> rows;
  // A new row when oldName is empty, else the row called oldName changed.
  std::function<StoreResult(App&, const QString& oldName, const QStringList& values)> store;
  std::function<StoreResult(Database&, const QString& name)> remove;
  // After a row was stored or deleted.
  std::function<void(App&)> changed;
};
const NamedRowKind& shipRows();
const NamedRowKind& telephoneRows();

class NamedRowEditWindow : public QWidget {
  Q_OBJECT
 public:
  NamedRowEditWindow(App& app, const NamedRowKind& kind, QWidget* parent = nullptr);
  // Empty values: a new row.
  void edit(const QStringList& values);
  // OK: stores, or shows why not and stays open. True when stored.
  bool accept();

 private:
  App& m_app;
  const NamedRowKind& m_kind;
  QString m_oldName;
  std::vector<QLineEdit*> m_fields;
};

// Add, Edit, Delete and Close over the rows.
class NamedRowListWindow : public QWidget {
  Q_OBJECT
 public:
  NamedRowListWindow(App& app, const NamedRowKind& kind, QWidget* parent = nullptr);
  void reload();
  void addRow();
  void editSelected();
  void deleteSelected();
  QTableWidget* list() const { return m_list; }

 private:
  NamedRowEditWindow* openEditor();
  App& m_app;
  const NamedRowKind& m_kind;
  QTableWidget* m_list = nullptr;
  QPointer<NamedRowEditWindow> m_watchedEditor;
};

// Picks one row; `chosen` gets its values after the window closed.
class NamedRowChooserWindow : public QWidget {
  Q_OBJECT
 public:
  using Chosen = std::function<void(App&, const QStringList& values)>;
  NamedRowChooserWindow(App& app, const NamedRowKind& kind, const QString& objectName, const QString& title,
                        const QString& okText, Chosen chosen, QWidget* parent = nullptr);
  void reload();
  // OK ("No record selected" when no row is).
  void chooseSelected();
  QTableWidget* list() const { return m_list; }

 private:
  App& m_app;
  const NamedRowKind& m_kind;
  Chosen m_chosen;
  QTableWidget* m_list = nullptr;
};

}  // namespace tavrik
