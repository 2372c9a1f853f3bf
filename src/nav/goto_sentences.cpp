#include "nav/goto_sentences.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/number_format.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {

void appendFixed(std::string& out, double value, int significant, int minInt, int decimals) {
  static constexpr uint64_t kPow10[] = {1ull,
                                        10ull,
                                        100ull,
                                        1000ull,
                                        10000ull,
                                        100000ull,
                                        1000000ull,
                                        10000000ull,
                                        100000000ull,
                                        1000000000ull,
                                        10000000000ull,
                                        100000000000ull,
                                        1000000000000ull,
                                        10000000000000ull,
                                        100000000000000ull,
                                        1000000000000000ull,
                                        10000000000000000ull,
                                        100000000000000000ull,
                                        1000000000000000000ull};
  if (!std::isfinite(value)) value = 0;
  const bool negative = value < 0;
  // The decimal form formatNumber rounds from: `significant` digits and an exponent.
  char sci[40];
  const auto r = std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, significant - 1);
  uint64_t mantissa = 0;
  int digits = 0;
  const char* p = sci;
  for (; p < r.ptr && *p != 'e'; ++p) {
    if (*p == '.') continue;
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    ++digits;
  }
  int exp10 = 0;
  const bool expNegative = p + 1 < r.ptr && p[1] == '-';
  for (const char* q = p + 2; q < r.ptr; ++q) exp10 = exp10 * 10 + (*q - '0');
  if (expNegative) exp10 = -exp10;
  // value = mantissa * 10^(exp10 - digits + 1); the result is N * 10^-decimals.
  const int shift = exp10 - digits + 1 + decimals;
  uint64_t n = 0;
  if (shift >= 0) {
    if (shift + digits > 18) {  // beyond 64 bits: no sentence field is this large
      const QString text = formatNumber(value, QString(std::max(minInt, 1), '0') +
                                                   (decimals > 0 ? '.' + QString(decimals, '0') : QString()));
      out += text.toStdString();
      return;
    }
    n = mantissa * kPow10[shift];
  } else if (-shift <= digits) {
    // Half away from zero on the first digit dropped.
    const uint64_t div = kPow10[-shift];
    n = mantissa / div;
    if (mantissa % div >= div / 2) ++n;
  }
  if (negative && n != 0) out += '-';
  char buf[24];
  int len = 0;
  do {
    buf[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (len < minInt + decimals) buf[len++] = '0';
  for (int k = len - 1; k >= 0; --k) {
    if (k == decimals - 1) out += '.';
    out += buf[k];
  }
}

namespace {

void appendFloat(std::string& out, float value, int decimals) { appendFixed(out, value, 7, 1, decimals); }

// Degrees and minutes written together ("5224.000"), hemisphere after a comma.
void appendDegreesMinutes(std::string& out, double value, int decimals, int degreeDigits, char positive, char negative) {
  const char hemisphere = value < 0 ? negative : positive;
  value = std::fabs(value);
  double degrees = std::floor(value);
  std::string minutes;
  appendFixed(minutes, (value - degrees) * 60.0, 15, 2, decimals);
  // 59.9996 minutes with three decimals would be written as 60.000.
  if (minutes.compare(0, 2, "60") == 0) {
    degrees += 1;
    minutes.clear();
    appendFixed(minutes, 0.0, 15, 2, decimals);
  }
  appendFixed(out, degrees, 15, degreeDigits, 0);
  out += minutes;
  out += ',';
  out += hemisphere;
}

void appendLatin1(std::string& out, const QString& s) {
  for (QChar c : s) out += static_cast<char>(c.unicode() < 256 ? c.unicode() : '?');
}

void appendDestination(std::string& out, const GotoSentenceInput& in) {
  if (in.destinationId.isEmpty()) out += "CHART";
  else appendLatin1(out, in.destinationId);
}

// ",R," when the target lies to the right of the course over ground.
const char* steerField(const GotoSentenceInput& in) { return in.steerDiffDeg < 180 ? ",R," : ",L,"; }

bool arrived(const GotoSentenceInput& in) { return in.distanceNm < in.alarmDistanceNm; }

void appendTwoDigits(std::string& out, int v) {
  out += static_cast<char>('0' + v / 10 % 10);
  out += static_cast<char>('0' + v % 10);
}

void appendSentence(std::string& out, GotoSentence kind, const GotoSentenceInput& in) {
  auto head = [&](const char* id) {
    out += '$';
    appendLatin1(out, in.talker);
    out += id;
  };
  auto crossTrack = [&] {
    appendFloat(out, std::fabs(in.xte), 1);
    out += steerField(in);
    out += static_cast<char>(in.unitLetter.unicode());
  };
  auto position = [&] {
    appendDegreesMinutes(out, in.targetLat, in.decimals, 2, 'N', 'S');
    out += ',';
    appendDegreesMinutes(out, in.targetLon, in.decimals, 3, 'E', 'W');
  };
  switch (kind) {
    case GotoSentence::RMB: {
      const float d = in.distanceNm;
      out += "$GPRMB,A,";
      appendFloat(out, std::fabs(in.xte) / in.unitFactor, 1);
      out += steerField(in);
      appendLatin1(out, in.originId);
      out += ',';
      appendDestination(out, in);
      out += ',';
      position();
      out += ',';
      appendFloat(out, d, d <= 10 ? 2 : d <= 100 ? 1 : 0);
      out += ',';
      appendFloat(out, in.bearingTrueDeg, 1);
      out += ',';
      appendFloat(out, in.vmgKn, 1);
      out += arrived(in) ? ",A,A," : ",V,A,";
      return;
    }
    case GotoSentence::XTE:
      head("XTE,A,A,");
      crossTrack();
      out += ",A";
      return;
    case GotoSentence::AAM:
      head("AAM,");
      out += arrived(in) ? "A,V," : "V,V,";
      appendFloat(out, in.alarmDistanceNm, 3);
      out += ",N,";
      appendDestination(out, in);
      return;
    case GotoSentence::BWC: {
      const QTime t = in.time.isValid() ? in.time : QTime(0, 0);
      head("BWC,");
      appendTwoDigits(out, t.hour());
      appendTwoDigits(out, t.minute());
      appendTwoDigits(out, t.second());
      out += ',';
      position();
      out += ',';
      appendFloat(out, in.bearingTrueDeg, 1);
      out += ",T,";
      appendFloat(out, in.bearingMagDeg, 1);
      out += ",M,";
      appendFloat(out, in.greatCircleNm, 1);
      out += ",N,";
      appendDestination(out, in);
      out += ",A";
      return;
    }
    case GotoSentence::APA:
      head("APA,A,A,");
      crossTrack();
      out += arrived(in) ? ",A,," : ",,,";
      appendFloat(out, in.lineCourseMagDeg, 1);
      out += ",M,";
      appendDestination(out, in);
      return;
    case GotoSentence::BOD:
      head("BOD,");
      appendFloat(out, in.bearingTrueDeg, 1);
      out += ",T,";
      appendFloat(out, in.bearingMagDeg, 1);
      out += ",M,";
      appendDestination(out, in);
      if (!in.originId.isEmpty()) {
        out += ',';
        appendLatin1(out, in.originId);
      }
      return;
    case GotoSentence::VTG:
      head("VTG,");
      appendFloat(out, in.cogTrueDeg, 1);
      out += ",T,";
      appendFloat(out, in.cogMagDeg, 1);
      out += ",M,";
      appendFloat(out, in.sogKn, 1);
      out += ",N,";
      appendFloat(out, in.sogKn * 1.852f, 1);
      out += ",K,A";
      return;
    case GotoSentence::APB:
      head("APB,A,A,");
      crossTrack();
      out += arrived(in) ? ",A,," : ",,,";
      appendFloat(out, in.lineCourseMagDeg, 1);
      out += ",M,";
      appendDestination(out, in);
      out += ',';
      appendFloat(out, in.bearingMagDeg, 1);
      out += ",M,";
      appendFloat(out, in.headingToSteerMagDeg, 1);
      out += ",M,A";
      return;
  }
}

}  // namespace

const char* gotoSentenceName(GotoSentence s) {
  static const char* names[] = {"RMB", "XTE", "AAM", "BWC", "APA", "BOD", "VTG", "APB"};
  return names[static_cast<int>(s)];
}

QString nmeaNumber(float value, QStringView pattern) {
  QString s = formatNumber(value, pattern);
  s.replace(',', '.');
  return s;
}

QString nmeaLatitude(double latDeg, int decimals) {
  std::string s;
  appendDegreesMinutes(s, latDeg, decimals, 2, 'N', 'S');
  return QString::fromStdString(s);
}

QString nmeaLongitude(double lonDeg, int decimals) {
  std::string s;
  appendDegreesMinutes(s, lonDeg, decimals, 3, 'E', 'W');
  return QString::fromStdString(s);
}

QString buildGotoSentence(GotoSentence kind, const GotoSentenceInput& in) {
  std::string s;
  appendSentence(s, kind, in);
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

void appendGotoLine(std::string& out, GotoSentence kind, const GotoSentenceInput& in) {
  const size_t start = out.size();
  appendSentence(out, kind, in);
  unsigned char sum = 0;
  for (size_t i = start + 1; i < out.size(); ++i) sum ^= static_cast<unsigned char>(out[i]);
  static const char* hex = "0123456789ABCDEF";
  out += '*';
  out += hex[sum >> 4];
  out += hex[sum & 15];
  out += "\r\n";
}

QString buildAutopilotApb(float headingMagDeg, float courseToSteerDeg) {
  const QString c = nmeaNumber(courseToSteerDeg, u"#0.0");
  const QLatin1String head = headingMagDeg < courseToSteerDeg    ? QLatin1String("$GPAPB,A,A,0.1,R,N,V,V,")
                             : headingMagDeg == courseToSteerDeg ? QLatin1String("$GPAPB,A,A,0.0,L,N,V,V,")
                                                                 : QLatin1String("$GPAPB,A,A,0.1,L,N,V,V,");
  return head + c + QStringLiteral(",M,,") + c + QStringLiteral(",M,") + c + QStringLiteral(",M,A");
}

namespace {
QString wplNumberAndName(const WplLayout& layout, int n, const QString& description) {
  QString s;
  if (layout.number) s += formatNumber(double(n), QString(QString::number(std::max(layout.maxNumber, 1)).size(), '0'));
  // One blank between number and name keeps WPL's single name field (a comma would
  // make the number the name for the receiver).
  if (layout.number && layout.name) s += ' ';
  if (layout.name) s += NmeaName(description, layout.maxName, layout.fill);
  return s;
}
}  // namespace

QString buildWpl(const WplLayout& layout, double latDeg, double lonDeg, int n, const QString& description) {
  return layout.header + ',' + nmeaLatitude(latDeg, layout.decimals) + ',' + nmeaLongitude(lonDeg, layout.decimals) +
         ',' + wplNumberAndName(layout, n, description);
}

QString wplExample(const WplLayout& layout) {
  const QString decimals = QStringLiteral("123456789").left(std::clamp(layout.decimals, 0, 9));
  const QString point = decimals.isEmpty() ? QString() : QStringLiteral(".");
  return layout.header + QStringLiteral(",5224") + point + decimals + QStringLiteral(",N,00523") + point + decimals +
         QStringLiteral(",E,") + wplNumberAndName(layout, layout.maxNumber, QString(std::max(layout.maxName, 0), 'A'));
}

}  // namespace tavrik
