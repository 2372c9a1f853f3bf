#pragma once
// The chart window's charts and overlay tables from the program's database. Kept apart
// from chart_loader.h so that windows need not see the chart record's own lookups.

#include <memory>

#include "chart/chart_provider.h"

namespace tavrik {

class Database;
struct AppSettings;
class AppPaths;
class DatumLookup;
struct SharedSelections;

// infoDb: the info database (its `[Info points]` of the chart shown and of every
// chart), when open.
// datums: the user's datum tables the overlays convert with while `db` is open (the
// built-in tables otherwise, and when there is none).
// selections: the displayed waypoints the overlays draw (none without it).
std::unique_ptr<ChartProvider> makeDatabaseChartProvider(Database& db, const AppSettings& settings,
                                                         const AppPaths& paths, Database* infoDb = nullptr,
                                                         const DatumLookup* datums = nullptr,
                                                         const SharedSelections* selections = nullptr);

}  // namespace tavrik
