#pragma once
// The input and reject filter texts as the RoziRoruner page normalises them, and the
// check that the two never name the same pattern (a reject filter equal to the input
// filter rejects, and may delete, every file the job was meant to take).
#include <QString>
#include <QStringList>
#include <optional>

#include "library/jobfile.h"

namespace mvnz::manager {

// "*.*" and "*" become "."; a single pattern is trimmed; a list separated by ";" is
// rebuilt from its trimmed pieces (empty pieces stay).
QString NormalisedFilter(const QString& text);

// True when a job's input filter (empty counts as ".") and non-empty reject filter
// are the same after normalisation.
bool FiltersCollide(const jobfile::RoziRoruner& r);

// The first job whose filters collide, or -1.
int FirstFilterCollision(const jobfile::JobFile& file);

// The regular-expression editor's text (one expression per line) as a stored filter:
// the lines joined by ";", then every ";" at the end removed and every ";;" made one
// ";", so empty lines vanish. A leading ";" stays; blanks inside lines stay as typed.
QString JoinFilterLines(const QString& text);
// A stored filter as the editor shows it: its expressions one per line.
QString FilterLines(const QString& filter);
// The first expression of a stored filter that the engine refuses (ValidateRegExpr),
// or nullopt when every one passes (an empty filter passes).
std::optional<QString> FirstInvalidExpression(const QString& filter);

// What the regular-expression tester shows for a subject and a pattern: "Match",
// "No Match" or, for "&Replace" after a match, the subject with the whole match
// replaced by the replacement as typed. The engine and options are those of the
// daemon's filters (options 0). When the engine raises an error (an invalid pattern,
// or one too complex to finish on this subject) failed is set and text holds the
// error box's text "Regular Expression Error: " + the error's description.
struct RegExprTestOutcome {
  bool failed = false;
  QString text;
};
RegExprTestOutcome TestRegExpr(const QString& subject, const QString& pattern);
RegExprTestOutcome ReplaceRegExpr(const QString& subject, const QString& pattern,
                                  const QString& replacement);

}  // namespace mvnz::manager
