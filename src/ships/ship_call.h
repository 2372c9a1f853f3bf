#pragma once
// Calling a ship for its position: dial, wait for CONNECT, send the request word
// until the reply starts, receive it. A state machine advanced by the text arriving in
// the modem buffer and by a one-second tick; every wait ends in the reply, a cancel,
// a busy line, a time-out or a lost carrier.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

#include "core/app_settings.h"
#include "core/clock.h"
#include "ships/modem_port.h"
#include "store/store_result.h"

namespace tavrik {

class Database;

// The limit of each wait: dialling from ATDT, answering and receiving together from CONNECT.
inline constexpr qint64 kCallLimitSecs = 60;
// Guard time around the escape sequence that takes the modem back to command mode.
inline constexpr qint64 kEscapeGuardMs = 1100;

class ShipCall {
 public:
  enum class State { Idle, WaitingForConnect, Connecting, Receiving, Done, Failed, Cancelled };

  ShipCall(ModemPort& port, const Clock& clock) : m_port(port), m_clock(clock) {}

  // Opens the port when it is closed, dials and starts waiting. Ends at once with
  // "No modem found" when the port cannot be opened.
  void start(const QString& shipName, const QString& telephone, const PortSettings& settings);
  // Text arrived in the modem buffer.
  void onText();
  // Once a second: the request word is sent again, the limits and the carrier checked,
  // and after a call that reached the ship the line is hung up.
  void tick();
  // The cancel button: ends the call; while dialling the port is closed as well.
  void cancel();

  State state() const { return m_state; }
  bool running() const;
  // The line of a finished call is still being hung up.
  bool hangingUp() const { return m_hangUp != HangUp::None; }
  // The progress text of the window's status label.
  QString statusText() const { return m_status; }
  // The message the call ended with (Msg number), 0 when it did not fail.
  int failureMessage() const { return m_failure; }
  // The values received once the call is Done.
  const ShipPositionReply& reply() const { return m_reply; }
  QString shipName() const { return m_name; }

  std::function<void()> onStatusChanged;
  // The call ended (Done, Failed or Cancelled).
  std::function<void()> onFinished;

 private:
  void advance();
  void setStatus(const QString& text);
  void fail(int message, bool closePort);
  void finish(State state);
  bool carrierLost() const;
  void serviceHangUp();

  ModemPort& m_port;
  const Clock& m_clock;
  State m_state = State::Idle;
  QString m_name, m_status;
  int m_failure = 0;
  QDateTime m_dialledAt, m_connectedAt, m_lastRequestAt;
  qsizetype m_connectAt = -1;  // where CONNECT stands in the buffer
  ShipPositionReply m_reply;
  // Hanging up after a call that reached the other side: "+++" then "ATH".
  enum class HangUp { None, Escape, Command } m_hangUp = HangUp::None;
  QDateTime m_hangUpStepAt;
};

// Stores a reply in the ship's row with `Last updated` = now, in one transaction. A
// name not in Ships is an error (message "No record selected"); nothing is written.
StoreResult storeShipReply(Database& db, const QString& shipName, const ShipPositionReply& reply,
                           const QDateTime& now);

}  // namespace tavrik
