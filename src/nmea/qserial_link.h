#pragma once
// SerialLink over QSerialPort. The port is a device name ("/dev/ttyUSB0",
// "/dev/pts/3") or a number n meaning the n-th port the system lists (1-based).
// A line that fails while open (a USB adapter pulled out) is closed and reported
// once through onError.

#include <QObject>
#include <QSerialPort>
#include <memory>

#include "core/serial_link.h"

namespace tavrik {

struct SerialSettings {
  qint32 baudRate = 4800;
  QSerialPort::Parity parity = QSerialPort::NoParity;
  QSerialPort::DataBits dataBits = QSerialPort::Data8;
  QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
// "4800,N,8,1": baud rate, parity (N, O, E, M, S), data bits (5-8), stop bits (1,
// 1.5, 2). False when an item is missing or not one of these.
bool parseSerialSettings(const QString& text, SerialSettings& out);
// A device name, or the n-th listed port for a number n; empty when there is none.
QString resolveSerialDevice(const QString& port);

class QSerialLink final : public SerialLink {
 public:
  QSerialLink();
  ~QSerialLink() override;
  bool open(const QString& device, const QString& settings, Handshake handshake) override;
  void close() override;
  bool isOpen() const override;
  void write(const QByteArray& bytes) override;
  bool carrierDetect() const override;
  std::optional<bool> carrierDetectState() const override;
  QString errorText() const override { return m_error; }
  QString deviceName() const { return m_device; }

 private:
  void onReadyRead();
  void onPortError(QSerialPort::SerialPortError error);
  std::unique_ptr<QSerialPort> m_port;
  QString m_error;
  QString m_device;
};

// The factory the App gives the receive path.
SerialLinkFactory qserialLinkFactory();

}  // namespace tavrik
