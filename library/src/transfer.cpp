#include "library/transfer.h"

namespace mvnz::transfer {

using fileops::Status;

QString FolderPart(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : path.left(slash);
}

Overwrite OverwriteOf(Kind kind, const QString& text) {
  if (text == QLatin1String("0")) return Overwrite::Off;
  if (kind == Kind::Copy || text == QLatin1String("1")) return Overwrite::Replace;
  return Overwrite::Keep;
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
    const QString folder = FolderPart(r.destination);
    const fileops::Outcome o =
        folder.isEmpty() ? fileops::Outcome{}
                         : files.makeFolders(folder, [&sink](const QString& level) { sink.folderCreated(level); });
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
