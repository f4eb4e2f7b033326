#pragma once
// Variable tokens: "<NAME>" in a text is replaced by its value just before the text is
// used. The names are compared in upper case; an unknown name stays, upper-cased.
#include <QHash>
#include <QString>

#include "engine/filetable.h"
#include "engine/ports.h"

namespace mvnz::engine {

// Owners of files by uid, learnt once per cycle.
class OwnerCache {
 public:
  void clear() { names_.clear(); }
  // The account name owning the file, or "{unknown}".
  QString ownerOf(const QString& path);

 private:
  QHash<uint, QString> names_;
};

// What the token values read. Arrays hold 16 entries (index 0..15).
struct ExpansionContext {
  const QString* name = nullptr;
  const QString* description = nullptr;
  const QString* localConstants = nullptr;   // index 1..15
  const QString* localVariables = nullptr;   // index 0..14
  const QString* globalConstants = nullptr;  // index 1..15
  const QString* globalVariables = nullptr;  // index 0..14
  long filesPending = 0;
  long currentFile = 0;
  const FileTable* fileList = nullptr;
  QString scanDirectory;  // the expanded scan folder
  QString shortDatePattern = "dd/mm/yyyy";
  const Clock* clock = nullptr;
  OwnerCache* owners = nullptr;
  // Error lines (message, level 2) to the RoziRoruner's log.
  std::function<void(const QString& message, int level)> log;
};

// The text with every token replaced by its value ("COMMAND-INTERPRETER").
QString CommandInterpreter(const QString& text, const ExpansionContext& ctx);
// The value of one token given with its brackets ("PROCESSVARS").
QString ProcessVars(const QString& token, const ExpansionContext& ctx);

// ISO week number of the date, and its weekday 1 (Monday) .. 7 (Sunday), as text.
QString GetWeekNumber(const QDate& d);
QString GetDayOfWeekIndex(const QDate& d);

}  // namespace mvnz::engine
