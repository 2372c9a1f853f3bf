#pragma once
// A calibrated sea chart with no coast: a depth-like colour gradient with the
// latitude/longitude grid drawn in, on a true Mercator projection (WGS-84). Used as
// the demo chart of the program and, made large, by the chart benchmarks.

#include <QString>

#include "chart/kap_header.h"

namespace tavrik {

struct SeaChartSpec {
  QString name = QStringLiteral("Tavrik demo sea");
  QString number = QStringLiteral("TVK-DEMO");
  int width = 2000;
  int height = 1500;
  double latNorth = 52.5, latSouth = 52.0;  // degrees
  double lonWest = 4.0, lonEast = 5.0;
  double gridMinutes = 5;  // minor grid spacing; every sixth line is drawn bolder
};

// Ellipsoidal (WGS-84) Mercator northing of a latitude, in metres on the equator scale.
double mercatorNorthing(double latDeg);
double latitudeFromNorthing(double northing);

// The header of such a chart: Mercator, WGS84, a 4 x 4 grid of reference points from
// the projection, the outline, RGB/DAY/DSK/NGT palettes.
KapHeader seaChartHeader(const SeaChartSpec& spec);
// Image pixel of a position on that chart (the projection itself, the oracle of tests).
void seaChartPixel(const SeaChartSpec& spec, double lat, double lon, double& x, double& y);

bool writeSeaChart(const QString& path, const SeaChartSpec& spec, QString* error);
inline bool writeDemoChart(const QString& path, QString* error) { return writeSeaChart(path, {}, error); }

}  // namespace tavrik
