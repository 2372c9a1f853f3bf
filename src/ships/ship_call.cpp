#include "ships/ship_call.h"

#include "core/messages.h"
#include "store/database.h"

namespace tavrik {

void ShipCall::start(const QString& shipName, const QString& telephone, const PortSettings& settings) {
  m_name = shipName;
  m_failure = 0;
  m_reply = {};
  m_hangUp = HangUp::None;
  m_state = State::WaitingForConnect;
  if (!m_port.isOpen()) {
    setStatus(MessageText(Msg::OpeningComPort));
    m_port.open(settings);
  }
  setStatus(MessageText(Msg::DialingModem));
  if (!m_port.isOpen()) {
    fail(Msg::NoModemFound, false);
    return;
  }
  // Text of an earlier call (its CONNECT, its reply) must not answer this one.
  m_port.buffer.clear();
  m_port.write("ATDT" + telephone.trimmed().toLatin1() + '\r');
  m_dialledAt = m_clock.now();
  setStatus(MessageText(Msg::WaitingForConnect));
  advance();
}

bool ShipCall::running() const {
  return m_state == State::WaitingForConnect || m_state == State::Connecting || m_state == State::Receiving;
}

void ShipCall::onText() {
  if (running()) advance();
}

void ShipCall::tick() {
  if (running()) {
    advance();
    if (m_state == State::Connecting && m_lastRequestAt.msecsTo(m_clock.now()) >= 1000) {
      m_port.write(QByteArray(kRequestWord) + '\r');
      m_lastRequestAt = m_clock.now();
    }
  } else {
    serviceHangUp();
  }
}

void ShipCall::cancel() {
  if (!running()) return;
  const bool dialling = m_state == State::WaitingForConnect;
  if (dialling) m_port.close();
  finish(State::Cancelled);
}

void ShipCall::advance() {
  const QDateTime now = m_clock.now();
  if (m_state == State::WaitingForConnect) {
    m_connectAt = m_port.buffer.indexOf("CONNECT");
    if (m_connectAt < 0) {
      if (m_port.buffer.contains("BUSY")) fail(Msg::LineBusy, false);
      // The modem gave up on an unanswered call itself: no use waiting out the minute.
      else if (m_dialledAt.secsTo(now) >= kCallLimitSecs || m_port.buffer.contains("NO CARRIER") ||
               m_port.buffer.contains("NO ANSWER"))
        fail(Msg::TimedOutCalling, true);
      return;
    }
    m_connectedAt = now;
    m_state = State::Connecting;
    setStatus(MessageText(Msg::ConnectingTo) + m_name);
    m_port.write(QByteArray(kRequestWord) + '\r');
    m_lastRequestAt = now;
  }
  if (m_state == State::Connecting) {
    if (m_port.buffer.indexOf(kReplyWord, m_connectAt) < 0) {
      if (m_connectedAt.secsTo(now) >= kCallLimitSecs) fail(Msg::TimedOutResponse, false);
      else if (carrierLost()) fail(Msg::LostCarrierResponse, false);
      return;
    }
    m_state = State::Receiving;
    setStatus(MessageText(Msg::ReceivingInformation));
  }
  if (m_state == State::Receiving) {
    // The limit runs on from CONNECT: answering and receiving share one minute.
    if (const std::optional<ShipPositionReply> reply = readReply(m_port.buffer.mid(m_connectAt))) {
      m_reply = *reply;
      setStatus(QStringLiteral("Done"));
      finish(State::Done);
    } else if (m_connectedAt.secsTo(now) >= kCallLimitSecs) {
      fail(Msg::TimedOutReceiving, false);
    } else if (carrierLost()) {
      fail(Msg::LostCarrierReceiving, false);
    }
  }
}

bool ShipCall::carrierLost() const {
  // A line that cannot report carrier detect (a pseudo-terminal, some adapters) is
  // judged by the modem's own words.
  if (m_port.buffer.indexOf("NO CARRIER", m_connectAt) >= 0) return true;
  const std::optional<bool> carrier = m_port.carrierDetect();
  return carrier.has_value() && !*carrier;
}

void ShipCall::setStatus(const QString& text) {
  m_status = text;
  if (onStatusChanged) onStatusChanged();
}

void ShipCall::fail(int message, bool closePort) {
  m_failure = message;
  if (closePort) m_port.close();
  finish(State::Failed);
}

void ShipCall::finish(State state) {
  const bool reachedShip = m_state == State::Connecting || m_state == State::Receiving;
  m_state = state;
  // A connected line costs money: once the call is over the modem is taken back to
  // command mode and hangs up. The port itself stays open.
  if (reachedShip && m_port.isOpen() && !carrierLost()) {
    m_hangUp = HangUp::Escape;
    m_hangUpStepAt = m_clock.now();
  }
  if (onFinished) onFinished();
}

void ShipCall::serviceHangUp() {
  if (m_hangUp == HangUp::None || m_hangUpStepAt.msecsTo(m_clock.now()) < kEscapeGuardMs) return;
  if (m_hangUp == HangUp::Escape) {
    m_port.write(QByteArrayLiteral("+++"));
    m_hangUp = HangUp::Command;
  } else {
    m_port.write(QByteArrayLiteral("ATH\r"));
    m_hangUp = HangUp::None;
  }
  m_hangUpStepAt = m_clock.now();
}

StoreResult storeShipReply(Database& db, const QString& shipName, const ShipPositionReply& r, const QDateTime& now) {
  if (StoreResult begun = db.beginTrans(); !begun) return begun;
  StoreResult res = db.execute(QStringLiteral("UPDATE Ships SET latitude = ?, longitude = ?, course = ?, speed = ?, "
                                              "[wind direction] = ?, [wind speed] = ?, [Last updated] = ? "
                                              "WHERE Name = ?"),
                               {r.latitude, r.longitude, r.course, r.speed, r.windDirection, r.windSpeed, now, shipName});
  if (res && db.recordsAffected() == 0)
    res = StoreResult::failure(DbError::NoCurrentRecord, shipName, Msg::NoRecordSelected);
  if (!res) {
    db.rollback();
    return res;
  }
  return db.commitTrans();
}

}  // namespace tavrik
