#include "daemon/logtext.h"

namespace mvnz::mvnd {

namespace {

bool NeedsEscape(char16_t c) {
  return c < 0x20 || (c >= 0x7f && c <= 0x9f) || QChar::isSurrogate(c);
}

void AppendHex(QString& out, const char* prefix, unsigned value, int digits) {
  out += QLatin1String(prefix);
  out += QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0'));
}

}  // namespace

QString EscapeLogText(const QString& text) {
  qsizetype first = 0;
  while (first < text.size() && !NeedsEscape(text.at(first).unicode())) ++first;
  if (first == text.size()) return text;

  QString out = text.left(first);
  out.reserve(text.size() + 8);
  for (qsizetype i = first; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (!NeedsEscape(c)) {
      out += QChar(c);
    } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
               QChar::isLowSurrogate(text.at(i + 1).unicode())) {
      out += QChar(c);  // a valid pair: a character beyond the basic plane
      out += text.at(++i);
    } else if (c == u'\n') {
      out += QLatin1String("\\n");
    } else if (c == u'\r') {
      out += QLatin1String("\\r");
    } else if (c == u'\t') {
      out += QLatin1String("\\t");
    } else if (c < 0x20 || c == 0x7f) {
      AppendHex(out, "\\x", c, 2);
    } else if (c >= 0xdc80 && c <= 0xdcff) {
      AppendHex(out, "\\x", c - 0xdc00, 2);  // a byte that is not UTF-8
    } else {
      AppendHex(out, "\\u", c, 4);
    }
  }
  return out;
}

}  // namespace mvnz::mvnd
