#pragma once
// "Communication" (`gpscomm`): the instrument port sets (baud rate, parity, bits, stop
// bits, port, handshaking), which set repeats the received sentences ("NMEA output")
// and which one drives the autopilot ("Autopilot").

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/app_settings.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace tavrik {

class App;

// A serial port the system lists: its device name, what it is, and whether it is a
// USB adapter (where receivers are mostly plugged in).
struct SerialPortEntry {
  QString device, description;
  bool usb = false;
};
QList<SerialPortEntry> systemSerialPorts();

// The device a Port value names: a number n is the n-th port the system lists.
QString resolvePortDevice(const QString& port, const QStringList& availablePorts);
// Index of the first port set that uses a port an earlier set already uses; -1 when
// every set has its own port.
int firstDuplicatePort(const std::vector<QString>& ports, const QStringList& availablePorts);

class CommSetupWindow : public QWidget {
  Q_OBJECT
 public:
  // availablePorts: the device names offered in the Port boxes (normally what
  // QSerialPortInfo lists; tests pass their own).
  CommSetupWindow(App& app, QStringList availablePorts, QWidget* parent = nullptr);
  // The Port boxes list each port as "device  description"; a Port value "1" shows
  // the first USB device when there is one.
  CommSetupWindow(App& app, QList<SerialPortEntry> ports, QWidget* parent = nullptr);
  CommSetupWindow(App& app, QWidget* parent = nullptr);
  // OK: refuses two sets on the same port ("Same port used twice"), else stores the
  // sets and closes. True when stored.
  bool accept();
  void addPortSet();
  void deletePortSet();
  int portSetCount() const;
  std::function<void()> onStored;

 private:
  struct PortTab {
    QWidget* page = nullptr;
    QComboBox *baud = nullptr, *parity = nullptr, *bits = nullptr, *stop = nullptr, *port = nullptr,
              *handshake = nullptr;
    QCheckBox *output = nullptr, *autopilot = nullptr;
  };
  void build();
  void addTab(const PortSettings& p, bool output, bool autopilot);
  void renumber();

  App& m_app;
  QList<SerialPortEntry> m_ports;
  QStringList m_available;
  QTabWidget* m_tabs = nullptr;
  QPushButton *m_add = nullptr, *m_delete = nullptr;
  std::vector<PortTab> m_sets;
};

}  // namespace tavrik
