// The command catalogue and the token table: row order, lookups, parameter positions,
// token names and the numbered families.
#include <gtest/gtest.h>

#include <QStringList>

#include "library/catalogue.h"
#include "library/tokens.h"

using namespace mvnz;

TEST(Catalogue, BuiltInRowsInModuleTableOrder) {
  using catalogue::BuiltIn;
  QStringList names;
  for (const catalogue::Command& c : catalogue::BuiltIns()) {
    names << c.name;
    EXPECT_STREQ(c.plugin, "");
  }
  EXPECT_EQ(names, QStringList({"ErrorAction", "EndDaemon", "StopDaemon", "Comment", "LoadConfig",
                                "Reschedule"}));
  const struct {
    BuiltIn b;
    const char* moduleTableName;
    short icon;
  } rows[] = {{BuiltIn::ErrorAction, "ErrorAction", 3}, {BuiltIn::EndDaemon, "EndDaemon", 13},
              {BuiltIn::StopDaemon, "StopDaemon", 14},  {BuiltIn::Comment, "Comment", 15},
              {BuiltIn::LoadConfig, "LoadCOnfig", 17},  {BuiltIn::Reschedule, "Reschedule", 18}};
  for (const auto& r : rows) {
    EXPECT_EQ(catalogue::ModuleTableName(r.b), r.moduleTableName);
    EXPECT_EQ(catalogue::IconIndex(r.b), r.icon) << r.moduleTableName;
    EXPECT_EQ(catalogue::FindBuiltIn(QString::fromLatin1(catalogue::Of(r.b).name)), r.b)
        << r.moduleTableName;
  }
  EXPECT_EQ(catalogue::PluginCommands().size(), 14u);
}

TEST(Catalogue, LookupIgnoresCase) {
  using catalogue::BuiltIn;
  const struct {
    const char* name;
    const char* found;  // nullptr: unknown
    std::optional<BuiltIn> builtIn;
  } cases[] = {
      {"LOADCONFIG", "LoadConfig", BuiltIn::LoadConfig},
      {"LoadCOnfig", "LoadConfig", BuiltIn::LoadConfig},
      {"comment", "Comment", BuiltIn::Comment},
      {"relocate", "Relocate", std::nullopt},
      {"ASSIGNVALUE", "AssignValue", std::nullopt},
      {"!Comment", nullptr, std::nullopt},
      {"Comment ", nullptr, std::nullopt},
      {"Bogus", nullptr, std::nullopt},
      {"", nullptr, std::nullopt},
  };
  for (const auto& c : cases) {
    const catalogue::Command* found = catalogue::Find(QString::fromLatin1(c.name));
    if (c.found) {
      ASSERT_NE(found, nullptr) << c.name;
      EXPECT_STREQ(found->name, c.found);
    } else {
      EXPECT_EQ(found, nullptr) << c.name;
    }
    EXPECT_EQ(catalogue::FindBuiltIn(QString::fromLatin1(c.name)), c.builtIn) << c.name;
  }
}

TEST(Catalogue, ParameterPositionsAscendWithinTheThirty) {
  for (const catalogue::Command& c : catalogue::Commands()) {
    int last = 0;
    for (const catalogue::Parameter& p : c.params) {
      EXPECT_GT(p.position, last) << c.name;
      EXPECT_LE(p.position, catalogue::kParameterCount) << c.name;
      EXPECT_STRNE(p.meaning, "") << c.name;
      last = p.position;
    }
  }
}

TEST(Tokens, TableOrderNamesAndTexts) {
  int row = 0;
  for (const tokens::TokenInfo& t : tokens::Fixed()) {
    EXPECT_EQ(static_cast<int>(t.token), row++) << t.name;
    EXPECT_EQ(&tokens::Info(t.token), &t) << t.name;
    EXPECT_EQ(tokens::FindFixed(QString::fromLatin1(t.name)), &t) << t.name;
    // The text the menus insert names the same token.
    const QString text = tokens::Text(t.token);
    EXPECT_EQ(text.mid(1, text.size() - 2).toUpper(), QString::fromLatin1(t.name));
  }
  EXPECT_EQ(row, 28);
  EXPECT_EQ(tokens::FindFixed(u"FileName"), nullptr);  // names are looked up upper-cased
  EXPECT_EQ(tokens::Text(tokens::Family::GlobalVariable, 15), "<GV15>");
}

TEST(Tokens, NumberedFamilies) {
  using tokens::Family;
  const struct {
    const char* name;
    std::optional<Family> family;
    int n;
  } cases[] = {
      {"LC1", Family::LocalConstant, 1},  {"LC15", Family::LocalConstant, 15},
      {"LC16", Family::LocalConstant, 0}, {"LC0", Family::LocalConstant, 0},
      {"LC01", Family::LocalConstant, 0}, {"LCX", Family::LocalConstant, 0},
      {"LC", Family::LocalConstant, 0},   {"GC7", Family::GlobalConstant, 7},
      {"LV1", Family::LocalVariable, 1},  {"GV15", Family::GlobalVariable, 15},
      {"LC+1", Family::LocalConstant, 0}, {"L", std::nullopt, 0},
      {"XX1", std::nullopt, 0},           {"", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    const auto m = tokens::MatchFamily(QString::fromLatin1(c.name));
    ASSERT_EQ(m.has_value(), c.family.has_value()) << c.name;
    if (!m) continue;
    EXPECT_EQ(m->family, *c.family) << c.name;
    EXPECT_EQ(m->n, c.n) << c.name;
  }
}
