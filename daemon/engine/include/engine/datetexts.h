#pragma once
// The daemon's date-time texts: due times "dd-mmm-yyyy hh:nn:ss", run days
// "dd-mmm-yyyy", the short-date pattern, and the parser that turns any of the texts
// the daemon writes or a user types back into a local date-time.
#include <QDateTime>
#include <QString>
#include <optional>

namespace mvnz::engine {

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

}  // namespace mvnz::engine
