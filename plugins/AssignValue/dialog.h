#pragma once
// The AssignValue command dialog: scope, variable number, function and the operand
// rows that the chosen function uses.
#include <QStringList>

namespace mvnz::assignvalue {

// Fills the dialog from a command's Data(1..8) and shows it modal; OK stores the
// eight parameters.
void ShowAssignValueDialog(const QStringList& data);

}  // namespace mvnz::assignvalue
