#include "core/number_format.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tavrik {
namespace {

struct Section {
  QString prefix, suffix;
  int minIntDigits = 0;
  int decimals = 0;      // digits written after the point ('0' and '#')
  int minDecimals = 0;   // of which always written ('0')
  bool hasPoint = false;
};

Section parseSection(QStringView p) {
  Section s;
  int i = 0;
  while (i < p.size() && p[i] != '0' && p[i] != '#' && p[i] != '.') s.prefix += p[i++];
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
  s.suffix = p.mid(i).toString();
  return s;
}

// Decimal digits of |value| rounded half away from zero to `decimals` places,
// starting from `significant` significant digits of the value.
QString roundedDigits(double value, int decimals, int significant) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", significant - 1, std::fabs(value));
  // buf: d.ddddde[+-]xx
  const char* e = std::strchr(buf, 'e');
  const int exp10 = std::atoi(e + 1);
  QByteArray mant;
  for (const char* q = buf; q < e; ++q)
    if (*q != '.') mant += *q;
  // Place digits into a fixed-point string with `decimals` decimals.
  const int intDigits = exp10 + 1;  // digits before the point (may be <= 0)
  QByteArray fixed;                 // digits without a point, scale 10^-decimals
  if (intDigits > 0) {
    fixed = mant.left(intDigits);
    while (fixed.size() < intDigits) fixed += '0';
    QByteArray frac = mant.mid(intDigits);
    fixed += frac;
    const int fracLen = frac.size();
    if (fracLen < decimals) fixed += QByteArray(decimals - fracLen, '0');
    // Round away the surplus fraction digits.
    const int surplus = fracLen - decimals;
    if (surplus > 0) {
      const bool up = fixed[fixed.size() - surplus] >= '5';
      fixed.chop(surplus);
      if (up) {
        int k = fixed.size() - 1;
        while (k >= 0 && fixed[k] == '9') fixed[k--] = '0';
        if (k < 0) fixed.prepend('1');
        else fixed[k] = fixed[k] + 1;
      }
    }
  } else {
    QByteArray frac = QByteArray(-intDigits, '0') + mant;
    if (frac.size() < decimals) frac += QByteArray(decimals - frac.size(), '0');
    const int surplus = frac.size() - decimals;
    bool up = surplus > 0 && frac[decimals] >= '5';
    frac.truncate(decimals);
    fixed = "0" + frac;
    if (up) {
      int k = fixed.size() - 1;
      while (k >= 0 && fixed[k] == '9') fixed[k--] = '0';
      if (k < 0) fixed.prepend('1');
      else fixed[k] = fixed[k] + 1;
    }
  }
  return QString::fromLatin1(fixed);
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
  QString digits = roundedDigits(value, sec.decimals, significant);
  QString intPart = digits.left(digits.size() - sec.decimals);
  QString fracPart = digits.right(sec.decimals);
  // Strip optional leading zeros down to the minimum integer digits.
  while (intPart.size() > sec.minIntDigits && intPart.startsWith('0')) intPart.remove(0, 1);
  while (intPart.size() < sec.minIntDigits) intPart.prepend('0');
  // Optional trailing decimals ('#') are dropped when zero.
  while (fracPart.size() > sec.minDecimals && fracPart.endsWith('0')) fracPart.chop(1);
  QString out = intPart;
  if (sec.hasPoint && (!fracPart.isEmpty() || sec.decimals == 0)) {
    if (!fracPart.isEmpty()) out += '.' + fracPart;
    else if (sec.decimals == 0) out += '.';
  }
  bool allZero = true;
  for (QChar c : out)
    if (c.isDigit() && c != '0') allZero = false;
  if (negative && !explicitNegative && !allZero) out.prepend('-');
  return sec.prefix + out + sec.suffix;
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
