#include "manager/session.h"

namespace mvnz::manager {

Session::Session(QObject* parent) : QObject(parent) {}

jobfile::RoziRoruner* Session::roziRoruner(int index) {
  if (index < 0 || index >= model.RoziRoruners.size()) return nullptr;
  return &model.RoziRoruners[index];
}

void Session::setCurrent(int index) {
  const int wanted = (index >= 0 && index < RoziRorunerCount()) ? index : -1;
  if (wanted == current_) return;
  current_ = wanted;
  ++serial_;
  emit currentChanged(wanted);
}

jobfile::RoziRoruner* Session::record(const ShownRoziRoruner& shown) {
  return shown == this->shown() ? current() : nullptr;
}

void Session::dropCurrent() {
  ++serial_;
  if (current_ == -1) return;
  current_ = -1;
  emit currentChanged(-1);
}

void Session::setLoadReport(LoadReport report) {
  if (report.status == jobfile::ReadStatus::Unreadable)
    unread_.insert(report.path);
  else
    unread_.remove(report.path);
  lastLoad_ = std::move(report);
  emit loaded();
}

int Session::AddRoziRoruner(const QString& name) {
  jobfile::RoziRoruner r;
  r.Description = name;
  r.Name = name;
  r.Trigger = QStringLiteral("TIME");
  r.RunDays = QStringLiteral("1111111");
  r.IncludeSubdir = 1;
  r.OldestFirst = 1;
  r.Interval = QStringLiteral("30");
  r.StableTimer = 20;
  r.InputFilter = QStringLiteral(".");
  r.RemoveRejected = true;
  r.InitialLocalsValue = QStringLiteral("0");
  r.Enabled = 1;
  model.RoziRoruners.append(r);
  // A new job was forked from nothing (0 would name the first job).
  parentIndex.append(kNoParent);
  emit roziRorunersChanged();
  return RoziRorunerCount() - 1;
}

bool Session::RemoveRoziRoruner(int index) {
  if (!roziRoruner(index)) return false;
  model.RoziRoruners.removeAt(index);
  parentIndex.removeAt(index);
  dropCurrent();
  emit roziRorunersChanged();
  return true;
}

bool Session::RenameRoziRoruner(int index, const QString& name) {
  jobfile::RoziRoruner* r = roziRoruner(index);
  if (!r) return false;
  r->Name = name;
  emit roziRorunersChanged();
  return true;
}

void Session::ClearRoziRoruners() {
  model.RoziRoruners.clear();
  parentIndex.clear();
  dropCurrent();
  emit roziRorunersChanged();
}

bool Session::ReorderRoziRoruners(const QList<int>& order) {
  const int count = RoziRorunerCount();
  if (order.size() != count) return false;
  QList<int> newIndex(count, -1);
  for (int p = 0; p < count; ++p) {
    const int from = order[p];
    if (from < 0 || from >= count || newIndex[from] >= 0) return false;
    newIndex[from] = p;
  }
  QList<jobfile::RoziRoruner> records;
  QList<int> parents;
  records.reserve(count);
  parents.reserve(count);
  for (const int from : order) {
    records.append(std::move(model.RoziRoruners[from]));
    const int parent = from < parentIndex.size() ? parentIndex[from] : kNoParent;
    parents.append(parent >= 0 && parent < count ? newIndex[parent] : kNoParent);
  }
  model.RoziRoruners = std::move(records);
  parentIndex = std::move(parents);
  dropCurrent();
  emit roziRorunersChanged();
  return true;
}

void Session::replaceModel(jobfile::JobFile file) {
  model = std::move(file);
  parentIndex = QList<int>(model.RoziRoruners.size(), kNoParent);
  dropCurrent();
  emit modelReplaced();
}

}  // namespace mvnz::manager
