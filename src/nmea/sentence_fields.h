#pragma once
// The field array of the line being parsed: the line with every "*" read as "," and
// split at ",". Element 0 is the address field ("$GPRMC"); when the line carries a
// checksum its two characters are the last element. The views point into the line,
// which lives until the parser returns.

#include <QString>
#include <string_view>
#include <vector>

namespace tavrik {

class SentenceFields {
 public:
  void split(std::string_view line);
  // Number of elements, address field and checksum element included.
  int size() const { return static_cast<int>(m_elements.size()); }
  bool hasChecksum() const { return m_hasChecksum; }
  // Element i; the checksum element and anything past the end read as empty, so a
  // parser never takes checksum characters for data.
  std::string_view field(int i) const {
    return i >= 0 && i < m_dataCount ? m_elements[static_cast<size_t>(i)] : std::string_view();
  }
  std::string_view operator[](int i) const { return field(i); }
  // Element i as it stands, the checksum element included (for the monitors).
  std::string_view element(int i) const {
    return i >= 0 && i < size() ? m_elements[static_cast<size_t>(i)] : std::string_view();
  }
  int dataCount() const { return m_dataCount; }
  QStringList toStringList() const;

 private:
  std::vector<std::string_view> m_elements;
  int m_dataCount = 0;
  bool m_hasChecksum = false;
};

// Lenient reading of a field: leading blanks skipped, then the longest leading number
// (sign, digits, one ".", an exponent with e or d); nothing else, or nothing, is 0.
double leniField(std::string_view text);

}  // namespace tavrik
