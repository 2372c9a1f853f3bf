// AIS sentences decoded per second (checksum, fragment assembly, payload decoding)
// on a generated stream of the usual mix (class A positions most, class B, static
// and voyage data in two fragments, base stations), and gpsd's gpsdecode on the same
// bytes in the same run.

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "ais/ais_decoder.h"
#include "ais/ais_layer.h"
#include "ais/ais_reception.h"
#include "ais/ais_encoder.h"
#include "bench_clock.h"

namespace {

using tavrik::cpu_time::childSeconds;
using tavrik::cpu_time::threadSeconds;
using tavrik::test::AisBitWriter;

constexpr int kMessages = 200000;
constexpr int kRuns = 5;

std::string stream(int& sentences) {
  std::mt19937 rng(1);
  auto up = [&](int64_t n) { return std::uniform_int_distribution<int64_t>(0, n)(rng); };
  std::string out;
  sentences = 0;
  for (int i = 0; i < kMessages; ++i) {
    AisBitWriter w;
    const int pick = static_cast<int>(up(99));
    const int type = pick < 70 ? 1 + static_cast<int>(up(2)) : pick < 85 ? 18 : pick < 95 ? 5 : 4;
    w.put(type, 6), w.put(0, 2), w.put(200000000 + up(500000000), 30);
    if (type == 5) {
      w.put(0, 2), w.put(up(9999999), 30), w.text("PD1234", 7), w.text("NORTHERN LIGHT", 20), w.put(70, 8);
      w.put(100, 9), w.put(20, 9), w.put(8, 6), w.put(7, 6), w.put(1, 4), w.put(0, 20), w.put(55, 8);
      w.text("ROTTERDAM", 20), w.put(0, 2);
    } else {
      for (int b = 38; b < 168; b += 26) w.put(up((1 << 26) - 1), std::min(26, 168 - b));
    }
    for (const std::string& s : tavrik::test::aisSentences(w, i % 10, i % 2 ? 'B' : 'A')) {
      out += s;
      out += "\r\n";
      ++sentences;
    }
  }
  return out;
}

}  // namespace

// 2000 targets around the own vessel on a 1280 x 800 view: one full repaint.
void repaintBench() {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0, 1);
  tavrik::AisReception r;
  for (int i = 0; i < 2000; ++i) {
    AisBitWriter w;
    const int type = i % 5 == 0 ? 18 : 1;
    w.put(type, 6), w.put(0, 2), w.put(244000000 + i, 30);
    if (type == 18) w.put(0, 8);
    else w.put(0, 4), w.put(-128, 8);
    w.put(static_cast<int>(u(rng) * 200), 10), w.put(0, 1);
    w.put(static_cast<int64_t>((4.0 + u(rng) * 0.6) * 600000), 28), w.put(static_cast<int64_t>((52.0 + u(rng) * 0.3) * 600000), 27);
    const int cog = static_cast<int>(u(rng) * 3599);
    w.put(cog, 12), w.put(cog / 10, 9), w.put(10, 6), w.put(0, type == 18 ? 29 : 25);
    r.feed(tavrik::test::aisSentences(w)[0], 0);
    AisBitWriter s;  // a name for each
    s.put(24, 6), s.put(0, 2), s.put(244000000 + i, 30), s.put(0, 2), s.text("VESSEL " + std::to_string(i), 20), s.put(0, 8);
    r.feed(tavrik::test::aisSentences(s)[0], 0);
  }
  r.tick(tavrik::OwnVessel{true, 52.15, 4.3, 6, 45}, tavrik::AisAlarmLimits{}, 1000);
  const tavrik::MercatorSheet sheet(52.3, 4.0, 60);  // 0.6 degree wide in 2160 px
  tavrik::AisLayer layer;
  QImage img(1280, 800, QImage::Format_RGB32);
  double best = 1e9;
  for (int run = 0; run < 20; ++run) {
    img.fill(Qt::white);
    QPainter p(&img);
    const double t0 = threadSeconds();
    layer.paint(p, sheet, r.targets, QRectF(0, 0, 1280, 800), 1000);
    best = std::min(best, threadSeconds() - t0);
  }
  std::printf("BENCH ais_targets_painted %zu targets\n", r.targets.size());
  std::printf("BENCH ais_repaint_2000_targets %.2f ms\n", best * 1000);
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  repaintBench();
  int sentences = 0;
  const std::string data = stream(sentences);
  double best = 1e9;
  uint64_t messages = 0;
  for (int run = 0; run < kRuns; ++run) {
    tavrik::AisDecoder decoder;
    const double t0 = threadSeconds();
    size_t start = 0;
    while (start < data.size()) {
      const size_t end = data.find('\r', start);
      decoder.feed(std::string_view(data).substr(start, end - start));
      start = end + 2;
    }
    best = std::min(best, threadSeconds() - t0);
    messages = decoder.counters().messages;
  }
  const double ours = sentences / best;
  std::printf("BENCH ais_sentences %d sentences\n", sentences);
  std::printf("BENCH ais_messages_decoded %llu messages\n", static_cast<unsigned long long>(messages));
  std::printf("BENCH ais_decode_rate %.0f sentences/s\n", ours);

  const QString gpsdecode = QStandardPaths::findExecutable(QStringLiteral("gpsdecode"));
  if (gpsdecode.isEmpty()) {
    std::printf("BENCH gpsdecode_ais_rate 0 sentences/s\n");
    std::fprintf(stderr, "gpsdecode not found (package gpsd-clients)\n");
    return 0;
  }
  QTemporaryFile tmp;
  if (!tmp.open()) return 1;
  tmp.write(data.data(), static_cast<qint64>(data.size()));
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
  const double peer = sentences / bestPeer;
  std::printf("BENCH gpsdecode_ais_rate %.0f sentences/s\n", peer);
  std::printf("BENCH ais_decode_vs_gpsdecode %.1f x\n", ours / peer);
  return 0;
}
