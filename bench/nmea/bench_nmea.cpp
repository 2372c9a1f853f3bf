// Sentences per second through the receive path (cutting, filters, checksum check,
// dispatch, parsers, panel refresh once per cycle) on the largest capture, and gpsd's
// gpsdecode on the same bytes in the same run.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "core/app_settings.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/status_panels.h"
#include "nmea/nmea_receiver.h"
#include "bench_clock.h"

namespace {

using tavrik::cpu_time::childSeconds;
using tavrik::cpu_time::threadSeconds;

constexpr int kCopies = 20;  // the capture repeated, so gpsdecode's start-up weighs little
constexpr int kRuns = 5;

}  // namespace

int main() {
  QFile f(QStringLiteral(TAVRIK_TESTDATA "/nmea/bundg_zeus_9.log"));
  if (!f.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "missing test data file: %s\n", qPrintable(f.fileName()));
    return 1;
  }
  const QByteArray one = f.readAll();
  QByteArray data;
  for (int i = 0; i < kCopies; ++i) data += one;
  const qsizetype sentences = data.count("\n$");

  // The receive path, talkers of this capture accepted.
  double best = 1e9;
  uint64_t parsed = 0;
  for (int run = 0; run < kRuns; ++run) {
    tavrik::NavigationState nav;
    tavrik::StatusPanels panels;
    tavrik::AppSettings settings;
    tavrik::RecordingPrompter prompter;
    settings.IDIn = {"$GP", "$II", "$SD", "$WI", "$LC", "$AP"};
    tavrik::NmeaReceiver rx(nav, panels, settings, prompter);
    rx.beginSession();
    const double t0 = threadSeconds();
    for (qsizetype i = 0; i < data.size(); i += 4096) {
      const qsizetype n = std::min<qsizetype>(4096, data.size() - i);
      rx.inject(0, std::string_view(data.constData() + i, static_cast<size_t>(n)));
      rx.tick();
    }
    best = std::min(best, threadSeconds() - t0);
    parsed = 0;
    for (uint32_t c : nav.ReceivedCount) parsed += c;
  }
  const double ours = static_cast<double>(sentences) / best;
  std::printf("BENCH nmea_capture_sentences %lld sentences\n", static_cast<long long>(sentences));
  std::printf("BENCH nmea_capture_parsed %llu sentences\n", static_cast<unsigned long long>(parsed));
  std::printf("BENCH nmea_receive_rate %.0f sentences/s\n", ours);

  const QString gpsdecode = QStandardPaths::findExecutable(QStringLiteral("gpsdecode"));
  if (gpsdecode.isEmpty()) {
    std::printf("BENCH gpsdecode_rate 0 sentences/s\n");
    std::fprintf(stderr, "gpsdecode not found (package gpsd-tools)\n");
    return 0;
  }
  QTemporaryFile tmp;
  if (!tmp.open()) return 1;
  tmp.write(data);
  tmp.flush();
  double bestPeer = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    QProcess p;
    p.setStandardInputFile(tmp.fileName());
    p.setStandardOutputFile(QProcess::nullDevice());
    const double t0 = childSeconds();
    p.start(gpsdecode, {});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
      std::fprintf(stderr, "gpsdecode failed\n");
      return 1;
    }
    bestPeer = std::min(bestPeer, childSeconds() - t0);
  }
  const double peer = static_cast<double>(sentences) / bestPeer;
  std::printf("BENCH gpsdecode_rate %.0f sentences/s\n", peer);
  std::printf("BENCH nmea_receive_vs_gpsdecode %.1f x\n", ours / peer);
  return 0;
}
