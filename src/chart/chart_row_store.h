#pragma once
// The chart record's rows in the database: reading a `Charts` row and looking up the
// chart datum in `Datums`.

#include <QString>

#include <optional>

#include "chart/chart_record_loader.h"
#include "store/database.h"

namespace tavrik {

// The current row of a recordset on `Charts` (Null numbers read as 0, Null bounds as
// missing).
ChartRow chartRowFromRecordset(Recordset& rs);

// The `Charts` row of a description (criterion "Description = '...'"); nullopt when
// there is none (then `result` carries Msg::ChartDoesNotExist) or the table cannot be read.
std::optional<ChartRow> findChartRow(Database& db, const QString& description, StoreResult* result = nullptr);

// Looks datums up in `Datums` ("Datum = " + key).
ChartDatumLookup chartDatumLookup(Database& db);

// The active record of a chart by description: the row, its datum and rotation.
// nullopt with `result` set when the chart is not in the database.
std::optional<ChartLoadResult> LoadChartRecord(Database& db, const QString& description, const ChartView& view = {},
                                               StoreResult* result = nullptr);

}  // namespace tavrik
