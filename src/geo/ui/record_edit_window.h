#pragma once
// What the list windows need from an edit window: start it on a new row or on the row
// with a description, and hear when it has saved. Also the parts the edit windows
// share: the OK/Cancel layout and storing a row found by its description.

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

class QFormLayout;
class QLabel;

namespace tavrik {

class App;
class Database;
class Recordset;
struct StoreResult;

// The key for a new row of a table whose key the database does not count itself:
// one above the highest. Invalid when the key is a counter.
QVariant nextKey(Database& db, const QString& table, const QString& keyField);

class RecordEditWindow : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // Empty description: a new row. False when the row cannot be edited (the reason
  // has been shown).
  virtual bool start(const QString& description) = 0;
  // The OK button: checks, stores the row, closes. False when nothing was stored.
  virtual bool save() = 0;

 signals:
  void saved(const QString& description);

 protected:
  // The form, a note under it, and OK (save) and Cancel at the foot.
  void layOut(QFormLayout* form, QLabel* note);
  // Stores the row of `table` that start() was given (a new one with the next key
  // when that was empty) under `description`, which must not be empty; `setFields`
  // writes the other fields. Descriptions stay unique because rows are found by
  // them. Shows what went wrong; on success emits saved() and closes the window.
  bool storeRow(App& app, const QString& table, const QString& keyField, const QString& description,
                const std::function<StoreResult(Recordset&)>& setFields);

  QString m_original;  // description of the row being edited; empty for a new row
};

// Shows a failed store step: its message from the table when it has one, else the error.
void reportStoreFailure(App& app, const StoreResult& r);

}  // namespace tavrik
