#include "daemon/windows/windowsettings.h"

#include <cmath>
#include <limits>

#include "library/numbers.h"
#include "library/regwrap.h"

namespace mvnz::mvnd {

namespace {

// The leading number as a whole number (halves to even), limited to int.
int ReadNumber(const QString& key, const QString& name) {
  const double v = RoundHalfEven(LeadingNumber(GetRegString(key, name)));
  if (v <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

void Store(const QString& key, const char* name, int value) {
  SaveRegString(key, QString::fromLatin1(name), QString::number(value));
}

void StoreFlag(const QString& key, const char* name, bool value) {
  SaveRegString(key, QString::fromLatin1(name), value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace

WindowSettings ReadWindowSettings(const QString& key) {
  WindowSettings s;
  s.LogWindowTop = ReadNumber(key, QStringLiteral("LogWindowTop"));
  s.LogWindowLeft = ReadNumber(key, QStringLiteral("LogWindowLeft"));
  s.LogWindowWidth =
      std::max(ReadNumber(key, QStringLiteral("LogWindowWidth")), kMinLogWindowWidth);
  s.LogWindowHeight =
      std::max(ReadNumber(key, QStringLiteral("LogWindowHeight")), kMinLogWindowHeight);
  s.MessageWindowLeft = ReadNumber(key, QStringLiteral("MessageWindowLeft"));
  s.MessageWindowTop = ReadNumber(key, QStringLiteral("MessageWindowTop"));
  s.MessageWindowWidth =
      std::max(ReadNumber(key, QStringLiteral("MessageWindowWidth")), kMinMessageWindowWidth);
  s.MessageWindowOnTop =
      GetRegString(key, QStringLiteral("MessageWindowOnTop")) == QLatin1String("1");
  s.MessageWindowStatus =
      GetRegString(key, QStringLiteral("MessageWindowStatus")) == QLatin1String("1");
  s.LogColumnWidth2 = ReadLogColumnWidth2(key);
  return s;
}

void WriteWindowSettings(const QString& key, const WindowSettings& s) {
  Store(key, "LogColumnWidth1", s.LogColumnWidth1);
  Store(key, "LogColumnWidth2", s.LogColumnWidth2);
  Store(key, "BufferSize", s.BufferSize);
  if (s.LogWindowTop && *s.LogWindowTop >= 0) Store(key, "LogWindowTop", *s.LogWindowTop);
  if (s.LogWindowLeft && *s.LogWindowLeft >= 0) Store(key, "LogWindowLeft", *s.LogWindowLeft);
  Store(key, "LogWindowWidth", s.LogWindowWidth);
  Store(key, "LogWindowHeight", s.LogWindowHeight);
  if (s.MessageWindowLeft && *s.MessageWindowLeft >= 0)
    Store(key, "MessageWindowLeft", *s.MessageWindowLeft);
  Store(key, "MessageWindowTop", s.MessageWindowTop);
  Store(key, "MessageWindowWidth", s.MessageWindowWidth);
  StoreFlag(key, "MessageWindowStatus", s.MessageWindowStatus);
  StoreFlag(key, "MessageWindowOnTop", s.MessageWindowOnTop);
}

int ReadLogColumnWidth2(const QString& key) {
  // A width of 0 or less would hide the messages: such a value counts as unset.
  const int w = ReadNumber(key, QStringLiteral("LogColumnWidth2"));
  return w > 0 ? w : kDefaultLogColumnWidth2;
}

std::optional<int> CheckBufferSizeText(const QString& text) {
  if (!IsNumeric(text)) return std::nullopt;
  const double v = Val(text);
  if (!std::isfinite(v) || v < 0 || v > 1000) return std::nullopt;
  const int n = static_cast<int>(std::nearbyint(v));
  if (n < 1 || n > 500) return std::nullopt;
  return n;
}

}  // namespace mvnz::mvnd
