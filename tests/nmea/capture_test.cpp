// Real captures decoded by the command-line decoder's path and compared with gpsd's
// regression reports for the same bytes (the .chk files beside the logs).
//
// Each .chk repeats every input sentence followed by the reports gpsd issued after
// it. After each sentence the decoder's NavigationState is compared with those
// reports:
//   - TPV lat/lon after a position sentence (GGA, RMC, GLL) we accepted: within
//     2e-5 degree, the resolution of the f32 position at 180 degrees.
//   - TPV time: hh:mm:ss of FixTime (local offset 0), exact; the date when both have
//     one.
//   - SKY satellites after the last GSV of a group: prn, elevation, azimuth, SNR.
//   - SKY hdop/pdop/vdop after GSA; TPV depth after DBT.
// Differences that follow from the receive rules are counted by kind and must match
// the table of expected differences below, which explains each.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <iostream>
#include <map>
#include <set>

#include "nmea/nmea_decoder.h"

namespace tavrik::test {
namespace {

constexpr double kPositionTolerance = 2e-5;  // f32 latitude/longitude resolution

struct Capture {
  std::vector<std::string> sentences;
  std::vector<std::vector<QJsonObject>> reports;  // per sentence
};

Capture readChk(const QString& path) {
  Capture c;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return c;
  for (QByteArray line : f.readAll().split('\n')) {
    while (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) continue;
    if (line.startsWith('{')) {
      if (!c.reports.empty()) c.reports.back().push_back(QJsonDocument::fromJson(line).object());
    } else {
      c.sentences.push_back(line.toStdString());
      c.reports.emplace_back();
    }
  }
  return c;
}

QStringList talkersOf(const Capture& c) {
  QStringList t;
  for (const std::string& s : c.sentences) {
    if (s.size() < 6 || s[0] != '$' || s[1] == 'P') continue;
    const QString id = QString::fromStdString(s.substr(0, 3));
    if (!t.contains(id) && t.size() < 6) t << id;
  }
  return t;
}

std::string kind3(const std::string& s) { return s.size() >= 6 ? s.substr(3, 3) : std::string(); }

struct Result {
  std::map<std::string, int> compared, differences;
  std::vector<std::string> samples;
  void diff(const std::string& what, const std::string& sentence, const QString& detail) {
    if (differences[what]++ < 3) samples.push_back(what + ": " + sentence + " -> " + detail.toStdString());
  }
};

Result compare(const QString& name) {
  const Capture cap = readChk(QStringLiteral(TAVRIK_TESTDATA "/nmea/") + name + ".chk");
  DecoderOptions options;
  options.talkers = talkersOf(cap);
  NmeaDecoder decoder(options, [](std::string_view) {});
  Result r;
  bool accepted = false;
  uint32_t changed = 0;
  decoder.receiver().onParsed = [&](Sentence, std::string_view, const ParseResult& p) {
    accepted = p.accepted;
    changed = p.changed;
  };
  const NavigationState& nav = decoder.nav();
  for (size_t i = 0; i < cap.sentences.size(); ++i) {
    const std::string& s = cap.sentences[i];
    accepted = false;
    changed = 0;
    decoder.feed(s + "\r\n");
    const std::string k = kind3(s);
    for (const QJsonObject& rep : cap.reports[i]) {
      const QString cls = rep["class"].toString();
      if (cls == "TPV") {
        if (rep.contains("lat") && (k == "GGA" || k == "RMC" || k == "GLL")) {
          ++r.compared["position"];
          if (!(changed & kLatitude)) {
            r.diff("position not taken", s, QString("gpsd %1 %2").arg(rep["lat"].toDouble()).arg(rep["lon"].toDouble()));
          } else if (std::fabs(nav.Latitude - rep["lat"].toDouble()) > kPositionTolerance ||
                     std::fabs(nav.Longitude - rep["lon"].toDouble()) > kPositionTolerance) {
            r.diff("position", s, QString("ours %1 %2, gpsd %3 %4").arg(nav.Latitude, 0, 'f', 7).arg(nav.Longitude, 0, 'f', 7)
                                     .arg(rep["lat"].toDouble(), 0, 'f', 7).arg(rep["lon"].toDouble(), 0, 'f', 7));
          }
        }
        if (rep.contains("time") && (changed & kFixTime)) {
          ++r.compared["time"];
          const QString t = rep["time"].toString();  // 2007-04-08T09:53:05.802Z
          if (nav.FixTime.toString("hh:mm:ss") != t.mid(11, 8))
            r.diff("time", s, "ours " + nav.FixTime.toString("hh:mm:ss") + ", gpsd " + t);
          if (changed & kFixDate) {
            ++r.compared["date"];
            const QString d = t.mid(5, 2) + '-' + t.mid(8, 2) + '-' + t.left(4);
            if (nav.FixDate != d) r.diff("date", s, "ours " + nav.FixDate + ", gpsd " + t);
          }
        }
        if (rep.contains("speed") && (k == "RMC" || k == "VTG") && (changed & kSpeedOverGround)) {
          ++r.compared["speed"];
          // gpsd reports metres per second with three decimals.
          if (std::fabs(nav.SpeedOverGround * 1852.0 / 3600.0 - rep["speed"].toDouble()) > 1e-3)
            r.diff("speed", s, QString("ours %1 kn, gpsd %2 m/s").arg(nav.SpeedOverGround).arg(rep["speed"].toDouble()));
        }
        if (rep.contains("track") && (k == "RMC" || k == "VTG") && (changed & kCourseOverGround)) {
          ++r.compared["course"];
          if (std::fabs(nav.CourseOverGround - rep["track"].toDouble()) > 1e-3)
            r.diff("course", s, QString("ours %1, gpsd %2").arg(nav.CourseOverGround).arg(rep["track"].toDouble()));
        }
        if (rep.contains("depth") && (k == "DBT") && (changed & kDepthMetres)) {
          ++r.compared["depth"];
          if (std::fabs(nav.DepthMetres - rep["depth"].toDouble()) > 1e-3)
            r.diff("depth", s, QString("ours %1, gpsd %2").arg(nav.DepthMetres).arg(rep["depth"].toDouble()));
        }
      } else if (cls == "SKY") {
        if (k == "GSA" && rep.contains("hdop") && (changed & kHdop)) {
          ++r.compared["dop"];
          if (std::fabs(nav.Hdop - rep["hdop"].toDouble()) > 1e-3 ||
              (rep.contains("pdop") && std::fabs(nav.Pdop - rep["pdop"].toDouble()) > 1e-3) ||
              (rep.contains("vdop") && std::fabs(nav.Vdop - rep["vdop"].toDouble()) > 1e-3))
            r.diff("dop", s, QString("ours %1/%2/%3").arg(nav.Pdop).arg(nav.Hdop).arg(nav.Vdop));
        }
        if (k == "GSV" && rep.contains("satellites")) {
          for (const QJsonValue& v : rep["satellites"].toArray()) {
            const QJsonObject sat = v.toObject();
            ++r.compared["satellite"];
            const int prn = sat["PRN"].toInt();
            const SatelliteRecord* ours = nullptr;
            for (const SatelliteRecord& x : nav.Satellites)
              if (x.Prn == prn) ours = &x;
            if (!ours) {
              r.diff("satellite missing", s, QString("PRN %1").arg(prn));
            } else if (ours->Elevation != sat["el"].toDouble() || ours->Azimuth != sat["az"].toDouble() ||
                       ours->Snr != sat["ss"].toDouble(0)) {
              r.diff("satellite", s, QString("PRN %1 ours %2/%3/%4").arg(prn).arg(ours->Elevation).arg(ours->Azimuth).arg(ours->Snr));
            }
          }
        }
      }
    }
  }
  return r;
}

TEST(CaptureComparison, DecoderAgreesWithGpsdOnRealCaptures) {
  struct Row {
    const char* file;
    int positionsAtLeast;  // position reports compared
    std::map<std::string, int> expectedDifferences;
  };
  // Every capture agrees on every compared value except:
  //  - haicom-305N.log starts with message 3 of a GSV group. The satellite table is
  //    sized by message 1, which has not come yet, so that message is rejected (one
  //    GSV error) and its four satellites are missing until the next group; gpsd
  //    keeps them.
  // Sentences rejected by their checksum (every GGA of firefly-II.log, the cut GSV of
  // garmin48.log, the cut GGA of triton400.log) produce no gpsd report either. tn200.log
  // never has a fix: gpsd reports none, and the void RMC and quality-0 GGA move nothing.
  const std::vector<Row> rows = {
      {"bundg_zeus_9.log", 140, {}},  {"firefly-II.log", 1, {}},     {"garmin48.log", 9, {}},
      {"GPSmap-76S.log", 1, {}},      {"haicom-305N.log", 130, {{"satellite missing", 4}}},
      {"hemi.log", 6, {}},            {"humminbird-M37.log", 24, {}}, {"mr-350p.log", 14, {}},
      {"nokia-ld-4w.log", 20, {}},    {"sounder.log", 122, {}},       {"tn200.log", 0, {}},
      {"triton400.log", 13, {}},
  };
  for (const Row& row : rows) {
    const char* f = row.file;
    SCOPED_TRACE(f);
    const Result r = compare(f);
    EXPECT_EQ(r.differences, row.expectedDifferences);
    EXPECT_GE(r.compared.count("position") ? r.compared.at("position") : 0, row.positionsAtLeast);
    std::cout << f << ":";
    for (auto& [k, n] : r.compared) std::cout << " " << k << "=" << n;
    for (auto& [k, n] : r.differences) std::cout << " DIFF " << k << "=" << n;
    std::cout << "\n";
    for (auto& s : r.samples) std::cout << "   " << s << "\n";
  }
}

}  // namespace
}  // namespace tavrik::test

namespace tavrik::test {
namespace {

// Captures without gpsd reports: every sentence the table knows is counted as the
// capture README counts it, whatever the line ends (bare CR, LF, CR LF), with the
// talkers of the capture accepted.
TEST(CaptureComparison, EverySentenceOfCapturesWithoutReportsIsCounted) {
  struct Row {
    const char* file;
    QStringList talkers;
    std::map<Sentence, uint32_t> received;
  };
  const std::vector<Row> rows = {
      {"Garmin-GPS76_route.txt", {"$GP"},  // bare CR line ends
       {{Sentence::GSV, 24}, {Sentence::GGA, 8}, {Sentence::GLL, 8}, {Sentence::GSA, 8}, {Sentence::RMB, 8},
        {Sentence::RMC, 7}}},
      {"irene-20150429-NMEA0036.TXT", {"$II"},
       {{Sentence::GLL, 62}, {Sentence::MTW, 62}, {Sentence::RMC, 62}, {Sentence::VHW, 62}, {Sentence::VLW, 61},
        {Sentence::VWR, 61}}},
      {"n2kd-183-merrimac.log", {"$02", "$04", "$05", "$23", "$24"},  // gateway source addresses as talkers
       {{Sentence::HDM, 247}, {Sentence::DBS, 13}, {Sentence::DBT, 11}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    QFile f(QStringLiteral(TAVRIK_TESTDATA "/nmea/") + row.file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    DecoderOptions options;
    options.talkers = row.talkers;
    NmeaDecoder decoder(options, [](std::string_view) {});
    decoder.feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    decoder.finish();
    for (int i = 0; i < kSentenceCount; ++i) {
      const Sentence s = static_cast<Sentence>(i);
      const uint32_t expected = row.received.count(s) ? row.received.at(s) : 0;
      EXPECT_EQ(decoder.nav().received(s), expected) << kSentenceNames[static_cast<size_t>(i)];
      EXPECT_EQ(decoder.nav().errors(s), 0u) << kSentenceNames[static_cast<size_t>(i)];
    }
  }
}

}  // namespace
}  // namespace tavrik::test
