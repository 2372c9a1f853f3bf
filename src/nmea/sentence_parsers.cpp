#include "nmea/sentence_parsers.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "core/local_time.h"
#include "core/number_format.h"
#include "core/units.h"
#include "geo/nav_math.h"

namespace tavrik {

const std::array<const char*, kNavFieldCount> kNavFieldNames = {
    "Latitude", "Longitude", "FixTime", "FixDate", "SpeedOverGround", "CourseOverGround",
    "GpsVariation", "HeadingTrue", "HeadingMagnetic", "WaterSpeed", "SteerHeading", "LogTotal",
    "TripDistance", "DepthFeet", "DepthMetres", "WaterTemperature", "AirPressure", "WindAngle",
    "WindSide", "WindSpeed", "WindDirection", "FixMode", "FixType", "Pdop", "Hdop", "Vdop",
    "SatellitesInView", "Satellites"};

float ParseContext::f32(double v) {
  if (!(std::fabs(v) <= FLT_MAX)) {
    fault = true;
    return 0;
  }
  return static_cast<float>(v);
}

int16_t ParseContext::i16(double v) {
  // Whole numbers round half to even, as the integer conversion of the old program did.
  const double r = std::nearbyint(v);
  if (!(r >= -32768 && r <= 32767)) {
    fault = true;
    return 0;
  }
  return static_cast<int16_t>(r);
}

namespace {

using sv = std::string_view;

// Characters from..from+count-1 (0-based), cut at the end of the text.
sv mid(sv t, size_t from, size_t count) {
  if (from >= t.size()) return {};
  return t.substr(from, count);
}

void assignText(QString& target, sv text) {
  if (target.size() == static_cast<qsizetype>(text.size())) {
    bool same = true;
    for (size_t i = 0; i < text.size() && same; ++i)
      same = target.at(static_cast<qsizetype>(i)) == QLatin1Char(text[i]);
    if (same) return;
  }
  target = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A time or date field that holds no digits carries no time (receivers without a fix
// send it empty); taking it as 00:00:00 would show a wrong clock.
bool hasDigits(sv t) {
  for (char c : t)
    if (c >= '0' && c <= '9') return true;
  return false;
}

// Time rule: hhmmss (decimals ignored) plus LocalTimeOffset. Returns the received
// hours (for the date rule), or -1000 when the field holds no time.
int applyTime(ParseContext& ctx, sv text, uint32_t& changed) {
  if (!hasDigits(text)) return -1000;
  // Two characters each: never beyond 99, so the conversions cannot overflow.
  const int h = static_cast<int>(leniField(mid(text, 0, 2)));
  const int m = static_cast<int>(leniField(mid(text, 2, 2)));
  const int s = static_cast<int>(leniField(mid(text, 4, 2)));
  const LocalFix local = toLocalTime(h, m, s, ctx.settings.LocalTimeOffset());
  ctx.nav.FixTime = local.time;
  ctx.markPanel(Panel::Time);
  changed |= kFixTime;
  return h;
}

// Date rule: the received date moved by a day when the local hour leaves 0..23.
void applyDate(ParseContext& ctx, int day, int month, int year, int receivedHours, uint32_t& changed) {
  QDate date(year, month, day);
  if (!date.isValid()) return;
  const int h = receivedHours + ctx.settings.LocalTimeOffset();
  if (h >= 24) date = date.addDays(1);
  else if (h < 0) date = date.addDays(-1);
  if (date != ctx.state.lastFixDate || ctx.nav.FixDate.isEmpty()) {
    ctx.nav.FixDate = FormatDate(date);
    ctx.state.lastFixDate = date;
  }
  ctx.nav.DateStale = false;
  ctx.markPanel(Panel::Date);
  changed |= kFixDate;
}

double num(const SentenceFields& f, int i) { return leniField(f[i]); }

void motionPanels(ParseContext& ctx) {
  ctx.markPanel(Panel::Speed);
  ctx.markPanel(Panel::Course);
}

// Speed, course and variation of RMC (fields 7, 8, 10, 11) and RMA (8, 9, 10, 11).
uint32_t storeMotion(ParseContext& ctx, const SentenceFields& f, int speedField) {
  ctx.nav.SpeedOverGround = ctx.f32(num(f, speedField));
  ctx.nav.CourseOverGround = ctx.f32(num(f, speedField + 1));
  float variation = ctx.f32(num(f, 10));
  if (f[11] == "W") variation = -variation;
  ctx.nav.GpsVariation = variation;
  return kSpeedOverGround | kCourseOverGround | kGpsVariation;
}

// RMC: $--RMC,hhmmss.ss,A,ddmm.mmmm,N,dddmm.mmmm,E,speed,course,ddmmyy,var,E[,mode]*hh
//      1 time, 2 status (V void), 3-6 position, 7 knots, 8 course true, 9 date,
//      10-11 magnetic variation
ParseResult parseRmc(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  // A void fix carries no position and no motion; its time and date are still the
  // receiver's clock.
  if (f[2] != "V") {
    r.changed |= storeMotion(ctx, f, 7);
    if (!applyPosition(ctx, f, 3)) {
      r.accepted = false;
      return r;
    }
    r.changed |= kLatitude | kLongitude;
    motionPanels(ctx);
  }
  const int hours = applyTime(ctx, f[1], r.changed);
  if (hours != -1000) ctx.nav.TimeStale = false;
  const sv d = f[9];
  if (hours != -1000 && hasDigits(d))
    applyDate(ctx, static_cast<int>(leniField(mid(d, 0, 2))), static_cast<int>(leniField(mid(d, 2, 2))),
              fullYear(static_cast<int>(leniField(mid(d, 4, 2)))), hours, r.changed);
  return r;
}

// RMA: $--RMA,A,ddmm.mmmm,N,dddmm.mmmm,W,tdiffA,tdiffB,speed,course,var,E*hh
//      1 status, 2-5 position, 6-7 Loran time differences, 8 knots, 9 course true,
//      10-11 magnetic variation
ParseResult parseRma(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  if (f[1] == "V") return r;
  r.changed |= storeMotion(ctx, f, 8);
  if (!applyPosition(ctx, f, 2)) {
    r.accepted = false;
    return r;
  }
  r.changed |= kLatitude | kLongitude;
  motionPanels(ctx);
  return r;
}

// GGA: $--GGA,hhmmss.ss,ddmm.mmmm,N,dddmm.mmmm,E,q,nn,hdop,alt,M,sep,M,age,station*hh
//      1 time, 2-5 position, 6 fix quality (0 none, 1 GPS, 2 DGPS, ...)
ParseResult parseGga(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  const sv quality = f[6];
  const bool noFix = quality == "0";
  if (!noFix) {
    if (!applyPosition(ctx, f, 2)) {
      r.accepted = false;
      return r;
    }
    r.changed |= kLatitude | kLongitude;
    NavigationState& nav = ctx.nav;
    // A receiver that sends only GGA gets course and speed from successive fixes.
    if (nav.received(Sentence::RMC) == 0 && nav.received(Sentence::RMA) == 0 &&
        nav.received(Sentence::GLL) == 0 && nav.received(Sentence::VTG) == 0) {
      ParserState& st = ctx.state;
      const float t = nav.FixTime.isValid() ? static_cast<float>(nav.FixTime.msecsSinceStartOfDay() / 1000) : 0.0f;
      if (st.PrevFixLatitude == 0 && st.PrevFixLongitude == 0) {
        nav.SpeedOverGround = 0;
        nav.CourseOverGround = 0;
      } else {
        const float dt = std::fabs(t - st.PrevFixSeconds);
        CalcRecord c;
        c.Lat1 = st.PrevFixLatitude;
        c.Lon1 = st.PrevFixLongitude;
        c.Lat2 = nav.Latitude;
        c.Lon2 = nav.Longitude;
        RhumbCourseDistance(c);
        nav.CourseOverGround = static_cast<float>(c.Course);
        // Until one GGA has recorded its time there is no interval to divide by.
        if (dt != 0 && st.prevFixSecondsKnown) nav.SpeedOverGround = ctx.f32(c.Distance / (dt / 3600.0));
      }
      st.prevFixSecondsKnown = st.PrevFixLatitude != 0 || st.PrevFixLongitude != 0;
      st.PrevFixSeconds = t;
      st.PrevFixLatitude = nav.Latitude;
      st.PrevFixLongitude = nav.Longitude;
      r.changed |= kSpeedOverGround | kCourseOverGround;
    }
    motionPanels(ctx);
  }
  if (applyTime(ctx, f[1], r.changed) != -1000) ctx.nav.TimeStale = false;
  QString& source = ctx.panels[Panel::InputSource];
  if (source != QLatin1String("OLE") && source != QLatin1String("Test") && source != QLatin1String("Ole")) {
    const char* label = quality == "0" ? "Nofix" : quality == "1" ? "Gps" : quality == "2" ? "Dgps" : nullptr;
    if (label) {
      QString name = ctx.selectedTelephone && *ctx.selectedTelephone ? (*ctx.selectedTelephone)() : QString();
      QString text = QLatin1String(label) + QLatin1Char(' ') + name;
      if (source != text) source = text;
    }
  }
  return r;
}

// GLL: $--GLL,ddmm.mmmm,N,dddmm.mmmm,E[,hhmmss.ss,A[,mode]]*hh
//      1-4 position, 5 time, 6 status (V void)
ParseResult parseGll(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  // GLL time does not clear TimeStale: the clock panel keeps the computer time while
  // GLL is the only time source.
  if (f.dataCount() > 5) applyTime(ctx, f[5], r.changed);
  if (f[6] == "V") return r;
  if (!applyPosition(ctx, f, 1)) {
    r.accepted = false;
    return r;
  }
  r.changed |= kLatitude | kLongitude;
  return r;
}

// VTG: $--VTG,course,T,course,M,knots,N,kmh,K[,mode]*hh
//      1 course true, 5 speed in knots (3 magnetic course and 7 km/h unused)
ParseResult parseVtg(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  ctx.nav.CourseOverGround = ctx.f32(num(f, 1));
  ctx.nav.SpeedOverGround = ctx.f32(num(f, 5));
  r.changed |= kSpeedOverGround | kCourseOverGround;
  motionPanels(ctx);
  return r;
}

// ZDA: $--ZDA,hhmmss.ss,dd,mm,yyyy,zh,zm*hh
//      1 time, 2 day, 3 month, 4 year (local zone fields unused)
ParseResult parseZda(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  const int hours = applyTime(ctx, f[1], r.changed);
  if (hours == -1000) return r;
  ctx.nav.TimeStale = false;
  if (hasDigits(f[2])) {
    const int day = ctx.i16(num(f, 2)), month = ctx.i16(num(f, 3)), year = ctx.i16(num(f, 4));
    if (ctx.fault) return r;
    applyDate(ctx, day, month, year, hours, r.changed);
  }
  return r;
}

// GSA: $--GSA,A,3,sv,sv,sv,sv,sv,sv,sv,sv,sv,sv,sv,sv,pdop,hdop,vdop*hh
//      1 mode A/M, 2 fix type 1/2/3, 3-14 satellites used (not stored), 15-17 DOP
ParseResult parseGsa(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  assignText(ctx.nav.FixMode, mid(f[1], 0, 1));
  ctx.nav.FixType = ctx.i16(num(f, 2));
  ctx.nav.Pdop = ctx.f32(num(f, 15));
  ctx.nav.Hdop = ctx.f32(num(f, 16));
  ctx.nav.Vdop = ctx.f32(num(f, 17));
  r.changed |= kFixMode | kFixType | kPdop | kHdop | kVdop;
  return r;
}

// GSV: $--GSV,n,m,sats,prn,elev,azim,snr,prn,elev,azim,snr,...*hh
//      1 messages, 2 message number, 3 satellites in view, then up to four blocks
//      of prn, elevation, azimuth, SNR
ParseResult parseGsv(ParseContext& ctx, const SentenceFields& f) {
  ParseResult r;
  NavigationState& nav = ctx.nav;
  const int16_t m = ctx.i16(num(f, 2));
  if (ctx.fault) return r;
  if (m == 1) {
    const int16_t inView = ctx.i16(num(f, 3));
    if (ctx.fault || inView < 0) {
      r.accepted = false;
      return r;
    }
    nav.SatellitesInView = inView;
    nav.Satellites.resize(static_cast<size_t>(inView) + 1);
    r.changed |= kSatellitesInView;
  }
  // A final message may carry fewer than four satellites: store those it carries.
  for (int j = 0; j < 4 && 4 + 4 * j < f.dataCount(); ++j) {
    const int16_t prn = ctx.i16(num(f, 4 + 4 * j));
    const int16_t elevation = ctx.i16(num(f, 5 + 4 * j));
    const float azimuth = ctx.f32(num(f, 6 + 4 * j));
    const int16_t snr = ctx.i16(num(f, 7 + 4 * j));
    if (ctx.fault) return r;
    if (prn == 0) continue;
    const int index = 4 * (m - 1) + j;
    if (index < 0 || index >= static_cast<int>(nav.Satellites.size())) {
      // A message number the first message did not announce: abandon the sentence.
      r.accepted = false;
      return r;
    }
    nav.Satellites[static_cast<size_t>(index)] = SatelliteRecord{prn, elevation, azimuth, snr};
    r.changed |= kSatellites;
  }
  return r;
}

// RMB: $--RMB,A,xte,L,origin,dest,ddmm.mm,N,dddmm.mm,W,range,bearing,vmg,A[,mode]*hh
//      6-9 destination position, checked only: steering comes from the own go-to
ParseResult parseRmb(ParseContext&, const SentenceFields& f) {
  double lat = 0, lon = 0;
  ParseResult r;
  r.accepted = readPosition(f[6], f[7], f[8], f[9], lat, lon);
  return r;
}

// DBT / DBS: $--DBT,feet,f,metres,M,fathoms,F*hh   1 feet, 3 metres
ParseResult parseDepth(ParseContext& ctx, const SentenceFields& f) {
  ctx.nav.DepthFeet = ctx.f32(num(f, 1));
  ctx.nav.DepthMetres = ctx.f32(num(f, 3));
  ctx.markPanel(Panel::Depth);
  return {true, kDepthFeet | kDepthMetres};
}

// MTW: $--MTW,degrees,C*hh   1 water temperature in degrees Celsius
ParseResult parseMtw(ParseContext& ctx, const SentenceFields& f) {
  ctx.nav.WaterTemperature = ctx.f32(num(f, 1));
  ctx.markPanel(Panel::Temperature);
  return {true, kWaterTemperature};
}

// MMB: $--MMB,inHg,I,bars,B*hh   1 inches of mercury, 3 bars
ParseResult parseMmb(ParseContext& ctx, const SentenceFields& f) {
  // Millibar from the bars field; instruments that fill only inches of mercury are
  // converted from those.
  const double mb = hasDigits(f[3]) ? num(f, 3) * 1000.0 : num(f, 1) * 33.8639;
  ctx.nav.AirPressure = ctx.f32(mb);
  ctx.markPanel(Panel::Pressure);
  return {true, kAirPressure};
}

// HDM: $--HDM,heading,M*hh   1 magnetic heading
ParseResult parseHdm(ParseContext& ctx, const SentenceFields& f) {
  ctx.nav.HeadingMagnetic = ctx.f32(num(f, 1));
  ctx.markPanel(Panel::Heading);
  return {true, kHeadingMagnetic};
}

// HDT: $--HDT,heading,T*hh   1 true heading
ParseResult parseHdt(ParseContext& ctx, const SentenceFields& f) {
  ctx.nav.HeadingTrue = ctx.f32(num(f, 1));
  return {true, kHeadingTrue};
}

// VHW: $--VHW,true,T,magnetic,M,knots,N,kmh,K*hh
//      1 true heading (may be empty), 3 magnetic heading, 5 speed through water in knots
ParseResult parseVhw(ParseContext& ctx, const SentenceFields& f) {
  NavigationState& nav = ctx.nav;
  nav.HeadingMagnetic = ctx.f32(num(f, 3));
  if (!f[1].empty()) nav.HeadingTrue = ctx.f32(num(f, 1));
  else nav.HeadingTrue = ctx.settings.compass.ToTrue(nav.HeadingMagnetic, nav.GpsVariation);
  nav.WaterSpeed = ctx.f32(num(f, 5));
  ctx.markPanel(Panel::Heading);
  ctx.markPanel(Panel::WaterSpeed);
  return {true, kHeadingMagnetic | kHeadingTrue | kWaterSpeed};
}

// VWR: $--VWR,angle,L,knots,N,ms,M,kmh,K*hh
//      1 apparent wind angle off the bow 0..180, 2 side L/R, 3 speed in knots
ParseResult parseVwr(ParseContext& ctx, const SentenceFields& f) {
  NavigationState& nav = ctx.nav;
  nav.WindAngle = ctx.f32(num(f, 1));
  assignText(nav.WindSide, f[2]);
  nav.WindSpeed = ctx.f32(num(f, 3));
  // The direction is taken from the magnetic heading as received.
  sv side = f[2];
  while (!side.empty() && side.front() == ' ') side.remove_prefix(1);
  while (!side.empty() && side.back() == ' ') side.remove_suffix(1);
  const bool left = side == "L" || side == "l";
  float d = left ? nav.HeadingMagnetic - nav.WindAngle : nav.HeadingMagnetic + nav.WindAngle;
  if (d < 0) d += 360;
  if (d >= 360) d -= 360;
  nav.WindDirection = d;
  ctx.markPanel(Panel::WindSpeed);
  ctx.markPanel(Panel::WindDirection);
  return {true, kWindAngle | kWindSide | kWindSpeed | kWindDirection};
}

// HSC: $--HSC,true,T,magnetic,M*hh   3 magnetic heading to steer (1 true, unused)
ParseResult parseHsc(ParseContext& ctx, const SentenceFields& f) {
  NavigationState& nav = ctx.nav;
  nav.SteerHeading = ctx.f32(num(f, 3));
  if (nav.SteerHeading != ctx.state.LastSteerHeading) {
    LogbookEvent e;
    e.type = QStringLiteral("Autopilot");
    e.latitude = nav.Latitude;
    e.longitude = nav.Longitude;
    e.text = nav.SteerHeading != -1 ? QStringLiteral("Autopilot locked on ") + formatNumber(nav.SteerHeading, u"#0.0")
                                    : QStringLiteral("Autopilot unlocked");
    auto& pending = ctx.state.pendingLogEvents;
    if (pending.size() >= ParserState::kMaxPendingLogEvents) pending.erase(pending.begin());
    pending.push_back(std::move(e));
  }
  ctx.state.LastSteerHeading = nav.SteerHeading;
  return {true, kSteerHeading};
}

// VLW: $--VLW,total,N,trip,N*hh   1 total log in nautical miles (3 trip, unused)
ParseResult parseVlw(ParseContext& ctx, const SentenceFields& f) {
  NavigationState& nav = ctx.nav;
  nav.LogTotal = ctx.f32(num(f, 1));
  // The first VLW since the counter was reset re-bases the reading, so a gap in the
  // data adds no jump to the trip.
  if (nav.received(Sentence::VLW) == 1) nav.LastLogTotal = nav.LogTotal;
  nav.TripDistance = nav.TripDistance + nav.LogTotal - nav.LastLogTotal;
  nav.LastLogTotal = nav.LogTotal;
  return {true, kLogTotal | kTripDistance};
}

}  // namespace

const std::array<SentenceRow, kSentenceCount> kSentenceTable = {{
    {Sentence::DBS, "DBS", 4, &parseDepth},
    {Sentence::DBT, "DBT", 4, &parseDepth},
    {Sentence::GGA, "GGA", 7, &parseGga},
    {Sentence::GLL, "GLL", 5, &parseGll},
    {Sentence::GSA, "GSA", 18, &parseGsa},
    {Sentence::GSV, "GSV", 4, &parseGsv},
    {Sentence::HDM, "HDM", 2, &parseHdm},
    {Sentence::HDT, "HDT", 2, &parseHdt},
    {Sentence::HSC, "HSC", 4, &parseHsc},
    {Sentence::MMB, "MMB", 4, &parseMmb},
    {Sentence::MTW, "MTW", 2, &parseMtw},
    {Sentence::RMA, "RMA", 12, &parseRma},
    {Sentence::RMB, "RMB", 14, &parseRmb},
    {Sentence::RMC, "RMC", 12, &parseRmc},
    {Sentence::RSD, "RSD", 0, nullptr},
    {Sentence::TLL, "TLL", 0, nullptr},
    {Sentence::TTM, "TTM", 0, nullptr},
    {Sentence::VHW, "VHW", 6, &parseVhw},
    {Sentence::VLW, "VLW", 5, &parseVlw},
    {Sentence::VTG, "VTG", 6, &parseVtg},
    {Sentence::VWR, "VWR", 4, &parseVwr},
    {Sentence::ZDA, "ZDA", 5, &parseZda},
}};

namespace {
// Steps 1-3 of the position rule for one coordinate: decimals to four, left-padded
// with "0" to width, split into degrees and minutes.
bool splitCoordinate(sv text, size_t width, size_t degreeDigits, double& degrees, double& minutes) {
  // Digits and at most one point: an empty field or text is no position (read as
  // 0 it would put the vessel at 0 degrees).
  int dots = 0, digits = 0;
  for (char c : text) {
    if (c == '.') ++dots;
    else if (c >= '0' && c <= '9') ++digits;
    else return false;
  }
  if (digits == 0 || dots > 1 || text.size() > 32) return false;
  char buf[48];
  size_t len = text.size();
  std::memcpy(buf, text.data(), len);
  const size_t dot = text.find('.');
  const size_t p = dot == sv::npos ? 0 : dot + 1;  // 1-based position of ".", 0 when none
  const size_t n = len - p;
  if (n <= 3) {
    for (size_t k = n; k < 4; ++k) buf[len++] = '0';
  }
  if (len < width) {
    std::memmove(buf + (width - len), buf, len);
    std::memset(buf, '0', width - len);
    len = width;
  }
  const sv s(buf, len);
  degrees = leniField(s.substr(0, degreeDigits));
  minutes = leniField(s.substr(degreeDigits, width - degreeDigits));
  return true;
}
}  // namespace

bool readPosition(sv lat, sv ns, sv lon, sv ew, double& latitude, double& longitude) {
  double latDeg = 0, latMin = 0, lonDeg = 0, lonMin = 0;
  if (!splitCoordinate(lat, 9, 2, latDeg, latMin)) return false;
  if (!splitCoordinate(lon, 10, 3, lonDeg, lonMin)) return false;
  if (!(latDeg <= 89 && latMin <= 60 && (ns == "N" || ns == "S"))) return false;
  if (!(lonDeg <= 179 && lonMin <= 60 && (ew == "E" || ew == "W"))) return false;
  latitude = latDeg + latMin / 60.0;
  longitude = lonDeg + lonMin / 60.0;
  if (ns == "S") latitude = -latitude;
  if (ew == "W") longitude = -longitude;
  return true;
}

bool applyPosition(ParseContext& ctx, const SentenceFields& f, int first) {
  double lat = 0, lon = 0;
  if (!readPosition(f[first], f[first + 1], f[first + 2], f[first + 3], lat, lon)) return false;
  lat = static_cast<float>(lat);
  lon = static_cast<float>(lon);
  if (ctx.datumConversion && *ctx.datumConversion) (*ctx.datumConversion)(lat, lon);
  ctx.nav.Latitude = static_cast<float>(lat);
  ctx.nav.Longitude = static_cast<float>(lon);
  return true;
}

void refreshPanels(ParseContext& ctx) {
  const uint32_t d = ctx.dirtyPanels;
  if (d == 0) return;
  ctx.dirtyPanels = 0;
  const NavigationState& nav = ctx.nav;
  StatusPanels& p = ctx.panels;
  auto dirty = [d](Panel x) { return (d & (1u << static_cast<int>(x))) != 0; };
  if (dirty(Panel::Speed)) p[Panel::Speed] = FormatSpeed(nav.SpeedOverGround, ctx.settings.units);
  if (dirty(Panel::Course)) p[Panel::Course] = FormatCourse(nav.CourseOverGround);
  if (dirty(Panel::Time)) p[Panel::Time] = FormatTime(nav.FixTime);
  if (dirty(Panel::Date)) p[Panel::Date] = nav.FixDate;
  if (dirty(Panel::Depth)) p[Panel::Depth] = FormatDepthFeet(nav.DepthFeet);
  if (dirty(Panel::Temperature)) p[Panel::Temperature] = FormatTemperature(nav.WaterTemperature);
  if (dirty(Panel::Pressure)) p[Panel::Pressure] = FormatPressure(nav.AirPressure);
  if (dirty(Panel::Heading)) p[Panel::Heading] = FormatHeading(nav.HeadingMagnetic);
  if (dirty(Panel::WaterSpeed)) p[Panel::WaterSpeed] = FormatWaterSpeed(nav.WaterSpeed, ctx.settings.units);
  if (dirty(Panel::WindSpeed)) p[Panel::WindSpeed] = FormatWindSpeed(nav.WindSpeed);
  if (dirty(Panel::WindDirection)) p[Panel::WindDirection] = FormatWindDirection(nav.WindDirection);
}

}  // namespace tavrik
