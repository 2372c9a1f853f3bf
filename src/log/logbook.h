#pragma once
// The logbook's recording side: entries raised anywhere in the program wait in a
// queue until the main cycle writes them (WriteLogEntry); the log timer writes an
// automatic entry every log interval while logging runs. Every entry stores the same
// snapshot of the instruments (values never received are 0).
//
// A write that fails stays queued and is tried again at the next tick, so an entry is
// not lost to a database that is busy for a moment; the third failure in a row is
// shown to the user once.

#include <QDateTime>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "store/database.h"

namespace tavrik {

// What the one raising an entry says about it.
struct LogEntryRequest {
  QString type;          // description of the entry type; empty: an entry without type
  QString positionText;  // the position the entry is about, empty when none
  float positionLat = 0, positionLon = 0;
  QString memo;
  bool automatic = false;  // written by the log timer: no position fields, no memo
};

// The instrument values an entry stores, taken when it is written.
struct LogSnapshot {
  QDateTime date;
  float latitude = 0, longitude = 0;
  float sogKn = 0, cogDeg = 0, waterSpeedKn = 0, headingMagDeg = 0, tripNm = 0;
  float temperatureC = 0, depthM = 0, pressureMb = 0, windDirectionDeg = 0, windSpeedKn = 0;
  static LogSnapshot of(const NavigationState& nav, const QDateTime& now);
};

// The types the program writes itself (input sources and chart events); the log-text
// window and the print chooser leave them out.
const QStringList& reservedLogEntryTypes();

// One entry in one transaction: the type row (added on its first use) and the Log row.
StoreResult writeLogRow(Database& db, const LogEntryRequest& entry, const LogSnapshot& values);

// The log's setup: "Log interval (seconds)" and "Start log at startup" into the System
// row. An empty, non-numeric or non-positive interval gives "No log interval entered"
// (its message number is returned, nothing stored); 0 on success, -1 when the store
// failed (*result says why).
int storeLogSettings(Database& db, AppSettings& settings, const QString& intervalText, bool startAtStartup,
                     StoreResult* result = nullptr);

class Logbook {
 public:
  Logbook(Database& db, const NavigationState& nav, const AppSettings& settings, StatusPanels& panels,
          Prompter& prompter, const Clock& clock)
      : m_db(db), m_nav(nav), m_settings(settings), m_panels(panels), m_prompter(prompter), m_clock(clock) {}

  // Queues an entry; the main cycle writes it at its next tick. Usable from anywhere
  // in the program (go-to, MOB, chart marks and fixes, the log-text window).
  void RaiseLogEntry(const LogEntryRequest& entry);
  bool LogPending() const { return !m_pending.empty(); }
  size_t pendingCount() const { return m_pending.size(); }

  // Main cycle: writes the queued entries in the order raised. The first one that
  // fails stops the run and stays queued with everything after it.
  void WriteLogEntry();

  // l_start: "Log is running", the start entry, the log timer on.
  void start();
  // l_stop: the log timer off, "Log is stopped".
  void stop();
  bool running() const { return m_running; }
  // The log timer (every 1000 ms while running): an automatic entry every log interval.
  void tick();

  // Type of the automatic entries: the input source (GPS, Simul, Test, OLE) when one
  // is shown, else "GPS".
  QString automaticEntryType() const;

  // The position last marked on the chart; the log-text window offers it. Set by the
  // chart's mark command.
  struct MarkedPosition {
    float lat = 0, lon = 0;
  };
  std::optional<MarkedPosition> lastMarked;

  // The window owning the log timer starts or stops it and swaps l_start/l_stop.
  std::function<void(bool running)> onRunningChanged;

 private:
  StoreResult write(const LogEntryRequest& entry);
  void noteFailure(const StoreResult& r);

  Database& m_db;
  const NavigationState& m_nav;
  const AppSettings& m_settings;
  StatusPanels& m_panels;
  Prompter& m_prompter;
  const Clock& m_clock;
  struct Pending {
    LogEntryRequest entry;
    LogSnapshot values;  // taken when raised, so a retried entry keeps its moment
  };
  std::deque<Pending> m_pending;
  bool m_running = false;
  int m_seconds = 0;
  int m_failures = 0;        // failed writes in a row
  bool m_failureShown = false;
};

}  // namespace tavrik
