#include "engine/hotfolder.h"

#include <sys/stat.h>

#include <QFile>
#include <QSet>
#include <vector>

#include "engine/dirscan.h"
#include "engine/filetable.h"
#include "engine/stability.h"
#include "library/regexpr.h"
#include "platform/fileops.h"
#include "platform/paths.h"

namespace mvnz::engine {

using mvnd::Daemon;
using mvnd::RoziRoruner;

namespace {

struct Rejected {
  QString source;
  QString directory;  // expanded reject folder, "" when it expanded to nothing
  QString target;
  fileops::ListedFile listed;  // the source as the listing saw it
};

QString OutcomeText(const fileops::Outcome& o) {
  if (!o.errorText.isEmpty()) return o.errorText;
  switch (o.status) {
    case fileops::Status::SourceMissing:
      return QStringLiteral("Source file not found");
    case fileops::Status::TargetExists:
      return QStringLiteral("Target exists");
    case fileops::Status::SameFile:
      return QStringLiteral("Source and target are the same file");
    case fileops::Status::TargetFolderMissing:
      return QStringLiteral("Target folder not found");
    default:
      return QString();
  }
}

bool AutoLog(const mvnd::Settings& s) { return s.AutoLogInternalCommands == 1; }

// The reject folder of one file: its tokens take that file's values (scan folder, the
// file's own folder, name and extension), as the command script would give them for it.
QString RejectFolderFor(Daemon& d, EngineServices& s, int index, const QString& text,
                        const QString& folder, const QString& subdir, mvnd::FileRow row) {
  if (!text.contains(QLatin1Char('<'))) return StripTrailingSlash(text);
  FileTable one;
  row.folder = one.addFolder(folder, subdir);
  one.addRow(std::move(row));
  one.moveFirst();
  ExpansionContext ctx = s.expansionContext(d, index);
  ctx.fileList = &one;
  ctx.filesPending = 1;
  ctx.currentFile = 0;
  return StripTrailingSlash(CommandInterpreter(text, ctx));
}

// The row of a listed file; st: what was read of it (nullptr: left to its turn).
mvnd::FileRow RowOf(const WalkEntry& e, const struct stat* st) {
  mvnd::FileRow row;
  row.name = e.name;
  row.device = st ? quint64(st->st_dev) : e.device;
  row.inode = st ? quint64(st->st_ino) : e.inode;
  if (st) row.describe(*st);
  return row;
}

}  // namespace

void ResetFileList(RoziRoruner& r) {
  r.FilesPending = 0;
  r.CurrentFile = 0;
  r.FileList.reset();
}

bool BuildFolderPath(Daemon& d, EngineServices& s, int index, const QString& path, bool quiet) {
  if (path.isEmpty()) return false;
  const fileops::Outcome o = s.files().makeFolders(path, [&](const QString& level) {
    if (!quiet && AutoLog(d.settings))
      s.log(d, index, kRunnerSource, QStringLiteral("Created directory [%1]").arg(level), 0);
  });
  if (o.ok() || quiet) return true;
  s.log(d, index, kRunnerSource,
        QStringLiteral("ERROR-CREATE_DIRECTORY: Could not create directory: [%1] [%2][%3]")
            .arg(path, QStringLiteral("BuildFolderPath"), OutcomeText(o)),
        2);
  d.run.LastCommandError = true;
  return false;
}

void DeleteRejectedFile(Daemon& d, EngineServices& s, int index, const QString& path) {
  if (s.fileStatus(d, index, path) != QLatin1String(kFree)) return;
  if (AutoLog(d.settings))
    s.log(d, index, kRunnerSource, QStringLiteral("Deleting rejected-file [%1]").arg(path), 0);
  const fileops::Outcome o = s.files().deleteFile(path);
  if (!o.ok()) {
    s.log(d, index, kRunnerSource,
          QStringLiteral("ERROR-DELETE_REJECTED: Could not delete file [%1] [%2][%3]")
              .arg(path, QStringLiteral("DeleteRejectedFile"), OutcomeText(o)),
          2);
    d.run.LastCommandError = true;
    return;
  }
  if (AutoLog(d.settings)) s.log(d, index, kRunnerSource, QStringLiteral("Done."), 0);
}

void MoveRejectedFile(Daemon& d, EngineServices& s, int index, const QString& source,
                      const QString& destination) {
  if (s.fileStatus(d, index, source) != QLatin1String(kFree)) return;
  if (AutoLog(d.settings))
    s.log(d, index, kRunnerSource,
          QStringLiteral("Moving rejected-file [%1] to [%2]").arg(source, destination), 0);
  // The move replaces a file of that name atomically and refuses to move a file onto
  // itself, so no step can lose the rejected file or the one it replaces.
  const fileops::Outcome o = s.files().moveFile(source, destination, fileops::Replace::Yes);
  if (!o.ok()) {
    s.log(d, index, kRunnerSource,
          QStringLiteral("ERROR-MOVE_REJECTED: Could not move file [%1] to [%2] [%3][%4]")
              .arg(source, destination, QStringLiteral("MoveRejectedFile"), OutcomeText(o)),
          2);
    d.run.LastCommandError = true;
    return;
  }
  if (AutoLog(d.settings)) s.log(d, index, kRunnerSource, QStringLiteral("Done."), 0);
}

void GetFileList(Daemon& d, EngineServices& s, int index) {
  bool scanMessagePending = true;
  ResetFileList(d.jobs.RoziRoruners[index]);
  auto table = std::make_shared<mvnd::FileTable>();
  d.jobs.RoziRoruners[index].FileList = table;

  d.run.ExpandedScanDirectory = s.expand(d, index, d.jobs.RoziRoruners[index].ScanDirectory);
  // The folder's one open this turn: its existence test and its listing.
  ScanFolder top(d.run.ExpandedScanDirectory);
  if (top.state() == ScanFolder::State::Missing) {
    s.log(d, index, kRunnerSource,
          QStringLiteral("WARNING: ScanDirectory [%1] does not exist!")
              .arg(d.run.ExpandedScanDirectory),
          1);
    return;
  }
  const QString scanDir = d.run.ExpandedScanDirectory;

  // Copies: the pump inside the walk may run other handlers.
  const RoziRoruner job = d.jobs.RoziRoruners[index];
  const QStringList inputPatterns = SplitFilter(job.InputFilter);
  const QStringList rejectPatterns = SplitFilter(job.RejectFilter);
  // A pattern the expression engine cannot use matches no name; say so once per load
  // (the load names the faults it finds in the patterns themselves), whether the engine
  // finds the fault in the pattern or only on a name.
  const PatternError reportPattern = [&](const QString& p, const QString& error) {
    if (index >= d.jobs.RoziRoruners.size()) return;  // the records were replaced meanwhile
    QSet<QString>& reported = d.jobs.RoziRoruners[index].ReportedPatterns;
    if (reported.contains(p)) return;
    reported.insert(p);
    s.log(d, index, kRunnerSource,
          QStringLiteral("WARNING: Filter pattern [%1] cannot be used [%2]").arg(p, error), 1);
  };
  for (const QStringList* patterns : {&inputPatterns, &rejectPatterns})
    for (const QString& p : *patterns) {
      if (p.isEmpty() || p == QLatin1String("*") || p == QLatin1String("*.*")) continue;
      RegExprError err;
      RegExpr(QString(), p, 0, &err);
      if (err && !err.unfinished) reportPattern(p, err.text());
    }
  const bool rejectAllElse = job.RejectFilter == QLatin1String(".");
  const bool rejectAll = rejectAllElse && job.InputFilter == QLatin1String(".");

  WalkOptions opt;
  opt.recursive = job.IncludeSubdir == 1;
  opt.withReadOnly = d.settings.ProcessReadOnly == 1;
  // An accepted file is read at its turn anyway; only the oldest-first sort needs its
  // time stamp before that.
  opt.readFiles = job.OldestFirst == 1;
  if (job.MoveRejected && !job.RemoveRejected) {
    // The reject folder is never listed: a file moved there is not met again. Its
    // tokens are read as for a file at the top of the scan folder.
    const QString rejectDir =
        RejectFolderFor(d, s, index, job.MoveRejectedDirectory, scanDir, QStringLiteral("."), {});
    struct stat st;
    if (!rejectDir.isEmpty() && ::stat(fileops::encodeName(rejectDir).constData(), &st) == 0 &&
        S_ISDIR(st.st_mode)) {
      opt.hasExcluded = true;
      opt.excludedDev = st.st_dev;
      opt.excludedIno = st.st_ino;
    }
  }

  std::vector<Rejected> toMove, toDelete;
  qint64 pending = 0;
  QString lastFolder;
  int folderIndex = -1;
  const PatternMatcher& match = s.matcher();
  bool unfinishedReported = false;
  WalkFolder(
      top, scanDir, opt,
      [&](const WalkEntry& e) {
        if (scanMessagePending) {
          if (d.settings.AutoLogInternalCommands != 0)
            s.log(d, index, kRunnerSource, QStringLiteral("Scanning hotfolder contents....."), 0);
          scanMessagePending = false;
        }
        PatternFault inputOpen, rejectOpen;
        bool inputFault = false;  // an input pattern the engine could not use on this name
        const PatternError noteInputFault = [&](const QString& p, const QString& error) {
          inputFault = true;
          reportPattern(p, error);
        };
        const bool inputMatch = MatchesAny(e.name, inputPatterns, match, noteInputFault, &inputOpen);
        // A reject filter "." rejects what the input filter does not accept: no need to
        // try its pattern (and unknown when the input filter's answer is).
        bool rejectMatch = false;
        if (!rejectAllElse) {
          rejectMatch = MatchesAny(e.name, rejectPatterns, match, reportPattern, &rejectOpen);
        } else if (rejectAll || (!inputOpen.unfinished && !inputFault)) {
          // An input filter that could not be used accepts nothing, but it is no
          // judgement either: a reject "." would otherwise remove every file.
          rejectMatch = rejectAll || !inputMatch;
        }
        // A filter too complex to finish on this name decides nothing: the file is
        // neither taken nor rejected (a reject could delete it), and is met again in
        // the next cycle. Said once per listing.
        const PatternFault& open = inputOpen.unfinished ? inputOpen : rejectOpen;
        if (!rejectMatch && open.unfinished) {
          if (!unfinishedReported) {
            unfinishedReported = true;
            s.log(d, index, kRunnerSource,
                  QStringLiteral("WARNING: Filter pattern [%1] is too complex for file [%2], "
                                 "file left alone [%3]")
                      .arg(open.pattern, paths::join(e.folder, e.name), open.text),
                  1);
          }
        } else if (inputMatch && !rejectMatch) {
          if (folderIndex < 0 || e.folder != lastFolder) {
            lastFolder = e.folder;
            folderIndex = table->addFolder(e.folder, e.subdir);
          }
          mvnd::FileRow row = RowOf(e, e.st);
          row.folder = folderIndex;
          table->addRow(std::move(row));
          ++pending;
        } else if (rejectMatch) {
          const QString fullPath = paths::join(e.folder, e.name);
          // A rejected file is acted on as the listing saw it: read now if not yet.
          struct stat st;
          const bool handled = job.RemoveRejected || job.MoveRejected;
          if (handled && !StatEntry(e, st)) {
            // gone, or no longer a regular file: nothing to delete or move
          } else if (job.RemoveRejected) {
            toDelete.push_back(
                {fullPath, {}, {}, ListedFileOf({e.folder, e.subdir}, RowOf(e, &st))});
          } else if (job.MoveRejected) {
            const mvnd::FileRow row = RowOf(e, &st);
            d.run.ExpandedMoveRejectedDirectory =
                RejectFolderFor(d, s, index, job.MoveRejectedDirectory, e.folder, e.subdir, row);
            const QString dir = d.run.ExpandedMoveRejectedDirectory;
            toMove.push_back({fullPath, dir, dir.isEmpty() ? QString() : paths::join(dir, e.name),
                              ListedFileOf({e.folder, e.subdir}, row)});
          } else if (job.SkipRejected && d.settings.AutoLogInternalCommands == 1) {
            s.log(d, index, kRunnerSource, QStringLiteral("Rejected: [%1]").arg(fullPath), 0);
          }
        }
        s.pump().step();
      },
      [&](const QString& folder, const QString& error) {
        s.log(d, index, kSystemSource,
              QStringLiteral("ERROR-READ_DIR: Error reading contents of directory [%1] [%2][%3]")
                  .arg(folder, QStringLiteral("ReadDir"), error),
              2);
        d.run.LastCommandError = true;
      });
  if (d.run.ShuttingDown || index >= d.jobs.RoziRoruners.size()) return;
  d.jobs.RoziRoruners[index].FilesPending = pending;

  for (const Rejected& m : toMove) {
    if (m.directory.isEmpty()) {
      // An empty reject folder would send the file to the root folder: refused.
      s.log(d, index, kRunnerSource,
            QStringLiteral("ERROR-MOVE_REJECTED: Could not move file [%1] to [] [%2][%3]")
                .arg(m.source, QStringLiteral("MoveRejectedFile"),
                     QStringLiteral("The reject directory is empty")),
            2);
      d.run.LastCommandError = true;
      continue;
    }
    BuildFolderPath(d, s, index, m.directory, true);
    const fileops::ListedScope listed(m.listed);
    MoveRejectedFile(d, s, index, m.source, m.target);
    s.pump().step();
    if (d.run.ShuttingDown) return;
  }
  for (const Rejected& r : toDelete) {
    const fileops::ListedScope listed(r.listed);
    DeleteRejectedFile(d, s, index, r.source);
    s.pump().step();
    if (d.run.ShuttingDown) return;
  }

  RoziRoruner& r = d.jobs.RoziRoruners[index];
  if (r.FilesPending > 0) {
    table->moveFirst();
    if (job.OldestFirst == 1) table->sortByTimestamp();
    if (job.SingleFileHandling == 1) {
      r.FilesPending = 1;
      // The first free file becomes the first row. The rows before it go in one step:
      // deleting them one at a time from the front would cost the square of their number.
      while (!table->atEnd() &&
             s.fileStatus(d, index, table->filepathname()) != QLatin1String(kFree))
        table->moveNext();
      table->deleteBeforeCurrent();
      if (table->count() == 0) d.jobs.RoziRoruners[index].FilesPending = 0;
    }
  }
}

}  // namespace mvnz::engine
