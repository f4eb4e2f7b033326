#pragma once
// The pair of file actions that move (Relocate) or copy (Duplicate) one file, and
// their common dialog. Parameters: 1 source, 2 destination, 3 overwrite "1"/"0",
// 4 create missing destination folders "1"/"0".
#include <QStringList>

namespace mvnz::plugin {

enum class Transfer { Move, Copy };

// RelocateFile / DuplicateFile.
void RunTransfer(Transfer kind, const QStringList& data);
// Fills the command dialog from data and shows it modal.
void ShowTransferDialog(Transfer kind, const QStringList& data);

}  // namespace mvnz::plugin
