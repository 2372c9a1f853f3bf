#include "ships/dial_up_link.h"

#include "core/messages.h"
#include "nmea/nmea_receiver.h"

namespace tavrik {
namespace {

// The modem's answers are only searched for two words; a line that never connects
// must not make the text grow without bound.
constexpr qsizetype kAnswerLimit = 4096;
constexpr qsizetype kAnswerKeep = 16;  // a word cut between two reads stays whole

}  // namespace

bool DialUpLink::start(const TelephoneEntry& entry) {
  if (active()) return false;
  // Named before the port opens: the first bytes already show it in the input panel.
  m_name = entry.name.trimmed();
  m_answers.clear();
  // Idle until the port is open: a session the opening ends must not end this link.
  if (!m_line.open || !m_line.open()) {
    end();
    return false;
  }
  m_state = State::Dialling;
  const QByteArray init = entry.initString.trimmed().toLatin1();
  if (!init.isEmpty()) m_line.write(init + "\r\n");
  const QByteArray dial = entry.dialString.trimmed().toLatin1();
  m_line.write((dial.isEmpty() ? QByteArray("ATDT") : dial) + entry.telephone.trimmed().toLatin1() + "\r");
  m_dialledAt = m_clock.now();
  return true;
}

void DialUpLink::onBytes(const QByteArray& bytes) {
  if (m_state != State::Dialling) return;
  m_answers += bytes;
  if (m_answers.size() > kAnswerLimit) m_answers.remove(0, m_answers.size() - kAnswerKeep);
  advance();
}

void DialUpLink::tick() { advance(); }

void DialUpLink::advance() {
  if (m_state != State::Dialling) return;
  if (m_answers.contains("BUSY")) {
    fail(Msg::LineBusy);
  } else if (m_answers.contains("CONNECT")) {
    m_state = State::Connected;
    m_answers.clear();
  } else if (m_dialledAt.msecsTo(m_clock.now()) > kDialLimitMs) {
    fail(Msg::TimedOutCalling);
  }
}

void DialUpLink::fail(int message) {
  // Ended before the line closes: closing stops the receiver, whose end calls stop().
  end();
  if (m_line.close) m_line.close();
  m_prompter.information(MessageText(message));
}

void DialUpLink::stop() {
  if (!active()) return;
  end();
  if (m_line.close) m_line.close();
}

void DialUpLink::end() {
  m_state = State::Idle;
  m_name.clear();
  m_answers.clear();
}

DialUpLink::Line receiverDialLine(NmeaReceiver& receiver) {
  return {
      [&receiver] {
        // Whatever fed the receiver gives way to the telephone line.
        if (receiver.isRunning()) receiver.StopCommunication();
        return receiver.startInstrumentPort();
      },
      [&receiver](const QByteArray& bytes) {
        if (SerialLink* l = receiver.link(0); l && l->isOpen()) l->write(bytes);
      },
      [&receiver] {
        if (receiver.isRunning()) receiver.StopCommunication();
        else if (SerialLink* l = receiver.link(0); l && l->isOpen()) l->close();
      },
  };
}

void connectDialUpLink(NmeaReceiver& receiver, DialUpLink& link) {
  receiver.onSerialBytes = [&link](int port, const QByteArray& bytes) {
    if (port == 0) link.onBytes(bytes);
  };
  receiver.selectedTelephone = [&link] { return link.selectedName(); };
}

}  // namespace tavrik
