#pragma once
// What the list windows need from an edit window: start it on a new row or on the row
// with a description, and hear when it has saved.

#include <QString>
#include <QVariant>
#include <QWidget>

namespace tavrik {

class Database;

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

 signals:
  void saved(const QString& description);
};

}  // namespace tavrik
