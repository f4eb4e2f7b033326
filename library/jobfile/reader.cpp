// One pass over the configuration file: every line is read once, applied to the
// section it stands in, and reported when it cannot be taken as written. A bad line
// changes nothing and the rest of its section is still read.
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jobfile_internal.h"
#include "library/jobfile.h"
#include "library/numbers.h"

namespace mvnz::jobfile {

namespace {

// Cuts text into lines as it comes, in pieces of any size, and calls take(view) for
// each line (the view lasts only for the call). Lines split on LF; a CR right before
// the LF belongs to the line end, any other CR stays in the text. Each line is UTF-8,
// or Latin-1 when it is not valid UTF-8. Lines are decoded one by one into one buffer,
// so a large file is never held whole in memory.
class LineSplitter {
 public:
  template <typename Take>
  void Feed(QByteArrayView bytes, Take& take) {
    while (!bytes.isEmpty()) {
      const qsizetype lf = bytes.indexOf('\n');
      if (lf < 0) {
        carry_ += bytes;
        return;
      }
      if (carry_.isEmpty()) {
        Emit(bytes.first(lf), take);
      } else {
        carry_ += bytes.first(lf);
        Emit(carry_, take);
        carry_.clear();
      }
      bytes = bytes.sliced(lf + 1);
    }
  }
  // The last line, when the text does not end in LF.
  template <typename Take>
  void Finish(Take& take) {
    if (!carry_.isEmpty()) Emit(carry_, take);
    carry_.clear();
  }

 private:
  template <typename Take>
  void Emit(QByteArrayView raw, Take& take) {
    if (raw.endsWith('\r')) raw.chop(1);
    const qsizetype len = raw.size();
    buffer_.resize(len);  // a UTF-8 line never decodes to more UTF-16 units than bytes
    utf8_.resetState();
    QChar* out = utf8_.appendToBuffer(buffer_.data(), raw);
    if (utf8_.hasError()) {
      for (qsizetype i = 0; i < len; ++i) buffer_[i] = QChar(static_cast<uchar>(raw[i]));
      out = buffer_.data() + len;
    }
    take(QStringView(buffer_.data(), out - buffer_.data()));
  }

  QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
  QString buffer_;
  QByteArray carry_;  // the start of a line whose end has not come yet
};

// Positions of the "]~[" separators in s, up to limit of them; returns how many were
// found (limit + 1 when there are more). One plain scan, cheaper than a string search
// for a needle this short.
int FindSeparators(QStringView s, qsizetype* at, int limit) {
  int n = 0;
  const QChar* d = s.data();
  for (qsizetype i = 0; i + 2 < s.size(); ++i) {
    if (d[i] != QLatin1Char(']') || d[i + 1] != QLatin1Char('~') || d[i + 2] != QLatin1Char('['))
      continue;
    if (n == limit) return limit + 1;
    at[n++] = i;
    i += 2;
  }
  return n;
}

bool HasSeparator(QStringView s) {
  qsizetype at = 0;
  return FindSeparators(s, &at, 1) > 0;
}

// Upper-cased key -> its spec, for one kind of section.
const QHash<QString, const KeySpec*>& KeyIndex(SectionKind kind) {
  static const auto build = [](SectionKind k) {
    QHash<QString, const KeySpec*> index;
    for (const KeySpec& spec : Keys())
      if (spec.section == k) index.insert(QString::fromLatin1(spec.key).toUpper(), &spec);
    return index;
  };
  static const QHash<QString, const KeySpec*> global = build(SectionKind::Global);
  static const QHash<QString, const KeySpec*> job = build(SectionKind::Job);
  return kind == SectionKind::Global ? global : job;
}

// What applying one value gave: nothing to report, or a reason and what was done.
struct Outcome {
  QString why;
  FaultAction action = FaultAction::Skipped;
  bool savedBack = false;  // see Fault::savedBack
  explicit operator bool() const { return !why.isEmpty(); }
};

Outcome Skip(const QString& why) { return {why, FaultAction::Skipped}; }
// Kept, but a save drops or refuses it.
Outcome Keep(const QString& why) { return {why, FaultAction::Kept}; }
// Kept, and a save writes it back as it stands.
Outcome KeepWritten(const QString& why) { return {why, FaultAction::Kept, true}; }

// The comment lines the writer puts at the file's head and end.
bool WritersComment(QStringView line) {
  while (line.endsWith(QLatin1Char(' '))) line.chop(1);
  return line == QLatin1String(";") || line == QLatin1String("; Mervane Zuri - Configuration File") ||
         line == QLatin1String("; End of Mervane Zuri - Configuration File") ||
         line.startsWith(QLatin1String("; Mervane Zuri v"));
}
Outcome ReadAs(const QString& text) {
  return {QStringLiteral("read as ") + text, FaultAction::Replaced};
}

// Reports a number whose text is not the one the writer would give it.
Outcome CheckNumberText(const QString& value, const QString& canonical) {
  return value == canonical ? Outcome{} : ReadAs(canonical);
}

class Reader {
 public:
  explicit Reader(const ReadOptions& options) : options_(options) {
    result_.file.Globals = options.startGlobals;
  }

  // The next piece of the file's bytes.
  void Feed(QByteArrayView bytes) { lines_.Feed(bytes, take_); }
  ReadResult Finish() {
    lines_.Finish(take_);
    result_.hasGlobals = sawGlobal_;
    return std::move(result_);
  }

 private:
  // Passed: a RoziRoruner section while only the global settings are read.
  enum class Where { Nowhere, Global, Job, Passed };

  void Report(int line, QStringView text, const Outcome& o) {
    result_.faults.append({line, section_, text.toString(), o.why, o.action, inSection_, o.savedBack});
  }

  void ReadLine(int number, QStringView line) {
    if (line.startsWith(QLatin1Char('['))) return ReadHeader(number, line);
    if (where_ == Where::Passed) return;
    const QStringView trimmed = TrimBlanks(line);
    if (trimmed.startsWith(QLatin1Char(';'))) return ReadComment(number, line);
    if (trimmed.isEmpty()) return;
    if (line.startsWith(QLatin1Char(' ')))
      return Report(number, line, {QStringLiteral("indented line"), FaultAction::Ignored});
    if (where_ == Where::Nowhere)
      return Report(number, line, {QStringLiteral("outside a section"), FaultAction::Ignored});
    Outcome o = ReadKeyLine(trimmed);
    if (!o && line.contains(QLatin1Char('\r')))
      o = Keep(QStringLiteral("holds a carriage return, which a save refuses"));
    if (o) Report(number, line, o);
  }

  void ReadComment(int number, QStringView line) {
    if (options_.reportComments && !WritersComment(line))
      Report(number, line, {QStringLiteral("comment, a save does not keep it"), FaultAction::Ignored});
  }

  void ReadHeader(int number, QStringView line) {
    QString name;
    Outcome o;
    if (line.size() >= 2 && line.endsWith(QLatin1Char(']'))) {
      name = line.mid(1, line.size() - 2).toString();
    } else {
      QStringView rest = line.mid(1);
      while (!rest.isEmpty() && rest.back() == QLatin1Char(' ')) rest.chop(1);
      if (rest.endsWith(QLatin1Char(']'))) rest.chop(1);
      name = rest.toString();
      o = ReadAs(QLatin1Char('[') + name + QLatin1Char(']'));
      o.why = QStringLiteral("header does not end in \"]\", ") + o.why;
    }
    section_ = name;
    inSection_ = true;
    const QString upper = name.toUpper();
    if (upper == QLatin1String("CONFIGURATION")) {
      // A second [CONFIGURATION]: its keys still count, so nothing is lost on save.
      if (sawGlobal_ && !o)
        o = Keep(QStringLiteral("another [CONFIGURATION] section, read into the same settings"));
      sawGlobal_ = true;
      where_ = Where::Global;
    } else if (options_.globalsOnly) {
      where_ = Where::Passed;
      return;
    } else {
      const auto seen = firstHeader_.constFind(upper);
      if (seen != firstHeader_.cend() && !o) {
        const QString how = seen->first == name ? QStringLiteral("same name as")
                                                : QStringLiteral("name differs only in case from");
        o = Keep(QStringLiteral("%1 [%2] at line %3, a save refuses it until renamed")
                     .arg(how, seen->first)
                     .arg(seen->second));
      }
      if (seen == firstHeader_.cend()) firstHeader_.insert(upper, {name, number});
      result_.file.RoziRoruners.emplaceBack().Name = name;
      nextConstant_ = 1;
      where_ = Where::Job;
      if (options_.sectionStarted) options_.sectionStarted(name);
    }
    if (o) Report(number, line, o);
  }

  Outcome ReadKeyLine(QStringView trimmed) {
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0) return Skip(QStringLiteral("no \"=\""));
    QStringView keyText = trimmed.left(eq);
    key_.resize(keyText.size());
    for (qsizetype i = 0; i < keyText.size(); ++i) key_[i] = keyText[i].toUpper();
    const SectionKind kind = where_ == Where::Global ? SectionKind::Global : SectionKind::Job;
    const KeySpec* spec = KeyIndex(kind).value(key_);
    if (!spec) return UnknownKey(kind, key_);
    const QStringView value = trimmed.mid(eq + 1);
    if (spec->form == ValueForm::Command) return ApplyCommand(result_.file.RoziRoruners.last(), value);
    return Apply(*spec, value.toString());
  }

  static Outcome UnknownKey(SectionKind kind, const QString& key) {
    const auto& here = KeyIndex(kind);
    const SectionKind other = kind == SectionKind::Global ? SectionKind::Job : SectionKind::Global;
    QString why = QStringLiteral("unknown key");
    if (here.contains(key.trimmed()))
      why = QStringLiteral("blank before \"=\"");
    else if (KeyIndex(other).contains(key))
      why = kind == SectionKind::Global ? QStringLiteral("a RoziRoruner key in [CONFIGURATION]")
                                        : QStringLiteral("a [CONFIGURATION] key in a RoziRoruner");
    return {why, FaultAction::Ignored};
  }

  Outcome Apply(const KeySpec& spec, const QString& value) {
    const Outcome o = spec.section == SectionKind::Global
                          ? ApplyGlobal(spec, value)
                          : ApplyJob(result_.file.RoziRoruners.last(), spec, value);
    if (!o && HasSeparator(value))
      return Keep(QStringLiteral("holds \"]~[\", which a save refuses"));
    return o;
  }

  Outcome ApplyGlobal(const KeySpec& spec, const QString& value) {
    GlobalSettings& g = result_.file.Globals;
    switch (spec.field) {
      case Field::GlobalConstant:
        if (nextGlobalConstant_ > kConstantCount)
          return Skip(QStringLiteral("more than 15 global constants"));
        g.GlobalConstants[nextGlobalConstant_++] = value;
        return {};
      case Field::AutoStartState:
        return ApplyRunMode(value, g);
      case Field::ShowUnstableMessages:
        g.ShowUnstableMessages = value;
        return {};
      case Field::EnableLogging:
      case Field::AutoLogInternalCommands:
      case Field::AutoStart:
        return ApplySwitch(value, SwitchField(g, spec.field));
      default:
        *GlobalText(g, spec.field) = value;
        return {};
    }
  }

  Outcome ApplySwitch(const QString& value, int* field) const {
    const auto n = LeadingInt16(value);
    if (!n) return Skip(QStringLiteral("number out of range"));
    if (options_.policy.switches == SwitchRule::ZeroOneTwo && (*n < 0 || *n > 2))
      return Skip(QStringLiteral("not 0, 1 or 2"));
    *field = *n;
    return CheckNumberText(value, QString::number(*n));
  }

  Outcome ApplyRunMode(const QString& value, GlobalSettings& g) const {
    int mode = 0;
    Outcome o;
    if (options_.policy.runMode == RunModeRule::OneToFourOrNormal) {
      static const QStringList kModes{"1", "2", "3", "4"};
      mode = static_cast<int>(kModes.indexOf(value)) + 1;
      if (mode == 0) {
        mode = 1;
        o = ReadAs(QStringLiteral("1"));
        o.why = QStringLiteral("not 1 to 4, ") + o.why;
      }
    } else {
      const auto n = LeadingInt16(value);
      if (!n) return Skip(QStringLiteral("number out of range"));
      mode = *n;
      o = CheckNumberText(value, QString::number(mode));
    }
    g.AutoStartState = mode;
    g.NoTrayIcon = mode == 4 && g.AutoStart == 1;
    return o;
  }

  Outcome ApplyJob(RoziRoruner& r, const KeySpec& spec, const QString& value) {
    switch (spec.form) {
      case ValueForm::Integer: {
        const auto n = LeadingInt16(value);
        if (!n) return Skip(QStringLiteral("number out of range"));
        *JobInteger(r, spec.field) = *n;
        return CheckNumberText(value, QString::number(*n));
      }
      case ValueForm::Boolean: {
        const auto b = ParseBoolean(value);
        if (!b) return Skip(QStringLiteral("not True, False or a number"));
        *JobBoolean(r, spec.field) = *b;
        return {};
      }
      case ValueForm::Number:
        r.StableTimer = LeadingNumber(value);
        return CheckNumberText(value, NumberText(r.StableTimer));
      case ValueForm::Constant:
        if (nextConstant_ > kConstantCount) return Skip(QStringLiteral("more than 15 constants"));
        r.LocalConstants[nextConstant_++] = value;
        return {};
      default:
        break;
    }
    *JobText(r, spec.field) = value;
    switch (spec.field) {
      case Field::RunDays:
        if (value.isEmpty()) r.RunDays = QStringLiteral("1111111");
        return {};
      case Field::Trigger:
        if (value != QLatin1String("FILE") && value != QLatin1String("TIME"))
          return KeepWritten(QStringLiteral("not FILE or TIME"));
        return {};
      case Field::InputFilter:
      case Field::RejectFilter:
        return CheckFilter(value);
      default:
        return {};
    }
  }

  Outcome CheckFilter(const QString& value) const {
    if (!options_.filterError || value.isEmpty()) return {};
    const QString error = options_.filterError(value);
    return error.isEmpty() ? Outcome{} : KeepWritten(error);
  }

  // The one copy of a command name: scripts repeat a few names many times.
  QString Shared(QStringView name) {
    const QString text = name.toString();
    const auto known = names_.constFind(text);
    if (known != names_.cend()) return *known;
    names_.insert(text);
    return text;
  }

  Outcome ApplyCommand(RoziRoruner& r, QStringView value) {
    // A line with more than 30 parameters changes nothing.
    qsizetype at[kParameterCount];
    const int separators = FindSeparators(value, at, kParameterCount);
    if (separators > kParameterCount) return Skip(QStringLiteral("more than 30 parameters"));
    // Piece k runs from begin(k) to end(k); piece 0 is the name.
    const auto begin = [&](int k) { return k == 0 ? qsizetype(0) : at[k - 1] + 3; };
    const auto end = [&](int k) { return k < separators ? at[k] : value.size(); };
    int last = separators;  // the last parameter that is not empty
    while (last > 0 && end(last) == begin(last)) --last;
    QList<QString> data(last + 1);
    for (int k = 1; k <= last; ++k)
      if (end(k) > begin(k)) data[k] = value.sliced(begin(k), end(k) - begin(k)).toString();
    CommandEntry& e = r.Commands.emplaceBack();
    if (end(0) > 0) e.Name = Shared(value.left(end(0)));
    e.Data = Parameters(std::move(data));
    const QString& name = e.Name;
    const QString bare = name.startsWith(QLatin1Char('!')) ? name.mid(1) : name;
    if (TrimBlanks(bare).isEmpty())
      return Keep(QStringLiteral("command without a name, a save drops it"));
    if (options_.knownCommand && !options_.knownCommand(bare))
      return KeepWritten(QStringLiteral("no module provides [%1]").arg(bare));
    return {};
  }

  const ReadOptions& options_;
  ReadResult result_;
  LineSplitter lines_;
  int number_ = 0;  // of the line being read
  std::function<void(QStringView)> take_ = [this](QStringView line) { ReadLine(++number_, line); };
  QSet<QString> names_;  // command names read so far
  Where where_ = Where::Nowhere;
  QString section_;
  bool inSection_ = false;
  QString key_;  // the upper-cased key of the line being read
  bool sawGlobal_ = false;
  int nextGlobalConstant_ = 1;
  int nextConstant_ = 1;
  QHash<QString, std::pair<QString, int>> firstHeader_;  // upper name -> (name, line)
};

}  // namespace

ReadResult ParseJobFile(const QByteArray& bytes, const ReadOptions& options) {
  Reader reader(options);
  reader.Feed(bytes);
  return reader.Finish();
}

std::optional<FileStamp> StampOf(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  return StampOf(st);
}

FileStamp StampOf(const struct stat& st) {
  const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), ns(st.st_mtim),
          ns(st.st_ctim)};
}

ReadResult ReadFileOnce(const QString& path, const ReadOptions& options, ReadStamps* stamps) {
  ReadResult failed;
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) {
    failed.status = ReadStatus::Missing;
    failed.error = QStringLiteral("Config-file not found [%1]").arg(path);
    return failed;
  }
  failed.status = ReadStatus::Unreadable;
  // Opened without waiting and judged by the open descriptor: a pipe put at the path
  // after a look by name could otherwise hold the open for good.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failed.error = QStringLiteral("Config-file cannot be read [%1][%2]")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return failed;
  }
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    ::close(fd);
    failed.error = QStringLiteral("Config-file is not a file [%1]").arg(path);
    return failed;
  }
  QFile f;
  if (!f.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    failed.error = QStringLiteral("Config-file cannot be read [%1][%2]").arg(path, f.errorString());
    return failed;
  }
  const auto stampOpen = [&f]() -> std::optional<FileStamp> {
    struct stat st {};
    if (::fstat(f.handle(), &st) != 0) return std::nullopt;
    return StampOf(st);
  };
  if (stamps) stamps->atOpen = stampOpen();
  // Read piece by piece into one small buffer: fresh memory for a copy of a large file
  // costs more than reading it.
  Reader reader(options);
  QByteArray piece(64 * 1024, Qt::Uninitialized);
  qint64 n = 0;
  while ((n = f.read(piece.data(), piece.size())) > 0) reader.Feed(QByteArrayView(piece.constData(), n));
  if (n < 0 || f.error() != QFileDevice::NoError) {
    failed.error = QStringLiteral("Config-file cannot be read [%1][%2]").arg(path, f.errorString());
    return failed;
  }
  if (stamps) {
    stamps->afterRead = stampOpen();
    stamps->pathAfterRead = StampOf(path);
  }
  return reader.Finish();
}

QString FaultText(const Fault& f) {
  static const char* const kActions[] = {"skipped", "ignored", "replaced", "kept"};
  QString head;
  if (f.inSection) head = QStringLiteral("section [") + f.section.toUpper() + QStringLiteral("] ");
  return head + QStringLiteral("line ") + QString::number(f.line) + QLatin1Char(' ') +
         QLatin1String(kActions[static_cast<int>(f.action)]) + QStringLiteral(" [") + f.text +
         QStringLiteral("][") + f.why + QLatin1Char(']');
}

QString FaultMessage(const Fault& f) { return QStringLiteral("WARNING: Configuration ") + FaultText(f); }

}  // namespace mvnz::jobfile
