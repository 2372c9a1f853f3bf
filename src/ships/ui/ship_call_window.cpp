#include "ships/ui/ship_call_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "ships/ui/ship_list_windows.h"

namespace tavrik {

ShipCallWindow::ShipCallWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpscall"));
  setWindowTitle(QStringLiteral("Call ship"));
  m_name = new QLabel(this);
  m_name->setObjectName(QStringLiteral("sname"));
  m_telephone = new QLabel(this);
  m_telephone->setObjectName(QStringLiteral("telephone"));
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("status"));
  m_status->setMinimumWidth(320);
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setObjectName(QStringLiteral("Command1"));
  connect(m_cancel, &QPushButton::clicked, this, [this] { cancelOrClose(); });
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Ship"), m_name);
  form->addRow(QStringLiteral("Telephone"), m_telephone);
  form->addRow(QStringLiteral("Status"), m_status);
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(m_cancel, 0, Qt::AlignRight);
  ShipCall& c = m_app.ships.call;
  c.onStatusChanged = [this] { showProgress(); };
  m_app.ships.onCallFinished = [this] { callEnded(); };
  showProgress();
}

ShipCallWindow::~ShipCallWindow() {
  // The call belongs to the App and runs on without the window; it only stops reporting here.
  m_app.ships.call.onStatusChanged = nullptr;
  m_app.ships.onCallFinished = nullptr;
}

void ShipCallWindow::call(const QString& shipName, const QString& telephone) {
  m_name->setText(shipName);
  m_telephone->setText(telephone);
  if (!m_app.ships.startCall(shipName, telephone)) return;  // one call at a time
  if (m_app.ships.call.running()) m_cancel->setText(QStringLiteral("&Cancel"));
}

void ShipCallWindow::cancelOrClose() {
  if (m_app.ships.call.running()) m_app.ships.call.cancel();
  else close();
}

void ShipCallWindow::showProgress() {
  m_status->setText(m_app.ships.call.statusText());
  m_cancel->setText(m_app.ships.call.running() ? QStringLiteral("&Cancel") : QStringLiteral("&Close"));
}

void ShipCallWindow::callEnded() {
  showProgress();
  const ShipCall& c = m_app.ships.call;
  if (c.state() == ShipCall::State::Failed) {
    m_status->setText(MessageText(c.failureMessage()));
    m_app.prompter.information(MessageText(c.failureMessage()));
  } else if (c.state() == ShipCall::State::Done && !m_app.ships.lastStore) {
    ShowError(m_app.prompter, m_app.ships.lastStore.error, m_app.ships.lastStore.detail);
  }
}

ShipChooserWindow::ShipChooserWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpscship"));
  setWindowTitle(QStringLiteral("Call ships"));
  m_list = new QTableWidget(0, 2, this);
  m_list->setObjectName(QStringLiteral("shiplist"));
  m_list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Telephone")});
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->verticalHeader()->hide();
  m_list->horizontalHeader()->setStretchLastSection(true);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { callSelected(); });
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* callButton = buttons->addButton(QStringLiteral("C&all"), QDialogButtonBox::AcceptRole);
  callButton->setObjectName(QStringLiteral("Command1"));
  QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName(QStringLiteral("Command2"));
  connect(callButton, &QPushButton::clicked, this, [this] { callSelected(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_list);
  top->addWidget(buttons);
  resize(360, 300);
  reload();
}

void ShipChooserWindow::reload() {
  fillShipTable(*m_list, m_app.db);
  if (m_list->rowCount() > 0) m_list->selectRow(0);
}

void ShipChooserWindow::callSelected() {
  const int r = m_list->currentRow();
  if (r < 0 || !m_list->item(r, 0)) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  const QString name = m_list->item(r, 0)->text(), telephone = m_list->item(r, 1)->text();
  close();
  if (auto* w = qobject_cast<ShipCallWindow*>(m_app.windows.open ? m_app.windows.open(QStringLiteral("gpscall")) : nullptr))
    w->call(name, telephone);
}

}  // namespace tavrik
