#pragma once
// The rules for a RoziRoruner's name, which is also its section header in the
// configuration file (found without regard to case): letters, digits, "_", "-" and
// blanks only, not empty, not the global section's name, and no other RoziRoruner
// with the same name in any case.
#include <QString>
#include <optional>

#include "library/jobfile.h"

namespace mvnz::manager {

struct NameRefusal {
  QString title, text;
};

// Why name cannot be given to the RoziRoruner at index self (-1: a new one), or
// nullopt when it can.
std::optional<NameRefusal> RefuseRoziRorunerName(const jobfile::JobFile& file, const QString& name, int self);

}  // namespace mvnz::manager
