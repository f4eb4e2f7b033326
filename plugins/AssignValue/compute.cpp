#include "compute.h"

#include <cmath>
#include <optional>

#include "library/catalogue.h"
#include "library/numbers.h"

namespace mvnz::assignvalue {
namespace {

using P = catalogue::param::AssignValue;

const QString kErrTypeMismatch = QStringLiteral("Type mismatch");
const QString kErrDivisionByZero = QStringLiteral("Division by zero");
const QString kErrOverflow = QStringLiteral("Overflow");
const QString kErrSubscript = QStringLiteral("Subscript out of range");
const QString kErrStringSpace = QStringLiteral("Out of string space");
const QString kErrInvalidCall = QStringLiteral("Invalid procedure call or argument");

Evaluation value(const QString& v) { return {Evaluation::Value, v}; }
Evaluation error(const QString& description) { return {Evaluation::Error, description}; }
Evaluation warning(const char* phrase, const char* label) {
  return {Evaluation::Warning,
          QStringLiteral("WARNING_ASSIGNVALUE: %1 in <AssignValue> <%2> function")
              .arg(QLatin1String(phrase), QLatin1String(label))};
}

QString trimSpaces(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b] == u' ') ++b;
  while (e > b && s[e - 1] == u' ') --e;
  return s.mid(b, e - b);
}

Evaluation arithmetic(char op, const QString& d1, const QString& d2) {
  const std::optional<double> x = ToDoubleInLocale(d1), y = ToDoubleInLocale(d2);
  if (!x || !y) return error(kErrTypeMismatch);
  const double a = *x, b = *y;
  double r = 0;
  switch (op) {
    case '+':
      r = a + b;
      break;
    case '-':
      r = a - b;
      break;
    case '*':
      r = b * a;
      break;
    case '/':
      if (b == 0) return error(a == 0 ? kErrOverflow : kErrDivisionByZero);
      r = a / b;
      break;
  }
  if (!std::isfinite(r)) return error(kErrOverflow);
  return value(CStr(r));
}

}  // namespace

QString StripChars(const QString& text, const QString& chars) {
  QString r = text;
  for (QChar c : chars) r.remove(c, Qt::CaseSensitive);
  return r;
}

Evaluation Evaluate(const QString& function, const QString& d1, const QString& d2,
                    const QString& d3) {
  const QString f = function.toUpper();
  if (f == u"INITVARIABLE") return value(d1);
  if (f == u"SUBSTRING") {
    const double start = Val(d1), length = Val(d2);
    const double len = double(d3.size());
    if (d3.isEmpty() || start < 1 || start > len || length < 0 || length > len)
      return warning("Illegal value", "SubString");
    const qsizetype from = qsizetype(std::nearbyint(start)) - 1;
    if (length != 0) return value(d3.mid(from, qsizetype(std::nearbyint(length))));
    return value(d3.mid(from));
  }
  if (f == u"STRINGLENGTH") {
    if (d1.isEmpty()) return warning("Missing data", "Length");
    return value(QString::number(d1.size()));
  }
  if (f == u"FINDSTRING") {
    const double start = Val(d1);
    if (!(start > 0) || d2.isEmpty() || d3.isEmpty() || start > double(d3.size()))
      return warning("Missing or illegal data", "FindString");
    // A start below 0.5 rounds to 0, which is no position in the text (and would
    // mean "from the end" to a Qt search): the search itself refuses it.
    const qsizetype from = qsizetype(std::nearbyint(start));
    if (from < 1) return error(kErrInvalidCall);
    const qsizetype pos = d3.indexOf(d2, from - 1, Qt::CaseInsensitive) + 1;
    if (pos > 32767) return error(kErrOverflow);
    return value(QString::number(pos));
  }
  if (f == u"TRIMSTRING") {
    if (d1.isEmpty()) return warning("Missing data", "TrimString");
    return value(trimSpaces(d1));
  }
  if (f == u"UPPERCASE") {
    if (d1.isEmpty()) return warning("Missing data", "UpperCase");
    return value(d1.toUpper());
  }
  if (f == u"LOWERCASE") {
    if (d1.isEmpty()) return warning("Missing data", "LowerCase");
    return value(d1.toLower());
  }
  if (f == u"REPLACECHAR") {
    if (d1.isEmpty() || d2.isEmpty() || d3.isEmpty())
      return warning("Incorrect syntax", "ReplaceChar");
    // Each step works on the previous result, so the text can grow geometrically:
    // refuse a result beyond the cap before building it.
    QString r = d3;
    for (QChar c : d1) {
      const qint64 grown = qint64(r.size()) + qint64(r.count(c)) * (qint64(d2.size()) - 1);
      if (grown > kMaxValueLength) return error(kErrStringSpace);
      r.replace(c, d2, Qt::CaseSensitive);
    }
    return value(r);
  }
  if (f == u"REPLACESTRING") {
    if (d1.isEmpty() || d2.isEmpty() || d3.isEmpty())
      return warning("Incorrect syntax", "ReplaceString");
    // Capped like ReplaceChar: long operands or a variable fed back into its own
    // replacement grow fast. count() also counts overlapping matches: an upper bound.
    const qint64 grown =
        qint64(d3.size()) + qint64(d3.count(d1)) * (qint64(d2.size()) - qint64(d1.size()));
    if (grown > kMaxValueLength) return error(kErrStringSpace);
    return value(QString(d3).replace(d1, d2, Qt::CaseSensitive));
  }
  if (f == u"REPLACESPACE") {
    if (d1.isEmpty() || d2.isEmpty()) return warning("Incorrect syntax", "ReplaceSpace");
    const qint64 grown =
        qint64(d1.size()) + qint64(d1.count(QChar(u' '))) * (qint64(d2.size()) - 1);
    if (grown > kMaxValueLength) return error(kErrStringSpace);
    return value(QString(d1).replace(QChar(u' '), d2));
  }
  if (f == u"STRIPCHAR") {
    if (d1.isEmpty() || d2.isEmpty()) return warning("Incorrect syntax", "StripChar");
    return value(StripChars(d2, d1));
  }
  struct Op {
    const char16_t* name;
    const char* label;
    char op;
  } static const ops[] = {{u"ADD", "Add", '+'},
                          {u"SUBTRACT", "Subtract", '-'},
                          {u"MULTIPLY", "Multiply", '*'},
                          {u"DIVIDE", "Divide", '/'}};
  for (const Op& o : ops) {
    if (f != QStringView(o.name)) continue;
    if (d2.isEmpty()) return warning("Missing data", o.label);
    return arithmetic(o.op, d1, d2);
  }
  return {Evaluation::Warning, QStringLiteral("WARNING_ASSIGN-VALUE: Unknown function accessed")};
}

namespace {

double numberOf(const QString& numberText) { return ToDoubleInLocale(numberText).value_or(0); }

int slotOfNumber(double number) {
  const double slot = std::nearbyint(number - 1);
  return (slot >= 0 && slot <= 15) ? int(slot) : -1;
}

}  // namespace

int SlotOf(const QString& numberText) { return slotOfNumber(numberOf(numberText)); }

bool ComputeVariable(const QStringList& data, bool autoLog, const LogFn& log, VarType* localVars,
                     VarType* globalVars) {
  auto at = [&](int i) { return i < data.size() ? data[i] : QString(); };

  const QString scope = at(P::Scope).toUpper();
  const double number = numberOf(at(P::Number));
  const QString function = at(P::Function);
  const QString operands[4] = {at(P::Data1), at(P::Data2), at(P::Data3), at(P::Data4)};
  const bool verbose = at(P::DisableVerbose) != u"1";

  if (autoLog && !function.isEmpty()) {
    log(QStringLiteral("  -> Function : ") + function, 0);
    if (verbose) {
      for (int k = 0; k < 4; ++k)
        if (!operands[k].isEmpty())
          log(QStringLiteral("     -> Data%1 : [%2]").arg(k + 1).arg(operands[k]), 0);
    }
  }

  const Evaluation ev = Evaluate(function, operands[0], operands[1], operands[2]);
  if (ev.kind == Evaluation::Warning) {
    log(ev.text, 1);
    return false;
  }
  if (ev.kind == Evaluation::Error) {
    log(QStringLiteral("ERROR_ASSIGN-VALUE: Error during <AssignValue> <") + function +
            QStringLiteral("> procedure [") + ev.text + QStringLiteral("]"),
        2);
    return true;
  }

  // Save2Variable
  if (autoLog && verbose)
    log(QStringLiteral("     -> Result: [") + ev.text + QStringLiteral("]"), 0);
  VarType* vars = scope == u"GLOBAL" ? globalVars : scope == u"LOCAL" ? localVars : nullptr;
  if (!vars) return false;
  const int slot = slotOfNumber(number);
  if (slot < 0) {
    log(QStringLiteral("ERROR_Save2Variable: ") + kErrSubscript, 1);
    return true;
  }
  vars[slot].Use = true;
  vars[slot].Value = ev.text;
  return false;
}

}  // namespace mvnz::assignvalue
