#pragma once
// The ship position exchange of one program: the modem port, the call in progress and
// the answering side. The main cycle ticks it every second; a completed call is
// stored in the ship's row and the chart asked to redraw the ships.

#include <QString>
#include <functional>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/request_flags.h"
#include "ships/modem_port.h"
#include "ships/ship_call.h"
#include "store/store_result.h"

namespace tavrik {

class Database;

class ShipExchange {
 public:
  ShipExchange(const NavigationState& nav, const AppSettings& settings, RequestFlags& requests, const Clock& clock,
               Database& db, SerialLinkFactory links);

  // Calls a ship with the modem settings; a call in progress is left alone (false).
  bool startCall(const QString& shipName, const QString& telephone);
  // The main cycle's modem step: answer calls, then the call's second.
  void tick();

  ModemPort modem;
  ShipCall call;
  ModemAnswerer answerer;
  // How storing the last completed call went.
  StoreResult lastStore;
  // The call ended (after its reply was stored).
  std::function<void()> onCallFinished;

 private:
  const AppSettings& m_settings;
  RequestFlags& m_requests;
  const Clock& m_clock;
  Database& m_db;
};

}  // namespace tavrik
