#include "nav/steering.h"

#include "nmea/nmea_receiver.h"

namespace tavrik {

bool ReceiverPorts::isOpen(int portIndex) const {
  const SerialLink* link = m_receiver.link(portIndex);
  return link && link->isOpen();
}

void ReceiverPorts::write(int portIndex, const QByteArray& line) {
  if (SerialLink* link = m_receiver.link(portIndex)) link->write(line);
}

}  // namespace tavrik
