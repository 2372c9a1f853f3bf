#include "transfer/garmin_protocol.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavrik::garmin {

std::uint8_t checksum(std::uint8_t id, QByteArrayView data) {
  unsigned sum = id + static_cast<unsigned>(data.size() & 0xFF);
  for (char c : data) sum += static_cast<std::uint8_t>(c);
  return static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

QByteArray stuffDle(QByteArrayView bytes) {
  QByteArray out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    out.append(c);
    if (static_cast<std::uint8_t>(c) == DLE) out.append(c);
  }
  return out;
}

QByteArray buildFrame(std::uint8_t id, QByteArrayView data) {
  QByteArray body;
  body.reserve(data.size() + 2);
  body.append(static_cast<char>(data.size() & 0xFF));
  body.append(data.data(), data.size());
  body.append(static_cast<char>(checksum(id, data)));
  QByteArray frame;
  frame.append(static_cast<char>(DLE));
  frame.append(static_cast<char>(id));  // the id is never stuffed
  frame.append(stuffDle(body));
  frame.append(static_cast<char>(DLE));
  frame.append(static_cast<char>(ETX));
  return frame;
}

QByteArray answerFrame(bool ack, std::uint8_t receivedId) {
  const char data[2] = {static_cast<char>(receivedId), 0};
  return buildFrame(ack ? Ack : Nak, QByteArrayView(data, 2));
}

void FrameReader::onBytes(QByteArrayView bytes) {
  for (char ch : bytes) {
    const auto b = static_cast<std::uint8_t>(ch);
    switch (m_state) {
      case State::Hunting:
        if (b == DLE) m_state = State::Id;
        break;
      case State::Id:
        m_id = b;
        m_body.clear();
        m_state = State::Body;
        break;
      case State::Body:
        if (b == DLE) {
          m_state = State::BodyDle;
        } else {
          m_body.append(ch);
          // size byte + 255 data + checksum is the longest body; beyond it the frame is noise
          if (m_body.size() > 258) m_state = State::Hunting;
        }
        break;
      case State::BodyDle:
        if (b == DLE) {
          m_body.append(ch);
          m_state = State::Body;
        } else if (b == ETX) {
          finish();
          m_state = State::Hunting;
        } else {
          // A lone DLE: the previous frame was cut off; this DLE starts the next.
          m_id = b;
          m_body.clear();
          m_state = State::Body;
        }
        break;
    }
  }
}

void FrameReader::finish() {
  ReceivedFrame f;
  f.packet.id = m_id;
  if (m_body.size() >= 2) {
    const auto size = static_cast<std::uint8_t>(m_body.at(0));
    f.packet.data = m_body.mid(1, m_body.size() - 2);
    const auto sum = static_cast<std::uint8_t>(m_body.back());
    f.valid = size == f.packet.data.size() && checksum(m_id, f.packet.data) == sum;
  }
  m_done.push_back(std::move(f));
}

std::vector<ReceivedFrame> FrameReader::takeFrames() {
  std::vector<ReceivedFrame> out;
  out.swap(m_done);
  return out;
}

static std::uint8_t byteAt(QByteArrayView d, qsizetype i) { return static_cast<std::uint8_t>(d[i]); }

std::uint16_t readU16(QByteArrayView d, qsizetype at) {
  return static_cast<std::uint16_t>(byteAt(d, at) | (byteAt(d, at + 1) << 8));
}
std::uint32_t readU32(QByteArrayView d, qsizetype at) {
  return static_cast<std::uint32_t>(byteAt(d, at)) | (static_cast<std::uint32_t>(byteAt(d, at + 1)) << 8) |
         (static_cast<std::uint32_t>(byteAt(d, at + 2)) << 16) | (static_cast<std::uint32_t>(byteAt(d, at + 3)) << 24);
}
std::int32_t readS32(QByteArrayView d, qsizetype at) { return static_cast<std::int32_t>(readU32(d, at)); }
float readFloat(QByteArrayView d, qsizetype at) {
  const std::uint32_t bits = readU32(d, at);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
void putU16(QByteArray& d, qsizetype at, std::uint16_t v) {
  d[at] = static_cast<char>(v & 0xFF);
  d[at + 1] = static_cast<char>(v >> 8);
}
void putU32(QByteArray& d, qsizetype at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putFloat(QByteArray& d, qsizetype at, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  putU32(d, at, bits);
}

double semicirclesToDegrees(std::int32_t s) { return s * (180.0 / 2147483648.0); }

std::int32_t degreesToSemicircles(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  const double s = std::round(degrees * (2147483648.0 / 180.0));
  if (s >= 2147483647.0) return 2147483647;  // 180 degrees east is -180 on the wire's circle
  if (s <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(s);
}

static const QDateTime& garminEpoch() {
  static const QDateTime epoch(QDate(1989, 12, 31), QTime(0, 0), Qt::UTC);
  return epoch;
}
QDateTime garminTimeToUtc(std::uint32_t seconds) { return garminEpoch().addSecs(seconds); }
std::uint32_t utcToGarminTime(const QDateTime& t) {
  const qint64 s = garminEpoch().secsTo(t);
  return s < 0 ? 0u : static_cast<std::uint32_t>(std::min<qint64>(s, 0xFFFFFFFFLL));
}

std::uint8_t packetId(LinkProtocol link, LinkPacket p) {
  static constexpr std::uint8_t l001[] = {10, 12, 14, 17, 19, 27, 29, 30, 31, 34, 35, 51};
  static constexpr std::uint8_t l002[] = {11, 12, 20, 24, 0, 35, 37, 39, 4, 0, 43, 0};
  const auto i = static_cast<size_t>(p);
  return link == LinkProtocol::L001 ? l001[i] : l002[i];
}

std::uint8_t commandCode(CommandProtocol cmd, Command c) {
  static constexpr std::uint8_t a010[] = {7, 3, 4, 6};
  static constexpr std::uint8_t a011[] = {21, 0, 8, 6};
  const auto i = static_cast<size_t>(c);
  return cmd == CommandProtocol::A010 ? a010[i] : a011[i];
}

Capabilities capabilitiesFromProductTable(int id, int version) {
  Capabilities c;
  c.productId = id;
  c.version = version;
  c.link = LinkProtocol::L001;
  c.command = CommandProtocol::A010;
  auto in = [id](std::initializer_list<int> ids) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
  auto set = [&c](WaypointType w, RouteHeaderType r) {
    c.waypoint = w;
    c.routeHeader = r;
  };
  auto prox = [&c](ProximityType p) {
    c.proximity = p;
    c.hasProximity = true;
  };
  using W = WaypointType;
  using R = RouteHeaderType;
  if (in({13, 18, 23, 24, 35, 42})) {
    set(W::D100, R::D201);
    prox(ProximityType::D400);
  } else if (id == 14) {
    set(W::D100, R::D200);
    prox(ProximityType::D400);
  } else if (id == 15) {
    set(W::D151, R::D200);
  } else if (in({20, 33, 34, 52, 64, 98})) {
    set(W::D150, R::D201);
    prox(ProximityType::D450);
    c.link = LinkProtocol::L002;
    c.command = CommandProtocol::A011;
  } else if (in({22, 45, 50, 53, 36})) {
    set(W::D152, R::D201);
  } else if (id == 29) {
    set(version >= 400 ? W::D102 : W::D101, R::D201);
  } else if (in({31, 41, 47, 55, 56, 59, 61, 62, 74})) {
    set(W::D100, R::D201);
  } else if (id == 39) {
    set(W::D151, R::D201);
  } else if (id == 44) {
    set(W::D101, R::D201);
  } else if (id == 48) {
    set(W::D154, R::D201);
  } else if (in({49, 76})) {
    set(W::D102, R::D201);
  } else if (id == 71) {
    set(W::D155, R::D201);
  } else if (id == 72) {
    set(W::D104, R::D201);
  } else if (in({73, 97})) {
    set(W::D103, R::D201);
  } else if (id == 77) {
    if (version < 301) {
      set(W::D100, R::D201);
      prox(ProximityType::D400);
    } else if (version >= 350 && version < 361) {
      set(W::D103, R::D201);
    } else {
      set(W::D103, R::D201);
      prox(ProximityType::D403);
    }
  } else if (in({87, 95, 96, 100, 105, 106, 138})) {
    set(W::D103, R::D201);
    prox(ProximityType::D403);
  } else {
    c.link = LinkProtocol::L002;
    c.command = CommandProtocol::A011;
  }
  return c;
}

std::optional<ProductInfo> decodeProductData(QByteArrayView d) {
  if (d.size() < 4) return std::nullopt;
  ProductInfo p;
  p.productId = readU16(d, 0);
  p.version = static_cast<std::int16_t>(readU16(d, 2));
  QByteArray text;
  for (qsizetype i = 4; i < d.size(); ++i) {
    if (d[i] == 0) {
      p.descriptions << QString::fromLatin1(text);
      text.clear();
    } else {
      text.append(d[i]);
    }
  }
  if (!text.isEmpty()) p.descriptions << QString::fromLatin1(text);
  return p;
}

QByteArray encodeProductData(const ProductInfo& p) {
  QByteArray d(4, 0);
  putU16(d, 0, static_cast<std::uint16_t>(p.productId));
  putU16(d, 2, static_cast<std::uint16_t>(p.version));
  for (const QString& s : p.descriptions) d.append(s.toLatin1()).append('\0');
  return d;
}

QString productStatusText(const ProductInfo& p) {
  QString text = QStringLiteral("ID: %1, Ver: %2.%3").arg(p.productId).arg(p.version / 100).arg(p.version % 100, 2, 10, QLatin1Char('0'));
  text += QLatin1Char('\n') + p.descriptions.join(QLatin1Char('\n'));
  return text;
}

bool applyProtocolArray(Capabilities& c, QByteArrayView d) {
  c.fromProtocolArray = true;
  c.hasProximity = false;
  for (qsizetype i = 0; i + 3 <= d.size(); i += 3) {
    const char tag = d[i];
    const int n = readU16(d, i + 1);
    if (tag == 'L' && (n == 1 || n == 2)) {
      c.link = n == 1 ? LinkProtocol::L001 : LinkProtocol::L002;
    } else if (tag == 'A' && (n == 10 || n == 11)) {
      c.command = n == 10 ? CommandProtocol::A010 : CommandProtocol::A011;
    } else if (tag == 'D' && n >= 100 && n <= 155) {
      static const std::pair<int, WaypointType> kTypes[] = {
          {101, WaypointType::D101}, {102, WaypointType::D102}, {103, WaypointType::D103}, {104, WaypointType::D104},
          {105, WaypointType::D105}, {106, WaypointType::D106}, {107, WaypointType::D107}, {150, WaypointType::D150},
          {151, WaypointType::D151}, {152, WaypointType::D152}, {154, WaypointType::D154}, {155, WaypointType::D155}};
      c.waypoint = WaypointType::D100;
      for (const auto& [num, type] : kTypes)
        if (num == n) c.waypoint = type;
    } else if (tag == 'D' && n >= 200 && n <= 202) {
      c.routeHeader = static_cast<RouteHeaderType>(n - 200);
    } else if (tag == 'D' && (n == 400 || n == 403 || n == 450)) {
      c.proximity = n == 400 ? ProximityType::D400 : n == 403 ? ProximityType::D403 : ProximityType::D450;
      c.hasProximity = true;
    }
  }
  return d.size() % 3 == 0;
}

QByteArray encodeProtocolArray(const std::vector<std::pair<char, int>>& entries) {
  QByteArray d;
  for (const auto& [tag, n] : entries) {
    d.append(tag);
    d.append(static_cast<char>(n & 0xFF));
    d.append(static_cast<char>((n >> 8) & 0xFF));
  }
  return d;
}

namespace {

// 0-based offsets in Garmin's published layouts; -1 where the type has no such field.
struct Layout {
  int length, ident, lat, lon, comment, dist, symbol, symbolBytes, display;
  int classAt = -1, userClass = 0;  // waypoint class byte and its "user waypoint" value
  int cityAt = -1;                  // D15x: city 24, state 2, name 30 (and country 2) as blanks
};

Layout layoutOf(WaypointType t) {
  switch (t) {
    case WaypointType::D100: return {58, 0, 6, 10, 18, -1, -1, 0, -1};
    case WaypointType::D101: return {63, 0, 6, 10, 18, 58, 62, 1, -1};
    case WaypointType::D102: return {64, 0, 6, 10, 18, 58, 62, 2, -1};
    case WaypointType::D103: return {60, 0, 6, 10, 18, -1, 58, 1, 59};
    case WaypointType::D104: return {65, 0, 6, 10, 18, 58, 62, 2, 64};
    case WaypointType::D105: return {11, -1, 0, 4, 10, -1, 8, 2, -1};
    case WaypointType::D106: return {26, -1, 14, 18, 24, -1, 22, 2, -1};
    case WaypointType::D107: return {65, 0, 6, 10, 18, 60, 58, 1, 59};
    case WaypointType::D150: return {115, 0, 9, 13, 75, -1, -1, 0, -1, 8, 4, 19};
    case WaypointType::D151: return {124, 0, 6, 10, 18, 58, -1, 0, -1, 123, 2, 62};
    case WaypointType::D152: return {124, 0, 6, 10, 18, 58, -1, 0, -1, 123, 4, 62};
    case WaypointType::D154: return {126, 0, 6, 10, 18, 58, 124, 2, -1, 123, 4, 62};
    case WaypointType::D155: return {127, 0, 6, 10, 18, 58, 124, 2, 126, 123, 4, 62};
  }
  return {58, 0, 6, 10, 18, -1, -1, 0, -1};
}

Layout layoutOf(ProximityType t) {
  switch (t) {
    case ProximityType::D400: return {62, 0, 6, 10, 18, 58, -1, 0, -1};
    case ProximityType::D403: return {64, 0, 6, 10, 18, 60, 58, 1, 59};
    case ProximityType::D450: return {121, 2, 11, 15, 77, 117, -1, 0, -1, 10, 4, 21};
  }
  return {62, 0, 6, 10, 18, 58, -1, 0, -1};
}

QString fixedText(QByteArrayView d, int at, int width) {
  QByteArray raw = d.sliced(at, width).toByteArray();
  const qsizetype zero = raw.indexOf('\0');
  if (zero >= 0) raw.truncate(zero);
  return QString::fromLatin1(raw).trimmed();
}

void putText(QByteArray& d, int at, int width, const QString& text) {
  const QByteArray t = text.toLatin1().left(width).leftJustified(width, ' ');
  std::memcpy(d.data() + at, t.constData(), static_cast<size_t>(width));
}

std::optional<WaypointRecord> decodeWith(const Layout& l, QByteArrayView d) {
  if (d.size() < l.length) return std::nullopt;
  WaypointRecord w;
  w.ident = fixedText(d, l.ident, 6);
  w.latitude = semicirclesToDegrees(readS32(d, l.lat));
  w.longitude = semicirclesToDegrees(readS32(d, l.lon));
  w.comment = fixedText(d, l.comment, 40);
  if (l.dist >= 0) w.distanceM = readFloat(d, l.dist);
  if (l.symbol >= 0) w.symbol = l.symbolBytes == 1 ? static_cast<std::uint8_t>(d[l.symbol]) : readU16(d, l.symbol);
  if (l.display >= 0) w.display = static_cast<std::uint8_t>(d[l.display]);
  return w;
}

QByteArray encodeWith(const Layout& l, const WaypointRecord& w) {
  QByteArray d(l.length, '\0');
  putText(d, l.ident, 6, w.ident);
  putU32(d, l.lat, static_cast<std::uint32_t>(degreesToSemicircles(w.latitude)));
  putU32(d, l.lon, static_cast<std::uint32_t>(degreesToSemicircles(w.longitude)));
  putText(d, l.comment, 40, w.comment);
  if (l.dist >= 0) putFloat(d, l.dist, w.distanceM);
  if (l.symbol >= 0) {
    if (l.symbolBytes == 1) d[l.symbol] = static_cast<char>(w.symbol & 0xFF);
    else putU16(d, l.symbol, static_cast<std::uint16_t>(w.symbol));
  }
  if (l.display >= 0) d[l.display] = static_cast<char>(w.display & 0xFF);
  if (l.classAt >= 0) d[l.classAt] = static_cast<char>(l.userClass);
  if (l.cityAt >= 0) {
    if (l.cityAt == l.ident + 19) {  // D150 family: country code, then city, state, name
      putText(d, l.ident + 6, 2, {});
      putText(d, l.cityAt, 24 + 2 + 30, {});
    } else {  // D151 family: name 30, city 24, state 2, altitude, country code
      putText(d, l.cityAt, 30 + 24 + 2, {});
      putText(d, l.cityAt + 58, 2, {});
    }
  }
  return d;
}

// The zero-terminated name of D105/D106, at most 40 characters kept.
QString zeroTerminated(QByteArrayView d, qsizetype at) {
  QByteArray raw;
  for (qsizetype i = at; i < d.size() && d[i] != 0; ++i) raw.append(d[i]);
  return QString::fromLatin1(raw.left(40)).trimmed();
}

}  // namespace

int recordLength(WaypointType t) { return layoutOf(t).length; }
int recordLength(ProximityType t) { return layoutOf(t).length; }

std::optional<WaypointRecord> decodeWaypoint(WaypointType t, QByteArrayView d, int number, const QString& identPrefix) {
  if (t != WaypointType::D105 && t != WaypointType::D106) return decodeWith(layoutOf(t), d);
  const Layout l = layoutOf(t);
  if (d.size() < l.length) return std::nullopt;
  WaypointRecord w;
  w.latitude = semicirclesToDegrees(readS32(d, l.lat));
  w.longitude = semicirclesToDegrees(readS32(d, l.lon));
  w.symbol = readU16(d, l.symbol);
  w.comment = zeroTerminated(d, l.comment);
  // These records carry a name instead of a 6-character ident. Cutting "GARMIN Wpt n"
  // to six characters would give every record the same ident, so each downloaded
  // waypoint would overwrite the one before: the name is the ident, the generated
  // text only stands in for a missing name.
  w.ident = w.comment.isEmpty() ? identPrefix + QString::number(number) : w.comment;
  return w;
}

std::optional<WaypointRecord> decodeProximity(ProximityType t, QByteArrayView d) { return decodeWith(layoutOf(t), d); }

QByteArray encodeWaypoint(WaypointType t, const WaypointRecord& w) {
  if (t != WaypointType::D105 && t != WaypointType::D106) return encodeWith(layoutOf(t), w);
  const Layout l = layoutOf(t);
  QByteArray d(l.comment, '\0');
  if (t == WaypointType::D106) std::memset(d.data() + 7, 0xFF, 7);  // subclass of a user waypoint
  putU32(d, l.lat, static_cast<std::uint32_t>(degreesToSemicircles(w.latitude)));
  putU32(d, l.lon, static_cast<std::uint32_t>(degreesToSemicircles(w.longitude)));
  putU16(d, l.symbol, static_cast<std::uint16_t>(w.symbol));
  d.append(w.ident.trimmed().toLatin1().left(40)).append('\0');
  if (t == WaypointType::D106) d.append('\0');  // empty link ident
  return d;
}

QByteArray encodeProximity(ProximityType t, const WaypointRecord& w) { return encodeWith(layoutOf(t), w); }

std::optional<RouteHeader> decodeRouteHeader(RouteHeaderType t, QByteArrayView d) {
  RouteHeader h;
  switch (t) {
    case RouteHeaderType::D200:
      if (d.size() < 1) return std::nullopt;
      h.number = static_cast<std::uint8_t>(d[0]);
      return h;
    case RouteHeaderType::D201:
      if (d.size() < 21) return std::nullopt;
      h.number = static_cast<std::uint8_t>(d[0]);
      h.comment = fixedText(d, 1, 20);
      return h;
    case RouteHeaderType::D202:
      // A zero-terminated route name and no number.
      if (d.isEmpty()) return std::nullopt;
      h.comment = zeroTerminated(d, 0);
      return h;
  }
  return std::nullopt;
}

QByteArray encodeRouteHeader(RouteHeaderType t, const RouteHeader& h) {
  switch (t) {
    case RouteHeaderType::D200: return QByteArray(1, static_cast<char>(h.number & 0xFF));
    case RouteHeaderType::D201: {
      QByteArray d(21, '\0');
      d[0] = static_cast<char>(h.number & 0xFF);
      putText(d, 1, 20, h.comment);
      return d;
    }
    case RouteHeaderType::D202: return h.comment.toLatin1().append('\0');
  }
  return {};
}

std::optional<TrackPoint> decodeTrackPoint(QByteArrayView d) {
  if (d.size() < kTrackPointLength) return std::nullopt;
  TrackPoint p;
  p.latitude = semicirclesToDegrees(readS32(d, 0));
  p.longitude = semicirclesToDegrees(readS32(d, 4));
  p.timeUtc = garminTimeToUtc(readU32(d, 8));
  p.newTrack = d[12] != 0;
  return p;
}

QByteArray encodeTrackPoint(const TrackPoint& p) {
  QByteArray d(kTrackPointLength, '\0');
  putU32(d, 0, static_cast<std::uint32_t>(degreesToSemicircles(p.latitude)));
  putU32(d, 4, static_cast<std::uint32_t>(degreesToSemicircles(p.longitude)));
  putU32(d, 8, utcToGarminTime(p.timeUtc));
  d[12] = p.newTrack ? 1 : 0;
  return d;
}

}  // namespace tavrik::garmin
