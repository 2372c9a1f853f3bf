#include "ships/ui/ship_list_windows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "store/database.h"
#include "core/messages.h"
#include "ships/ship_store.h"

namespace tavrik {

ShipEditWindow::ShipEditWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpseship"));
  setWindowTitle(QStringLiteral("Ship"));
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("Text1"));
  m_telephone = new QLineEdit(this);
  m_telephone->setObjectName(QStringLiteral("Text2"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name"), m_name);
  form->addRow(QStringLiteral("Telephone"), m_telephone);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);
}

void ShipEditWindow::edit(const QString& name, const QString& telephone) {
  m_oldName = name;
  m_name->setText(name);
  m_telephone->setText(telephone);
  setWindowTitle(name.isEmpty() ? QStringLiteral("New ship") : QStringLiteral("Ship"));
}

bool ShipEditWindow::accept() {
  const StoreResult r = m_oldName.isEmpty()
                            ? addShip(m_app.db, m_name->text(), m_telephone->text(), m_app.clock.now())
                            : changeShip(m_app.db, m_oldName, m_name->text(), m_telephone->text());
  if (!r) {
    if (r.message) m_app.prompter.information(MessageText(r.message));
    else ShowError(m_app.prompter, r.error, r.detail);
    return false;
  }
  m_app.requests.shipsChanged = true;
  close();
  return true;
}

ShipListWindow::ShipListWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsship"));
  setWindowTitle(QStringLiteral("Ships"));
  m_list = new QTableWidget(0, 2, this);
  m_list->setObjectName(QStringLiteral("shiplist"));
  m_list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Telephone")});
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->verticalHeader()->hide();
  m_list->horizontalHeader()->setStretchLastSection(true);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { editSelected(); });
  auto* buttons = new QDialogButtonBox(this);
  const auto button = [&](const QString& text, const char* name, void (ShipListWindow::*slot)()) {
    QPushButton* b = buttons->addButton(text, QDialogButtonBox::ActionRole);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
  };
  button(QStringLiteral("&Add"), "Command1", &ShipListWindow::addShip);
  button(QStringLiteral("&Edit"), "Command2", &ShipListWindow::editSelected);
  button(QStringLiteral("&Delete"), "Command3", &ShipListWindow::deleteSelected);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("Command4"));
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_list);
  top->addWidget(buttons);
  resize(380, 300);
  reload();
}

void fillShipTable(QTableWidget& list, Database& db) {
  list.setRowCount(0);
  if (!db.isOpen()) return;
  for (const QVariantList& row : db.rows(QStringLiteral("SELECT Name, telephone FROM Ships OrdER BY Name"))) {
    const int r = list.rowCount();
    list.insertRow(r);
    list.setItem(r, 0, new QTableWidgetItem(row[0].toString()));
    list.setItem(r, 1, new QTableWidgetItem(row[1].toString()));
  }
}

void ShipListWindow::reload() { fillShipTable(*m_list, m_app.db); }

ShipEditWindow* ShipListWindow::openEditor() {
  auto* editor = qobject_cast<ShipEditWindow*>(m_app.windows.open ? m_app.windows.open(QStringLiteral("gpseship")) : nullptr);
  // The list follows what the editor stored.
  if (editor) connect(editor, &QObject::destroyed, this, [this] { reload(); }, Qt::UniqueConnection);
  return editor;
}

void ShipListWindow::addShip() {
  if (ShipEditWindow* e = openEditor()) e->edit(QString(), QString());
}

void ShipListWindow::editSelected() {
  const int r = m_list->currentRow();
  if (r < 0 || !m_list->item(r, 0)) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  if (ShipEditWindow* e = openEditor()) e->edit(m_list->item(r, 0)->text(), m_list->item(r, 1)->text());
}

void ShipListWindow::deleteSelected() {
  const int r = m_list->currentRow();
  if (r < 0 || !m_list->item(r, 0)) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  if (!m_app.prompter.question(MessageText(Msg::SureDelete))) return;
  const StoreResult res = deleteShip(m_app.db, m_list->item(r, 0)->text());
  if (!res) ShowError(m_app.prompter, res.error, res.detail);
  m_app.requests.shipsChanged = true;
  reload();
}

}  // namespace tavrik
