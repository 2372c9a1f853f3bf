#pragma once
// The modem setup `gpsgsm`: the modem port (baud rate, parity, data bits, stop bits,
// port, handshaking) and the "Receive calls" switch, stored under "Ships".

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace tavrik {

class App;

class ModemSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ModemSetupWindow(App& app, QWidget* parent = nullptr);
  // OK: the values into the settings (and GPS.ini); a modem port that no call uses is
  // closed, so that the next call or ring opens it with the new values.
  void accept();

 private:
  App& m_app;
  QComboBox *m_baud = nullptr, *m_parity = nullptr, *m_bits = nullptr, *m_stop = nullptr, *m_port = nullptr,
            *m_handshake = nullptr;
  QCheckBox* m_receive = nullptr;
};

}  // namespace tavrik
