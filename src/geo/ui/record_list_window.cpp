#include "geo/ui/record_list_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/record_edit_window.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace tavrik {

void closeWindow(QWidget* window) {
  if (!window) return;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) sub->close();
  else window->close();
}

QLayout* okCancelRow(QWidget* window, const char* okName, const char* cancelName, std::function<void()> accept) {
  auto* ok = new QPushButton(QWidget::tr("&OK"), window);
  ok->setObjectName(QLatin1String(okName));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QWidget::tr("&Cancel"), window);
  cancel->setObjectName(QLatin1String(cancelName));
  QObject::connect(ok, &QPushButton::clicked, window, std::move(accept));
  QObject::connect(cancel, &QPushButton::clicked, window, [window] { closeWindow(window); });
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

RecordListWindow::RecordListWindow(App& app, Config config, QWidget* parent)
    : QWidget(parent), m_app(app), m_config(std::move(config)) {
  setWindowTitle(m_config.title);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  m_list->setMinimumSize(280, 260);

  auto* buttons = new QVBoxLayout;
  auto addButton = [&](const char* name, const QString& text, void (RecordListWindow::*slot)()) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
    return b;
  };
  addButton("cmdNew", tr("&New"), &RecordListWindow::newRow);
  addButton("cmdEdit", tr("&Edit"), &RecordListWindow::editRow);
  addButton("cmdDelete", tr("&Delete"), &RecordListWindow::deleteRow);
  buttons->addStretch();
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  connect(close, &QPushButton::clicked, this, [this] { closeWindow(this); });
  buttons->addWidget(close);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addLayout(buttons);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { editRow(); });
  reload();
}

void RecordListWindow::reload(const QString& select) {
  const QString keep = select.isEmpty() ? selectedDescription() : select;
  m_list->clear();
  auto rs = m_app.db.openRecordset(m_config.query);
  for (; !rs->eof(); rs->moveNext()) {
    auto* item = new QListWidgetItem(rs->text(QStringLiteral("description")), m_list);
    item->setData(Qt::UserRole, rs->integer(m_config.keyField));
    if (!keep.isEmpty() && item->text() == keep) m_list->setCurrentItem(item);
  }
  rs->close();
}

QString RecordListWindow::selectedDescription() const {
  const QListWidgetItem* item = m_list->currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

void RecordListWindow::newRow() { openEditor(QString()); }

void RecordListWindow::editRow() {
  const QString description = selectedDescription();
  if (description.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  openEditor(description);
}

void RecordListWindow::openEditor(const QString& description) {
  if (m_config.canEdit && !m_config.canEdit(m_app)) return;
  if (!m_app.windows.open) return;
  auto* editor = qobject_cast<RecordEditWindow*>(m_app.windows.open(m_config.editWindow));
  if (!editor) return;
  // One connection however often the editor is reused.
  connect(editor, &RecordEditWindow::saved, this, &RecordListWindow::reload, Qt::UniqueConnection);
  if (!editor->start(description)) closeWindow(editor);
}

void RecordListWindow::deleteRow() {
  const QString description = selectedDescription();
  if (description.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  if (!m_app.prompter.question(MessageText(Msg::SureDelete))) return;
  Database& db = m_app.db;
  auto rs = db.openRecordset(m_config.table);
  StoreResult result = rs->lastResult();
  if (result && rs->findFirst(sqlEquals(QStringLiteral("description"), description))) {
    result = rs->remove();
  }
  rs->close();
  if (!result) {
    if (result.message) m_app.prompter.information(MessageText(result.message));
    else ShowError(m_app.prompter, result.error, result.detail);
  }
  reload();
}

}  // namespace tavrik
