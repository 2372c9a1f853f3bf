#pragma once
// Importing BSB/KAP charts into `Charts`: one row per chart file, calibrated through
// the raster library from its corners, in the datum the user chose, linked to the
// chosen folder. Importing a file again updates its row.

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

#include "chart/chart_record_loader.h"
#include "chart/chart_georeference.h"
#include "chart/kap_header.h"
#include "library/chart_library_store.h"
#include "store/database.h"

namespace tavrik {

// The row of a library chart: description (see libraryDescription), bitmap = the
// file, points 1 and 2 the image corners (0, 0) and (width, height), point 3 the
// top-right corner (width, 0), in chart units; bounds around the image border;
// scales from points 1 and 2; Scale, Depth and Revised from the header ("N/A" for a
// depth or revision it does not give); margins 0; bsb true.
// Read from the text header alone (image size, reference points, polynomials), with
// the same georeference the raster library converts with.
ChartRow bsbChartRow(const KapHeader& header, const ChartGeoreference& georef, const QString& path, int datum);

struct BsbImportOptions {
  QString folder;  // empty: no folder link
  int datum = 0;
  QDateTime now;
};

// Imports the files in one transaction per file, from their headers. A file whose
// header the library refuses gives
// "Cannot load BSB chart (file)" in its outcome and the others go on.
class BsbImporter {
 public:
  BsbImporter(Database& db, BsbImportOptions options) : m_db(db), m_options(std::move(options)) {}
  ImportOutcome importFile(const QString& path);

 private:
  Database& m_db;
  BsbImportOptions m_options;
};

}  // namespace tavrik
