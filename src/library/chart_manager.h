#pragma once
// The chart manager's operations: renaming a chart, pointing it at another image,
// moving a set of charts to another directory (each keeps its file name), deleting
// charts, and adding, renaming and deleting folders.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

#include "chart/chart_record_loader.h"
#include "store/database.h"

namespace tavrik {

struct FolderEntry {
  qint64 key = 0;
  QString description;
};
std::vector<FolderEntry> listFolders(Database& db);
// The charts of a folder in the order of the manager's query.
std::vector<ChartRow> chartsOfFolder(Database& db, qint64 folder);

struct ManagerOutcome {
  bool ok = true;
  QString message;       // for the user: the end report, or why nothing was stored
  QStringList skipped;   // charts left unchanged because their image is missing
  int changed = 0;
};

// One chart: the image (directory + file name) must exist; then description and
// bitmap are stored.
ManagerOutcome applyChartChange(Database& db, qint64 chart, const QString& description, const QString& directory,
                                const QString& fileName);
// Several charts: each gets `directory` + its own file name, when that file exists.
// One transaction; a directory that does not exist changes nothing.
ManagerOutcome moveChartsToDirectory(Database& db, const std::vector<qint64>& charts, const QString& directory);

// Deletes the charts' rows and their folder links in one transaction; image files stay.
ManagerOutcome deleteCharts(Database& db, const std::vector<qint64>& charts);

int chartCountOfFolder(Database& db, qint64 folder);
// Folder names must be non-empty and unique regardless of case; each change is one
// transaction. Deleting a folder removes its links only, never the charts.
ManagerOutcome addFolder(Database& db, const QString& name, const QDateTime& now, qint64* key = nullptr);
ManagerOutcome renameFolder(Database& db, qint64 folder, const QString& name);
ManagerOutcome deleteFolder(Database& db, qint64 folder);

}  // namespace tavrik
