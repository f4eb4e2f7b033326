#include "reference.h"

#include <QRegularExpression>
#include <QStringList>

#include "library/catalogue.h"
#include "library/jobfile.h"
#include "library/tokens.h"

namespace mvnz::docs {
namespace {

// A table cell: pipes and line ends would break the row.
QString cell(const char* text) {
  QString s = QString::fromUtf8(text);
  s.replace(QLatin1Char('|'), QStringLiteral("\\|"));
  s.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return s;
}

QString code(const QString& text) { return QStringLiteral("`") + text + QStringLiteral("`"); }

// A table cell of prose: tokens in it are set as code, so that no renderer takes
// "<GV1>" for markup.
QString prose(const char* text) {
  static const QRegularExpression token(QStringLiteral("(<[A-Za-z0-9_:-]+>)"));
  return cell(text).replace(token, QStringLiteral("`\\1`"));
}

// A sentence from a table text that starts in lower case.
QString sentence(const char* text) {
  QString s = prose(text);
  if (!s.isEmpty()) s[0] = s[0].toUpper();
  return s + QLatin1Char('.');
}

QString row(const QStringList& cells) {
  return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
}

QString header(const QStringList& columns) {
  QStringList rule;
  for (qsizetype i = 0; i < columns.size(); ++i) rule << QStringLiteral("---");
  return row(columns) + row(rule);
}

QString keyTable(jobfile::SectionKind section) {
  QString out = header({"key", "values", "default", "meaning"});
  for (const jobfile::KeySpec& k : jobfile::Keys()) {
    if (k.section != section) continue;
    const QString def = *k.defaultValue ? code(cell(k.defaultValue)) : QStringLiteral("empty");
    QString values = prose(k.values);
    if (const char* reading = jobfile::FormReading(k.form); *reading)
      values += QStringLiteral("; ") + prose(reading);
    out += row({code(cell(k.key)), values, def, prose(k.meaning)});
  }
  return out;
}

QString keys() {
  return QStringLiteral(
             "## Keys\n\n"
             "Each key line is the key, \"=\" and the value, with nothing in between; keys are "
             "read without regard to case. A key that is missing takes its default. Lines end "
             "in CR LF (a lone LF is read too); lines beginning with \";\" are comments.\n\n"
             "### [CONFIGURATION]\n\n") +
         keyTable(jobfile::SectionKind::Global) +
         QStringLiteral(
             "\n### One section per RoziRoruner\n\n"
             "The section header is \"[\", the RoziRoruner's name and \"]\".\n\n") +
         keyTable(jobfile::SectionKind::Job);
}

QString command(const catalogue::Command& c) {
  QString out = QStringLiteral("#### ") + QString::fromLatin1(c.name) + QStringLiteral("\n\n");
  if (*c.plugin)
    out += QStringLiteral("Plug-in %1, category %2: ")
               .arg(code(QString::fromLatin1(c.plugin)), QString::fromLatin1(c.category));
  out += *c.plugin ? prose(c.summary) + QLatin1Char('.') : sentence(c.summary);
  out += QStringLiteral("\n\n");
  if (c.params.empty()) return out + QStringLiteral("No parameters.\n\n");
  out += header({"position", "meaning", "values"});
  for (const catalogue::Parameter& p : c.params)
    out += row({QString::number(p.position), prose(p.meaning), prose(p.values)});
  return out + QStringLiteral("\n");
}

QString commands() {
  QString out = QStringLiteral(
      "## Commands\n\n"
      "A command line is \"Command=\", the command name and its thirty parameters, each "
      "preceded by \"]~[\":\n\n"
      "    Command=Relocate]~[<ScanPathFileName>]~[/srv/done/<FileName>]~[1]~[1]~[]~[...]~[\n\n"
      "Names are compared without regard to case. A name beginning with \"!\" disables the "
      "line. Positions not listed below are empty. Parameters may hold variable tokens; a relative "
      "path in one is taken from the folder the daemon was started in.\n\n"
      "### Built-in workflow commands\n\n");
  for (const catalogue::Command& c : catalogue::BuiltIns()) out += command(c);
  out += QStringLiteral("### Plug-in modules\n\n");
  for (const catalogue::Command& c : catalogue::PluginCommands()) out += command(c);
  return out;
}

QString tokenList() {
  QString out = QStringLiteral(
                    "## Variable tokens\n\n"
                    "A token is a name in angle brackets, replaced just before the text is "
                    "used. Names are compared without regard to case; a token of any other "
                    "name stays in the text, upper-cased. Values are not scanned again.\n\n"
                    "The examples describe this situation: ") +
                QString::fromUtf8(tokens::kExampleSituation) +
                QStringLiteral(
                    ".\n\nThe file tokens give an empty text while no file is at hand "
                    "(a time-triggered RoziRoruner).\n\n") +
                header({"token", "meaning", "example"});
  for (const tokens::TokenInfo& t : tokens::Fixed()) {
    QString meaning = prose(t.meaning);
    if (t.needsFile) meaning += QStringLiteral(" (file token)");
    if (*t.warning) meaning += QStringLiteral(". **Note:** ") + prose(t.warning);
    out += row({code(tokens::Text(t.token)), meaning, code(cell(t.example))});
  }
  out += QStringLiteral("\n### Numbered tokens\n\n") + header({"tokens", "meaning", "example"});
  for (const tokens::FamilyInfo& f : tokens::Families()) {
    const QString range = code(tokens::Text(f.family, 1)) + QStringLiteral(" to ") +
                          code(tokens::Text(f.family, tokens::kFamilySize));
    out += row({range, prose(f.meaning), prose(f.example)});
  }
  return out + QStringLiteral(
                   "\nThe number is written plainly: `<LC0>`, `<LC16>` and `<LC07>` give an empty "
                   "text.\n");
}

}  // namespace

QString ConfigurationReference() {
  return QStringLiteral(
             "# Configuration file reference\n\n"
             "<!-- Printed by mvnz-refdoc from the library's tables; do not edit by hand. "
             "Regenerate with: build/bin/mvnz-refdoc > docs/configuration.md -->\n\n"
             "The daemon `mvnd` runs what its configuration file says, and the configuration "
             "manager writes that file. It holds one `[CONFIGURATION]` section of global "
             "settings and one section per RoziRoruner (a watched job).\n\n") +
         keys() + QStringLiteral("\n") + commands() + tokenList();
}

}  // namespace mvnz::docs
