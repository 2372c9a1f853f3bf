#include "log/log_query.h"

#include <QLocale>
#include <QStringList>

#include "core/messages.h"
#include "log/logbook.h"
#include "store/sql_text.h"

namespace tavrik {

std::vector<LogTypeItem> chooserTypes(Database& db, ChooserKind kind, const QString& mode) {
  std::vector<LogTypeItem> out;
  const QStringList& reserved = reservedLogEntryTypes();
  QStringList upper;
  for (const QString& t : reserved) upper << t.toUpper();
  for (const QVariantList& row :
       db.rows(QStringLiteral("SELECT description, [Entry type] FROM [Log entry types] ORDER BY [Entry type]"))) {
    const QString description = row.value(0).toString();
    if (kind == ChooserKind::Print && reserved.contains(description, Qt::CaseSensitive)) continue;
    if (kind == ChooserKind::ShowOrPlot && mode == QLatin1String("Plot") &&
        upper.contains(description.toUpper(), Qt::CaseSensitive))
      continue;
    out.push_back({description, row.value(1).toLongLong()});
  }
  return out;
}

namespace {

QDate readDate(const QString& text) {
  const QString t = text.trimmed();
  const QLocale locale;
  for (const QString& format : {locale.dateFormat(QLocale::ShortFormat), QStringLiteral("yyyy-MM-dd"),
                                QStringLiteral("MM/dd/yyyy"), QStringLiteral("dd-MM-yyyy")}) {
    QDate d = locale.toDate(t, format);
    // Two-digit years of the short format are read as this century.
    if (d.isValid() && d.year() < 1950) d = d.addYears(100);
    if (d.isValid()) return d;
  }
  return {};
}

QTime readTime(const QString& text) {
  const QString t = text.trimmed();
  for (const char* format : {"H:mm", "H:mm:ss", "H.mm"}) {
    const QTime time = QTime::fromString(t, QLatin1String(format));
    if (time.isValid()) return time;
  }
  return {};
}

QString typeList(const std::vector<qint64>& types) {
  QStringList parts;
  for (qint64 t : types) parts << QString::number(t);
  return parts.join(QStringLiteral(", "));
}

// "#mm/dd/yyyy hh:nn:ss AM/PM#", the literal the store translates.
QString literal(const QDateTime& t) {
  return QLatin1Char('#') + QLocale::c().toString(t, QStringLiteral("MM/dd/yyyy hh:mm:ss AP")) + QLatin1Char('#');
}

}  // namespace

LogRange readLogRange(const QString& fromDate, const QString& fromTime, const QString& toDate, const QString& toTime) {
  LogRange r;
  const QDate fd = readDate(fromDate), td = readDate(toDate);
  QTime ft = readTime(fromTime), tt = readTime(toTime);
  if (!fd.isValid() || !td.isValid() || !ft.isValid() || !tt.isValid()) return r;
  ft.setHMS(ft.hour(), ft.minute(), 0);
  tt.setHMS(tt.hour(), tt.minute(), 59);
  r.from = QDateTime(fd, ft);
  r.to = QDateTime(td, tt);
  return r;
}

// The type filter is written "+[Entry type]" so that the engine reads the range through
// the date index: most entries share a few types, so the type index would read nearly
// the whole log for one day.
QString logSelectionSql(const std::vector<qint64>& types, const LogRange& range) {
  return QStringLiteral("SELECT * FROM Log, [Log entry types] ") +
         QStringLiteral(" WHERE Log.[Entry type] = [Log entry types].[Entry type] ") +
         QStringLiteral(" AND +Log.[Entry type] IN (") + typeList(types) + QStringLiteral(")") +
         QStringLiteral(" AND Date >= ") + literal(range.from) + QStringLiteral(" AND Date <= ") + literal(range.to) +
         QStringLiteral(" ORDER BY Date");
}

QString logDeletionSql(const std::vector<qint64>& types, const LogRange& range) {
  return QStringLiteral("DELETE FROM Log ") + QStringLiteral(" WHERE +[Entry type] IN (") + typeList(types) +
         QStringLiteral(")") + QStringLiteral(" AND Date >= ") + literal(range.from) + QStringLiteral(" AND Date <= ") +
         literal(range.to);
}

int storeLogEntryType(Database& db, const QString& original, const QString& description, const QDateTime& now,
                      StoreResult* result) {
  const QString d = description.trimmed();
  if (d.isEmpty()) return Msg::NoDescriptionEntered;
  const QVariant existing =
      db.scalar(QStringLiteral("SELECT [Entry type] FROM [Log entry types] WHERE description = ?"), {d});
  const bool renamingToItself = !original.isEmpty() && original.compare(d, Qt::CaseInsensitive) == 0;
  if (existing.isValid() && !renamingToItself) return Msg::LogEntryExists;
  StoreResult r = original.isEmpty()
                      ? db.execute(QStringLiteral("INSERT INTO [Log entry types] (description, created) VALUES (?, ?)"),
                                   {d, dbDateText(now)})
                      : db.execute(QStringLiteral("UPDATE [Log entry types] SET description = ? WHERE description = ?"),
                                   {d, original});
  if (result) *result = r;
  return r.ok() ? 0 : (r.duplicateKey() ? static_cast<int>(Msg::LogEntryExists) : -1);
}

}  // namespace tavrik
