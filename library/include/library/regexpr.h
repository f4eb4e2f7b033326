#pragma once
// The system's own regular-expression engine: whether a pattern occurs in a text,
// and, for the last text examined, where the match and each captured
// sub-expression lie. Positions are 1-based and count UTF-16 units.
//
// One set of match state per program, overwritten by every RegExpr call;
// RegExprIndex and RegExprReplace work on it. Not thread-safe (one thread).
//
// Errors never show anything: every entry point reports them through an optional
// RegExprError (number 20050 to 20054, source "<program>.RegExpr", description
// "Error in RegExpr.<procedure>: <message>"), and the caller decides what to do.
#include <QString>

namespace mvnz {

constexpr int reIgnoreCase = 1;  // literals, back-references and sets compare in lower case
constexpr int reSingleLine = 2;  // "." also matches the characters of a CR LF pair
constexpr int reMultiline = 4;   // "^" and "$" also match at CR LF line breaks

struct RegExprError {
  int number = 0;  // 0: no error
  QString source;
  QString description;
  // The iteration limit ended the search (20052 "Maximum number of iterations
  // exceeded"): the pattern is too complex for this subject, and whether it matches is
  // unknown, which is not the same as no match.
  bool unfinished = false;
  explicit operator bool() const { return number != 0; }
  // "Error #" + number + ": " + description, the text a caller shows or logs.
  QString text() const;
};

// True when pattern matches anywhere in subject. On an error returns false and fills
// *error (when given); the match state is then reset (except for the option clash
// of reSingleLine with reMultiline, which leaves the previous state as it was).
bool RegExpr(const QString& subject, const QString& pattern, int options,
             RegExprError* error = nullptr);

// The filter test of the daemon's folder listing: true when pattern, one element of
// an input or reject filter, matches anywhere in the file name (options 0). An
// invalid pattern gives false with *error filled, so the name counts as not matching.
bool RegExprMatchesName(const QString& fileName, const QString& pattern,
                        RegExprError* error = nullptr);

// Positions within the stored subject of the last match:
//   -3 the whole match, -2 the text before it, -1 the text after it,
//   0 start and length both the number of sub-expressions,
//   n sub-expression n (both 0 when it took no part in the match).
// On an error start and length stay unchanged and false is returned.
bool RegExprIndex(int resultType, int& start, int& length, RegExprError* error = nullptr);

// Replaces in the stored subject the range RegExprIndex gives for resultType by
// replacement (taken as is) and returns the new stored subject; the stored match and
// sub-expression positions follow the change, so further replacements may follow.
// Returns "" and changes nothing when that range starts at 0 or on an error.
QString RegExprReplace(const QString& replacement, int resultType, RegExprError* error = nullptr);

}  // namespace mvnz
