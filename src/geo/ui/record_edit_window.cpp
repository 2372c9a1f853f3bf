#include "geo/ui/record_edit_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/record_list_window.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace tavrik {

QVariant nextKey(Database& db, const QString& table, const QString& keyField) {
  const std::optional<TableDef> def = db.tableDef(table);
  if (def) {
    if (const FieldDef* f = def->field(keyField); f && f->counter) return {};
  }
  const QVariant max = db.scalar(QStringLiteral("SELECT MAX(%1) FROM %2").arg(sqlName(keyField), sqlName(table)));
  return QVariant::fromValue<qint64>((max.isValid() && !max.isNull() ? max.toLongLong() : 0) + 1);
}

void reportStoreFailure(App& app, const StoreResult& r) {
  if (r.message) app.prompter.information(MessageText(r.message));
  else ShowError(app.prompter, r.error, r.detail);
}

void RecordEditWindow::layOut(QFormLayout* form, QLabel* note) {
  auto* ok = new QPushButton(tr("&OK"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(ok, &QPushButton::clicked, this, [this] { save(); });
  connect(cancel, &QPushButton::clicked, this, [this] { closeWindow(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addStretch();
  layout->addLayout(buttons);
}

bool RecordEditWindow::storeRow(App& app, const QString& table, const QString& keyField,
                                const QString& description,
                                const std::function<StoreResult(Recordset&)>& setFields) {
  Database& db = app.db;
  auto rs = db.openRecordset(table);
  if (!rs->lastResult()) {
    reportStoreFailure(app, rs->lastResult());
    return false;
  }
  if (description.compare(m_original, Qt::CaseInsensitive) != 0 &&
      rs->findFirst(sqlEquals(QStringLiteral("description"), description))) {
    app.prompter.information(MessageText(Msg::NameExists));
    return false;
  }
  StoreResult r;
  if (m_original.isEmpty()) {
    r = rs->addNew();
    const QVariant key = nextKey(db, table, keyField);
    if (r && key.isValid()) r = rs->setValue(keyField, key);
  } else if (!rs->findFirst(sqlEquals(QStringLiteral("description"), m_original))) {
    app.prompter.information(MessageText(Msg::NoRecordSelected));
    return false;
  } else {
    r = rs->edit();
  }
  if (r) r = rs->setValue(QStringLiteral("description"), description);
  if (r) r = setFields(*rs);
  if (r) r = rs->update();
  if (!r) {
    if (rs->editing()) rs->cancelUpdate();
    reportStoreFailure(app, r);
    return false;
  }
  rs->close();
  m_original = description;
  emit saved(description);
  closeWindow(this);
  return true;
}

}  // namespace tavrik
