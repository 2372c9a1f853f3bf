#include "transfer/garmin_emulator.h"

namespace tavrik::test {

using namespace garmin;

Capabilities GarminEmulator::capabilities() const {
  Capabilities c = capabilitiesFromProductTable(productId, version);
  if (!protocolArray.empty()) applyProtocolArray(c, encodeProtocolArray(protocolArray));
  return c;
}

void GarminEmulator::onBytes(QByteArrayView bytes) {
  if (mute) return;
  m_reader.onBytes(bytes);
  for (const ReceivedFrame& f : m_reader.takeFrames()) {
    if (f.packet.id == Ack || f.packet.id == Nak) {
      if (!f.valid || !m_waiting) continue;
      m_waiting = false;
      if (f.packet.id == Nak) {
        ++naksReceived;
      } else {
        if (m_out.front().id != ProductData && m_out.front().id != ProtocolArray) ++m_dataPackets;
        m_out.pop_front();
      }
      if (!m_out.empty()) sendFront();
      continue;
    }
    if (!f.valid || (nakIncoming > 0 && (nakOnlyId < 0 || nakOnlyId == f.packet.id))) {
      if (f.valid) --nakIncoming;
      write(answerFrame(false, f.packet.id));
      continue;
    }
    write(answerFrame(true, f.packet.id));
    received.push_back(f.packet);
    handle(f.packet);
  }
}

void GarminEmulator::queue(std::uint8_t id, const QByteArray& data) {
  m_out.push_back({id, data});
  if (!m_waiting) sendFront();
}

void GarminEmulator::sendFront() {
  const Packet& p = m_out.front();
  const bool data = p.id != ProductData && p.id != ProtocolArray;
  if (data && silentAfterRecords >= 0 && m_dataPackets >= silentAfterRecords) return;
  QByteArray frame = buildFrame(p.id, p.data);
  if (data && ++m_sentData == damageOutgoing) frame[frame.size() - 3] = static_cast<char>(frame[frame.size() - 3] ^ 0x5A);
  m_waiting = true;
  write(noiseBetweenFrames + frame);
}

void GarminEmulator::handle(const Packet& p) {
  const Capabilities c = capabilities();
  if (p.id == ProductRequest) {
    queue(ProductData, encodeProductData({productId, version, descriptions}));
    if (!protocolArray.empty()) queue(ProtocolArray, encodeProtocolArray(protocolArray));
  } else if (p.id == packetId(c.link, LinkPacket::CommandData) && !p.data.isEmpty()) {
    startDataset(static_cast<std::uint8_t>(p.data[0]));  // one byte, or two from GPSBabel
  } else if (p.id == packetId(c.link, LinkPacket::WaypointData)) {
    if (auto w = decodeWaypoint(c.waypoint, p.data, 0)) uploadedWaypoints.push_back(*w);
  } else if (c.hasProximity && p.id == packetId(c.link, LinkPacket::ProximityWaypoint)) {
    if (auto w = decodeProximity(c.proximity, p.data)) uploadedProximity.push_back(*w);
  } else if (p.id == packetId(c.link, LinkPacket::RouteHeader)) {
    if (auto h = decodeRouteHeader(c.routeHeader, p.data)) uploadedHeaders.push_back(*h);
  } else if (p.id == packetId(c.link, LinkPacket::RouteWaypoint)) {
    if (auto w = decodeWaypoint(c.waypoint, p.data, 0)) uploadedRoutePoints.push_back(*w);
  } else if (p.id == packetId(c.link, LinkPacket::TransferComplete)) {
    ++uploadComplete;
  }
}

void GarminEmulator::startDataset(std::uint8_t command) {
  const Capabilities c = capabilities();
  std::vector<Packet> packets;
  auto code = [&](Command cmd) { return commandCode(c.command, cmd); };
  if (command == code(Command::TransferWaypoints)) {
    for (const auto& w : waypoints) packets.push_back({packetId(c.link, LinkPacket::WaypointData), encodeWaypoint(c.waypoint, w)});
  } else if (command == code(Command::TransferProximity) && c.hasProximity) {
    for (const auto& w : proximity) packets.push_back({packetId(c.link, LinkPacket::ProximityWaypoint), encodeProximity(c.proximity, w)});
  } else if (command == code(Command::TransferRoutes)) {
    for (const auto& r : routes) {
      packets.push_back({packetId(c.link, LinkPacket::RouteHeader), encodeRouteHeader(c.routeHeader, r.header)});
      for (const auto& w : r.points) packets.push_back({packetId(c.link, LinkPacket::RouteWaypoint), encodeWaypoint(c.waypoint, w)});
    }
  } else if (command == code(Command::TransferTrack)) {
    for (const auto& t : track) packets.push_back({packetId(c.link, LinkPacket::TrackData), encodeTrackPoint(t)});
  } else {
    return;
  }
  packets.insert(packets.end(), extraPackets.begin(), extraPackets.end());
  m_dataPackets = 0;
  QByteArray count(2, '\0');
  putU16(count, 0, static_cast<std::uint16_t>(packets.size()));
  queue(packetId(c.link, LinkPacket::Records), count);
  for (const Packet& p : packets) queue(p.id, p.data);
  queue(packetId(c.link, LinkPacket::TransferComplete), QByteArray(2, '\0').replace(0, 1, QByteArray(1, static_cast<char>(command))));
}

}  // namespace tavrik::test
