#pragma once
// Texts of the chart library that the message table does not hold: the reports of a
// chart information file that breaks off, of a refused NKF header and of imports.

#include <QString>

namespace tavrik::library_text {

inline QString syntaxErrorIn() { return QStringLiteral("Syntax error in "); }
inline QString unexpectedEndOfFile() { return QStringLiteral("Unexpected end of file reading "); }
inline QString unexpectedEnd() { return QStringLiteral("Unexpected <End> in "); }
inline QString euroSeaHeaderError() { return QStringLiteral("Error in EuroSea - Header"); }
inline QString errorInFile() { return QStringLiteral("Fehler in File: "); }
inline QString notANumber(const QString& key, const QString& value) {
  return QStringLiteral("%1 is not a number: \"%2\"").arg(key, value);
}
inline QString partialRecord(int bytes) {
  return QStringLiteral("the last %1 bytes do not make a whole record and were ignored").arg(bytes);
}
inline QString unknownRecordKind(int record, QChar kind) {
  return QStringLiteral("record %1 of unknown kind \"%2\" skipped").arg(record).arg(kind);
}
inline QString cannotRead(const QString& path) { return QStringLiteral("Cannot read %1").arg(path); }
inline QString cannotWrite(const QString& path) { return QStringLiteral("Cannot write %1").arg(path); }
inline QString notFound(const QString& path) { return QStringLiteral("%1 does not exist").arg(path); }
inline QString copyFailed(const QString& from, const QString& to) {
  return QStringLiteral("Cannot copy %1 to %2").arg(from, to);
}
inline QString unknownDatum(const QString& name) { return QStringLiteral("Datum \"%1\" is not in the database").arg(name); }
inline QString unknownFolder(const QString& name) { return QStringLiteral("Folder \"%1\" is not in the database").arg(name); }
inline QString chartNotFound(const QString& name) { return QStringLiteral("No chart \"%1\" in the database").arg(name); }
inline QString pathDoesNotExist(const QString& path) { return QStringLiteral("The directory %1 does not exist").arg(path); }
inline QString imageDoesNotExist(const QString& path) { return QStringLiteral("The image %1 does not exist").arg(path); }
inline QString cannotReadPicture(const QString& path) {
  return QStringLiteral("%1 is in a format this program cannot read (WMF, EMF, PCX and old chart files are not supported on Linux)").arg(path);
}

}  // namespace tavrik::library_text
