// File names as bytes: the text form of a name keeps every byte, and a name that is
// not UTF-8, or is as long as a name can be, is moved, copied and deleted like any
// other, on one file system and across two.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>


#include "filefixture.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Replace;

namespace {

// Writes content under the exact bytes of path.
bool writeRaw(const QByteArray& path, const QByteArray& content) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
  return ::close(fd) == 0 && ok;
}

bool existsRaw(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0;
}

dev_t deviceOf(const QString& path) {
  struct stat st {};
  ::stat(fileops::encodeName(path).constData(), &st);
  return st.st_dev;
}

}  // namespace

TEST(FileNames, TextFormKeepsEveryByte) {
  const struct {
    const char* what;
    QByteArray bytes;
    QString text;  // the decoded form
  } cases[] = {
      {"ascii", "plain.txt", QStringLiteral("plain.txt")},
      {"utf-8", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80")},
      {"latin-1 byte", "caf\xe9.txt", QString::fromUtf16(u"caf\xdce9.txt")},
      {"overlong slash", "a\xc0\xaf" "b", QString::fromUtf16(u"a\xdcc0\xdcaf" "b")},
      {"encoded surrogate", "\xed\xa0\x80", QString::fromUtf16(u"\xdced\xdca0\xdc80")},
      {"cut sequence", "x\xe2\x82", QString::fromUtf16(u"x\xdce2\xdc82")},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", QString::fromUtf16(u"\xdcf4\xdc90\xdc80\xdc80")},
      {"lone continuation after a 4-byte character", "\xf0\x9f\x98\x80\x80",
       QString::fromUtf8("\xf0\x9f\x98\x80") + QChar(char16_t(0xdc80))},
      {"every high byte", QByteArray("\xff\xfe\x80"), QString::fromUtf16(u"\xdcff\xdcfe\xdc80")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString text = fileops::decodeName(c.bytes);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(fileops::encodeName(text), c.bytes);
  }
  // Every single byte and every pair of bytes comes back as it was.
  for (int a = 1; a < 256; ++a)
    for (int b = 0; b < 256; b += 15) {
      QByteArray bytes(1, char(a));
      if (b) bytes += char(b);
      ASSERT_EQ(fileops::encodeName(fileops::decodeName(bytes)), bytes) << a << " " << b;
    }
  // A name that is not UTF-8 keeps its length in bytes, so cutting it counts bytes.
  const QString odd = fileops::decodeName(QByteArray(255, '\xe9'));
  EXPECT_EQ(fileops::encodeName(fileops::cutToBytes(odd, 200)).size(), 200);
}

// Each name, each operation, within one file system and across two. The names are
// created and checked by their bytes; the operations get their decoded text.
TEST(FileNames, OddAndLongNamesAreMovedCopiedAndDeleted) {
  const QString disk = test::makeDir("names");
  test::TempFolder shm("/dev/shm/mvnz-names-XXXXXX");
  const bool twoFs = shm.isValid() && deviceOf(shm.path()) != deviceOf(disk);
  const struct {
    const char* what;
    QByteArray name;
  } names[] = {
      {"255 ascii bytes", QByteArray(255, 'n')},
      {"255 bytes of 3-byte characters", QByteArray("\xe2\x82\xac").repeated(85)},
      {"latin-1", "r\xe9sum\xe9.txt"},
      {"255 bytes, none UTF-8", QByteArray(255, '\xe9')},
      {"254 bytes of 2-byte characters and a stray byte", QByteArray("\xc3\x9f").repeated(127) + '\xff'},
  };
  enum class Op { Move, Copy, Delete };
  const struct {
    const char* what;
    Op op;
    bool across;
  } ops[] = {
      {"move", Op::Move, false},     {"copy", Op::Copy, false},   {"delete", Op::Delete, false},
      {"move across", Op::Move, true}, {"copy across", Op::Copy, true},
  };
  int n = 0;
  for (const auto& op : ops) {
    if (op.across && !twoFs) continue;
    for (const auto& nm : names) {
      SCOPED_TRACE(std::string(op.what) + ", " + nm.what);
      const QString from = test::makeDir(QString("names/from%1").arg(n));
      const QString to =
          op.across ? shm.path() + QString("/to%1").arg(n) : test::makeDir(QString("names/to%1").arg(n));
      ++n;
      ASSERT_TRUE(fileops::makeFolders(to).ok());
      const QByteArray source = fileops::encodeName(from) + '/' + nm.name;
      const QByteArray target = fileops::encodeName(to) + '/' + nm.name;
      ASSERT_TRUE(writeRaw(source, "content"));
      const QString s = fileops::decodeName(source), t = fileops::decodeName(target);
      ASSERT_TRUE(fileops::regularFile(s));
      fileops::Outcome o;
      switch (op.op) {
        case Op::Move:
          o = fileops::moveFile(s, t, Replace::No);
          break;
        case Op::Copy:
          o = fileops::copyFile(s, t, Replace::No);
          break;
        case Op::Delete:
          o = fileops::deleteFile(s);
          break;
      }
      ASSERT_TRUE(o.ok()) << o.errorText.toStdString();
      EXPECT_EQ(existsRaw(source), op.op == Op::Copy);
      if (op.op != Op::Delete) {
        EXPECT_EQ(test::readRaw(target), "content");
      }
    }
  }
  if (!twoFs) GTEST_SKIP() << "/dev/shm is no second file system: only the rows within one ran";
}
