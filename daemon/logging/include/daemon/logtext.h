#pragma once
// Log texts are one line each: whatever a file name or a plug-in puts into a message,
// it cannot break a log line apart or forge one.
#include <QString>

namespace mvnz::mvnd {

// The text with every control character written as an escape: line feed, carriage
// return and tab as "\n", "\r", "\t", the other C0 characters and DEL as "\xHH",
// C1 characters as "\u00HH". A name whose bytes do not decode as UTF-8 is carried
// with each such byte b as the lone surrogate U+DC00 + b; it is shown as "\xHH",
// any other lone surrogate as "\uHHHH". Backslashes stay as they are. Text without
// any of these is returned as it is.
QString EscapeLogText(const QString& text);

}  // namespace mvnz::mvnd
