#include "library/chart_library_store.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "chart/chart_record.h"
#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "library/file_names.h"
#include "library/library_texts.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

QString blankWhenEmpty(const QString& t) { return t.trimmed().isEmpty() ? QStringLiteral(" ") : t.trimmed().left(15); }

bool sameContent(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
  while (!fa.atEnd())
    if (fa.read(1 << 16) != fb.read(1 << 16)) return false;
  return true;
}

// Copies an image into the chart directory. Returns the path the row is to name:
// the copy, or the source when the user keeps another file of that name.
bool copyImage(const QString& source, const ChiImportOptions& o, QString* stored, QString* error) {
  const QString target = QDir(o.chartDirectory).filePath(fileNamePart(source));
  if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath()) {
    *stored = target;
    return true;
  }
  if (QFileInfo::exists(target)) {
    if (sameContent(source, target)) {
      *stored = target;
      return true;
    }
    if (!o.confirmOverwrite || !o.confirmOverwrite(target)) {
      *stored = source;
      return true;
    }
    QFile::remove(target);
  }
  QDir().mkpath(o.chartDirectory);
  if (!QFile::copy(source, target)) {
    *error = library_text::copyFailed(source, target);
    return false;
  }
  *stored = target;
  return true;
}

const std::pair<const char*, QVariant (*)(const ChartRow&)> kChartColumns[] = {
    {"description", [](const ChartRow& r) -> QVariant { return r.description; }},
    {"bitmap", [](const ChartRow& r) -> QVariant { return r.bitmap; }},
    {"mercator", [](const ChartRow& r) -> QVariant { return r.mercator ? -1 : 0; }},
    {"latitude1", [](const ChartRow& r) -> QVariant { return r.latitude1; }},
    {"longitude1", [](const ChartRow& r) -> QVariant { return r.longitude1; }},
    {"x1", [](const ChartRow& r) -> QVariant { return r.x1; }},
    {"y1", [](const ChartRow& r) -> QVariant { return r.y1; }},
    {"latitude2", [](const ChartRow& r) -> QVariant { return r.latitude2; }},
    {"longitude2", [](const ChartRow& r) -> QVariant { return r.longitude2; }},
    {"x2", [](const ChartRow& r) -> QVariant { return r.x2; }},
    {"y2", [](const ChartRow& r) -> QVariant { return r.y2; }},
    {"Latitude3", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.latitude3)); }},
    {"Longitude3", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.longitude3)); }},
    {"X3", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.x3)); }},
    {"Y3", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.y3)); }},
    {"milelat", [](const ChartRow& r) -> QVariant { return r.milelat; }},
    {"milelon", [](const ChartRow& r) -> QVariant { return r.milelon; }},
    {"maxx", [](const ChartRow& r) -> QVariant { return r.maxx; }},
    {"maxy", [](const ChartRow& r) -> QVariant { return r.maxy; }},
    {"latmin", [](const ChartRow& r) -> QVariant { return r.latmin ? QVariant(*r.latmin) : QVariant(); }},
    {"lonmin", [](const ChartRow& r) -> QVariant { return r.lonmin ? QVariant(*r.lonmin) : QVariant(); }},
    {"latmax", [](const ChartRow& r) -> QVariant { return r.latmax ? QVariant(*r.latmax) : QVariant(); }},
    {"lonmax", [](const ChartRow& r) -> QVariant { return r.lonmax ? QVariant(*r.lonmax) : QVariant(); }},
    {"Top_margin", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.topMargin)); }},
    {"Bottom_margin", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.bottomMargin)); }},
    {"Left_margin", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.leftMargin)); }},
    {"Right_margin", [](const ChartRow& r) -> QVariant { return static_cast<double>(static_cast<float>(r.rightMargin)); }},
    {"datum", [](const ChartRow& r) -> QVariant { return r.datum; }},
    {"Scale", [](const ChartRow& r) -> QVariant { return blankWhenEmpty(r.Scale); }},
    {"Depth", [](const ChartRow& r) -> QVariant { return blankWhenEmpty(r.depth); }},
    {"Revised", [](const ChartRow& r) -> QVariant { return blankWhenEmpty(r.revised); }},
    {"BSB", [](const ChartRow& r) -> QVariant { return r.bsb ? -1 : 0; }},
};

QString insertChartSql() {
  QStringList columns, marks;
  for (const auto& c : kChartColumns) {
    columns << QString::fromLatin1(c.first);
    marks << QStringLiteral("?");
  }
  return QStringLiteral("INSERT INTO Charts (") + columns.join(", ") + QStringLiteral(", created) VALUES (") +
         marks.join(", ") + QStringLiteral(", ?)");
}

QString updateChartSql() {
  QStringList sets;
  for (const auto& c : kChartColumns) sets << QString::fromLatin1(c.first) + QStringLiteral(" = ?");
  return QStringLiteral("UPDATE Charts SET ") + sets.join(", ") + QStringLiteral(", created = ? WHERE chart = ?");
}

// The chart's row as read, for export; nullopt when the description is unknown.
std::optional<ChartRow> chartRowByDescription(Database& db, const QString& description) {
  std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("SELECT * FROM Charts WHERE ") + chartFilter(description));
  if (rs->eof()) return std::nullopt;
  return chartRowFromRecordset(*rs);
}

}  // namespace

int ImportOutcome::storedCount(const QString& table) const {
  int n = 0;
  for (const ImportedRow& r : rows) n += r.table == table ? 1 : 0;
  return n;
}

StoreResult storeChartRow(Database& db, const ChartRow& row, const QDateTime& now, qint64* key, bool* added) {
  QVariantList args;
  for (const auto& c : kChartColumns) args << c.second(row);
  args << dbDateText(now);
  StoreResult r;
  const QVariant existing =
      db.scalar(QStringLiteral("SELECT chart FROM Charts WHERE description = ? ORDER BY chart"), {row.description}, &r);
  if (!r.ok()) return r;
  if (existing.isValid()) {
    r = db.execute(updateChartSql(), args + QVariantList{existing});
    *key = existing.toLongLong();
  } else {
    r = db.execute(insertChartSql(), args);
    *key = db.lastInsertId();
  }
  if (added) *added = !existing.isValid();
  return r;
}

StoreResult ensureFolder(Database& db, const QString& description, const QDateTime& now, qint64* key, bool* added) {
  StoreResult r;
  const QVariant existing = db.scalar(QStringLiteral("SELECT folder FROM Folders WHERE description = ?"), {description}, &r);
  if (!r.ok()) return r;
  if (added) *added = !existing.isValid();
  if (existing.isValid()) {
    *key = existing.toLongLong();
    return r;
  }
  r = db.execute(QStringLiteral("INSERT INTO Folders (description, created) VALUES (?, ?)"), {description, dbDateText(now)});
  *key = db.lastInsertId();
  return r;
}

StoreResult linkChartToFolder(Database& db, qint64 folder, qint64 chart, const QDateTime& now, bool* added) {
  StoreResult r;
  const QVariant n = db.scalar(QStringLiteral("SELECT COUNT(*) FROM [Folder charts] WHERE Folder = ? AND Chart = ?"),
                               {folder, chart}, &r);
  if (!r.ok()) return r;
  if (added) *added = n.toInt() == 0;
  if (n.toInt() > 0) return r;
  return db.execute(QStringLiteral("INSERT INTO [Folder charts] (Folder, Chart, created) VALUES (?, ?, ?)"),
                    {folder, chart, dbDateText(now)});
}

std::optional<int> datumKeyByDescription(Database& db, const QString& description) {
  const QVariant v = db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = ?"), {description});
  if (!v.isValid()) return std::nullopt;
  return v.toInt();
}

QString datumDescription(Database& db, int key) {
  return db.scalar(QStringLiteral("SELECT description FROM Datums WHERE datum = ?"), {key}).toString();
}

StoreResult ChartStoreSession::load() {
  if (m_loaded) return {};
  StoreResult r;
  for (const QVariantList& row : m_db.rows(QStringLiteral("SELECT chart, description FROM Charts ORDER BY chart DESC"), {}, &r))
    m_charts.insert(row.value(1).toString().toLower(), row.value(0).toLongLong());  // the first row of a name wins
  if (r.ok())
    for (const QVariantList& row : m_db.rows(QStringLiteral("SELECT folder, description FROM Folders"), {}, &r))
      m_folders.insert(row.value(1).toString().toLower(), row.value(0).toLongLong());
  if (r.ok())
    for (const QVariantList& row : m_db.rows(QStringLiteral("SELECT datum, description FROM Datums ORDER BY datum DESC"), {}, &r))
      m_datums.insert(row.value(1).toString().toLower(), row.value(0).toInt());
  if (r.ok())
    for (const QVariantList& row : m_db.rows(QStringLiteral("SELECT Folder, Chart FROM [Folder charts]"), {}, &r))
      m_links.insert({row.value(0).toLongLong(), row.value(1).toLongLong()});
  if (r.ok()) m_newCharts = m_db.openRecordset(QStringLiteral("SELECT * FROM Charts WHERE chart = -1"), &r);
  if (r.ok()) m_newLinks = m_db.openRecordset(QStringLiteral("SELECT * FROM [Folder charts] WHERE Folder = -1"), &r);
  m_loaded = r.ok();
  return r;
}

StoreResult ChartStoreSession::storeChart(const ChartRow& row, qint64* key, bool* added) {
  StoreResult r = load();
  if (!r.ok()) return r;
  const auto found = m_charts.constFind(row.description.toLower());
  *added = found == m_charts.cend();
  if (!*added) {
    *key = *found;
    QVariantList args;
    for (const auto& c : kChartColumns) args << c.second(row);
    args << dbDateText(m_now) << *key;
    return m_db.execute(updateChartSql(), args);
  }
  r = m_newCharts->addNew();
  for (const auto& c : kChartColumns)
    if (r.ok()) r = m_newCharts->setValue(QString::fromLatin1(c.first), c.second(row));
  if (r.ok()) r = m_newCharts->setValue(QStringLiteral("created"), m_now);
  if (r.ok()) r = m_newCharts->update();
  if (!r.ok()) return r;
  *key = m_newCharts->integer(QStringLiteral("chart"));
  m_charts.insert(row.description.toLower(), *key);
  return r;
}

StoreResult ChartStoreSession::ensureFolder(const QString& description, qint64* key, bool* added) {
  StoreResult r = load();
  if (!r.ok()) return r;
  const auto found = m_folders.constFind(description.toLower());
  *added = found == m_folders.cend();
  if (!*added) {
    *key = *found;
    return r;
  }
  r = tavrik::ensureFolder(m_db, description, m_now, key);
  if (r.ok()) m_folders.insert(description.toLower(), *key);
  return r;
}

StoreResult ChartStoreSession::link(qint64 folder, qint64 chart, bool* added) {
  StoreResult r = load();
  if (!r.ok()) return r;
  *added = !m_links.contains({folder, chart});
  if (!*added) return r;
  r = m_newLinks->addNew();
  if (r.ok()) r = m_newLinks->setValue(QStringLiteral("Folder"), folder);
  if (r.ok()) r = m_newLinks->setValue(QStringLiteral("Chart"), chart);
  if (r.ok()) r = m_newLinks->setValue(QStringLiteral("created"), m_now);
  if (r.ok()) r = m_newLinks->update();
  if (r.ok()) m_links.insert({folder, chart});
  return r;
}

std::optional<int> ChartStoreSession::datumKey(const QString& description) {
  if (!load().ok()) return std::nullopt;
  const auto found = m_datums.constFind(description.toLower());
  if (found == m_datums.cend()) return std::nullopt;
  return *found;
}

void deriveCalibration(ChartRow& row) {
  ChartRecord c;
  CopyCalibrationPoints(row, c);
  CalibrateScales(c);
  ComputeBounds(c, {row.maxx, row.maxy, row.topMargin, row.bottomMargin, row.leftMargin, row.rightMargin});
  row.milelat = c.milelat;
  row.milelon = c.milelon;
  row.latmin = c.latmin;
  row.lonmin = c.lonmin;
  row.latmax = c.latmax;
  row.lonmax = c.lonmax;
}

ImportOutcome importChiFile(Database& db, const QString& path, const ChiImportOptions& options) {
  ImportOutcome out;
  const auto fail = [&out](const QString& message) {
    out.ok = false;
    out.error = message;
    out.rows.clear();
    return out;
  };
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return fail(library_text::cannotRead(path));
  const ChiFile file = parseChi(f.readAll());
  if (file.version == ChiVersion::Invalid) return fail(MessageText(Msg::NotChartInformationFile));
  const QString chiDir = withTrailingSeparator(QFileInfo(path).absolutePath());
  const bool wave = file.version == ChiVersion::WaveAtlas;
  const bool fixed = file.version == ChiVersion::V1 || file.version == ChiVersion::V2;

  StoreResult r = db.beginTrans();
  if (!r.ok()) return fail(ErrorReportText(r.error, r.detail));
  ChartStoreSession session(db, options.now);
  QSet<QString> imagesSeen;
  const auto abandon = [&](const QString& message) {
    db.rollback();
    return fail(message);
  };
  // The charts before a block error are checked and stored like the others, then
  // rolled back with the file.
  for (const ChiChart& chart : file.charts) {
    if (options.progress) options.progress(chart.row.description);
    ChartRow row = chart.row;
    const QString source = chiDir + chart.imageName;
    if (wave) {
      row.bitmap = chart.imageName;
    } else {
      const bool exists = imagesSeen.contains(source) || QFileInfo::exists(source);
      if (!fixed && !exists) return abandon(MessageText(Msg::ChartDoesNotExist) + QStringLiteral(" ") + source);
      if (exists) imagesSeen.insert(source);
      row.bitmap = source;
      if (options.copyImages && exists) {
        QString error;
        if (!copyImage(source, options, &row.bitmap, &error)) return abandon(error);
      }
    }
    if (fixed) {
      std::optional<int> datum;
      if (file.version == ChiVersion::V2) datum = session.datumKey(chart.datumDescription);
      if (!datum && db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE datum = ?"), {chart.datumKey}).isValid())
        datum = chart.datumKey;
      if (!datum) out.warnings << library_text::unknownDatum(QString::number(chart.datumKey));
      row.datum = datum.value_or(0);
    } else {
      const std::optional<int> datum = session.datumKey(chart.datumDescription);
      if (!datum) out.warnings << library_text::unknownDatum(chart.datumDescription);
      row.datum = datum.value_or(0);
      if (row.mercator) row.latitude3 = row.longitude3 = row.x3 = row.y3 = 0;
      deriveCalibration(row);
    }
    qint64 chartKey = 0;
    bool added = false;
    r = session.storeChart(row, &chartKey, &added);
    if (!r.ok()) return abandon(ErrorReportText(r.error, r.detail));
    out.rows.push_back({QStringLiteral("Charts"), chartKey, row.description, added});
    for (const QString& folder : chart.folders) {
      qint64 folderKey = 0;
      bool folderAdded = false, linkAdded = false;
      r = session.ensureFolder(folder, &folderKey, &folderAdded);
      if (r.ok()) r = session.link(folderKey, chartKey, &linkAdded);
      if (!r.ok()) return abandon(ErrorReportText(r.error, r.detail));
      if (folderAdded) out.rows.push_back({QStringLiteral("Folders"), folderKey, folder, true});
      if (linkAdded) out.rows.push_back({QStringLiteral("Folder charts"), folderKey, folder + " / " + row.description, true});
    }
  }
  if (file.error.failed()) return abandon(file.error.message(path));
  r = db.commitTrans();
  if (!r.ok()) return abandon(ErrorReportText(r.error, r.detail));
  return out;
}

bool exportChiFile(Database& db, const QStringList& descriptions, const ChiExportOptions& options, const QString& path,
                   QString* error) {
  if (options.version != ChiVersion::V2 && options.version != ChiVersion::V3) {
    *error = QStringLiteral("Charts are written in version 2.0 or 3.0");
    return false;
  }
  QByteArray text = chiHeader(options.version);
  for (const QString& description : descriptions) {
    const std::optional<ChartRow> row = chartRowByDescription(db, description);
    if (!row) {
      *error = library_text::chartNotFound(description);
      return false;
    }
    ChiChart chart;
    chart.row = *row;
    chart.imageName = fileNamePart(row->bitmap);
    chart.datumDescription = datumDescription(db, row->datum);
    if (options.version == ChiVersion::V2) {
      text += toAnsi(chiLineV2(chart)) + "\r\n";
      continue;
    }
    if (options.includeFolders)
      for (const QVariantList& f : db.rows(QStringLiteral("SELECT DESCRIPTION FROM Folders, [Folder charts]"
                                                          " WHERE Folders.Folder = [Folder charts].Folder"
                                                          " AND [Folder charts].Chart = ") +
                                           QString::number(row->chart)))
        chart.folders << f.value(0).toString();
    text += toAnsi(chiBlockV3(chart));
  }
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
    *error = library_text::cannotWrite(path);
    return false;
  }
  return true;
}

}  // namespace tavrik
