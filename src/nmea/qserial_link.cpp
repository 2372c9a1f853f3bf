#include "nmea/qserial_link.h"

#include <QSerialPortInfo>
#include <QStringList>
#include <sys/ioctl.h>

namespace tavrik {

bool parseSerialSettings(const QString& text, SerialSettings& out) {
  const QStringList items = text.split(',');
  if (items.size() != 4) return false;
  bool ok = false;
  const int baud = items[0].trimmed().toInt(&ok);
  if (!ok || baud <= 0) return false;
  out.baudRate = baud;
  const QString parity = items[1].trimmed().toUpper();
  if (parity == "N") out.parity = QSerialPort::NoParity;
  else if (parity == "O") out.parity = QSerialPort::OddParity;
  else if (parity == "E") out.parity = QSerialPort::EvenParity;
  else if (parity == "M") out.parity = QSerialPort::MarkParity;
  else if (parity == "S") out.parity = QSerialPort::SpaceParity;
  else return false;
  const QString bits = items[2].trimmed();
  if (bits == "5") out.dataBits = QSerialPort::Data5;
  else if (bits == "6") out.dataBits = QSerialPort::Data6;
  else if (bits == "7") out.dataBits = QSerialPort::Data7;
  else if (bits == "8") out.dataBits = QSerialPort::Data8;
  else return false;
  const QString stop = items[3].trimmed();
  if (stop == "1") out.stopBits = QSerialPort::OneStop;
  else if (stop == "1.5") out.stopBits = QSerialPort::OneAndHalfStop;
  else if (stop == "2") out.stopBits = QSerialPort::TwoStop;
  else return false;
  return true;
}

QString resolveSerialDevice(const QString& port) {
  const QString p = port.trimmed();
  bool isNumber = false;
  const int n = p.toInt(&isNumber);
  if (!isNumber) return p;
  const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
  if (n < 1 || n > ports.size()) return {};
  // "1", the value nobody has set, means the receiver most likely plugged in: the
  // first USB serial device, ahead of the built-in ttyS ports that are listed first.
  if (n == 1)
    for (const QSerialPortInfo& info : ports)
      if (info.hasVendorIdentifier()) return info.systemLocation();
  return ports[n - 1].systemLocation();
}

QSerialLink::QSerialLink() = default;

QSerialLink::~QSerialLink() {
  if (m_port) {
    m_port->disconnect();
    m_port->close();
  }
}

bool QSerialLink::open(const QString& device, const QString& settings, Handshake handshake) {
  close();
  m_error.clear();
  SerialSettings s;
  if (!parseSerialSettings(settings, s)) {
    m_error = QStringLiteral("invalid settings ") + settings;
    return false;
  }
  m_device = resolveSerialDevice(device);
  if (m_device.isEmpty()) {
    m_error = QStringLiteral("no serial port ") + device;
    return false;
  }
  m_port = std::make_unique<QSerialPort>();
  m_port->setPortName(m_device);
  if (!m_port->open(QIODevice::ReadWrite)) {
    m_error = m_port->errorString();
    m_port.reset();
    return false;
  }
  const bool configured = m_port->setBaudRate(s.baudRate) && m_port->setParity(s.parity) &&
                          m_port->setDataBits(s.dataBits) && m_port->setStopBits(s.stopBits) &&
                          m_port->setFlowControl(handshake == Handshake::XonXoff ? QSerialPort::SoftwareControl
                                                 : handshake == Handshake::RtsCts ? QSerialPort::HardwareControl
                                                                                  : QSerialPort::NoFlowControl);
  if (!configured) {
    m_error = m_port->errorString();
    m_port->close();
    m_port.reset();
    return false;
  }
  QObject::connect(m_port.get(), &QSerialPort::readyRead, m_port.get(), [this] { onReadyRead(); });
  QObject::connect(m_port.get(), &QSerialPort::errorOccurred, m_port.get(),
                   [this](QSerialPort::SerialPortError e) { onPortError(e); });
  return true;
}

void QSerialLink::close() {
  if (!m_port) return;
  m_port->disconnect();
  m_port->close();
  // Deleted later: close() may run inside one of the port's own signals.
  m_port.release()->deleteLater();
}

bool QSerialLink::isOpen() const { return m_port && m_port->isOpen(); }

void QSerialLink::write(const QByteArray& bytes) {
  if (isOpen()) m_port->write(bytes);
}

bool QSerialLink::carrierDetect() const {
  return isOpen() && (m_port->pinoutSignals() & QSerialPort::DataCarrierDetectSignal);
}

std::optional<bool> QSerialLink::carrierDetectState() const {
  if (!isOpen()) return false;
  // Asked of the line itself: QSerialPort reports "no signals" where the query fails.
  int lines = 0;
  if (::ioctl(m_port->handle(), TIOCMGET, &lines) != 0) return std::nullopt;
  return (lines & TIOCM_CAR) != 0;
}

void QSerialLink::onReadyRead() {
  if (!m_port) return;
  const QByteArray bytes = m_port->readAll();
  if (!bytes.isEmpty() && onBytes) onBytes(bytes);
}

void QSerialLink::onPortError(QSerialPort::SerialPortError error) {
  if (!m_port || error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
  const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                     error == QSerialPort::PermissionError || error == QSerialPort::DeviceNotFoundError;
  if (!fatal) {
    m_port->clearError();
    return;
  }
  m_error = m_port->errorString();
  // A vanished device keeps signalling; close it before anyone else runs.
  close();
  if (onError) onError(m_error);
}

SerialLinkFactory qserialLinkFactory() {
  return [] { return std::unique_ptr<SerialLink>(new QSerialLink()); };
}

}  // namespace tavrik
