#pragma once
// The NMEA receive path: up to four serial ports, one receive buffer per port, the
// receive cycle that cuts the buffers into lines, the talker and sentence filters,
// the dispatch to the sentence parsers, the table of the last sentence per header
// and the repeating of received sentences to the forward port. The test-file player,
// the simulator and the automation interface inject lines into the same buffers.
//
// Periodic work: the owner runs a 500 ms QTimer calling tick() while isRunning();
// onRunningChanged tells it when to start and stop that timer.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/serial_link.h"
#include "core/status_panels.h"
#include "nmea/sentence_fields.h"
#include "nmea/sentence_parsers.h"

namespace tavrik {

inline constexpr int kPortSetCount = 4;
inline constexpr int kTalkerCount = 6;
// A buffer that grows past this without a line end is thrown away whole.
inline constexpr size_t kReceiveBufferLimit = 10000;
// Bytes waiting for the next cycle beyond this are dropped (a flooding network
// source cannot make the cycle's work or the memory grow without bound).
inline constexpr size_t kPendingBytesLimit = 256 * 1024;

class NmeaReceiver {
 public:
  // links: makes the serial line of each port set on first use (may be empty when
  // the receiver only takes injected lines, as the decoder does).
  NmeaReceiver(NavigationState& nav, StatusPanels& panels, AppSettings& settings, Prompter& prompter,
               SerialLinkFactory links = {});
  ~NmeaReceiver();
  NmeaReceiver(const NmeaReceiver&) = delete;
  NmeaReceiver& operator=(const NmeaReceiver&) = delete;

  // Re-reads talker ids, input and forward filters, the forward port and the number
  // of port sets from the settings (the setup windows call it after OK).
  void applySettings();

  // "S&tart communication": counters and buffers cleared, every port set opened (a
  // port that fails shows "COM <port>: Comm settings not correct, please run setup"
  // and the others are still opened), the receive cycle runs.
  void StartCommunication();
  // The dial-up link: as StartCommunication with the first port set only. False (the
  // refusal shown, nothing running) when its port cannot be opened.
  bool startInstrumentPort();
  // "Sto&p communication": cycle off, ports closed, time and date stale, the position,
  // date, time, course and speed panels emptied, speed over ground 0.
  void StopCommunication();
  // What starting does without opening instrument ports (test-file replay, simulator,
  // decoder): counters zeroed, radar targets reset, buffers emptied, cycle running.
  void beginSession();
  // Ends a session begun with beginSession (ports stay as they are).
  void endSession();
  bool isRunning() const { return m_running; }

  // The serial receive event of one port: bytes are appended to its buffer unless the
  // input-source panel shows "Simul" or "Test" (then they are discarded); an empty
  // panel becomes "Gps" (or the selected telephone entry's name).
  void OnSerialEvent(int port, const QByteArray& bytes);
  // Appends characters to a receive buffer without the source check (test-file
  // player, simulator, automation interface).
  void inject(int port, std::string_view text);
  size_t bufferLength(int port) const;
  QByteArray receiveBuffer(int port) const;

  // The receive cycle (every 500 ms): cuts every complete line of every port set's
  // buffer, records and dispatches it; refreshes the status panels the parsers
  // touched; reports a port that failed since the last cycle.
  void ReceiveCycle();
  void tick() { ReceiveCycle(); }

  // Dispatches one line (without its line end) as the receive cycle would.
  void dispatch(std::string_view line);

  // The line being dispatched; empty between lines.
  QString CurrentLine() const;
  // The last complete line of each distinct six-character header, in the order the
  // headers were first seen.
  QStringList LastSentences() const;
  int lastSentenceCount() const { return static_cast<int>(m_lastSentences.size()); }
  // The field array of the last "$SHIPS" line.
  const QStringList& RemoteShipFields() const { return m_remoteShipFields; }

  // Repeats a line (without line end) to the forward port when it is set and open.
  void writeToForwardPort(std::string_view line);
  // Opens only the forward port (replay and simulator repeat what they feed).
  void openForwardPort();
  int ForwardPort() const { return m_forwardPort; }
  int PortCount() const { return m_portCount; }
  SerialLink* link(int port) const;

  // Bytes a port dropped because its buffer was full, and lines that were no
  // sentence (no '$' or '!' start, or a TAG block without its end), since the start.
  uint64_t droppedBytes(int port) const;
  uint64_t garbageLines() const { return m_garbageLines; }

  // Parser state, and the logbook events raised by HSC that the main timer writes.
  ParserState& parserState() { return m_state; }
  std::vector<LogbookEvent> takeLogbookEvents();
  void refreshPanels();
  // Empties the position, date, time, course and speed panels (communication or
  // replay stopped) so that no pending refresh writes them again.
  void clearFixPanels();

  // Hooks the App sets.
  // Converts a fix from the GPS datum to the chart datum; empty when they agree.
  std::function<void(double& lat, double& lon)> datumConversion;
  // Name of the selected telephone entry, empty when none (dial-up link).
  std::function<QString()> selectedTelephone;
  // Bytes as they arrive from a serial port, before the source check (the dial-up
  // link reads the modem's answers here).
  std::function<void(int port, const QByteArray& bytes)> onSerialBytes;
  // Test-file recorder: gets every line the cycle cuts.
  std::function<void(std::string_view line)> lineRecorder;
  // The receive cycle timer must run (true) or stop (false); menus follow it too.
  std::function<void(bool running)> onRunningChanged;
  // Radar target table reset when a session begins.
  std::function<void()> resetRadarTargets;
  // Remote-ship report parser, called with the fields of each "$SHIPS" line.
  std::function<void(const SentenceFields& fields)> remoteShipParser;
  // AIS and other encapsulated sentences: every line starting with "!" (its TAG
  // block stripped) goes here instead of the talker dispatch.
  std::function<void(std::string_view line)> aisSentenceParser;
  // Every sentence handed to a parser, with what it did (decoder, monitors).
  std::function<void(Sentence id, std::string_view line, const ParseResult& result)> onParsed;

  // Installs the parser of a sentence the table leaves to another part (TTM, TLL,
  // RSD); counted like the built-in ones.
  using ExternalParser = std::function<ParseResult(const SentenceFields&)>;
  void setParser(Sentence id, ExternalParser parser);

 private:
  // Communication, replay or simulation ended: stale time, empty live panels.
  void showNoSource();
  struct Buffer {
    std::string data;
    size_t head = 0;  // characters before head are consumed
    size_t length() const { return data.size() - head; }
  };
  void parse(int id, std::string_view line, bool badChecksum);
  void reportFailedPorts();
  SerialLink* ensureLink(int port);
  // Clears the buffers, counters and failure reports and reads the settings again.
  void resetForSession();
  // Opens (again) the serial line of port set i; a refusal is shown (false).
  bool openPort(int i);

  NavigationState& m_nav;
  StatusPanels& m_panels;
  AppSettings& m_settings;
  Prompter& m_prompter;
  SerialLinkFactory m_linkFactory;
  std::array<std::unique_ptr<SerialLink>, kPortSetCount> m_links;
  std::array<QString, kPortSetCount> m_portFailure;  // error text to report, once
  std::array<bool, kPortSetCount> m_failureReported{};
  std::array<Buffer, kPortSetCount> m_buffers;
  std::array<uint64_t, kPortSetCount> m_droppedBytes{};
  uint64_t m_garbageLines = 0;
  // Shows a link's health ("no data for 12 s") in the input panel, or the source's
  // name again once it speaks.
  void showLinkStatus();
  bool m_running = false;
  int m_hscCycles = 0;

  std::array<std::string, kTalkerCount> m_talkers;
  std::array<std::array<bool, kSentenceCount>, kTalkerCount> m_inputFilter{};
  std::array<std::array<bool, kSentenceCount>, kTalkerCount> m_forwardFilter{};
  std::array<bool, kTalkerCount> m_forwardOther{};
  int m_forwardPort = 0;
  int m_portCount = 1;

  std::array<ExternalParser, kSentenceCount> m_external;
  std::string_view m_currentLine;
  std::vector<std::string> m_lastSentences;
  QStringList m_remoteShipFields;
  SentenceFields m_fields;
  ParserState m_state;
  ParseContext m_ctx;
};

}  // namespace tavrik
