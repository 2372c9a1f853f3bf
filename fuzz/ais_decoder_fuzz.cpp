// The AIS decoder on arbitrary lines: fragments assembled across lines, payloads of
// any length and fill decoded, the target table fed and refreshed, the JSON written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ais/ais_json.h"
#include "ais/ais_reception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrik::AisReception reception;
  std::string json;
  reception.onMessage = [&](const tavrik::AisMessage& m) {
    json.clear();
    tavrik::appendAisJson(json, m);
  };
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  qint64 now = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    reception.feed(input.substr(start, end - start), now += 1000);
    start = end + 1;
  }
  reception.tick(tavrik::OwnVessel{true, 52, 4, 5, 90}, tavrik::AisAlarmLimits{}, now);
  (void)reception.targets.byRange();
  return 0;
}
