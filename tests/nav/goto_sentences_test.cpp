// The go-to's output sentences byte for byte, with checksums recomputed here.

#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cmath>
#include <random>

#include "core/number_format.h"

#include "nav/goto_sentences.h"
#include "nmea/nmea_checksum.h"

using namespace tavrik;

namespace {

// An independent checksum: XOR of everything between "$" and "*".
std::string withChecksum(const std::string& body) {
  unsigned sum = 0;
  for (size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return body + "*" + hex;
}

GotoSentenceInput harbourApproach() {
  GotoSentenceInput in;
  in.targetLat = 52.4;
  in.targetLon = 4.875;
  in.distanceNm = 9.5f;
  in.greatCircleNm = 9.5f;
  in.bearingTrueDeg = 123.4f;
  in.bearingMagDeg = 121.2f;
  in.lineCourseMagDeg = 120.0f;
  in.xte = -0.26f;
  in.steerDiffDeg = 10;
  in.vmgKn = 4.0f;
  in.cogTrueDeg = 110;
  in.cogMagDeg = 108;
  in.sogKn = 5;
  in.headingToSteerMagDeg = 121.2f;
  in.time = QTime(12, 34, 56);
  in.destinationId = QStringLiteral("AMS-HA");
  return in;
}

// Kilometres, south and west, talker II, inside the arrival radius, with an origin.
GotoSentenceInput southWestInKilometres() {
  GotoSentenceInput in = harbourApproach();
  in.targetLat = -33.925;
  in.targetLon = -18.42;
  in.distanceNm = 12.34f;
  in.bearingTrueDeg = 200;
  in.bearingMagDeg = 201.5f;
  in.xte = 1.0f;
  in.unitFactor = 1.852f;
  in.unitLetter = 'K';
  in.steerDiffDeg = 200;
  in.vmgKn = -1.5f;
  in.alarmDistanceNm = 20;
  in.headingToSteerMagDeg = 199.9f;
  in.time = QTime(0, 0, 5);
  in.talker = QStringLiteral("II");
  in.destinationId = QStringLiteral("ROTTER");
  in.originId = QStringLiteral("AMS-HA");
  return in;
}

// A chart position far off, whose minutes round up to 60.
GotoSentenceInput chartPositionFarOff() {
  GotoSentenceInput in = harbourApproach();
  in.targetLat = 59.999999;
  in.distanceNm = 123.4f;
  in.destinationId.clear();
  return in;
}

}  // namespace

TEST(GotoSentences, GoldenBytes) {
  struct Row {
    const char* legend;
    GotoSentenceInput in;
    GotoSentence kind;
    const char* expected;
  };
  const Row rows[] = {
      {"RMB: nautical miles, true bearing, range 9.50", harbourApproach(), GotoSentence::RMB,
       "$GPRMB,A,0.3,R,,AMS-HA,5224.000,N,00452.500,E,9.50,123.4,4.0,V,A,"},
      {"XTE", harbourApproach(), GotoSentence::XTE, "$GPXTE,A,A,0.3,R,N,A"},
      {"AAM", harbourApproach(), GotoSentence::AAM, "$GPAAM,V,V,0.001,N,AMS-HA"},
      {"BWC with the clock's time", harbourApproach(), GotoSentence::BWC,
       "$GPBWC,123456,5224.000,N,00452.500,E,123.4,T,121.2,M,9.5,N,AMS-HA,A"},
      {"APA", harbourApproach(), GotoSentence::APA, "$GPAPA,A,A,0.3,R,N,,,120.0,M,AMS-HA"},
      {"BOD without origin", harbourApproach(), GotoSentence::BOD, "$GPBOD,123.4,T,121.2,M,AMS-HA"},
      {"VTG", harbourApproach(), GotoSentence::VTG, "$GPVTG,110.0,T,108.0,M,5.0,N,9.3,K,A"},
      {"APB", harbourApproach(), GotoSentence::APB, "$GPAPB,A,A,0.3,R,N,,,120.0,M,AMS-HA,121.2,M,121.2,M,A"},
      {"RMB in Km: the field still in nautical miles, talker still GP", southWestInKilometres(), GotoSentence::RMB,
       "$GPRMB,A,0.5,L,AMS-HA,ROTTER,3355.500,S,01825.200,W,12.3,200.0,-1.5,A,A,"},
      {"XTE in Km", southWestInKilometres(), GotoSentence::XTE, "$IIXTE,A,A,1.0,L,K,A"},
      {"AAM arrived", southWestInKilometres(), GotoSentence::AAM, "$IIAAM,A,V,20.000,N,ROTTER"},
      {"BWC just after midnight", southWestInKilometres(), GotoSentence::BWC,
       "$IIBWC,000005,3355.500,S,01825.200,W,200.0,T,201.5,M,9.5,N,ROTTER,A"},
      {"BOD with origin", southWestInKilometres(), GotoSentence::BOD, "$IIBOD,200.0,T,201.5,M,ROTTER,AMS-HA"},
      {"APB arrived in Km", southWestInKilometres(), GotoSentence::APB,
       "$IIAPB,A,A,1.0,L,K,A,,120.0,M,ROTTER,201.5,M,199.9,M,A"},
      {"RMB to a chart position: CHART, range 123, minutes carried", chartPositionFarOff(), GotoSentence::RMB,
       "$GPRMB,A,0.3,R,,CHART,6000.000,N,00452.500,E,123,123.4,4.0,V,A,"},
      {"APB to a chart position", chartPositionFarOff(), GotoSentence::APB,
       "$GPAPB,A,A,0.3,R,N,,,120.0,M,CHART,121.2,M,121.2,M,A"},
  };
  // A computer with a decimal comma still writes points.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(NmeaChecksum(buildGotoSentence(r.kind, r.in)).toStdString(), withChecksum(r.expected));
  }
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

TEST(GotoSentences, RangeFieldNarrowsWithDistance) {
  const std::pair<float, const char*> rows[] = {{9.5f, "9.50"}, {10.0f, "10.00"}, {12.34f, "12.3"}, {123.4f, "123"}};
  for (auto [nm, text] : rows) {
    GotoSentenceInput in = harbourApproach();
    in.distanceNm = nm;
    EXPECT_EQ(buildGotoSentence(GotoSentence::RMB, in).section(',', 10, 10), QLatin1String(text)) << nm;
  }
}

TEST(AutopilotSentences, ApbAndWaypointUpload) {
  const std::pair<QString, std::string> rows[] = {
      {buildAutopilotApb(90, 95.5f), "$GPAPB,A,A,0.1,R,N,V,V,95.5,M,,95.5,M,95.5,M,A"},
      {buildAutopilotApb(95.5f, 95.5f), "$GPAPB,A,A,0.0,L,N,V,V,95.5,M,,95.5,M,95.5,M,A"},
      {buildAutopilotApb(359, 2), "$GPAPB,A,A,0.1,L,N,V,V,2.0,M,,2.0,M,2.0,M,A"},
      {buildWpl(WplLayout{}, 52.4, -4.875, 7, QStringLiteral("Ams-Haven 3")),
       "$GPWPL,5224.00,N,00452.50,W,07 AMS HAVEN 3" + std::string(36, ' ')},
      {buildWpl(WplLayout{"$GPWPL", 3, false, 99, true, 6, "-"}, 52.4, 4.875, 7, QStringLiteral("ab")),
       "$GPWPL,5224.000,N,00452.500,E,AB----"},
      {buildWpl(WplLayout{"$PMGNWPL", 2, true, 500, false, 6, ""}, 0, 0, 7, QStringLiteral("x")),
       "$PMGNWPL,0000.00,N,00000.00,E,007"},
      {wplExample(WplLayout{"$GPWPL", 4, true, 99, true, 3, ""}), "$GPWPL,5224.1234,N,00523.1234,E,99 AAA"},
  };
  for (const auto& [built, expected] : rows) EXPECT_EQ(built.toStdString(), expected);
}

TEST(GotoSentences, FastFieldsWriteWhatFormatNumberWrites) {
  struct Pattern {
    const char* text;
    int minInt, decimals;
  };
  const Pattern patterns[] = {{"#0.0", 1, 1}, {"#0.00", 1, 2}, {"#0", 1, 0}, {"#0.000", 1, 3}, {"00", 2, 0},
                              {"000", 3, 0},  {"00.000", 2, 3}, {"00.00000", 2, 5}};
  std::mt19937 random(7);
  std::uniform_real_distribution<double> magnitude(-4, 3.6);
  std::vector<double> values = {0, -0.0, 0.05, -0.05, 0.04999, 12.35, 9.995, 59.9995, 359.95, -1.25, 1e-9};
  for (int i = 0; i < 20000; ++i) values.push_back((i % 2 ? -1 : 1) * std::pow(10.0, magnitude(random)));
  for (const Pattern& p : patterns)
    for (double v : values) {
      std::string asFloat, asDouble;
      appendFixed(asFloat, static_cast<float>(v), 7, p.minInt, p.decimals);
      appendFixed(asDouble, v, 15, p.minInt, p.decimals);
      ASSERT_EQ(asFloat, formatNumber(static_cast<float>(v), QString::fromLatin1(p.text)).toStdString()) << p.text << " " << v;
      ASSERT_EQ(asDouble, formatNumber(v, QString::fromLatin1(p.text)).toStdString()) << p.text << " " << v;
    }
}
