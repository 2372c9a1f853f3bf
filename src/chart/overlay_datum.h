#pragma once
// Stored positions to the chart's datum for the overlays.

#include <functional>

#include "chart/overlay_scene.h"

namespace tavrik {

// A converter from a point's datum to `chartDatum` with the built-in datum tables;
// empty (no conversion) when the chart datum is the default one.
std::function<GeoPoint(const GeoPoint&)> chartDatumConverter(int chartDatum);

}  // namespace tavrik
