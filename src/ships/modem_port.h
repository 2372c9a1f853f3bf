#pragma once
// The modem port of the ship position exchange, its receive buffer, the reply line a
// called ship sends, and the answering side that the main cycle runs every second.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/serial_link.h"

namespace tavrik {

// The word the caller sends once connected, and the word that opens the reply.
inline constexpr char kRequestWord[] = "TAVRIK";
inline constexpr char kReplyWord[] = "OUTPUT";
// Characters from the "O" of the reply word to the end of a reply of non-negative
// values, the carriage return included.
inline constexpr int kReplyLength = 49;

// The modem port: a serial link of its own and the one receive buffer shared by the
// calling and the answering side. Arriving text is appended as it comes.
class ModemPort {
 public:
  explicit ModemPort(SerialLinkFactory factory) : m_factory(std::move(factory)) {}

  // Opens the port with the modem settings, sets the modem to answer on the first
  // ring ("Ats0=1") and empties the buffer. False with errorText() when it cannot.
  bool open(const PortSettings& settings);
  void close();
  bool isOpen() const { return m_link && m_link->isOpen(); }
  void write(const QByteArray& bytes);
  // Carrier detect; nothing when the line cannot tell.
  std::optional<bool> carrierDetect() const;
  QString errorText() const { return m_error; }

  QByteArray buffer;
  // Called after text was appended to the buffer.
  std::function<void()> onText;

 private:
  SerialLinkFactory m_factory;
  std::unique_ptr<SerialLink> m_link;
  QString m_error;
};

// The six values of a reply: position in degrees (south and west negative), course
// over ground, speed over ground in knots, wind direction, wind speed in knots.
struct ShipPositionReply {
  double latitude = 0, longitude = 0, course = 0, speed = 0, windDirection = 0, windSpeed = 0;
};

// x × 1000 rounded: at least six digits for non-negative values ("052250"); a
// negative value has "-" in place of one zero ("-52250", "-120500").
QByteArray replyField(double x);
// "OUTPUT,052250,005500,090000,006500,270000,012000" + carriage return.
QByteArray replyLine(const ShipPositionReply& values);
// The reply in the buffer, read as comma-separated fields: nothing until a line that
// starts with the reply word is complete (at least kReplyLength characters from its
// "O" and ended by a carriage return or line feed). A complete line that is not a
// reply (cut off, letters, out of range) is passed over for the next one.
std::optional<ShipPositionReply> readReply(const QByteArray& buffer);

// Whether "Receive calls" is on (`Communication` under "Ships").
bool receiveCallsOn(const AppSettings& settings);

// The answering side, one tick of the main cycle: keeps the port open while
// "Receive calls" is on, answers a ring, and replies to the request word with the
// own position only. With "Receive calls" off nothing is answered.
class ModemAnswerer {
 public:
  ModemAnswerer(ModemPort& port, const NavigationState& nav, const AppSettings& settings)
      : m_port(port), m_nav(nav), m_settings(settings) {}
  void tick();
  int repliesSent() const { return m_replies; }

 private:
  ModemPort& m_port;
  const NavigationState& m_nav;
  const AppSettings& m_settings;
  int m_replies = 0;
};

}  // namespace tavrik
