#pragma once
// The configuration reference (docs/configuration.md), printed from the library's own
// tables: the file's keys, the commands with their parameter positions and the tokens.
#include <QString>

namespace mvnz::docs {

// The whole reference as Markdown.
QString ConfigurationReference();

}  // namespace mvnz::docs
