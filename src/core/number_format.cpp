#include "core/number_format.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace tavrik {
namespace {

struct Section {
  QStringView prefix, suffix;  // parts of the pattern
  int minIntDigits = 0;
  int decimals = 0;      // digits written after the point ('0' and '#')
  int minDecimals = 0;   // of which always written ('0')
  bool hasPoint = false;
};

Section parseSection(QStringView p) {
  Section s;
  qsizetype i = 0;
  while (i < p.size() && p[i] != '0' && p[i] != '#' && p[i] != '.') ++i;
  s.prefix = p.left(i);
  for (; i < p.size(); ++i) {
    const QChar c = p[i];
    if (c == '0' && !s.hasPoint) ++s.minIntDigits;
    else if (c == '#' && !s.hasPoint) {}
    else if (c == '.' && !s.hasPoint) s.hasPoint = true;
    else if ((c == '0' || c == '#') && s.hasPoint) {
      ++s.decimals;
      if (c == '0') s.minDecimals = s.decimals;
    } else break;
  }
  s.suffix = p.mid(i);
  return s;
}

// Adds one unit in the last place of a digit string.
void incrementLast(std::string& digits) {
  size_t k = digits.size();
  while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
  if (k == 0) digits.insert(digits.begin(), '1');
  else ++digits[k - 1];
}

// Decimal digits of |value| rounded half away from zero to `decimals` places,
// starting from `significant` significant digits of the value; the last `decimals`
// digits are the fraction. Lists and files format thousands of numbers: no Qt
// strings here.
std::string roundedDigits(double value, int decimals, int significant) {
  char buf[64];
  // The same digits as printf's "%.*e", several times faster.
  const auto written = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific,
                                     significant - 1);
  *written.ptr = '\0';
  // buf: d.ddddde[+-]xx
  const char* e = std::strchr(buf, 'e');
  const int exp10 = std::atoi(e + 1);
  std::string mant;
  mant.reserve(static_cast<size_t>(e - buf));
  for (const char* q = buf; q < e; ++q)
    if (*q != '.') mant += *q;
  const int intDigits = exp10 + 1;  // digits before the point (may be <= 0)
  const size_t wanted = static_cast<size_t>(std::max(intDigits, 0) + decimals);
  std::string fixed;                // digits without a point, scale 10^-decimals
  fixed.reserve(wanted + 2);
  bool up = false;
  if (intDigits > 0) {
    const size_t whole = static_cast<size_t>(intDigits);
    fixed.append(mant, 0, std::min(whole, mant.size()));
    fixed.append(whole - fixed.size(), '0');
    const size_t fracLen = mant.size() > whole ? mant.size() - whole : 0;
    const size_t keep = std::min(fracLen, static_cast<size_t>(decimals));
    if (keep > 0) fixed.append(mant, whole, keep);
    up = fracLen > keep && mant[whole + keep] >= '5';
  } else {
    fixed += '0';
    const size_t zeros = static_cast<size_t>(-intDigits);
    const size_t dec = static_cast<size_t>(decimals);
    fixed.append(std::min(zeros, dec), '0');
    const size_t room = dec > zeros ? dec - zeros : 0;
    const size_t keep = std::min(room, mant.size());
    fixed.append(mant, 0, keep);
    // The first digit dropped: a leading zero when the digits start beyond the places kept.
    up = zeros >= dec ? (zeros == dec && !mant.empty() && mant[0] >= '5') : (keep < mant.size() && mant[keep] >= '5');
  }
  fixed.append(wanted + (intDigits > 0 ? 0 : 1) - fixed.size(), '0');
  if (up) incrementLast(fixed);
  return fixed;
}

QString formatWith(double value, QStringView pattern, int significant) {
  if (!std::isfinite(value)) value = 0;
  const qsizetype semi = pattern.indexOf(';');
  const bool negative = value < 0;
  Section sec;
  bool explicitNegative = false;
  if (negative && semi >= 0) {
    sec = parseSection(pattern.mid(semi + 1));
    explicitNegative = true;
  } else {
    sec = parseSection(semi >= 0 ? pattern.left(semi) : pattern);
  }
  const std::string digits = roundedDigits(value, sec.decimals, significant);
  const size_t decimals = static_cast<size_t>(sec.decimals);
  const size_t minInt = static_cast<size_t>(sec.minIntDigits);
  // Optional leading zeros go down to the minimum integer digits; optional trailing
  // decimals ('#') are dropped when zero.
  size_t intStart = 0, intEnd = digits.size() - decimals;
  while (intEnd - intStart > minInt && digits[intStart] == '0') ++intStart;
  const size_t pad = minInt > intEnd - intStart ? minInt - (intEnd - intStart) : 0;
  size_t fracEnd = digits.size();
  while (fracEnd - intEnd > static_cast<size_t>(sec.minDecimals) && digits[fracEnd - 1] == '0') --fracEnd;
  std::string out;
  out.reserve(pad + digits.size() + 2);
  out.append(pad, '0');
  out.append(digits, intStart, intEnd - intStart);
  if (sec.hasPoint && (fracEnd > intEnd || sec.decimals == 0)) {
    out += '.';
    out.append(digits, intEnd, fracEnd - intEnd);
  }
  const bool allZero = out.find_first_of("123456789") == std::string::npos;
  QString result;
  result.reserve(sec.prefix.size() + static_cast<qsizetype>(out.size()) + 1 + sec.suffix.size());
  result.append(sec.prefix);
  if (negative && !explicitNegative && !allZero) result.append(QLatin1Char('-'));
  result.append(QLatin1StringView(out.data(), static_cast<qsizetype>(out.size())));
  result.append(sec.suffix);
  return result;
}

QString strWith(double value, int significant) {
  // Not a number and negative zero are written as " 0".
  if (!std::isfinite(value) || value == 0) value = 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", significant, value);
  QString s = QString::fromLatin1(buf);
  // printf writes 1E+16 as 1E+16 and 1e-05 as 1E-05, as Str does.
  if (s.startsWith("0.")) s.remove(0, 1);
  else if (s.startsWith("-0.")) s.remove(1, 1);
  if (!s.startsWith('-')) s.prepend(' ');
  return s;
}

}  // namespace

QString formatNumber(double value, QStringView pattern) { return formatWith(value, pattern, 15); }
QString formatNumber(float value, QStringView pattern) {
  return formatWith(static_cast<double>(value), pattern, 7);
}

QString strNumber(double value) { return strWith(value, 15); }
QString strNumber(float value) { return strWith(static_cast<double>(value), 7); }
QString strNumber(int value) { return value < 0 ? QString::number(value) : ' ' + QString::number(value); }

double leniNumber(QStringView text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  const qsizetype start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  qsizetype digits = 0;
  while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
  }
  if (digits == 0) return 0;
  qsizetype end = i;
  if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    qsizetype j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    qsizetype expDigits = 0;
    while (j < n && text[j].isDigit() && text[j].unicode() < 128) ++j, ++expDigits;
    if (expDigits > 0) end = j;
  }
  QByteArray s = text.mid(start, end - start).toLatin1();
  for (char& c : s)
    if (c == 'd' || c == 'D') c = 'e';
  const double v = std::strtod(s.constData(), nullptr);
  return std::isfinite(v) ? v : 0;
}

bool isNumeric(QStringView text) {
  const QStringView t = text.trimmed();
  if (t.isEmpty()) return false;
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok && std::isfinite(v);
}

double parseLocaleNumber(QStringView text, QChar decimalSeparator) {
  if (decimalSeparator == '.') return leniNumber(text);
  QString t = text.toString();
  const qsizetype at = t.indexOf(decimalSeparator);
  if (at >= 0) t[at] = '.';
  return leniNumber(t);
}

double parseLocaleNumber(QStringView text) {
  return parseLocaleNumber(text, QLocale::system().decimalPoint().at(0));
}

double roundHalfEven(double value, int decimals) {
  // Powers of ten up to 1e22 are exact doubles, as std::pow returns them; the table
  // spares the navigation maths a pow call per rounding.
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double scale = decimals >= 0 && decimals <= 22 ? kPowers[decimals] : std::pow(10.0, decimals);
  const double x = value * scale;
  double r = std::nearbyint(x);  // default rounding mode: to nearest, ties to even
  return r / scale;
}

}  // namespace tavrik
