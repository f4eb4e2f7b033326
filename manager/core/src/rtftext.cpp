#include "manager/rtftext.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cstring>

#include "platform/paths.h"

namespace mvnz::manager {

namespace {

// Groups whose first control word names one of these hold no document text.
bool isSkippedDestination(const QByteArray& word) {
  static const char* const kWords[] = {
      "fonttbl",  "colortbl",   "stylesheet", "info",     "pict",         "object",
      "header",   "headerl",    "headerr",    "headerf",  "footer",       "footerl",
      "footerr",  "footerf",    "listtable",  "listoverridetable",        "rsidtbl",
      "generator", "xmlnstbl",  "themedata",  "colorschememapping",       "latentstyles",
      "datastore", "filetbl",   "revtbl",     "fldinst",  "nonshppict"};
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](const char* w) { return word == w; });
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class RtfReader {
 public:
  explicit RtfReader(const QByteArray& data) : in_(data) {}

  QString run() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        if (stack_.size() >= kMaxRtfDepth) break;
        stack_.append(group_);
        groupStart_ = true;
      } else if (c == '}') {
        if (stack_.isEmpty()) break;
        group_ = stack_.takeLast();
        if (stack_.isEmpty()) break;  // the document's own group closed: nothing follows
        groupStart_ = false;
        pendingSkip_ = 0;
      } else if (c == '\\') {
        if (!controlSymbolOrWord()) break;
      } else if (c != '\r' && c != '\n') {  // raw line breaks carry no text
        groupStart_ = false;
        text(QChar(uchar(c)));
      }
    }
    return out_;
  }

 private:
  struct Group {
    bool skip = false;
    int unicodeSkip = 1;  // \ucN: characters standing in for each \uN
  };

  void text(QChar ch) {
    if (group_.skip) return;
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return;
    }
    out_ += ch;
  }

  // After a backslash; false when the document ends inside it.
  bool controlSymbolOrWord() {
    if (pos_ >= in_.size()) return false;
    const char c = in_[pos_];
    if (isLetter(c)) return controlWord();
    ++pos_;
    const bool first = groupStart_;
    groupStart_ = false;
    switch (c) {
      case '*':
        if (first) group_.skip = true;
        return true;
      case '\'': {
        if (pos_ + 2 > in_.size()) return false;
        const int hi = hexValue(in_[pos_]), lo = hexValue(in_[pos_ + 1]);
        pos_ += 2;
        if (hi >= 0 && lo >= 0) text(QChar(hi * 16 + lo));  // the ANSI code page as Latin-1
        return true;
      }
      case '\\':
      case '{':
      case '}': text(QLatin1Char(c)); return true;
      case '~': text(QLatin1Char(' ')); return true;
      case '_': text(QLatin1Char('-')); return true;
      case '\r':
      case '\n': text(QLatin1Char('\n')); return true;
      default: return true;  // other symbols (optional hyphen, formula ...) show nothing
    }
  }

  bool controlWord() {
    const qsizetype start = pos_;
    while (pos_ < in_.size() && isLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    const QByteArray word = in_.mid(start, pos_ - start);
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    const qsizetype digits = pos_;
    long long value = 0;
    while (pos_ < in_.size() && isDigit(in_[pos_]) && pos_ - digits < 10)
      value = value * 10 + (in_[pos_++] - '0');
    const bool hasValue = pos_ > digits;
    if (pos_ >= in_.size()) return false;  // cut inside the word or before its delimiter
    if (in_[pos_] == ' ') ++pos_;
    if (negative) value = -value;

    const bool first = groupStart_;
    groupStart_ = false;
    if (first && isSkippedDestination(word)) group_.skip = true;
    if (word == "bin") {  // binary data: never text
      pos_ += std::min<qsizetype>(hasValue ? qsizetype(std::max(0LL, value)) : 0, in_.size() - pos_);
      return true;
    }
    if (word == "uc") {
      group_.unicodeSkip = hasValue ? int(std::clamp(value, 0LL, 8LL)) : 1;
    } else if (word == "u" && hasValue) {
      text(QChar(char16_t(value < 0 ? value + 65536 : value)));
      pendingSkip_ = group_.unicodeSkip;
    } else if (word == "par" || word == "line") {
      text(QLatin1Char('\n'));
    } else if (word == "tab") {
      text(QLatin1Char('\t'));
    }
    return true;
  }

  const QByteArray& in_;
  qsizetype pos_ = 0;
  QString out_;
  QList<Group> stack_;
  Group group_;
  bool groupStart_ = false;
  int pendingSkip_ = 0;
};

}  // namespace

std::optional<QString> RtfToText(const QByteArray& data) {
  if (!data.startsWith("{\\rtf")) return std::nullopt;
  return RtfReader(data).run();
}

std::optional<QString> ReadRtfFile(const QString& path) {
  // Only a regular file: a pipe or device there would block or never end.
  const QFileInfo info(path);
  if (!info.isFile()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return RtfToText(file.read(kMaxCreditsBytes));
}

QString CreditsFilePath() {
  return paths::join(paths::bundledDir(paths::Bundled::Credits), QStringLiteral("credits.rtf"));
}

}  // namespace mvnz::manager
