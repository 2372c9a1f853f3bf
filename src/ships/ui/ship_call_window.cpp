#include "ships/ui/ship_call_window.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"

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

}  // namespace tavrik
