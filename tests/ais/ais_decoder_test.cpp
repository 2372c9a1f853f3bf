// The AIS decoder against gpsd's: seeded random messages of every decoded type, in
// single and multi-part sentences on both channels, decoded by gpsdecode and by us;
// every field our JSON shares with gpsd's must agree. Then the faults that must be
// counted and skipped.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <random>

#include "ais/ais_decoder.h"
#include "ais/ais_json.h"
#include "ais/ais_encoder.h"

namespace tavrik::test {
namespace {

struct Generator {
  std::mt19937 rng{20261207};
  int64_t upTo(int64_t n) { return std::uniform_int_distribution<int64_t>(0, n)(rng); }
  // A value in range, now and then the field's "not available" code.
  int64_t orUnavailable(int64_t low, int64_t high, int64_t unavailable) {
    return upTo(9) == 0 ? unavailable : low + upTo(high - low);
  }
  std::string text(int maxChars) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-/";
    std::string s;
    const int n = static_cast<int>(upTo(maxChars));
    for (int i = 0; i < n; ++i) s += alphabet[static_cast<size_t>(upTo(static_cast<int64_t>(alphabet.size()) - 1))];
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return s;
  }
  void header(AisBitWriter& w, int type, int64_t mmsi = -1) {
    w.put(type, 6);
    w.put(upTo(3), 2);
    w.put(mmsi >= 0 ? mmsi : 200000000 + upTo(599999999), 30);
  }
  void position(AisBitWriter& w, int lonBits, int latBits) {
    w.put(orUnavailable(-180 * 600000, 180 * 600000, 181 * 600000), lonBits);
    w.put(orUnavailable(-90 * 600000, 90 * 600000, 91 * 600000), latBits);
  }
  void dimensions(AisBitWriter& w) {
    w.put(upTo(511), 9);
    w.put(upTo(511), 9);
    w.put(upTo(63), 6);
    w.put(upTo(63), 6);
  }
  AisBitWriter message(int type) {
    AisBitWriter w;
    switch (type) {
      case 1:
      case 2:
      case 3:
        header(w, type);
        w.put(upTo(15), 4);
        w.put(static_cast<int>(upTo(255)) - 128, 8);
        w.put(orUnavailable(0, 1022, 1023), 10);
        w.put(upTo(1), 1);
        position(w, 28, 27);
        w.put(orUnavailable(0, 3599, 3600), 12);
        w.put(orUnavailable(0, 359, 511), 9);
        w.put(upTo(63), 6);
        w.put(upTo(2), 2);
        w.put(0, 3);
        w.put(upTo(1), 1);
        w.put(upTo((1 << 19) - 1), 19);
        break;
      case 4:
        header(w, type);
        w.put(2000 + upTo(30), 14);
        w.put(1 + upTo(11), 4);
        w.put(1 + upTo(27), 5);
        w.put(upTo(23), 5);
        w.put(upTo(59), 6);
        w.put(upTo(59), 6);
        w.put(upTo(1), 1);
        position(w, 28, 27);
        w.put(upTo(8), 4);
        w.put(0, 10);
        w.put(upTo(1), 1);
        w.put(upTo((1 << 19) - 1), 19);
        break;
      case 5:
        header(w, type);
        w.put(upTo(3), 2);
        w.put(upTo((1 << 30) - 1), 30);
        w.text(text(7), 7);
        w.text(text(20), 20);
        w.put(upTo(99), 8);
        dimensions(w);
        w.put(upTo(8), 4);
        w.put(upTo(12), 4);
        w.put(upTo(31), 5);
        w.put(upTo(24), 5);
        w.put(upTo(60), 6);
        w.put(upTo(255), 8);
        w.text(text(20), 20);
        w.put(upTo(1), 1);
        w.put(0, 1);
        break;
      case 18:
      case 19:
        header(w, type);
        w.put(upTo(255), 8);
        w.put(orUnavailable(0, 1022, 1023), 10);
        w.put(upTo(1), 1);
        position(w, 28, 27);
        w.put(orUnavailable(0, 3599, 3600), 12);
        w.put(orUnavailable(0, 359, 511), 9);
        w.put(upTo(63), 6);
        if (type == 18) {
          w.put(upTo(3), 2);
          for (int i = 0; i < 7; ++i) w.put(upTo(1), 1);
          w.put(upTo((1 << 20) - 1), 20);
        } else {
          w.put(upTo(15), 4);
          w.text(text(20), 20);
          w.put(upTo(99), 8);
          dimensions(w);
          w.put(upTo(8), 4);
          for (int i = 0; i < 3; ++i) w.put(upTo(1), 1);
          w.put(0, 4);
        }
        break;
      case 21: {
        header(w, type);
        w.put(upTo(31), 5);
        // Half of the aids have a name longer than 20 characters, carried on after the spare bit.
        const bool extended = upTo(1) == 1;
        std::string name = extended ? text(0) : text(20);
        if (extended)
          while (name.size() < 20 + 1 + static_cast<size_t>(upTo(13))) name += static_cast<char>('A' + upTo(25));
        w.text(name.substr(0, 20), 20);
        w.put(upTo(1), 1);
        position(w, 28, 27);
        dimensions(w);
        w.put(upTo(8), 4);
        w.put(upTo(63), 6);
        for (int i = 0; i < 1; ++i) w.put(upTo(1), 1);
        w.put(upTo(255), 8);
        for (int i = 0; i < 3; ++i) w.put(upTo(1), 1);
        w.put(0, 1);
        if (name.size() > 20) w.text(name.substr(20), static_cast<int>(name.size()) - 20);
        break;
      }
      case 24: {
        const bool auxiliary = upTo(3) == 0;
        header(w, type, auxiliary ? 980000000 + upTo(9999999) : -1);
        const int part = static_cast<int>(upTo(1));
        w.put(part, 2);
        if (part == 0) {
          w.text(text(20), 20);
          w.put(0, 8);
        } else {
          w.put(upTo(99), 8);
          w.text(text(3), 3);
          w.put(upTo(15), 4);
          w.put(upTo((1 << 20) - 1), 20);
          w.text(text(7), 7);
          if (auxiliary) w.put(200000000 + upTo(599999999), 30);
          else dimensions(w);
          w.put(0, 6);
        }
        break;
      }
      default: break;
    }
    return w;
  }
};

TEST(AisDecoder, EveryFieldSharedWithGpsdecodeAgreesOnRandomMessagesOfEachType) {
  const QString gpsdecode = QStandardPaths::findExecutable(QStringLiteral("gpsdecode"));
  if (gpsdecode.isEmpty()) GTEST_SKIP() << "gpsdecode (gpsd-clients) is not installed";
  Generator g;
  std::string stream;
  int seq = 0;
  const int types[] = {1, 2, 3, 4, 5, 18, 19, 21, 24};
  for (int round = 0; round < 60; ++round)
    for (int type : types) {
      const char* formatter = round % 7 == 0 ? "!AIVDO" : "!AIVDM";
      for (const std::string& s : aisSentences(g.message(type), seq++ % 10, round % 2 ? 'B' : 'A', formatter))
        stream += s + "\r\n";
    }
  QProcess peer;
  peer.start(gpsdecode, {QStringLiteral("--split24")});  // each part of a type 24 on its own
  ASSERT_TRUE(peer.waitForStarted());
  peer.write(stream.data(), static_cast<qint64>(stream.size()));
  peer.closeWriteChannel();
  ASSERT_TRUE(peer.waitForFinished(10000));
  QList<QByteArray> theirs = peer.readAllStandardOutput().split('\n');
  theirs.removeAll(QByteArray());

  AisDecoder decoder;
  std::vector<std::string> ours;
  size_t start = 0;
  while (start < stream.size()) {
    const size_t end = stream.find("\r\n", start);
    if (decoder.feed(std::string_view(stream).substr(start, end - start)) == AisDecoder::Result::Message) {
      std::string json;
      appendAisJson(json, decoder.message());
      ours.push_back(json);
    }
    start = end + 2;
  }
  EXPECT_EQ(decoder.counters().errors, 0u);
  std::map<int, int> ourTypes, theirTypes;
  for (const std::string& j : ours) ++ourTypes[QJsonDocument::fromJson(QByteArray::fromStdString(j)).object().value("type").toInt()];
  for (const QByteArray& j : theirs) ++theirTypes[QJsonDocument::fromJson(j).object().value("type").toInt()];
  ASSERT_EQ(ourTypes, theirTypes);
  std::map<int, int> comparedByType;
  for (size_t i = 0; i < ours.size(); ++i) {
    const QJsonObject a = QJsonDocument::fromJson(QByteArray::fromStdString(ours[i])).object();
    const QJsonObject b = QJsonDocument::fromJson(theirs[static_cast<qsizetype>(i)]).object();
    ASSERT_FALSE(a.isEmpty()) << ours[i];
    for (auto it = a.begin(); it != a.end(); ++it) {
      if (!b.contains(it.key())) continue;
      const QJsonValue x = it.value(), y = b.value(it.key());
      const bool same = x.isDouble() && y.isDouble() ? std::abs(x.toDouble() - y.toDouble()) < 1e-6 : x == y;
      EXPECT_TRUE(same) << it.key().toStdString() << "\n ours " << ours[i] << "\n gpsd " << theirs[qsizetype(i)].toStdString();
      ++comparedByType[a.value("type").toInt()];
    }
  }
  // Most of what we print is compared, not just the header.
  for (int type : types) EXPECT_GE(comparedByType[type], 60 * 6) << "type " << type;
}

TEST(AisDecoder, FaultsAreCountedAndSkippedAndLaterMessagesStillDecode) {
  const std::string good = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C";
  const std::string part1 = "!AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0*3E";
  const std::string part2 = "!AIVDM,2,2,3,B,1@0000000000000,2*55";
  struct Row {
    const char* legend;
    std::vector<std::string> lines;
    uint64_t errors;
  } rows[] = {
      {"good single and two-part", {good, part1, part2}, 0},
      {"wrong checksum", {nmeaWithChecksum("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0").substr(0, 50) + "*00"}, 1},
      {"fill bits beyond five", {nmeaWithChecksum("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,6")}, 1},
      {"a position report cut short", {nmeaWithChecksum("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN,0")}, 1},
      {"fill bits on a first fragment", {nmeaWithChecksum(part1.substr(0, part1.size() - 5) + "2"), part2}, 2},
      {"second fragment without a first", {part2}, 1},
      {"fragment of another channel", {part1, nmeaWithChecksum("!AIVDM,2,2,3,A,1@0000000000000,2")}, 1},
      {"a character outside the armour", {nmeaWithChecksum("!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TK~,0")}, 1},
      {"part number past the count", {nmeaWithChecksum("!AIVDM,1,2,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0")}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    AisDecoder d;
    for (const std::string& l : row.lines) d.feed(l);
    EXPECT_EQ(d.counters().errors, row.errors);
    EXPECT_EQ(d.feed(good), AisDecoder::Result::Message);
    EXPECT_EQ(d.message().mmsi, 477553000u);
    EXPECT_NEAR(d.message().latitude(), 47.582833, 1e-6);
  }
}

}  // namespace
}  // namespace tavrik::test
