#pragma once
// A Garmin hand-held as tests need it: it answers the product request, sends the
// dataset a command asks for one packet at a time (each after the host's ACK,
// again after a NAK), and keeps what a host uploads. Bytes in through onBytes(),
// bytes out through `write`. Faults on demand: a damaged frame, NAKs, silence.

#include <QByteArray>
#include <deque>
#include <functional>
#include <vector>

#include "transfer/garmin_protocol.h"

namespace tavrik::test {

struct EmulatedRoute {
  garmin::RouteHeader header;
  std::vector<garmin::WaypointRecord> points;
};

class GarminEmulator {
 public:
  // Product data and, when not empty, a protocol array after it.
  int productId = 999;
  int version = 310;
  QStringList descriptions{QStringLiteral("EMU GPS 12 Software Version 3.10")};
  std::vector<std::pair<char, int>> protocolArray{{'P', 0}, {'L', 1}, {'A', 10}, {'A', 100}, {'D', 100},
                                                  {'A', 200}, {'D', 200}, {'D', 100}, {'A', 300}, {'D', 300}};
  // The datasets it holds.
  std::vector<garmin::WaypointRecord> waypoints, proximity;
  std::vector<EmulatedRoute> routes;
  std::vector<garmin::TrackPoint> track;

  // Faults: send the n-th outgoing data packet (1-based) once with a bad checksum;
  // NAK the first n packets the host sends; answer nothing once n packets of a
  // dataset have gone out (-1: never); stay silent altogether.
  int damageOutgoing = 0;
  int nakIncoming = 0;
  int nakOnlyId = -1;  // when set, only packets of this id are NAKed
  int silentAfterRecords = -1;
  bool mute = false;
  QByteArray noiseBetweenFrames;
  // Sent after the records of any dataset, before the end.
  std::vector<garmin::Packet> extraPackets;

  std::function<void(const QByteArray&)> write;

  // What it has seen.
  std::vector<garmin::Packet> received;  // sound packets from the host, ACK/NAK excluded
  int naksReceived = 0;
  std::vector<garmin::WaypointRecord> uploadedWaypoints, uploadedProximity, uploadedRoutePoints;
  std::vector<garmin::RouteHeader> uploadedHeaders;
  int uploadComplete = 0;

  void onBytes(QByteArrayView bytes);
  garmin::Capabilities capabilities() const;

 private:
  void handle(const garmin::Packet& p);
  void queue(std::uint8_t id, const QByteArray& data);
  void sendFront();
  void startDataset(std::uint8_t command);
  garmin::FrameReader m_reader;
  std::deque<garmin::Packet> m_out;
  bool m_waiting = false;
  int m_sentData = 0;
  int m_dataPackets = 0;  // of the current dataset
};

}  // namespace tavrik::test
