#pragma once
// The steps of an uninstall, each adding what it did to a summary.
#include <QList>
#include <QString>

namespace mvnz::deployer {

inline constexpr char kProductKey[] = "HKEY_LOCAL_MACHINE\\Software\\Orvendel\\MervaneZuri";
inline constexpr int kServiceLimitMs = 60000;

struct Summary {
  enum class Kind { Removed, Failed, Skipped };
  struct Line {
    Kind kind;
    QString text;
  };
  QList<Line> lines;
  void add(Kind kind, const QString& text) { lines.append({kind, text}); }
  bool anyFailed() const;
  // "Removed:" / "Not removed:" / "Left alone:" groups, one line per step.
  QString Text() const;
};

// Runs "svcwright -remove" from programFolder and waits for it up to limitMs; a
// child still running then is left running and named in the summary.
void RemoveService(const QString& programFolder, int limitMs, Summary& summary);
// Deletes the configuration file only when it is a regular file (not a link) that
// may be written.
void RemoveConfigFile(const QString& path, Summary& summary);
// Deletes the product key with everything below it; the maker key stays.
void RemoveRegistryKeys(Summary& summary);

}  // namespace mvnz::deployer
