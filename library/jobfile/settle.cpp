// Taking the configuration file only once it has settled: a file being rewritten in
// place is empty or cut short for a moment, and such a read must never become the
// configuration.
#include <QtGlobal>
#include <algorithm>
#include <thread>

#include "jobfile_internal.h"
#include "library/jobfile.h"
#include "library/waitdispatch.h"

namespace mvnz::jobfile {

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
constexpr qint64 kSecond = 1'000'000'000;

// How long ago the file last changed, by its own times. A file system that keeps whole
// seconds only may have cut up to a second off both.
nanoseconds Age(const FileStamp& s, std::chrono::system_clock::time_point now) {
  qint64 last = std::max(s.modified, s.changed);
  if (s.modified % kSecond == 0 && s.changed % kSecond == 0) last += kSecond;
  return now.time_since_epoch() - nanoseconds(last);
}

bool Settled(const SettleRule& rule, const FileStamp& s) {
  return Age(s, rule.now()) >= rule.settle;
}

// The pause before the next look at a file last seen as s: what its age leaves of the
// settle time, at least a fifth of it (a file just seen changing gets a real pause even
// when its times say otherwise), within what the bound leaves.
milliseconds NextPause(const SettleRule& rule, const FileStamp& s, milliseconds waited) {
  const auto age = std::chrono::ceil<milliseconds>(Age(s, rule.now()));
  const milliseconds pause = std::clamp(rule.settle - age, rule.settle / 5, rule.settle);
  return std::max(milliseconds(1), std::min(pause, rule.bound - waited));
}

bool Wait(const SettleRule& rule, milliseconds pause) {
  if (rule.wait) return rule.wait(pause);
  std::this_thread::sleep_for(pause);
  return true;
}

// Where waiting for one file stands.
struct Watch {
  std::optional<FileStamp> seen;  // the file at the last look
  milliseconds waited{0};
  bool ending = false;  // the program is ending: no more waits
};

// Waits until a look finds the file as the look before it found it, the bound runs out
// or the program ends; true when it settled.
bool AwaitStill(const SettleRule& rule, const QString& path, Watch& w) {
  while (w.seen && !w.ending) {
    if (w.waited >= rule.bound) return false;
    const milliseconds pause = NextPause(rule, *w.seen, w.waited);
    if (!Wait(rule, pause)) w.ending = true;
    w.waited += pause;
    std::optional<FileStamp> now = StampOf(path);
    if (now == w.seen) return true;
    w.seen = std::move(now);
  }
  return true;
}

}  // namespace

SettleRule SettleRule::Standard() {
  SettleRule rule;
  bool set = false;
  const int ms = qEnvironmentVariableIntValue("MVNZ_CONFIG_SETTLE_MS", &set);
  rule.settle = milliseconds(set && ms >= 0 ? ms : 500);
  rule.bound = rule.settle * 6;
  rule.wait = [](milliseconds pause) { return WaitMilliseconds(long(pause.count())); };
  return rule;
}

ReadResult ReadJobFile(const QString& path, const ReadOptions& options) {
  const SettleRule& rule = options.settle;
  if (rule.settle <= milliseconds(0)) return ReadFileOnce(path, options, nullptr);
  Watch w;
  w.seen = StampOf(path);
  bool still = !w.seen || Settled(rule, *w.seen) || AwaitStill(rule, path, w);
  for (;;) {
    ReadStamps stamps;
    ReadResult result = ReadFileOnce(path, options, &stamps);
    const bool changed = stamps.atOpen && (stamps.atOpen != w.seen || stamps.afterRead != stamps.atOpen ||
                                           stamps.pathAfterRead != stamps.atOpen);
    if (!changed || w.ending || w.waited >= rule.bound) {
      result.stillChanging = result.ok() && !w.ending && (changed || !still);
      return result;
    }
    w.seen = stamps.pathAfterRead;
    still = AwaitStill(rule, path, w);
  }
}

}  // namespace mvnz::jobfile
