#include "ships/ui/ship_list_windows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "ships/ship_store.h"
#include "store/database.h"

namespace tavrik {
namespace {

QTableWidget* makeRowList(QWidget* parent, const NamedRowKind& kind) {
  auto* list = new QTableWidget(0, static_cast<int>(kind.columns.size()), parent);
  list->setObjectName(QStringLiteral("rowlist"));
  list->setHorizontalHeaderLabels(kind.columns);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->verticalHeader()->hide();
  list->horizontalHeader()->setStretchLastSection(true);
  list->horizontalHeader()->setMinimumSectionSize(100);
  return list;
}

void fillRows(QTableWidget& list, App& app, const NamedRowKind& kind) {
  list.setRowCount(0);
  if (!app.db.isOpen()) return;
  for (const QStringList& row : kind.rows(app.db)) {
    const int r = list.rowCount();
    list.insertRow(r);
    for (int c = 0; c < row.size() && c < list.columnCount(); ++c) list.setItem(r, c, new QTableWidgetItem(row[c]));
  }
  list.resizeColumnsToContents();
  list.horizontalHeader()->setStretchLastSection(true);
}

// The texts of the selected row, or nothing after "No record selected".
std::optional<QStringList> selectedValues(QTableWidget& list, Prompter& prompter) {
  const int r = list.currentRow();
  if (r < 0 || !list.item(r, 0)) {
    prompter.information(MessageText(Msg::NoRecordSelected));
    return std::nullopt;
  }
  QStringList values;
  for (int c = 0; c < list.columnCount(); ++c) values << (list.item(r, c) ? list.item(r, c)->text() : QString());
  return values;
}

QPushButton* addButton(QDialogButtonBox* box, const QString& text, const char* name, QDialogButtonBox::ButtonRole role) {
  QPushButton* b = box->addButton(text, role);
  b->setObjectName(QLatin1String(name));
  return b;
}

TelephoneEntry telephoneEntry(const QStringList& v) {
  return {v.value(0), v.value(1), v.value(2), v.value(3)};
}

}  // namespace

const NamedRowKind& shipRows() {
  static const NamedRowKind kind{
      QStringLiteral("gpsship"), QStringLiteral("gpseship"), QStringLiteral("Ships"), QStringLiteral("New ship"),
      QStringLiteral("Ship"), {QStringLiteral("Name"), QStringLiteral("Telephone")},
      [](Database& db) {
        std::vector<QStringList> rows;
        for (const QVariantList& row : db.rows(QStringLiteral("SELECT Name, telephone FROM Ships OrdER BY Name")))
          rows.push_back({row[0].toString(), row[1].toString()});
        return rows;
      },
      [](App& app, const QString& oldName, const QStringList& v) {
        return oldName.isEmpty() ? addShip(app.db, v.value(0), v.value(1), app.clock.now())
                                 : changeShip(app.db, oldName, v.value(0), v.value(1));
      },
      deleteShip,
      [](App& app) { app.requests.shipsChanged = true; },
  };
  return kind;
}

const NamedRowKind& telephoneRows() {
  static const NamedRowKind kind{
      QStringLiteral("gpstel"), QStringLiteral("gpsetel"), QStringLiteral("Telephones"), QStringLiteral("New telephone"),
      QStringLiteral("Telephone"),
      {QStringLiteral("Name"), QStringLiteral("Telephone"), QStringLiteral("Init string"), QStringLiteral("Dial string")},
      [](Database& db) {
        std::vector<QStringList> rows;
        for (const TelephoneEntry& e : telephoneEntries(db)) rows.push_back({e.name, e.telephone, e.initString, e.dialString});
        return rows;
      },
      [](App& app, const QString& oldName, const QStringList& v) {
        return oldName.isEmpty() ? addTelephone(app.db, telephoneEntry(v), app.clock.now())
                                 : changeTelephone(app.db, oldName, telephoneEntry(v));
      },
      deleteTelephone,
      [](App&) {},
  };
  return kind;
}

NamedRowEditWindow::NamedRowEditWindow(App& app, const NamedRowKind& kind, QWidget* parent)
    : QWidget(parent), m_app(app), m_kind(kind) {
  setObjectName(kind.editorName);
  setWindowTitle(kind.editTitle);
  auto* form = new QFormLayout;
  for (const QString& heading : kind.columns) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("Text%1").arg(m_fields.size() + 1));
    field->setMinimumWidth(200);
    form->addRow(heading, field);
    m_fields.push_back(field);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);
}

void NamedRowEditWindow::edit(const QStringList& values) {
  m_oldName = values.value(0);
  for (size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->setText(values.value(static_cast<qsizetype>(i)));
  setWindowTitle(m_oldName.isEmpty() ? m_kind.newTitle : m_kind.editTitle);
}

bool NamedRowEditWindow::accept() {
  QStringList values;
  for (const QLineEdit* f : m_fields) values << f->text();
  const StoreResult r = m_kind.store(m_app, m_oldName, values);
  if (!r) {
    if (r.message) m_app.prompter.information(MessageText(r.message));
    else ShowError(m_app.prompter, r.error, r.detail);
    return false;
  }
  m_kind.changed(m_app);
  close();
  return true;
}

NamedRowListWindow::NamedRowListWindow(App& app, const NamedRowKind& kind, QWidget* parent)
    : QWidget(parent), m_app(app), m_kind(kind) {
  setObjectName(kind.listName);
  setWindowTitle(kind.listTitle);
  m_list = makeRowList(this, kind);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { editSelected(); });
  auto* buttons = new QDialogButtonBox(this);
  const auto button = [&](const QString& text, const char* name, void (NamedRowListWindow::*slot)()) {
    QPushButton* b = addButton(buttons, text, name, QDialogButtonBox::ActionRole);
    connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
  };
  button(QStringLiteral("&Add"), "Command1", &NamedRowListWindow::addRow);
  button(QStringLiteral("&Edit"), "Command2", &NamedRowListWindow::editSelected);
  button(QStringLiteral("&Delete"), "Command3", &NamedRowListWindow::deleteSelected);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("Command4"));
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_list);
  top->addWidget(buttons);
  resize(120 + 130 * static_cast<int>(kind.columns.size()), 300);
  reload();
}

void NamedRowListWindow::reload() { fillRows(*m_list, m_app, m_kind); }

NamedRowEditWindow* NamedRowListWindow::openEditor() {
  auto* editor = qobject_cast<NamedRowEditWindow*>(m_app.windows.open ? m_app.windows.open(m_kind.editorName) : nullptr);
  // The list follows what the editor stored. (Qt refuses a unique connection to a
  // lambda outright, so an editor already watched is remembered instead.)
  if (editor && editor != m_watchedEditor) {
    m_watchedEditor = editor;
    connect(editor, &QObject::destroyed, this, [this] { reload(); });
  }
  return editor;
}

void NamedRowListWindow::addRow() {
  if (NamedRowEditWindow* e = openEditor()) e->edit({});
}

void NamedRowListWindow::editSelected() {
  const std::optional<QStringList> values = selectedValues(*m_list, m_app.prompter);
  if (!values) return;
  if (NamedRowEditWindow* e = openEditor()) e->edit(*values);
}

void NamedRowListWindow::deleteSelected() {
  const std::optional<QStringList> values = selectedValues(*m_list, m_app.prompter);
  if (!values || !m_app.prompter.question(MessageText(Msg::SureDelete))) return;
  const StoreResult res = m_kind.remove(m_app.db, values->value(0));
  if (!res) ShowError(m_app.prompter, res.error, res.detail);
  m_kind.changed(m_app);
  reload();
}

NamedRowChooserWindow::NamedRowChooserWindow(App& app, const NamedRowKind& kind, const QString& objectName,
                                             const QString& title, const QString& okText, Chosen chosen,
                                             QWidget* parent)
    : QWidget(parent), m_app(app), m_kind(kind), m_chosen(std::move(chosen)) {
  setObjectName(objectName);
  setWindowTitle(title);
  m_list = makeRowList(this, kind);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { chooseSelected(); });
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = addButton(buttons, okText, "Command1", QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("Command2"));
  connect(ok, &QPushButton::clicked, this, [this] { chooseSelected(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_list);
  top->addWidget(buttons);
  resize(100 + 130 * static_cast<int>(kind.columns.size()), 300);
  reload();
}

void NamedRowChooserWindow::reload() {
  fillRows(*m_list, m_app, m_kind);
  if (m_list->rowCount() > 0) m_list->selectRow(0);
}

void NamedRowChooserWindow::chooseSelected() {
  const std::optional<QStringList> values = selectedValues(*m_list, m_app.prompter);
  if (!values) return;
  close();
  if (m_chosen) m_chosen(m_app, *values);
}

}  // namespace tavrik
