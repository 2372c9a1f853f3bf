#pragma once
// Where the chart window gets its charts and overlay data: the `Charts` rows (loaded
// into a ShownChart), the bounds the searches scan, and the overlay tables.

#include <QString>
#include <optional>
#include <vector>

#include "chart/chart_selection.h"
#include "chart/overlay_scene.h"
#include "chart/shown_chart.h"
#include "core/prompter.h"

namespace tavrik {

struct ChartLoadOutcome {
  std::optional<ShownChart> chart;
  // Shown already through the prompter when set; the window stays as it is.
  bool failed = false;
  // The user cancelled (removable-disc question): the active description is emptied.
  bool cancelled = false;
};

class ChartProvider {
 public:
  virtual ~ChartProvider() = default;
  // LoadChart for the `Charts` row of a description; messages go to the prompter.
  virtual ChartLoadOutcome loadChart(const QString& description, Prompter& prompter) = 0;
  // A chart file given directly (the command line): a library chart, or a picture
  // calibrated in `Charts` under its file name.
  virtual ChartLoadOutcome loadFile(const QString& path, Prompter& prompter) = 0;
  // Bounds of all charts (folderKey 0) or of a folder's charts, in table order.
  virtual std::vector<ChartBounds> chartBounds(int folderKey) = 0;
  // The best chart containing the position, found without building an index: its
  // description, empty when none contains it. This default reads the bounds.
  virtual QString bestChart(int folderKey, double lat, double lon, ChartRanking ranking) {
    const ChartIndex index(chartBounds(folderKey));
    const int i = index.searchBest(lat, lon, ranking);
    return i < 0 ? QString() : index.rows()[static_cast<size_t>(i)].description;
  }
  // A number that changes whenever the tables may have changed; -1 when unknown (the
  // bounds are then read for every search).
  virtual qint64 changeStamp() { return -1; }
  // The overlay tables for the chart shown.
  virtual void fillScene(OverlayScene& scene, const QString& activeChart) = 0;
};

}  // namespace tavrik
