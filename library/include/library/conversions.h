#pragma once
// The Basic-style conversions the programs rely on, in one place: numbers from text,
// integer conversions (halves round to even, out-of-range is an overflow error),
// Boolean texts, and the date-time texts with fixed English month names.
#include <QDateTime>
#include <QString>
#include <optional>

namespace mvnz {

// A run-time error of a conversion: 6 "Overflow" or 13 "Type mismatch".
struct ConversionError {
  int number;
  QString description;
};
constexpr int kErrOverflow = 6;
constexpr int kErrTypeMismatch = 13;

// The number at the start of s: blanks, tabs and line feeds are ignored throughout;
// reading stops at the first character that cannot continue the number. Knows
// signs, decimals, exponents ("1e2", "1d2"), "&H" hexadecimal and "&O" octal
// (4 digits or fewer give a 16-bit value, "&HFFFF" = -1). "" and "x" give 0.
double Val(const QString& s);
// True when s, less surrounding blanks, is one whole number in the forms Val knows.
bool IsNumeric(const QString& s);

// Conversions of a whole numeric text or a number. The throwing forms raise
// ConversionError; the To* forms give std::nullopt instead.
double CDbl(const QString& s);
short CInt(double v);
short CInt(const QString& s);
int CLng(double v);  // 32-bit
int CLng(const QString& s);
std::optional<double> ToDouble(const QString& s);
std::optional<short> ToInteger(const QString& s);
std::optional<int> ToLong(const QString& s);

// The shortest general text of a double (CStr): up to 15 significant digits, no
// thousands separator, the current locale's decimal sign, exponent form ("1E+15",
// "1E-05") from 1E+15 up and below 1E-04; 1 + 2 gives "3".
QString CStr(double v);
// A number text as a user of the current locale writes it ("2,5" under a comma
// locale, so what CStr wrote reads back), else the locale-free forms CDbl knows.
// std::nullopt for a text that is no number or beyond the range of a double.
std::optional<double> ToDoubleInLocale(const QString& s);

// "True" / "False".
QString BoolText(bool b);
// "True"/"False" in any case, or a number (non-zero is True).
bool CBool(const QString& s);
std::optional<bool> ToBool(const QString& s);

// The date-time texts the programs write and read back.
inline const QString kDueTimeFormat = QStringLiteral("dd-mmm-yyyy hh:nn:ss");
inline const QString kLogTimeFormat = QStringLiteral("dd-mm-yyyy hh:nn.ss");
inline const QString kMessageTimeFormat = QStringLiteral("dd-mmm-yyyy hh:nn.ss");
inline const QString kDayFormat = QStringLiteral("dd-mmm-yyyy");
inline const QString kDateFormat = QStringLiteral("dd-mm-yyyy");
inline const QString kDateClockFormat = QStringLiteral("dd-mm-yyyy hh:mm");
inline const QString kClockFormat = QStringLiteral("hh:mm");

// Formats a local date-time by a pattern of d dd ddd dddd, m mm mmm mmmm (month;
// minute when it follows an hour), yy yyyy, h hh, n nn, s ss; any other character
// is copied. Month and day names are English ("Jan", "Monday"), never the locale's.
QString FormatDate(const QDateTime& t, const QString& pattern);
// Reads text written by pattern (day, month, hour, minute and second fields take one
// or two digits, month names any case, surrounding blanks ignored). A pattern
// without a date gives 30-Dec-1899; one without a time gives midnight. std::nullopt
// when the text does not fit or names no real date or time.
std::optional<QDateTime> ParseDate(const QString& text, const QString& pattern);
// Reads text in the first of the formats above that fits it.
std::optional<QDateTime> ParseDateText(const QString& text);

}  // namespace mvnz
