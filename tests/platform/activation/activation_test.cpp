#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "fixture.h"
#include "platform/activation.h"
#include "platform/paths.h"
#include "testenv.h"

using namespace mvnz;

namespace {

class Activation : public ::testing::Test {
 protected:
  void SetUp() override { activation::setPluginFolder(FIXTURE_DIR); }
};

int serialOf(const std::unique_ptr<Object>& o) {
  auto* c = interfaceCast<FixtureCounter>(o.get());
  return c ? c->serial() : -1;
}

}  // namespace

TEST_F(Activation, PluginLoadsOnceAndNameIgnoresCase) {
  ActivationError err;
  auto a = activation::create("GoodZuri.Setup", &err);
  ASSERT_TRUE(a) << err.detail.toStdString();
  auto b = activation::create("gOODzuri.sETUP", &err);
  ASSERT_TRUE(b) << err.detail.toStdString();
  // One copy of the library serves both: its counter goes on.
  EXPECT_EQ(serialOf(a), 1);
  EXPECT_EQ(serialOf(b), 2);
  EXPECT_EQ(a->queryInterface("other/1"), nullptr);
  a.reset();
  EXPECT_EQ(serialOf(activation::create("GoodZuri.Setup")), 3);
}

TEST_F(Activation, FaultyPluginsFailWithTheCreateError) {
  const char* cases[] = {"WrongAbiZuri.Setup",
                         "NoFactoryZuri.Setup",
                         "ThrowerZuri.Setup",
                         "AbsentZuri.Setup",
                         "Zuri.Setup",
                         "Good.Setup",
                         "../fixture-plugins/GoodZuri.Setup"};
  for (const char* progId : cases) {
    ActivationError err;
    EXPECT_EQ(activation::create(progId, &err), nullptr) << progId;
    EXPECT_EQ(err.number, 429) << progId;
    EXPECT_EQ(err.description, QString("ActiveX component can't create object"));
    EXPECT_EQ(err.source, QString(progId));
    EXPECT_FALSE(err.detail.isEmpty()) << progId;
  }
  // Failures leave the good plug-in usable.
  EXPECT_NE(activation::create("GoodZuri.Setup"), nullptr);
}

TEST_F(Activation, PluginFolderOverrideAndDefault) {
  activation::setPluginFolder(test::makeDir("empty-plugins"));
  EXPECT_EQ(activation::create("GoodZuri.Setup"), nullptr);
  activation::setPluginFolder(QString());
  EXPECT_EQ(activation::pluginFolder(), paths::pluginDir());
}

TEST_F(Activation, InProcessClasses) {
  struct Local : Object {
    void* queryInterface(const char*) noexcept override { return this; }
  };
  activation::registerClass("mvnd.MVNdcom", [] { return std::make_unique<Local>(); });
  EXPECT_NE(activation::create("MVND.mvndcom"), nullptr);
  activation::unregisterClass("mvnd.mvndcom");
  ActivationError err;
  EXPECT_EQ(activation::create("mvnd.MVNdcom", &err), nullptr);
  EXPECT_EQ(err.number, 429);

  activation::registerClass("Throws.Class",
                            []() -> std::unique_ptr<Object> { throw std::runtime_error("no"); });
  EXPECT_EQ(activation::create("Throws.Class", &err), nullptr);
  EXPECT_EQ(err.number, 429);
}

// A library someone else could have changed is never loaded: the library and its
// folder must belong to root or this user and be writable by no one else.
TEST_F(Activation, UnsafePluginLibrariesAreRefused) {
  const bool root = ::geteuid() == 0;
  const struct Case {
    const char* name;
    mode_t folderMode, libraryMode;
    uid_t folderOwner, libraryOwner;  // 65534 is the user nobody (root only)
    const char* why;                  // part of the refusal; empty: loads
  } cases[] = {
      {"Safe", 0755, 0755, 0, 0, ""},
      {"WorldFolder", 0777, 0755, 0, 0, "writable by group or others"},
      {"GroupFolder", 0775, 0755, 0, 0, "writable by group or others"},
      {"WorldLibrary", 0755, 0666, 0, 0, "writable by group or others"},
      {"ForeignLibrary", 0755, 0755, 0, 65534, "owned by another user"},
      {"ForeignFolder", 0755, 0755, 65534, 0, "owned by another user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!root && (c.folderOwner || c.libraryOwner)) continue;  // needs root to give away
    const QString folder = test::makeDir(QStringLiteral("unsafe-plugins/") + c.name);
    const QString lib = folder + "/" + c.name + ".so";
    ASSERT_TRUE(QFile::copy(QStringLiteral(FIXTURE_DIR) + "/Good.so", lib));
    const QByteArray f = QFile::encodeName(folder), l = QFile::encodeName(lib);
    const uid_t me = ::geteuid();
    ASSERT_EQ(::chown(l.constData(), c.libraryOwner ? c.libraryOwner : me, -1), 0);
    ASSERT_EQ(::chown(f.constData(), c.folderOwner ? c.folderOwner : me, -1), 0);
    ASSERT_EQ(::chmod(l.constData(), c.libraryMode), 0);
    ASSERT_EQ(::chmod(f.constData(), c.folderMode), 0);
    activation::setPluginFolder(folder);
    ActivationError err;
    const auto o = activation::create(QString(c.name) + "Zuri.Setup", &err);
    if (*c.why) {
      EXPECT_FALSE(o);
      EXPECT_TRUE(err.detail.contains(c.why)) << err.detail.toStdString();
      EXPECT_EQ(activation::unsafePluginReason(lib, folder), err.detail);
    } else {
      EXPECT_TRUE(o) << err.detail.toStdString();
    }
  }
  if (!root) GTEST_SKIP() << "the rows with another owner need root to give files to nobody";
}
