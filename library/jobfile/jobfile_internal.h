#pragma once
// Field access by key, shared by the reader and the writer.
#include "library/jobfile.h"

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

}  // namespace mvnz::jobfile
