#pragma once
// The date-time texts the programs write and read back, with fixed English month and
// day names, never the locale's.
#include <QDateTime>
#include <QString>
#include <optional>

namespace mvnz {

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
