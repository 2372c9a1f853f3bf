#include "nmea/sentence_fields.h"

#include <QStringList>
#include <charconv>
#include <cmath>

namespace tavrik {

void SentenceFields::split(std::string_view line) {
  m_elements.clear();
  m_hasChecksum = false;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ',' || c == '*') {
      if (c == '*') m_hasChecksum = true;
      m_elements.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  m_elements.push_back(line.substr(start));
  m_dataCount = size() - (m_hasChecksum ? 1 : 0);
}

QStringList SentenceFields::toStringList() const {
  QStringList out;
  out.reserve(size());
  for (std::string_view e : m_elements) out << QString::fromLatin1(e.data(), static_cast<qsizetype>(e.size()));
  return out;
}

double leniField(std::string_view t) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  size_t i = 0;
  const size_t n = t.size();
  while (i < n && (t[i] == ' ' || t[i] == '\t')) ++i;
  const size_t start = i;
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const size_t numberStart = i;
  unsigned long long mantissa = 0;
  int digits = 0, decimals = 0;
  bool dot = false;
  for (; i < n; ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      if (digits < 18) mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
      ++digits;
      if (dot) ++decimals;
    } else if (c == '.' && !dot) {
      dot = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  const bool exponent = i + 1 < n && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D') &&
                        ((t[i + 1] >= '0' && t[i + 1] <= '9') ||
                         ((t[i + 1] == '+' || t[i + 1] == '-') && i + 2 < n && t[i + 2] >= '0' && t[i + 2] <= '9'));
  if (!exponent && digits <= 15 && decimals <= 15) {
    // Both the integer mantissa and the power of ten are exact doubles, so one
    // division rounds correctly, as strtod would.
    const double v = static_cast<double>(mantissa) / kPow10[decimals];
    return negative ? -v : v;
  }
  char buf[64];
  size_t len = 0;
  if (negative) buf[len++] = '-';
  size_t end = i;
  if (exponent) {
    end = i + 2;
    while (end < n && t[end] >= '0' && t[end] <= '9') ++end;
  }
  for (size_t k = numberStart; k < end && len < sizeof buf; ++k) {
    const char c = t[k];
    buf[len++] = (c == 'd' || c == 'D') ? 'e' : c;
  }
  if (len == sizeof buf) return 0;  // an absurdly long number: not a value
  (void)start;
  double v = 0;
  const auto r = std::from_chars(buf, buf + len, v);
  if (r.ec != std::errc()) return 0;
  return std::isfinite(v) ? v : 0;
}

}  // namespace tavrik
