// The configuration file's exact bytes, and writing them so that a failure keeps the
// old file: every value is checked before anything is written, the text goes to a
// temporary file beside the target, and only a complete file replaces the old one.
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

#include "jobfile_internal.h"
#include "library/jobfile.h"
#include "library/version.h"
#include "platform/fileops.h"

namespace mvnz::jobfile {

namespace {

const QString kSeparator = QStringLiteral("]~[");
const QString kEol = QStringLiteral("\r\n");

QString SystemVersionText() {
  return QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

// What a value holds that the file cannot carry; empty when it can be written.
QString Unwritable(QStringView value) {
  const QChar* d = value.data();
  const qsizetype n = value.size();
  for (qsizetype i = 0; i < n; ++i) {
    if (d[i] == QLatin1Char('\r') || d[i] == QLatin1Char('\n'))
      return QStringLiteral("holds a line break");
    if (d[i] == QLatin1Char(']') && i + 2 < n && d[i + 1] == QLatin1Char('~') &&
        d[i + 2] == QLatin1Char('['))
      return QStringLiteral("holds \"]~[\"");
  }
  return {};
}

// Collects the first value the file cannot carry, named as the user knows it. Field
// names are built only for that one value.
class Checker {
 public:
  void Owner(const QString& owner) { owner_ = owner; }
  template <typename Name>
  void Text(const QString& value, Name field) {
    if (!error_.isEmpty()) return;
    const QString why = Unwritable(value);
    if (!why.isEmpty()) Fail(field(), why);
  }
  void Integer(int value, const QString& field) {
    if (error_.isEmpty() && (value < -32768 || value > 32767))
      Fail(field, QStringLiteral("is beyond -32768 to 32767"));
  }
  void Number(double value, const QString& field) {
    if (error_.isEmpty() && !std::isfinite(value)) Fail(field, QStringLiteral("is no number"));
  }
  void Fail(const QString& field, const QString& why) {
    if (error_.isEmpty())
      error_ = QStringLiteral("<%1>%2 %3; the configuration was not saved").arg(field, owner_, why);
  }
  const QString& error() const { return error_; }

 private:
  QString owner_;
  QString error_;
};

QString JobOwner(const RoziRoruner& r) { return QStringLiteral(" of RoziRoruner [%1]").arg(r.Name); }

// A field name that is simply the key.
auto KeyName(const KeySpec& spec) {
  return [&spec] { return QString::fromLatin1(spec.key); };
}

void CheckGlobals(const GlobalSettings& g, Checker& c) {
  c.Owner(QStringLiteral(" of [CONFIGURATION]"));
  for (const KeySpec& spec : Keys()) {
    if (spec.section != SectionKind::Global) continue;
    if (const QString* text = GlobalText(g, spec.field)) c.Text(*text, KeyName(spec));
    if (spec.form == ValueForm::Switch) c.Integer(SwitchValue(g, spec.field), spec.key);
  }
  for (int n = 1; n <= kConstantCount; ++n)
    c.Text(g.GlobalConstants[n], [n] { return QStringLiteral("GlobalConstant %1").arg(n); });
  c.Integer(g.AutoStartState, QStringLiteral("AutoStartState"));
  if (g.ShowUnstableMessages)
    c.Text(*g.ShowUnstableMessages, [] { return QStringLiteral("ShowUnstableMessages"); });
}

void CheckJob(const RoziRoruner& r, Checker& c) {
  c.Owner(JobOwner(r));
  c.Text(r.Name, [] { return QStringLiteral("Name"); });
  if (r.Name.compare(QLatin1String("CONFIGURATION"), Qt::CaseInsensitive) == 0)
    c.Fail(QStringLiteral("Name"), QStringLiteral("is the name of the global settings"));
  for (const KeySpec& spec : Keys()) {
    if (spec.section != SectionKind::Job) continue;
    if (const QString* text = JobText(r, spec.field)) c.Text(*text, KeyName(spec));
    if (spec.form == ValueForm::Integer) c.Integer(JobIntegerValue(r, spec.field), spec.key);
  }
  c.Number(r.StableTimer, QStringLiteral("StableTimer"));
  for (int n = 1; n <= kConstantCount; ++n)
    c.Text(r.LocalConstants[n], [n] { return QStringLiteral("Constant %1").arg(n); });
  for (qsizetype i = 0; i < r.Commands.size(); ++i) {
    const CommandEntry& e = r.Commands[i];
    c.Text(e.Name, [i] { return QStringLiteral("Command %1").arg(i + 1); });
    for (int k = 1; k <= kParameterCount; ++k)
      c.Text(e.Data[k], [i, k] { return QStringLiteral("Command %1 parameter %2").arg(i + 1).arg(k); });
  }
}

// Job names must differ in more than case: both programs find a section by its name
// without regard to case.
void CheckNames(const QList<RoziRoruner>& jobs, Checker& c) {
  QHash<QString, const RoziRoruner*> seen;
  for (const RoziRoruner& r : jobs) {
    const QString upper = r.Name.toUpper();
    if (const RoziRoruner* first = seen.value(upper)) {
      c.Owner(JobOwner(r));
      c.Fail(QStringLiteral("Name"), QStringLiteral("differs only in case from [%1]").arg(first->Name));
      return;
    }
    seen.insert(upper, &r);
  }
}

// The file's text, built line by line, every value as the caller gives it: the keys
// written trimmed are trimmed by their callers, the others keep their blanks.
class Text {
 public:
  Text() { out_.reserve(1 << 16); }
  void Line(QStringView s = {}) {
    out_ += s;
    End();
  }
  void Key(const char* key, QStringView value) {
    out_ += QLatin1String(key);
    out_ += QLatin1Char('=');
    out_ += value;
    End();
  }
  void Command(const CommandEntry& e) {
    out_ += QLatin1String("Command=");
    out_ += TrimBlanks(e.Name);
    for (int k = 1; k <= kParameterCount; ++k) {
      out_ += kSeparator;
      out_ += e.Data[k];
    }
    End();
  }
  QString take() { return std::move(out_); }

 private:
  void End() { out_ += kEol; }
  QString out_;
};

void WriteGlobals(const GlobalSettings& g, Text& t) {
  t.Line(QStringLiteral("[CONFIGURATION]"));
  for (const KeySpec& spec : Keys()) {
    if (spec.section != SectionKind::Global) continue;
    switch (spec.form) {
      case ValueForm::Constant:
        for (int n = 1; n <= kConstantCount; ++n) t.Key(spec.key, g.GlobalConstants[n]);
        break;
      case ValueForm::Switch:
        t.Key(spec.key, QString::number(SwitchValue(g, spec.field)));
        break;
      case ValueForm::RunMode:
        if (g.AutoStartState != 0) t.Key(spec.key, QString::number(g.AutoStartState));
        break;
      case ValueForm::Optional:
        if (g.ShowUnstableMessages) t.Key(spec.key, *g.ShowUnstableMessages);
        break;
      case ValueForm::TrimmedText:
        t.Key(spec.key, TrimBlanks(*GlobalText(g, spec.field)));
        break;
      default:
        t.Key(spec.key, *GlobalText(g, spec.field));
        break;
    }
  }
  t.Line();
}

void WriteJob(const RoziRoruner& r, Text& t) {
  t.Line(QLatin1Char('[') + r.Name + QLatin1Char(']'));
  for (const KeySpec& spec : Keys()) {
    if (spec.section != SectionKind::Job) continue;
    switch (spec.form) {
      case ValueForm::Integer:
        t.Key(spec.key, QString::number(JobIntegerValue(r, spec.field)));
        break;
      case ValueForm::Boolean:
        t.Key(spec.key, JobBooleanValue(r, spec.field) ? QStringLiteral("True") : QStringLiteral("False"));
        break;
      case ValueForm::Number:
        t.Key(spec.key, NumberText(r.StableTimer));
        break;
      case ValueForm::Command:
        for (const CommandEntry& e : r.Commands)
          if (!TrimBlanks(e.Name).isEmpty()) t.Command(e);
        break;
      case ValueForm::Constant:
        for (int n = 1; n <= kConstantCount; ++n) t.Key(spec.key, r.LocalConstants[n]);
        break;
      case ValueForm::TrimmedText: {
        QString value = TrimBlanks(*JobText(r, spec.field)).toString();
        // Both programs read an empty RunDays as every day; writing that keeps the
        // file what they read.
        if (spec.field == Field::RunDays && value.isEmpty()) value = QStringLiteral("1111111");
        t.Key(spec.key, value);
        break;
      }
      default:
        t.Key(spec.key, *JobText(r, spec.field));
        break;
    }
  }
  t.Line();
}

}  // namespace

Rendered RenderJobFile(const JobFile& file, const QString& versionText) {
  Checker c;
  CheckGlobals(file.Globals, c);
  for (const RoziRoruner& r : file.RoziRoruners) CheckJob(r, c);
  CheckNames(file.RoziRoruners, c);
  if (!c.error().isEmpty()) return {{}, c.error()};

  Text t;
  t.Line(QStringLiteral(";"));
  t.Line(QStringLiteral(";"));
  t.Line(QStringLiteral("; Mervane Zuri - Configuration File"));
  t.Line(QStringLiteral(";"));
  t.Line(QStringLiteral("; Mervane Zuri v") + (versionText.isEmpty() ? SystemVersionText() : versionText));
  t.Line(QStringLiteral(";"));
  t.Line();
  WriteGlobals(file.Globals, t);
  for (const RoziRoruner& r : file.RoziRoruners) WriteJob(r, t);
  t.Line(QStringLiteral(";"));
  t.Line(QStringLiteral("; End of Mervane Zuri - Configuration File"));
  t.Line(QStringLiteral(";"));
  t.Line();
  return {t.take().toUtf8(), {}};
}

WriteResult WriteJobFile(const QString& path, const JobFile& file, const QString& versionText) {
  const auto failed = [&path](const QString& why) {
    return WriteResult{false, QStringLiteral("Error saving configuration to [%1]: %2").arg(path, why)};
  };
  const Rendered rendered = RenderJobFile(file, versionText);
  if (!rendered.error.isEmpty()) return {false, rendered.error};

  const QFileInfo old(path);
  // A new file is 0644: the daemon runs what it says, so no one else may change it.
  std::optional<QFileDevice::Permissions> mode = fileops::createPermissions(0644);
  if (old.exists()) {
    if (!old.isFile()) return failed(QStringLiteral("not a file"));
    constexpr auto kWriteBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(old.permissions() & kWriteBits)) return failed(QStringLiteral("access denied (read-only file)"));
    // The "user" flags describe this process's access, not the file's mode bits.
    mode = old.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
  }
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return failed(out.errorString());
  // The temporary file gets a default mode; the new file keeps the old one's.
  if (mode && !out.setPermissions(*mode)) {
    out.cancelWriting();
    return failed(QStringLiteral("cannot keep the file's mode"));
  }
  if (out.write(rendered.bytes) != rendered.bytes.size()) {
    const QString why = out.errorString();
    out.cancelWriting();
    return failed(why);
  }
  if (!out.commit()) return failed(out.errorString());
  return {true, {}};
}

}  // namespace mvnz::jobfile
