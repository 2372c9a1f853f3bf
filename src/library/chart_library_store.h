#pragma once
// Storing charts, folders and links the way every import does: a chart is found by its
// description and updated, or added; a folder is found by its description or added; a
// link is added once. Text is bound, so names such as "Skipper's Rock" work. The
// callers open the transaction around a whole file.

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chart/chart_record_loader.h"
#include "library/chi_file.h"
#include "store/database.h"

namespace tavrik {

// One stored row, for the listings of the tools and windows.
struct ImportedRow {
  QString table;  // "Charts", "Folders", "Waypoints", "Routes", "Tracks", "Track data", ...
  qint64 key = 0;
  QString description;
  bool added = true;  // false: an existing row was updated
};

// What one file did. `error` is the user's message when the file failed (then nothing
// of it is stored); `warnings` are things skipped on the way.
struct ImportOutcome {
  bool ok = true;
  QString error;
  QStringList warnings;
  std::vector<ImportedRow> rows;
  int storedCount(const QString& table) const;
};

// Writes every column of the row (blank " " for empty Scale, Depth, Revised) to the
// chart of its description; the key lands in *key. `added` tells whether it was new.
StoreResult storeChartRow(Database& db, const ChartRow& row, const QDateTime& now, qint64* key, bool* added = nullptr);
// The key of the folder of a description, adding it when missing.
StoreResult ensureFolder(Database& db, const QString& description, const QDateTime& now, qint64* key,
                         bool* added = nullptr);
// Adds the link of a chart to a folder unless it exists.
StoreResult linkChartToFolder(Database& db, qint64 folder, qint64 chart, const QDateTime& now, bool* added = nullptr);
// A datum's key by its description; nullopt when there is none.
std::optional<int> datumKeyByDescription(Database& db, const QString& description);
QString datumDescription(Database& db, int key);

// The same operations for a run of many charts in one transaction: the keys of
// charts, folders, links and datums are read once, and the writes reuse prepared
// statements. Valid while nothing else writes those tables.
class ChartStoreSession {
 public:
  ChartStoreSession(Database& db, const QDateTime& now) : m_db(db), m_now(now) {}
  StoreResult storeChart(const ChartRow& row, qint64* key, bool* added);
  StoreResult ensureFolder(const QString& description, qint64* key, bool* added);
  StoreResult link(qint64 folder, qint64 chart, bool* added);
  std::optional<int> datumKey(const QString& description);

 private:
  StoreResult load();
  Database& m_db;
  QDateTime m_now;
  bool m_loaded = false;
  QHash<QString, qint64> m_charts, m_folders;  // by lower-case description
  QHash<QString, int> m_datums;
  QSet<QPair<qint64, qint64>> m_links;
  std::unique_ptr<Recordset> m_newCharts, m_newLinks;
};

// The derived values of a native chart: scales from the calibration, bounds from the
// margins and the image size.
void deriveCalibration(ChartRow& row);

struct ChiImportOptions {
  bool copyImages = false;
  QString chartDirectory;
  QDateTime now;
  // Asked when a copy would replace a different file in the chart directory; false
  // keeps that file and leaves the image where it is. Unset: never replace.
  std::function<bool(const QString& target)> confirmOverwrite;
  std::function<void(const QString& description)> progress;
};

// Imports one .chi file in one transaction.
ImportOutcome importChiFile(Database& db, const QString& path, const ChiImportOptions& options);

struct ChiExportOptions {
  ChiVersion version = ChiVersion::V3;
  bool includeFolders = false;
};
// Writes the charts of the descriptions, in that order, to `path`.
bool exportChiFile(Database& db, const QStringList& descriptions, const ChiExportOptions& options, const QString& path,
                   QString* error);

}  // namespace tavrik
