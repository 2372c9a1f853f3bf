#pragma once
// Building and reading the program's SQL texts. Every text value that goes into an SQL
// text goes through sqlQuote, so names such as "Skipper's Rock" work in every lookup.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tavrik {

// 'text' with every single quote doubled: sqlQuote("Skipper's Rock") == "'Skipper''s Rock'".
QString sqlQuote(const QString& text);
// The criterion text `field = 'value'` (field written in brackets when it holds a blank).
QString sqlEquals(const QString& field, const QString& value);
// Quoted names joined by "," for an IN (...) list.
QString sqlQuotedList(const QStringList& values);
// [name]; a "]" in the name is doubled.
QString sqlName(const QString& name);

// Dates are stored as ISO-8601 text in local time, "yyyy-MM-ddTHH:mm:ss".
QString dbDateText(const QDateTime& t);
QDateTime dbDateFromText(const QString& text);
// A Jet date literal's text without the "#": "12/07/2026 10:15:00 PM", "12/07/2026",
// "22:15:00" (month first). Invalid QDateTime when it is none.
QDateTime parseJetDate(const QString& text);
// A date as the Jet literal "#mm/dd/yyyy hh:nn:ss#" for callers that build criteria.
QString jetDateLiteral(const QDateTime& t);

// The dialect of the program's query texts turned into SQLite's: Jet date literals
// become ISO texts, True/False become -1/0, "*" and "?" wildcards in LIKE patterns
// become "%" and "_", and field names SQLite reserves (Group) are bracketed. String
// literals and bracketed names are left as they are.
QString translateJetSql(const QString& sql);

// "INSERT INTO t IN 'file' SELECT ...": the target table, the file and the rest.
struct InsertIntoFile {
  QString table, file, rest;
};
bool parseInsertIntoFile(const QString& sql, InsertIntoFile* out);

}  // namespace tavrik
