#include "nav/ui/port_opening.h"

#include "app/app.h"

namespace tavrik {

bool OutputPort::open(App& app, int index, QString& error) {
  close();
  if (index < 0 || index >= static_cast<int>(app.settings.Comm.size())) return false;
  if (SerialLink* shared = app.receiver.link(index); shared && shared->isOpen()) {
    m_link = shared;
    return true;
  }
  const PortSettings& ps = app.settings.Comm[static_cast<size_t>(index)];
  m_own = sourceLinkFactory(app.clock)();
  if (!m_own->open(ps.Port.trimmed(), ps.settingsText(), static_cast<Handshake>(ps.Handshake))) {
    error = QStringLiteral("COM ") + ps.Port.trimmed() + QStringLiteral(": ") + m_own->errorText();
    m_own.reset();
    return false;
  }
  m_link = m_own.get();
  return true;
}

}  // namespace tavrik
