#pragma once
// Builds AIS sentences from field values for tests and benchmarks: bits packed as
// ITU-R M.1371 lays them out, armoured, split into fragments of at most 60
// characters, with checksums.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrik::test {

class AisBitWriter {
 public:
  void put(int64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) bits.push_back(static_cast<char>((value >> i) & 1));
  }
  // Six-bit text padded with '@' to chars characters.
  void text(const std::string& s, int chars) {
    for (int i = 0; i < chars; ++i) {
      int c = i < static_cast<int>(s.size()) ? s[static_cast<size_t>(i)] : '@';
      put(c >= 64 ? c - 64 : c, 6);
    }
  }
  std::vector<char> bits;
};

inline std::string nmeaWithChecksum(const std::string& body) {
  unsigned sum = 0;
  for (size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  static const char* hex = "0123456789ABCDEF";
  return body + '*' + hex[sum >> 4] + hex[sum & 15];
}

// Sentences (without line ends) carrying the bits; seq is the sequential message id
// used when more than one fragment is needed.
inline std::vector<std::string> aisSentences(const AisBitWriter& w, int seq = 0, char channel = 'A',
                                             const char* formatter = "!AIVDM") {
  std::string payload;
  const size_t n = w.bits.size();
  const int fill = static_cast<int>((6 - n % 6) % 6);
  for (size_t i = 0; i < n; i += 6) {
    int v = 0;
    for (size_t k = 0; k < 6; ++k) v = (v << 1) | (i + k < n ? w.bits[i + k] : 0);
    payload += static_cast<char>(v < 40 ? v + 48 : v + 56);
  }
  const size_t parts = (payload.size() + 59) / 60;
  std::vector<std::string> out;
  for (size_t p = 0; p < parts; ++p) {
    const bool last = p + 1 == parts;
    std::string body = std::string(formatter) + ',' + std::to_string(parts) + ',' + std::to_string(p + 1) + ',' +
                       (parts > 1 ? std::to_string(seq) : std::string()) + ',' + channel + ',' +
                       payload.substr(p * 60, 60) + ',' + std::to_string(last ? fill : 0);
    out.push_back(nmeaWithChecksum(body));
  }
  return out;
}

// A class A (1-3) or class B (18) position report.
inline std::string positionReport(int type, uint32_t mmsi, double lat, double lon, double sog, double cog) {
  AisBitWriter w;
  w.put(type, 6), w.put(0, 2), w.put(mmsi, 30);
  if (type == 18) w.put(0, 8);
  else w.put(0, 4), w.put(-128, 8);
  w.put(static_cast<int64_t>(sog * 10), 10), w.put(0, 1);
  w.put(static_cast<int64_t>(std::lround(lon * 600000)), 28), w.put(static_cast<int64_t>(std::lround(lat * 600000)), 27);
  w.put(static_cast<int64_t>(cog * 10), 12), w.put(static_cast<int64_t>(cog), 9), w.put(10, 6);
  w.put(0, type == 18 ? 29 : 25);
  return aisSentences(w)[0];
}

// A static and voyage report (type 5), in two fragments.
inline std::vector<std::string> staticReport(uint32_t mmsi, const std::string& name, const std::string& callsign) {
  AisBitWriter w;
  w.put(5, 6), w.put(0, 2), w.put(mmsi, 30), w.put(0, 2), w.put(1234567, 30);
  w.text(callsign, 7), w.text(name, 20), w.put(70, 8);
  w.put(100, 9), w.put(20, 9), w.put(8, 6), w.put(7, 6), w.put(1, 4);
  w.put(0, 20), w.put(55, 8), w.text("ROTTERDAM", 20), w.put(0, 2);
  return aisSentences(w, 4, 'B');
}

}  // namespace tavrik::test
