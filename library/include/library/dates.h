#pragma once
// The date-time texts the programs write and read back, with fixed English month and
// day names, never the locale's: formatting and reading by a pattern, the time texts
// of log callers, and the daemon's schedule texts (due times, run days, the short-date
// order, the dates and times a user types for a schedule).
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

// A caller's time text as the daemon and the plug-ins write it: a date "dd-mmm-yyyy"
// or "dd-mm-yyyy" and a time "hh:nn.ss", "hh:nn:ss" or "hh:nn"; also
// "yyyy-mm-dd hh:nn:ss" and "yyyy-mm-ddThh:nn:ss". std::nullopt for any other text.
std::optional<QDateTime> ParseTimeText(const QString& text);

// ---- schedule texts ----

// "07-Mar-2005 14:05:09" (English month abbreviations, 24-hour time).
QString FormatDueTime(const QDateTime& t);
// "07-Mar-2005".
QString FormatDay(const QDate& d);
// Formats with a short-date pattern such as "dd/mm/yyyy" followed by " hh:nn:ss".
QString FormatShortDateTime(const QDateTime& t, const QString& shortDatePattern);

// Order of day, month and year in the system's short date, as "dd/mm/yyyy",
// "mm/dd/yyyy" or "yyyy/mm/dd"; "dd/mm/yyyy" when it cannot be told.
QString GetShortDatePattern();
// The same rule applied to a given short-date text of 25 August 1958.
QString ShortDatePatternOf(const QString& shortDateOf25Aug1958);

// Reads "h:mm", "hh:mm" or "hh:mm:ss".
std::optional<QTime> ParseTimeOfDay(const QString& text);
// Reads a date "dd-mm-yyyy", "dd-mmm-yyyy" or one in the short-date pattern,
// optionally followed by a blank and a time of day.
std::optional<QDateTime> ParseDateTimeText(const QString& text,
                                           const QString& shortDatePattern = QString());

// A local date and time; a time the clocks skip (the hour lost in spring) becomes the
// same distance past the change, as the clock on the wall reads it then.
QDateTime LocalDateTime(const QDate& date, const QTime& time);

// Whole seconds from a to b (b - a), both cut to whole seconds first.
qint64 SecondsBetween(const QDateTime& a, const QDateTime& b);

}  // namespace mvnz
