// Editing a command script: every operation as a table over one five-command
// script, at both ends, out of range and with nothing selected; keys; copy and paste.
#include <gtest/gtest.h>

#include <functional>

#include "manager/script.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::manager::script;

namespace {

// Commands "A".."E"; command X carries the parameter "x1" and "x30".
jobfile::RoziRoruner FiveCommands() {
  jobfile::RoziRoruner r;
  for (const char* n : {"A", "B", "C", "D", "E"}) {
    jobfile::CommandEntry c;
    c.Name = QString::fromLatin1(n);
    c.Data[1] = c.Name.toLower() + "1";
    c.Data[30] = c.Name.toLower() + "30";
    r.Commands.append(c);
  }
  return r;
}

// The script as one text: names joined, each with its first parameter.
QString Order(const jobfile::RoziRoruner& r) {
  QStringList names;
  for (const auto& c : r.Commands) names << c.Name;
  return names.join(' ');
}

bool ParametersTravelled(const jobfile::RoziRoruner& r) {
  for (const auto& c : r.Commands) {
    const QString base = c.Name.startsWith('!') ? c.Name.mid(1) : c.Name;
    if (c.Data[1] != base.toLower() + "1" || c.Data[30] != base.toLower() + "30") return false;
  }
  return true;
}

struct Case {
  const char* what;
  std::function<Outcome(jobfile::RoziRoruner&)> op;
  const char* order;
  bool changed;
  int select;
};

}  // namespace

TEST(ScriptOperations, TableOnFiveCommands) {
  const Catalog catalog;
  const std::vector<Case> cases = {
      {"move 2 before 5", [](auto& r) { return Move(r, 2, 5); }, "A C D B E", true, 4},
      {"move 5 before 2", [](auto& r) { return Move(r, 5, 2); }, "A E B C D", true, 2},
      {"move 1 before 5", [](auto& r) { return Move(r, 1, 5); }, "B C D A E", true, 4},
      {"move 5 before 1", [](auto& r) { return Move(r, 5, 1); }, "E A B C D", true, 1},
      {"move onto the next", [](auto& r) { return Move(r, 2, 3); }, "A B C D E", false, 2},
      {"move onto itself", [](auto& r) { return Move(r, 3, 3); }, "A B C D E", false, 0},
      {"move before 0", [](auto& r) { return Move(r, 3, 0); }, "A B C D E", false, 0},
      {"move before 6", [](auto& r) { return Move(r, 3, 6); }, "A B C D E", false, 0},
      {"move from 0", [](auto& r) { return Move(r, 0, 2); }, "A B C D E", false, 0},
      {"move from 6", [](auto& r) { return Move(r, 6, 2); }, "A B C D E", false, 0},
      {"up 1", [](auto& r) { return Up(r, 1); }, "A B C D E", false, 0},
      {"up 3", [](auto& r) { return Up(r, 3); }, "A C B D E", true, 2},
      {"up 5", [](auto& r) { return Up(r, 5); }, "A B C E D", true, 4},
      {"up none", [](auto& r) { return Up(r, 0); }, "A B C D E", false, 0},
      {"down 1", [](auto& r) { return Down(r, 1); }, "B A C D E", true, 2},
      {"down 5", [](auto& r) { return Down(r, 5); }, "A B C D E", false, 0},
      {"down none", [](auto& r) { return Down(r, 0); }, "A B C D E", false, 0},
      {"remove 1", [](auto& r) { return Remove(r, 1); }, "B C D E", true, 1},
      {"remove 3", [](auto& r) { return Remove(r, 3); }, "A B D E", true, 2},
      {"remove 5", [](auto& r) { return Remove(r, 5); }, "A B C D", true, 4},
      {"remove none", [](auto& r) { return Remove(r, 0); }, "A B C D E", false, 0},
      {"remove 6", [](auto& r) { return Remove(r, 6); }, "A B C D E", false, 0},
      {"disable 1", [](auto& r) { return Disable(r, 1); }, "!A B C D E", true, 1},
      {"disable 5", [](auto& r) { return Disable(r, 5); }, "A B C D !E", true, 5},
      {"disable none", [](auto& r) { return Disable(r, 0); }, "A B C D E", false, 0},
      {"enable an enabled", [](auto& r) { return Enable(r, 2); }, "A B C D E", false, 0},
      {"toggle twice", [](auto& r) { Toggle(r, 2); return Toggle(r, 2); }, "A B C D E", true, 2},
      {"toggle once", [](auto& r) { return Toggle(r, 5); }, "A B C D !E", true, 5},
      {"toggle none", [](auto& r) { return Toggle(r, 0); }, "A B C D E", false, 0},
      {"append Comment",
       [&](auto& r) { return Append(r, catalog, "comment"); }, "A B C D E Comment", true, 0},
      {"append a category", [&](auto& r) { return Append(r, catalog, "Workflow"); },
       "A B C D E", false, 0},
      {"clear", [](auto& r) { return Clear(r); }, "", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto r = FiveCommands();
    const Outcome out = c.op(r);
    EXPECT_EQ(Order(r), QString::fromLatin1(c.order));
    EXPECT_EQ(out.changed, c.changed);
    EXPECT_EQ(out.select, c.select);
    if (r.Commands.size() <= 5) {
      EXPECT_TRUE(ParametersTravelled(r));
    }
  }
}

TEST(ScriptOperations, AppendUsesTheCatalogueSpellingAndEmptyParameters) {
  const Catalog catalog;
  jobfile::RoziRoruner r;
  ASSERT_TRUE(Append(r, catalog, "COMMENT").changed);
  ASSERT_TRUE(Append(r, catalog, "erroraction").changed);
  ASSERT_EQ(r.Commands.size(), 2);
  EXPECT_EQ(r.Commands[0].Name, "Comment");
  EXPECT_EQ(r.Commands[0].Data[1], "Comment");
  EXPECT_EQ(r.Commands[1].Name, "ErrorAction");
  for (int k = 1; k <= jobfile::kParameterCount; ++k) EXPECT_TRUE(r.Commands[1].Data[k].isEmpty());
}

TEST(ScriptOperations, CommentIsNeverDisabled) {
  auto r = FiveCommands();
  r.Commands[1].Name = "COMMENT";
  EXPECT_FALSE(Disable(r, 2).changed);
  EXPECT_FALSE(Toggle(r, 2).changed);
  EXPECT_EQ(r.Commands[1].Name, "COMMENT");
}

TEST(ScriptOperations, CopyAndPaste) {
  const Catalog catalog;
  struct PasteCase {
    const char* what;
    QString name;       // of command 4 before the copy
    int before;         // the right-clicked command
    QString pasted;     // name of the pasted command
    int select;
  };
  const std::vector<PasteCase> cases = {
      {"module before 2", "sleep", 2, "sleep", 2},  // no module loaded: kept as it was
      {"built-in, catalogue spelling", "endDaemon", 2, "EndDaemon", 2},
      {"disabled stays disabled", "!stopdaemon", 1, "!StopDaemon", 1},
      {"unknown disabled kept", "!Sleep", 5, "!Sleep", 5},
      {"root clicked: appended", "D", 0, "D", 6},
  };
  for (const PasteCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto r = FiveCommands();
    r.Commands[3].Name = c.name;
    Clipboard clip;
    EXPECT_FALSE(Paste(r, catalog, clip, 2).changed);  // nothing copied yet
    ASSERT_TRUE(Copy(r, 4, clip));
    const Outcome out = Paste(r, catalog, clip, c.before);
    ASSERT_EQ(r.Commands.size(), 6);
    EXPECT_EQ(out.select, c.select);
    const auto& p = r.Commands[c.select - 1];
    EXPECT_EQ(p.Name, c.pasted);
    EXPECT_EQ(p.Data[1], "d1");
    EXPECT_EQ(p.Data[30], "d30");
  }
}

TEST(ScriptOperations, CopiedCommentCarriesOnlyItsComment) {
  const Catalog catalog;
  auto r = FiveCommands();
  r.Commands[2].Name = "comment";
  Clipboard clip;
  ASSERT_TRUE(Copy(r, 1, clip));  // parameters a1 .. a30 first
  ASSERT_TRUE(Copy(r, 3, clip));
  EXPECT_EQ(clip.Name, "COMMENT");
  EXPECT_EQ(clip.Data[1], "c1");
  EXPECT_TRUE(clip.Data[30].isEmpty());
  const Outcome out = Paste(r, catalog, clip, 1);
  EXPECT_EQ(r.Commands[0].Name, "Comment");
  EXPECT_EQ(out.select, 1);
  EXPECT_FALSE(Copy(r, 0, clip));
  EXPECT_FALSE(Copy(r, 7, clip));
}

TEST(ScriptKeys, NumbersAndTexts) {
  EXPECT_EQ(CommandKey(12, "!Relocate"), "C12_!RELOCATE");
  EXPECT_EQ(CommandKey(3, ""), "C3_");
  EXPECT_EQ(ParameterKey(4, 30), "P4_Data30");
  const std::vector<std::pair<QString, int>> keys = {
      {"C12_RELOCATE", 12}, {"P4_Data30", 4}, {"C3_", 3}, {"r", 0}, {"C_X", 0},
      {"Cx_X", 0}, {"X3_A", 0}, {"C3", 0}, {"", 0}, {"C-1_A", 0}, {"WORKFLOW", 0}};
  for (const auto& [key, n] : keys) EXPECT_EQ(CommandNumber(key), n) << key.toStdString();
  jobfile::CommandEntry c;
  c.Name = "Comment";
  c.Data[1] = "note";
  EXPECT_EQ(CommandText(c), "note");
  c.Name = "!Sleep";
  EXPECT_EQ(CommandText(c), "!Sleep");
}

TEST(ScriptKeys, Images) {
  const Catalog catalog;
  const int relocate = catalog.find("ErrorAction");
  ASSERT_GT(relocate, 0);
  EXPECT_EQ(CommandImage(catalog, "erroraction"), catalog.rows()[relocate].IconIndex);
  EXPECT_EQ(CommandImage(catalog, "COMMENT"), kDisabledImage);
  EXPECT_EQ(CommandImage(catalog, "!Sleep"), kDisabledImage);
  EXPECT_EQ(CommandImage(catalog, "Sleep"), kUnknownImage);
}
