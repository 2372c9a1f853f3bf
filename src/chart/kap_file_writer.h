#pragma once
// Writes BSB/KAP chart files: the text header of a KapHeader, the 0x1A 0x00
// terminator, the bit depth byte, run-length rows (row number, runs, 0) and the row
// index with its start offset at the end. Used for the demo chart and by the tests and
// benchmarks, which check every file against GDAL as an independent reader.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

#include "chart/kap_header.h"

namespace tavrik {

// Fills `row` (width bytes) with the palette indexes (1 .. 2^bitDepth - 1) of image row y.
using KapRowSource = std::function<void(int y, uint8_t* row)>;

// The header text as written (CR LF line ends, no terminator).
QByteArray kapHeaderText(const KapHeader& header);
// One encoded image row: row number y + 1, runs, 0. Values must be 1 .. 2^bitDepth - 1.
QByteArray encodeKapRow(int y, const uint8_t* values, int width, int bitDepth);

// Writes the whole file; false with `error` set when the file cannot be written or the
// header is unusable (no size, bit depth outside 1..7).
bool writeKapFile(const QString& path, const KapHeader& header, int bitDepth, const KapRowSource& rows,
                  QString* error);

}  // namespace tavrik
