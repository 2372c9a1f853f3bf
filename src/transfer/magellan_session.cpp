#include "transfer/magellan_session.h"

#include "core/messages.h"
#include "transfer/transfer_texts.h"

namespace tavrik::magellan {

void MagellanSession::startDownload(Dataset what) {
  m_what = what;
  m_upload = false;
  m_items.clear();
  start();
}

void MagellanSession::startUpload(Dataset what, std::vector<garmin::UploadItem> items) {
  m_what = what;
  m_upload = true;
  m_items = std::move(items);
  start();
}

void MagellanSession::start() {
  m_state = State::Identifying;
  m_deadlineMs = nowMs() + kNoAnswerMs;
  m_lastHeardMs = nowMs();
  m_waypoints = m_trackPoints = m_routePoints = 0;
  m_newTrack = true;
  send(QStringLiteral("$PMGNCMD,VERSION"));
}

void MagellanSession::onBytes(QByteArrayView bytes) {
  if (!running()) return;
  m_lastHeardMs = nowMs();
  for (const QString& l : m_lines.onBytes(bytes)) {
    if (!running()) return;
    line(l);
  }
}

void MagellanSession::tick() {
  if (m_state == State::Identifying && nowMs() >= m_deadlineMs) fail(MessageText(Msg::NoMagellan));
  else if (m_state == State::Transferring && nowMs() - m_lastHeardMs >= kSilenceMs) fail(transfer_text::receiverSilent());
}

void MagellanSession::cancel() {
  if (running()) m_state = State::Failed;
}

void MagellanSession::portFailed(const QString& error) {
  if (running()) fail(error);
}

void MagellanSession::line(const QString& text) {
  QString type;
  const QStringList f = splitSentence(text, &type);
  if (type.isEmpty()) return;
  if (type == QLatin1String("VER")) {
    if (m_state != State::Identifying) return;
    const auto v = parseVersion(f);
    if (!v) return m_sink.recordRejected(QStringLiteral("Unreadable version sentence: ") + text);
    m_sink.setStatus(QStringLiteral("ID: %1, Ver: %2\n%3").arg(v->productId).arg(v->version, v->description));
    return proceed();
  }
  if (m_state != State::Transferring || m_upload) return;
  if (type == QLatin1String("WPL")) {
    const auto w = parseWaypoint(f);
    if (!w) return m_sink.recordRejected(QStringLiteral("Unreadable waypoint sentence: ") + text);
    ++m_waypoints;
    m_sink.recordShown(QStringLiteral("Magellan Waypoint %1: %2").arg(m_waypoints).arg(w->ident));
    m_sink.waypoint(*w, false);
  } else if (type == QLatin1String("TRK")) {
    auto p = parseTrackPoint(f, m_clock.now().toUTC().date());
    if (!p) return m_sink.recordRejected(QStringLiteral("Unreadable track sentence: ") + text);
    ++m_trackPoints;
    p->newTrack = m_newTrack;
    m_newTrack = false;
    m_sink.recordShown(QStringLiteral("Magellan Trackpoint %1").arg(m_trackPoints));
    m_sink.trackPoint(*p);
  } else if (type == QLatin1String("RTE")) {
    const auto r = parseRoute(f);
    if (!r) return m_sink.recordRejected(QStringLiteral("Unreadable route sentence: ") + text);
    m_sink.routeNamed(QStringLiteral("Magellan %1").arg(r->route, 2, 10, QLatin1Char('0')));
    for (const QString& ident : r->waypoints) {
      ++m_routePoints;
      m_sink.recordShown(QStringLiteral("Magellan routepoint %1").arg(m_routePoints));
      if (!m_sink.routePointNamed(ident)) m_sink.recordRejected(QStringLiteral("Route point %1 is not a stored waypoint").arg(ident));
    }
  } else if (type == QLatin1String("CMD") && f.value(0).startsWith(QLatin1String("END"))) {
    if (m_what == Dataset::Tracks) complete(QStringLiteral("%1 Magellan trackpoints").arg(m_trackPoints) + transfer_text::transferCompleted());
    else complete({});
  }
}

void MagellanSession::proceed() {
  m_state = State::Transferring;
  m_lastHeardMs = nowMs();
  if (m_what == Dataset::Proximity) return fail(transfer_text::noProximitySupport());
  if (m_upload) return upload();
  static const char* const kRequests[] = {"$PMGNCMD,WAYPOINT", "", "$PMGNCMD,ROUTE", "$PMGNCMD,TRACK"};
  send(QString::fromLatin1(kRequests[static_cast<int>(m_what)]));
}

void MagellanSession::upload() {
  // Sentences go out in one run; a route's messages follow its points' waypoints.
  QStringList idents;
  garmin::RouteHeader header;
  bool inRoute = false;
  auto endRoute = [&] {
    if (!inRoute) return;
    for (const QString& s : routeSentences(header.number, header.comment, idents)) send(s);
    idents.clear();
    inRoute = false;
  };
  for (size_t i = 0; i < m_items.size(); ++i) {
    const garmin::UploadItem& item = m_items[i];
    if (item.kind == garmin::UploadItem::Kind::RouteHeader) {
      endRoute();
      header = item.header;
      inRoute = true;
    } else {
      send(waypointSentence(item.waypoint));
      if (inRoute) idents << item.waypoint.ident.trimmed();
    }
    if (onSent) onSent(static_cast<int>(i));
  }
  endRoute();
  complete({});
}

void MagellanSession::complete(const QString& status) {
  m_state = State::Completed;
  if (!status.isEmpty()) m_sink.setStatus(status);
  else m_sink.appendStatus(m_upload ? transfer_text::transfersCompleted() : transfer_text::transferCompleted());
  m_sink.completed();
}

void MagellanSession::fail(const QString& message) {
  m_state = State::Failed;
  m_sink.failed(message);
}

}  // namespace tavrik::magellan
