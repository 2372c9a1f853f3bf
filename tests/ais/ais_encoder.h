#pragma once
// Builds AIS sentences from field values for tests and benchmarks: bits packed as
// ITU-R M.1371 lays them out, armoured, split into fragments of at most 60
// characters, with checksums.

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

}  // namespace tavrik::test
