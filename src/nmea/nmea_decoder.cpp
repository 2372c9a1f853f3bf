#include "nmea/nmea_decoder.h"

#include <charconv>

namespace tavrik {
namespace {

void appendInt(std::string& out, long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

}  // namespace

void NmeaDecoder::appendFloat(std::string& out, float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

void NmeaDecoder::appendString(std::string& out, const QString& s) {
  out += '"';
  for (QChar qc : s) {
    const char16_t c = qc.unicode();
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

namespace {

void appendTwo(std::string& out, int v) {
  out += static_cast<char>('0' + v / 10 % 10);
  out += static_cast<char>('0' + v % 10);
}

}  // namespace

NmeaDecoder::NmeaDecoder(const DecoderOptions& options, std::function<void(std::string_view)> sink)
    : m_rx(m_nav, m_panels, m_settings, m_prompter), m_sink(std::move(sink)) {
  m_settings.system.localTime = options.localOffsetHours;
  for (int k = 0; k < kTalkerCount && k < options.talkers.size(); ++k) m_settings.IDIn[k] = options.talkers[k];
  // Unused talker slots match nothing.
  if (!options.talkers.isEmpty())
    for (int k = static_cast<int>(options.talkers.size()); k < kTalkerCount; ++k) m_settings.IDIn[k].clear();
  m_rx.applySettings();
  m_rx.onParsed = [this](Sentence id, std::string_view line, const ParseResult& r) {
    if (!r.accepted) return;
    ++m_accepted;
    appendJson(m_out, line, r.changed, m_nav);
    if (appendSentenceFields) {
      m_out.pop_back();  // the closing brace
      appendSentenceFields(m_out, id);
      m_out += '}';
    }
    m_out += '\n';
  };
  m_rx.beginSession();
}

void feedStream(NmeaReceiver& rx, std::string_view bytes, size_t chunk, const std::function<void()>& afterCycle) {
  while (!bytes.empty()) {
    const size_t n = std::min(bytes.size(), chunk);
    rx.inject(0, bytes.substr(0, n));
    bytes.remove_prefix(n);
    rx.tick();
    afterCycle();
  }
}

void finishStream(NmeaReceiver& rx) {
  if (rx.bufferLength(0) > 0) {
    rx.inject(0, "\n");
    rx.tick();
  }
}

void NmeaDecoder::feed(std::string_view bytes) {
  feedStream(m_rx, bytes, kChunk, [this] {
    if (!m_out.empty()) {
      m_sink(m_out);
      m_out.clear();
    }
  });
}

void NmeaDecoder::finish() {
  finishStream(m_rx);
  appendCounters(m_out, m_nav);
  m_out += '\n';
  m_sink(m_out);
  m_out.clear();
}

void NmeaDecoder::appendJson(std::string& out, std::string_view line, uint32_t changed, const NavigationState& nav) {
  out += "{\"sentence\":\"";
  for (char c : line.substr(1, 5)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) c = '?';
    out += c;
  }
  out += '"';
  for (int bit = 0; bit < kNavFieldCount; ++bit) {
    const uint32_t f = 1u << bit;
    if (!(changed & f)) continue;
    out += ",\"";
    out += kNavFieldNames[static_cast<size_t>(bit)];
    out += "\":";
    switch (f) {
      case kLatitude: appendFloat(out, nav.Latitude); break;
      case kLongitude: appendFloat(out, nav.Longitude); break;
      case kFixTime: {
        out += '"';
        appendTwo(out, nav.FixTime.hour());
        out += ':';
        appendTwo(out, nav.FixTime.minute());
        out += ':';
        appendTwo(out, nav.FixTime.second());
        out += '"';
        break;
      }
      case kFixDate: appendString(out, nav.FixDate); break;
      case kSpeedOverGround: appendFloat(out, nav.SpeedOverGround); break;
      case kCourseOverGround: appendFloat(out, nav.CourseOverGround); break;
      case kGpsVariation: appendFloat(out, nav.GpsVariation); break;
      case kHeadingTrue: appendFloat(out, nav.HeadingTrue); break;
      case kHeadingMagnetic: appendFloat(out, nav.HeadingMagnetic); break;
      case kWaterSpeed: appendFloat(out, nav.WaterSpeed); break;
      case kSteerHeading: appendFloat(out, nav.SteerHeading); break;
      case kLogTotal: appendFloat(out, nav.LogTotal); break;
      case kTripDistance: appendFloat(out, nav.TripDistance); break;
      case kDepthFeet: appendFloat(out, nav.DepthFeet); break;
      case kDepthMetres: appendFloat(out, nav.DepthMetres); break;
      case kWaterTemperature: appendFloat(out, nav.WaterTemperature); break;
      case kAirPressure: appendFloat(out, nav.AirPressure); break;
      case kWindAngle: appendFloat(out, nav.WindAngle); break;
      case kWindSide: appendString(out, nav.WindSide); break;
      case kWindSpeed: appendFloat(out, nav.WindSpeed); break;
      case kWindDirection: appendFloat(out, nav.WindDirection); break;
      case kFixMode: appendString(out, nav.FixMode); break;
      case kFixType: appendInt(out, nav.FixType); break;
      case kPdop: appendFloat(out, nav.Pdop); break;
      case kHdop: appendFloat(out, nav.Hdop); break;
      case kVdop: appendFloat(out, nav.Vdop); break;
      case kSatellitesInView: appendInt(out, nav.SatellitesInView); break;
      case kSatellites: {
        out += '[';
        bool first = true;
        for (const SatelliteRecord& s : nav.Satellites) {
          if (s.Prn == 0) continue;
          if (!first) out += ',';
          first = false;
          out += "{\"Prn\":";
          appendInt(out, s.Prn);
          out += ",\"Elevation\":";
          appendInt(out, s.Elevation);
          out += ",\"Azimuth\":";
          appendFloat(out, s.Azimuth);
          out += ",\"Snr\":";
          appendInt(out, s.Snr);
          out += '}';
        }
        out += ']';
        break;
      }
      default: out += "null"; break;
    }
  }
  out += '}';
}

void NmeaDecoder::appendCounters(std::string& out, const NavigationState& nav) {
  for (int pass = 0; pass < 2; ++pass) {
    out += pass == 0 ? "{\"ReceivedCount\":{" : ",\"ErrorCount\":{";
    const auto& counts = pass == 0 ? nav.ReceivedCount : nav.ErrorCount;
    for (int i = 0; i < kSentenceCount; ++i) {
      if (i) out += ',';
      out += '"';
      out += kSentenceNames[static_cast<size_t>(i)];
      out += "\":";
      appendInt(out, static_cast<long>(counts[static_cast<size_t>(i)]));
    }
    out += '}';
  }
  out += '}';
}

}  // namespace tavrik
