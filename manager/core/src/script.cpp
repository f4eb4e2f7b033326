#include "manager/script.h"

namespace mvnz::manager::script {

namespace {

using jobfile::CommandEntry;
using jobfile::RoziRoruner;

bool InRange(const RoziRoruner& r, int n) { return n >= 1 && n <= CommandCount(r); }

CommandEntry& At(RoziRoruner& r, int n) { return r.Commands[n - 1]; }

// The catalogue's spelling of name, or name itself when no entry has it.
QString CatalogName(const Catalog& catalog, const QString& name) {
  const int row = catalog.find(name);
  return row > 0 ? catalog.rows()[row].Name : name;
}

}  // namespace

QString CommandKey(int number, const QString& name) {
  return QStringLiteral("C%1_%2").arg(number).arg(name.toUpper());
}

QString ParameterKey(int number, int k) { return QStringLiteral("P%1_Data%2").arg(number).arg(k); }

int CommandNumber(const QString& key) {
  if (key.size() < 2 || (key[0] != u'C' && key[0] != u'P')) return 0;
  const qsizetype bar = key.indexOf(u'_');
  if (bar < 2) return 0;
  bool ok = false;
  const int n = key.mid(1, bar - 1).toInt(&ok);
  return ok && n > 0 ? n : 0;
}

bool IsComment(const QString& name) { return name.compare(u"COMMENT", Qt::CaseInsensitive) == 0; }

bool IsDisabled(const QString& name) { return name.startsWith(u'!'); }

QString CommandText(const CommandEntry& command) {
  return IsComment(command.Name) ? command.Data[1] : command.Name;
}

short CommandImage(const Catalog& catalog, const QString& name) {
  if (IsComment(name)) return kDisabledImage;
  const int row = catalog.find(name);
  if (row > 0) return catalog.rows()[row].IconIndex;
  return IsDisabled(name) ? kDisabledImage : kUnknownImage;
}

int CommandCount(const RoziRoruner& r) { return static_cast<int>(r.Commands.size()); }

Outcome Append(RoziRoruner& r, const Catalog& catalog, const QString& paletteName) {
  const int row = catalog.find(paletteName);
  if (row <= 0) return {};
  CommandEntry entry;
  entry.Name = catalog.rows()[row].Name;
  if (IsComment(entry.Name)) entry.Data[1] = QStringLiteral("Comment");
  r.Commands.append(entry);
  return {true, 0};
}

Outcome Remove(RoziRoruner& r, int n) {
  if (!InRange(r, n)) return {};
  r.Commands.removeAt(n - 1);
  const int select = CommandCount(r) == 0 ? 0 : (n == 1 ? 1 : n - 1);
  return {true, select};
}

Outcome Up(RoziRoruner& r, int n) {
  if (n < 2 || !InRange(r, n)) return {};
  r.Commands.swapItemsAt(n - 2, n - 1);
  return {true, n - 1};
}

Outcome Down(RoziRoruner& r, int n) {
  if (n < 1 || n >= CommandCount(r)) return {};
  r.Commands.swapItemsAt(n - 1, n);
  return {true, n + 1};
}

Outcome Move(RoziRoruner& r, int from, int before) {
  if (!InRange(r, from) || !InRange(r, before) || from == before) return {};
  const int to = before > from ? before - 1 : before;
  r.Commands.move(from - 1, to - 1);
  return {to != from, to};
}

Outcome Disable(RoziRoruner& r, int n) {
  if (!InRange(r, n)) return {};
  QString& name = At(r, n).Name;
  if (name.isEmpty() || IsDisabled(name) || IsComment(name)) return {};
  name.prepend(u'!');
  return {true, n};
}

Outcome Enable(RoziRoruner& r, int n) {
  if (!InRange(r, n)) return {};
  QString& name = At(r, n).Name;
  if (!IsDisabled(name)) return {};
  name.remove(0, 1);
  return {true, n};
}

Outcome Toggle(RoziRoruner& r, int n) {
  if (!InRange(r, n)) return {};
  return IsDisabled(At(r, n).Name) ? Enable(r, n) : Disable(r, n);
}

bool Copy(const RoziRoruner& r, int n, Clipboard& clip) {
  if (!InRange(r, n)) return false;
  const CommandEntry& c = r.Commands[n - 1];
  clip.Data = {};
  if (IsComment(c.Name)) {
    clip.Name = QStringLiteral("COMMENT");
    clip.Data[1] = c.Data[1];
  } else {
    clip.Name = c.Name;
    for (int k = 1; k <= jobfile::kParameterCount; ++k) clip.Data[k] = c.Data[k];
  }
  clip.available = true;
  return true;
}

Outcome Paste(RoziRoruner& r, const Catalog& catalog, const Clipboard& clip, int before) {
  if (!clip.available) return {};
  CommandEntry entry;
  entry.Name = IsDisabled(clip.Name) ? u'!' + CatalogName(catalog, clip.Name.mid(1))
                                     : CatalogName(catalog, clip.Name);
  for (int k = 1; k <= jobfile::kParameterCount; ++k) entry.Data[k] = clip.Data[k];
  r.Commands.append(entry);
  const int last = CommandCount(r);
  const Outcome moved = Move(r, last, before);
  return {true, moved.changed ? moved.select : last};
}

Outcome Clear(RoziRoruner& r) {
  const bool had = !r.Commands.isEmpty();
  r.Commands.clear();
  return {had, 0};
}

}  // namespace mvnz::manager::script
