#pragma once
// The chart the window shows once it is loaded: its pixels, how positions convert at
// a zoom, and what the information window says about it.

#include <QRgb>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "chart/chart_image.h"
#include "chart/chart_projection.h"

namespace tavrik {

struct ShownChart {
  QString description;  // trimmed
  QString path;         // image or chart file
  bool library = false; // read through the raster chart library
  int datum = 0;        // key of the chart's datum in `Datums`; 0 the default
  std::shared_ptr<const ChartImageSource> image;
  // The conversion at a display factor (1.0 = one displayed pixel per image pixel).
  std::function<std::unique_ptr<ChartProjection>(double zoom)> projectionAt;
  QString information;  // text of the chart information window
  // A problem the user was told about but that leaves the chart usable.
  QString warning;
  // The night screen's colours for the image's pixel values: the chart's own night
  // palette or the red intensity palette. Empty for a true-colour picture, which keeps
  // its colours at night.
  QVector<QRgb> nightColours;
  QString nightSource;  // "NGT", "DSK", "RGB" (red palette of a library chart), "picture"
  bool valid() const { return image && projectionAt; }
};

}  // namespace tavrik
