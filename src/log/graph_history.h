#pragma once
// The histories behind the temperature, barograph and depth graphs: per graph one
// array, oldest first, shifted by one place every interval minutes (Timer3) while
// the sentence carrying its value has been received. Graph windows only read them.

#include <QString>
#include <array>
#include <vector>

#include "core/app_settings.h"
#include "core/navigation_state.h"

namespace tavrik {

inline constexpr int kGraphCount = 3;  // 0 temperature, 1 barograph, 2 depth

// N = (60 / interval) x period, rounded half to even: 1 min over 24 h gives 1440,
// 7 min over 1 h gives 9. At least 1.
int graphPointCount(int intervalMin, int periodHours);
// A value clamped into the graph's axis.
float clampToAxis(float value, int min, int max);
// "Temperature", "Barograph", "Depth".
QString graphCaption(int graph);

class GraphHistory {
 public:
  explicit GraphHistory(const AppSettings& settings) : m_settings(settings) { resize(); }

  // Timer3, once a minute.
  void minuteTick(const NavigationState& nav);
  // After the graph setup: each history to its new length, the newest values kept.
  void resize();

  const std::vector<float>& values(int graph) const { return m_values.at(static_cast<size_t>(graph)); }
  // What a graph window draws: the history clamped to the axis.
  std::vector<float> drawnValues(int graph) const;

 private:
  const AppSettings& m_settings;
  std::array<std::vector<float>, kGraphCount> m_values;
  std::array<int, kGraphCount> m_minutes{};
};

// Graph setup (gpsgset) for one graph's four boxes: non-numeric interval "1", minimum
// and maximum "0", period "24"; 0 when they may be stored, else the message number.
struct GraphSetupEntry {
  QString interval, min, max, period;
};
int checkGraphSetup(const GraphSetupEntry& entry, GraphSettings* out);

}  // namespace tavrik
