#include <gtest/gtest.h>
#include <signal.h>
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
  EXPECT_TRUE(isInstanceRunning("mvnd-config"));
  EXPECT_TRUE(a.isLocked());  // asking never takes or drops the holder's lock
  a.unlock();
  EXPECT_FALSE(a.isLocked());
  EXPECT_FALSE(isInstanceRunning("mvnd-config"));
  EXPECT_TRUE(childCanLock());
  EXPECT_TRUE(b.tryLock());
}

TEST(Process, TwoChildProcessesRacingForTheLockOneWins) {
  // Both children start together on a pipe, try the lock, and hold it until the
  // parent has seen both answers; exactly one may win.
  int go[2], answers[2], release[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(answers), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t kids[2];
  for (pid_t& kid : kids) {
    kid = fork();
    ASSERT_GE(kid, 0);
    if (kid == 0) {
      char c;
      if (read(go[0], &c, 1) != 1) _exit(2);
      InstanceLock lock("mvnd-race");
      const char got = lock.tryLock() ? 'Y' : 'N';
      if (write(answers[1], &got, 1) != 1) _exit(2);
      if (read(release[0], &c, 1) < 0) _exit(2);
      _exit(0);
    }
  }
  ASSERT_EQ(write(go[1], "gg", 2), 2);
  QString got;
  for (int i = 0; i < 2; ++i) {
    char c = '?';
    ASSERT_EQ(read(answers[0], &c, 1), 1);
    got += QChar(c);
  }
  ASSERT_EQ(write(release[1], "rr", 2), 2);
  for (pid_t kid : kids) {
    int status = 0;
    ASSERT_EQ(waitpid(kid, &status, 0), kid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(got.count('Y'), 1) << got.toStdString();
  EXPECT_EQ(got.count('N'), 1) << got.toStdString();
  for (int fd : {go[0], go[1], answers[0], answers[1], release[0], release[1]}) close(fd);
}

TEST(Process, LockOfAKilledHolderIsFreeAgain) {
  int held[2];
  ASSERT_EQ(pipe(held), 0);
  const pid_t kid = fork();
  ASSERT_GE(kid, 0);
  if (kid == 0) {
    InstanceLock lock("mvnd-killed");
    const char got = lock.tryLock() ? 'Y' : 'N';
    if (write(held[1], &got, 1) != 1) _exit(2);
    pause();
    _exit(0);
  }
  char c = '?';
  ASSERT_EQ(read(held[0], &c, 1), 1);
  ASSERT_EQ(c, 'Y');
  InstanceLock mine("mvnd-killed");
  EXPECT_FALSE(mine.tryLock());
  kill(kid, SIGKILL);
  int status = 0;
  waitpid(kid, &status, 0);
  // No stale lock file keeps the next start out.
  EXPECT_TRUE(mine.tryLock());
  close(held[0]);
  close(held[1]);
}
