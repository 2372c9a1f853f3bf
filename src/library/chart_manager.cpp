#include "library/chart_manager.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "library/file_names.h"
#include "library/library_texts.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

QString storeFailureText(const StoreResult& r) {
  return r.message ? MessageText(r.message) : ErrorReportText(r.error, r.detail);
}

// Runs the steps in one transaction; any failure rolls every step back.
ManagerOutcome inTransaction(Database& db, const std::function<StoreResult(int& changed)>& steps) {
  int changed = 0;
  StoreResult r = db.beginTrans();
  if (r.ok()) r = steps(changed);
  if (r.ok()) r = db.commitTrans();
  if (!r.ok()) {
    db.rollback();
    return {false, storeFailureText(r), {}, 0};
  }
  return {true, {}, {}, changed};
}

bool folderExists(Database& db, qint64 folder) {
  return db.scalar(QStringLiteral("SELECT folder FROM Folders WHERE folder = ?"), {folder}).isValid();
}

// Empty when the name may be used for `folder` (0 for a new one), else why not.
QString folderNameRefusal(Database& db, const QString& name, qint64 folder) {
  if (name.isEmpty()) return MessageText(Msg::MustEnterName);
  const QVariant other = db.scalar(QStringLiteral("SELECT folder FROM Folders WHERE lower(description) = lower(?) AND folder <> ?"),
                                   {name, folder});
  return other.isValid() ? MessageText(Msg::FolderExists) : QString();
}

}  // namespace

std::vector<FolderEntry> listFolders(Database& db) {
  std::vector<FolderEntry> out;
  for (const QVariantList& r : db.rows(QStringLiteral("SELECT folder, description FROM [Folders] OrdER BY description")))
    out.push_back({r.value(0).toLongLong(), r.value(1).toString()});
  return out;
}

std::vector<ChartRow> chartsOfFolder(Database& db, qint64 folder) {
  std::vector<ChartRow> out;
  std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("SELECT Charts.* FROM [Folder charts], Charts "
                                                                  " WHERE [Folder charts].Chart = Charts.chart"
                                                                  " AND [Folder charts].Folder = ") +
                                                   QString::number(folder));
  for (; !rs->eof(); rs->moveNext()) out.push_back(chartRowFromRecordset(*rs));
  return out;
}

ManagerOutcome applyChartChange(Database& db, qint64 chart, const QString& description, const QString& directory,
                                const QString& fileName) {
  ManagerOutcome out;
  const QString image = withTrailingSeparator(directory) + fileName;
  if (description.trimmed().isEmpty()) return {false, MessageText(Msg::DescriptionMustHaveValue), {}, 0};
  if (fileName.trimmed().isEmpty() || !QFileInfo(image).isFile())
    return {false, library_text::imageDoesNotExist(image), {}, 0};
  const StoreResult r = db.execute(QStringLiteral("UPDATE Charts SET description = ?, bitmap = ? WHERE Chart = ?"),
                                   {description.trimmed(), image, chart});
  if (!r.ok()) return {false, storeFailureText(r), {}, 0};
  out.changed = db.recordsAffected();
  out.message = MessageText(Msg::ChartsUpdated);
  return out;
}

ManagerOutcome moveChartsToDirectory(Database& db, const std::vector<qint64>& charts, const QString& directory) {
  ManagerOutcome out;
  if (directory.trimmed().isEmpty() || !QFileInfo(directory).isDir())
    return {false, library_text::pathDoesNotExist(directory), {}, 0};
  const QString dir = withTrailingSeparator(directory);
  StoreResult r = db.beginTrans();
  for (qint64 key : charts) {
    if (!r.ok()) break;
    const QVariant bitmap = db.scalar(QStringLiteral("SELECT bitmap FROM Charts WHERE chart = ?"), {key});
    if (!bitmap.isValid()) continue;
    const QString image = dir + fileNamePart(bitmap.toString());
    if (!QFileInfo(image).isFile()) {
      out.skipped << library_text::imageDoesNotExist(image);
      continue;
    }
    r = db.execute(QStringLiteral("UPDATE Charts SET bitmap = ? WHERE chart = ?"), {image, key});
    out.changed += r.ok() ? 1 : 0;
  }
  if (r.ok()) r = db.commitTrans();
  if (!r.ok()) {
    db.rollback();
    return {false, storeFailureText(r), out.skipped, 0};
  }
  out.message = MessageText(Msg::ChartsUpdated);
  return out;
}

ManagerOutcome deleteCharts(Database& db, const std::vector<qint64>& charts) {
  return inTransaction(db, [&](int& changed) {
    StoreResult r;
    for (qint64 key : charts) {
      r = db.execute(QStringLiteral("DELETE FROM [Folder charts] WHERE Chart = ?"), {key});
      if (r.ok()) r = db.execute(QStringLiteral("DELETE FROM Charts WHERE chart = ?"), {key});
      if (!r.ok()) break;
      changed += db.recordsAffected();
    }
    return r;
  });
}

int chartCountOfFolder(Database& db, qint64 folder) {
  return db.scalar(QStringLiteral("SELECT COUNT(*) FROM [Folder charts] WHERE Folder = ?"), {folder}).toInt();
}

ManagerOutcome addFolder(Database& db, const QString& name, const QDateTime& now, qint64* key) {
  const QString refusal = folderNameRefusal(db, name.trimmed(), 0);
  if (!refusal.isEmpty()) return {false, refusal, {}, 0};
  return inTransaction(db, [&](int& changed) {
    const StoreResult r = db.execute(QStringLiteral("INSERT INTO Folders (description, created) VALUES (?, ?)"),
                                     {name.trimmed(), dbDateText(now)});
    if (r.ok() && key) *key = db.lastInsertId();
    changed = r.ok() ? 1 : 0;
    return r;
  });
}

ManagerOutcome renameFolder(Database& db, qint64 folder, const QString& name) {
  if (!folderExists(db, folder)) return {false, MessageText(Msg::FolderDoesNotExist), {}, 0};
  const QString refusal = folderNameRefusal(db, name.trimmed(), folder);
  if (!refusal.isEmpty()) return {false, refusal, {}, 0};
  return inTransaction(db, [&](int& changed) {
    const StoreResult r = db.execute(QStringLiteral("UPDATE Folders SET description = ? WHERE folder = ?"), {name.trimmed(), folder});
    changed = db.recordsAffected();
    return r;
  });
}

ManagerOutcome deleteFolder(Database& db, qint64 folder) {
  if (!folderExists(db, folder)) return {false, MessageText(Msg::FolderDoesNotExist), {}, 0};
  return inTransaction(db, [&](int& changed) {
    StoreResult r = db.execute(QStringLiteral("DELETE FROM [Folder charts] WHERE Folder = ?"), {folder});
    if (r.ok()) r = db.execute(QStringLiteral("DELETE FROM Folders WHERE folder = ?"), {folder});
    changed = r.ok() ? 1 : 0;
    return r;
  });
}

}  // namespace tavrik
