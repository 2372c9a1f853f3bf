#include "ships/decoder_fields.h"

#include <string>

#include "ships/ship_report.h"

namespace tavrik {
namespace {

void field(std::string& out, const char* name) {
  out += ",\"";
  out += name;
  out += "\":";
}

void number(std::string& out, const char* name, float v) {
  field(out, name);
  NmeaDecoder::appendFloat(out, v);
}

void string(std::string& out, const char* name, const QString& v) {
  field(out, name);
  NmeaDecoder::appendString(out, v);
}

}  // namespace

DecoderShipFields::DecoderShipFields(NmeaDecoder& decoder, const Clock& clock, int localOffsetHours)
    : m_parsers(decoder.nav(), m_radar, m_flags, clock) {
  NmeaReceiver& rx = decoder.receiver();
  m_parsers.install(rx);
  decoder.appendSentenceFields = [this](std::string& out, Sentence id) {
    if (id != Sentence::TTM && id != Sentence::TLL) return;
    appendTarget(out, m_radar.targets[static_cast<size_t>(m_parsers.lastTargetIndex())]);
  };
  rx.remoteShipParser = [&decoder, localOffsetHours](const SentenceFields& f) {
    const std::optional<ShipReport> r = readShipReport(f, localOffsetHours);
    if (!r) return;
    std::string out = "{\"sentence\":\"SHIPS\"";
    string(out, "Name", r->name);
    number(out, "latitude", static_cast<float>(r->latitude));
    number(out, "longitude", static_cast<float>(r->longitude));
    number(out, "speed", r->speed);
    number(out, "course", r->course);
    number(out, "wind direction", r->windDirection);
    number(out, "wind speed", r->windSpeed);
    string(out, "Last updated", r->lastUpdated.isValid() ? r->lastUpdated.toString(Qt::ISODate) : QString());
    out += '}';
    decoder.appendLine(out);
  };
}

void DecoderShipFields::appendTarget(std::string& out, const RadarTarget& t) {
  field(out, "Number");
  out += std::to_string(t.Number);
  number(out, "Distance", t.Distance);
  string(out, "Units", t.Units);
  number(out, "Bearing", t.Bearing);
  number(out, "Speed", t.Speed);
  number(out, "Course", t.Course);
  number(out, "Cpa", t.Cpa);
  number(out, "Tcpa", t.Tcpa);
  string(out, "Status", t.Status);
  string(out, "Name", t.Name);
  number(out, "TargetLatitude", t.TargetLatitude);
  number(out, "TargetLongitude", t.TargetLongitude);
}

}  // namespace tavrik
