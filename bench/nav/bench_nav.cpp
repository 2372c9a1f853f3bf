// The go-to tick with all eight output sentences built, and tavrik-nav through the
// largest capture beside gpsd's gpsdecode on the same bytes in the same run.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/request_flags.h"
#include "nav/goto_controller.h"
#include "bench_clock.h"

namespace {

using tavrik::cpu_time::childSeconds;
using tavrik::cpu_time::threadSeconds;

constexpr int kRuns = 5;
constexpr int kCopies = 20;  // the capture repeated, so process start-up weighs little

// Best processor time of a program reading `input` on standard input.
double programSeconds(const QString& program, const QStringList& args, const QString& input) {
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    QProcess p;
    p.setStandardInputFile(input);
    p.setStandardOutputFile(QProcess::nullDevice());
    const double t0 = childSeconds();
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return -1;
    best = std::min(best, childSeconds() - t0);
  }
  return best;
}

double tickMicroseconds() {
  tavrik::NavigationState nav;
  tavrik::AppSettings settings;
  tavrik::RequestFlags requests;
  tavrik::FakeClock clock;
  settings.NMEAOutput = QStringLiteral("1");
  settings.Autopilot = QStringLiteral("2");
  settings.GotoAutoPilot = true;
  settings.GotoAAM = settings.GotoAPA = settings.GotoAPB = settings.GotoBOD = settings.GotoBWC = settings.GotoXTE =
      settings.GotoVTG = true;
  tavrik::GotoController go(nav, settings, requests, clock);
  nav.Latitude = 52.1f;
  nav.Longitude = 4.2f;
  nav.SpeedOverGround = 6;
  nav.CourseOverGround = 300;
  go.open({{1, QStringLiteral("Ams-Haven"), 52.2, 4.0, true}, {2, QStringLiteral("IJmuiden"), 52.46, 4.55, true}}, true);
  go.next();
  constexpr int kTicks = 20000;
  double best = 1e9;
  size_t bytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    const double t0 = threadSeconds();
    for (int i = 0; i < kTicks; ++i) {
      nav.Latitude += 1e-5f;
      go.tick();
      bytes += go.outgoing().size();
    }
    best = std::min(best, threadSeconds() - t0);
  }
  if (bytes != static_cast<size_t>(kRuns) * kTicks * 9) std::fprintf(stderr, "not all sentences built\n");
  return best / kTicks * 1e6;
}

}  // namespace

int main() {
  std::printf("BENCH goto_tick_all_sentences %.2f us\n", tickMicroseconds());

  QFile f(QStringLiteral(TAVRIK_TESTDATA "/nmea/bundg_zeus_9.log"));
  if (!f.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "missing test data file: %s\n", qPrintable(f.fileName()));
    return 1;
  }
  const QByteArray one = f.readAll();
  QByteArray data;
  for (int i = 0; i < kCopies; ++i) data += one;
  const qsizetype sentences = data.count("\n$");
  QTemporaryFile tmp;
  if (!tmp.open()) return 1;
  tmp.write(data);
  tmp.flush();

  const double ours = programSeconds(QStringLiteral(TAVRIK_NAV_PROGRAM),
                                     {"--goto", "52.9", "5.2", "--sentences", "RMB,XTE,APB", "-"}, tmp.fileName());
  if (ours <= 0) {
    std::fprintf(stderr, "tavrik-nav failed\n");
    return 1;
  }
  const double oursRate = static_cast<double>(sentences) / ours;
  std::printf("BENCH tavrik_nav_rate %.0f sentences/s\n", oursRate);

  const QString gpsdecode = QStandardPaths::findExecutable(QStringLiteral("gpsdecode"));
  if (gpsdecode.isEmpty()) {
    std::printf("BENCH gpsdecode_rate 0 sentences/s\n");
    std::fprintf(stderr, "gpsdecode not found (package gpsd-clients)\n");
    return 0;
  }
  const double peer = programSeconds(gpsdecode, {}, tmp.fileName());
  if (peer <= 0) {
    std::fprintf(stderr, "gpsdecode failed\n");
    return 1;
  }
  const double peerRate = static_cast<double>(sentences) / peer;
  std::printf("BENCH gpsdecode_rate %.0f sentences/s\n", peerRate);
  std::printf("BENCH tavrik_nav_vs_gpsdecode %.1f x\n", oursRate / peerRate);
  return 0;
}
