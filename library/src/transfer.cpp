#include "library/transfer.h"

namespace mvnz::transfer {

using fileops::Status;

QString FolderPart(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : path.left(slash);
}

fileops::Outcome MakeFolderLevels(const QString& path, Files& files,
                                  const std::function<void(const QString&)>& onCreated) {
  for (qsizetype i = 0; i < path.size(); ++i) {
    const bool last = i == path.size() - 1;
    if (path.at(i) != QLatin1Char('/') && !last) continue;
    const QString level = last ? path : path.left(i);
    if (level.isEmpty()) continue;  // the root of an absolute path
    bool created = false;
    const fileops::Outcome o = files.makeFolder(level, &created);
    if (!o.ok()) return o;
    if (created && onCreated) onCreated(level);
  }
  return {};
}

Result Run(const Request& r, Sink& sink, Files& files) {
  if (!fileops::regularFile(r.source)) {
    sink.sourceMissing();
    return Result::SourceMissing;
  }
  if (r.overwrite == Overwrite::Off && fileops::regularFile(r.destination)) {
    sink.overwriteOff();
    return Result::TargetExists;
  }
  if (r.createFolders) {
    const fileops::Outcome o = MakeFolderLevels(
        FolderPart(r.destination), files, [&sink](const QString& level) { sink.folderCreated(level); });
    if (!o.ok()) sink.folderFailed(o);
  }
  sink.starting();
  const fileops::Replace replace =
      r.overwrite == Overwrite::Replace ? fileops::Replace::Yes : fileops::Replace::No;
  const fileops::Outcome o = r.kind == Kind::Move
                                 ? files.moveFile(r.source, r.destination, replace)
                                 : files.copyFile(r.source, r.destination, replace);
  if (o.ok()) return Result::Done;
  if (o.status == Status::TargetExists && r.overwrite == Overwrite::Off) {
    sink.overwriteOff();  // the destination appeared after the test above
    return Result::TargetExists;
  }
  if (o.status == Status::SourceMissing) {  // gone since the test above
    sink.sourceMissing();
    return Result::SourceMissing;
  }
  sink.failed(o);
  return Result::Failed;
}

}  // namespace mvnz::transfer
