#pragma once
// The radar (ARPA) sentence parsers: TTM and TLL write the target table, RSD only
// records its time. Installed into the receiver's dispatch table so that they are
// counted, filtered and forwarded like the built-in sentences.

#include <functional>
#include <vector>

#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/radar_targets.h"
#include "core/request_flags.h"
#include "nmea/nmea_receiver.h"
#include "nmea/sentence_fields.h"
#include "nmea/sentence_parsers.h"

namespace tavrik {

// Elements a sentence needs, address field and checksum element included.
inline constexpr int kTtmMinElements = 15;
inline constexpr int kTllMinElements = 10;
inline constexpr int kRsdMinElements = 15;
// Target numbers: the two digits of NMEA 0183 and the three some ARPA sets use;
// anything else (a sign, letters, four digits) is refused.
inline constexpr int kMaxTargetNumber = 999;

// Nautical miles per statute mile and kilometres per nautical mile.
inline constexpr double kStatuteMilesPerNm = 1.15078;
inline constexpr double kKmPerNm = 1.852;

class RadarParsers {
 public:
  RadarParsers(const NavigationState& nav, RadarTargets& radar, RequestFlags& flags, const Clock& clock)
      : m_nav(nav), m_radar(radar), m_flags(flags), m_clock(clock) {}

  // Installs TTM, TLL and RSD and the table reset at the start of a session.
  void install(NmeaReceiver& rx);

  ParseResult parseTtm(const SentenceFields& f);
  ParseResult parseTll(const SentenceFields& f);
  ParseResult parseRsd(const SentenceFields& f);

  // Index of the record the last accepted TTM or TLL wrote (-1 before any).
  int lastTargetIndex() const { return m_lastIndex; }
  // Converts a received position from the GPS datum to the chart datum (may be empty).
  std::function<void(double& lat, double& lon)> datumConversion;

 private:
  int findOrAppend(int number);

  const NavigationState& m_nav;
  RadarTargets& m_radar;
  RequestFlags& m_flags;
  const Clock& m_clock;
  int m_lastIndex = -1;
  // Where each number was last found; checked against the table before use, so a
  // reset made elsewhere cannot mislead it.
  std::vector<int> m_indexByNumber = std::vector<int>(kMaxTargetNumber + 1, -1);
};

// A distance in the radar's unit ("N", "K" or "S") in nautical miles.
double radarDistanceNm(double distance, const QString& units);

}  // namespace tavrik
