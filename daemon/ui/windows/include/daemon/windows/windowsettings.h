#pragma once
// The daemon's window settings in the registry (key DaemonSettingsKey): positions
// and sizes in twips as decimal text, read back with a leading-number parse.
// Plain values, free of widgets: the windows apply and collect them.
#include <QString>
#include <optional>

namespace mvnz::mvnd {

inline constexpr int kMinLogWindowWidth = 8070;
inline constexpr int kMinLogWindowHeight = 4230;
inline constexpr int kMinMessageWindowWidth = 2000;
inline constexpr int kDefaultLogColumnWidth2 = 500;

struct WindowSettings {
  int BufferSize = 75;
  // Main window; a top or left that is unknown (minimised window) stays unset.
  std::optional<int> LogWindowTop, LogWindowLeft;
  int LogWindowWidth = kMinLogWindowWidth;
  int LogWindowHeight = kMinLogWindowHeight;
  // Last-message bar.
  std::optional<int> MessageWindowLeft;
  int MessageWindowTop = 0;
  int MessageWindowWidth = kMinMessageWindowWidth;
  bool MessageWindowOnTop = false;
  bool MessageWindowStatus = false;  // shown
  int LogColumnWidth1 = 150;
  int LogColumnWidth2 = kDefaultLogColumnWidth2;
};

// Reads the values LoadDaemonSettings applies, with their minimums (missing values
// read as 0, "1" flags as set). BufferSize and LogColumnWidth1 keep their defaults:
// the core reads the one, the other is never restored.
WindowSettings ReadWindowSettings(const QString& key);
// Stores every value in SaveDaemonSettings' order; a negative or unset top or left
// is not stored, so the stored one stays. Write failures are not reported.
void WriteWindowSettings(const QString& key, const WindowSettings& s);
// Width of the grid's message column: the stored number, 500 when the value is
// empty or not a positive number.
int ReadLogColumnWidth2(const QString& key);

// The buffer-size dialog's check: the whole number (halves to even) of a numeric
// text within 1 to 500; nullopt for any other text.
std::optional<int> CheckBufferSizeText(const QString& text);

}  // namespace mvnz::mvnd
