#pragma once
// Moving or copying one file to a destination path: the steps every file-transfer
// command of the system takes, in one place. The source must be a regular file; an
// existing destination is refused, kept or replaced as asked; the destination's
// missing folders are made level by level; then the move or copy of fileops runs,
// which never loses the source or the file it replaces. The caller words every line
// through a Sink (each command keeps its own texts) and may stand in for the file
// operations through Files (the daemon passes its file-operations port).
#include <QString>
#include <functional>

#include "platform/fileops.h"

namespace mvnz::transfer {

enum class Kind { Move, Copy };

// What happens to a file that is already at the destination.
enum class Overwrite {
  Off,      // refused before anything is touched: the "overwrite off" report
  Keep,     // not replaced: the move or copy itself fails
  Replace,  // replaced atomically, never deleted beforehand
};

struct Request {
  Kind kind = Kind::Move;
  QString source;
  QString destination;
  Overwrite overwrite = Overwrite::Keep;
  bool createFolders = false;  // make the missing folders of the destination first
};

enum class Result {
  Done,
  SourceMissing,  // no regular file at the source, before or during the transfer
  TargetExists,   // the destination exists and overwrite is Off
  Failed,         // the move or copy failed
};

// The file operations a transfer needs; the defaults are those of fileops.
class Files {
 public:
  virtual ~Files() = default;
  virtual fileops::Outcome moveFile(const QString& source, const QString& target,
                                    fileops::Replace replace) {
    return fileops::moveFile(source, target, replace);
  }
  virtual fileops::Outcome copyFile(const QString& source, const QString& target,
                                    fileops::Replace replace) {
    return fileops::copyFile(source, target, replace);
  }
  // Makes path and its missing levels, as fileops::makeFolders.
  virtual fileops::Outcome makeFolders(const QString& path,
                                       const std::function<void(const QString&)>& onCreated = {}) {
    return fileops::makeFolders(path, onCreated);
  }
};

// What a transfer reports, in the order it happens. Each caller words its own lines.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void sourceMissing() = 0;
  // The destination exists and overwrite is Off; nothing was touched.
  virtual void overwriteOff() = 0;
  virtual void folderCreated(const QString& level) { (void)level; }
  // A folder level could not be made; the transfer is still tried and reports its own
  // failure.
  virtual void folderFailed(const fileops::Outcome& o) { (void)o; }
  // Just before the move or copy.
  virtual void starting() = 0;
  // The move or copy failed (o says how; a refused destination is TargetExists).
  virtual void failed(const fileops::Outcome& o) = 0;
};

// The overwrite switch as the commands write it: "0" refuses an existing destination
// before anything is touched; "1" replaces it, and so does any other text for a copy;
// any other text for a move never replaces it.
Overwrite OverwriteOf(Kind kind, const QString& text);

// Runs one transfer.
Result Run(const Request& request, Sink& sink, Files& files);

// The folder part of a path: the text before its last "/" ("" when it holds none).
QString FolderPart(const QString& path);

}  // namespace mvnz::transfer
