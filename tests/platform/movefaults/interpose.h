#pragma once
// Failure injection for the file system calls a move makes. While armed, every caught
// call counts; the n-th fails with EIO without doing anything (close: after closing).

namespace mvnz::test::faults {

// Arms the counter: the n-th caught call from now on fails (n >= 1).
void Arm(int n);
// Disarms; the number of caught calls made while armed.
int Disarm();
// The call that was made to fail since the last Arm ("" when none): its name, and for
// fsync the path of the descriptor it was given.
struct Failed {
  const char* name = "";
  char path[4096] = {};
};
const Failed& LastFailure();

}  // namespace mvnz::test::faults
