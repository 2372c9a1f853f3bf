#include "edit/info_points.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

#include "store/upgrade.h"

namespace tavrik {

QString OpenDocumentMessage(int result) {
  switch (result) {
    case 2: return QStringLiteral("File not found");
    case 3: return QStringLiteral("Path not found");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 31: return QStringLiteral("No association for file extension");
    case 32: return QStringLiteral("DLL not found");
    default: return result <= 32 ? QStringLiteral("Unknown error") : QString();
  }
}

namespace {

// Programs, scripts and launchers are never started from an info point.
bool IsProgram(const QFileInfo& info) {
  static const QStringList kProgramSuffixes = {
      QStringLiteral("desktop"), QStringLiteral("sh"),  QStringLiteral("bash"), QStringLiteral("exe"),
      QStringLiteral("bat"),     QStringLiteral("cmd"), QStringLiteral("com"),  QStringLiteral("py"),
      QStringLiteral("pl"),      QStringLiteral("jar"), QStringLiteral("appimage"), QStringLiteral("run"),
      QStringLiteral("bin"),     QStringLiteral("msi"), QStringLiteral("vbs"),  QStringLiteral("ps1")};
  return info.isExecutable() || kProgramSuffixes.contains(info.suffix().toLower());
}

}  // namespace

DocumentCheck CheckDocument(const QString& infoFolder, const QString& name) {
  DocumentCheck out;
  const QString n = name.trimmed();
  if (n.isEmpty()) return out;
  const QUrl link(n);
  const QString scheme = link.scheme().toLower();
  if (scheme == QStringLiteral("http") || scheme == QStringLiteral("https") || scheme == QStringLiteral("mailto")) {
    out.result = DocumentResult::Opened;
    out.url = link;
    return out;
  }
  const QString slashed = QString(n).replace(QLatin1Char('\\'), QLatin1Char('/'));
  const bool asGiven = slashed.contains(QLatin1Char(':')) || QDir::isAbsolutePath(slashed);
  const QString folder = QDir::cleanPath(QDir(infoFolder).absolutePath());
  const QString path = QDir::cleanPath(asGiven ? slashed : folder + QLatin1Char('/') + slashed);
  // ".." may not lead out of the info database's folder.
  const bool climbs = slashed.split(QLatin1Char('/')).contains(QStringLiteral(".."));
  if (climbs && !path.startsWith(folder + QLatin1Char('/'))) {
    out.result = DocumentResult::AccessDenied;
    return out;
  }
  const QFileInfo info(path);
  if (!info.exists()) {
    out.result = QFileInfo(info.absolutePath()).isDir() ? DocumentResult::FileNotFound : DocumentResult::PathNotFound;
    return out;
  }
  if (!info.isFile() || IsProgram(info)) {
    out.result = DocumentResult::AccessDenied;
    return out;
  }
  out.result = DocumentResult::Opened;
  out.url = QUrl::fromLocalFile(info.absoluteFilePath());
  return out;
}

int OpenDocument(const QString& infoFolder, const QString& name, const std::function<bool(const QUrl&)>& opener) {
  const DocumentCheck check = CheckDocument(infoFolder, name);
  if (check.result != DocumentResult::Opened) return check.result;
  return opener(check.url) ? DocumentResult::Opened : DocumentResult::NoAssociation;
}

StoreResult OpenInfoDatabase(Database& info, const QString& path, InfoHeader& header) {
  header = InfoHeader();
  info.close();
  StoreResult r = openInfoDatabase(info, path);
  if (!r.ok()) {
    // Without a Version row there is no version to bring up to date: the points are
    // shown as they are.
    info.close();
    const bool opened = info.open(path).ok();
    const bool noVersionRow = opened && info.hasTable(QStringLiteral("Version")) &&
                              info.scalar(QStringLiteral("SELECT COUNT(*) FROM Version")).toLongLong() == 0;
    if (!noVersionRow) {
      info.close();
      return r;
    }
  }
  if (!info.hasTable(QStringLiteral("Info points"))) {
    info.close();
    return StoreResult::failure(DbError::TableNotFound, QStringLiteral("The file holds no info points"));
  }
  const std::vector<QVariantList> rows =
      info.rows(QStringLiteral("SELECT Name, Version, Copyright, Area, Icon FROM Version"), {}, &r);
  if (r.ok() && !rows.empty()) {
    header.present = true;
    header.name = rows[0].value(0).toString().trimmed();
    header.version = rows[0].value(1).toString().trimmed();
    header.copyright = rows[0].value(2).toString().trimmed();
    header.area = rows[0].value(3).toString().trimmed();
    header.icon = rows[0].value(4).toString().trimmed();
  }
  return StoreResult::success();
}

namespace {
QString Blank(const QString& s) { return s.trimmed().isEmpty() ? QStringLiteral(" ") : s.trimmed(); }
}  // namespace

StoreResult SaveInfoPoint(Database& info, InfoPoint& point, const QDateTime& now) {
  StoreResult r;
  std::unique_ptr<Recordset> rs;
  if (point.key == 0) {
    rs = info.openRecordset(QStringLiteral("Info points"), &r);
    if (r.ok()) r = rs->addNew();
    if (r.ok()) r = rs->setValue(QStringLiteral("Created"), now);
  } else {
    rs = info.openRecordset(QStringLiteral("SELECT * FROM [Info points] WHERE Info = ") + QString::number(point.key), &r);
    if (r.ok() && rs->eof()) r = StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record."));
    if (r.ok()) r = rs->edit();
  }
  const std::pair<const char*, QVariant> fields[] = {
      {"Latitude", point.latitude}, {"Longitude", point.longitude}, {"Name", Blank(point.name)},
      {"File", Blank(point.file)},  {"Icon", Blank(point.icon)},    {"Chart", Blank(point.chart)}};
  for (const auto& [field, value] : fields)
    if (r.ok()) r = rs->setValue(QLatin1String(field), value);
  const bool added = point.key == 0;
  if (r.ok()) r = rs->update();
  if (!r.ok()) {
    if (rs) rs->cancelUpdate();
    return r;
  }
  if (added) point.key = static_cast<long>(info.lastInsertId());
  return r;
}

bool ReadInfoPoint(Database& info, long key, InfoPoint& point) {
  const std::vector<QVariantList> rows = info.rows(
      QStringLiteral("SELECT Name, File, Icon, Latitude, Longitude, Chart FROM [Info points] WHERE Info = ?"),
      {static_cast<qlonglong>(key)});
  if (rows.empty()) return false;
  point.key = key;
  point.name = rows[0].value(0).toString().trimmed();
  point.file = rows[0].value(1).toString().trimmed();
  point.icon = rows[0].value(2).toString().trimmed();
  point.latitude = rows[0].value(3).toDouble();
  point.longitude = rows[0].value(4).toDouble();
  point.chart = rows[0].value(5).toString();
  return true;
}

StoreResult DeleteInfoPoint(Database& info, long key) {
  return info.execute(QStringLiteral("DELETE FROM [Info points] WHERE Info = ?"), {static_cast<qlonglong>(key)});
}

}  // namespace tavrik
