#pragma once
// The AssignValue action: fifteen functions on up to three operand texts, whose
// result is stored in one local or global variable slot.
#include <QString>
#include <QStringList>
#include <functional>

#include "library/contract.h"

namespace mvnz::assignvalue {

// Sends one log line (text, level 0..2).
using LogFn = std::function<void(const QString& text, short level)>;

// Longest value a function may build; a longer one takes the error path, so a
// script cannot exhaust the daemon's memory.
constexpr int kMaxValueLength = 1 << 20;

struct Evaluation {
  enum Kind { Value, Warning, Error } kind = Value;
  QString text;  // the value, the warning line, or the error description
};

// Evaluates one function (name compared upper-cased) on Data1..Data3.
Evaluation Evaluate(const QString& function, const QString& data1, const QString& data2,
                    const QString& data3);

// Text with every character of chars removed, one character after another.
QString StripChars(const QString& text, const QString& chars);

// Slot of a variable number text ("1" is slot 0); -1 when it lies outside 0..15.
int SlotOf(const QString& numberText);

// Runs the action on Data(1..8). Returns the Error flag.
bool ComputeVariable(const QStringList& data, bool autoLog, const LogFn& log, VarType* localVars,
                     VarType* globalVars);

}  // namespace mvnz::assignvalue
