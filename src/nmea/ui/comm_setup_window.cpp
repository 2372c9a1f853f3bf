#include "nmea/ui/comm_setup_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"

namespace tavrik {

namespace {
constexpr int kMaxPortSets = 4;

QList<SerialPortEntry> entriesOf(const QStringList& devices) {
  QList<SerialPortEntry> out;
  for (const QString& d : devices)
    out.push_back({d, QString(), d.contains(QLatin1String("ttyUSB")) || d.contains(QLatin1String("ttyACM"))});
  return out;
}

// The device an item of a Port box stands for; typed text as it is.
QString portOf(const QComboBox* box) {
  const int i = box->currentIndex();
  if (i >= 0 && box->currentText() == box->itemText(i) && box->itemData(i).isValid())
    return box->itemData(i).toString();
  return box->currentText().trimmed();
}

QComboBox* combo(QWidget* parent, const QString& name, const QStringList& items, const QString& current,
                 bool editable = false) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->addItems(items);
  c->setEditable(editable);
  if (c->findText(current) < 0) c->addItem(current);
  c->setCurrentText(current);
  return c;
}
}  // namespace

QList<SerialPortEntry> systemSerialPorts() {
  QList<SerialPortEntry> out;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    QString what = info.description().trimmed();
    const QString maker = info.manufacturer().trimmed();
    if (!maker.isEmpty() && !what.contains(maker)) what = what.isEmpty() ? maker : what + QStringLiteral(", ") + maker;
    out.push_back({info.systemLocation(), what, info.hasVendorIdentifier()});
  }
  return out;
}

QString resolvePortDevice(const QString& port, const QStringList& availablePorts) {
  const QString p = port.trimmed();
  bool isNumber = false;
  const int n = p.toInt(&isNumber);
  if (isNumber && n >= 1 && n <= availablePorts.size()) return availablePorts[n - 1];
  return p;
}

int firstDuplicatePort(const std::vector<QString>& ports, const QStringList& availablePorts) {
  for (size_t i = 0; i < ports.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (resolvePortDevice(ports[i], availablePorts) == resolvePortDevice(ports[j], availablePorts))
        return static_cast<int>(i);
  return -1;
}

CommSetupWindow::CommSetupWindow(App& app, QWidget* parent) : CommSetupWindow(app, systemSerialPorts(), parent) {}

CommSetupWindow::CommSetupWindow(App& app, QStringList availablePorts, QWidget* parent)
    : CommSetupWindow(app, entriesOf(availablePorts), parent) {}

CommSetupWindow::CommSetupWindow(App& app, QList<SerialPortEntry> ports, QWidget* parent)
    : QWidget(parent), m_app(app), m_ports(std::move(ports)) {
  for (const SerialPortEntry& e : m_ports) m_available << e.device;
  setObjectName(QStringLiteral("gpscomm"));
  setWindowTitle(QStringLiteral("Communication"));
  build();
}

void CommSetupWindow::build() {
  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("TabStrip1"));
  const AppSettings& s = m_app.settings;
  const int count = std::clamp(s.Ports.toInt(), 1, kMaxPortSets);
  const int output = s.NMEAOutput.toInt(), autopilot = s.Autopilot.toInt();
  for (int i = 0; i < count; ++i) addTab(s.Comm[i], output == i + 1, autopilot == i + 1);

  m_add = new QPushButton(QStringLiteral("&Add"), this);
  m_add->setObjectName(QStringLiteral("Command3"));
  m_delete = new QPushButton(QStringLiteral("&Delete"), this);
  m_delete->setObjectName(QStringLiteral("Command4"));
  connect(m_add, &QPushButton::clicked, this, [this] { addPortSet(); });
  connect(m_delete, &QPushButton::clicked, this, [this] { deletePortSet(); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  buttons->addButton(m_add, QDialogButtonBox::ActionRole);
  buttons->addButton(m_delete, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_tabs);
  top->addWidget(buttons);
  renumber();
}

void CommSetupWindow::addTab(const PortSettings& p, bool output, bool autopilot) {
  PortTab t;
  t.page = new QWidget;
  auto* form = new QFormLayout(t.page);
  const int i = static_cast<int>(m_sets.size());
  const auto name = [i](const char* what) { return QStringLiteral("%1%2").arg(QLatin1String(what)).arg(i); };
  t.baud = combo(t.page, name("baud"),
                 {"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400"}, p.Baudrate.trimmed());
  t.parity = combo(t.page, name("parity"), {"N", "O", "E"}, p.Parity.trimmed());
  t.bits = combo(t.page, name("bits"), {"7", "8"}, p.Bits.trimmed());
  t.stop = combo(t.page, name("stopbits"), {"1", "2"}, p.Paritybits.trimmed());
  // The ports the system lists with what they are, and free text for anything else (a
  // pseudo-terminal). A number names the n-th listed port; "1" the first USB one.
  t.port = new QComboBox(t.page);
  t.port->setObjectName(name("port"));
  t.port->setEditable(true);
  t.port->setToolTip(QStringLiteral("A serial device, or a network source: tcp://HOST:PORT, udp://:PORT, "
                                    "gpsd://HOST[:PORT]; tcp-listen://:PORT serves the output to other programs"));
  for (const SerialPortEntry& e : m_ports)
    t.port->addItem(e.description.isEmpty() ? e.device : e.device + QStringLiteral("  ") + e.description, e.device);
  QString device = resolvePortDevice(p.Port, m_available);
  if (p.Port.trimmed() == QLatin1String("1"))
    for (const SerialPortEntry& e : m_ports)
      if (e.usb) {
        device = e.device;
        break;
      }
  const int at = t.port->findData(device);
  if (at >= 0) t.port->setCurrentIndex(at);
  else t.port->setCurrentText(p.Port.trimmed());
  t.handshake = combo(t.page, name("handshaking"), {"None", "XON/XOFF", "RTS/CTS"}, QStringLiteral("None"));
  t.handshake->setCurrentIndex(std::clamp(p.Handshake, 0, 2));
  t.output = new QCheckBox(QStringLiteral("NMEA output"), t.page);
  t.output->setObjectName(name("output"));
  t.output->setChecked(output);
  t.autopilot = new QCheckBox(QStringLiteral("Autopilot"), t.page);
  t.autopilot->setObjectName(name("autopilot"));
  t.autopilot->setChecked(autopilot);
  form->addRow(QStringLiteral("Baudrate"), t.baud);
  form->addRow(QStringLiteral("Parity"), t.parity);
  form->addRow(QStringLiteral("Bits"), t.bits);
  form->addRow(QStringLiteral("Stopbits"), t.stop);
  form->addRow(QStringLiteral("Port"), t.port);
  form->addRow(QStringLiteral("Handshaking"), t.handshake);
  form->addRow(t.output);
  form->addRow(t.autopilot);
  // One port set repeats the sentences and one drives the autopilot: ticking a box
  // unticks it on the other sets.
  QCheckBox* out = t.output;
  QCheckBox* ap = t.autopilot;
  connect(out, &QCheckBox::toggled, this, [this, out](bool on) {
    if (!on) return;
    for (PortTab& o : m_sets)
      if (o.output != out) o.output->setChecked(false);
  });
  connect(ap, &QCheckBox::toggled, this, [this, ap](bool on) {
    if (!on) return;
    for (PortTab& o : m_sets)
      if (o.autopilot != ap) o.autopilot->setChecked(false);
  });
  m_sets.push_back(t);
  m_tabs->addTab(t.page, QString());
}

void CommSetupWindow::renumber() {
  for (int i = 0; i < m_tabs->count(); ++i) m_tabs->setTabText(i, QStringLiteral("Port set %1").arg(i + 1));
  if (m_add) m_add->setEnabled(portSetCount() < kMaxPortSets);
  if (m_delete) m_delete->setEnabled(portSetCount() > 1);
}

int CommSetupWindow::portSetCount() const { return static_cast<int>(m_sets.size()); }

void CommSetupWindow::addPortSet() {
  if (portSetCount() >= kMaxPortSets) return;
  PortSettings p;
  // Offer the next port so that a new set does not start on one already used.
  std::vector<QString> used;
  for (const PortTab& t : m_sets) used.push_back(portOf(t.port));
  for (int n = 1; n <= 64; ++n) {
    used.push_back(QString::number(n));
    if (firstDuplicatePort(used, m_available) < 0) {
      p.Port = QString::number(n);
      break;
    }
    used.pop_back();
  }
  addTab(p, false, false);
  m_tabs->setCurrentIndex(portSetCount() - 1);
  renumber();
}

void CommSetupWindow::deletePortSet() {
  if (portSetCount() <= 1) return;
  const int i = m_tabs->currentIndex();
  if (i < 0) return;
  QWidget* page = m_sets[static_cast<size_t>(i)].page;
  m_sets.erase(m_sets.begin() + i);
  m_tabs->removeTab(i);
  page->deleteLater();
  renumber();
}

bool CommSetupWindow::accept() {
  std::vector<QString> ports;
  for (const PortTab& t : m_sets) ports.push_back(portOf(t.port));
  const int dup = firstDuplicatePort(ports, m_available);
  if (dup >= 0) {
    m_tabs->setCurrentIndex(dup);
    m_app.prompter.information(MessageText(Msg::SamePortUsedTwice));
    m_sets[static_cast<size_t>(dup)].port->setFocus();
    return false;
  }
  AppSettings& s = m_app.settings;
  int output = 0, autopilot = 0;
  for (size_t i = 0; i < m_sets.size(); ++i) {
    const PortTab& t = m_sets[i];
    PortSettings& p = s.Comm[i];
    p.Baudrate = t.baud->currentText().trimmed();
    p.Parity = t.parity->currentText().trimmed();
    p.Bits = t.bits->currentText().trimmed();
    p.Paritybits = t.stop->currentText().trimmed();
    p.Port = portOf(t.port);
    p.Handshake = t.handshake->currentIndex();
    if (t.output->isChecked()) output = static_cast<int>(i) + 1;
    if (t.autopilot->isChecked()) autopilot = static_cast<int>(i) + 1;
  }
  s.Ports = QString::number(m_sets.size());
  s.NMEAOutput = QString::number(output);
  s.Autopilot = QString::number(autopilot);
  if (onStored) onStored();
  close();
  return true;
}

}  // namespace tavrik
