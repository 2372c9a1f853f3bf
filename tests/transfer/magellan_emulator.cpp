#include "transfer/magellan_emulator.h"

#include "transfer/magellan_protocol.h"

namespace tavrik::test {

void MagellanEmulator::onBytes(QByteArrayView bytes) {
  if (mute) return;
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      if (!m_line.isEmpty()) line(QString::fromLatin1(std::exchange(m_line, {})));
    } else {
      m_line.append(c);
    }
  }
}

void MagellanEmulator::send(const QString& body) { write(magellan::sentence(body)); }

void MagellanEmulator::line(const QString& l) {
  const qsizetype star = l.indexOf(QLatin1Char('*'));
  const QString body = star >= 0 ? l.left(star) : l;
  if (body.startsWith(QLatin1String("$PMGNCSM"))) return;
  received << body;
  if (m_handshake) send(QStringLiteral("$PMGNCSM,") + magellan::checksumText(QStringView(body).mid(1)));
  if (body == QLatin1String("$PMGNCMD,HANDON")) m_handshake = true;
  if (body == QLatin1String("$PMGNCMD,HANDOFF")) m_handshake = false;
  if (body == QLatin1String("$PMGNCMD,VERSION")) send(version);
  const QStringList* set = body == QLatin1String("$PMGNCMD,WAYPOINT") ? &waypoints
                           : body == QLatin1String("$PMGNCMD,ROUTE")  ? &routes
                           : body.startsWith(QLatin1String("$PMGNCMD,TRACK")) ? &track
                                                                      : nullptr;
  if (!set) return;
  for (qsizetype i = 0; i < set->size(); ++i) {
    if (stopAfterLines >= 0 && i >= stopAfterLines) return;
    send(set->at(i));
  }
  send(QStringLiteral("$PMGNCMD,END"));
}

}  // namespace tavrik::test
