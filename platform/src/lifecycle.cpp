#include "platform/lifecycle.h"

#include <QMutex>
#include <atomic>
#include <map>

namespace mvnz::lifecycle {
namespace {

std::atomic<bool> g_ending{false};
QMutex g_mutex;
std::map<int, std::function<void()>> g_watchers;
int g_nextId = 1;

}  // namespace

void announceEnding() {
  if (g_ending.exchange(true)) return;
  std::map<int, std::function<void()>> watchers;
  {
    QMutexLocker lock(&g_mutex);
    watchers = g_watchers;
  }
  // Called without the lock, so a watcher may unwatch itself.
  for (auto& [id, fn] : watchers)
    if (fn) fn();
}

bool ending() { return g_ending; }

int watchEnding(std::function<void()> fn) {
  QMutexLocker lock(&g_mutex);
  const int id = g_nextId++;
  g_watchers.emplace(id, std::move(fn));
  return id;
}

void unwatchEnding(int id) {
  QMutexLocker lock(&g_mutex);
  g_watchers.erase(id);
}

}  // namespace mvnz::lifecycle
