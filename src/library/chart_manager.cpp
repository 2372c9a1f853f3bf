#include "library/chart_manager.h"

#include <QDir>
#include <QFileInfo>

#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "library/file_names.h"
#include "library/library_texts.h"

namespace tavrik {

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
  if (!r.ok()) return {false, r.message ? MessageText(r.message) : ErrorReportText(r.error, r.detail), {}, 0};
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
    return {false, r.message ? MessageText(r.message) : ErrorReportText(r.error, r.detail), out.skipped, 0};
  }
  out.message = MessageText(Msg::ChartsUpdated);
  return out;
}

}  // namespace tavrik
