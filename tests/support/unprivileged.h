#pragma once
// Runs a check in a child process without any capability, so file modes bind it even
// when the tests run as root. The child only reports true or false.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace mvnz::test {

inline bool RunUnprivileged(const std::function<bool()>& check) {
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capset, &header, data) != 0) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace mvnz::test
