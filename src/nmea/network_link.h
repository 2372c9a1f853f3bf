#pragma once
// Instrument sources on the network behind the serial link interface, so that their
// bytes enter the same receive buffers, filters and parsers as a serial line's:
//   tcp://HOST:PORT      a multiplexer's NMEA server; reconnects with back-off
//   udp://:PORT          datagrams to that port (broadcasts too)
//   gpsd://HOST[:PORT]   gpsd's NMEA watch (default port 2947)
//   tcp-listen://:PORT   a server: what the program writes goes to every client
// A port set whose Port holds one of these names opens it instead of a serial device.
//
// Periodic work: each link runs a one-second QTimer calling tick(), which reads the
// injected clock (reconnect back-off, stale-data watchdog).

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "core/serial_link.h"

class QTcpServer;
class QTcpSocket;
class QUdpSocket;
class QTimer;

namespace tavrik {

enum class SourceKind { Serial, TcpClient, Udp, Gpsd, TcpListen };

struct SourceAddress {
  SourceKind kind = SourceKind::Serial;
  QString host;  // empty for udp and tcp-listen: every local address
  quint16 port = 0;
};

inline constexpr quint16 kGpsdDefaultPort = 2947;

// True when text names a network source ("scheme://..."); a serial device otherwise.
bool isNetworkSource(const QString& text);
// Reads a source name; false with error set for an unknown scheme, a missing host
// (tcp, gpsd) or a port outside 1-65535. A name without "://" is a serial device.
bool parseSourceAddress(const QString& text, SourceAddress& out, QString& error);

// When to try again after a failed or lost connection: 1 s, then doubling to 30 s.
class ReconnectBackoff {
 public:
  static constexpr qint64 kFirstDelayMs = 1000;
  static constexpr qint64 kMaxDelayMs = 30000;
  void connectionLost(qint64 nowMs);
  void connected() { m_nextDelayMs = kFirstDelayMs; }
  bool due(qint64 nowMs) const { return nowMs >= m_retryAtMs; }
  qint64 retryAtMs() const { return m_retryAtMs; }

 private:
  qint64 m_nextDelayMs = kFirstDelayMs;
  qint64 m_retryAtMs = 0;
};

// One network source or server. Not copyable; owns its sockets and timer.
class NetworkLink final : public SerialLink {
 public:
  // Silence after which the input panel says "no data for N s".
  static constexpr qint64 kStaleAfterMs = 5000;
  // Silence after which a TCP or gpsd connection is closed and opened again.
  static constexpr qint64 kReconnectAfterMs = 15000;
  // A client of the server that cannot keep up is dropped rather than buffered.
  static constexpr qint64 kClientBacklogLimit = 256 * 1024;
  // A gpsd line longer than this without a line end is thrown away.
  static constexpr qsizetype kLineLimit = 16 * 1024;

  explicit NetworkLink(const Clock& clock);
  ~NetworkLink() override;
  NetworkLink(const NetworkLink&) = delete;
  NetworkLink& operator=(const NetworkLink&) = delete;

  // device: a source name; settings and handshake are serial-only and ignored. A
  // client source that cannot connect yet still opens: it keeps trying.
  bool open(const QString& device, const QString& settings, Handshake handshake) override;
  void close() override;
  bool isOpen() const override { return m_open; }
  void write(const QByteArray& bytes) override;
  bool carrierDetect() const override { return connected(); }
  QString errorText() const override { return m_error; }
  QString statusText() const override;

  // The one-second work: reconnect when due, close a silent connection.
  void tick();
  bool connected() const;
  int clientCount() const { return static_cast<int>(m_clients.size()); }
  quint16 localPort() const;  // the port bound (udp, tcp-listen), useful with port 0
  int reconnectCount() const { return m_reconnects; }
  bool everReceived() const { return m_everReceived; }
  // A TCP or gpsd connection failed or was closed; the link tries again after the
  // back-off unless the owner closes it here (a terminal tool ends instead).
  std::function<void()> onConnectionLost;

 private:
  void connectNow();
  void dropConnection();
  void connectionLost();
  void onSocketBytes(const QByteArray& bytes);
  void onGpsdBytes(const QByteArray& bytes);
  qint64 nowMs() const;

  const Clock& m_clock;
  SourceAddress m_address;
  bool m_open = false;
  QString m_error;
  std::unique_ptr<QTimer> m_timer;
  std::unique_ptr<QTcpSocket> m_socket;
  std::unique_ptr<QUdpSocket> m_udp;
  std::unique_ptr<QTcpServer> m_server;
  std::vector<QTcpSocket*> m_clients;  // children of m_server
  ReconnectBackoff m_backoff;
  qint64 m_lastBytesMs = 0;
  bool m_everReceived = false;
  int m_reconnects = 0;
  QByteArray m_gpsdLine;
};

// A link for a port set's Port text: a network link for a source name, the serial
// line otherwise; chosen anew at every open.
class SourceLink final : public SerialLink {
 public:
  explicit SourceLink(const Clock& clock) : m_clock(clock) {}
  bool open(const QString& device, const QString& settings, Handshake handshake) override;
  void close() override;
  bool isOpen() const override { return m_link && m_link->isOpen(); }
  void write(const QByteArray& bytes) override;
  bool carrierDetect() const override { return m_link && m_link->carrierDetect(); }
  QString errorText() const override { return m_link ? m_link->errorText() : m_error; }
  QString statusText() const override { return m_link ? m_link->statusText() : QString(); }
  SerialLink* current() const { return m_link.get(); }

 private:
  const Clock& m_clock;
  std::unique_ptr<SerialLink> m_link;
  QString m_error;
};

// The factory the App gives the receive path and the output ports: serial devices
// and network sources, timed by the given clock (which must outlive the links).
SerialLinkFactory sourceLinkFactory(const Clock& clock);

}  // namespace tavrik
