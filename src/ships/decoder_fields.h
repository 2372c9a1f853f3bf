#pragma once
// What tavrik-nmea prints for the other vessels: the target record a TTM or TLL
// wrote, under the target table's field names, and the values of a "$SHIPS" line.

#include "core/clock.h"
#include "core/radar_targets.h"
#include "core/request_flags.h"
#include "nmea/nmea_decoder.h"
#include "ships/radar_parsers.h"

namespace tavrik {

class DecoderShipFields {
 public:
  // Installs the radar parsers and the ship report into the decoder's receiver.
  DecoderShipFields(NmeaDecoder& decoder, const Clock& clock, int localOffsetHours);

  static void appendTarget(std::string& out, const RadarTarget& t);

 private:
  RadarTargets m_radar;
  RequestFlags m_flags;
  RadarParsers m_parsers;
};

}  // namespace tavrik
