#include "nmea/nmea_receiver.h"

#include <algorithm>
#include <cstring>

#include "core/messages.h"
#include "core/number_format.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {

// Sentence-table index of three upper-case letters, from a table built once.
struct IdTable {
  std::array<int8_t, 26 * 26 * 26> index;
  IdTable() {
    index.fill(-1);
    for (int i = 0; i < kSentenceCount; ++i) {
      const char* n = kSentenceNames[static_cast<size_t>(i)];
      index[static_cast<size_t>(((n[0] - 'A') * 26 + (n[1] - 'A')) * 26 + (n[2] - 'A'))] = static_cast<int8_t>(i);
    }
  }
  int find(std::string_view id) const {
    if (id.size() != 3) return -1;
    for (char c : id)
      if (c < 'A' || c > 'Z') return -1;
    return index[static_cast<size_t>(((id[0] - 'A') * 26 + (id[1] - 'A')) * 26 + (id[2] - 'A'))];
  }
};
const IdTable& idTable() {
  static const IdTable t;
  return t;
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && std::memcmp(s.data(), prefix.data(), prefix.size()) == 0;
}

bool isLinkStatus(const QString& panel) { return panel.startsWith(QLatin1String("no data for ")); }

// An NMEA 4 TAG block ("\c:1234,s:r1*hh\") before the sentence is metadata of the
// line, not part of it: the sentence after it is returned, or an empty view when the
// block never ends.
std::string_view stripTagBlock(std::string_view line) {
  if (line.empty() || line[0] != '\\') return line;
  const size_t end = line.find('\\', 1);
  return end == std::string_view::npos ? std::string_view{} : line.substr(end + 1);
}

bool flagSet(const QString& flags, int j) { return j < flags.size() && flags.at(j) == QLatin1Char('1'); }

}  // namespace

NmeaReceiver::NmeaReceiver(NavigationState& nav, StatusPanels& panels, AppSettings& settings,
                           Prompter& prompter, SerialLinkFactory links)
    : m_nav(nav),
      m_panels(panels),
      m_settings(settings),
      m_prompter(prompter),
      m_linkFactory(std::move(links)),
      m_ctx{nav, panels, settings, m_state} {
  m_ctx.datumConversion = &datumConversion;
  m_ctx.selectedTelephone = &selectedTelephone;
  applySettings();
}

NmeaReceiver::~NmeaReceiver() {
  for (auto& l : m_links)
    if (l) {
      l->onBytes = nullptr;
      l->onError = nullptr;
    }
}

void NmeaReceiver::applySettings() {
  for (int k = 0; k < kTalkerCount; ++k) {
    m_talkers[k] = m_settings.IDIn[k].toStdString();
    for (int j = 0; j < kSentenceCount; ++j) {
      m_inputFilter[k][j] = flagSet(m_settings.NMEAIn[k], j);
      m_forwardFilter[k][j] = flagSet(m_settings.NMEAOut[k], j);
    }
    m_forwardOther[k] = leniNumber(m_settings.AllNMEA[k]) != 0;
  }
  m_forwardPort = static_cast<int>(leniNumber(m_settings.NMEAOutput));
  m_portCount = std::clamp(static_cast<int>(leniNumber(m_settings.Ports)), 1, kPortSetCount);
}

SerialLink* NmeaReceiver::link(int port) const {
  return port >= 0 && port < kPortSetCount ? m_links[static_cast<size_t>(port)].get() : nullptr;
}

SerialLink* NmeaReceiver::ensureLink(int port) {
  auto& l = m_links[static_cast<size_t>(port)];
  if (!l && m_linkFactory) {
    l = m_linkFactory();
    if (l) {
      l->onBytes = [this, port](const QByteArray& b) { OnSerialEvent(port, b); };
      l->onError = [this, port](const QString& text) {
        // Reported from the next cycle, not from inside the port's own signal.
        if (!m_failureReported[static_cast<size_t>(port)])
          m_portFailure[static_cast<size_t>(port)] = text.isEmpty() ? QStringLiteral("?") : text;
      };
    }
  }
  return l.get();
}

void NmeaReceiver::resetForSession() {
  applySettings();
  m_nav.clearCounters();
  if (resetRadarTargets) resetRadarTargets();
  for (Buffer& b : m_buffers) {
    b.data.clear();
    b.head = 0;
  }
  m_portFailure.fill(QString());
  m_failureReported.fill(false);
  m_droppedBytes.fill(0);
  m_garbageLines = 0;
}

bool NmeaReceiver::openPort(int i) {
  const PortSettings& ps = m_settings.Comm[static_cast<size_t>(i)];
  SerialLink* l = ensureLink(i);
  if (!l) return false;
  if (l->isOpen()) l->close();
  if (!l->open(ps.Port.trimmed(), ps.settingsText(), static_cast<Handshake>(std::clamp(ps.Handshake, 0, 2)))) {
    // The system's reason tells a missing device from a busy or forbidden one.
    const QString reason = l->errorText().trimmed();
    m_prompter.critical(QStringLiteral("COM ") + ps.Port.trimmed() + QStringLiteral(": ") +
                        MessageText(Msg::CommSettingsNotCorrect) +
                        (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QStringLiteral(")")));
    return false;
  }
  return true;
}

void NmeaReceiver::beginSession() {
  resetForSession();
  m_running = true;
  if (onRunningChanged) onRunningChanged(true);
}

void NmeaReceiver::endSession() {
  m_running = false;
  showNoSource();
  if (onRunningChanged) onRunningChanged(false);
}

void NmeaReceiver::showNoSource() {
  // Nothing feeds the panels any more: what the last source said must not pass for
  // live values, and an empty input panel lets the next source name itself.
  m_nav.TimeStale = true;
  m_nav.DateStale = true;
  clearFixPanels();
  for (Panel p : {Panel::InputSource, Panel::Depth, Panel::Temperature, Panel::WindDirection, Panel::WindSpeed,
                  Panel::Pressure, Panel::Heading, Panel::WaterSpeed}) {
    m_panels[p].clear();
    m_ctx.dirtyPanels &= ~(1u << static_cast<int>(p));
  }
  m_nav.SpeedOverGround = 0;
}

void NmeaReceiver::StartCommunication() {
  resetForSession();
  for (int i = 0; i < m_portCount; ++i) openPort(i);
  m_running = true;
  if (onRunningChanged) onRunningChanged(true);
}

bool NmeaReceiver::startInstrumentPort() {
  resetForSession();
  if (!openPort(0)) return false;
  m_running = true;
  if (onRunningChanged) onRunningChanged(true);
  return true;
}

void NmeaReceiver::StopCommunication() {
  m_running = false;
  for (auto& l : m_links)
    if (l && l->isOpen()) l->close();
  showNoSource();
  if (onRunningChanged) onRunningChanged(false);
}

void NmeaReceiver::openForwardPort() {
  if (m_forwardPort < 1 || m_forwardPort > kPortSetCount) return;
  openPort(m_forwardPort - 1);
}

void NmeaReceiver::OnSerialEvent(int port, const QByteArray& bytes) {
  if (port < 0 || port >= kPortSetCount) return;
  if (onSerialBytes) onSerialBytes(port, bytes);
  const QString& source = m_panels.inputSource();
  // While a test file or the simulator feeds buffer 0, real input is discarded.
  if (source == QLatin1String("Simul") || source == QLatin1String("Test")) return;
  Buffer& b = m_buffers[static_cast<size_t>(port)];
  if (b.length() + static_cast<size_t>(bytes.size()) > kPendingBytesLimit) {
    m_droppedBytes[static_cast<size_t>(port)] += static_cast<uint64_t>(bytes.size());
    return;
  }
  b.data.append(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (source.isEmpty() || isLinkStatus(source)) {
    const QString name = selectedTelephone ? selectedTelephone() : QString();
    m_panels[Panel::InputSource] = name.isEmpty() ? QStringLiteral("Gps") : name;
  }
}

void NmeaReceiver::inject(int port, std::string_view text) {
  if (port < 0 || port >= kPortSetCount) return;
  m_buffers[static_cast<size_t>(port)].data.append(text);
}

uint64_t NmeaReceiver::droppedBytes(int port) const {
  return port >= 0 && port < kPortSetCount ? m_droppedBytes[static_cast<size_t>(port)] : 0;
}

void NmeaReceiver::showLinkStatus() {
  const QString& source = m_panels.inputSource();
  if (source == QLatin1String("Simul") || source == QLatin1String("Test")) return;
  for (int i = 0; i < m_portCount; ++i) {
    const SerialLink* l = link(i);
    if (!l || !l->isOpen()) continue;
    const QString status = l->statusText();
    if (!status.isEmpty()) {
      m_panels[Panel::InputSource] = status;
      return;
    }
  }
}

size_t NmeaReceiver::bufferLength(int port) const {
  return port >= 0 && port < kPortSetCount ? m_buffers[static_cast<size_t>(port)].length() : 0;
}

QByteArray NmeaReceiver::receiveBuffer(int port) const {
  if (port < 0 || port >= kPortSetCount) return {};
  const Buffer& b = m_buffers[static_cast<size_t>(port)];
  return QByteArray(b.data.data() + b.head, static_cast<qsizetype>(b.length()));
}

void NmeaReceiver::ReceiveCycle() {
  if (++m_hscCycles > 10) {
    // The autopilot fell silent: it counts as unlocked, so its next HSC locks again.
    m_nav.SteerHeading = -1;
    m_state.LastSteerHeading = -1;
    m_hscCycles = 0;
  }
  reportFailedPorts();
  showLinkStatus();
  for (int port = 0; port < m_portCount; ++port) {
    Buffer& b = m_buffers[static_cast<size_t>(port)];
    if (b.length() == 0) continue;
    m_nav.DataReceived = true;
    // Lines end at LF, CR LF or a bare CR: only the line-end characters are removed.
    // (No events are let in between lines: everything runs on the one thread and the
    // cycle handles every complete line present.)
    while (m_running) {
      const char* start = b.data.data() + b.head;
      const size_t avail = b.length();
      size_t i = 0;
      while (i < avail && start[i] != '\n' && start[i] != '\r') ++i;
      if (i == avail) {
        if (avail > kReceiveBufferLimit) {
          b.data.clear();
          b.head = 0;
        }
        break;
      }
      const std::string_view raw(start, i);
      b.head += i + 1;
      const std::string_view line = stripTagBlock(raw);
      if (line.size() >= 2 && line[0] != '$' && line[0] != '!' && !startsWith(line, "ASTRAL")) ++m_garbageLines;
      if (line.empty() && !raw.empty()) ++m_garbageLines;
      // A fragment of one character (or an empty line between CR and LF) is dropped.
      if (line.size() >= 2) {
        m_currentLine = line;
        if (lineRecorder) lineRecorder(line);
        dispatch(line);
        m_currentLine = {};
      }
      // The cap bounds a remainder without line end (above); complete lines waiting
      // behind this one are read, not thrown away: an automation client may queue up
      // to 65500 characters between two cycles.
    }
    if (b.head == b.data.size()) {
      b.data.clear();
      b.head = 0;
    } else if (b.head > 0) {
      b.data.erase(0, b.head);
      b.head = 0;
    }
  }
  refreshPanels();
}

void NmeaReceiver::refreshPanels() { tavrik::refreshPanels(m_ctx); }

void NmeaReceiver::clearFixPanels() {
  for (Panel p : {Panel::Position, Panel::Date, Panel::Time, Panel::Course, Panel::Speed}) {
    m_panels[p].clear();
    m_ctx.dirtyPanels &= ~(1u << static_cast<int>(p));
  }
}

void NmeaReceiver::reportFailedPorts() {
  for (int i = 0; i < kPortSetCount; ++i) {
    QString& failure = m_portFailure[static_cast<size_t>(i)];
    if (failure.isEmpty()) continue;
    const QString text = failure;
    failure.clear();
    // Once per port until communication is started again.
    m_failureReported[static_cast<size_t>(i)] = true;
    if (SerialLink* l = link(i); l && l->isOpen()) l->close();
    m_prompter.critical(QStringLiteral("COM ") + m_settings.Comm[static_cast<size_t>(i)].Port.trimmed() +
                        QStringLiteral(": ") + text);
  }
}

void NmeaReceiver::dispatch(std::string_view line) {
  if (startsWith(line, "ASTRAL")) {
    writeToForwardPort("ASTRAL");
    return;
  }
  if (!line.empty() && line[0] == '!') {
    if (aisSentenceParser) aisSentenceParser(line);
    // Other plotters and AIS displays on board want the targets too; the sentence
    // filters name only '$' sentences, so AIS passes whenever its checksum holds.
    if (m_forwardPort != 0 && checkLine(line) != ChecksumStatus::Bad) writeToForwardPort(line);
    return;
  }
  if (startsWith(line, "$SHIPS")) {
    m_fields.split(line);
    m_remoteShipFields = m_fields.toStringList();
    if (remoteShipParser) remoteShipParser(m_fields);
    return;
  }
  int talker = -1;
  if (line.size() >= 3)
    for (int k = 0; k < kTalkerCount; ++k)
      if (m_talkers[k].size() == 3 && std::memcmp(line.data(), m_talkers[k].data(), 3) == 0) talker = k;
  const ChecksumStatus checksum = checkLine(line);
  const bool bad = checksum == ChecksumStatus::Bad;
  int id = -1;
  if (talker >= 0) {
    id = line.size() >= 6 ? idTable().find(line.substr(3, 3)) : -1;
    if (id == static_cast<int>(Sentence::HSC)) m_hscCycles = 0;
    if (id >= 0 && m_inputFilter[talker][id]) parse(id, line, bad);
  }
  if (!line.empty() && line[0] == '$') {
    const std::string_view header = line.substr(0, 6);
    bool found = false;
    for (std::string& e : m_lastSentences) {
      if (std::string_view(e).substr(0, 6) == header) {
        e.assign(line);
        found = true;
        break;
      }
    }
    if (!found) m_lastSentences.emplace_back(line);
  }
  // A sentence whose checksum does not match is not passed on.
  if (talker >= 0 && m_forwardPort != 0 && !bad) {
    const bool forward = id >= 0 ? m_forwardFilter[talker][id] : m_forwardOther[talker];
    if (forward) writeToForwardPort(line);
  }
}

void NmeaReceiver::parse(int id, std::string_view line, bool badChecksum) {
  const SentenceRow& row = kSentenceTable[static_cast<size_t>(id)];
  const ExternalParser& external = m_external[static_cast<size_t>(id)];
  if (!row.parse && !external) return;
  ++m_nav.ReceivedCount[static_cast<size_t>(id)];
  ParseResult r;
  if (badChecksum) {
    r.accepted = false;
  } else {
    m_fields.split(line);
    if (m_fields.size() < row.minFields) {
      r.accepted = false;
    } else {
      r = row.parse ? row.parse(m_ctx, m_fields) : external(m_fields);
      if (m_ctx.fault) {
        r.accepted = false;
        m_ctx.fault = false;
      }
    }
  }
  if (!r.accepted) ++m_nav.ErrorCount[static_cast<size_t>(id)];
  if (onParsed) onParsed(static_cast<Sentence>(id), line, r);
}

void NmeaReceiver::setParser(Sentence id, ExternalParser parser) {
  m_external[static_cast<size_t>(id)] = std::move(parser);
}

void NmeaReceiver::writeToForwardPort(std::string_view line) {
  if (m_forwardPort < 1 || m_forwardPort > kPortSetCount) return;
  SerialLink* l = link(m_forwardPort - 1);
  if (!l || !l->isOpen()) return;
  QByteArray out;
  out.reserve(static_cast<qsizetype>(line.size()) + 2);
  out.append(line.data(), static_cast<qsizetype>(line.size()));
  out.append("\r\n", 2);
  l->write(out);
}

QString NmeaReceiver::CurrentLine() const {
  return QString::fromLatin1(m_currentLine.data(), static_cast<qsizetype>(m_currentLine.size()));
}

QStringList NmeaReceiver::LastSentences() const {
  QStringList out;
  out.reserve(static_cast<qsizetype>(m_lastSentences.size()));
  for (const std::string& e : m_lastSentences) out << QString::fromLatin1(e.data(), static_cast<qsizetype>(e.size()));
  return out;
}

std::vector<LogbookEvent> NmeaReceiver::takeLogbookEvents() {
  std::vector<LogbookEvent> out;
  out.swap(m_state.pendingLogEvents);
  return out;
}

}  // namespace tavrik
