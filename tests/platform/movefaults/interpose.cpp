// Definitions of the C library's file system calls that count while armed and fail
// the chosen one. Only <dlfcn.h> and <cerrno> are included, so the prototypes below
// are the only declarations of these names in this file.
#include <dlfcn.h>

#include <cerrno>
#include <cstdarg>
#include <cstddef>

#include "interpose.h"

namespace {

int armedAt = 0;  // the call that fails, 0 when disarmed
int seen = 0;
mvnz::test::faults::Failed failed;

// True when the call being made is the one to fail; then notes its name.
bool failNow(const char* name) {
  if (armedAt == 0 || ++seen != armedAt) return false;
  failed.name = name;
  return true;
}

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

int eio() {
  errno = EIO;
  return -1;
}

}  // namespace

extern "C" long readlink(const char* path, char* buf, size_t size);

// The path an open descriptor names, into failed.path.
void notePathOf(int fd) {
  char link[64] = "/proc/self/fd/";
  char digits[16];
  int n = 0;
  do digits[n++] = char('0' + fd % 10);
  while ((fd /= 10) > 0);
  int at = 14;
  while (n > 0) link[at++] = digits[--n];
  link[at] = 0;
  const long got = readlink(link, failed.path, sizeof failed.path - 1);
  failed.path[got > 0 ? got : 0] = 0;
}

namespace mvnz::test::faults {
void Arm(int n) {
  seen = 0;
  armedAt = n;
  failed = Failed{};
}
const Failed& LastFailure() { return failed; }
int Disarm() {
  armedAt = 0;
  return seen;
}
}  // namespace mvnz::test::faults

struct timespec;

extern "C" {

#define MVNZ_OPEN(name)                                                              \
  int name(const char* path, int flags, ...) {                                       \
    va_list ap;                                                                      \
    va_start(ap, flags);                                                             \
    const unsigned mode = va_arg(ap, unsigned);                                      \
    va_end(ap);                                                                      \
    if (failNow(#name)) return eio();                                                \
    static auto real = next<int (*)(const char*, int, ...)>(#name);                  \
    return real(path, flags, mode);                                                  \
  }
MVNZ_OPEN(open)
MVNZ_OPEN(open64)
#undef MVNZ_OPEN

#define MVNZ_OPENAT(name)                                                            \
  int name(int dfd, const char* path, int flags, ...) {                              \
    va_list ap;                                                                      \
    va_start(ap, flags);                                                             \
    const unsigned mode = va_arg(ap, unsigned);                                      \
    va_end(ap);                                                                      \
    if (failNow(#name)) return eio();                                                \
    static auto real = next<int (*)(int, const char*, int, ...)>(#name);             \
    return real(dfd, path, flags, mode);                                             \
  }
MVNZ_OPENAT(openat)
MVNZ_OPENAT(openat64)
#undef MVNZ_OPENAT

#define MVNZ_CALL(ret, name, params, args)                                           \
  ret name params {                                                                  \
    if (failNow(#name)) return eio();                                                \
    static auto real = next<ret(*) params>(#name);                                   \
    return real args;                                                                \
  }
int fsync(int fd) {
  if (failNow("fsync")) {
    notePathOf(fd);
    return eio();
  }
  static auto real = next<int (*)(int)>("fsync");
  return real(fd);
}
MVNZ_CALL(int, fdatasync, (int fd), (fd))
MVNZ_CALL(int, rename, (const char* a, const char* b), (a, b))
MVNZ_CALL(int, renameat, (int fa, const char* a, int fb, const char* b), (fa, a, fb, b))
MVNZ_CALL(int, renameat2, (int fa, const char* a, int fb, const char* b, unsigned f),
          (fa, a, fb, b, f))
MVNZ_CALL(int, unlink, (const char* p), (p))
MVNZ_CALL(int, unlinkat, (int fd, const char* p, int f), (fd, p, f))
MVNZ_CALL(long, copy_file_range, (int a, long* ao, int b, long* bo, size_t n, unsigned f),
          (a, ao, b, bo, n, f))
MVNZ_CALL(long, sendfile, (int out, int in, long* off, size_t n), (out, in, off, n))
MVNZ_CALL(long, sendfile64, (int out, int in, long* off, size_t n), (out, in, off, n))
MVNZ_CALL(long, write, (int fd, const void* b, size_t n), (fd, b, n))
MVNZ_CALL(int, fchmod, (int fd, unsigned m), (fd, m))
MVNZ_CALL(int, fchown, (int fd, unsigned u, unsigned g), (fd, u, g))
MVNZ_CALL(int, futimens, (int fd, const struct timespec* t), (fd, t))
#undef MVNZ_CALL

int close(int fd) {
  static auto real = next<int (*)(int)>("close");
  const int r = real(fd);
  if (failNow("close")) return eio();
  return r;
}

// renameat2 reached through syscall(2): counted like the others.
long syscall(long number, ...) {
  va_list ap;
  va_start(ap, number);
  long a[6];
  for (long& x : a) x = va_arg(ap, long);
  va_end(ap);
  constexpr long kRenameat2 = 316;  // x86-64
  if (number == kRenameat2 && failNow("renameat2")) return eio();
  static auto real = next<long (*)(long, ...)>("syscall");
  return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

}  // extern "C"
