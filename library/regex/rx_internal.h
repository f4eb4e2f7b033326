#pragma once
// Internals of the regular-expression engine shared by its source files.
//
// A pattern is first rewritten as text (escape expansion, then group processing).
// In the processed text a capturing group n is "(" + marker + inner + marker + ")",
// the marker being the character of code n (1..31); control characters of the
// user's pattern are escaped, so outside sets an unescaped code 1..31 is a marker.
//
// Two matchers give the same results on a processed pattern:
//  - the text matcher (rx_text.cpp) rewrites pattern text at every step, exactly as
//    the engine's rules are written; it serves every pattern;
//  - the compiled matcher (rx_compiled.cpp) runs a tree built once per pattern and
//    serves the patterns whose meaning does not change when pattern texts are joined
//    by the rewrites (nearly all real patterns); it is the fast road.
// Both count matcher calls as the rules do, so the nesting limit, its boundary and
// the step budget end a match at the same point.
#include <QString>
#include <QStringView>
#include <vector>

namespace mvnz::rx {

constexpr int kMaxGroups = 31;
// A matcher call at this nesting depth raises the iteration error.
constexpr int kDepthLimit = 5001;
// Matcher calls allowed per RegExpr call before the iteration error ends the match
// (ends catastrophic backtracking, which the nesting limit does not bound).
constexpr long kStepBudget = 2'000'000;
// Characters of pattern text the rewriting matcher may scan and build per RegExpr
// call: its steps cost in proportion to the pattern's length, so a long pattern
// spends its step budget far more slowly than a short one.
constexpr long long kTextBudget = 5'000'000;

constexpr int kErrBounds = 20050;
constexpr int kErrNoMatch = 20051;
constexpr int kErrSyntax = 20052;
constexpr int kErrArgument = 20053;
constexpr int kErrInternal = 20054;

// An error raised inside the engine; the entry points turn it into RegExprError.
struct RxError {
  int number;
  QString procedure;  // empty for run-time errors of the platform
  QString message;
};
[[noreturn]] void Raise(int number, const char* procedure, const QString& message);

inline bool IsMarker(QChar c) { return c.unicode() >= 1 && c.unicode() <= 31; }
QString MarkerChar(int n);
QString StripMarkers(QStringView text);

// Index of the "]" closing the set opened at p[open], or -1. A "]" directly after
// "[" or "[^" belongs to the set.
qsizetype FindSetEnd(QStringView p, qsizetype open);
// Index of the ")" closing the group opened at p[open], or -1. Skips the character
// after each backslash and whole sets.
qsizetype FindGroupEnd(QStringView p, qsizetype open);
// Index of the first "|" outside groups, sets and escapes, or -1.
qsizetype FindAlternative(QStringView p);
// Splits p at every top-level "|".
std::vector<QStringView> SplitAlternatives(QStringView p);

QString ExpandEscapes(const QString& pattern);
QString ProcessParentheses(const QString& expanded, int& groupCount);

// True when the text starts with a quantifier: "*", "+", "?", or "{" with a "}"
// somewhere after it.
bool IsQuantifierNext(QStringView p);
// Length of the quantifier at the front of p (IsQuantifierNext is true).
qsizetype QuantifierLength(QStringView p);
// True when every top-level alternative begins with "^" that has no quantifier, or
// "+" or "+?" (only then, and without reMultiline, is one attempt at position 1 made;
// the search checks reMultiline itself).
bool IsAnchoredAtStart(QStringView processed);

// Bounds of a counted quantifier "{...}" (with an optional lazy "?").
struct Counted {
  long long lower = 0;
  long long upper = 0;  // -1: no upper bound ("{n,}")
  bool lazy = false;
};
// Reads the bounds; raises the bound errors (procedure DoRegExpr).
Counted ReadCounted(QStringView quantifier);

struct SubMatch {
  bool valid = false;
  int startPos = 0;
  int endPos = 0;
  short openDepth = 0;
  short closeDepth = 0;
};

// What a matcher reads and writes while it works.
struct MatchContext {
  const QChar* s = nullptr;  // the stored subject
  int len = 0;
  int options = 0;
  int groupCount = 0;
  SubMatch* subs = nullptr;  // entries 0..31
  long steps = 0;
  long long text = 0;  // pattern characters handled by the rewriting matcher
  long long textBudget = kTextBudget;
  // Undo log of sub-match changes, so a failed road gives back the earlier values.
  std::vector<std::pair<int, SubMatch>> trail;

  bool ignoreCase() const { return options & 1; }
  void setSub(int n, const SubMatch& v) {
    trail.emplace_back(n, subs[n]);
    subs[n] = v;
  }
  void undo(size_t mark) {
    while (trail.size() > mark) {
      subs[trail.back().first] = trail.back().second;
      trail.pop_back();
    }
  }
  // A marker: opens entry n, or closes it when it is open and not yet valid.
  void marker(int n, int pos, int depth) {
    SubMatch v = subs[n];
    if (v.openDepth != 0 && !v.valid) {
      v.valid = true;
      v.closeDepth = short(depth);
      v.endPos = pos;
    } else {
      v.openDepth = short(depth);
      v.valid = false;
      v.startPos = pos + 1;
    }
    setSub(n, v);
  }
  // One matcher call at depth; raises the iteration error at the limit or when the
  // step budget is spent.
  void enter(int depth) {
    if (depth >= kDepthLimit || ++steps > kStepBudget) TooManyIterations();
  }
  void spend(int calls) {
    if ((steps += calls) > kStepBudget) TooManyIterations();
  }
  // The rewriting matcher is about to scan or build chars characters of pattern.
  void handle(long long chars) {
    if ((text += chars) > textBudget) TooManyIterations();
  }
  [[noreturn]] static void TooManyIterations() {
    Raise(kErrSyntax, "DoRegExpr",
          "Maximum number of iterations exceeded. Possibly an infinite loop.");
  }
};

inline char16_t Lower(char16_t c) {
  if (c < 128) return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c;
  return QChar(c).toLower().unicode();
}
bool IsWordChar(char16_t c);

// One atom that is neither a group, a set nor a marker.
struct SimpleAtom {
  enum Kind : unsigned char {
    Char,
    Caret,
    Dollar,
    Dot,
    BackRef,
    StartA,
    EndZ,
    NewLine,
    WordB,
    NotWordB,
    AtEnd
  };
  Kind kind = Char;
  char16_t ch = 0;  // Char: the character (lowered with ignore case); BackRef: the number
};
// Whether "." takes the character at pos: any character with reSingleLine, otherwise
// neither character of a CR LF pair.
inline bool DotAt(const MatchContext& m, int pos) {
  if (pos >= m.len) return false;
  if (m.options & 2) return true;
  const char16_t c = m.s[pos].unicode();
  if (c == '\r') return !(pos + 1 < m.len && m.s[pos + 1] == '\n');
  if (c == '\n') return !(pos > 0 && m.s[pos - 1] == '\r');
  return true;
}
// Classifies an atom text ("x" or "\x" or a lone "\").
SimpleAtom ClassifyAtom(QStringView atom, bool ignoreCase);
// New position after the atom at pos, or -1. Raises for a back-reference beyond the
// groups of the pattern.
int MatchSimple(const MatchContext& m, const SimpleAtom& a, int pos);

// A set, parsed into its items (lowered with ignore case).
struct SetItem {
  enum Kind : unsigned char { One, CrLf, Range, BadRange, LongRange };
  Kind kind;
  char16_t lo, hi;
};
struct CharSet {
  bool negated = false;
  std::vector<SetItem> items;
  QString text;          // inner text without brackets and leading "^", for the errors
  bool canFail = false;  // holds an item that raises when reached
};
CharSet ParseSet(QStringView set, bool ignoreCase);
// New position after the set at pos, or -1; raises when the walk reaches a bad range.
int MatchSet(const MatchContext& m, const CharSet& set, int pos);

// The text matcher: the match attempt at pos. Returns the end position or -1.
int TextMatchAt(MatchContext& m, const QString& processed, int pos);

// The compiled form; null when the pattern needs the text matcher.
struct Program;
Program* Compile(const QString& processed, bool ignoreCase);
void Release(Program* p);
int CompiledMatchAt(MatchContext& m, const Program& p, int pos);
// The first position from pos on (at most last + 1) where an attempt has to be made;
// the attempts passed over would fail on their first atom with no other effect, and
// their matcher calls are counted.
int NextStart(const Program& p, MatchContext& m, int pos, int last);

// One whole search, outside the module state: for tests that hold the two matchers
// against each other. Without the compiled matcher, the rewriting matcher runs as
// the reference: its steps and the nesting limit bound it, its text budget does not.
struct SearchResult {
  bool found = false;
  int start = 0;  // 1-based
  int length = 0;
  std::vector<std::pair<int, int>> groups;  // start and length, 0 and 0 when not valid
  int error = 0;
  QString message;
  bool compiled = false;  // the compiled matcher served the search
};
SearchResult Search(const QString& subject, const QString& pattern, int options,
                    bool allowCompiled);

}  // namespace mvnz::rx
