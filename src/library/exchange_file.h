#pragma once
// The program's exchange files: waypoints (.WP), routes (.RT) and tracks (.TRC), each
// a sequence of 34-byte records: kind (1 byte), text (25 bytes, Windows-1252, blank
// padded), two little-endian 32-bit floats. Each file is stored in one transaction,
// so a file that fails half-way leaves nothing behind.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

#include "library/chart_library_store.h"
#include "store/database.h"

namespace tavrik {

inline constexpr int kExchangeRecordSize = 34;

struct ExchangeRecord {
  QChar kind;
  QString text;  // 25 characters as stored
  float first = 0, second = 0;
};

struct ExchangeRecords {
  std::vector<ExchangeRecord> records;
  int trailingBytes = 0;  // a partial last record, ignored
};
ExchangeRecords parseExchangeRecords(const QByteArray& bytes);
QByteArray exchangeRecordBytes(const ExchangeRecord& record);

enum class ExchangeKind { Waypoints, Route, Track };
// By the extension (WP, RT, TRC, any case); nullopt for others.
std::optional<ExchangeKind> exchangeKindOfPath(const QString& path);

struct ExchangeImportOptions {
  int gpsDatum = 0;  // the datum setting the positions are in
  QDateTime now;
};

ImportOutcome importWaypointFile(Database& db, const QString& path, const ExchangeImportOptions& options);
ImportOutcome importRouteFile(Database& db, const QString& path, const ExchangeImportOptions& options);
ImportOutcome importTrackFile(Database& db, const QString& path, const ExchangeImportOptions& options);
ImportOutcome importExchangeFile(Database& db, const QString& path, ExchangeKind kind, const ExchangeImportOptions& options);

}  // namespace tavrik
