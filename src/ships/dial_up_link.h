#pragma once
// The dial-up instrument link ("St&art telephone..."): the instrument port is opened,
// the modem initialised and told to dial a telephone entry, and the answers watched
// until CONNECT; from then on the line feeds the receiver like a directly connected
// instrument. A state machine: onBytes() gets what the port receives, tick() (the
// receive cycle timer) measures the wait with the injected clock.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

#include "core/clock.h"
#include "core/prompter.h"

namespace tavrik {

class NmeaReceiver;

// A row of table Telephone.
struct TelephoneEntry {
  QString name, telephone, initString, dialString;
};

// The longest wait for CONNECT after dialling.
inline constexpr qint64 kDialLimitMs = 60 * 1000;

class DialUpLink {
 public:
  enum class State { Idle, Dialling, Connected };

  // The instrument port as the link uses it.
  struct Line {
    // Opens the port with the instrument settings and starts the receive cycle; false
    // (the refusal already shown) when it cannot be opened.
    std::function<bool()> open;
    std::function<void(const QByteArray&)> write;
    // Closes the port and stops the receive cycle.
    std::function<void()> close;
  };

  DialUpLink(const Clock& clock, Prompter& prompter, Line line)
      : m_clock(clock), m_prompter(prompter), m_line(std::move(line)) {}

  // Opens the line, writes the init string (with CR LF) when there is one and dials.
  // False when the line cannot be opened or a link is already up.
  bool start(const TelephoneEntry& entry);
  // Text from the port.
  void onBytes(const QByteArray& bytes);
  // Every receive cycle: the time limit.
  void tick();
  // "Sto&p communication", or the line closed otherwise: the link ends, the selection
  // is cleared. Nothing happens when no link is up.
  void stop();

  State state() const { return m_state; }
  bool active() const { return m_state != State::Idle; }
  // The entry being dialled or connected, empty when none (the input-source panel).
  QString selectedName() const { return m_name; }

 private:
  void advance();
  void fail(int message);
  void end();

  const Clock& m_clock;
  Prompter& m_prompter;
  Line m_line;
  State m_state = State::Idle;
  QString m_name;
  QByteArray m_answers;  // the modem's text since dialling
  QDateTime m_dialledAt;
};

// The line over the receiver's first port set.
DialUpLink::Line receiverDialLine(NmeaReceiver& receiver);
// Feeds what that port receives to the link and names the link's entry as the
// receiver's selected telephone. (Whoever stops the receive cycle calls stop().)
void connectDialUpLink(NmeaReceiver& receiver, DialUpLink& link);

}  // namespace tavrik
