#pragma once
// Safe file operations shared by the daemon's built-in actions, its reject handling
// and the file plug-ins. A file given to the system is never lost: no step removes
// a source or a target before its replacement is safely in place, and a source and
// target naming the same file (through another spelling, a link or a hard link) is
// detected before anything is touched.
//
// A write-protected file (none of its three write permission bits set) cannot be
// deleted, trashed or replaced, whoever runs the process: the operation fails with
// AccessDenied and the file stays as it was. It can still be read, copied and moved.
// A write-protected folder likewise keeps its entries: nothing is removed from it,
// moved out of it or written into it.
#include <QByteArray>
#include <QDateTime>
#include <QFileDevice>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace mvnz::fileops {

// File names are bytes, and a path text carries them without loss: bytes that form
// UTF-8 are their characters, each byte that does not is the code unit U+DC00 + byte
// (U+DC80..U+DCFF). Every operation here encodes its paths this way, and whatever
// lists a folder decodes the names so, so a name that is not UTF-8 is still moved,
// copied and deleted. For valid UTF-8 both give what Qt gives.
QByteArray encodeName(const QString& path);
QString decodeName(const QByteArray& bytes);

enum class Status {
  Ok,
  SourceMissing,  // source does not exist (or is not a regular file)
  TargetExists,   // target exists and replacing was not allowed
  SameFile,       // source and target are one file
  TargetFolderMissing,
  AccessDenied,  // a write-protected file or folder would change; errorText names it
  Failed,  // any other failure; errorText says what
};

struct Outcome {
  Status status = Status::Ok;
  QString errorText;  // the system's error text, for log lines
  bool ok() const { return status == Status::Ok; }
};

enum class Replace { No, Yes };

// The file a listing found: the scan folder it was listed from (reached as written),
// its path below that folder ("name", "sub/name") and the device and inode it had.
struct ListedFile {
  QString root;
  QString relative;
  quint64 device = 0;
  quint64 inode = 0;
};

// While a ListedScope lives, an operation below whose source (or file to delete) is
// the listed file's path, however spelt, reaches that file from the scan folder one
// real folder at a time: a folder on the way that has been replaced by a symbolic
// link (or anything but a folder) is never passed, and the file is acted on only
// while its name still holds the device and inode the listing saw. Either failure
// leaves everything untouched and is reported as Failed, naming what changed. Every
// other path, and every target, is used as written. One scope at a time per thread;
// an inner scope stands in for the outer one until it ends.
class ListedScope {
 public:
  explicit ListedScope(ListedFile file);
  ~ListedScope();
  ListedScope(const ListedScope&) = delete;
  ListedScope& operator=(const ListedScope&) = delete;

 private:
  ListedFile file_;
  const ListedFile* previous_;
};

// Moves a file. Replace::No never replaces an existing target (RENAME_NOREPLACE);
// Replace::Yes replaces it atomically. Across file systems: copy to a temporary name
// beside the target, flush, rename into place, flush the target's folder, keep time
// stamp and mode, and only then remove the source; a failed copy or folder flush
// leaves the source untouched and no copy. Within one file system the target's folder
// is flushed after the rename, or by the open FolderSyncBatch. The source is
// watched all the while (a read lease where one can be taken, and its size, mtime and
// ctime): a change before it is removed abandons the move and leaves the source.
// The copy keeps the source's owner and group where this process may give them (as
// root); it keeps the set-user-id and set-group-id bits only when it does.
Outcome moveFile(const QString& source, const QString& target, Replace replace);
// Folder flushes gathered over many moves on this thread. While a batch is open, a
// move within one file system (and the removal of a moved source on another) leaves
// the flush of the folders it changed to the batch, which flushes each folder once
// when it closes or flush() is called. A file is in one of its two places at every
// instant; these flushes only settle which one a power cut leaves it in. A copy's
// own folder flush before its source goes is never deferred. A batch opened while
// another is open joins the outer one.
class FolderSyncBatch {
 public:
  FolderSyncBatch();
  ~FolderSyncBatch();  // flushes what is still noted
  FolderSyncBatch(const FolderSyncBatch&) = delete;
  FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
  // Notes a folder to flush.
  void note(const QString& folder);
  // Flushes every folder noted so far, once each; the first failure names its folder.
  Outcome flush();
  // True the first time a copy goes into folder while the batch is open: only then are
  // its stale temporaries looked for.
  bool firstCopyInto(const QString& folder);

 private:
  FolderSyncBatch* outer_;
  QSet<QString> folders_;
  QSet<QString> cleaned_;
};

// Copies a file through a temporary name beside the target, then renames it into
// place; time stamp kept. The copy is owned by this process's user and takes the
// source's mode less the set-id bits and less the umask.
Outcome copyFile(const QString& source, const QString& target, Replace replace);
// Removes a file permanently.
Outcome deleteFile(const QString& path);
// Moves a file to the freedesktop.org Trash: the user's ($XDG_DATA_HOME/Trash) for a
// file on its volume, else the volume's ("$top/.Trash/$uid" or "$top/.Trash-$uid").
// The file is renamed from its folder's descriptor, never copied, under its own name
// or the first free "name.N", after an info file (created exclusively) has recorded
// its path, as bytes, and the time. A failed trash never deletes permanently.
Outcome trashFile(const QString& path);
// For tests: runs hook once, in the next operation on this thread that acts on the
// listed file (its rename into the Trash or to a target, or its opening to be copied),
// between the checks of the file and that act (what a user can do in that instant).
void beforeNextListedAct(std::function<void()> hook);
// Temporary copies are named "." + the target's name cut to at most 200 bytes at a
// character boundary + ".mvnz-" + six random letters or digits, so the name always
// fits the 255-byte limit of a file name.
QString cutToBytes(const QString& name, int maxBytes);
bool isTemporaryName(const QByteArray& name);
// Removes the temporaries of that pattern in folder that a run which ended early left
// behind: regular files owned by this user, last changed before this process started
// and open in no process. Every copy into a folder does this first
// (within a FolderSyncBatch, the first copy into each folder).
void removeStaleTemporaries(const QString& folder);
// The mode bits left of mode by this process's umask (read without changing it).
// What the programs create has a fixed mode that a stricter umask narrows further:
// folders 0755, logs 0644, settings and the registry store 0600.
int underUmask(int mode);
// The same as Qt permission flags, for a QSaveFile's temporary before it is written.
QFileDevice::Permissions createPermissions(int mode);
// Creates a folder (mode 0755 less the umask) and its missing parents; a level that
// appears concurrently is success. onCreated is called with each level this call made.
// Stops at the first level that cannot be made; the levels made before it stay.
Outcome makeFolders(const QString& path,
                    const std::function<void(const QString&)>& onCreated = {});
// AccessDenied when removing or replacing path would change a write-protected file
// or the entries of a write-protected folder; Ok otherwise (also for a missing path).
Outcome checkRemovable(const QString& path);
// What a regular file (links followed) is like; false when path names none.
struct FileFacts {
  qint64 size = 0;
  QDateTime modified;  // local time
};
bool regularFile(const QString& path, FileFacts* facts = nullptr);
// True when both names denote one existing file (same device and inode).
bool sameFile(const QString& a, const QString& b);

// Creates one folder level. A folder that exists already (also one that appears
// concurrently) is success; *created tells whether this call made it.
Outcome makeFolder(const QString& path, bool* created = nullptr);
// Removes a folder only when it is empty (never recursive).
Outcome removeEmptyFolder(const QString& path);
// Names of the real subfolders of path, sorted by name: directory links and
// hidden entries (names beginning with ".") are left out. A missing path gives
// SourceMissing with no names.
Outcome listSubfolders(const QString& path, QStringList* names);

// A folder opened once (as written), whose tree is then listed and pruned by folder
// descriptors: each folder below it is reached from it one real folder at a time,
// never through a link, so whatever is renamed or swapped for a link meanwhile,
// nothing outside the folder opened is listed or removed. Folders below it are named
// by their path relative to it ("a/b"; "" is the folder itself).
class FolderTree {
 public:
  explicit FolderTree(const QString& path);
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  // Ok once the folder is open; SourceMissing when path names nothing.
  const Outcome& opened() const { return opened_; }
  // As listSubfolders, for the folder at relative. A folder on the way that is no
  // longer a real folder (a link?) fails with a text naming it.
  Outcome listSubfolders(const QString& relative, QStringList* names) const;
  // Removes the folder at relative only when it is empty (never recursive, never a
  // link); SourceMissing when it has gone.
  Outcome removeEmptyFolder(const QString& relative) const;

 private:
  int openBelow(const QStringList& levels, int flags, Outcome* why) const;

  QString path_;
  int fd_ = -1;
  Outcome opened_;
};

}  // namespace mvnz::fileops
