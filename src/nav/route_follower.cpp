#include "nav/route_follower.h"

#include <QRegularExpression>
#include <algorithm>

#include "nmea/nmea_decoder.h"
#include "nmea/sentence_parsers.h"

namespace tavrik {

bool readRouteText(const QString& text, std::vector<GotoTarget>& route, QString& error) {
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
    bool okLat = false, okLon = false;
    const double lat = parts.size() >= 2 ? parts[0].toDouble(&okLat) : 0;
    const double lon = parts.size() >= 2 ? parts[1].toDouble(&okLon) : 0;
    if (!okLat || !okLon || lat < -90 || lat > 90 || lon < -180 || lon > 180) {
      error = QStringLiteral("line %1: expected \"lat lon [name]\" in decimal degrees, not \"%2\"").arg(i + 1).arg(line);
      return false;
    }
    GotoTarget t;
    t.waypoint = static_cast<int>(route.size()) + 1;
    t.lat = lat;
    t.lon = lon;
    t.description = parts.size() > 2 ? QStringList(parts.mid(2)).join(' ') : QStringLiteral("WP%1").arg(t.waypoint);
    route.push_back(t);
  }
  if (route.empty()) {
    error = QStringLiteral("no route points");
    return false;
  }
  return true;
}

bool parseSentenceList(const QString& text, std::vector<GotoSentence>& out, QString& error) {
  out.clear();
  for (const QString& name : text.split(',', Qt::SkipEmptyParts)) {
    bool found = false;
    for (GotoSentence s : kGotoSentenceOrder)
      if (name.trimmed().compare(QLatin1String(gotoSentenceName(s)), Qt::CaseInsensitive) == 0) {
        out.push_back(s);
        found = true;
      }
    if (!found) {
      error = QStringLiteral("unknown sentence \"%1\" (RMB, XTE, AAM, BWC, APA, BOD, VTG, APB)").arg(name);
      return false;
    }
  }
  if (out.empty()) {
    error = QStringLiteral("no sentences chosen");
    return false;
  }
  return true;
}

RouteFollower::RouteFollower(const RouteFollowerOptions& options, std::function<void(std::string_view)> sink)
    : m_rx(m_nav, m_panels, m_settings, m_prompter), m_goto(m_nav, m_settings, m_requests, m_clock), m_sink(std::move(sink)) {
  for (GotoSentence s : options.sentences) m_chosen[static_cast<size_t>(s)] = true;
  auto wants = [&](GotoSentence s) { return m_chosen[static_cast<size_t>(s)]; };
  // Receivers of several systems and instrument buses as well as GPS alone.
  m_settings.IDIn = {"$GP", "$GN", "$GL", "$II", "$IN", "$LC"};
  // Read before the output port is set: nothing received is repeated.
  m_rx.applySettings();
  m_settings.units = Units::fromSetting(options.units);
  m_settings.GotoTalkerID = options.talker;
  m_settings.GotoAlarmDistance = options.alarmDistanceNm;
  m_settings.GotoTurnDistance = options.turnDistanceNm;
  m_settings.GotoAutomatic = options.automatic;
  // Every sentence goes to the one output, so RMB and the autopilot share a port.
  m_settings.NMEAOutput = wants(GotoSentence::RMB) ? QStringLiteral("1") : QStringLiteral("0");
  m_settings.Autopilot = QStringLiteral("1");
  m_settings.GotoAutoPilot = true;
  m_settings.GotoXTE = wants(GotoSentence::XTE);
  m_settings.GotoAAM = wants(GotoSentence::AAM);
  m_settings.GotoBWC = wants(GotoSentence::BWC);
  m_settings.GotoAPA = wants(GotoSentence::APA);
  m_settings.GotoBOD = wants(GotoSentence::BOD);
  m_settings.GotoVTG = wants(GotoSentence::VTG);
  m_settings.GotoAPB = wants(GotoSentence::APB);
  m_rx.onParsed = [this](Sentence, std::string_view, const ParseResult& r) {
    if (r.accepted && (r.changed & kLatitude)) onFix();
  };
  m_rx.beginSession();

  if (options.gotoTarget) {
    m_goto.open({}, false);
    m_goto.setEntryPosition(options.gotoTarget->first, options.gotoTarget->second);
    m_goto.start();
  } else {
    m_goto.open(options.route, true);
  }
}

void RouteFollower::onFix() {
  ++m_fixes;
  m_goto.tick();
  // RMB also goes to an autopilot port of its own; here there is one output.
  for (const GotoController::Outgoing& o : m_goto.outgoing())
    if (m_chosen[static_cast<size_t>(o.kind)]) m_out.append(o.line.constData(), static_cast<size_t>(o.line.size()));
}

void RouteFollower::feed(std::string_view bytes) {
  feedStream(m_rx, bytes, 4096, [this] {
    if (!m_out.empty()) {
      m_sink(m_out);
      m_out.clear();
    }
  });
}

void RouteFollower::finish() {
  finishStream(m_rx);
  if (!m_out.empty()) {
    m_sink(m_out);
    m_out.clear();
  }
}

}  // namespace tavrik
