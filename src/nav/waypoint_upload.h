#pragma once
// The waypoint upload: WPL sentences for the chosen waypoints, one per tick with the
// pause `WPLInterval` between them kept by the caller's timer, never by waiting.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "nav/goto_sentences.h"

namespace tavrik {

class SettingsStore;

// The "GPWPL" section of the settings file, read with its defaults and written back.
WplLayout loadWplLayout(const SettingsStore& ini);
int loadWplInterval(const SettingsStore& ini);  // seconds after each sentence
void saveWplLayout(SettingsStore& ini, const WplLayout& layout, int intervalSeconds);

struct UploadWaypoint {
  double lat = 0, lon = 0;
  QString description;
};

// The query of the upload for the chosen group and type numbers (either may be
// empty); empty when neither is chosen.
QString uploadQuery(const QStringList& groups, const QStringList& types);

class WaypointUpload {
 public:
  WaypointUpload(WplLayout layout, std::vector<UploadWaypoint> waypoints);
  // How many sentences go out: every waypoint, at most WPLMaxnumber while numbering.
  int total() const { return m_total; }
  int sent() const { return m_next; }
  bool finished() const { return m_cancelled || m_next >= m_total; }
  void cancel() { m_cancelled = true; }
  // The next sentence with checksum and CR LF; empty when finished.
  QByteArray next();

 private:
  WplLayout m_layout;
  std::vector<UploadWaypoint> m_waypoints;
  int m_total = 0;
  int m_next = 0;
  bool m_cancelled = false;
};

}  // namespace tavrik
