#pragma once
// Listing of a hot folder and the input and reject filters.
//
// Only regular files are listed; names beginning with "." are hidden; symbolic links
// are never followed (a link to a folder is not entered, so a link loop ends, and a
// link to a file is not a file of the folder). Each folder's entries are taken in
// name order so the result does not depend on the file system; a folder's own files
// come before those of its subfolders.
#include <sys/stat.h>

#include <QString>
#include <QStringList>
#include <functional>

namespace mvnz::engine {

// Why a filter pattern gave no answer on a name.
struct PatternFault {
  QString pattern;
  QString text;             // the engine's error text
  bool unfinished = false;  // too complex for this name: neither a match nor a no-match
};
// Matches a file name against one filter pattern (the system's regular expressions). A
// pattern that cannot be used on this name matches nothing and fills *fault (text,
// unfinished).
using PatternMatcher =
    std::function<bool(const QString& subject, const QString& pattern, PatternFault* fault)>;
using PatternError = std::function<void(const QString& pattern, const QString& error)>;

// Splits an input or reject filter into its patterns: every "*" is removed and the
// rest split at ";". "*" and "*.*" stay whole (they accept every name).
QStringList SplitFilter(const QString& filter);
// Why the expression engine refuses one pattern of a split filter; empty when it
// takes it (an empty pattern, "*" and "*.*" never reach the engine).
QString FilterPatternError(const QString& pattern);
// True when a non-empty pattern matches the name; "*" and "*.*" match every name.
// onError hears of each pattern that could not be used on the name. When none matches
// and a pattern was too complex to finish on the name, the answer is unknown: that
// fault goes to *unfinished (its unfinished flag set) instead of onError.
bool MatchesAny(const QString& name, const QStringList& patterns, const PatternMatcher& match,
                const PatternError& onError = {}, PatternFault* unfinished = nullptr);

struct WalkEntry {
  const QString& folder;  // no trailing "/" (except the root folder "/")
  const QString& subdir;  // relative to the scan folder, "." at its top
  QString name;
  // The file the folder entry names: its device and inode (always known).
  quint64 device = 0;
  quint64 inode = 0;
  // What was read of the file, or nullptr when the walk left that to the caller
  // (WalkOptions::readFiles off): StatEntry reads it.
  const struct stat* st = nullptr;
  int folderFd = -1;             // the listed folder, open during the visit
  const char* rawName = nullptr;  // the entry's name as bytes
};

// Reads the status of an entry the walk did not read (links not followed); false when
// it is no longer a regular file.
bool StatEntry(const WalkEntry& entry, struct stat& st);

struct WalkOptions {
  bool recursive = false;
  bool withReadOnly = true;  // list files without any write permission bit
  // Read every file's status while listing. Off: a regular file whose folder entry
  // says so is visited with its device and inode only (where the folder's entries
  // give the inode the file has); the caller reads the rest when it needs it.
  bool readFiles = true;
  // A folder never entered (the reject folder inside the hot folder): device and inode.
  bool hasExcluded = false;
  dev_t excludedDev = 0;
  ino_t excludedIno = 0;
};

// A scan folder opened once for its turn: the existence test and the start of the
// walk. Trailing "/" and a trailing "/." of the path are dropped (the path is updated);
// a link to the folder itself is followed.
class ScanFolder {
 public:
  enum class State {
    Missing,     // not there, or not a folder
    Unreadable,  // a folder that cannot be opened
    Open,
  };
  explicit ScanFolder(QString& path);
  ~ScanFolder();
  ScanFolder(const ScanFolder&) = delete;
  ScanFolder& operator=(const ScanFolder&) = delete;
  State state() const { return state_; }
  QString error() const { return error_; }  // why it could not be opened
  int release();                            // the open folder, now the caller's to close

 private:
  State state_ = State::Missing;
  int fd_ = -1;
  QString error_;
};

// Lists the opened folder top (named folder) into visit(); onError(folder, description)
// for a folder that cannot be listed (the walk goes on with the others). Returns false,
// with onError told why, when top is not open. Walks once: the folder is closed after.
bool WalkFolder(ScanFolder& top, const QString& folder, const WalkOptions& options,
                const std::function<void(const WalkEntry&)>& visit,
                const std::function<void(const QString& folder, const QString& error)>& onError);
// The same walk of folder opened first.
bool WalkFolder(const QString& folder, const WalkOptions& options,
                const std::function<void(const WalkEntry&)>& visit,
                const std::function<void(const QString& folder, const QString& error)>& onError);

bool FileExists(const QString& path);
// FileExists, keeping what it read of the file (links followed) in st.
bool StatFile(const QString& path, struct stat& st);
QString StripTrailingSlash(const QString& text);

}  // namespace mvnz::engine
