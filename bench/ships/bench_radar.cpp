// 1000 radar targets, each reported once a second: the parse through the receive
// path, the dead reckoning and the ageing of one second of traffic.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/prompter.h"
#include "ships/radar_parsers.h"

int main() {
  using namespace tavrik;
  NavigationState nav;
  StatusPanels panels;
  AppSettings settings;
  RecordingPrompter prompter;
  NmeaReceiver rx(nav, panels, settings, prompter);
  RadarTargets radar;
  RequestFlags flags;
  FakeClock clock;
  RadarParsers parsers(nav, radar, flags, clock);
  rx.applySettings();
  parsers.install(rx);
  rx.beginSession();
  rx.dispatch("$GPRMC,120000,A,5000.000,N,00400.000,W,5.0,90.0,071226,,");
  std::vector<std::string> lines;
  for (int n = 0; n < 1000; ++n) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "$RATTM,%d,%.2f,%.1f,T,12.0,200.0,T,0.4,6.5,N,T%d,T,,120000,A", n,
                  0.5 + n % 50 * 0.2, n * 0.36, n);
    lines.emplace_back(buf);
  }
  const int seconds = 20;
  const auto start = std::chrono::steady_clock::now();
  for (int s = 0; s < seconds; ++s) {
    for (const std::string& l : lines) rx.dispatch(l);
    clock.advanceSecs(1);
    radar.ageTargets(clock.now());
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (radar.targets.size() != 1000 || nav.errors(Sentence::TTM) != 0) {
    std::fprintf(stderr, "bench_radar: %zu targets, %u errors\n", radar.targets.size(), nav.errors(Sentence::TTM));
    return 1;
  }
  std::printf("BENCH radar_1000_targets_parse_and_age %.3f ms_per_second_of_traffic\n", ms / seconds);
  return 0;
}
