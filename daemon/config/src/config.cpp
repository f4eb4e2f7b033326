#include "daemon/config.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "daemon/logging.h"
#include "library/numbers.h"
#include "library/regwrap.h"

namespace mvnz::mvnd {

bool ReadTextLines(const QString& path, QStringList* lines) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray all = f.readAll();
  lines->clear();
  qsizetype start = 0;
  while (start < all.size()) {
    qsizetype end = all.indexOf('\n', start);
    const bool last = end < 0;
    if (last) end = all.size();
    QByteArray raw = all.mid(start, end - start);
    if (raw.endsWith('\r')) raw.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString line = utf8.decode(raw);
    if (utf8.hasError()) line = QString::fromLatin1(raw);
    lines->append(line);
    start = end + 1;
  }
  return true;
}

QString DaemonSettingsKey(const Daemon& d) {
  return QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon") + d.SettingsKeySuffix;
}

namespace {

// Why a line ended the section; empty when the line was stored or ignored.
using Fault = QString;

Fault ApplyInt(const QString& value, int* field) {
  const auto n = LeadingInt16(value);
  if (!n) return QStringLiteral("number out of range");
  *field = *n;
  return {};
}

Fault ApplyBool(const QString& value, bool* field) {
  const auto b = ParseBoolean(value);
  if (!b) return QStringLiteral("not True, False or a number");
  *field = *b;
  return {};
}

Fault ApplyGlobalKey(Daemon& d, const QString& key, const QString& value, SectionCounters& c) {
  if (key == QLatin1String("LOGDIRECTORY")) {
    d.LogDirectory = value;
  } else if (key == QLatin1String("ENABLELOGGING")) {
    return ApplyInt(value, &d.EnableLogging);
  } else if (key == QLatin1String("AUTOLOGINTERNALCOMMANDS")) {
    return ApplyInt(value, &d.AutoLogInternalCommands);
  } else if (key == QLatin1String("INITIALGLOBALSVALUE")) {
    d.InitialGlobalsValue = value;
  } else if (key == QLatin1String("SHOWUNSTABLEMESSAGES")) {
    d.ShowUnstableMessages = value.isEmpty() || value == QLatin1String("1");
  } else if (key == QLatin1String("GLOBALCONSTANT")) {
    if (c.NextGlobalConstant >= kConstantSlots)
      return QStringLiteral("more than 15 global constants");
    d.GlobalConstants[c.NextGlobalConstant++] = value;
  } else if (key == QLatin1String("AUTOSTART")) {
    return ApplyInt(value, &d.AutoStartEnabled);
  } else if (key == QLatin1String("AUTOSTARTSTATE")) {
    d.NoTrayIcon = false;
    if (Fault f = ApplyInt(value, &d.AutoStartState); !f.isEmpty()) return f;
    if (d.AutoStartState == 4 && d.AutoStartEnabled == 1) d.NoTrayIcon = true;
  } else if (key == QLatin1String("ROZIRORUTITLE")) {
    if (!value.isEmpty()) d.MainCaption = value;
  }
  return {};
}

Fault ApplyCommand(RoziRoruner& r, const QString& value, SectionCounters& c) {
  const QStringList pieces = value.split(QStringLiteral("]~["));
  if (pieces.size() - 1 > kMaxParameters) return QStringLiteral("more than 30 parameters");
  CommandEntry e;
  e.Name = pieces[0];
  for (int k = 1; k < pieces.size(); ++k) e.Data[k] = pieces[k];
  if (r.Commands.size() < c.NextCommand + 1) r.Commands.resize(c.NextCommand + 1);
  r.Commands[c.NextCommand] = e;
  r.CommandCount = c.NextCommand;
  ++c.NextCommand;
  return {};
}

Fault ApplyRoziRorunerKey(RoziRoruner& r, const QString& key, const QString& value,
                          SectionCounters& c) {
  if (key == QLatin1String("DESCRIPTION"))
    r.Description = value;
  else if (key == QLatin1String("TRIGGER"))
    r.Trigger = value;
  else if (key == QLatin1String("RUNDAYS"))
    r.RunDays = value.isEmpty() ? QStringLiteral("1111111") : value;
  else if (key == QLatin1String("SCANDIRECTORY"))
    r.ScanDirectory = value;
  else if (key == QLatin1String("INCLUDESUBDIR"))
    return ApplyInt(value, &r.IncludeSubdir);
  else if (key == QLatin1String("OLDESTFIRST"))
    return ApplyInt(value, &r.OldestFirst);
  else if (key == QLatin1String("INPUTFILTER"))
    r.InputFilter = value;
  else if (key == QLatin1String("REJECTFILTER"))
    r.RejectFilter = value;
  else if (key == QLatin1String("SKIPREJECTED"))
    return ApplyBool(value, &r.SkipRejected);
  else if (key == QLatin1String("REMOVEREJECTED"))
    return ApplyBool(value, &r.RemoveRejected);
  else if (key == QLatin1String("MOVEREJECTED"))
    return ApplyBool(value, &r.MoveRejected);
  else if (key == QLatin1String("MOVEREJECTEDDIRECTORY"))
    r.MoveRejectedDirectory = value;
  else if (key == QLatin1String("INTERVAL"))
    r.Interval = value;
  else if (key == QLatin1String("STABLETIMER"))
    r.StableTimer = LeadingNumber(value);
  else if (key == QLatin1String("INITIALLOCALSVALUE"))
    r.InitialLocalsValue = value;
  else if (key == QLatin1String("SINGLEFILEHANDLING"))
    return ApplyInt(value, &r.SingleFileHandling);
  else if (key == QLatin1String("ENABLED"))
    return ApplyInt(value, &r.Enabled);
  else if (key == QLatin1String("COMMAND"))
    return ApplyCommand(r, value, c);
  else if (key == QLatin1String("CONSTANT")) {
    if (c.NextConstant >= kConstantSlots) return QStringLiteral("more than 15 constants");
    r.LocalConstants[c.NextConstant++] = value;
  }
  return {};
}

// Trims blanks (spaces) only, as the file's own rules do.
QString TrimBlanks(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.mid(b, e - b);
}

}  // namespace

void ReadConfigSection(Daemon& d, QString& Section, SectionCounters& counters) {
  Section = Section.toUpper();
  QStringList lines;
  if (!ReadTextLines(d.ConfigPath, &lines)) return;
  d.ui().SetBusy(true);
  const QString header = QLatin1Char('[') + Section + QLatin1Char(']');
  const bool global = Section == QLatin1String("CONFIGURATION");
  qsizetype i = 0;
  for (; i < lines.size(); ++i) {
    const bool found = lines[i].toUpper() == header;
    d.DoEvents();
    if (found) break;
  }
  if (i >= lines.size()) {
    d.ui().SetBusy(false);
    return;
  }
  for (++i; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (line.startsWith(QLatin1Char('['))) break;
    if (line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char(' '))) continue;
    const QString trimmed = TrimBlanks(line);
    if (trimmed.isEmpty()) continue;
    Fault fault;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0) {
      fault = QStringLiteral("no \"=\"");
    } else {
      const QString key = trimmed.left(eq).toUpper();
      const QString value = trimmed.mid(eq + 1);
      if (global)
        fault = ApplyGlobalKey(d, key, value, counters);
      else if (d.RoziRorunerCount < d.RoziRoruners.size())
        fault = ApplyRoziRorunerKey(d.RoziRoruners[d.RoziRorunerCount], key, value, counters);
    }
    if (!fault.isEmpty()) {
      // What was stored so far stays; the rest of the section is not read.
      LogConfigWarning(
          d, QStringLiteral("WARNING: Configuration section [%1] stopped at line %2 [%3][%4]")
                 .arg(Section)
                 .arg(i + 1)
                 .arg(line, fault));
      break;
    }
    d.DoEvents();
  }
  d.ui().SetBusy(false);
}

void ListRoziRorunerSections(Daemon& d) {
  d.ui().SetBusy(true);
  d.SectionCount = 0;
  d.SectionNames.clear();
  QStringList lines;
  if (QFileInfo(d.ConfigPath).isFile() && ReadTextLines(d.ConfigPath, &lines)) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QString& line = lines[i];
      if (!line.startsWith(QLatin1Char('[')) || line.toUpper() == QLatin1String("[CONFIGURATION]"))
        continue;
      if (line.size() < 2) {
        LogConfigWarning(d,
                         QStringLiteral("WARNING: Configuration sections listed up to line %1 [%2]")
                             .arg(i + 1)
                             .arg(line));
        break;
      }
      d.SectionNames.append(line.mid(1, line.size() - 2));
      ++d.SectionCount;
    }
  }
  d.ui().SetBusy(false);
}

void LoadDaemonSettings(Daemon& d) {
  const QString text = GetRegString(DaemonSettingsKey(d), QStringLiteral("BufferSize"));
  const auto n = LeadingInt16(text);
  int size = n ? *n : 75;
  if (size < 1 || size > 500) size = 75;
  if (size != d.BufferSize) {
    d.BufferSize = size;
    ClearLogWindow(d);
  }
  d.ui().LoadDaemonSettings();
}

void ReloadConfiguration(Daemon& d) {
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Reloading configuration ....."), 0);
  const bool wasReloading = d.Reloading;
  d.Reloading = true;
  d.ui().SetBusy(true);
  if (QFileInfo(d.ConfigPath).isFile()) {
    d.RoziRoruners.clear();
    d.RoziRorunerCount = 0;
    SectionCounters counters;
    QString global = QStringLiteral("CONFIGURATION");
    ReadConfigSection(d, global, counters);
    ListRoziRorunerSections(d);
    const QStringList names = d.SectionNames;
    for (const QString& name : names) {
      RoziRoruner r;
      r.Name = name;
      r.Active = true;
      d.RoziRoruners.resize(d.RoziRorunerCount);
      d.RoziRoruners.append(r);
      counters.NextCommand = 1;
      counters.NextConstant = 1;
      QString section = name;
      ReadConfigSection(d, section, counters);
      ++d.RoziRorunerCount;
    }
  } else {
    LogConfigWarning(
        d, QStringLiteral("WARNING: Config-file not found [%1], the RoziRoruners stay as they were")
               .arg(d.ConfigPath));
  }
  LoadDaemonSettings(d);
  d.GlobalVariables.fill(d.InitialGlobalsValue);
  ResetLogBuffers(d);
  d.ui().ClearLogWindow();
  d.LogWindowNextRow = 1;
  d.LogWindowRows = 0;
  QStringList selector{QStringLiteral("All")};
  for (int i = 0; i < d.RoziRorunerCount; ++i) {
    RoziRoruner& r = d.RoziRoruners[i];
    if (r.RunDays.isEmpty()) r.RunDays = QStringLiteral("1111111");
    selector.append(QStringLiteral("[FS%1] %2").arg(i + 1).arg(r.Name));
  }
  d.SelectedLog = 0;
  d.ui().RefillLogSelector(selector);
  WriteLogLine(d, QStringLiteral("S"),
               QStringLiteral("%1 RoziRoruners loaded").arg(d.RoziRorunerCount), 0);
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Config-file: ") + d.ConfigPath, 0);
  d.ui().SetBusy(false);
  d.Reloading = wasReloading;
}

}  // namespace mvnz::mvnd
