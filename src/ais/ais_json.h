#pragma once
// A decoded AIS message as one JSON object, with gpsd's field names and scaling for
// the fields both carry (speed in knots, positions in degrees, course in degrees,
// draught in metres, texts without padding), so that its output can be set beside
// gpsdecode's.

#include <string>

#include "ais/ais_decoder.h"

namespace tavrik {

void appendAisJson(std::string& out, const AisMessage& m);

}  // namespace tavrik
