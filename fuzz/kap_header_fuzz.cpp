// Any bytes as the start of a chart file: the header reader must not crash, and a
// header it accepts must give a georeference whose conversions stay finite or fail.

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "chart/chart_georeference.h"
#include "chart/kap_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tavrik::KapHeaderResult r =
      tavrik::readKapHeader(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (!r.header) return 0;
  QString error;
  const auto g = tavrik::ChartGeoreference::fromHeader(*r.header, &error);
  if (!g) return 0;
  const double w = r.header->width, h = r.header->height;
  for (double fx : {0.0, 0.5, 1.0}) {
    for (double fy : {0.0, 0.5, 1.0}) {
      double lat = 0, lon = 0, x = 0, y = 0;
      if (g->pixelToLatLon(fx * w, fy * h, lat, lon) == 0) {
        if (!std::isfinite(lat) || !std::isfinite(lon)) __builtin_trap();
        if (g->latLonToPixel(lat, lon, x, y) == 0 && (!std::isfinite(x) || !std::isfinite(y))) __builtin_trap();
      }
    }
  }
  return 0;
}
