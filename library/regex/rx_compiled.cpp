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
  // Whether the set takes each character below 256, negation applied.
  uint64_t takes[4] = {0, 0, 0, 0};
};

// Whether the bitmap set takes the (lowered) character c.
[[gnu::always_inline]] inline bool Takes(const MatchContext& m, const CompiledSet& cs, int pos,
                                         char16_t c) {
  if (c < 256) return (cs.takes[c >> 6] >> (c & 63)) & 1;
  return MatchSet(m, cs.set, pos) >= 0;
}

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
  // Fixed, first of the fixed atoms that follow one another in its sequence: the
  // index after the last of them, and the matcher calls taking all of them adds to
  // the call that takes this one.
  size_t runEnd = 0;
  int runCalls = 0;
  // First of its run: the run's pieces, Program::pieces[pieceBegin .. pieceEnd - 1].
  bool runStart = false;
  uint32_t pieceBegin = 0;
  uint32_t pieceEnd = 0;
  // Group whose alternatives all have a guard, each a literal or a table set:
  // guardBits holds the characters below 256 (lowered with ignore case) at which
  // some guard holds, guardSum the calls of all guards, guardMax the largest.
  bool guardTable = false;
  int guardSum = 0;
  int guardMax = 0;
  uint64_t guardBits[4] = {0, 0, 0, 0};
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

// A piece of a run of fixed atoms, as the fast road takes it: literal characters
// without a quantifier one after the other, one other atom, a count of copies of a
// table set, or a count of copies of another atom.
struct Piece {
  enum Kind : uint8_t { Literal, One, TableCount, Count } kind = One;
  int count = 1;                     // Literal: characters; counts: copies
  const Node* node = nullptr;        // One and Count
  const CompiledSet* set = nullptr;  // TableCount
  size_t chars = 0;                  // Literal: index of the first in Program::chars
};

}  // namespace

struct Program {
  std::vector<Seq> top;
  std::vector<CompiledSet> sets;
  // An attempt that fails on its first atom (after a leading "^") has no effect but
  // its matcher calls: lead is that atom, leadCost the calls of such an attempt.
  const Node* lead = nullptr;
  bool leadAfterCaret = false;
  int leadCost = 0;
  // A group with a guard table right after a lead without a quantifier: an attempt
  // whose lead matches but none of the group's guards does fails with no effect but
  // its calls too.
  const Node* leadGroup = nullptr;
  std::vector<Piece> pieces;
  std::vector<char16_t> chars;  // the characters of the literal pieces
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
        for (int w = 0; w < 4; ++w) cs.takes[w] = cs.set.negated ? ~cs.bits[w] : cs.bits[w];
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
  if (cs.bitmap) return Takes(m, cs, pos, c);
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
    if (m.ignoreCase()) {
      while (i < end && Takes(m, cs, i, Lower(m.s[i].unicode()))) ++i;
    } else {
      while (i < end && Takes(m, cs, i, m.s[i].unicode())) ++i;
    }
  } else {
    while (i < end && SingleAt(m, p, node, i)) ++i;
  }
  return i - pos;
}

// Takes the run of fixed atoms that starts with first at pos, when neither limit can
// be reached on the way. On a failure adds the calls made up to it, as the atoms
// taken one by one would count them.
bool TakeRun(MatchContext& m, const Program& p, const Node& first, int& pos) {
  long calls = 0;  // one per atom after the first, and a count's copies
  for (uint32_t k = first.pieceBegin; k < first.pieceEnd; ++k) {
    const Piece& piece = p.pieces[k];
    if (k != first.pieceBegin) ++calls;
    const int n = piece.count;
    switch (piece.kind) {
      case Piece::Literal: {
        const char16_t* lit = p.chars.data() + piece.chars;
        const QChar* s = m.s + pos;
        const int avail = std::min(n, m.len - pos);
        int i = 0;
        if (m.ignoreCase()) {
          while (i < avail && Lower(s[i].unicode()) == lit[i]) ++i;
        } else {
          while (i < avail && s[i].unicode() == lit[i]) ++i;
        }
        if (i < n) {
          calls += i;
          goto failed;
        }
        calls += n - 1;
        pos += n;
        break;
      }
      case Piece::One:
        if (!SingleAt(m, p, *piece.node, pos)) goto failed;
        ++pos;
        break;
      case Piece::TableCount: {
        const CompiledSet& cs = *piece.set;
        const QChar* s = m.s + pos;
        const int avail = std::min(n, m.len - pos);
        int i = 0;
        if (m.ignoreCase()) {
          while (i < avail && Takes(m, cs, pos + i, Lower(s[i].unicode()))) ++i;
        } else {
          while (i < avail && Takes(m, cs, pos + i, s[i].unicode())) ++i;
        }
        if (i < n) {
          calls += 1 + i;
          goto failed;
        }
        calls += n;
        pos += n;
        break;
      }
      case Piece::Count: {
        const int run = RunLength(m, p, *piece.node, pos, n);
        if (run < n) {
          calls += 1 + run;
          goto failed;
        }
        calls += n;
        pos += n;
        break;
      }
    }
  }
  return true;
failed:
  m.steps += calls;
  return false;
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

// True when the guard table of group shows that every alternative fails on its guard
// at pos (no guard reaches the nesting limit from depth).
[[gnu::always_inline]] inline bool NoLiveAlternative(const MatchContext& m, const Node& group,
                                                     int pos, int depth) {
  if (!group.guardTable || depth + group.guardMax >= kDepthLimit) return false;
  if (pos >= m.len) return true;  // no one-character atom matches at the end
  char16_t c = m.s[pos].unicode();
  if (m.ignoreCase()) c = Lower(c);
  return c < 256 && !((group.guardBits[c >> 6] >> (c & 63)) & 1);
}

// The first alternative of group from k on that does not fail on its first atom at
// pos (or has no such atom); the calls of those passed over are counted. depth is the
// depth of the call that took the group.
size_t FirstLiveAlternative(MatchContext& m, const Program& p, const Node& group, size_t k, int pos,
                            int depth) {
  if (k == 0 && NoLiveAlternative(m, group, pos, depth)) {
    m.spend(group.guardSum);
    return group.alts.size();
  }
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

// Adds to the guard table of a group the characters below 256 at which guard holds;
// false when that is not known from the character alone.
bool AddToGuardTable(Node& group, const Node& guard, const Program& p) {
  if (guard.kind == Node::Simple && guard.simple.kind == SimpleAtom::Char) {
    const char16_t ch = guard.simple.ch;
    if (ch < 256) group.guardBits[ch >> 6] |= uint64_t(1) << (ch & 63);
    return true;  // a lowered character of 256 or more never equals a larger one
  }
  if (guard.kind != Node::Set || !p.sets[size_t(guard.set)].bitmap) return false;
  const CompiledSet& cs = p.sets[size_t(guard.set)];
  for (int w = 0; w < 4; ++w) group.guardBits[w] |= cs.takes[w];
  return true;
}

void SetGuardTable(Node& group, const Program& p) {
  group.guardTable = !group.guards.empty();
  for (const auto& [guard, cost] : group.guards) {
    if (!guard || !AddToGuardTable(group, *guard, p)) {
      group.guardTable = false;
      return;
    }
    group.guardSum += cost;
    group.guardMax = std::max(group.guardMax, cost);
  }
}

bool IsLiteral(const Node& n) {
  return n.kind == Node::Simple && n.simple.kind == SimpleAtom::Char && n.q == Quant::None;
}

// Splits the run of fixed atoms that starts at items[first] into its pieces.
void SetPieces(std::vector<Node>& items, size_t first, Program& p) {
  Node& start = items[first];
  start.runStart = true;
  start.pieceBegin = uint32_t(p.pieces.size());
  for (size_t i = first; i < start.runEnd; ++i) {
    const Node& n = items[i];
    Piece piece;
    if (IsLiteral(n)) {
      piece.kind = Piece::Literal;
      piece.count = 0;
      piece.chars = p.chars.size();
      for (; i < start.runEnd && IsLiteral(items[i]); ++i, ++piece.count)
        p.chars.push_back(items[i].simple.ch);
      --i;
    } else if (n.q == Quant::Count) {
      piece.count = int(n.counted.lower);
      if (n.kind == Node::Set) {  // a fixed set is a table set
        piece.kind = Piece::TableCount;
        piece.set = &p.sets[size_t(n.set)];
      } else {
        piece.kind = Piece::Count;
        piece.node = &n;
      }
    } else {
      piece.node = &n;
    }
    p.pieces.push_back(piece);
  }
  start.pieceEnd = uint32_t(p.pieces.size());
}

// The calls a fixed atom adds beyond the call that takes it: a count's copies.
int OwnCalls(const Node& n) { return n.q == Quant::None ? 0 : int(n.counted.lower); }

// Fills the guards of every group and the runs of fixed atoms, once the tree no
// longer moves.
void SetGuards(std::vector<Seq>& alts, Program& p) {
  for (Seq& seq : alts) {
    std::vector<Node>& items = seq.items;
    for (size_t i = items.size(); i-- > 0;) {
      Node& n = items[i];
      if (!n.fixed) continue;
      if (i + 1 < items.size() && items[i + 1].fixed) {
        n.runEnd = items[i + 1].runEnd;
        n.runCalls = OwnCalls(n) + 1 + items[i + 1].runCalls;
      } else {
        n.runEnd = i + 1;
        n.runCalls = OwnCalls(n);
      }
    }
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].fixed && (i == 0 || !items[i - 1].fixed)) SetPieces(items, i, p);
    }
    for (Node& n : items) {
      SetGuards(n.alts, p);
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
      SetGuardTable(n, p);
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
  SetGuards(prog->top, *prog);
  if (prog->top.size() == 1 && !prog->top[0].items.empty()) {
    const std::vector<Node>& items = prog->top[0].items;
    const Node& first = items[0];
    if (first.kind == Node::Simple && first.simple.kind == SimpleAtom::Caret &&
        first.q == Quant::None && items.size() > 1) {
      prog->lead = Guard(items[1], prog->leadCost);
      prog->leadAfterCaret = true;
    } else {
      prog->lead = Guard(first, prog->leadCost);
      if (prog->lead && first.q == Quant::None && items.size() > 1 &&
          items[1].kind == Node::Group && items[1].q == Quant::None && items[1].guardTable)
        prog->leadGroup = &items[1];
    }
  }
  return prog;
}

void Release(Program* p) { delete p; }

namespace {

// The first position from pos on (at most last + 1) where the lead atom matches.
int NextLead(const Program& p, MatchContext& m, int pos, int last) {
  const Node& lead = *p.lead;
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

}  // namespace

int NextStart(const Program& p, MatchContext& m, int pos, int last) {
  if (!p.lead) return pos;
  if (p.leadAfterCaret) {
    // At 0 the attempt takes "^" (one call) and fails on the lead; elsewhere "^"
    // fails (one call) unless it may hold after a line break.
    if (pos == 0) {
      if (SingleAt(m, p, *p.lead, 0)) return 0;
      m.spend(1 + p.leadCost);
      pos = 1;
    }
    if (pos > last || (m.options & 4)) return pos;
    m.spend(last + 1 - pos);
    return last + 1;
  }
  for (;; ++pos) {
    pos = NextLead(p, m, pos, last);
    // The attempt would take the lead (one call), enter the group (one call) and
    // try every guard there.
    if (!p.leadGroup || pos > last || !NoLiveAlternative(m, *p.leadGroup, pos + 1, 2)) return pos;
    m.spend(2 + p.leadGroup->guardSum);
  }
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
            if (node->runStart && d + node->runCalls < kDepthLimit &&
                m.steps + node->runCalls <= kStepBudget) {
              // Neither limit can be reached within the run: its calls are added at
              // once.
              if (!TakeRun(m, prog, *node, pos)) goto failed;
              j = node->runEnd;
              m.steps += node->runCalls;
              depth = d + node->runCalls;
            } else {
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
            }
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
              } else if ((node->simple.kind == SimpleAtom::Dollar && pos == m.len) ||
                         (node->simple.kind == SimpleAtom::Caret && pos == 0)) {
                // At the end, or at the start: holds whatever the options.
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
