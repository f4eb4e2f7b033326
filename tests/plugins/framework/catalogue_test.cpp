// The command catalogue against the built plug-ins: each known plug-in reports the
// one module, with the name and category, that the catalogue lists for it.
#include <gtest/gtest.h>

#include "library/catalogue.h"
#include "pluginfixture.h"

using namespace mvnz;

TEST(PluginCatalogue, EveryPluginReportsItsCataloguedModule) {
  for (const catalogue::Command& c : catalogue::PluginCommands()) {
    SCOPED_TRACE(c.plugin);
    test::Plugin p = test::loadPlugin(QString::fromLatin1(c.plugin));
    ASSERT_NE(p.setup, nullptr);
    p->Init();
    ASSERT_EQ(p->ModuleCount(), 1);
    ModType m;
    ASSERT_EQ(p->ModuleInfo(1, &m), 0);
    EXPECT_EQ(m.name, QString::fromLatin1(c.name));
    EXPECT_EQ(m.Cat, QString::fromLatin1(c.category));
  }
}
