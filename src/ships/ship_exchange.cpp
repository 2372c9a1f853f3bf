#include "ships/ship_exchange.h"

#include "store/database.h"

namespace tavrik {

ShipExchange::ShipExchange(const NavigationState& nav, const AppSettings& settings, RequestFlags& requests,
                           const Clock& clock, Database& db, SerialLinkFactory links)
    : modem(std::move(links)), call(modem, clock), answerer(modem, nav, settings), m_settings(settings),
      m_requests(requests), m_clock(clock), m_db(db) {
  modem.onText = [this] { call.onText(); };
  call.onFinished = [this] {
    lastStore = {};
    if (call.state() == ShipCall::State::Done) {
      lastStore = storeShipReply(m_db, call.shipName(), call.reply(), m_clock.now());
      if (lastStore) m_requests.shipsChanged = true;
    }
    if (onCallFinished) onCallFinished();
  };
}

bool ShipExchange::startCall(const QString& shipName, const QString& telephone) {
  if (call.running()) return false;
  call.start(shipName, telephone, m_settings.ShipsPort);
  return true;
}

void ShipExchange::tick() {
  // While this side calls out, the buffer holds the other ship's words, not a caller's.
  if (!call.running()) answerer.tick();
  call.tick();
}

}  // namespace tavrik
