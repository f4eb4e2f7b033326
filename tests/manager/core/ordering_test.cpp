// RoziRoruner ordering in the model: records move whole by their original index (two
// of one name keep their own data), a wrong order changes nothing, and the sort is
// stable and ignores letter case.
#include <gtest/gtest.h>

#include "manager/ordering.h"
#include "manager/session.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

jobfile::RoziRoruner job(const QString& name, const QString& marker) {
  jobfile::RoziRoruner r;
  r.Name = name;
  r.Description = marker;
  r.ScanDirectory = "/in/" + marker;
  r.LocalConstants[15] = "last-" + marker;
  jobfile::CommandEntry c;
  c.Name = "Relocate";
  c.Data[1] = marker;
  c.Data[30] = "p30-" + marker;
  r.Commands << c;
  return r;
}

QStringList markers(const Session& s) {
  QStringList out;
  for (const jobfile::RoziRoruner& r : s.model.RoziRoruners) out << r.Description;
  return out;
}

}  // namespace

TEST(Ordering, RecordsMoveWholeByTheirOriginalIndex) {
  Session s;
  for (const auto& [name, marker] : {std::pair{"Same", "first"}, {"Other", "other"}, {"Same", "second"}}) {
    s.model.RoziRoruners << job(name, marker);
    s.parentIndex << kNoParent;
  }
  s.parentIndex[2] = 1;  // forked from "Other"
  const jobfile::JobFile before = s.model;
  s.setCurrent(1);
  int changed = 0;
  QObject::connect(&s, &Session::roziRorunersChanged, [&changed] { ++changed; });

  ASSERT_TRUE(s.ReorderRoziRoruners({2, 0, 1}));
  EXPECT_EQ(markers(s), (QStringList{"second", "first", "other"}));
  EXPECT_EQ(s.model.RoziRoruners[0], before.RoziRoruners[2]);  // every field, script and constants
  EXPECT_EQ(s.model.RoziRoruners[1], before.RoziRoruners[0]);
  EXPECT_EQ(s.model.RoziRoruners[2], before.RoziRoruners[1]);
  EXPECT_EQ(s.parentIndex, (QList<int>{2, kNoParent, kNoParent}));  // still "Other"
  EXPECT_EQ(s.CurrentRoziRoruner, -1);
  EXPECT_EQ(changed, 1);

  const jobfile::JobFile reordered = s.model;
  const QList<int> wrong[] = {{0, 1}, {0, 0, 1}, {0, 1, 3}, {-1, 0, 1}, {0, 1, 2, 2}};
  for (const QList<int>& order : wrong) EXPECT_FALSE(s.ReorderRoziRoruners(order));
  EXPECT_EQ(s.model, reordered);
  EXPECT_EQ(changed, 1);

  Session empty;
  EXPECT_TRUE(empty.ReorderRoziRoruners({}));
  EXPECT_EQ(empty.RoziRorunerCount(), 0);
}

TEST(Ordering, SortIsStableAndIgnoresCase) {
  const struct {
    QStringList names;
    QList<int> order;
  } cases[] = {
      {{"beta", "Alpha", "gamma"}, {1, 0, 2}},
      {{"b", "B", "a", "b"}, {2, 0, 1, 3}},  // equal names keep their order
      {{"Job10", "job1", "JOB2"}, {1, 0, 2}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SortedByName(c.names), c.order) << c.names.join(',').toStdString();
}
