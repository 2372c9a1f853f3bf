#pragma once
// The output port of a window (autopilot, waypoint upload): the main window's port
// set with that index, used as it is when communication has it open, otherwise
// opened by the window with the port set's communication settings.

#include <QString>
#include <memory>

#include "core/serial_link.h"

namespace tavrik {

class App;

class OutputPort {
 public:
  // Opens port set `index` (0-based); on failure returns false with the error text
  // the receive path would report ("COM <port>: <error>").
  bool open(App& app, int index, QString& error);
  void close() { m_own.reset(); m_link = nullptr; }
  bool isOpen() const { return m_link && m_link->isOpen(); }
  void write(const QByteArray& bytes) {
    if (isOpen()) m_link->write(bytes);
  }

 private:
  std::unique_ptr<SerialLink> m_own;
  SerialLink* m_link = nullptr;
};

}  // namespace tavrik
