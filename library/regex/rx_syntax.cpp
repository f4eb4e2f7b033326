// Pattern rewriting (escape expansion, group processing), the scanning helpers both
// matchers share, and the matching of single atoms and sets.
#include <cmath>

#include "library/numbers.h"
#include "rx_internal.h"

namespace mvnz::rx {

void Raise(int number, const char* procedure, const QString& message) {
  throw RxError{number, QString::fromLatin1(procedure), message};
}

QString MarkerChar(int n) { return QString(QChar(char16_t(n))); }

QString StripMarkers(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
    } else if (!IsMarker(text[i])) {
      out += text[i];
    }
  }
  return out;
}

qsizetype FindSetEnd(QStringView p, qsizetype open) {
  qsizetype i = open + 1;
  const qsizetype n = p.size();
  if (i < n && p[i] == '^') ++i;
  if (i < n && p[i] == ']') ++i;
  while (i < n) {
    if (p[i] == '\\') {
      i += 2;
    } else if (p[i] == ']') {
      return i;
    } else {
      ++i;
    }
  }
  return -1;
}

namespace {

// Walks p from 'from', calling visit(i) for every character that is neither escaped
// nor inside a set; stops when visit returns true or a set is not closed.
template <typename F>
qsizetype Scan(QStringView p, qsizetype from, F visit) {
  qsizetype i = from;
  while (i < p.size()) {
    const QChar c = p[i];
    if (c == '\\') {
      i += 2;
    } else if (c == '[') {
      const qsizetype e = FindSetEnd(p, i);
      if (e < 0) return -1;
      i = e + 1;
    } else {
      if (visit(i)) return i;
      ++i;
    }
  }
  return -1;
}

bool IsAsciiAlnum(char16_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A character code as pattern text: letters, digits and codes 128..255 stand for
// themselves, every other code is escaped.
QString EscapeChar(int code) {
  const char16_t c = char16_t(code);
  if (IsAsciiAlnum(c) || (code >= 128 && code <= 255)) return QString(QChar(c));
  return QStringLiteral("\\") + QChar(c);
}

int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

const QString& WordClass() {
  static const QString s = QStringLiteral("a-zA-Z0-9_") + QChar(161) + '-' + QChar(255);
  return s;
}

const QString& SpaceClass() {
  static const QString s = QStringLiteral(" \\n\t\r\n");
  return s;
}

}  // namespace

qsizetype FindGroupEnd(QStringView p, qsizetype open) {
  int depth = 0;
  return Scan(p, open, [&](qsizetype i) {
    if (p[i] == '(') {
      ++depth;
    } else if (p[i] == ')') {
      if (--depth == 0) return true;
    }
    return false;
  });
}

qsizetype FindAlternative(QStringView p) {
  int depth = 0;
  return Scan(p, 0, [&](qsizetype i) {
    if (p[i] == '(') {
      ++depth;
    } else if (p[i] == ')') {
      if (depth > 0) --depth;
    } else if (p[i] == '|' && depth == 0) {
      return true;
    }
    return false;
  });
}

std::vector<QStringView> SplitAlternatives(QStringView p) {
  std::vector<QStringView> parts;
  for (;;) {
    const qsizetype bar = FindAlternative(p);
    if (bar < 0) break;
    parts.push_back(p.left(bar));
    p = p.mid(bar + 1);
  }
  parts.push_back(p);
  return parts;
}

QString ExpandEscapes(const QString& pattern) {
  const char* const proc = "ExpandEspaces";
  const qsizetype n = pattern.size();
  QString out;
  out.reserve(n + 16);
  bool inSet = false;
  bool quoting = false;
  qsizetype i = 0;
  auto classText = [&](const QString& cls) {
    if (inSet) {
      out += cls;
    } else {
      out += '[';
      out += cls;
      out += ']';
    }
  };
  while (i < n) {
    const QChar c = pattern[i];
    const char16_t u = c.unicode();
    if (quoting) {
      if (c == '\\' && i + 1 < n && pattern[i + 1] == 'E') {
        quoting = false;
        i += 2;
        continue;
      }
      if (IsAsciiAlnum(u) || (u >= 128 && u <= 255)) {
        out += c;
      } else if (c == '\\') {
        out += QStringLiteral("\\\\");
      } else {
        out += '\\';
        out += c;
      }
      ++i;
      continue;
    }
    if (u < 32) {
      out += '\\';
      out += c;
      ++i;
      continue;
    }
    if (c != '\\') {
      out += c;
      ++i;
      // Every "[" opens and every "]" closes the set state, even a "]" that the set
      // itself takes as a member ("[]\w]" expands its "\w" outside the set).
      if (c == '[') {
        inSet = true;
      } else if (c == ']') {
        inSet = false;
      }
      continue;
    }
    if (i + 1 >= n) {
      out += c;
      ++i;
      continue;
    }
    const QChar e = pattern[i + 1];
    i += 2;
    switch (e.unicode()) {
      case 'w':
        classText(WordClass());
        break;
      case 'W':
        classText(QStringLiteral("^") + WordClass());
        break;
      case 'd':
        classText(QStringLiteral("0-9"));
        break;
      case 'D':
        classText(QStringLiteral("^0-9"));
        break;
      case 's':
        classText(SpaceClass());
        break;
      case 'S':
        classText(QStringLiteral("^") + SpaceClass());
        break;
      case 't':
        out += QStringLiteral("\\\t");
        break;
      case 'r':
        out += QStringLiteral("\\\r");
        break;
      case 'f':
        out += QStringLiteral("\\\n");
        break;
      case 'a':
        out += '\\', out += QChar(7);
        break;
      case 'e':
        out += '\\', out += QChar(27);
        break;
      case 'c': {
        if (i >= n)
          Raise(kErrSyntax, proc, "Control character missing in regular expression: " + pattern);
        const int code = int(pattern[i].toUpper().unicode()) - 64;
        if (code < 0 || code > 31)
          Raise(kErrSyntax, proc, "Invalid control character in regular expression: " + pattern);
        out += '\\';
        out += QChar(char16_t(code));
        ++i;
        break;
      }
      case 'b':
        if (inSet) {
          out += '\\', out += QChar(8);
        } else {
          out += QStringLiteral("\\b");
        }
        break;
      case '0': {
        int v = 0;
        QString digits;
        while (digits.size() < 3 && i < n && pattern[i] >= '0' && pattern[i] <= '7') {
          v = v * 8 + (pattern[i].unicode() - '0');
          digits += pattern[i++];
        }
        if (v > 255)
          Raise(kErrSyntax, proc, "Invalid octal value in regular expression \\0" + digits);
        out += EscapeChar(v);
        break;
      }
      case 'x': {
        int v = 0, count = 0;
        while (count < 2 && i < n && HexDigit(pattern[i]) >= 0) {
          v = v * 16 + HexDigit(pattern[i++]);
          ++count;
        }
        if (count == 0) {
          out += 'x';
        } else {
          out += EscapeChar(v);
        }
        break;
      }
      case 'Q':
        quoting = true;
        break;
      default:
        out += '\\';
        out += e;
        break;
    }
  }
  return out;
}

QString ProcessParentheses(const QString& text, int& groupCount) {
  const qsizetype n = text.size();
  // The ")" closing each "(", found in one walk with the rules of FindGroupEnd.
  std::vector<qsizetype> closeOf(size_t(n), -1);
  {
    std::vector<qsizetype> open;
    Scan(text, 0, [&](qsizetype i) {
      if (text[i] == '(') {
        open.push_back(i);
      } else if (text[i] == ')' && !open.empty()) {
        closeOf[size_t(open.back())] = i;
        open.pop_back();
      }
      return false;
    });
  }
  QString out;
  out.reserve(n + 8);
  std::vector<int> groups;  // open groups: marker number, 0 for one without
  qsizetype i = 0;
  while (i < n) {
    const QChar c = text[i];
    if (c == '\\') {
      out += text.mid(i, 2);
      i += 2;
    } else if (c == '[') {
      const qsizetype e = FindSetEnd(text, i);
      if (e < 0)
        Raise(kErrSyntax, "ProcessParentheses",
              "Invalid regular expression: A closing ] expected.");
      out += QStringView(text).mid(i, e - i + 1);
      i = e + 1;
    } else if (c == '(') {
      const qsizetype close = closeOf[size_t(i)];
      if (close < 0)
        Raise(kErrSyntax, "ProcessParentheses",
              "Invalid regular expression: A closing ) expected: " + StripMarkers(out) +
                  StripMarkers(QStringView(text).mid(i)));
      if (i + 1 < n && text[i + 1] == '?') {
        const QChar kind = i + 2 < close ? text[i + 2] : QChar();
        if (kind == '#') {
          i = close + 1;
        } else if (kind == ':') {
          out += '(';
          groups.push_back(0);
          i += 3;
        } else if (kind == '=' || kind == '!') {
          out += QStringView(text).mid(i, 3);
          groups.push_back(0);
          i += 3;
        } else {
          Raise(kErrSyntax, "ProcessParentheses",
                "Invalid extended regular expression syntax: " + text.mid(i, close - i + 1));
        }
      } else {
        if (groupCount + 1 > kMaxGroups)
          Raise(kErrSyntax, "CreateMatch",
                QStringLiteral("Too many subexpressions in regular expression (max %1).")
                    .arg(kMaxGroups));
        ++groupCount;
        out += '(';
        out += MarkerChar(groupCount);
        groups.push_back(groupCount);
        ++i;
      }
    } else if (c == ')' && !groups.empty()) {
      if (groups.back() != 0) out += MarkerChar(groups.back());
      out += ')';
      groups.pop_back();
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

bool IsQuantifierNext(QStringView p) {
  if (p.isEmpty()) return false;
  const QChar c = p[0];
  if (c == '*' || c == '+' || c == '?') return true;
  return c == '{' && p.indexOf(u'}', 1) >= 0;
}

qsizetype QuantifierLength(QStringView p) {
  qsizetype len = p[0] == '{' ? p.indexOf(u'}', 1) + 1 : 1;
  if (len < p.size() && p[len] == '?') ++len;
  return len;
}

bool IsAnchoredAtStart(QStringView processed) {
  for (QStringView alt : SplitAlternatives(processed)) {
    if (alt.isEmpty() || alt[0] != '^') return false;
    const QStringView after = alt.mid(1);
    if (IsQuantifierNext(after) && after[0] != '+') return false;
  }
  return true;
}

namespace {
// A bound is the number at the front of its text once leading spaces are skipped;
// a space ends it ("1 0" is 1, not 10).
long long BoundValue(QStringView text) {
  while (!text.isEmpty() && text.front() == ' ') text = text.mid(1);
  const qsizetype space = text.indexOf(u' ');
  if (space >= 0) text = text.left(space);
  const double v = std::nearbyint(Val(text.toString()));
  if (!(std::fabs(v) <= 2147483647.0)) throw RxError{6, QString(), QStringLiteral("Overflow")};
  return static_cast<long long>(v);
}
}  // namespace

Counted ReadCounted(QStringView q) {
  const char* const proc = "DoRegExpr";
  Counted c;
  qsizetype close = q.indexOf(u'}');
  c.lazy = close + 1 < q.size() && q[close + 1] == '?';
  const QStringView inner = q.mid(1, close - 1);
  const qsizetype comma = inner.indexOf(u',');
  if (comma < 0) {
    c.lower = c.upper = BoundValue(inner);
    if (c.lower < 0)
      Raise(kErrBounds, proc, "Count is less than zero in regular expression " + q.toString());
    return c;
  }
  c.lower = BoundValue(inner.left(comma));
  const QStringView upper = inner.mid(comma + 1);
  if (upper.isEmpty()) {
    c.upper = -1;
    if (c.lower < 0)
      Raise(kErrBounds, proc,
            "Upper or lower limit is less than zero in regular expression " + q.toString());
    return c;
  }
  c.upper = BoundValue(upper);
  if (c.lower > c.upper)
    Raise(kErrBounds, proc,
          "Upper limit is less than lower limit in regular expression " + q.toString());
  if (c.lower < 0)
    Raise(kErrBounds, proc,
          "Upper or lower limit is less than zero in regular expression " + q.toString());
  return c;
}

bool IsWordChar(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         (c >= 161 && c <= 255);
}

SimpleAtom ClassifyAtom(QStringView atom, bool ignoreCase) {
  SimpleAtom a;
  auto literal = [&](QChar c) {
    a.kind = SimpleAtom::Char;
    a.ch = ignoreCase ? Lower(c.unicode()) : c.unicode();
  };
  if (atom.size() == 1) {
    switch (atom[0].unicode()) {
      case '^':
        a.kind = SimpleAtom::Caret;
        break;
      case '$':
        a.kind = SimpleAtom::Dollar;
        break;
      case '.':
        a.kind = SimpleAtom::Dot;
        break;
      case '\\':
        a.kind = SimpleAtom::AtEnd;
        break;
      default:
        literal(atom[0]);
    }
    return a;
  }
  const QChar e = atom[1];
  switch (e.unicode()) {
    case 'A':
      a.kind = SimpleAtom::StartA;
      break;
    case 'Z':
      a.kind = SimpleAtom::EndZ;
      break;
    case 'n':
      a.kind = SimpleAtom::NewLine;
      break;
    case 'b':
      a.kind = SimpleAtom::WordB;
      break;
    case 'B':
      a.kind = SimpleAtom::NotWordB;
      break;
    default:
      if (e >= '1' && e <= '9') {
        a.kind = SimpleAtom::BackRef;
        a.ch = char16_t(e.unicode() - '0');
      } else {
        literal(e);
      }
  }
  return a;
}

namespace {
bool CrLfAt(const MatchContext& m, int pos) {
  return pos + 1 < m.len && m.s[pos] == '\r' && m.s[pos + 1] == '\n';
}
bool WordBoundary(const MatchContext& m, int pos) {
  const bool here = pos < m.len && IsWordChar(m.s[pos].unicode());
  const bool before = pos > 0 && IsWordChar(m.s[pos - 1].unicode());
  return here != before;
}
}  // namespace

int MatchSimple(const MatchContext& m, const SimpleAtom& a, int pos) {
  switch (a.kind) {
    case SimpleAtom::Char:
      if (pos >= m.len) return -1;
      if (m.ignoreCase() ? Lower(m.s[pos].unicode()) == a.ch : m.s[pos].unicode() == a.ch)
        return pos + 1;
      return -1;
    case SimpleAtom::Caret:
      if (pos == 0) return pos;
      if ((m.options & 4) && pos >= 2 && m.s[pos - 2] == '\r' && m.s[pos - 1] == '\n') return pos;
      return -1;
    case SimpleAtom::Dollar:
      if (pos == m.len) return pos;
      if (m.options & 4) return CrLfAt(m, pos) ? pos : -1;
      return pos + 2 == m.len && CrLfAt(m, pos) ? pos : -1;
    case SimpleAtom::Dot:
      return DotAt(m, pos) ? pos + 1 : -1;
    case SimpleAtom::BackRef: {
      const int n = a.ch;
      if (n > m.groupCount)
        Raise(
            kErrSyntax, "MatchAtom",
            QStringLiteral("Not so many sub-expressions in this regular expression: \\%1").arg(n));
      const SubMatch& g = m.subs[n];
      if (!g.valid) return -1;
      const int len = g.endPos - g.startPos + 1;
      if (len <= 0) return pos;
      if (pos + len > m.len) return -1;
      const QChar* ref = m.s + g.startPos - 1;
      for (int k = 0; k < len; ++k) {
        const char16_t x = m.s[pos + k].unicode(), y = ref[k].unicode();
        if (m.ignoreCase() ? Lower(x) != Lower(y) : x != y) return -1;
      }
      return pos + len;
    }
    case SimpleAtom::StartA:
      return pos == 0 ? pos : -1;
    case SimpleAtom::EndZ:
      return pos == m.len || (pos + 2 == m.len && CrLfAt(m, pos)) ? pos : -1;
    case SimpleAtom::NewLine:
      return CrLfAt(m, pos) ? pos + 2 : -1;
    case SimpleAtom::WordB:
      return WordBoundary(m, pos) ? pos : -1;
    case SimpleAtom::NotWordB:
      return WordBoundary(m, pos) ? -1 : pos;
    case SimpleAtom::AtEnd:
      return pos == m.len ? pos : -1;
  }
  return -1;
}

CharSet ParseSet(QStringView set, bool ignoreCase) {
  CharSet cs;
  QStringView inner = set.mid(1, set.size() - 2);
  if (!inner.isEmpty() && inner[0] == '^') {
    cs.negated = true;
    inner = inner.mid(1);
  }
  cs.text = inner.toString();
  qsizetype i = 0;
  const qsizetype n = inner.size();
  // One item at i: {code, is CR LF}.
  auto item = [&](char16_t& code) {
    bool crlf = false;
    if (inner[i] == '\\' && i + 1 < n) {
      const QChar e = inner[i + 1];
      crlf = e == 'n' || e == 'N';
      code = e.unicode();
      i += 2;
    } else {
      code = inner[i].unicode();
      ++i;
    }
    if (ignoreCase) code = Lower(code);
    return crlf;
  };
  while (i < n) {
    char16_t lo = 0;
    const bool loLong = item(lo);
    if (i + 1 < n && inner[i] == '-') {
      ++i;
      char16_t hi = 0;
      const bool hiLong = item(hi);
      SetItem::Kind k = SetItem::Range;
      if (loLong || hiLong) {
        k = SetItem::LongRange;
      } else if (lo > hi) {
        k = SetItem::BadRange;
      }
      if (k != SetItem::Range) cs.canFail = true;
      cs.items.push_back({k, lo, hi});
    } else {
      cs.items.push_back({loLong ? SetItem::CrLf : SetItem::One, lo, lo});
    }
  }
  return cs;
}

int MatchSet(const MatchContext& m, const CharSet& set, int pos) {
  if (pos >= m.len) return -1;
  const char16_t c1 = m.ignoreCase() ? Lower(m.s[pos].unicode()) : m.s[pos].unicode();
  int taken = 0;
  for (const SetItem& it : set.items) {
    switch (it.kind) {
      case SetItem::One:
        if (c1 == it.lo) taken = 1;
        break;
      case SetItem::CrLf:
        if (CrLfAt(m, pos)) taken = 2;
        break;
      case SetItem::Range:
        if (it.lo <= c1 && c1 <= it.hi) taken = 1;
        break;
      case SetItem::BadRange:
        Raise(kErrBounds, "MatchSquareBrackets",
              "Invalid range in regular expression [" + set.text + "]");
      case SetItem::LongRange:
        Raise(kErrBounds, "MatchSquareBrackets",
              "Range start or end longer than 1 character: [" + StripMarkers(set.text) + "]");
    }
    if (taken) break;
  }
  if (set.negated) return taken ? -1 : pos + 1;
  return taken ? pos + taken : -1;
}

}  // namespace mvnz::rx
