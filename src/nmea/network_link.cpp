#include "nmea/network_link.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>

#include "nmea/qserial_link.h"

namespace tavrik {

bool isNetworkSource(const QString& text) { return text.trimmed().contains(QLatin1String("://")); }

bool parseSourceAddress(const QString& text, SourceAddress& out, QString& error) {
  const QString t = text.trimmed();
  out = SourceAddress{};
  const qsizetype sep = t.indexOf(QLatin1String("://"));
  if (sep < 0) return true;
  const QString scheme = t.left(sep).toLower();
  const QString rest = t.mid(sep + 3);
  if (scheme == QLatin1String("tcp")) out.kind = SourceKind::TcpClient;
  else if (scheme == QLatin1String("udp")) out.kind = SourceKind::Udp;
  else if (scheme == QLatin1String("gpsd")) out.kind = SourceKind::Gpsd;
  else if (scheme == QLatin1String("tcp-listen")) out.kind = SourceKind::TcpListen;
  else {
    error = QStringLiteral("unknown source type %1:// (tcp, udp, gpsd or tcp-listen)").arg(scheme);
    return false;
  }
  // HOST:PORT, [IPv6]:PORT, :PORT or (gpsd) HOST alone.
  QString host = rest, portText;
  if (rest.startsWith('[')) {
    const qsizetype close = rest.indexOf(']');
    if (close < 0) {
      error = QStringLiteral("%1: missing ]").arg(t);
      return false;
    }
    host = rest.mid(1, close - 1);
    if (rest.mid(close + 1).startsWith(':')) portText = rest.mid(close + 2);
  } else if (const qsizetype colon = rest.lastIndexOf(':'); colon >= 0) {
    host = rest.left(colon);
    portText = rest.mid(colon + 1);
  }
  while (portText.endsWith('/')) portText.chop(1);
  out.host = host;
  const bool needsHost = out.kind == SourceKind::TcpClient || out.kind == SourceKind::Gpsd;
  if (needsHost && host.isEmpty()) {
    error = QStringLiteral("%1: a host name is needed").arg(t);
    return false;
  }
  if (portText.isEmpty() && out.kind == SourceKind::Gpsd) {
    out.port = kGpsdDefaultPort;
    return true;
  }
  bool ok = false;
  const int port = portText.toInt(&ok);
  // Port 0 lets a listener take any free port (tests, and "who is listening" tools).
  const bool listener = out.kind == SourceKind::Udp || out.kind == SourceKind::TcpListen;
  if (!ok || port < (listener ? 0 : 1) || port > 65535) {
    error = QStringLiteral("%1: a port from 1 to 65535 is needed").arg(t);
    return false;
  }
  out.port = static_cast<quint16>(port);
  return true;
}

void ReconnectBackoff::connectionLost(qint64 nowMs) {
  m_retryAtMs = nowMs + m_nextDelayMs;
  m_nextDelayMs = std::min(m_nextDelayMs * 2, kMaxDelayMs);
}

NetworkLink::NetworkLink(const Clock& clock) : m_clock(clock) {}

NetworkLink::~NetworkLink() { close(); }

qint64 NetworkLink::nowMs() const { return m_clock.now().toMSecsSinceEpoch(); }

bool NetworkLink::open(const QString& device, const QString&, Handshake) {
  close();
  m_error.clear();
  if (!parseSourceAddress(device, m_address, m_error)) return false;
  if (m_address.kind == SourceKind::Serial) {
    m_error = device + QStringLiteral(" is not a network source");
    return false;
  }
  m_lastBytesMs = nowMs();
  m_everReceived = false;
  m_reconnects = 0;
  m_backoff = ReconnectBackoff{};
  switch (m_address.kind) {
    case SourceKind::Udp: {
      m_udp = std::make_unique<QUdpSocket>();
      if (!m_udp->bind(QHostAddress::AnyIPv4, m_address.port,
                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        m_error = m_udp->errorString();
        m_udp.reset();
        return false;
      }
      QObject::connect(m_udp.get(), &QUdpSocket::readyRead, m_udp.get(), [this] {
        while (m_udp && m_udp->hasPendingDatagrams()) onSocketBytes(m_udp->receiveDatagram().data());
      });
      break;
    }
    case SourceKind::TcpListen: {
      m_server = std::make_unique<QTcpServer>();
      if (!m_server->listen(QHostAddress::Any, m_address.port)) {
        m_error = m_server->errorString();
        m_server.reset();
        return false;
      }
      QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(), [this] {
        while (QTcpSocket* client = m_server->nextPendingConnection()) {
          m_clients.push_back(client);
          QObject::connect(client, &QTcpSocket::readyRead, client,
                           [this, client] { onSocketBytes(client->readAll()); });
          QObject::connect(client, &QTcpSocket::disconnected, client, [this, client] {
            std::erase(m_clients, client);
            client->disconnect();
            client->deleteLater();
          });
        }
      });
      break;
    }
    default: connectNow(); break;
  }
  m_open = true;
  m_timer = std::make_unique<QTimer>();
  m_timer->setInterval(1000);
  QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { tick(); });
  m_timer->start();
  return true;
}

void NetworkLink::connectNow() {
  dropConnection();
  m_socket = std::make_unique<QTcpSocket>();
  QTcpSocket* s = m_socket.get();
  QObject::connect(s, &QTcpSocket::connected, s, [this, s] {
    m_backoff.connected();
    m_error.clear();
    // Silence is counted from the connection, not from the last one's end.
    m_lastBytesMs = nowMs();
    if (m_address.kind == SourceKind::Gpsd) s->write("?WATCH={\"enable\":true,\"nmea\":true}\n");
  });
  QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
    const QByteArray bytes = s->readAll();
    if (m_address.kind == SourceKind::Gpsd) onGpsdBytes(bytes);
    else onSocketBytes(bytes);
  });
  // Refused, reset or closed by the peer: close it and try again after the back-off.
  QObject::connect(s, &QTcpSocket::disconnected, s, [this] { connectionLost(); });
  QObject::connect(s, &QTcpSocket::errorOccurred, s, [this, s](QAbstractSocket::SocketError) {
    m_error = s->errorString();
    if (s->state() != QAbstractSocket::ConnectedState) connectionLost();
  });
  m_gpsdLine.clear();
  s->connectToHost(m_address.host, m_address.port);
}

void NetworkLink::dropConnection() {
  if (!m_socket) return;
  m_socket->disconnect();
  m_socket->abort();
  // Deleted later: this may run inside one of the socket's own signals.
  m_socket.release()->deleteLater();
}

void NetworkLink::connectionLost() {
  dropConnection();
  m_backoff.connectionLost(nowMs());
  if (onConnectionLost) onConnectionLost();
}

void NetworkLink::close() {
  m_open = false;
  m_timer.reset();
  dropConnection();
  if (m_udp) {
    m_udp->disconnect();
    m_udp->close();
    m_udp.release()->deleteLater();
  }
  if (m_server) {
    for (QTcpSocket* c : m_clients) {
      c->disconnect();
      c->abort();
    }
    m_clients.clear();
    m_server->disconnect();
    m_server->close();
    m_server.release()->deleteLater();  // takes its client sockets along
  }
}

bool NetworkLink::connected() const {
  if (m_socket) return m_socket->state() == QAbstractSocket::ConnectedState;
  return m_udp != nullptr || m_server != nullptr;
}

quint16 NetworkLink::localPort() const {
  if (m_udp) return m_udp->localPort();
  if (m_server) return m_server->serverPort();
  return m_socket ? m_socket->localPort() : 0;
}

void NetworkLink::write(const QByteArray& bytes) {
  if (!m_open) return;
  if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) m_socket->write(bytes);
  // A client that does not read is dropped before its backlog eats the memory.
  for (size_t i = 0; i < m_clients.size();) {
    QTcpSocket* c = m_clients[i];
    if (c->bytesToWrite() > kClientBacklogLimit) {
      m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(i));
      c->disconnect();
      c->abort();
      c->deleteLater();
      continue;
    }
    c->write(bytes);
    ++i;
  }
}

void NetworkLink::onSocketBytes(const QByteArray& bytes) {
  if (bytes.isEmpty()) return;
  m_lastBytesMs = nowMs();
  m_everReceived = true;
  if (onBytes) onBytes(bytes);
}

void NetworkLink::onGpsdBytes(const QByteArray& bytes) {
  // gpsd mixes its own JSON reports with the NMEA lines: only the NMEA is passed on.
  m_gpsdLine += bytes;
  QByteArray nmea;
  qsizetype start = 0;
  for (qsizetype end; (end = m_gpsdLine.indexOf('\n', start)) >= 0; start = end + 1) {
    const QByteArrayView line(m_gpsdLine.constData() + start, end + 1 - start);
    if (!line.startsWith('{')) nmea += line;
  }
  m_gpsdLine.remove(0, start);
  if (m_gpsdLine.size() > kLineLimit) m_gpsdLine.clear();
  // JSON alone still proves the connection alive.
  m_lastBytesMs = nowMs();
  if (!nmea.isEmpty()) onSocketBytes(nmea);
}

void NetworkLink::tick() {
  if (!m_open) return;
  const bool client = m_address.kind == SourceKind::TcpClient || m_address.kind == SourceKind::Gpsd;
  if (!client) return;
  const qint64 now = nowMs();
  if (!m_socket) {
    if (m_backoff.due(now)) {
      ++m_reconnects;
      connectNow();
    }
    return;
  }
  if (m_socket->state() == QAbstractSocket::ConnectedState && now - m_lastBytesMs >= kReconnectAfterMs) {
    // A connection that went quiet may be half-open (multiplexer rebooted): start over.
    dropConnection();
    m_backoff.connectionLost(now);
  }
}

QString NetworkLink::statusText() const {
  if (!m_open || m_address.kind == SourceKind::TcpListen) return {};
  const qint64 silent = nowMs() - m_lastBytesMs;
  if (silent < kStaleAfterMs) return {};
  return QStringLiteral("no data for %1 s").arg(silent / 1000);
}

bool SourceLink::open(const QString& device, const QString& settings, Handshake handshake) {
  if (m_link) m_link->close();
  if (isNetworkSource(device)) m_link = std::make_unique<NetworkLink>(m_clock);
  else m_link = std::make_unique<QSerialLink>();
  m_link->onBytes = [this](const QByteArray& b) {
    if (onBytes) onBytes(b);
  };
  m_link->onError = [this](const QString& e) {
    if (onError) onError(e);
  };
  return m_link->open(device, settings, handshake);
}

void SourceLink::close() {
  if (m_link) m_link->close();
}

void SourceLink::write(const QByteArray& bytes) {
  if (m_link) m_link->write(bytes);
}

SerialLinkFactory sourceLinkFactory(const Clock& clock) {
  return [&clock] { return std::unique_ptr<SerialLink>(new SourceLink(clock)); };
}

}  // namespace tavrik
