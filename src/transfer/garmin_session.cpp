#include "transfer/garmin_session.h"

#include "core/messages.h"
#include "transfer/transfer_texts.h"

namespace tavrik::garmin {

GarminSession::GarminSession(SerialLink& port, const Clock& clock, TransferSink& sink)
    : m_clock(clock), m_sink(sink), m_link(port, clock) {
  m_link.onPacket = [this](const Packet& p) { onPacket(p); };
  m_link.onQueueEmpty = [this] {
    if (m_upload && m_state == State::Transferring) complete();
  };
  m_link.onSendFailed = [this] { fail(transfer_text::sendGivenUp()); };
  m_link.askContinue = [this] { return askUser && askUser(transfer_text::sendingFailedContinue()); };
  m_link.onResend = [this] {
    if (beep) beep();
  };
  m_link.onAccepted = [this](const Packet&) {
    // The records count goes first; the items follow in order, then the end.
    if (!m_upload || m_state != State::Transferring) return;
    const int item = m_accepted++ - 1;
    if (item >= 0 && item < static_cast<int>(m_items.size()) && onSent) onSent(item);
  };
}

void GarminSession::startDownload(Dataset what) {
  m_what = what;
  m_upload = false;
  m_items.clear();
  start();
}

void GarminSession::startUpload(Dataset what, std::vector<UploadItem> items) {
  m_what = what;
  m_upload = true;
  m_items = std::move(items);
  start();
}

void GarminSession::start() {
  m_link.clear();
  m_caps = {};
  m_recordNumber = 0;
  m_accepted = 0;
  m_state = State::Identifying;
  m_deadlineMs = nowMs() + kNoAnswerMs;
  m_lastHeardMs = nowMs();
  m_link.send(ProductRequest, QByteArray(1, '\0'));
}

void GarminSession::onBytes(QByteArrayView bytes) {
  if (!running()) return;
  m_lastHeardMs = nowMs();
  m_link.onBytes(bytes);
}

void GarminSession::tick() {
  if (!running()) return;
  m_link.tick();
  if (!running()) return;
  const qint64 now = nowMs();
  if (m_state == State::Identifying && now >= m_deadlineMs) {
    fail(MessageText(Msg::NoGarmin));
  } else if (m_state == State::Identified && now >= m_deadlineMs) {
    proceed();
  } else if (m_state == State::Transferring && m_link.idle() && now - m_lastHeardMs >= kSilenceMs) {
    fail(transfer_text::receiverSilent());
  }
}

void GarminSession::cancel() {
  m_link.clear();
  if (running()) m_state = State::Failed;
}

void GarminSession::portFailed(const QString& error) {
  if (running()) fail(error);
}

void GarminSession::onPacket(const Packet& p) {
  if (p.id == ProductData) {
    const auto product = decodeProductData(p.data);
    if (!product) {
      m_sink.recordRejected(QStringLiteral("Product data of %1 bytes is too short").arg(p.data.size()));
      return;
    }
    if (m_state != State::Identifying) return;  // a repeated identification changes nothing
    m_caps = capabilitiesFromProductTable(product->productId, product->version);
    m_sink.setStatus(productStatusText(*product));
    m_state = State::Identified;
    m_deadlineMs = nowMs() + kProtocolArrayWaitMs;
    return;
  }
  if (p.id == ProtocolArray) {
    if (m_state != State::Identified) return;
    if (!applyProtocolArray(m_caps, p.data))
      m_sink.recordRejected(QStringLiteral("Protocol array of %1 bytes is not a whole number of entries").arg(p.data.size()));
    m_sink.appendStatus(QLatin1Char('\n') + transfer_text::usingA001());
    proceed();
    return;
  }
  if (m_state != State::Transferring) return;
  for (LinkPacket kind : {LinkPacket::TransferComplete, LinkPacket::Records, LinkPacket::WaypointData,
                          LinkPacket::ProximityWaypoint, LinkPacket::RouteHeader, LinkPacket::RouteWaypoint,
                          LinkPacket::TrackData}) {
    if (packetId(m_caps.link, kind) == p.id && p.id != 0) {
      dataPacket(kind, p.data);
      return;
    }
  }
  // Other packets (position, PVT, route links) are not part of these transfers.
}

void GarminSession::dataPacket(LinkPacket kind, const QByteArray& data) {
  auto position = [](double lat, double lon) { return QStringLiteral(" (%1/%2)").arg(lat, 0, 'f', 5).arg(lon, 0, 'f', 5); };
  auto tooShort = [&](const char* what) {
    m_sink.recordRejected(QStringLiteral("%1 record of %2 bytes is too short").arg(QLatin1String(what)).arg(data.size()));
  };
  switch (kind) {
    case LinkPacket::TransferComplete:
      if (!m_upload) complete();
      return;
    case LinkPacket::Records: {
      if (data.size() < 2) return tooShort("Records");
      const int count = readU16(data, 0);
      m_sink.recordsExpected(count);
      if (count < 1) m_sink.recordShown(transfer_text::noData());
      return;
    }
    case LinkPacket::WaypointData:
    case LinkPacket::RouteWaypoint: {
      ++m_recordNumber;
      const bool route = kind == LinkPacket::RouteWaypoint;
      const auto w = decodeWaypoint(m_caps.waypoint, data, m_recordNumber,
                                    route ? QStringLiteral("GARMIN Rte Wpt ") : QStringLiteral("GARMIN Wpt "));
      if (!w) return tooShort("Waypoint");
      m_sink.recordShown(w->ident + position(w->latitude, w->longitude));
      if (route) m_sink.routeWaypoint(*w);
      else m_sink.waypoint(*w, false);
      return;
    }
    case LinkPacket::ProximityWaypoint: {
      const auto w = decodeProximity(m_caps.proximity, data);
      if (!w) return tooShort("Proximity waypoint");
      m_sink.recordShown(w->ident + position(w->latitude, w->longitude));
      m_sink.waypoint(*w, true);
      return;
    }
    case LinkPacket::RouteHeader: {
      const auto h = decodeRouteHeader(m_caps.routeHeader, data);
      if (!h) return tooShort("Route header");
      m_sink.recordShown(h->comment.isEmpty() ? QStringLiteral("Route %1").arg(h->number) : h->comment);
      m_sink.routeHeader(*h);
      return;
    }
    case LinkPacket::TrackData: {
      const auto t = decodeTrackPoint(data);
      if (!t) return tooShort("Track point");
      m_sink.recordShown(QStringLiteral("GARMIN Trackpoint") + position(t->latitude, t->longitude));
      m_sink.trackPoint(*t);
      return;
    }
    default:
      return;
  }
}

void GarminSession::proceed() {
  m_state = State::Transferring;
  m_lastHeardMs = nowMs();
  const CommandProtocol cp = m_caps.command;
  if (!m_upload) {
    static constexpr Command kCommands[] = {Command::TransferWaypoints, Command::TransferProximity,
                                            Command::TransferRoutes, Command::TransferTrack};
    const std::uint8_t code = commandCode(cp, kCommands[static_cast<int>(m_what)]);
    if (code == 0 || (m_what == Dataset::Proximity && !m_caps.hasProximity))
      return fail(transfer_text::noProximitySupport());
    m_link.send(packetId(m_caps.link, LinkPacket::CommandData), QByteArray(1, static_cast<char>(code)));
    return;
  }
  const bool proximity = m_what == Dataset::Proximity;
  if (proximity && (!m_caps.hasProximity || packetId(m_caps.link, LinkPacket::ProximityWaypoint) == 0))
    return fail(transfer_text::noProximitySupport());
  QByteArray count(2, '\0');
  putU16(count, 0, static_cast<std::uint16_t>(std::min<size_t>(m_items.size(), 0xFFFF)));
  m_link.send(packetId(m_caps.link, LinkPacket::Records), count);
  for (const UploadItem& item : m_items) {
    switch (item.kind) {
      case UploadItem::Kind::Waypoint:
        m_link.send(packetId(m_caps.link, LinkPacket::WaypointData), encodeWaypoint(m_caps.waypoint, item.waypoint));
        break;
      case UploadItem::Kind::Proximity:
        m_link.send(packetId(m_caps.link, LinkPacket::ProximityWaypoint), encodeProximity(m_caps.proximity, item.waypoint));
        break;
      case UploadItem::Kind::RouteHeader:
        m_link.send(packetId(m_caps.link, LinkPacket::RouteHeader), encodeRouteHeader(m_caps.routeHeader, item.header));
        break;
      case UploadItem::Kind::RouteWaypoint:
        m_link.send(packetId(m_caps.link, LinkPacket::RouteWaypoint), encodeWaypoint(m_caps.waypoint, item.waypoint));
        break;
    }
  }
  // The end names the transfer just made, as the receiver expects.
  const Command done = m_what == Dataset::Routes ? Command::TransferRoutes
                       : proximity               ? Command::TransferProximity
                                                 : Command::TransferWaypoints;
  m_link.send(packetId(m_caps.link, LinkPacket::TransferComplete), QByteArray(1, static_cast<char>(commandCode(cp, done))));
}

void GarminSession::complete() {
  m_state = State::Completed;
  m_sink.appendStatus(m_upload ? transfer_text::transfersCompleted() : transfer_text::transferCompleted());
  m_sink.completed();
}

void GarminSession::fail(const QString& message) {
  m_link.clear();
  m_state = State::Failed;
  m_sink.failed(message);
}

}  // namespace tavrik::garmin
