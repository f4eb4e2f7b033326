#pragma once
// Editing a RoziRoruner's command script. Commands are numbered 1..CommandCount as
// the script tree shows them; every operation takes the command's name from the
// model, never from a line's text, and changes nothing for a number out of range.
#include <QString>
#include <array>

#include "library/jobfile.h"
#include "manager/catalog.h"

namespace mvnz::manager::script {

// Fixed pictures of the script tree.
inline constexpr short kRootImage = 1;
inline constexpr short kUnknownImage = 11;
inline constexpr short kDisabledImage = 15;  // also a comment
inline constexpr short kParameterImage = 16;

// Tree keys: "r" the root, "C<i>_<NAME>" command i, "P<i>_Data<k>" its parameter k.
inline const QString kRootKey = QStringLiteral("r");
QString CommandKey(int number, const QString& name);
QString ParameterKey(int number, int k);
// The command number of a "C" or "P" key; 0 for the root, any other key or a key
// whose number cannot be read.
int CommandNumber(const QString& key);

bool IsComment(const QString& name);
bool IsDisabled(const QString& name);
// The text of a command line: the comment of a comment, else the name as stored.
QString CommandText(const jobfile::CommandEntry& command);
// The picture of a command line (a comment and a disabled command share one).
short CommandImage(const Catalog& catalog, const QString& name);

int CommandCount(const jobfile::RoziRoruner& r);

// A copied command.
struct Clipboard {
  QString Name;
  std::array<QString, jobfile::kParameterCount + 1> Data;
  bool available = false;
};

// What an operation did: whether the script changed and which command to select
// afterwards (0: none).
struct Outcome {
  bool changed = false;
  int select = 0;
};

// Appends the catalogue's command named paletteName (any case) with empty
// parameters ("Comment" gets the comment "Comment"). Nothing for a name the
// catalogue lacks (a category or root line of the palette). Selects nothing.
Outcome Append(jobfile::RoziRoruner& r, const Catalog& catalog, const QString& paletteName);
// Removes command n; selects the one before it, or the new first.
Outcome Remove(jobfile::RoziRoruner& r, int n);
Outcome Up(jobfile::RoziRoruner& r, int n);
Outcome Down(jobfile::RoziRoruner& r, int n);
// Moves command from so that it stands before the command that was at before
// (both 1..CommandCount); selects the moved command.
Outcome Move(jobfile::RoziRoruner& r, int from, int before);
// Disabling puts "!" in front of the name, enabling takes it away; a comment is
// never disabled.
Outcome Disable(jobfile::RoziRoruner& r, int n);
Outcome Enable(jobfile::RoziRoruner& r, int n);
Outcome Toggle(jobfile::RoziRoruner& r, int n);
// Copies command n (a comment as "COMMENT" with only its comment).
bool Copy(const jobfile::RoziRoruner& r, int n, Clipboard& clip);
// Inserts the copy before command before (appended when before is out of range) and
// selects it. The name is the catalogue's spelling, a disabled copy stays disabled,
// and a name the catalogue lacks is kept as it was.
Outcome Paste(jobfile::RoziRoruner& r, const Catalog& catalog, const Clipboard& clip, int before);
Outcome Clear(jobfile::RoziRoruner& r);

}  // namespace mvnz::manager::script
