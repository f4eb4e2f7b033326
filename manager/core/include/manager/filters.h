#pragma once
// The input and reject filter texts as the RoziRoruner page normalises them, and the
// check that the two never name the same pattern (a reject filter equal to the input
// filter rejects, and may delete, every file the job was meant to take).
#include <QString>

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

}  // namespace mvnz::manager
