#pragma once
// The number texts every window, file and sentence uses: the Format patterns, the Str
// rule, the lenient reading of numbers and the locale-aware entry parse.

#include <QString>
#include <QStringView>

namespace tavrik {

// Formats with a pattern of the kind the program uses: "#0.0", "00", "000",
// "0000000", "000000", "+000.00000;-000.00000", "##0.0", "#0.000", "0.0", "0",
// "#0", "00.000". '0' is a digit that is always written, '#' one written only when
// significant; one literal prefix and suffix are kept; a second section after ';'
// formats negative numbers (its literal sign replaces the minus). Rounding is half
// away from zero on the decimal form of the value (as the program always rounded
// display values); the decimal separator is always '.'.
QString formatNumber(double value, QStringView pattern);
// A single-precision value is formatted from its 7 significant digits, so 12.35f
// shows as 12.4 and not as 12.3 from its binary expansion 12.3499999.
QString formatNumber(float value, QStringView pattern);

// The Str rule: a blank before non-negative numbers, a minus otherwise; up to 15
// significant digits for doubles, 7 for singles; a zero before the decimal point is
// not written (" .5"), as the old files have it.
QString strNumber(double value);
QString strNumber(float value);
QString strNumber(int value);

// Lenient reading: leading blanks are skipped, then the longest leading number
// (sign, digits, one '.', an exponent) is read; anything else, or nothing, is 0.
double leniNumber(QStringView text);
// True when the whole text (blanks around it aside) is a number, as a numeric check.
bool isNumeric(QStringView text);

// Locale-aware entry: the system decimal separator, when it is not '.', is replaced
// by '.' at its first occurrence, then the text is read leniently.
double parseLocaleNumber(QStringView text);
double parseLocaleNumber(QStringView text, QChar decimalSeparator);

// Round half to even to a number of decimals (the program's Round).
double roundHalfEven(double value, int decimals);

}  // namespace tavrik
