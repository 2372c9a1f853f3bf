#pragma once
// The Garmin serial link: frames (DLE id size data checksum DLE ETX, every DLE in
// size, data and checksum doubled), the little-endian field codecs, semicircles,
// the record layouts of waypoints, proximity waypoints, route headers and track
// points, product data, the A001 protocol array and the product table that tells
// which packet ids, commands and record types a receiver speaks.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavrik::garmin {

inline constexpr std::uint8_t DLE = 16;
inline constexpr std::uint8_t ETX = 3;

// Ids that never change with the link protocol.
enum FixedId : std::uint8_t { Ack = 6, Nak = 21, ProtocolArray = 253, ProductRequest = 254, ProductData = 255 };

struct Packet {
  std::uint8_t id = 0;
  QByteArray data;
};

// (256 - (id + size + data) mod 256) mod 256.
std::uint8_t checksum(std::uint8_t id, QByteArrayView data);
// Every byte 16 doubled.
QByteArray stuffDle(QByteArrayView bytes);
// The whole frame as written to the line.
QByteArray buildFrame(std::uint8_t id, QByteArrayView data);
// The answer to a received packet: size 2, the packet's id and a 0 byte.
QByteArray answerFrame(bool ack, std::uint8_t receivedId);

// A frame taken off the line. `valid` is false for a bad checksum or a size byte
// that does not match the data; such a frame is answered with NAK and not used.
struct ReceivedFrame {
  Packet packet;
  bool valid = false;
};

// Receive state machine: bytes before a DLE are dropped, a frame may be split
// anywhere, DLE DLE is one data byte, DLE ETX ends the frame. A DLE followed by
// anything else starts a new frame (the broken one is given up).
class FrameReader {
 public:
  void onBytes(QByteArrayView bytes);
  // Frames completed so far, oldest first.
  std::vector<ReceivedFrame> takeFrames();
  bool midFrame() const { return m_state != State::Hunting; }

 private:
  enum class State { Hunting, Id, Body, BodyDle };
  void finish();
  State m_state = State::Hunting;
  std::uint8_t m_id = 0;
  QByteArray m_body;  // size, data, checksum, unstuffed
  std::vector<ReceivedFrame> m_done;
};

// Little-endian codecs.
std::uint16_t readU16(QByteArrayView d, qsizetype at);
std::uint32_t readU32(QByteArrayView d, qsizetype at);
std::int32_t readS32(QByteArrayView d, qsizetype at);
float readFloat(QByteArrayView d, qsizetype at);
void putU16(QByteArray& d, qsizetype at, std::uint16_t v);
void putU32(QByteArray& d, qsizetype at, std::uint32_t v);
void putFloat(QByteArray& d, qsizetype at, float v);

// degrees = semicircles * 180 / 2^31.
double semicirclesToDegrees(std::int32_t s);
std::int32_t degreesToSemicircles(double degrees);

// Times count seconds from 1989-12-31 00:00:00 UTC, as the receivers do.
QDateTime garminTimeToUtc(std::uint32_t seconds);
std::uint32_t utcToGarminTime(const QDateTime& t);

enum class LinkProtocol { L001, L002 };
enum class CommandProtocol { A010, A011 };
enum class WaypointType { D100, D101, D102, D103, D104, D105, D106, D107, D150, D151, D152, D154, D155 };
enum class ProximityType { D400, D403, D450 };
enum class RouteHeaderType { D200, D201, D202 };

enum class LinkPacket {
  CommandData, TransferComplete, DateTime, PositionData, ProximityWaypoint, Records, RouteHeader,
  RouteWaypoint, Almanac, TrackData, WaypointData, PvtData
};
enum class Command { TransferWaypoints, TransferProximity, TransferRoutes, TransferTrack };

// Packet id under the link protocol; 0 when the packet does not exist there.
std::uint8_t packetId(LinkProtocol link, LinkPacket p);
// Command code under the command protocol; 0 when the command does not exist there.
std::uint8_t commandCode(CommandProtocol cmd, Command c);

// What the receiver speaks, from the product table and refined by a protocol array.
struct Capabilities {
  int productId = 0;
  int version = 0;  // hundredths
  LinkProtocol link = LinkProtocol::L002;
  CommandProtocol command = CommandProtocol::A011;
  WaypointType waypoint = WaypointType::D100;
  RouteHeaderType routeHeader = RouteHeaderType::D200;
  ProximityType proximity = ProximityType::D400;
  bool hasProximity = false;  // the receiver keeps proximity waypoints
  bool fromProtocolArray = false;
};

Capabilities capabilitiesFromProductTable(int productId, int version);

struct ProductInfo {
  int productId = 0;
  int version = 0;
  QStringList descriptions;
};
// Needs at least the 4 bytes of id and version; the texts may be missing.
std::optional<ProductInfo> decodeProductData(QByteArrayView data);
QByteArray encodeProductData(const ProductInfo& p);
// "ID: 77, Ver: 3.50" + line break + the texts, one per line.
QString productStatusText(const ProductInfo& p);

// Applies the 3-byte entries; false when the length is not a multiple of 3 (the
// whole entries are still applied).
bool applyProtocolArray(Capabilities& caps, QByteArrayView data);
QByteArray encodeProtocolArray(const std::vector<std::pair<char, int>>& entries);

// One waypoint or proximity waypoint as the transfers use it.
struct WaypointRecord {
  QString ident;    // 6 characters
  QString comment;  // up to 40 characters
  double latitude = 0, longitude = 0;
  float distanceM = 0;  // proximity distance, metres
  int symbol = 0;
  int display = 0;
};

// Record length of a type (the fixed part; D105/D106 carry a variable name).
int recordLength(WaypointType t);
int recordLength(ProximityType t);
// Decoding fails (nullopt) on a record shorter than its type. `number` names D105
// and D106 records, which carry no ident: `identPrefix` + number, cut to 6.
std::optional<WaypointRecord> decodeWaypoint(WaypointType t, QByteArrayView d, int number,
                                             const QString& identPrefix = QStringLiteral("GARMIN Wpt "));
std::optional<WaypointRecord> decodeProximity(ProximityType t, QByteArrayView d);
QByteArray encodeWaypoint(WaypointType t, const WaypointRecord& w);
QByteArray encodeProximity(ProximityType t, const WaypointRecord& w);

struct RouteHeader {
  int number = 0;
  QString comment;
};
std::optional<RouteHeader> decodeRouteHeader(RouteHeaderType t, QByteArrayView d);
QByteArray encodeRouteHeader(RouteHeaderType t, const RouteHeader& h);

struct TrackPoint {
  double latitude = 0, longitude = 0;
  QDateTime timeUtc;
  bool newTrack = false;
};
inline constexpr int kTrackPointLength = 13;
std::optional<TrackPoint> decodeTrackPoint(QByteArrayView d);
QByteArray encodeTrackPoint(const TrackPoint& p);

}  // namespace tavrik::garmin
