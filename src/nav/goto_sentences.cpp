#include "nav/goto_sentences.h"

#include <algorithm>
#include <cmath>

#include "core/number_format.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {

QString minutesPattern(int decimals) {
  return decimals > 0 ? QStringLiteral("00.") + QString(decimals, '0') : QStringLiteral("00");
}

// Degrees and minutes written together ("5224.000"), hemisphere after a comma.
QString degreesMinutes(double value, int decimals, QStringView degreePattern, char positive, char negative) {
  const char hemisphere = value < 0 ? negative : positive;
  value = std::fabs(value);
  double degrees = std::floor(value);
  QString minutes = formatNumber((value - degrees) * 60.0, minutesPattern(decimals));
  // 59.9996 minutes with three decimals would be written as 60.000.
  if (minutes.startsWith(QLatin1String("60"))) {
    degrees += 1;
    minutes = formatNumber(0.0, minutesPattern(decimals));
  }
  return formatNumber(degrees, degreePattern) + minutes + ',' + QChar(hemisphere);
}

QString destination(const GotoSentenceInput& in) {
  return in.destinationId.isEmpty() ? QStringLiteral("CHART") : in.destinationId;
}

// ",R," when the target lies to the right of the course over ground.
QLatin1String steerField(const GotoSentenceInput& in) {
  return in.steerDiffDeg < 180 ? QLatin1String(",R,") : QLatin1String(",L,");
}

bool arrived(const GotoSentenceInput& in) { return in.distanceNm < in.alarmDistanceNm; }

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

QString nmeaLatitude(double latDeg, int decimals) { return degreesMinutes(latDeg, decimals, u"00", 'N', 'S'); }
QString nmeaLongitude(double lonDeg, int decimals) { return degreesMinutes(lonDeg, decimals, u"000", 'E', 'W'); }

QString buildGotoSentence(GotoSentence kind, const GotoSentenceInput& in) {
  const QString xteUser = nmeaNumber(std::fabs(in.xte), u"#0.0");
  const QString unit = QString(in.unitLetter);
  const QString head = '$' + in.talker;
  switch (kind) {
    case GotoSentence::RMB: {
      const float d = in.distanceNm;
      const QStringView rangePattern = d <= 10 ? u"#0.00" : d <= 100 ? u"#0.0" : u"#0";
      return QStringLiteral("$GPRMB,A,") + nmeaNumber(std::fabs(in.xte) / in.unitFactor, u"#0.0") + steerField(in) +
             in.originId + ',' + destination(in) + ',' + nmeaLatitude(in.targetLat, in.decimals) + ',' +
             nmeaLongitude(in.targetLon, in.decimals) + ',' + nmeaNumber(d, rangePattern) + ',' +
             nmeaNumber(in.bearingTrueDeg, u"#0.0") + ',' + nmeaNumber(in.vmgKn, u"#0.0") +
             (arrived(in) ? QLatin1String(",A,A,") : QLatin1String(",V,A,"));
    }
    case GotoSentence::XTE:
      return head + QStringLiteral("XTE,A,A,") + xteUser + steerField(in) + unit + QStringLiteral(",A");
    case GotoSentence::AAM:
      return head + QStringLiteral("AAM,") + (arrived(in) ? QLatin1String("A,V,") : QLatin1String("V,V,")) +
             nmeaNumber(in.alarmDistanceNm, u"#0.000") + QStringLiteral(",N,") + destination(in);
    case GotoSentence::BWC: {
      const QTime t = in.time.isValid() ? in.time : QTime(0, 0);
      return head + QStringLiteral("BWC,") + formatNumber(double(t.hour()), u"00") + formatNumber(double(t.minute()), u"00") +
             formatNumber(double(t.second()), u"00") + ',' + nmeaLatitude(in.targetLat, in.decimals) + ',' +
             nmeaLongitude(in.targetLon, in.decimals) + ',' + nmeaNumber(in.bearingTrueDeg, u"#0.0") +
             QStringLiteral(",T,") + nmeaNumber(in.bearingMagDeg, u"#0.0") + QStringLiteral(",M,") +
             nmeaNumber(in.greatCircleNm, u"#0.0") + QStringLiteral(",N,") + destination(in) + QStringLiteral(",A");
    }
    case GotoSentence::APA:
      return head + QStringLiteral("APA,A,A,") + xteUser + steerField(in) + unit +
             (arrived(in) ? QLatin1String(",A,,") : QLatin1String(",,,")) + nmeaNumber(in.lineCourseMagDeg, u"#0.0") +
             QStringLiteral(",M,") + destination(in);
    case GotoSentence::BOD: {
      QString s = head + QStringLiteral("BOD,") + nmeaNumber(in.bearingTrueDeg, u"#0.0") + QStringLiteral(",T,") +
                  nmeaNumber(in.bearingMagDeg, u"#0.0") + QStringLiteral(",M,") + destination(in);
      if (!in.originId.isEmpty()) s += ',' + in.originId;
      return s;
    }
    case GotoSentence::VTG:
      return head + QStringLiteral("VTG,") + nmeaNumber(in.cogTrueDeg, u"#0.0") + QStringLiteral(",T,") +
             nmeaNumber(in.cogMagDeg, u"#0.0") + QStringLiteral(",M,") + nmeaNumber(in.sogKn, u"#0.0") +
             QStringLiteral(",N,") + nmeaNumber(in.sogKn * 1.852f, u"#0.0") + QStringLiteral(",K,A");
    case GotoSentence::APB:
      return head + QStringLiteral("APB,A,A,") + xteUser + steerField(in) + unit +
             (arrived(in) ? QLatin1String(",A,,") : QLatin1String(",,,")) + nmeaNumber(in.lineCourseMagDeg, u"#0.0") +
             QStringLiteral(",M,") + destination(in) + ',' + nmeaNumber(in.bearingMagDeg, u"#0.0") +
             QStringLiteral(",M,") + nmeaNumber(in.headingToSteerMagDeg, u"#0.0") + QStringLiteral(",M,A");
  }
  return {};
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
