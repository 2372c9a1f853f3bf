#pragma once
// The NMEA 0183 sentences a running go-to sends (RMB, XTE, AAM, BWC, APA, BOD, VTG,
// APB), the autopilot window's APB and the waypoint upload's WPL. Builders return the
// sentence without checksum; NmeaChecksum and "\r\n" are added by the sender. Every
// number is written with "." whatever the locale.

#include <QString>
#include <QStringView>
#include <QTime>
#include <array>
#include <string>

namespace tavrik {

enum class GotoSentence { RMB, XTE, AAM, BWC, APA, BOD, VTG, APB };
inline constexpr int kGotoSentenceCount = 8;
// Sending order of a go-to tick.
inline constexpr std::array<GotoSentence, kGotoSentenceCount> kGotoSentenceOrder = {
    GotoSentence::RMB, GotoSentence::XTE, GotoSentence::AAM, GotoSentence::BWC,
    GotoSentence::APA, GotoSentence::BOD, GotoSentence::VTG, GotoSentence::APB};
const char* gotoSentenceName(GotoSentence s);  // "RMB", ...

// A number with one of the program's patterns, always with "." as decimal point.
QString nmeaNumber(float value, QStringView pattern);
// "ddmm.mmm,N" and "dddmm.mmm,E" with `decimals` decimals of the minutes; a minute
// that rounds up to 60 carries into the degrees.
QString nmeaLatitude(double latDeg, int decimals);
QString nmeaLongitude(double lonDeg, int decimals);

// Everything one go-to tick puts into its sentences.
struct GotoSentenceInput {
  double targetLat = 0, targetLon = 0;  // degrees
  float distanceNm = 0;                 // rhumb line
  float greatCircleNm = 0;
  float bearingTrueDeg = 0, bearingMagDeg = 0;
  float lineCourseMagDeg = 0;           // ToMagnetic of the track line's course
  float xte = 0;                        // signed, in the user's unit
  float unitFactor = 1;
  QChar unitLetter = 'N';               // "N", "M" or "K"
  float steerDiffDeg = 0;               // bearing - course over ground, 0..360
  float vmgKn = 0;
  float alarmDistanceNm = 0.001f;
  float cogTrueDeg = 0, cogMagDeg = 0, sogKn = 0;
  float headingToSteerMagDeg = 0;
  QTime time;                           // BWC's hhmmss
  int decimals = 3;                     // minutes of latitude and longitude
  QString destinationId;                // empty: "CHART"
  QString originId;                     // empty: none
  QString talker = QStringLiteral("GP");
};

// One sentence of a go-to tick, "$" included, without checksum. RMB always has the
// talker "GP"; its cross-track field is in nautical miles and its bearing is true, as
// NMEA 0183 defines RMB, while XTE, APA and APB use the user's unit and magnetic
// bearings.
QString buildGotoSentence(GotoSentence kind, const GotoSentenceInput& in);
// The same sentence appended to `out` with "*hh" and CR LF, as it goes on the wire.
// The go-to tick builds up to nine of them every fix, so this path writes bytes
// directly instead of going through QString.
void appendGotoLine(std::string& out, GotoSentence kind, const GotoSentenceInput& in);

// formatNumber's result for the fixed patterns the sentences use ("#0.0", "00",
// "00.000": `minInt` integer digits, `decimals` decimals always written), appended.
// A float is rounded from its 7 significant digits, a double from 15.
void appendFixed(std::string& out, double value, int significant, int minInt, int decimals);

// The autopilot window's APB for a course to steer (magnetic).
QString buildAutopilotApb(float headingMagDeg, float courseToSteerDeg);

// Layout of the waypoint upload (section "GPWPL").
struct WplLayout {
  QString header = QStringLiteral("$GPWPL");
  int decimals = 2;
  bool number = true;
  int maxNumber = 99;
  bool name = true;
  int maxName = 47;
  QString fill;  // empty: blank
};
// One upload sentence for waypoint n (1-based), without checksum.
QString buildWpl(const WplLayout& layout, double latDeg, double lonDeg, int n, const QString& description);
// The set-up window's example: the sample position 5224.1.. N 00523.1.. E, the
// largest number and a name of maxName letters "A", number and name separated by a
// blank as the user reads it.
QString wplExample(const WplLayout& layout);

}  // namespace tavrik
