#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>

#include "platform/process.h"

using namespace mvnz::process;

TEST(Process, ListHoldsThisProgram) {
  const QStringList exes = runningExecutables();
  EXPECT_TRUE(exes.contains(QCoreApplication::applicationFilePath()));
}

TEST(Process, InstanceLockExcludesOtherHolders) {
  InstanceLock a("mvnd-config");
  ASSERT_TRUE(a.tryLock());
  EXPECT_TRUE(a.tryLock());  // holding it already
  InstanceLock b("mvnd-config");
  EXPECT_FALSE(b.tryLock());
  InstanceLock other("other");
  EXPECT_TRUE(other.tryLock());

  // Another process cannot take it while it is held, and can once it is released.
  auto childCanLock = [] {
    pid_t pid = fork();
    if (pid == 0) {
      InstanceLock c("mvnd-config");
      _exit(c.tryLock() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  EXPECT_FALSE(childCanLock());
  a.unlock();
  EXPECT_FALSE(a.isLocked());
  EXPECT_TRUE(childCanLock());
  EXPECT_TRUE(b.tryLock());
}
