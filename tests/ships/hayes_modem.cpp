#include "ships/hayes_modem.h"

namespace tavrik::test {

HayesModem::HayesModem(ModemExchange& exchange, QString n) : number(std::move(n)), m_exchange(exchange) {
  m_lastByte.start();
  pty.onBytes = [this](const QByteArray& b) { onBytes(b); };
}

void HayesModem::onBytes(const QByteArray& bytes) {
  received += bytes;
  const qint64 silence = m_lastByte.restart();
  if (!m_commandMode) {
    // The escape is "+++" alone after a guard time of silence (the trailing guard is
    // not waited for: nothing else arrives in the tests' escapes).
    if (bytes == "+++" && silence >= m_exchange.guardMs) {
      m_commandMode = true;
      result("OK");
      return;
    }
    if (m_peer) m_peer->pty.write(bytes);
    return;
  }
  for (const char c : bytes) {
    if (c == '\r') {
      const QByteArray line = m_commandLine.trimmed();
      m_commandLine.clear();
      if (!line.isEmpty()) command(line);
    } else if (c != '\n') {
      m_commandLine += c;
    }
  }
}

void HayesModem::command(const QByteArray& text) {
  const QByteArray line = text.toUpper();
  if (!line.startsWith("AT")) return result("ERROR");
  const QByteArray body = line.mid(2);
  if (body.startsWith("D")) {
    QByteArray digits = body.mid(1);
    if (digits.startsWith('T') || digits.startsWith('P')) digits = digits.mid(1);
    if (m_line != Line::OnHook) return result("ERROR");
    m_exchange.dial(*this, QString::fromLatin1(digits.trimmed()));
    return;
  }
  if (body == "A") {
    if (m_line != Line::Ringing) return result("NO CARRIER");
    connectTo(m_exchange.m_caller);
    return;
  }
  if (body == "H" || body == "H0") {
    hangUp(true);
    return result("OK");
  }
  if (body == "O") {
    if (m_line != Line::Connected) return result("NO CARRIER");
    m_commandMode = false;
    return result("CONNECT 9600");
  }
  if (body.startsWith("S0=")) {
    s0 = body.mid(3).toInt();
    return result("OK");
  }
  if (body.isEmpty() || body == "Z" || body == "&F" || body.startsWith("E") || body.startsWith("S"))
    return result("OK");
  result("ERROR");
}

void HayesModem::connectTo(HayesModem* other) {
  m_exchange.m_ringTimer.stop();
  m_exchange.m_caller = m_exchange.m_callee = nullptr;
  if (!other) return;
  for (HayesModem* m : {this, other}) {
    m->m_line = Line::Connected;
    m->m_commandMode = false;
    m->result("CONNECT 9600");
  }
  m_peer = other;
  other->m_peer = this;
}

void HayesModem::hangUp(bool tellOther) {
  if (m_exchange.m_caller == this || m_exchange.m_callee == this) {
    m_exchange.m_ringTimer.stop();
    HayesModem* other = m_exchange.m_caller == this ? m_exchange.m_callee : m_exchange.m_caller;
    m_exchange.m_caller = m_exchange.m_callee = nullptr;
    if (other) other->m_line = Line::OnHook;
  }
  HayesModem* peer = m_peer;
  m_peer = nullptr;
  m_line = Line::OnHook;
  m_commandMode = true;
  if (peer && tellOther) {
    peer->hangUp(false);
    peer->result("NO CARRIER");
  }
}

HayesModem& ModemExchange::add(const QString& number) {
  auto& slot = m_modems[number];
  slot = std::make_unique<HayesModem>(*this, number);
  return *slot;
}

HayesModem* ModemExchange::find(const QString& number) {
  const auto it = m_modems.find(number);
  return it == m_modems.end() ? nullptr : it->second.get();
}

void ModemExchange::dial(HayesModem& caller, const QString& number) {
  HayesModem* callee = find(number);
  if (number == engagedNumber || (callee && (callee->m_line != HayesModem::Line::OnHook || callee == &caller))) {
    caller.result("BUSY");
    return;
  }
  caller.m_line = HayesModem::Line::Dialling;
  m_caller = &caller;
  m_callee = callee;
  m_rings = 0;
  if (callee) callee->m_line = HayesModem::Line::Ringing;
  m_ringTimer.setInterval(ringIntervalMs);
  QObject::disconnect(&m_ringTimer, nullptr, nullptr, nullptr);
  QObject::connect(&m_ringTimer, &QTimer::timeout, [this] { ring(); });
  m_ringTimer.start();
  ring();
}

void ModemExchange::ring() {
  if (!m_caller) return;
  if (++m_rings > maxRings) {
    HayesModem* caller = m_caller;
    caller->hangUp(false);
    caller->result("NO CARRIER");
    return;
  }
  if (!m_callee) return;
  m_callee->result("RING");
  ++m_callee->ringsSent;
  if (m_callee->s0 > 0 && m_rings >= m_callee->s0) m_callee->connectTo(m_caller);
}

void ModemExchange::dropLine(HayesModem& m) {
  HayesModem* peer = m.m_peer;
  m.hangUp(false);
  m.result("NO CARRIER");
  if (peer) {
    peer->hangUp(false);
    peer->result("NO CARRIER");
  }
}

}  // namespace tavrik::test
