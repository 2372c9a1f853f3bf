#include "ais/ais_reception.h"

#include "nmea/nmea_receiver.h"

namespace tavrik {

void AisReception::install(NmeaReceiver& rx) {
  rx.aisSentenceParser = [this](std::string_view line) { feed(line, now ? now() : 0); };
}

void AisReception::feed(std::string_view line, qint64 nowMs) {
  if (decoder.feed(line) != AisDecoder::Result::Message) return;
  const AisMessage& m = decoder.message();
  targets.update(m, nowMs);
  ++m_generation;
  if (onMessage) onMessage(m);
}

void AisReception::tick(const NavigationState& nav, const AisAlarmLimits& limits, qint64 nowMs) {
  OwnVessel own;
  own.valid = nav.DataReceived && (nav.Latitude != 0 || nav.Longitude != 0);
  own.latitude = nav.Latitude;
  own.longitude = nav.Longitude;
  own.speed = nav.SpeedOverGround;
  own.course = nav.CourseOverGround;
  tick(own, limits, nowMs);
}

void AisReception::tick(const OwnVessel& own, const AisAlarmLimits& limits, qint64 nowMs) {
  const size_t before = targets.size();
  targets.refresh(own, limits, nowMs);
  alarm.update(targets.dangerous());
  if (targets.size() != before) ++m_generation;
}

}  // namespace tavrik
