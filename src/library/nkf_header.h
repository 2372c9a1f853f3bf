#pragma once
// The NKF/EuroSea chart header: the first 512 bytes of the chart file, little-endian,
// fixed-width Windows-1252 texts, ended by a check byte that is the exclusive-or of
// the 511 bytes before it.
//
// Of the numbers after the datum this program reads (byte offsets): 251 the scale
// (32-bit), 257 and 261 the image width and height in pixels (32-bit). The eight
// doubles at 281 are two calibration points: latitude, longitude, x, y (pixels) of
// the top-left point, then of the bottom-right point; the charts are Mercator.

#include <QByteArray>
#include <QString>

#include <optional>

#include <QDateTime>

#include <functional>

#include "chart/chart_record_loader.h"
#include "library/chart_library_store.h"

namespace tavrik {

inline constexpr int kNkfHeaderSize = 512;

struct NkfHeader {
  QString description, agency, scanDate, edition, datum;
  qint32 scale = 0;
  qint32 width = 0, height = 0;
  double calibration[8] = {};
};

struct NkfHeaderResult {
  std::optional<NkfHeader> header;
  QString error;  // "Error in EuroSea - Header" for a wrong check byte, or why it cannot be read
};
NkfHeaderResult parseNkfHeader(const QByteArray& bytes);
NkfHeaderResult readNkfHeaderFile(const QString& path);
// The check byte a header of these 511 bytes must end in.
quint8 nkfCheckByte(const QByteArray& first511);
// A header's 512 bytes (check byte included), for tests and sample files.
QByteArray nkfHeaderBytes(const NkfHeader& header);

// The `Charts` row of an NKF chart: description from the header, the two points in
// chart units, bounds and scales from them, Scale "1:" + scale, depth and revised " ".
ChartRow nkfChartRow(const NkfHeader& header, const QString& bitmap, int datum);

struct NkfImportOptions {
  QString folder;  // folder description; empty: no link
  int datum = 0;
  bool copyToChartDirectory = false;
  QString chartDirectory;
  QDateTime now;
  // Asked when the copy would replace a different file; false keeps the chart where it is.
  std::function<bool(const QString& target)> confirmOverwrite;
};
// Reads and checks the header, then stores the chart (and its folder link) in one
// transaction. A wrong check byte stores nothing.
ImportOutcome importNkfFile(Database& db, const QString& path, const NkfImportOptions& options);

}  // namespace tavrik
