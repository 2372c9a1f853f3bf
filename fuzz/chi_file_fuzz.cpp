// Any bytes as a chart information file: the reader must not crash, and every chart
// it returns must write out and read back as the same chart.

#include <cstddef>
#include <cstdint>

#include "library/chi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tavrik::ChiFile f = tavrik::parseChi(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (f.version != tavrik::ChiVersion::V3) return 0;
  for (const tavrik::ChiChart& c : f.charts) {
    if (c.row.description.contains(u'\n') || c.row.description.contains(u'\r')) __builtin_trap();
    const tavrik::ChiFile again = tavrik::parseChi(tavrik::chiHeader(tavrik::ChiVersion::V3) + tavrik::chiBlockV3(c).toLatin1());
    if (again.charts.size() != 1 || again.charts[0].row.mercator != c.row.mercator) __builtin_trap();
  }
  return 0;
}
