#pragma once
// AIS: VDM (other vessels) and VDO (own vessel) sentences, single and multi-part on
// either channel, armoured payload decoded into messages of types 1, 2, 3 (class A
// position), 4 (base station), 5 (static and voyage), 18, 19 (class B position), 21
// (aid to navigation) and 24 (class B static). Fields are kept as transmitted (raw
// integers, "not available" codes included); the accessors scale them.

#include <array>
#include <cstdint>
#include <string_view>

namespace tavrik {

inline constexpr int kAisLatUnavailable = 91 * 600000;
inline constexpr int kAisLonUnavailable = 181 * 600000;

struct AisMessage {
  int type = 0;
  int repeat = 0;
  uint32_t mmsi = 0;
  bool ownVessel = false;  // from a VDO sentence
  char channel = 0;

  // Position reports (1, 2, 3, 18, 19), base station (4), aid to navigation (21).
  int status = 15;      // navigation status, 15 = not defined
  int turn = -128;      // rate of turn indicator, -128 = not available
  int speed = 1023;     // 0.1 knot, 1023 = not available
  bool accuracy = false;
  int lon = kAisLonUnavailable;  // 1/10000 minute
  int lat = kAisLatUnavailable;
  int course = 3600;  // 0.1 degree, 3600 = not available
  int heading = 511;  // degrees, 511 = not available
  int second = 60;    // UTC second of the report, 60 = not available
  int maneuver = 0;
  bool raim = false;
  uint32_t radio = 0;

  // Base station (4).
  int year = 0, month = 0, day = 0, hour = 24, minute = 60;
  int epfd = 0;

  // Static data (5, 19, 21, 24).
  int aisVersion = 0;
  uint32_t imo = 0;
  std::array<char, 8> callsign{};
  std::array<char, 35> shipname{};  // 20 characters, 34 with the aid's name extension
  int shiptype = 0;
  int toBow = 0, toStern = 0, toPort = 0, toStarboard = 0;
  int etaMonth = 0, etaDay = 0, etaHour = 24, etaMinute = 60;
  int draught = 0;  // 0.1 m
  std::array<char, 21> destination{};
  bool dte = true;

  // Class B flags (18), aid to navigation (21), static parts (24).
  int reserved = 0;
  bool cs = false, display = false, dsc = false, band = false, msg22 = false, assigned = false;
  int regional = 0;
  int aidType = 0;
  bool offPosition = false, virtualAid = false;
  int partno = -1;  // 24: 0 = part A (name), 1 = part B (type, call sign, size)
  uint32_t mothershipMmsi = 0;

  bool hasPosition() const {
    return (type <= 4 || type == 18 || type == 19 || type == 21) && lat != kAisLatUnavailable &&
           lon != kAisLonUnavailable && lat >= -90 * 600000 && lat <= 90 * 600000 && lon >= -180 * 600000 &&
           lon <= 180 * 600000;
  }
  double latitude() const { return lat / 600000.0; }
  double longitude() const { return lon / 600000.0; }
  bool hasSpeed() const { return speed < 1023; }
  double speedKnots() const { return speed / 10.0; }
  bool hasCourse() const { return course < 3600; }
  double courseDegrees() const { return course / 10.0; }
  bool hasHeading() const { return heading < 360; }
  bool isPositionReport() const { return type == 1 || type == 2 || type == 3 || type == 18 || type == 19; }
  bool isStatic() const { return type == 5 || type == 19 || type == 24 || type == 21; }
};

class AisDecoder {
 public:
  enum class Result { Message, Pending, Error, Unsupported, NotAis };
  struct Counters {
    uint64_t sentences = 0;    // VDM/VDO sentences seen
    uint64_t messages = 0;     // decoded messages
    uint64_t errors = 0;       // bad checksum, fragment order, fill or length
    uint64_t unsupported = 0;  // message types not decoded here
  };
  // Most fragments a message may have, and payload characters it may reach.
  static constexpr int kMaxFragments = 9;
  static constexpr int kMaxPayload = 256;  // 1536 bits: more than any message has

  // One line without its line end ("!AIVDM,1,1,,B,...,0*5C", a TAG block already
  // stripped). Message: message() holds the decoded message. A checksum present must
  // match; a line that is no VDM/VDO gives NotAis and is not counted.
  Result feed(std::string_view line);
  const AisMessage& message() const { return m_message; }
  const Counters& counters() const { return m_counters; }
  // Decodes a complete armoured payload (no sentence around it).
  Result decodePayload(std::string_view payload, int fillBits, AisMessage& out) const;

 private:
  struct Assembly {
    int expected = 0;  // fragments of the message being assembled, 0 = none
    int next = 0;      // number of the fragment awaited
    int length = 0;
    char channel = 0;
    std::array<char, kMaxPayload> payload{};
  };
  Result error();
  // Decodes a whole payload into m_message and counts it.
  Result finish(std::string_view payload, int fillBits, bool own, char channel);
  // One assembly per sequential message id 0-9, plus one for an empty id.
  std::array<Assembly, 11> m_assemblies{};
  AisMessage m_message;
  Counters m_counters;
};

// The name of a ship type code (gpsd's texts for the codes it names).
const char* aisShipTypeText(int shiptype);

}  // namespace tavrik
