#pragma once
// The parsers of the position, motion and instrument sentences and the dispatch table
// that names them. Each parser reads a SentenceFields, writes NavigationState, marks
// the status panels it touched and returns which fields it wrote. A rejected sentence
// leaves the state as the parser found it, except where noted (RMC and RMA store
// speed, course and variation before the position is tested).

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/status_panels.h"
#include "nmea/sentence_fields.h"

namespace tavrik {

// NavigationState fields a sentence wrote, one bit each.
enum NavField : uint32_t {
  kLatitude = 1u << 0, kLongitude = 1u << 1, kFixTime = 1u << 2, kFixDate = 1u << 3,
  kSpeedOverGround = 1u << 4, kCourseOverGround = 1u << 5, kGpsVariation = 1u << 6,
  kHeadingTrue = 1u << 7, kHeadingMagnetic = 1u << 8, kWaterSpeed = 1u << 9,
  kSteerHeading = 1u << 10, kLogTotal = 1u << 11, kTripDistance = 1u << 12,
  kDepthFeet = 1u << 13, kDepthMetres = 1u << 14, kWaterTemperature = 1u << 15,
  kAirPressure = 1u << 16, kWindAngle = 1u << 17, kWindSide = 1u << 18, kWindSpeed = 1u << 19,
  kWindDirection = 1u << 20, kFixMode = 1u << 21, kFixType = 1u << 22, kPdop = 1u << 23,
  kHdop = 1u << 24, kVdop = 1u << 25, kSatellitesInView = 1u << 26, kSatellites = 1u << 27,
};
inline constexpr int kNavFieldCount = 28;
// The field names, in bit order, as NavigationState spells them.
extern const std::array<const char*, kNavFieldCount> kNavFieldNames;

// A logbook entry raised by a parser and written later by the main timer.
struct LogbookEvent {
  QString type;   // "Autopilot"
  QString text2;  // second text (empty for autopilot events)
  QString text;   // "Autopilot locked on 121.0", "Autopilot unlocked"
  float latitude = 0, longitude = 0;
};

// State the parsers keep between sentences.
struct ParserState {
  // GGA course and speed derivation.
  float PrevFixLatitude = 0, PrevFixLongitude = 0, PrevFixSeconds = 0;
  bool prevFixSecondsKnown = false;  // PrevFixSeconds comes from a GGA that had a predecessor
  // HSC: the heading to steer of the previous HSC.
  float LastSteerHeading = 0;
  // Logbook events waiting for the main timer (oldest first).
  // Written by the main timer's next tick; an autopilot hunting between headings with
  // nobody taking the events must not grow this without end, so the oldest go first.
  static constexpr size_t kMaxPendingLogEvents = 64;
  std::vector<LogbookEvent> pendingLogEvents;
  // The date FixDate was last formatted from, so an unchanged date is not re-formatted.
  QDate lastFixDate;
};

struct ParseContext {
  NavigationState& nav;
  StatusPanels& panels;
  const AppSettings& settings;
  ParserState& state;
  // Converts a position from the GPS datum to the chart datum; empty when they agree.
  const std::function<void(double& lat, double& lon)>* datumConversion = nullptr;
  // Name of the selected telephone entry (dial-up link); empty when none.
  const std::function<QString()>* selectedTelephone = nullptr;
  // Panels whose text must be refreshed from the state (bit per Panel).
  uint32_t dirtyPanels = 0;
  // A value that cannot be held (a float or i16 overflow) abandons the sentence.
  bool fault = false;

  float f32(double v);
  int16_t i16(double v);
  void markPanel(Panel p) { dirtyPanels |= 1u << static_cast<int>(p); }
};

struct ParseResult {
  bool accepted = true;
  uint32_t changed = 0;  // NavField bits
};

using ParseFn = ParseResult (*)(ParseContext&, const SentenceFields&);

struct SentenceRow {
  Sentence id;
  const char* name;
  int minFields;    // elements needed, address field and checksum element included
  ParseFn parse;    // null: parsed elsewhere (radar targets), see NmeaReceiver::setParser
};
// In the order of the sentence table (kSentenceNames).
extern const std::array<SentenceRow, kSentenceCount> kSentenceTable;

// Position rule, steps 1-4: ddmm.mmmm / dddmm.mmmm texts and their hemispheres to
// degrees (south and west negative). False when the position is not acceptable.
bool readPosition(std::string_view lat, std::string_view ns, std::string_view lon,
                  std::string_view ew, double& latitude, double& longitude);
// The whole rule: readPosition, the datum conversion, and Latitude/Longitude written.
bool applyPosition(ParseContext& ctx, const SentenceFields& f, int firstField);

// Writes the panels marked in ctx.dirtyPanels from the state and clears the marks.
void refreshPanels(ParseContext& ctx);

}  // namespace tavrik
