#include "library/numbers.h"

#include <cmath>

namespace mvnz {

namespace {

// Length of the number at the start of s (after blanks), 0 when none.
int NumberPrefix(const QString& s, int start) {
  int i = start;
  const int n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  int digits = 0;
  while (i < n && s[i].isDigit() && s[i].unicode() < 128) ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    int j = i + 1;
    if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
    int expDigits = 0;
    while (j < n && s[j].isDigit() && s[j].unicode() < 128) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i - start;
}

}  // namespace

double LeadingNumber(const QString& text) {
  int start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  const int len = NumberPrefix(text, start);
  if (len == 0) return 0;
  bool ok = false;
  const double v = text.mid(start, len).toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0;
}

double RoundHalfEven(double v) { return std::nearbyint(v); }  // default mode: to even

std::optional<int> LeadingInt16(const QString& text) {
  const double r = RoundHalfEven(LeadingNumber(text));
  if (r < -32768 || r > 32767) return std::nullopt;
  return static_cast<int>(r);
}

std::optional<bool> ParseBoolean(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  if (t.isEmpty() || NumberPrefix(t, 0) != t.size()) return std::nullopt;
  return LeadingNumber(t) != 0;
}

}  // namespace mvnz
