#include "manager/filters.h"

#include <QStringList>

#include "library/regexpr.h"
#include "manager/services.h"

namespace mvnz::manager {

QString NormalisedFilter(const QString& text) {
  if (text == QLatin1String("*.*") || text == QLatin1String("*")) return QStringLiteral(".");
  if (!text.contains(u';')) return text.trimmed();
  QStringList pieces = text.split(u';');
  for (QString& p : pieces) p = p.trimmed();
  return pieces.join(u';');
}

bool FiltersCollide(const jobfile::RoziRoruner& r) {
  const QString reject = NormalisedFilter(r.RejectFilter);
  if (reject.isEmpty()) return false;
  QString input = NormalisedFilter(r.InputFilter);
  if (input.isEmpty()) input = QStringLiteral(".");
  return input == reject;
}

int FirstFilterCollision(const jobfile::JobFile& file) {
  for (int i = 0; i < file.RoziRoruners.size(); ++i)
    if (FiltersCollide(file.RoziRoruners[i])) return i;
  return -1;
}

QString JoinFilterLines(const QString& text) {
  QString joined = text;
  joined.replace(QLatin1String("\r\n"), QLatin1String(";"));
  joined.replace(u'\n', u';');
  if (joined.endsWith(u'\r')) joined.chop(1);
  while (joined.endsWith(u';')) joined.chop(1);
  while (joined.contains(QLatin1String(";;"))) joined.replace(QLatin1String(";;"), QLatin1String(";"));
  return joined;
}

QString FilterLines(const QString& filter) {
  return filter.isEmpty() ? QString() : filter.split(u';').join(u'\n');
}

std::optional<QString> FirstInvalidExpression(const QString& filter) {
  if (filter.isEmpty()) return std::nullopt;
  for (const QString& expression : filter.split(u';'))
    if (!ValidateRegExpr(expression)) return expression;
  return std::nullopt;
}

namespace {

RegExprTestOutcome failure(const RegExprError& error) {
  return {true, QStringLiteral("Regular Expression Error: ") + error.description};
}

}  // namespace

RegExprTestOutcome TestRegExpr(const QString& subject, const QString& pattern) {
  RegExprError error;
  const bool matched = RegExpr(subject, pattern, 0, &error);
  if (error) return failure(error);
  return {false, matched ? QStringLiteral("Match") : QStringLiteral("No Match")};
}

RegExprTestOutcome ReplaceRegExpr(const QString& subject, const QString& pattern,
                                  const QString& replacement) {
  RegExprError error;
  const bool matched = RegExpr(subject, pattern, 0, &error);
  if (error) return failure(error);
  if (!matched) return {false, QStringLiteral("No Match")};
  const QString replaced = RegExprReplace(replacement, -3, &error);
  if (error) return failure(error);
  return {false, replaced};
}

}  // namespace mvnz::manager
