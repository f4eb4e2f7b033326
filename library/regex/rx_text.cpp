// The text matcher: backtracking over pattern text, each step taking the first atom
// of the remaining pattern with its quantifier and rewriting quantifiers into longer
// pattern texts. The nesting of matcher calls is kept as a depth count and the
// roads still to try on an explicit stack, so deep matches need no native stack.
#include <algorithm>

#include "rx_internal.h"

namespace mvnz::rx {
namespace {

struct Road {
  bool barrier = false;  // a lookahead waiting for its body
  bool negative = false;
  int pos = 0;
  QString pattern;  // what to try (for a barrier: the pattern after the lookahead)
  int depth = 0;    // depth of the matcher call that tries it
  size_t trail = 0;
};

QString Copies(const QString& atom, long long n) {
  QString s;
  s.reserve(qsizetype(atom.size() * n));
  for (long long k = 0; k < n; ++k) s += atom;
  return s;
}

// The optional groups of a counted quantifier, built inside out:
// G(0) = "", G(k) = "(" + atom + G(k-1) + ")?" (lazy: "??").
QString Optionals(const QString& atom, long long k, bool lazy) {
  const QString close = lazy ? QStringLiteral(")??") : QStringLiteral(")?");
  return Copies('(' + atom, k) + Copies(close, k);
}

// Copies beyond these counts are never reached: each copy costs one nesting level
// and each optional group three, so the nesting limit is met first.
constexpr long long kMaxCopies = kDepthLimit;
constexpr long long kMaxOptionals = kDepthLimit / 3 + 2;

}  // namespace

int TextMatchAt(MatchContext& m, const QString& processed, int startPos) {
  const bool ic = m.ignoreCase();
  std::vector<Road> roads;
  std::vector<size_t> barriers;
  int pos = startPos;
  QString p = processed;
  int depth = 0;
  auto push = [&](int at, QString pattern, int d) {
    roads.push_back(Road{false, false, at, std::move(pattern), d, m.trail.size()});
  };
  for (;;) {
    bool ok = true;
    if (p.isEmpty()) {
      if (barriers.empty()) return pos;
      // The innermost lookahead's body has matched: its other roads are dropped.
      const size_t b = barriers.back();
      barriers.pop_back();
      Road look = std::move(roads[b]);
      roads.resize(b);
      if (look.negative) {
        ok = false;
      } else {
        pos = look.pos;
        p = std::move(look.pattern);
        depth = look.depth;
        continue;
      }
    }
    if (ok) {
      const int d = depth + 1;
      m.enter(d);
      m.handle(p.size());
      depth = d;
      const qsizetype bar = FindAlternative(p);
      if (bar >= 0) {
        push(pos, p.mid(bar + 1), d);
        p.truncate(bar);
        continue;
      }
      qsizetype alen = 1;
      if (p[0] == '(') {
        const qsizetype e = FindGroupEnd(p, 0);
        alen = e < 0 ? p.size() : e + 1;
      } else if (p[0] == '[') {
        const qsizetype e = FindSetEnd(p, 0);
        alen = e < 0 ? 1 : e + 1;
      } else if (p[0] == '\\') {
        alen = std::min<qsizetype>(2, p.size());
      }
      const QString atom = p.left(alen);
      QStringView rest = QStringView(p).mid(alen);
      QString q;
      if (IsQuantifierNext(rest)) {
        const qsizetype ql = QuantifierLength(rest);
        q = rest.left(ql).toString();
        rest = rest.mid(ql);
        if (IsQuantifierNext(rest))
          Raise(kErrSyntax, "GetNextRegExpr", "Nested +?*{} in regular expression.");
      }
      QString r = rest.toString();
      if (q.isEmpty()) {
        if (atom[0] == '(' && atom.size() >= 2) {
          if (atom.startsWith(QStringLiteral("(?=")) || atom.startsWith(QStringLiteral("(?!"))) {
            roads.push_back(Road{true, atom[2] == '!', pos, std::move(r), d, m.trail.size()});
            barriers.push_back(roads.size() - 1);
            p = atom.mid(3, atom.size() - 4);
            continue;
          }
          QStringView inner = QStringView(atom).mid(1, atom.size() - 2);
          QString mark;
          if (inner.size() >= 2 && IsMarker(inner.front()) && IsMarker(inner.back())) {
            mark = inner.left(1).toString();
            inner = inner.mid(1, inner.size() - 2);
          }
          const std::vector<QStringView> alts = SplitAlternatives(inner);
          // Each alternative becomes a pattern of its own, followed by the rest.
          m.handle(qsizetype(alts.size()) * (r.size() + 2) + inner.size());
          for (size_t k = alts.size(); k-- > 1;) push(pos, mark + alts[k].toString() + mark + r, d);
          p = mark + alts[0].toString() + mark + r;
          continue;
        }
        if (atom[0] == '[' && atom.size() >= 2) {
          pos = MatchSet(m, ParseSet(atom, ic), pos);
          ok = pos >= 0;
        } else if (alen == 1 && IsMarker(atom[0])) {
          m.marker(atom[0].unicode(), pos, d);
        } else {
          pos = MatchSimple(m, ClassifyAtom(atom, ic), pos);
          ok = pos >= 0;
        }
        if (ok) {
          p = std::move(r);
          continue;
        }
      } else {
        const bool lazy = q.size() > 1 && q.back() == '?';
        switch (q[0].unicode()) {
          case '*':
            if (lazy) {
              push(pos, atom + atom + QStringLiteral("*?") + r, d);
              p = std::move(r);
            } else {
              push(pos, r, d);
              p = atom + atom + '*' + r;
            }
            continue;
          case '+':
            p = atom + atom + (lazy ? QStringLiteral("*?") : QStringLiteral("*")) + r;
            continue;
          case '?':
            if (lazy) {
              push(pos, atom + r, d);
              p = std::move(r);
            } else {
              push(pos, r, d);
              p = atom + r;
            }
            continue;
          default: {
            const Counted c = ReadCounted(q);
            const bool cut = c.lower >= kMaxCopies;
            // What the rewrite builds: the copies, the optional groups, the rest.
            const long long optionals =
                c.upper > c.lower ? std::min(c.upper - c.lower, kMaxOptionals) : 1;
            m.handle((std::min(c.lower, kMaxCopies) + optionals) * (atom.size() + 3) + r.size());
            QString text = Copies(atom, std::min(c.lower, kMaxCopies));
            if (c.upper < 0) {
              if (!cut) text += atom + (c.lazy ? QStringLiteral("*?") : QStringLiteral("*")) + r;
            } else if (c.upper == 0) {
              ok = false;
            } else if (!cut) {
              text += Optionals(atom, std::min(c.upper - c.lower, kMaxOptionals), c.lazy) + r;
            }
            if (ok) {
              p = std::move(text);
              continue;
            }
          }
        }
      }
    }
    // This road failed: take the latest one still to try.
    for (;;) {
      if (roads.empty()) return -1;
      Road road = std::move(roads.back());
      roads.pop_back();
      m.undo(road.trail);
      if (road.barrier) {
        barriers.pop_back();
        if (!road.negative) continue;  // the body of "(?=" failed, so does the lookahead
      }
      pos = road.pos;
      p = std::move(road.pattern);
      depth = road.depth;
      break;
    }
  }
}

}  // namespace mvnz::rx
