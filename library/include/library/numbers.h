#pragma once
// The configuration file's number rules: leading numbers, halves rounded to even,
// 16-bit switches and Boolean texts.
#include <QString>
#include <optional>

namespace mvnz {

// The leading number of a text (blanks before it skipped); 0 when there is none.
double LeadingNumber(const QString& text);
// Rounds half to even.
double RoundHalfEven(double v);
// The leading number rounded to a whole number; nullopt beyond the signed 16-bit range.
std::optional<int> LeadingInt16(const QString& text);
// "True"/"False" in any case, or a number (0 False, other True); nullopt otherwise.
std::optional<bool> ParseBoolean(const QString& text);

}  // namespace mvnz
