#pragma once
// Stored positions to the chart's datum for the overlays.

#include <functional>

#include "chart/overlay_scene.h"

namespace tavrik {

class DatumLookup;

// A converter from a point's datum to `chartDatum` with the datums of `lookup` (the
// user's datum tables; it must outlive the converter), or the built-in datum tables
// when there is none; empty (no conversion) when the chart datum is the default one.
std::function<GeoPoint(const GeoPoint&)> chartDatumConverter(int chartDatum, const DatumLookup* lookup = nullptr);

}  // namespace tavrik
