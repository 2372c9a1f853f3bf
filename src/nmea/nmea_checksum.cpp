#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

QString NmeaChecksum(const QString& sentence) {
  if (sentence.isEmpty()) return {};
  const QString s = sentence.trimmed();
  const qsizetype star = s.indexOf('*');
  const QString body = star < 0 ? s : s.left(star);
  unsigned char sum = 0;
  for (QChar c : body)
    if (c != '$') sum ^= static_cast<unsigned char>(c.unicode() & 0xFF);
  static const char* hex = "0123456789ABCDEF";
  return body + '*' + QChar(hex[sum >> 4]) + QChar(hex[sum & 15]);
}

QString NmeaName(const QString& text, int width, const QString& fill) {
  const QChar f = fill.isEmpty() ? QChar(' ') : fill.at(0);
  if (width <= 0) return {};
  if (text.isEmpty()) return QString(width, f);
  QString out = text.toUpper();
  for (QChar& c : out)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))) c = f;
  if (out.size() > width) out.truncate(width);
  while (out.size() < width) out += f;
  return out;
}

ChecksumStatus checkLine(std::string_view line) {
  const size_t star = line.find('*');
  if (star == std::string_view::npos) return ChecksumStatus::Absent;
  std::string_view tail = line.substr(star + 1);
  while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\t')) tail.remove_suffix(1);
  if (tail.size() != 2) return ChecksumStatus::Bad;
  const int hi = hexValue(tail[0]), lo = hexValue(tail[1]);
  if (hi < 0 || lo < 0) return ChecksumStatus::Bad;
  unsigned char sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
  return sum == ((hi << 4) | lo) ? ChecksumStatus::Good : ChecksumStatus::Bad;
}

}  // namespace tavrik
