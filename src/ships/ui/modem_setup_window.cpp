#include "ships/ui/modem_setup_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "nmea/ui/comm_setup_window.h"

namespace tavrik {
namespace {

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items, const QString& current) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->addItems(items);
  if (c->findText(current) < 0) c->addItem(current);
  c->setCurrentText(current);
  return c;
}

}  // namespace

ModemSetupWindow::ModemSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsgsm"));
  setWindowTitle(QStringLiteral("Modem"));
  const PortSettings& p = app.settings.ShipsPort;
  m_baud = combo(this, "baud", {"110", "300", "600", "1200", "2400", "4800", "9600"}, p.Baudrate.trimmed());
  m_parity = combo(this, "parity", {"N", "O", "E"}, p.Parity.trimmed().toUpper());
  m_bits = combo(this, "bits", {"7", "8"}, p.Bits.trimmed());
  m_stop = combo(this, "stopbits", {"1", "2"}, p.Paritybits.trimmed());
  // Ports 1 to 4 are the first four the system lists; a device can be named as well.
  m_port = new QComboBox(this);
  m_port->setObjectName(QStringLiteral("port"));
  m_port->setEditable(true);
  m_port->addItems({"1", "2", "3", "4"});
  for (const SerialPortEntry& e : systemSerialPorts()) m_port->addItem(e.device);
  m_port->setCurrentText(p.Port.trimmed());
  m_handshake = combo(this, "handshaking", {"None", "XON/XOFF", "RTS/CTS"}, QStringLiteral("None"));
  m_handshake->setCurrentIndex(std::clamp(p.Handshake, 0, 2));
  m_receive = new QCheckBox(QStringLiteral("Receive calls"), this);
  m_receive->setObjectName(QStringLiteral("receive"));
  m_receive->setChecked(receiveCallsOn(app.settings));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Baudrate"), m_baud);
  form->addRow(QStringLiteral("Parity"), m_parity);
  form->addRow(QStringLiteral("Bits"), m_bits);
  form->addRow(QStringLiteral("Stopbits"), m_stop);
  form->addRow(QStringLiteral("Port"), m_port);
  form->addRow(QStringLiteral("Handshaking"), m_handshake);
  form->addRow(m_receive);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);
}

void ModemSetupWindow::accept() {
  PortSettings& p = m_app.settings.ShipsPort;
  p.Baudrate = m_baud->currentText().trimmed();
  p.Parity = m_parity->currentText().trimmed();
  p.Bits = m_bits->currentText().trimmed();
  p.Paritybits = m_stop->currentText().trimmed();
  p.Port = m_port->currentText().trimmed();
  p.Handshake = m_handshake->currentIndex();
  m_app.settings.ShipsCommunication = m_receive->isChecked() ? QStringLiteral("-1") : QStringLiteral("0");
  m_app.saveSettings();
  if (!m_app.ships.call.running()) m_app.ships.modem.close();
  close();
}

}  // namespace tavrik
