// The runtime folder is used only when it is private to the user, and the locks and
// sockets in it never follow a link.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/process.h"
#include "platform/runtimefolder.h"
#include "platform/windowlink.h"
#include "testenv.h"

using namespace mvnz;

namespace {

constexpr uid_t kNobody = 65534;

QByteArray native(const QString& p) { return QFile::encodeName(p); }

int modeOf(const QString& p) {
  struct stat st;
  return ::lstat(native(p).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool exists(const QString& p) {
  struct stat st;
  return ::lstat(native(p).constData(), &st) == 0;
}

// Runs a shell command as the user nobody (setpriv; the caller is root); $1, $2 are args.
bool asNobody(const QString& script, const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("setpriv"),
          QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--", "sh", "-c", script,
                      "sh"} +
              args);
  return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Points the runtime folder at dir for the life of the object.
struct RuntimeAt {
  explicit RuntimeAt(const QString& dir) : old(qgetenv("MVNZ_RUNTIME_DIR")) {
    qputenv("MVNZ_RUNTIME_DIR", native(dir));
  }
  ~RuntimeAt() { qputenv("MVNZ_RUNTIME_DIR", old); }
  QByteArray old;
};

// A socket of this user left at path by a listener that ended.
bool makeStaleSocket(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  const QByteArray p = native(path);
  std::memcpy(a.sun_path, p.constData(), std::min<size_t>(p.size(), sizeof a.sun_path - 1));
  const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

// The folder another user could have made or could write is refused with its name and
// the reason; a folder only this user can write is used, narrowed to 0700.
TEST(RuntimeFolder, UsedOnlyWhenPrivateToTheUser) {
  const bool root = ::geteuid() == 0;
  // A sticky world-writable parent outside the test root, so nobody can reach it.
  test::TempFolder shared(QDir::tempPath() + "/mvnz-rt-XXXXXX");
  ASSERT_TRUE(shared.isValid());
  ASSERT_EQ(::chmod(native(shared.path()).constData(), 01777), 0);
  const QString victim = test::makeDir("rootonly") + "/victim";
  const struct Case {
    const char* name;
    bool needsRoot;
    std::function<bool(const QString& dir)> make;  // nullptr: the folder is missing
    const char* why;  // part of the refusal; nullptr: used
    int modeAfter;
  } cases[] = {
      {"missing", false, nullptr, nullptr, 0700},
      {"ours-0755", false,
       [](const QString& d) { return ::mkdir(native(d).constData(), 0755) == 0; }, nullptr, 0700},
      {"ours-0777", false,
       [](const QString& d) {
         return ::mkdir(native(d).constData(), 0) == 0 && ::chmod(native(d).constData(), 0777) == 0;
       },
       "writable by others (mode 0777)", 0777},
      {"ours-0770", false,
       [](const QString& d) {
         return ::mkdir(native(d).constData(), 0) == 0 && ::chmod(native(d).constData(), 0770) == 0;
       },
       "writable by its group (mode 0770)", 0770},
      {"link", false,
       [](const QString& d) {
         const QString real = d + "-real";
         return ::mkdir(native(real).constData(), 0700) == 0 &&
                ::symlink(native(real).constData(), native(d).constData()) == 0;
       },
       "it is a symbolic link", -2},
      {"file", false,
       [](const QString& d) {
         QFile f(d);
         return f.open(QIODevice::WriteOnly);
       },
       "it is not a folder", -2},
      // The attack: nobody makes the folder first, open to all, with a link where the
      // lock is created.
      {"nobody-0777-lock-link", true,
       [&victim](const QString& d) {
         return asNobody("mkdir -m 0777 \"$1\" && ln -s \"$2\" \"$1/mvnd.lock\"", {d, victim});
       },
       "owned by user nobody (65534), not by user root (0)", 0777},
      {"nobody-0700", true, [](const QString& d) { return asNobody("mkdir -m 0700 \"$1\"", {d}); },
       "owned by user nobody (65534), not by user root (0)", 0700},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !root) {
      std::printf("row %s skipped: needs root to act as the user nobody\n", c.name);
      continue;
    }
    const QString dir = shared.path() + "/" + c.name;
    if (c.make) ASSERT_TRUE(c.make(dir));
    RuntimeAt at(dir);
    const QString why = runtimefolder::prepare();
    process::InstanceLock lock(QStringLiteral("mvnd"));
    if (!c.why) {
      EXPECT_EQ(why, QString());
      EXPECT_TRUE(lock.tryLock()) << lock.error().toStdString();
      EXPECT_EQ(modeOf(dir), c.modeAfter);
      continue;
    }
    EXPECT_TRUE(why.startsWith("Runtime folder [" + dir + "] not used: ")) << why.toStdString();
    EXPECT_TRUE(why.contains(QLatin1String(c.why))) << why.toStdString();
    EXPECT_FALSE(lock.tryLock());
    EXPECT_EQ(lock.error(), why);
    EXPECT_FALSE(process::isInstanceRunning(QStringLiteral("mvnd")));
    if (c.modeAfter != -2) EXPECT_EQ(modeOf(dir), c.modeAfter);  // left as it was
    EXPECT_FALSE(exists(victim));
  }
  if (!root) GTEST_SKIP() << "the rows with the user nobody need root";
}

// In a private folder, what lies where a lock or a socket is made is never followed:
// a link or a file of the wrong kind is refused and left alone; only a stale socket of
// this user is replaced.
TEST(RuntimeFolder, LockAndSocketNamesNeverFollowALink) {
  const bool root = ::geteuid() == 0;
  const QString victim = test::makeDir("elsewhere") + "/victim";
  const struct Case {
    const char* name;
    bool needsRoot;
    std::function<bool(const QString& at)> make;
    bool isLock;      // a lock name, else a socket name
    const char* why;  // part of the refusal; nullptr: taken
  } cases[] = {
      {"lock-link", false,
       [&victim](const QString& at) {
         return ::symlink(native(victim).constData(), native(at).constData()) == 0;
       },
       true, "Too many levels of symbolic links"},
      {"lock-fifo", false, [](const QString& at) { return ::mkfifo(native(at).constData(), 0600) == 0; },
       true, "it is not a plain file"},
      {"socket-link", false,
       [&victim](const QString& at) {
         return ::symlink(native(victim).constData(), native(at).constData()) == 0;
       },
       false, "a symbolic link is in its place"},
      {"socket-file", false,
       [](const QString& at) {
         QFile f(at);
         return f.open(QIODevice::WriteOnly);
       },
       false, "a file that is not a socket is in its place"},
      {"socket-stale", false, makeStaleSocket, false, nullptr},
      {"socket-nobody", true,
       [](const QString& at) {
         return makeStaleSocket(at) && ::lchown(native(at).constData(), kNobody, kNobody) == 0;
       },
       false, "the socket there belongs to user 65534"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !root) {
      std::printf("row %s skipped: needs root to give a socket to the user nobody\n", c.name);
      continue;
    }
    const QString dir = test::makeDir(QStringLiteral("names-") + c.name);
    RuntimeAt at(dir);
    ASSERT_EQ(runtimefolder::prepare(), QString());
    if (c.isLock) {
      ASSERT_TRUE(c.make(dir + "/mvnd.lock"));
      process::InstanceLock lock(QStringLiteral("mvnd"));
      EXPECT_FALSE(lock.tryLock());
      EXPECT_TRUE(lock.error().startsWith("Lock [" + dir + "/mvnd.lock] not used: "))
          << lock.error().toStdString();
      EXPECT_TRUE(lock.error().contains(QLatin1String(c.why))) << lock.error().toStdString();
      EXPECT_TRUE(exists(dir + "/mvnd.lock"));
    } else {
      // Through the window link's listener, which every listener's rule is.
      const QString path = windowlink::socketPath("Prog", c.name);
      ASSERT_TRUE(c.make(path));
      windowlink::Listener l(path, [] {});
      QString error;
      const bool listening = l.listen(&error);
      EXPECT_EQ(listening, c.why == nullptr) << error.toStdString();
      if (c.why) {
        EXPECT_TRUE(error.startsWith("Socket [" + path + "] not used: ")) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.why))) << error.toStdString();
        struct stat st;
        ASSERT_EQ(::lstat(native(path).constData(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode) || S_ISREG(st.st_mode) || st.st_uid == kNobody);
      }
    }
    EXPECT_FALSE(exists(victim));
  }
  if (!root) GTEST_SKIP() << "the row with the user nobody needs root";
}

// A folder on the way to the runtime folder that someone else owns, or may write
// without being sticky, would let them swap the runtime folder for their own: it is
// refused, naming that folder. Links on the way are walked, and judged, one at a time.
TEST(RuntimeFolder, FoldersOnTheWayMustBeTrusted) {
  const bool root = ::geteuid() == 0;
  const auto mkdirMode = [](const QString& d, int mode) {
    return QDir().mkpath(d) && ::chmod(native(d).constData(), mode) == 0;
  };
  const auto link = [](const QString& to, const QString& at) {
    return ::symlink(native(to).constData(), native(at).constData()) == 0;
  };
  const auto give = [](const QString& p) {
    return ::lchown(native(p).constData(), kNobody, kNobody) == 0;
  };
  const struct Case {
    const char* name;
    bool needsRoot;
    const char* runtime;  // below the case's folder $B
    std::function<bool(const QString& b)> make;
    const char* named;  // the folder the refusal names, below $B; nullptr: used
    const char* why;
  } cases[] = {
      {"parent-0755", false, "p/run", [&](const QString& b) { return mkdirMode(b + "/p", 0755); },
       nullptr, nullptr},
      {"parent-sticky", false, "p/run",
       [&](const QString& b) { return mkdirMode(b + "/p", 01777); }, nullptr, nullptr},
      {"parent-0777", false, "p/run", [&](const QString& b) { return mkdirMode(b + "/p", 0777); },
       "p", "writable by others and not sticky (mode 0777)"},
      {"parent-0770", false, "p/run", [&](const QString& b) { return mkdirMode(b + "/p", 0770); },
       "p", "writable by its group and not sticky (mode 0770)"},
      {"grandparent-0777", false, "g/p/run",
       [&](const QString& b) { return mkdirMode(b + "/g/p", 0755) && mkdirMode(b + "/g", 0777); },
       "g", "writable by others and not sticky (mode 0777)"},
      {"link-to-a-private-folder", false, "l/run",
       [&](const QString& b) {
         return mkdirMode(b + "/real", 0755) && link(b + "/real", b + "/l");
       },
       nullptr, nullptr},
      {"relative-link-into-an-open-folder", false, "l/run",
       [&](const QString& b) {
         return mkdirMode(b + "/open/in", 0755) && mkdirMode(b + "/open", 0777) &&
                link("open/in", b + "/l");
       },
       "open", "writable by others and not sticky (mode 0777)"},
      {"parent-of-nobody", true, "p/run",
       [&](const QString& b) { return mkdirMode(b + "/p", 0755) && give(b + "/p"); }, "p",
       "on its way is owned by user nobody (65534)"},
      // In a sticky folder the user nobody may rename only its own entries: a folder
      // or a link of nobody's there is refused, root's is used.
      {"sticky-with-a-folder-of-nobody", true, "t/n/run",
       [&](const QString& b) {
         return mkdirMode(b + "/t/n", 0755) && mkdirMode(b + "/t", 01777) && give(b + "/t/n");
       },
       "t/n", "on its way is owned by user nobody (65534)"},
      {"sticky-with-a-link-of-nobody", true, "t/l/run",
       [&](const QString& b) {
         return mkdirMode(b + "/real", 0755) && mkdirMode(b + "/t", 01777) &&
                link(b + "/real", b + "/t/l") && give(b + "/t/l");
       },
       "t/l", "on its way is owned by user nobody (65534)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !root) {
      std::printf("row %s skipped: needs root to give a folder to the user nobody\n", c.name);
      continue;
    }
    const QString b = test::makeDir(QStringLiteral("way-") + c.name);
    ASSERT_TRUE(c.make(b));
    const QString dir = b + "/" + c.runtime;
    RuntimeAt at(dir);
    const QString why = runtimefolder::prepare();
    process::InstanceLock lock(QStringLiteral("mvnd"));
    if (!c.named) {
      EXPECT_EQ(why, QString());
      EXPECT_TRUE(lock.tryLock()) << lock.error().toStdString();
      continue;
    }
    EXPECT_TRUE(why.startsWith("Runtime folder [" + dir + "] not used: ")) << why.toStdString();
    EXPECT_TRUE(why.contains("[" + b + "/" + c.named + "]"))
        << why.toStdString();
    EXPECT_TRUE(why.contains(QLatin1String(c.why))) << why.toStdString();
    EXPECT_FALSE(lock.tryLock());
    EXPECT_FALSE(exists(dir + "/mvnd.lock"));
  }
  if (!root) GTEST_SKIP() << "the rows with the user nobody need root";
}
