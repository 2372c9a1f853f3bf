#include "log/graph_history.h"

#include <algorithm>

#include "core/messages.h"
#include "core/number_format.h"

namespace tavrik {

int graphPointCount(int intervalMin, int periodHours) {
  if (intervalMin <= 0 || periodHours <= 0) return 1;
  return std::max(1, static_cast<int>(roundHalfEven(60.0 / intervalMin * periodHours, 0)));
}

float clampToAxis(float value, int min, int max) {
  return std::clamp(value, static_cast<float>(min), static_cast<float>(std::max(min, max)));
}

QString graphCaption(int graph) {
  switch (graph) {
    case 0: return QStringLiteral("Temperature");
    case 1: return QStringLiteral("Barograph");
    default: return QStringLiteral("Depth");
  }
}

void GraphHistory::resize() {
  for (int g = 0; g < kGraphCount; ++g) {
    const GraphSettings& s = m_settings.Graphs[static_cast<size_t>(g)];
    std::vector<float>& v = m_values[static_cast<size_t>(g)];
    const size_t n = static_cast<size_t>(graphPointCount(s.interval, s.length));
    if (v.size() > n) v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() - n));
    else v.insert(v.begin(), n - v.size(), 0.0f);
  }
}

void GraphHistory::minuteTick(const NavigationState& nav) {
  const std::array<bool, kGraphCount> received = {nav.received(Sentence::MTW) > 0, nav.received(Sentence::MMB) > 0,
                                                  nav.received(Sentence::DBT) > 0};
  const std::array<float, kGraphCount> value = {nav.WaterTemperature, nav.AirPressure, nav.DepthMetres};
  for (size_t g = 0; g < kGraphCount; ++g) {
    if (!received[g]) continue;
    if (++m_minutes[g] < std::max(1, m_settings.Graphs[g].interval)) continue;
    m_minutes[g] = 0;
    std::vector<float>& v = m_values[g];
    if (v.empty()) continue;
    std::rotate(v.begin(), v.begin() + 1, v.end());
    v.back() = value[g];
  }
}

std::vector<float> GraphHistory::drawnValues(int graph) const {
  const GraphSettings& s = m_settings.Graphs.at(static_cast<size_t>(graph));
  std::vector<float> out = values(graph);
  for (float& f : out) f = clampToAxis(f, s.min, s.max);
  return out;
}

int checkGraphSetup(const GraphSetupEntry& e, GraphSettings* out) {
  const auto read = [](const QString& text, int fallback) {
    return isNumeric(text.trimmed()) ? static_cast<int>(parseLocaleNumber(text.trimmed())) : fallback;
  };
  const int interval = read(e.interval, 1), min = read(e.min, 0), max = read(e.max, 0), period = read(e.period, 24);
  if (interval <= 0) return Msg::IntervalZero;
  if (period <= 0) return Msg::PeriodeZero;
  if (min >= max) return Msg::MinimumLessMaximum;
  // The settings are 16-bit numbers; larger ones would wrap when stored.
  const auto i16 = [](int v) { return std::clamp(v, -32768, 32767); };
  out->interval = i16(interval);
  out->min = i16(min);
  out->max = i16(max);
  out->length = i16(period);
  return 0;
}

}  // namespace tavrik
