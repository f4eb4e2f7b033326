#pragma once
// The Sleep action: pauses the script for count × unit milliseconds.
#include <QString>
#include <QStringList>
#include <functional>

namespace mvnz::sleepaction {

using LogFn = std::function<void(const QString& text, short level)>;
// Waits the given milliseconds (never called with less than 0).
using Waiter = std::function<void(long milliseconds)>;

// The milliseconds of Data(1) count × Data(2) unit size: each converted to a 32-bit
// integer (the nearest whole number, halves to even), the product within 32 bits; a
// negative product counts as 0. False with the error description in *why when a
// text is no number or a value leaves the range.
bool Milliseconds(const QString& count, const QString& unit, long* ms, QString* why);

// The action on Data(1..2). Returns the Error flag.
bool SleepFor(const QStringList& data, bool autoLog, const LogFn& log, const Waiter& wait);

}  // namespace mvnz::sleepaction
