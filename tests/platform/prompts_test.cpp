#include <gtest/gtest.h>
#include <unistd.h>
#include <QFile>

#include "platform/prompts.h"
#include "testenv.h"

using namespace mvnz::prompts;

TEST(Prompts, HeadlessWritesOneLineAndAnswersAtOnce) {
  const QString log = mvnz::test::rootDir() + "/stderr.txt";
  fflush(stderr);
  const int saved = dup(2);
  FILE* f = fopen(QFile::encodeName(log).constData(), "w");
  dup2(fileno(f), 2);
  auto s = makeHeadless();
  const Answer ok = s->show("Line one\r\nline two", "Title", Icon::Critical, Buttons::OkCancel);
  const Answer yes = s->show("Question?", "", Icon::Question, Buttons::YesNo);
  s->beep();
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  fclose(f);
  EXPECT_EQ(ok, Answer::Ok);
  EXPECT_EQ(yes, Answer::Yes);
  QFile in(log);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  EXPECT_EQ(in.readAll(), QByteArray("Title: Line one line two\nQuestion?\n"));
}

TEST(Prompts, RecorderReceivesTheCallsOfTheCurrentService) {
  auto rec = std::make_shared<Recorder>();
  rec->answer = Answer::No;
  auto previous = install(rec);
  EXPECT_EQ(message("Really?", "Ask", Icon::Question, Buttons::YesNo), Answer::No);
  beep();
  ASSERT_EQ(rec->entries.size(), 1);
  EXPECT_EQ(rec->entries[0].text, QString("Really?"));
  EXPECT_EQ(rec->entries[0].title, QString("Ask"));
  EXPECT_EQ(rec->entries[0].buttons, Buttons::YesNo);
  EXPECT_EQ(rec->beeps, 1);
  EXPECT_EQ(install(previous), rec);
  EXPECT_EQ(&current(), previous.get());
}
