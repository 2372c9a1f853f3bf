#pragma once
// The read side's selections: which entry types a chooser lists, the selection and
// deletion texts built from the chosen types and date range, and the state the log
// commands share (chooser mode, the chosen selection, whether the chart plots it).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>
#include <vector>

#include "store/database.h"

namespace tavrik {

struct LogDisplay {
  QString LogChooserMode = QStringLiteral("Show");  // "Show" or "Plot"
  QString LogQuery;        // empty when the chooser was cancelled
  bool LogPlotOn = false;  // the chart draws the entries LogQuery selects
  // The chart takes the plotted entries again (set where the chart window is made).
  std::function<void()> plotChanged;
};

enum class ChooserKind { ShowOrPlot, Print, Delete };

struct LogTypeItem {
  QString description;
  qint64 number = 0;
};

// The chooser's type list in table order: every type for deletion and for "Show",
// the program's own types left out for printing (exact names) and for "Plot" (names
// compared in capitals).
std::vector<LogTypeItem> chooserTypes(Database& db, ChooserKind kind, const QString& mode);

// A chosen range: from the start of the from-minute up to the end of the to-minute,
// so "23:59" takes in an entry written at 23:59:30.
struct LogRange {
  QDateTime from, to;
  bool valid() const { return from.isValid() && to.isValid() && from <= to; }
};
// Reads the chooser's boxes (dates in the short date format of the locale or ISO,
// times "hh:mm"); invalid when a box cannot be read or the end is before the start.
LogRange readLogRange(const QString& fromDate, const QString& fromTime, const QString& toDate, const QString& toTime);

// "SELECT * FROM Log, [Log entry types] WHERE ... ORDER BY Date" for the type numbers.
QString logSelectionSql(const std::vector<qint64>& types, const LogRange& range);
// "DELETE FROM Log WHERE [Entry type] IN (...) AND Date >= #...# AND Date <= #...#".
QString logDeletionSql(const std::vector<qint64>& types, const LogRange& range);

// Adds an entry type (gpseentr, new) or renames one; empty: "No description entered",
// an existing description: "Log entry already exists". Returns the message number
// (0 on success) and the store error through *result.
int storeLogEntryType(Database& db, const QString& original, const QString& description, const QDateTime& now,
                      StoreResult* result = nullptr);

}  // namespace tavrik
