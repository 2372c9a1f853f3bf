#pragma once
// Decodes an NMEA stream through the receive path (cutting, talker and sentence
// filters, checksum check, dispatch, parsers) without ports or windows, and writes
// one JSON object per line for every sentence a parser accepted: "sentence" (the tag
// with its talker, "GPRMC") and the NavigationState fields that sentence wrote.
// finish() adds the 22 received and error counters by sentence name.

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "nmea/nmea_receiver.h"

namespace tavrik {

// A stream read through buffer 0 of a receiver as a filter reads it: in chunks of at
// most chunk bytes, one receive cycle after each, afterCycle called after every cycle;
// finishStream ends a last line that has no line end.
void feedStream(NmeaReceiver& rx, std::string_view bytes, size_t chunk, const std::function<void()>& afterCycle);
void finishStream(NmeaReceiver& rx);

struct DecoderOptions {
  int localOffsetHours = 0;
  // Talker ids in place of the six defaults ("$GP", "$II", ...); empty keeps them.
  QStringList talkers;
};

class NmeaDecoder {
 public:
  // Output goes to sink in pieces (whole JSON lines).
  explicit NmeaDecoder(const DecoderOptions& options, std::function<void(std::string_view)> sink);

  // Bytes as they would arrive from a port; cut and parsed as the cycle does, a
  // receive cycle per chunk of at most kChunk bytes (a 500 ms cycle each).
  void feed(std::string_view bytes);
  // End of input: a last line without line end is taken as ended, then the counters.
  void finish();

  const NavigationState& nav() const { return m_nav; }
  NmeaReceiver& receiver() { return m_rx; }
  uint64_t acceptedCount() const { return m_accepted; }

  static constexpr size_t kChunk = 4096;

  // The JSON object for one accepted sentence (without line end).
  static void appendJson(std::string& out, std::string_view line, uint32_t changed, const NavigationState& nav);
  static void appendCounters(std::string& out, const NavigationState& nav);
  static void appendFloat(std::string& out, float v);
  static void appendString(std::string& out, const QString& s);

  // Fields another part adds to the object of an accepted sentence (",\"Name\":v...").
  std::function<void(std::string& out, Sentence id)> appendSentenceFields;
  // A whole JSON line from another part (the "$SHIPS" report), kept in stream order.
  void appendLine(std::string_view jsonObject) {
    m_out += jsonObject;
    m_out += '\n';
  }

 private:
  NavigationState m_nav;
  StatusPanels m_panels;
  AppSettings m_settings;
  RecordingPrompter m_prompter;
  NmeaReceiver m_rx;
  std::function<void(std::string_view)> m_sink;
  std::string m_out;
  uint64_t m_accepted = 0;
};

}  // namespace tavrik
