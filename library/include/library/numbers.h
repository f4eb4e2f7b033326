#pragma once
// The programs' number rules, in one place: Basic's Val and the whole-text
// conversions (halves round to even, out-of-range is an overflow error), the number
// texts, Boolean texts, and the configuration file's leading-number rule.
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

// Basic's Val, the number at the start of s: blanks, tabs and line feeds are ignored
// throughout; reading stops at the first character that cannot continue the number.
// Knows signs, decimals, exponents ("1e2", "1d2"), "&H" hexadecimal and "&O" octal
// (4 digits or fewer give a 16-bit value, "&HFFFF" = -1). "" and "x" give 0 with
// *hasNumber false.
double Val(const QString& s, bool* hasNumber = nullptr);
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

// The configuration file's rule, narrower than Val: a plain decimal number (sign,
// digits, point, "e" exponent) at the start, blanks and tabs skipped before it only,
// so "1 0" reads 1 and "&H10" reads 0; 0 when there is none or it overflows.
double LeadingNumber(const QString& text);
// The whole text, less the blanks and tabs around it, as the configuration file's plain
// decimal number: what LeadingNumber reads when nothing follows the number. nullopt for
// any other text ("nan", "inf", "&H10", "1,5", "2 x") and for one beyond a double's range.
// A field whose text passes is the number the daemon reads from the file.
std::optional<double> FileNumber(const QString& text);
// Rounds half to even.
double RoundHalfEven(double v);
// The leading number rounded to a whole number; nullopt beyond the signed 16-bit range.
std::optional<int> LeadingInt16(const QString& text);
// "True"/"False" in any case, or a whole text that is a leading number (0 False, other
// True); nullopt otherwise.
std::optional<bool> ParseBoolean(const QString& text);

}  // namespace mvnz
