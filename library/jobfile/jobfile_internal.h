#pragma once
// Field access by key, shared by the reader and the writer; the reader's one read of a
// file, for the settle rule.
#include <optional>

#include "library/jobfile.h"

struct stat;

namespace mvnz::jobfile {

// The text field a key fills; nullptr for keys that are not plain text.
QString* GlobalText(GlobalSettings& g, Field f);
QString* JobText(RoziRoruner& r, Field f);
int* SwitchField(GlobalSettings& g, Field f);
int* JobInteger(RoziRoruner& r, Field f);
bool* JobBoolean(RoziRoruner& r, Field f);

inline const QString* GlobalText(const GlobalSettings& g, Field f) {
  return GlobalText(const_cast<GlobalSettings&>(g), f);
}
inline const QString* JobText(const RoziRoruner& r, Field f) {
  return JobText(const_cast<RoziRoruner&>(r), f);
}
inline int SwitchValue(const GlobalSettings& g, Field f) {
  return *SwitchField(const_cast<GlobalSettings&>(g), f);
}
inline int JobIntegerValue(const RoziRoruner& r, Field f) {
  return *JobInteger(const_cast<RoziRoruner&>(r), f);
}
inline bool JobBooleanValue(const RoziRoruner& r, Field f) {
  return *JobBoolean(const_cast<RoziRoruner&>(r), f);
}

// s without the blanks (spaces only) at its start and end, as the file's rules trim.
inline QStringView TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b] == QLatin1Char(' ')) ++b;
  while (e > b && s[e - 1] == QLatin1Char(' ')) --e;
  return s.mid(b, e - b);
}

// A double in its shortest exact decimal form with "." whatever the locale ("20", "-1",
// "0.25"); no exponent.
QString NumberText(double v);

// What the settle rule compares of a file: the same file, of the same size and times.
struct FileStamp {
  quint64 device = 0, inode = 0;
  qint64 size = 0;
  qint64 modified = 0, changed = 0;  // nanoseconds since the epoch
  bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at path (links followed); nullopt when there is none.
std::optional<FileStamp> StampOf(const QString& path);
FileStamp StampOf(const struct stat& st);

// The stamps of one read: the open file before and after it is read, and the file at
// the path after the read (another inode: replaced meanwhile).
struct ReadStamps {
  std::optional<FileStamp> atOpen, afterRead, pathAfterRead;
};
// Reads the file at path once, as it is; fills stamps (when given) for a file it read.
ReadResult ReadFileOnce(const QString& path, const ReadOptions& options, ReadStamps* stamps);

}  // namespace mvnz::jobfile
