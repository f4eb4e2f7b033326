// The engine's entry points and its one set of match state.
#include "library/regexpr.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "rx_internal.h"

namespace mvnz {
namespace {

using rx::RxError;
using rx::SubMatch;

struct State {
  bool matchFound = false;
  int matchStart = 0;
  int matchEnd = 0;
  QString storedSubject;
  SubMatch subMatches[rx::kMaxGroups + 1];
  int groupCount = 0;
  int options = 0;
};
State g_state;

void ClearSubMatches() {
  std::fill_n(g_state.subMatches + 1, g_state.groupCount, SubMatch{});
  g_state.groupCount = 0;
}

// An error ended the search: whatever it had set of the sub-matches is cleared.
void ClearFailedSearch() {
  const int groups = g_state.groupCount;
  ClearSubMatches();
  g_state.groupCount = groups;
  g_state.matchFound = false;
  g_state.matchStart = g_state.matchEnd = 0;
}

// Copies the subject into the stored subject's own buffer. Sharing the caller's text
// would cost two atomic reference count changes per match, more than copying a name.
void KeepSubject(const QString& subject) {
  QString& kept = g_state.storedSubject;
  const qsizetype size = subject.size();
  // A buffer of its own, large enough for a file name and not much larger than the
  // subject (a long text once searched is not held on to).
  if (!kept.isDetached() || kept.capacity() < size ||
      kept.capacity() > std::max<qsizetype>(4 * size, 4096)) {
    kept = QString();
    kept.reserve(std::max<qsizetype>(size, 256));
  }
  kept.resize(size);
  std::copy_n(subject.constData(), size, kept.data());
}

// A pattern rewritten once, with its compiled form when it has one.
struct Prepared {
  QString processed;
  int groupCount = 0;
  bool anchored = false;  // without reMultiline
  bool failed = false;
  RxError error;
  rx::Program* program = nullptr;
  ~Prepared() { rx::Release(program); }
};

// Rewrites the pattern and, when compile is set, builds its compiled form; raises the
// pattern's errors. The one preparation for the entry points and for Search.
void Build(Prepared& p, const QString& pattern, bool ignoreCase, bool compile) {
  p.processed = rx::ProcessParentheses(rx::ExpandEscapes(pattern), p.groupCount);
  p.anchored = rx::IsAnchoredAtStart(p.processed);
  if (compile) p.program = rx::Compile(p.processed, ignoreCase);
}

// Recently used patterns (filters are few and used again every cycle): a short list
// of the latest ones, looked at first, before a larger table.
constexpr int kRecent = 4;
constexpr int kCacheSize = 64;

struct CacheEntry {
  QString pattern;
  bool ignoreCase = false;
  std::shared_ptr<Prepared> prepared;
};

struct PatternCache {
  CacheEntry recent[kRecent];
  QHash<QString, std::shared_ptr<Prepared>> table[2];  // without and with ignore case
};
PatternCache g_cache;

// The prepared pattern stays alive until the next call.
const Prepared* Prepare(const QString& pattern, bool ignoreCase) {
  CacheEntry* const recent = g_cache.recent;
  for (int i = 0; i < kRecent; ++i) {
    const QString& seen = recent[i].pattern;
    // Callers pass the same text object again and again: equal data, no comparison.
    const bool same = (seen.constData() == pattern.constData() && seen.size() == pattern.size()) ||
                      seen == pattern;
    if (recent[i].prepared && recent[i].ignoreCase == ignoreCase && same) {
      if (i > 0) std::swap(recent[i], recent[i - 1]);
      return recent[i > 0 ? i - 1 : 0].prepared.get();
    }
  }
  auto& cache = g_cache.table[ignoreCase ? 1 : 0];
  std::shared_ptr<Prepared> p;
  if (auto it = cache.constFind(pattern); it != cache.constEnd()) {
    p = it.value();
  } else {
    p = std::make_shared<Prepared>();
    try {
      Build(*p, pattern, ignoreCase, true);
    } catch (const RxError& e) {
      p->failed = true;
      p->error = e;
    }
    if (cache.size() >= kCacheSize) cache.clear();
    cache.insert(pattern, p);
  }
  std::move_backward(recent, recent + kRecent - 1, recent + kRecent);
  recent[0] = CacheEntry{pattern, ignoreCase, p};
  return p.get();
}

const QString& ProgramName() {
  static const QString name = [] {
    const QString target = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return target.isEmpty() ? QStringLiteral("mvnz") : QFileInfo(target).fileName();
  }();
  return name;
}

void Report(const RxError& e, RegExprError* out) {
  if (!out) return;
  out->number = e.number;
  if (e.procedure.isEmpty()) {  // a run-time error of the platform
    out->source = ProgramName();
    out->description = e.message;
  } else {
    out->source = ProgramName() + QStringLiteral(".RegExpr");
    out->description =
        QStringLiteral("Error in RegExpr.") + e.procedure + QStringLiteral(": ") + e.message;
    // The matcher raises no other syntax error.
    out->unfinished = e.number == rx::kErrSyntax && e.procedure == QLatin1String("DoRegExpr");
  }
}

void Clear(RegExprError* out) {
  if (out) *out = RegExprError{};
}

// One context for every search (they never nest): its undo log keeps its storage.
rx::MatchContext g_context;

// Tries the positions in turn; the leftmost match wins. Returns the end of the match
// (0-based, exclusive) and sets start, or returns -1.
int MatchAnywhere(const Prepared& prep, const QString& subject, int options, SubMatch* subs,
                  bool allowCompiled, int& start) {
  rx::MatchContext& m = g_context;
  m.s = subject.constData();
  m.len = int(subject.size());
  m.options = options;
  m.groupCount = prep.groupCount;
  m.subs = subs;
  m.steps = 0;
  m.text = 0;
  m.textBudget = allowCompiled ? rx::kTextBudget : std::numeric_limits<long long>::max();
  m.trail.clear();
  const rx::Program* program = allowCompiled ? prep.program : nullptr;
  const int last = prep.anchored && !(options & reMultiline) ? 0 : m.len;
  for (int pos = 0; pos <= last; ++pos) {
    if (program && (pos = rx::NextStart(*program, m, pos, last)) > last) break;
    const int end =
        program ? rx::CompiledMatchAt(m, *program, pos) : rx::TextMatchAt(m, prep.processed, pos);
    if (end >= 0) {
      start = pos;
      return end;
    }
    m.undo(0);
  }
  return -1;
}

// Moves a stored range after the text [start, start + length - 1] was replaced by
// newLength characters. A range with a bound strictly inside that text is dropped;
// otherwise each bound after the text moves along and the others stay, so a range
// that ends exactly where the text ends keeps its old end. An empty range moves as a
// whole: its end (just before its start) follows its start, never falling behind it.
void ShiftMatchPositions(int& startPos, int& endPos, bool& valid, int start, int length,
                         int newLength) {
  const int end = start + length - 1;
  const auto inside = [&](int p) { return p > start && p < end; };
  if (inside(startPos) || inside(endPos)) {
    valid = false;
    startPos = endPos = 0;
    return;
  }
  const int delta = newLength - length;
  const bool startMoves = startPos > end;
  if (endPos > end || (startMoves && endPos == startPos - 1)) endPos += delta;
  if (startMoves) startPos += delta;
}

}  // namespace

QString RegExprError::text() const {
  return QStringLiteral("Error #%1: ").arg(number) + description;
}

bool RegExpr(const QString& subject, const QString& pattern, int options, RegExprError* error) {
  Clear(error);
  if ((options & reSingleLine) && (options & reMultiline)) {
    Report({rx::kErrArgument, QStringLiteral("RegExpr"),
            QStringLiteral("Cannot specify both reSingleLine and reMultiline at the same time.")},
           error);
    return false;
  }
  g_state.matchFound = false;
  g_state.matchStart = g_state.matchEnd = 0;
  ClearSubMatches();
  g_state.options = options;
  try {
    const Prepared* prep = Prepare(pattern, options & reIgnoreCase);
    g_state.groupCount = prep->groupCount;
    if (prep->failed) throw prep->error;
    int start = 0;
    const int end = MatchAnywhere(*prep, subject, options, g_state.subMatches, true, start);
    if (end >= 0) {
      // Only a match makes the stored subject visible (through RegExprIndex and
      // RegExprReplace), so it is kept only then.
      KeepSubject(subject);
      g_state.matchFound = true;
      g_state.matchStart = start + 1;
      g_state.matchEnd = end;
    }
  } catch (const RxError& e) {
    Report(e, error);
    ClearFailedSearch();
  } catch (const std::bad_alloc&) {
    Report({7, QString(), QStringLiteral("Out of memory")}, error);
    ClearFailedSearch();
  }
  // A search without a match gave back every sub-match it set.
  return g_state.matchFound;
}

bool RegExprMatchesName(const QString& fileName, const QString& pattern, RegExprError* error) {
  return RegExpr(fileName, pattern, 0, error);
}

bool RegExprIndex(int resultType, int& start, int& length, RegExprError* error) {
  Clear(error);
  const State& s = g_state;
  if (!s.matchFound) {
    Report({rx::kErrNoMatch, QStringLiteral("RegExprIndex"),
            QStringLiteral("No match on last call to RegExpr, or RegExpr not called at all")},
           error);
    return false;
  }
  switch (resultType) {
    case -3:
      start = s.matchStart;
      length = s.matchEnd - s.matchStart + 1;
      return true;
    case -2:
      start = 1;
      length = s.matchStart - 1;
      return true;
    case -1:
      start = s.matchEnd + 1;
      // A replacement shorter than the match can leave the match's old end beyond
      // the text: nothing follows it then.
      length = std::max(0, int(s.storedSubject.size()) - s.matchEnd);
      return true;
    case 0:
      start = length = s.groupCount;
      return true;
    default:
      break;
  }
  if (resultType >= 1 && resultType <= s.groupCount) {
    const SubMatch& g = s.subMatches[resultType];
    start = g.valid ? g.startPos : 0;
    length = g.valid ? g.endPos - g.startPos + 1 : 0;
    return true;
  }
  if (resultType >= 1 && resultType <= rx::kMaxGroups) {
    Report({rx::kErrArgument, QStringLiteral("RegExprIndex"),
            QStringLiteral("No match stored for regular sub-expression #%1").arg(resultType)},
           error);
  } else {
    Report({rx::kErrArgument, QStringLiteral("RegExprIndex"),
            QStringLiteral("Invalid value, parameter ResultType = %1").arg(resultType)},
           error);
  }
  return false;
}

QString RegExprReplace(const QString& replacement, int resultType, RegExprError* error) {
  int start = 0, length = 0;
  if (!RegExprIndex(resultType, start, length, error) || start == 0) return QString();
  State& s = g_state;
  const int newLength = int(replacement.size());
  ShiftMatchPositions(s.matchStart, s.matchEnd, s.matchFound, start, length, newLength);
  for (int n = 1; n <= s.groupCount; ++n) {
    SubMatch& g = s.subMatches[n];
    ShiftMatchPositions(g.startPos, g.endPos, g.valid, start, length, newLength);
  }
  s.storedSubject = s.storedSubject.left(start - 1) + replacement +
                    s.storedSubject.mid(qsizetype(start) - 1 + length);
  return s.storedSubject;
}

namespace rx {

SearchResult Search(const QString& subject, const QString& pattern, int options,
                    bool allowCompiled) {
  SearchResult r;
  SubMatch subs[kMaxGroups + 1];
  Prepared prep;
  try {
    Build(prep, pattern, options & reIgnoreCase, allowCompiled);
    r.compiled = prep.program != nullptr;
    int start = 0;
    const int end = MatchAnywhere(prep, subject, options, subs, allowCompiled, start);
    if (end >= 0) {
      r.found = true;
      r.start = start + 1;
      r.length = end - start;
      for (int n = 1; n <= prep.groupCount; ++n) {
        const SubMatch& g = subs[n];
        r.groups.emplace_back(g.valid ? g.startPos : 0, g.valid ? g.endPos - g.startPos + 1 : 0);
      }
    }
  } catch (const RxError& e) {
    r.error = e.number;
    r.message = e.procedure + ": " + e.message;
  }
  return r;
}

}  // namespace rx
}  // namespace mvnz
