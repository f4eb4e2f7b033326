// Start-up clock for a real mvnd, precise to about a millisecond:
//   mvnd_startclock LOG TEXT TIMEOUT_S PROGRAM [ARGS...]
//     starts PROGRAM, polls LOG every 0.2 ms for a line holding TEXT written after the
//     start, prints "<ms>" from the fork to that line (or "timeout"), then sends SIGTERM
//     and waits for the program to end.
//   mvnd_startclock --term-after MS TIMEOUT_S PROGRAM [ARGS...]
//     starts PROGRAM, sends SIGTERM MS milliseconds after the fork, prints
//     "<ms> <status>": the time from the signal until the program has ended and its exit
//     status (-1: killed after TIMEOUT_S or by a signal).
// A figure for bench/config/run.sh, not a test.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The daemon's own output goes to $BENCH_ROOT/mvnd.out (else nowhere), never into the
// figures this program prints.
pid_t Spawn(char** argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    const char* root = std::getenv("BENCH_ROOT");
    const std::string out = root ? std::string(root) + "/mvnd.out" : "/dev/null";
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
    }
    execv(argv[0], argv);
    std::perror("exec");
    _exit(127);
  }
  return pid;
}

long FileSize(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// Waits for pid, killing it after timeoutS; its exit status, or -1.
int Reap(pid_t pid, double timeoutS) {
  const auto start = Clock::now();
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (MsSince(start) > timeoutS * 1000) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The time until a line holding text is appended to log; negative after timeoutS.
double WaitForLine(const char* log, const std::string& text, double timeoutS, pid_t pid,
                   Clock::time_point start) {
  long seen = FileSize(log);
  if (seen < 0) seen = 0;  // the daemon creates the log (and its dated folders)
  std::string tail;
  while (MsSince(start) < timeoutS * 1000) {
    const long size = FileSize(log);
    if (size > seen) {
      if (FILE* f = std::fopen(log, "rb")) {
        std::fseek(f, seen, SEEK_SET);
        std::string chunk(static_cast<size_t>(size - seen), '\0');
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
        chunk.resize(got);
        seen += static_cast<long>(got);
        tail += chunk;
        if (tail.find(text) != std::string::npos) return MsSince(start);
        // Keep only what a line split across two reads needs.
        if (tail.size() > text.size()) tail.erase(0, tail.size() - text.size());
      }
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::strcmp(argv[1], "--term-after") == 0) {
    const double afterMs = std::atof(argv[2]);
    const double timeoutS = std::atof(argv[3]);
    const auto start = Clock::now();
    const pid_t pid = Spawn(argv + 4);
    std::this_thread::sleep_until(start + std::chrono::microseconds(
                                              static_cast<long>(afterMs * 1000)));
    const auto signalled = Clock::now();
    kill(pid, SIGTERM);
    const int status = Reap(pid, timeoutS);
    std::printf("%.1f %d\n", MsSince(signalled), status);
    return 0;
  }
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s LOG TEXT TIMEOUT_S PROGRAM [ARGS...]\n"
                         "       %s --term-after MS TIMEOUT_S PROGRAM [ARGS...]\n",
                 argv[0], argv[0]);
    return 2;
  }
  const double timeoutS = std::atof(argv[3]);
  const auto start = Clock::now();
  const pid_t pid = Spawn(argv + 4);
  const double ms = WaitForLine(argv[1], argv[2], timeoutS, pid, start);
  if (ms < 0)
    std::printf("timeout\n");
  else
    std::printf("%.1f\n", ms);
  std::fflush(stdout);
  kill(pid, SIGTERM);
  Reap(pid, 10);
  return 0;
}
