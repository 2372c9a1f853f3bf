#pragma once
// A small Hayes-style modem exchange for the tests: each modem sits on the master side
// of its own pseudo-terminal pair (the program opens `pty.name`), and the exchange
// carries calls between them. Commands: AT, ATZ, AT&F, ATE, ATSn=v, ATDT/ATDP/ATD
// number, ATA, ATH, ATO; results in words ("OK", "RING", "CONNECT 9600", "BUSY",
// "NO CARRIER", "ERROR"). Once connected everything typed goes to the other modem,
// until "+++" framed by silence brings the command mode back. A pseudo-terminal has
// no carrier-detect line: the lost line shows as "NO CARRIER" only.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>

#include "transfer/pty_port.h"

namespace tavrik::test {

class ModemExchange;

class HayesModem {
 public:
  enum class Line { OnHook, Dialling, Ringing, Connected };

  HayesModem(ModemExchange& exchange, QString number);
  PtyPort pty;
  const QString number;

  Line line() const { return m_line; }
  bool commandMode() const { return m_commandMode; }
  // Everything the program wrote to this modem, for the tests to read.
  QByteArray received;
  // Rings seen by the program, and the S0 register (auto-answer after that many rings).
  int ringsSent = 0;
  int s0 = 0;

 private:
  friend class ModemExchange;
  void onBytes(const QByteArray& bytes);
  void command(const QByteArray& line);
  void result(const char* word) { pty.write(QByteArray("\r\n") + word + "\r\n"); }
  void connectTo(HayesModem* other);
  void hangUp(bool tellOther);

  ModemExchange& m_exchange;
  Line m_line = Line::OnHook;
  bool m_commandMode = true;
  HayesModem* m_peer = nullptr;
  QByteArray m_commandLine;
  QElapsedTimer m_lastByte;
};

class ModemExchange {
 public:
  HayesModem& add(const QString& number);
  HayesModem* find(const QString& number);
  // A number that is engaged whatever happens on it.
  QString engagedNumber = QStringLiteral("999");
  // Ring interval and the rings after which an unanswered call gives up.
  int ringIntervalMs = 100;
  int maxRings = 8;
  // Silence around "+++" (real modems: one second).
  int guardMs = 300;
  // The line breaks: both modems report "NO CARRIER".
  void dropLine(HayesModem& m);

 private:
  friend class HayesModem;
  void dial(HayesModem& caller, const QString& number);
  void ring();
  std::map<QString, std::unique_ptr<HayesModem>> m_modems;
  HayesModem* m_caller = nullptr;
  HayesModem* m_callee = nullptr;
  int m_rings = 0;
  QTimer m_ringTimer;
};

}  // namespace tavrik::test
