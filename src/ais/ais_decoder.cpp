#include "ais/ais_decoder.h"

#include <cstring>

namespace tavrik {
namespace {

// Armoured character to its six bits, 0xff for a character outside the alphabet.
struct SixBitTable {
  std::array<uint8_t, 256> value;
  SixBitTable() {
    value.fill(0xff);
    for (int c = 48; c < 88; ++c) value[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 48);
    for (int c = 96; c < 120; ++c) value[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 56);
  }
};
const SixBitTable kSixBit;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The payload as a bit string read from the most significant end, packed into bytes
// so that a field is one 64-bit load and a shift.
class Bits {
 public:
  bool load(std::string_view payload, int fillBits) {
    if (payload.size() > static_cast<size_t>(AisDecoder::kMaxPayload)) return false;
    uint32_t acc = 0;
    int held = 0;
    size_t out = 0;
    for (char ch : payload) {
      const uint8_t v = kSixBit.value[static_cast<unsigned char>(ch)];
      if (v == 0xff) return false;
      acc = (acc << 6) | v;
      held += 6;
      if (held >= 8) {
        held -= 8;
        m_bytes[out++] = static_cast<uint8_t>(acc >> held);
      }
    }
    if (held > 0) m_bytes[out++] = static_cast<uint8_t>(acc << (8 - held));
    // Bits past the end read as zero.
    std::memset(m_bytes.data() + out, 0, m_bytes.size() - out);
    m_length = static_cast<int>(payload.size()) * 6 - fillBits;
    if (m_length <= 0) return false;
    // Fill bits are not data: cleared so a field that overlaps them reads zero.
    const int lastByte = (m_length - 1) / 8;
    m_bytes[static_cast<size_t>(lastByte)] &= static_cast<uint8_t>(0xff00 >> (1 + (m_length - 1) % 8));
    std::memset(m_bytes.data() + lastByte + 1, 0, m_bytes.size() - static_cast<size_t>(lastByte) - 1);
    return true;
  }
  int length() const { return m_length; }
  // width at most 32.
  uint32_t u(int start, int width) const {
    const size_t at = static_cast<size_t>(start / 8);
    uint64_t w = 0;
    for (size_t i = 0; i < 8; ++i) w = (w << 8) | m_bytes[at + i];
    return static_cast<uint32_t>((w << (start % 8)) >> (64 - width));
  }
  int s(int start, int width) const {
    const uint32_t v = u(start, width);
    const uint32_t sign = 1u << (width - 1);
    return static_cast<int>(v ^ sign) - static_cast<int>(sign);
  }
  bool b(int start) const { return u(start, 1) != 0; }
  // Six-bit text: '@' ends it, trailing blanks are dropped.
  template <size_t N>
  void text(int start, int chars, std::array<char, N>& out, size_t at = 0) const {
    size_t n = at;
    for (int k = 0; k < chars && n + 1 < N; ++k) {
      if (start + 6 * k + 6 > m_length) break;
      uint32_t c = u(start + 6 * k, 6);
      if (c == 0) break;
      if (c < 32) c += 64;
      out[n++] = static_cast<char>(c);
    }
    while (n > at && out[n - 1] == ' ') --n;
    out[n] = 0;
  }

 private:
  std::array<uint8_t, AisDecoder::kMaxPayload * 6 / 8 + 8> m_bytes{};
  int m_length = 0;
};

void dimensions(const Bits& b, int start, AisMessage& m) {
  m.toBow = static_cast<int>(b.u(start, 9));
  m.toStern = static_cast<int>(b.u(start + 9, 9));
  m.toPort = static_cast<int>(b.u(start + 18, 6));
  m.toStarboard = static_cast<int>(b.u(start + 24, 6));
}

// Field n (0-based) of a comma-separated sentence; false when there are fewer.
bool field(std::string_view line, int n, std::string_view& out) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = line.find(',', start);
    if (start == std::string_view::npos) return false;
    ++start;
  }
  size_t end = line.find_first_of(",*", start);
  if (end == std::string_view::npos) end = line.size();
  out = line.substr(start, end - start);
  return true;
}

}  // namespace

AisDecoder::Result AisDecoder::error() {
  ++m_counters.errors;
  return Result::Error;
}

AisDecoder::Result AisDecoder::feed(std::string_view line) {
  // "!AIVDM" / "!BSVDO": any talker; '$' too, which some receivers use.
  if (line.size() < 7 || (line[0] != '!' && line[0] != '$') || line[3] != 'V' || line[4] != 'D' ||
      (line[5] != 'M' && line[5] != 'O') || line[6] != ',')
    return Result::NotAis;
  ++m_counters.sentences;
  const size_t star = line.find('*');
  if (star != std::string_view::npos) {
    if (star + 3 != line.size()) return error();
    const int hi = hexDigit(line[star + 1]), lo = hexDigit(line[star + 2]);
    if (hi < 0 || lo < 0) return error();
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
    if (sum != static_cast<unsigned>(hi * 16 + lo)) return error();
    line = line.substr(0, star);
  }
  std::string_view count, number, sequence, channel, payload, fill;
  if (!field(line, 1, count) || !field(line, 2, number) || !field(line, 3, sequence) || !field(line, 4, channel) ||
      !field(line, 5, payload) || !field(line, 6, fill))
    return error();
  if (count.size() != 1 || number.size() != 1 || fill.size() != 1 || sequence.size() > 1) return error();
  const int total = count[0] - '0', part = number[0] - '0', fillBits = fill[0] - '0';
  if (total < 1 || total > kMaxFragments || part < 1 || part > total || fillBits < 0 || fillBits > 5) return error();
  const size_t slot = sequence.empty() ? 10 : static_cast<size_t>(sequence[0] - '0');
  if (slot > 10) return error();
  const char ch = channel.empty() ? 0 : channel[0];
  const bool own = line[5] == 'O';
  if (total == 1) return finish(payload, fillBits, own, ch);
  Assembly& a = m_assemblies[slot];
  if (part == 1) {
    // A first fragment starts over; an unfinished message before it is lost.
    if (a.expected != 0) ++m_counters.errors;
    a = Assembly{};
    a.expected = total;
    a.next = 1;
    a.channel = ch;
  } else if (a.expected != total || a.next != part || a.channel != ch) {
    a.expected = 0;
    return error();
  }
  // Only the last fragment may carry fill bits.
  if ((part < total && fillBits != 0) || a.length + static_cast<int>(payload.size()) > kMaxPayload) {
    a.expected = 0;
    return error();
  }
  std::memcpy(a.payload.data() + a.length, payload.data(), payload.size());
  a.length += static_cast<int>(payload.size());
  if (part < total) {
    ++a.next;
    return Result::Pending;
  }
  a.expected = 0;
  return finish(std::string_view(a.payload.data(), static_cast<size_t>(a.length)), fillBits, own, ch);
}

AisDecoder::Result AisDecoder::finish(std::string_view payload, int fillBits, bool own, char channel) {
  const Result r = decodePayload(payload, fillBits, m_message);
  if (r == Result::Error) return error();
  if (r == Result::Unsupported) {
    ++m_counters.unsupported;
    return r;
  }
  m_message.ownVessel = own;
  m_message.channel = channel;
  ++m_counters.messages;
  return r;
}

AisDecoder::Result AisDecoder::decodePayload(std::string_view payload, int fillBits, AisMessage& m) const {
  Bits b;
  if (fillBits < 0 || fillBits > 5 || !b.load(payload, fillBits) || b.length() < 38) return Result::Error;
  m = AisMessage{};
  m.type = static_cast<int>(b.u(0, 6));
  m.repeat = static_cast<int>(b.u(6, 2));
  m.mmsi = b.u(8, 30);
  const int n = b.length();
  switch (m.type) {
    case 1:
    case 2:
    case 3:
      if (n < 168) return Result::Error;
      m.status = static_cast<int>(b.u(38, 4));
      m.turn = b.s(42, 8);
      m.speed = static_cast<int>(b.u(50, 10));
      m.accuracy = b.b(60);
      m.lon = b.s(61, 28);
      m.lat = b.s(89, 27);
      m.course = static_cast<int>(b.u(116, 12));
      m.heading = static_cast<int>(b.u(128, 9));
      m.second = static_cast<int>(b.u(137, 6));
      m.maneuver = static_cast<int>(b.u(143, 2));
      m.raim = b.b(148);
      m.radio = b.u(149, 19);
      return Result::Message;
    case 4:
      if (n < 168) return Result::Error;
      m.year = static_cast<int>(b.u(38, 14));
      m.month = static_cast<int>(b.u(52, 4));
      m.day = static_cast<int>(b.u(56, 5));
      m.hour = static_cast<int>(b.u(61, 5));
      m.minute = static_cast<int>(b.u(66, 6));
      m.second = static_cast<int>(b.u(72, 6));
      m.accuracy = b.b(78);
      m.lon = b.s(79, 28);
      m.lat = b.s(107, 27);
      m.epfd = static_cast<int>(b.u(134, 4));
      m.raim = b.b(148);
      m.radio = b.u(149, 19);
      return Result::Message;
    case 5:
      if (n < 420) return Result::Error;
      m.aisVersion = static_cast<int>(b.u(38, 2));
      m.imo = b.u(40, 30);
      b.text(70, 7, m.callsign);
      b.text(112, 20, m.shipname);
      m.shiptype = static_cast<int>(b.u(232, 8));
      dimensions(b, 240, m);
      m.epfd = static_cast<int>(b.u(270, 4));
      m.etaMonth = static_cast<int>(b.u(274, 4));
      m.etaDay = static_cast<int>(b.u(278, 5));
      m.etaHour = static_cast<int>(b.u(283, 5));
      m.etaMinute = static_cast<int>(b.u(288, 6));
      m.draught = static_cast<int>(b.u(294, 8));
      b.text(302, 20, m.destination);
      m.dte = n > 422 ? b.b(422) : true;
      return Result::Message;
    case 18:
    case 19:
      if (n < (m.type == 18 ? 168 : 312)) return Result::Error;
      m.reserved = static_cast<int>(b.u(38, 8));
      m.speed = static_cast<int>(b.u(46, 10));
      m.accuracy = b.b(56);
      m.lon = b.s(57, 28);
      m.lat = b.s(85, 27);
      m.course = static_cast<int>(b.u(112, 12));
      m.heading = static_cast<int>(b.u(124, 9));
      m.second = static_cast<int>(b.u(133, 6));
      if (m.type == 18) {
        m.regional = static_cast<int>(b.u(139, 2));
        m.cs = b.b(141);
        m.display = b.b(142);
        m.dsc = b.b(143);
        m.band = b.b(144);
        m.msg22 = b.b(145);
        m.assigned = b.b(146);
        m.raim = b.b(147);
        m.radio = b.u(148, 20);
      } else {
        m.regional = static_cast<int>(b.u(139, 4));
        b.text(143, 20, m.shipname);
        m.shiptype = static_cast<int>(b.u(263, 8));
        dimensions(b, 271, m);
        m.epfd = static_cast<int>(b.u(301, 4));
        m.raim = b.b(305);
        m.dte = b.b(306);
        m.assigned = b.b(307);
      }
      return Result::Message;
    case 21: {
      if (n < 272) return Result::Error;
      m.aidType = static_cast<int>(b.u(38, 5));
      b.text(43, 20, m.shipname);
      m.accuracy = b.b(163);
      m.lon = b.s(164, 28);
      m.lat = b.s(192, 27);
      dimensions(b, 219, m);
      m.epfd = static_cast<int>(b.u(249, 4));
      m.second = static_cast<int>(b.u(253, 6));
      m.offPosition = b.b(259);
      m.regional = static_cast<int>(b.u(260, 8));
      m.raim = b.b(268);
      m.virtualAid = b.b(269);
      m.assigned = b.b(270);
      // A name longer than 20 characters goes on in whole characters after the spare bit.
      if (n >= 272 + 6) {
        size_t at = std::strlen(m.shipname.data());
        if (at == 20) b.text(272, (n - 272) / 6, m.shipname, at);
      }
      return Result::Message;
    }
    case 24:
      if (n < 160) return Result::Error;
      m.partno = static_cast<int>(b.u(38, 2));
      if (m.partno == 0) {
        b.text(40, 20, m.shipname);
      } else if (m.partno == 1) {
        if (n < 162) return Result::Error;
        m.shiptype = static_cast<int>(b.u(40, 8));
        b.text(90, 7, m.callsign);
        // An auxiliary craft (MMSI 98xxxxxxx) names its mother ship instead of its size.
        if (m.mmsi / 10000000 == 98) m.mothershipMmsi = b.u(132, 30);
        else dimensions(b, 132, m);
      } else {
        return Result::Error;
      }
      return Result::Message;
    default: return Result::Unsupported;
  }
}

const char* aisShipTypeText(int t) {
  switch (t) {
    case 0: return "Not available";
    case 20: return "Wing in ground (WIG)";
    case 30: return "Fishing";
    case 31: return "Towing";
    case 32: return "Towing: length exceeds 200m or breadth exceeds 25m";
    case 33: return "Dredging or underwater ops";
    case 34: return "Diving ops";
    case 35: return "Military ops";
    case 36: return "Sailing";
    case 37: return "Pleasure Craft";
    case 50: return "Pilot Vessel";
    case 51: return "Search and Rescue vessel";
    case 52: return "Tug";
    case 53: return "Port Tender";
    case 54: return "Anti-pollution equipment";
    case 55: return "Law Enforcement";
    case 58: return "Medical Transport";
    case 59: return "Noncombatant ship according to RR Resolution No. 18";
    default: break;
  }
  if (t >= 21 && t <= 29) return "Wing in ground (WIG)";
  if (t >= 40 && t <= 49) return "High speed craft (HSC)";
  if (t >= 60 && t <= 69) return "Passenger";
  if (t >= 70 && t <= 79) return "Cargo";
  if (t >= 80 && t <= 89) return "Tanker";
  if (t >= 90 && t <= 99) return "Other Type";
  return "Reserved";
}

}  // namespace tavrik
