#include <gtest/gtest.h>
#include <QLocale>

#include "compute.h"

using namespace mvnz;
using namespace mvnz::assignvalue;

namespace {

struct Line {
  QString text;
  short level;
};

struct Runner {
  QList<Line> lines;
  VarType local[16], global[16];
  bool error = false;
  void operator()(QStringList data, bool autoLog = false) {
    while (data.size() < 9) data << QString();
    error = ComputeVariable(
        data, autoLog,
        [this](const QString& t, short l) {
          lines.append({t, l});
        },
        local, global);
  }
};

class AssignValue : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

}  // namespace

// Result, warning or error of every function. For a warning or error the expected
// text is the warning line or the error description.
TEST_F(AssignValue, Functions) {
  using K = Evaluation::Kind;
  struct Case {
    const char *f, *d1, *d2, *d3;
    K kind;
    QString want;
  } cases[] = {
      {"InitVariable", "", "", "", K::Value, ""},
      {"initvariable", "x y", "", "", K::Value, "x y"},
      {"SubString", "2", "0", "abcdef", K::Value, "bcdef"},
      {"SubString", "2", "3", "abcdef", K::Value, "bcd"},
      {"SubString", "5", "3", "abcdef", K::Value, "ef"},
      {"SubString", "2.5", "1", "abcdef", K::Value, "b"},  // halves go to the even neighbour
      {"SubString", "0", "1", "abc", K::Warning,
       "WARNING_ASSIGNVALUE: Illegal value in <AssignValue> <SubString> function"},
      {"SubString", "4", "1", "abc", K::Warning, ""},
      {"SubString", "1", "4", "abc", K::Warning, ""},
      {"SubString", "1", "1", "", K::Warning, ""},
      {"StringLength", "h\xc3\xa9llo", "", "", K::Value, "5"},
      {"StringLength", "", "", "", K::Warning,
       "WARNING_ASSIGNVALUE: Missing data in <AssignValue> <Length> function"},
      {"FindString", "1", "B", "abc", K::Value, "2"},
      {"FindString", "1", "x", "abc", K::Value, "0"},
      {"FindString", "3", "a", "abca", K::Value, "4"},
      {"FindString", "4", "a", "abc", K::Warning,
       "WARNING_ASSIGNVALUE: Missing or illegal data in <AssignValue> <FindString> function"},
      {"FindString", "0.4", "c", "abc", K::Error,
       "Invalid procedure call or argument"},  // rounds to 0: never "from the end"
      {"FindString", "1", "", "abc", K::Warning, ""},
      {"TrimString", "  a b \t ", "", "", K::Value, "a b \t"},
      {"TrimString", "", "", "", K::Warning, ""},
      {"UpperCase", "abC\xc3\xa4", "", "", K::Value, "ABC\xc3\x84"},
      {"LowerCase", "ABc", "", "", K::Value, "abc"},
      {"LowerCase", "", "", "", K::Warning,
       "WARNING_ASSIGNVALUE: Missing data in <AssignValue> <LowerCase> function"},
      {"ReplaceChar", "ab", "bx", "a", K::Value, "bxx"},
      {"ReplaceChar", "ab", "c", "abc", K::Value, "ccc"},
      {"ReplaceChar", "a", "", "abc", K::Warning,
       "WARNING_ASSIGNVALUE: Incorrect syntax in <AssignValue> <ReplaceChar> function"},
      {"ReplaceString", "ab", "X", "abcabAB", K::Value, "XcXAB"},
      {"ReplaceString", "aa", "b", "aaa", K::Value, "ba"},
      {"ReplaceString", "a", "", "abc", K::Warning, ""},
      {"ReplaceSpace", "a b  c", "_", "", K::Value, "a_b__c"},
      {"ReplaceSpace", "a b", "", "", K::Warning,
       "WARNING_ASSIGNVALUE: Incorrect syntax in <AssignValue> <ReplaceSpace> function"},
      {"StripChar", "-.", "1-2.3-4", "", K::Value, "1234"},
      {"StripChar", "", "abc", "", K::Warning, ""},
      {"Add", "1", "2", "", K::Value, "3"},
      {"Add", "0.1", "0.2", "", K::Value, "0.3"},
      {"Add", "", "1", "", K::Error, "Type mismatch"},
      {"Add", "1", "", "", K::Warning,
       "WARNING_ASSIGNVALUE: Missing data in <AssignValue> <Add> function"},
      {"Add", "1e308", "1e308", "", K::Error, "Overflow"},
      {"Add", "inf", "1", "", K::Error, "Type mismatch"},
      {"Subtract", "1.5", "4", "", K::Value, "-2.5"},
      {"Multiply", "1e10", "1e10", "", K::Value, "1E+20"},
      {"Multiply", "abc", "2", "", K::Error, "Type mismatch"},
      {"Divide", "1", "3", "", K::Value, "0.333333333333333"},
      {"Divide", "1", "100000", "", K::Value, "1E-05"},
      {"Divide", "1", "0", "", K::Error, "Division by zero"},
      {"Divide", "0", "0", "", K::Error, "Overflow"},
      {"Divide", "1e-300", "1e300", "", K::Value, "0"},
      {"Divide", "1", "", "", K::Warning,
       "WARNING_ASSIGNVALUE: Missing data in <AssignValue> <Divide> function"},
      {"Concat", "a", "b", "", K::Warning, "WARNING_ASSIGN-VALUE: Unknown function accessed"},
  };
  for (const auto& c : cases) {
    const Evaluation e =
        Evaluate(c.f, QString::fromUtf8(c.d1), QString::fromUtf8(c.d2), QString::fromUtf8(c.d3));
    SCOPED_TRACE(std::string(c.f) + "(" + c.d1 + "," + c.d2 + "," + c.d3 + ")");
    EXPECT_EQ(e.kind, c.kind);
    if (c.kind != K::Warning || !c.want.isEmpty()) {
      EXPECT_EQ(e.text, c.want);
    }
  }
}

TEST_F(AssignValue, NumbersUseTheLocalesDecimalSign) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Evaluate("Add", "1,5", "1", "").text, "2,5");
  EXPECT_EQ(Evaluate("Divide", "1", "3", "").text, "0,333333333333333");
}

TEST_F(AssignValue, FindStringBeyondSixteenBitsTakesTheErrorPath) {
  const QString text = QString(40000, 'a') + "b";
  const Evaluation e = Evaluate("FindString", "1", "b", text);
  EXPECT_EQ(e.kind, Evaluation::Error);
  EXPECT_EQ(e.text, "Overflow");
  EXPECT_EQ(Evaluate("FindString", "1", "a", text).text, "1");
}

// Every character replaced by ten makes the text grow tenfold per step; the cap ends it.
TEST_F(AssignValue, ReplaceCharGrowthIsCapped) {
  Runner run;
  run({"", "Local", "1", "ReplaceChar", "aaaaaaaa", "aaaaaaaaaa", "a"});
  EXPECT_TRUE(run.error);
  EXPECT_FALSE(run.local[0].Use);
  ASSERT_EQ(run.lines.size(), 1);
  EXPECT_EQ(run.lines[0].level, 2);
  EXPECT_EQ(run.lines[0].text,
            "ERROR_ASSIGN-VALUE: Error during <AssignValue> <ReplaceChar> procedure [Out of "
            "string space]");
  run = Runner();
  run({"", "Local", "1", "ReplaceChar", "aaa", "aaaaaaaaaa", "a"});  // 1000 characters: fine
  EXPECT_FALSE(run.error);
  EXPECT_EQ(run.local[0].Value.size(), 1000);
}

TEST_F(AssignValue, VariableNumbers) {
  struct Case {
    const char* number;
    int slot;
  } cases[] = {{"1", 0},   {"16", 15},  {"2.5", 2}, {"15", 14}, {"0", -1},
               {"17", -1}, {"abc", -1}, {"", -1},   {"-3", -1}, {"1e9", -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(SlotOf(c.number), c.slot) << c.number;
    Runner run;
    run({"", "Global", c.number, "InitVariable", "v"});
    if (c.slot >= 0) {
      EXPECT_FALSE(run.error);
      EXPECT_TRUE(run.global[c.slot].Use);
      EXPECT_EQ(run.global[c.slot].Value, "v");
      EXPECT_TRUE(run.lines.isEmpty());
    } else {
      EXPECT_TRUE(run.error) << c.number;
      ASSERT_EQ(run.lines.size(), 1);
      EXPECT_EQ(run.lines[0].text, "ERROR_Save2Variable: Subscript out of range");
      EXPECT_EQ(run.lines[0].level, 1);
    }
    for (const VarType& v : run.local) EXPECT_FALSE(v.Use);
  }
}

TEST_F(AssignValue, Scopes) {
  Runner run;
  run({"", "local", "3", "UpperCase", "abc"});
  EXPECT_TRUE(run.local[2].Use);
  EXPECT_EQ(run.local[2].Value, "ABC");
  EXPECT_FALSE(run.global[2].Use);

  run = Runner();
  run({"", "USER", "99", "UpperCase", "abc"}, true);  // computes, logs, stores nothing
  EXPECT_FALSE(run.error);
  for (int i = 0; i < 16; ++i) EXPECT_FALSE(run.local[i].Use || run.global[i].Use);
  ASSERT_FALSE(run.lines.isEmpty());
  EXPECT_EQ(run.lines.last().text, "     -> Result: [ABC]");

  run = Runner();
  run({"", "Global", "1", "InitVariable", ""});  // clears the variable
  EXPECT_TRUE(run.global[0].Use);
  EXPECT_TRUE(run.global[0].Value.isEmpty());
}

TEST_F(AssignValue, VerboseLines) {
  const QStringList data = {"", "Local", "1", "ReplaceString", "a", "b", "aXa", "", "0"};
  Runner run;
  run(data, true);
  QStringList texts;
  for (const Line& l : run.lines) {
    texts << l.text;
    EXPECT_EQ(l.level, 0);
  }
  EXPECT_EQ(texts,
            QStringList({"  -> Function : ReplaceString", "     -> Data1 : [a]",
                         "     -> Data2 : [b]", "     -> Data3 : [aXa]", "     -> Result: [bXb]"}));

  QStringList quiet = data;
  quiet[8] = "1";  // DisableVerbose: only the function line
  run = Runner();
  run(quiet, true);
  ASSERT_EQ(run.lines.size(), 1);
  EXPECT_EQ(run.lines[0].text, "  -> Function : ReplaceString");

  run = Runner();
  run(data, false);  // AutoLog off: a successful run logs nothing
  EXPECT_TRUE(run.lines.isEmpty());
  EXPECT_EQ(run.local[0].Value, "bXb");

  run = Runner();
  run({"", "Local", "1", "Divide", "1", "0"}, false);  // errors are logged regardless
  ASSERT_EQ(run.lines.size(), 1);
  EXPECT_EQ(run.lines[0].text,
            "ERROR_ASSIGN-VALUE: Error during <AssignValue> <Divide> procedure [Division by "
            "zero]");
  EXPECT_EQ(run.lines[0].level, 2);
  EXPECT_TRUE(run.error);
}

// The replacements that grow a text refuse a result beyond the cap as ReplaceChar does.
TEST_F(AssignValue, ReplaceStringAndSpaceGrowthIsCapped) {
  const QString big(2000, 'x');
  const QString spaces(1000, ' ');
  struct Case {
    const char* f;
    QString d1, d2, d3;
    Evaluation::Kind kind;
  } cases[] = {
      {"ReplaceString", "x", big, big, Evaluation::Error},   // 4,000,000 characters
      {"ReplaceString", "x", "yy", big, Evaluation::Value},  // 4,000: fine
      {"ReplaceString", "xx", "y", big, Evaluation::Value},  // shrinks
      {"ReplaceSpace", spaces, big, "", Evaluation::Error},  // 2,000,000
      {"ReplaceSpace", spaces, "ab", "", Evaluation::Value},
  };
  for (const auto& c : cases) {
    const Evaluation e = Evaluate(c.f, c.d1, c.d2, c.d3);
    EXPECT_EQ(e.kind, c.kind) << c.f << " " << c.d2.size();
    if (c.kind == Evaluation::Error) {
      EXPECT_EQ(e.text, "Out of string space");
    }
  }
  EXPECT_EQ(Evaluate("ReplaceString", "x", "yy", big).text.size(), 4000);
  EXPECT_EQ(Evaluate("ReplaceString", "xx", "y", big).text.size(), 1000);
}
