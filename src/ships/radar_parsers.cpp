#include "ships/radar_parsers.h"

#include "geo/nav_math.h"

namespace tavrik {
namespace {

// A target reports the same letters every second: keep the text it has when they match.
void assign(QString& to, std::string_view s) {
  const QLatin1StringView latin(s.data(), static_cast<qsizetype>(s.size()));
  if (to != latin) to = latin;
}

// A target number field: digits only, within the radar's range; -1 otherwise.
int targetNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (s.empty() || s.size() > 3) return -1;
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= kMaxTargetNumber ? n : -1;
}

}  // namespace

double radarDistanceNm(double distance, const QString& units) {
  if (units == QLatin1String("S")) return distance / kStatuteMilesPerNm;
  if (units == QLatin1String("K")) return distance / kKmPerNm;
  return distance;
}

void RadarParsers::install(NmeaReceiver& rx) {
  rx.setParser(Sentence::TTM, [this](const SentenceFields& f) { return parseTtm(f); });
  rx.setParser(Sentence::TLL, [this](const SentenceFields& f) { return parseTll(f); });
  rx.setParser(Sentence::RSD, [this](const SentenceFields& f) { return parseRsd(f); });
  rx.resetRadarTargets = [this] {
    m_radar.reset();
    m_lastIndex = -1;
    m_flags.radarRedraw = true;
  };
}

int RadarParsers::findOrAppend(int number) {
  int& known = m_indexByNumber[static_cast<size_t>(number)];
  if (known >= 0 && static_cast<size_t>(known) < m_radar.targets.size() &&
      m_radar.targets[static_cast<size_t>(known)].Number == number)
    return known;
  // The empty record left by a reset is number 0 too: a radar's target 0 reuses it.
  for (size_t i = 0; i < m_radar.targets.size(); ++i)
    if (m_radar.targets[i].Number == number) return known = static_cast<int>(i);
  m_radar.targets.push_back(RadarTarget{});
  m_radar.targets.back().Number = number;
  return known = static_cast<int>(m_radar.targets.size() - 1);
}

// TTM: $--TTM,nn,dist,brg,T/R,speed,course,T/R,cpa,tcpa,N/K/S,name,status,ref[,time,acq]*hh
ParseResult RadarParsers::parseTtm(const SentenceFields& f) {
  ParseResult r;
  const int number = targetNumber(f[1]);
  const std::string_view bearingRef = f[4];
  // A relative bearing needs some heading of our own: neither a heading sentence nor a
  // course over ground ever received leaves nothing to add it to.
  const bool headingKnown = m_nav.received(Sentence::VHW) > 0 || m_nav.received(Sentence::HDT) > 0;
  if (f.size() < kTtmMinElements || number < 0 ||
      (bearingRef == "R" && !headingKnown && m_nav.received(Sentence::RMC) == 0 &&
       m_nav.received(Sentence::VTG) == 0 && m_nav.received(Sentence::GGA) == 0)) {
    r.accepted = false;
    return r;
  }
  const int index = findOrAppend(number);
  RadarTarget& t = m_radar.targets[static_cast<size_t>(index)];
  const float oldLat = t.TargetLatitude, oldLon = t.TargetLongitude;
  const QString oldStatus = t.Status;
  t.Number = number;
  t.Distance = static_cast<float>(leniField(f[2]));
  float bearing = static_cast<float>(leniField(f[3]));
  assign(t.BearingRef, bearingRef);
  t.Speed = static_cast<float>(leniField(f[5]));
  t.Course = static_cast<float>(leniField(f[6]));
  assign(t.CourseRef, f[7]);
  t.Cpa = static_cast<float>(leniField(f[8]));
  t.Tcpa = static_cast<float>(leniField(f[9]));
  assign(t.Units, f[10]);
  assign(t.Name, f[11]);
  assign(t.Status, f[12]);
  assign(t.Reference, f[13]);
  t.LastUpdate = m_clock.now();
  if (t.BearingRef == QLatin1String("R")) {
    bearing += headingKnown ? m_nav.HeadingTrue : m_nav.CourseOverGround;
    if (bearing >= 360) bearing -= 360;
  }
  t.Bearing = bearing;
  CalcRecord c;
  c.Lat1 = m_nav.Latitude;
  c.Lon1 = m_nav.Longitude;
  c.Course = t.Bearing;
  c.Distance = radarDistanceNm(t.Distance, t.Units);
  DeadReckoning(c);
  t.TargetLatitude = static_cast<float>(c.Lat2);
  t.TargetLongitude = static_cast<float>(c.Lon2);
  if (t.Status != oldStatus || t.TargetLatitude != oldLat || t.TargetLongitude != oldLon) m_flags.radarRedraw = true;
  m_lastIndex = index;
  return r;
}

// TLL: $--TLL,nn,ddmm.mm,N,dddmm.mm,E,name,hhmmss.ss,status,ref*hh
ParseResult RadarParsers::parseTll(const SentenceFields& f) {
  ParseResult r;
  const int number = targetNumber(f[1]);
  double lat = 0, lon = 0;
  if (f.size() < kTllMinElements || number < 0 || !readPosition(f[2], f[3], f[4], f[5], lat, lon)) {
    r.accepted = false;
    return r;
  }
  if (datumConversion) datumConversion(lat, lon);
  const int index = findOrAppend(number);
  RadarTarget& t = m_radar.targets[static_cast<size_t>(index)];
  const float oldLat = t.TargetLatitude, oldLon = t.TargetLongitude;
  const QString oldStatus = t.Status;
  CalcRecord c;
  c.Lat1 = m_nav.Latitude;
  c.Lon1 = m_nav.Longitude;
  c.Lat2 = lat;
  c.Lon2 = lon;
  RhumbCourseDistance(c);
  t.Distance = static_cast<float>(c.Distance);
  t.Bearing = static_cast<float>(c.Course);
  t.BearingRef = QStringLiteral("T");
  t.Speed = t.Course = t.Cpa = t.Tcpa = 0;
  t.CourseRef = QStringLiteral("0");
  t.Units = QStringLiteral("N");
  t.TargetLatitude = static_cast<float>(lat);
  t.TargetLongitude = static_cast<float>(lon);
  assign(t.Name, f[6]);
  assign(t.Status, f[8]);
  assign(t.Reference, f[9]);
  t.LastUpdate = m_clock.now();
  if (t.Status != oldStatus || t.TargetLatitude != oldLat || t.TargetLongitude != oldLon) m_flags.radarRedraw = true;
  m_lastIndex = index;
  return r;
}

ParseResult RadarParsers::parseRsd(const SentenceFields& f) {
  ParseResult r;
  if (f.size() < kRsdMinElements) {
    r.accepted = false;
    return r;
  }
  m_radar.LastRsdTime = m_clock.now();
  return r;
}

}  // namespace tavrik
