// File names are bytes; a path text carries them without loss. Bytes that form UTF-8
// are their characters; each byte that does not is the lone code unit U+DC00 + byte
// (U+DC80..U+DCFF, bytes below 0x80 always decode), and only encodeName turns such a
// unit back into its byte. Valid UTF-8 gives exactly the texts Qt gives.
#include <QByteArray>
#include <QString>

#include "platform/fileops.h"

namespace mvnz::fileops {
namespace {

constexpr char16_t kEscapeBase = 0xdc00;

bool isContinuation(unsigned char c) { return (c & 0xc0) == 0x80; }

// The length of the well-formed UTF-8 sequence at p (n bytes left), 0 when the bytes
// there are no such sequence: overlong forms, encoded surrogates and code points
// beyond U+10FFFF are not UTF-8.
int sequenceLength(const unsigned char* p, qsizetype n) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  int len = 0;
  unsigned char lo = 0x80, hi = 0xbf;  // the range of the second byte
  if (c >= 0xc2 && c <= 0xdf) {
    len = 2;
  } else if (c >= 0xe0 && c <= 0xef) {
    len = 3;
    if (c == 0xe0) lo = 0xa0;
    if (c == 0xed) hi = 0x9f;
  } else if (c >= 0xf0 && c <= 0xf4) {
    len = 4;
    if (c == 0xf0) lo = 0x90;
    if (c == 0xf4) hi = 0x8f;
  } else {
    return 0;
  }
  if (n < len || p[1] < lo || p[1] > hi) return 0;
  for (int i = 2; i < len; ++i)
    if (!isContinuation(p[i])) return 0;
  return len;
}

bool isEscape(char16_t c) { return c >= 0xdc80 && c <= 0xdcff; }

}  // namespace

QString decodeName(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  int len = 0;
  while (i < n && (len = sequenceLength(p + i, n - i)) > 0) i += len;
  if (i == n) return QString::fromUtf8(bytes);

  QString out;
  out.reserve(n);
  qsizetype run = 0;  // start of the well-formed bytes not yet added
  while (i < n) {
    len = sequenceLength(p + i, n - i);
    if (len > 0) {
      i += len;
      continue;
    }
    out += QString::fromUtf8(bytes.constData() + run, i - run);
    out += QChar(char16_t(kEscapeBase + p[i]));
    run = ++i;
  }
  out += QString::fromUtf8(bytes.constData() + run, n - run);
  return out;
}

QByteArray encodeName(const QString& path) {
  const qsizetype n = path.size();
  // A unit of the escape range alone is one byte; paired with a high surrogate before
  // it, it is half of a character beyond the basic plane.
  const auto escapeAt = [&](qsizetype i) {
    return isEscape(path.at(i).unicode()) && (i == 0 || !path.at(i - 1).isHighSurrogate());
  };
  qsizetype i = 0;
  while (i < n && !escapeAt(i)) ++i;
  if (i == n) return path.toUtf8();

  QByteArray out;
  out.reserve(n + 16);
  qsizetype run = 0;
  for (; i < n; ++i) {
    if (!escapeAt(i)) continue;
    out += QStringView(path).mid(run, i - run).toUtf8();
    out += char(path.at(i).unicode() - kEscapeBase);
    run = i + 1;
  }
  out += QStringView(path).mid(run).toUtf8();
  return out;
}

}  // namespace mvnz::fileops
