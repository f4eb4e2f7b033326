// The compiled matcher: the processed pattern parsed once into a tree, matched by
// backtracking over continuations instead of pattern texts. A continuation is a
// chain of cells (what is still to match), shared between roads and allocated in an
// arena that is cut back when a road is taken up again.
//
// The rewrites of the text matcher become cells: "A A* Rest" is an atom cell before
// a starred atom cell before Rest; a count becomes a counter cell instead of copies
// of its atom, so no count makes anything grow. Matcher calls are counted as the
// text matcher counts them (one per atom taken, one per alternative split), so the
// nesting limit, its boundary and the step budget fall at the same point.
//
// Patterns whose meaning would change when the rewrites join pattern texts (a "{"
// or a quantifier character taken as a literal atom, a count holding anything but a
// number, two quantifiers in a row) are left to the text matcher. A ")" without "("
// is a plain character to both: it can only stand at the top level, outside every
// group, where no rewrite puts a "(" before it.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "rx_internal.h"

namespace mvnz::rx {
namespace {

enum class Quant : uint8_t { None, Star, Plus, Opt, Count };

struct Node;
struct Seq {
  std::vector<Node> items;
};

struct CompiledSet {
  CharSet set;
  bool bitmap = false;  // no CR LF item and no bad range: chars below 256 by table
  uint64_t bits[4] = {0, 0, 0, 0};
};

struct Node {
  enum Kind : uint8_t { Simple, Set, Marker, Group, Look } kind = Simple;
  Quant q = Quant::None;
  bool lazy = false;
  bool negative = false;  // Look: "(?!"
  bool single = false;    // takes exactly one character, with no other effect
  bool fixed = false;     // see FixedWidth
  SimpleAtom simple;
  int set = -1;
  int marker = 0;
  std::vector<Seq> alts;  // Group and Look: the alternatives
  // Group: per alternative, the atom whose failure right at the start only costs
  // calls (after the opening marker of a capturing group), and that cost.
  std::vector<std::pair<const Node*, int>> guards;
  // Count: the bounds, or the error raised when the matcher reaches the count.
  Counted counted;
  bool countFails = false;
  RxError countError;
};

// A one-character atom without a quantifier or with an exact count ("{n}", n from 1
// to what the nesting limit allows): its width is known before it is tried.
bool FixedWidth(const Node& n) {
  if (!n.single) return false;
  if (n.q == Quant::None) return true;
  return n.q == Quant::Count && !n.countFails && !n.counted.lazy &&
         n.counted.lower == n.counted.upper && n.counted.lower >= 1 &&
         n.counted.lower < kDepthLimit;
}

}  // namespace

struct Program {
  std::vector<Seq> top;
  std::vector<CompiledSet> sets;
  // An attempt that fails on its first atom (after a leading "^") has no effect but
  // its matcher calls: lead is that atom, leadCost the calls of such an attempt.
  const Node* lead = nullptr;
  bool leadAfterCaret = false;
  int leadCost = 0;
};

namespace {

constexpr int kMaxNesting = 200;  // deeper patterns go to the text matcher

struct Parser {
  Program& prog;
  bool ignoreCase;
  bool clean = true;

  std::vector<Seq> alternatives(QStringView text, int nesting) {
    std::vector<Seq> out;
    for (QStringView alt : SplitAlternatives(text)) out.push_back(sequence(alt, nesting));
    return out;
  }

  static bool NumericCount(QStringView q) {
    for (QChar c : q) {
      if (!((c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '.' || c == '-' || c == '+' ||
            c == '{' || c == '}' || c == '?'))
        return false;
    }
    return true;
  }

  Seq sequence(QStringView text, int nesting) {
    Seq seq;
    if (nesting > kMaxNesting) {
      clean = false;
      return seq;
    }
    qsizetype i = 0;
    while (clean && i < text.size()) {
      const QChar c = text[i];
      qsizetype alen = 1;
      if (c == '(') {
        alen = FindGroupEnd(text, i) - i + 1;
        if (alen <= 0) {
          clean = false;
          break;
        }
      } else if (c == '[') {
        alen = FindSetEnd(text, i) - i + 1;
        if (alen <= 0) {
          clean = false;
          break;
        }
      } else if (c == '\\') {
        alen = i + 1 < text.size() ? 2 : 1;
      } else if (c == '*' || c == '+' || c == '?' || c == '{' || c == '|' || IsMarker(c)) {
        clean = false;
        break;
      }
      const QStringView atom = text.mid(i, alen);
      i += alen;
      Node node;
      if (c == '(') {
        if (atom.startsWith(u"(?=") || atom.startsWith(u"(?!")) {
          node.kind = Node::Look;
          node.negative = atom[2] == '!';
          node.alts = alternatives(atom.mid(3, atom.size() - 4), nesting + 1);
        } else {
          node.kind = Node::Group;
          QStringView inner = atom.mid(1, atom.size() - 2);
          if (inner.size() >= 2 && IsMarker(inner.front()) && IsMarker(inner.back())) {
            const int n = inner.front().unicode();
            inner = inner.mid(1, inner.size() - 2);
            Node mark;
            mark.kind = Node::Marker;
            mark.marker = n;
            for (QStringView alt : SplitAlternatives(inner)) {
              Seq s;
              s.items.push_back(mark);
              Seq body = sequence(alt, nesting + 1);
              for (Node& x : body.items) s.items.push_back(std::move(x));
              s.items.push_back(mark);
              node.alts.push_back(std::move(s));
            }
          } else {
            node.alts = alternatives(inner, nesting + 1);
          }
        }
      } else if (c == '[') {
        node.kind = Node::Set;
        CompiledSet cs;
        cs.set = ParseSet(atom, ignoreCase);
        cs.bitmap = !cs.set.canFail;
        for (const SetItem& it : cs.set.items) {
          if (it.kind == SetItem::CrLf) cs.bitmap = false;
          if (it.kind == SetItem::One || it.kind == SetItem::Range) {
            for (unsigned u = it.lo; u <= it.hi && u < 256; ++u)
              cs.bits[u >> 6] |= uint64_t(1) << (u & 63);
          }
        }
        // The same condition: without a CR LF item or a raising range the set takes
        // exactly one character.
        node.single = cs.bitmap;
        node.set = int(prog.sets.size());
        prog.sets.push_back(std::move(cs));
      } else {
        node.kind = Node::Simple;
        node.simple = ClassifyAtom(atom, ignoreCase);
        node.single = node.simple.kind == SimpleAtom::Char || node.simple.kind == SimpleAtom::Dot;
      }
      const QStringView rest = text.mid(i);
      if (IsQuantifierNext(rest)) {
        const qsizetype ql = QuantifierLength(rest);
        const QStringView q = rest.left(ql);
        i += ql;
        if (IsQuantifierNext(text.mid(i))) {
          clean = false;
          break;
        }
        node.lazy = ql > 1 && q.back() == '?';
        switch (q[0].unicode()) {
          case '*':
            node.q = Quant::Star;
            break;
          case '+':
            node.q = Quant::Plus;
            break;
          case '?':
            node.q = Quant::Opt;
            break;
          default:
            if (!NumericCount(q)) {
              clean = false;
              break;
            }
            node.q = Quant::Count;
            try {
              node.counted = ReadCounted(q);
            } catch (const RxError& e) {
              node.countFails = true;
              node.countError = e;
            }
        }
      }
      node.fixed = FixedWidth(node);
      seq.items.push_back(std::move(node));
    }
    return seq;
  }
};

// What is still to match, as a chain of cells.
struct Cell {
  enum Kind : uint8_t {
    Alt,     // alternatives idx.. of *alts (two or more left)
    Items,   // items idx.. of *seq
    Atom,    // node's atom with quantifier q (None or Star) instead of its own
    Copies,  // node's atom n times
    OptGrp,  // "(A G(n-1))?" of a count (lazy: "??")
    Grp,     // "(A G(n-1))"
  } kind = Alt;
  Quant q = Quant::None;
  bool lazy = false;
  int next = -1;
  union {
    const Node* node = nullptr;    // Atom, Copies, OptGrp, Grp
    const Seq* seq;                // Items
    const std::vector<Seq>* alts;  // Alt
  };
  int idx = 0;
  int n = 0;
};

struct Road {
  enum Kind : uint8_t { Try, Barrier, Run, Alts } kind;
  bool negative = false;
  int pos = 0;                  // Run: position before the repetitions
  int cont = -1;                // Barrier: what follows the lookahead
  int depth = 0;                // depth of the matcher call that takes the road up
  int runs = 0;                 // Run: repetitions still to give back; Alts: the next alternative
  const Node* group = nullptr;  // Alts: the group whose alternatives are tried in turn
  // Run: the first atom of what follows, when a failure of it has no other effect
  // than its matcher calls (guardCost of them); positions where it fails are skipped.
  const Node* guard = nullptr;
  int guardCost = 0;
  size_t trail = 0;
  size_t arena = 0;
};

struct Scratch {
  std::vector<Cell> cells;
  std::vector<Road> roads;
  std::vector<size_t> barriers;
};

Scratch& TheScratch() {
  static Scratch s;
  return s;
}

[[gnu::always_inline]] inline bool InSet(const MatchContext& m, const CompiledSet& cs, int pos) {
  if (pos >= m.len) return false;
  char16_t c = m.s[pos].unicode();
  if (m.ignoreCase()) c = Lower(c);
  if (cs.bitmap && c < 256) return ((cs.bits[c >> 6] >> (c & 63)) & 1) != cs.set.negated;
  return MatchSet(m, cs.set, pos) >= 0;
}

// Whether the single-character atom of node matches at pos.
[[gnu::always_inline]] inline bool SingleAt(const MatchContext& m, const Program& p,
                                            const Node& node, int pos) {
  if (node.kind == Node::Set) return InSet(m, p.sets[size_t(node.set)], pos);
  if (node.simple.kind == SimpleAtom::Char) {
    if (pos >= m.len) return false;
    const char16_t c = m.s[pos].unicode();
    return (m.ignoreCase() ? Lower(c) : c) == node.simple.ch;
  }
  if (node.simple.kind == SimpleAtom::Dot) return DotAt(m, pos);
  return MatchSimple(m, node.simple, pos) >= 0;
}

// How many characters from pos on (at most limit) the one-character atom of node takes
// one after the other: a loop of its own for each kind of atom.
int RunLength(const MatchContext& m, const Program& p, const Node& node, int pos, int limit) {
  const int end = pos + std::min(limit, m.len - pos);
  int i = pos;
  if (node.kind == Node::Simple && node.simple.kind == SimpleAtom::Char && !m.ignoreCase()) {
    const char16_t ch = node.simple.ch;
    while (i < end && m.s[i].unicode() == ch) ++i;
  } else if (node.kind == Node::Simple && node.simple.kind == SimpleAtom::Dot) {
    if (m.options & 2) return end - pos;
    while (i < end && DotAt(m, i)) ++i;
  } else if (node.kind == Node::Set && p.sets[size_t(node.set)].bitmap) {
    const CompiledSet& cs = p.sets[size_t(node.set)];
    const bool ic = m.ignoreCase();
    for (; i < end; ++i) {
      char16_t c = m.s[i].unicode();
      if (ic) c = Lower(c);
      const bool in = c < 256 ? ((cs.bits[c >> 6] >> (c & 63)) & 1) != cs.set.negated
                              : MatchSet(m, cs.set, i) >= 0;
      if (!in) break;
    }
  } else {
    while (i < end && SingleAt(m, p, node, i)) ++i;
  }
  return i - pos;
}

// The last position from to down to from where the one-character atom of node
// matches, or from - 1.
int LastMatch(const MatchContext& m, const Program& p, const Node& node, int from, int to) {
  int i = to;
  if (node.kind == Node::Simple && node.simple.kind == SimpleAtom::Char) {
    const char16_t ch = node.simple.ch;
    if (i >= m.len) --i;  // no character at the end of the subject
    if (m.ignoreCase()) {
      while (i >= from && Lower(m.s[i].unicode()) != ch) --i;
    } else {
      while (i >= from && m.s[i].unicode() != ch) --i;
    }
    return i;
  }
  while (i >= from && !SingleAt(m, p, node, i)) --i;
  return i;
}

// The first alternative of group from k on that does not fail on its first atom at
// pos (or has no such atom); the calls of those passed over are counted. depth is the
// depth of the call that took the group.
size_t FirstLiveAlternative(MatchContext& m, const Program& p, const Node& group, size_t k, int pos,
                            int depth) {
  for (; k < group.alts.size(); ++k) {
    const auto [guard, cost] = group.guards[k];
    if (!guard || depth + cost >= kDepthLimit || SingleAt(m, p, *guard, pos)) break;
    m.spend(cost);
  }
  return k;
}

// The atom that an attempt takes first and whose failure only costs calls: a
// one-character atom without a quantifier (one call) or with "+" (two calls).
const Node* Guard(const Node& n, int& cost) {
  if (!n.single || (n.q != Quant::None && n.q != Quant::Plus)) return nullptr;
  cost = n.q == Quant::Plus ? 2 : 1;
  return &n;
}

// Fills the guards of every group, once the tree no longer moves.
void SetGuards(std::vector<Seq>& alts) {
  for (Seq& seq : alts) {
    for (Node& n : seq.items) {
      SetGuards(n.alts);
      if (n.kind != Node::Group) continue;
      for (const Seq& alt : n.alts) {
        int cost = 0;
        const Node* guard = nullptr;
        const std::vector<Node>& it = alt.items;
        if (!it.empty() && it[0].kind == Node::Marker) {
          if (it.size() > 1 && (guard = Guard(it[1], cost))) ++cost;
        } else if (!it.empty()) {
          guard = Guard(it[0], cost);
        }
        n.guards.emplace_back(guard, cost);
      }
    }
  }
}

}  // namespace

Program* Compile(const QString& processed, bool ignoreCase) {
  auto* prog = new Program;
  Parser parser{*prog, ignoreCase};
  prog->top = parser.alternatives(processed, 0);
  if (!parser.clean) {
    delete prog;
    return nullptr;
  }
  SetGuards(prog->top);
  if (prog->top.size() == 1 && !prog->top[0].items.empty()) {
    const std::vector<Node>& items = prog->top[0].items;
    const Node& first = items[0];
    if (first.kind == Node::Simple && first.simple.kind == SimpleAtom::Caret &&
        first.q == Quant::None && items.size() > 1) {
      prog->lead = Guard(items[1], prog->leadCost);
      prog->leadAfterCaret = true;
    } else {
      prog->lead = Guard(first, prog->leadCost);
    }
  }
  return prog;
}

void Release(Program* p) { delete p; }

int NextStart(const Program& p, MatchContext& m, int pos, int last) {
  if (!p.lead) return pos;
  const Node& lead = *p.lead;
  if (p.leadAfterCaret) {
    for (; pos <= last; ++pos) {
      if (pos > 0) {
        if (m.options & 4) return pos;  // "^" may hold after a line break
        m.spend(1);
      } else {
        if (SingleAt(m, p, lead, pos)) return pos;
        m.spend(1 + p.leadCost);
      }
    }
    return pos;
  }
  if (lead.kind == Node::Simple && lead.simple.kind == SimpleAtom::Char && !m.ignoreCase()) {
    const char16_t c = lead.simple.ch;
    int at = pos;
    while (at < m.len && m.s[at].unicode() != c) ++at;
    const int found = std::min(at, last + 1);
    m.spend(p.leadCost * (found - pos));
    return found;
  }
  for (; pos <= last; ++pos) {
    if (SingleAt(m, p, lead, pos)) return pos;
    m.spend(p.leadCost);
  }
  return pos;
}

int CompiledMatchAt(MatchContext& m, const Program& prog, int startPos) {
  Scratch& S = TheScratch();
  std::vector<Cell>& cells = S.cells;
  std::vector<Road>& roads = S.roads;
  std::vector<size_t>& barriers = S.barriers;
  cells.clear();
  roads.clear();
  barriers.clear();

  auto alloc = [&](const Cell& c) {
    cells.push_back(c);
    return int(cells.size() - 1);
  };
  auto items = [&](const Seq* s, int idx, int next) {
    if (size_t(idx) >= s->items.size()) return next;
    Cell c;
    c.kind = Cell::Items;
    c.seq = s;
    c.idx = idx;
    c.next = next;
    return alloc(c);
  };
  auto alt = [&](const std::vector<Seq>* alts, int idx, int next) {
    if (size_t(idx) + 1 == alts->size()) return items(&(*alts)[size_t(idx)], 0, next);
    Cell c;
    c.kind = Cell::Alt;
    c.alts = alts;
    c.idx = idx;
    c.next = next;
    return alloc(c);
  };
  auto atom = [&](const Node* node, Quant q, bool lazy, int next) {
    Cell c;
    c.kind = Cell::Atom;
    c.node = node;
    c.q = q;
    c.lazy = lazy;
    c.next = next;
    return alloc(c);
  };
  auto counted = [&](Cell::Kind kind, const Node* node, long long n, bool lazy, int next) {
    Cell c;
    c.kind = kind;
    c.node = node;
    c.n = int(n);
    c.lazy = lazy;
    c.next = next;
    return alloc(c);
  };
  // The cell at i is referenced by nothing but the current state: it is the newest
  // cell and was made after the latest road, so it may be changed in place.
  auto ownedNow = [&](int i) {
    return size_t(i) + 1 == cells.size() && (roads.empty() || roads.back().arena <= size_t(i));
  };
  auto push = [&](int pos, int cont, int depth) {
    Road r{Road::Try};
    r.pos = pos;
    r.cont = cont;
    r.depth = depth;
    r.trail = m.trail.size();
    r.arena = cells.size();
    roads.push_back(r);
  };

  int pos = startPos;
  int cont = alt(&prog.top, 0, -1);
  int depth = 0;
  for (;;) {
    bool ok = true;
    if (cont < 0) {
      if (barriers.empty()) return pos;
      // The innermost lookahead's body has matched: its other roads are dropped.
      const size_t b = barriers.back();
      barriers.pop_back();
      const Road look = roads[b];
      roads.resize(b);
      if (look.negative) {
        ok = false;
      } else {
        cells.resize(look.arena);
        pos = look.pos;
        cont = look.cont;
        depth = look.depth;
        continue;
      }
    }
    if (ok) {
      const int d = depth + 1;
      m.enter(d);
      depth = d;
      // Field by field: the cell was often written a moment ago by parts (a push, an
      // index moved in place), and one wide load of it would wait for those stores.
      const Cell& cell = cells[size_t(cont)];
      Cell c;
      c.kind = cell.kind;
      c.q = cell.q;
      c.lazy = cell.lazy;
      c.next = cell.next;
      std::memcpy(&c.node, &cell.node, sizeof c.node);  // whichever pointer it holds
      c.idx = cell.idx;
      c.n = cell.n;
      const Node* node = nullptr;
      Quant q = Quant::None;
      bool lazy = false;
      int rest = c.next;
      switch (c.kind) {
        case Cell::Alt:
          push(pos, alt(c.alts, c.idx + 1, c.next), d);
          cont = items(&(*c.alts)[size_t(c.idx)], 0, c.next);
          continue;
        case Cell::Items: {
          node = &c.seq->items[size_t(c.idx)];
          q = node->q;
          lazy = node->lazy;
          const std::vector<Node>& its = c.seq->items;
          if (node->fixed) {
            // A run of one-character atoms, each alone or with an exact count, taken
            // without building what follows each of them. The calls are counted as
            // the cells would count them: one per atom, and for a count one more for
            // its copies, copy k taken by the call k - 1 deeper.
            size_t j = size_t(c.idx);
            int at = d;
            for (;;) {
              const Node& it = its[j];
              if (it.q == Quant::None) {
                if (!SingleAt(m, prog, it, pos)) {
                  ok = false;
                  break;
                }
                ++pos;
              } else {
                const int n = int(it.counted.lower);
                m.enter(++at);
                const int run = RunLength(m, prog, it, pos, n);
                if (at + std::min(run, n - 1) >= kDepthLimit) MatchContext::TooManyIterations();
                if (run < n) {
                  m.spend(run);
                  ok = false;
                  break;
                }
                m.spend(n - 1);
                pos += n;
                at += n - 1;
              }
              if (++j == its.size() || !its[j].fixed) break;
              m.enter(++at);
            }
            if (!ok) goto failed;
            depth = at;
            if (j == its.size()) {
              cont = c.next;
            } else if (ownedNow(cont)) {
              cells[size_t(cont)].idx = int(j);
            } else {
              cont = items(c.seq, int(j), c.next);
            }
            continue;
          }
          if (size_t(c.idx) + 1 < its.size() && ownedNow(cont)) {
            ++cells[size_t(cont)].idx;
            rest = cont;
          } else {
            rest = items(c.seq, c.idx + 1, c.next);
          }
          break;
        }
        case Cell::Atom:
          node = c.node;
          q = c.q;
          lazy = c.lazy;
          break;
        case Cell::Copies:
          node = c.node;
          if (node->single) {
            // All copies at once; copy j is taken by the call at depth d + j - 1.
            const int run = RunLength(m, prog, *node, pos, c.n);
            if (run < c.n) {
              if (d + run >= kDepthLimit) MatchContext::TooManyIterations();
              m.spend(run);
              ok = false;
            } else {
              if (d + c.n - 1 >= kDepthLimit) MatchContext::TooManyIterations();
              m.spend(c.n - 1);
              pos += c.n;
              depth = d + c.n - 1;
              cont = c.next;
              continue;
            }
            break;
          }
          if (c.n > 1) rest = counted(Cell::Copies, node, c.n - 1, false, c.next);
          break;
        case Cell::OptGrp: {
          node = c.node;
          const int grp = counted(Cell::Grp, node, c.n, c.lazy, rest);
          if (c.lazy) {
            push(pos, grp, d);
            cont = rest;
          } else {
            push(pos, rest, d);
            cont = grp;
          }
          continue;
        }
        case Cell::Grp: {
          node = c.node;
          const int then = c.n > 1 ? counted(Cell::OptGrp, node, c.n - 1, c.lazy, rest) : rest;
          cont = atom(node, Quant::None, false, then);
          continue;
        }
      }
      if (!ok) goto failed;
      switch (q) {
        case Quant::None:
          switch (node->kind) {
            case Node::Simple:
              if (node->simple.kind == SimpleAtom::Char) {
                ok = pos < m.len && (m.ignoreCase() ? Lower(m.s[pos].unicode())
                                                    : m.s[pos].unicode()) == node->simple.ch;
                ++pos;
              } else {
                pos = MatchSimple(m, node->simple, pos);
                ok = pos >= 0;
              }
              break;
            case Node::Set:
              if (node->single) {
                ok = InSet(m, prog.sets[size_t(node->set)], pos);
                ++pos;
              } else {
                pos = MatchSet(m, prog.sets[size_t(node->set)].set, pos);
                ok = pos >= 0;
              }
              break;
            case Node::Marker:
              m.marker(node->marker, pos, d);
              break;
            case Node::Group: {
              // Alternatives failing on their first atom are passed over with their
              // calls counted, as when the road comes back to them.
              const size_t k = FirstLiveAlternative(m, prog, *node, 0, pos, d);
              if (k == node->alts.size()) {
                ok = false;
                break;
              }
              if (k + 1 < node->alts.size()) {
                Road r{Road::Alts};
                r.group = node;
                r.runs = int(k + 1);
                r.pos = pos;
                r.cont = rest;
                r.depth = d;
                r.trail = m.trail.size();
                r.arena = cells.size();
                roads.push_back(r);
              }
              cont = items(&node->alts[k], 0, rest);
              continue;
            }
            case Node::Look: {
              Road r{Road::Barrier};
              r.negative = node->negative;
              r.pos = pos;
              r.cont = rest;
              r.depth = d;
              r.trail = m.trail.size();
              r.arena = cells.size();
              roads.push_back(r);
              barriers.push_back(roads.size() - 1);
              cont = alt(&node->alts, 0, -1);
              continue;
            }
          }
          if (ok) {
            cont = rest;
            continue;
          }
          break;
        case Quant::Star:
          if (lazy) {
            push(pos, atom(node, Quant::None, false, atom(node, Quant::Star, true, rest)), d);
            cont = rest;
            continue;
          }
          if (node->single) {
            // "A A* Rest" over and over: take the whole run at once. The calls it
            // stands for reach depth d + 2 * run + 1 (the last try of A fails).
            const int run = RunLength(m, prog, *node, pos, m.len - pos);
            if (d + 2 * run + 1 >= kDepthLimit) MatchContext::TooManyIterations();
            m.spend(2 * run + 1);
            if (run > 0) {
              Road r{Road::Run};
              r.pos = pos;
              r.cont = rest;
              r.depth = d;
              r.runs = run - 1;
              if (rest >= 0) {
                const Cell& next = cells[size_t(rest)];
                if (next.kind == Cell::Items) {
                  r.guard = Guard(next.seq->items[size_t(next.idx)], r.guardCost);
                } else if (next.kind == Cell::Atom && next.q == Quant::None) {
                  r.guard = next.node->single ? next.node : nullptr;
                  r.guardCost = 1;
                }
              }
              r.trail = m.trail.size();
              r.arena = cells.size();
              roads.push_back(r);
            }
            pos += run;
            depth = d + 2 * run;
            cont = rest;
            continue;
          }
          push(pos, rest, d);
          cont = atom(node, Quant::None, false, atom(node, Quant::Star, false, rest));
          continue;
        case Quant::Plus:
          cont = atom(node, Quant::None, false, atom(node, Quant::Star, lazy, rest));
          continue;
        case Quant::Opt:
          if (lazy) {
            push(pos, atom(node, Quant::None, false, rest), d);
            cont = rest;
          } else {
            push(pos, rest, d);
            cont = atom(node, Quant::None, false, rest);
          }
          continue;
        case Quant::Count: {
          if (node->countFails) throw node->countError;
          const Counted& k = node->counted;
          int then = rest;
          if (k.upper < 0) {
            then = atom(node, Quant::Star, k.lazy, rest);
          } else if (k.upper == 0) {
            ok = false;
            break;
          } else if (k.upper > k.lower) {
            then = counted(Cell::OptGrp, node, k.upper - k.lower, k.lazy, rest);
          }
          cont = k.lower > 0 ? counted(Cell::Copies, node, k.lower, false, then) : then;
          continue;
        }
      }
    }
  failed:
    // This road failed: take the latest one still to try.
    for (;;) {
      if (roads.empty()) return -1;
      Road& r = roads.back();
      m.undo(r.trail);
      cells.resize(r.arena);
      if (r.kind == Road::Alts) {
        // The next alternative of a group; those failing on their first atom are
        // passed over with their calls counted.
        const std::vector<Seq>& alts = r.group->alts;
        const size_t k = FirstLiveAlternative(m, prog, *r.group, size_t(r.runs), r.pos, r.depth);
        if (k >= alts.size()) {
          roads.pop_back();
          continue;
        }
        pos = r.pos;
        depth = r.depth;
        const int rest = r.cont;
        if (k + 1 < alts.size()) {
          r.runs = int(k + 1);
        } else {
          roads.pop_back();
        }
        cont = items(&alts[k], 0, rest);
        break;
      }
      if (r.kind == Road::Run) {
        if (r.guard) {
          // Give back repetitions while what follows fails on its first atom.
          const int last = LastMatch(m, prog, *r.guard, r.pos, r.pos + r.runs);
          m.spend(r.guardCost * (r.pos + r.runs - last));
          r.runs = last - r.pos;
          if (r.runs < 0) {
            roads.pop_back();
            continue;
          }
        }
        pos = r.pos + r.runs;
        depth = r.depth + 2 * r.runs;
        cont = r.cont;
        if (r.runs == 0) {
          roads.pop_back();
        } else {
          --r.runs;
        }
        break;
      }
      const Road taken = r;
      roads.pop_back();
      if (taken.kind == Road::Barrier) {
        barriers.pop_back();
        if (!taken.negative) continue;  // the body of "(?=" failed, so does the lookahead
      }
      pos = taken.pos;
      cont = taken.cont;
      depth = taken.depth;
      break;
    }
  }
}

}  // namespace mvnz::rx
