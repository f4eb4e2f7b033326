#pragma once
// The cycle's in-memory table of accepted files: one row per file, the eight named
// columns, forward iteration with a current row, deletion of the current row and a
// stable ascending sort on the time stamp.
#include <sys/stat.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/fileops.h"

namespace mvnz::mvnd {

struct FileRow {
  int folder = 0;      // index into FileTable::folders
  QString name;        // "filename"
  qint64 size = 0;     // "filesize"
  qint64 mtimeNs = 0;  // last modification, nanoseconds since the epoch
  // The file the listing saw: its device and inode, so it is acted on only while its
  // name still holds it.
  quint64 device = 0;
  quint64 inode = 0;
  // Takes size and time stamp from what was read of the file.
  void describe(const struct stat& st);
};

struct FileTable {
  struct Folder {
    QString path;    // "filepath": folder holding the file, no trailing "/"
    QString subdir;  // "subdir": relative to the scan folder, "." at its top
  };

  int addFolder(const QString& path, const QString& subdir);
  void addRow(FileRow row) { rows_.push_back(std::move(row)); }

  int count() const { return int(rows_.size()); }
  bool atEnd() const { return pos_ >= rows_.size(); }
  void moveFirst() { pos_ = 0; }
  void moveNext() {
    if (pos_ < rows_.size()) ++pos_;
  }
  // Deletes the current row; the next row becomes current.
  void deleteCurrent();
  // Deletes the rows before the current one, in one step; the current row becomes the
  // first (at the end of the table: every row is deleted).
  void deleteBeforeCurrent();
  // The time stamps of rows the listing did not read are 0 here (it reads them all
  // when the table is to be sorted).
  void sortByTimestamp();
  // Describes the current row from what its turn read of the file.
  void describeCurrent(const struct stat& st);
  void clear();

  // Columns of the current row (empty texts at the end of the table).
  QString filename() const;
  QString fileext() const;
  QString filenamenoext() const;
  QString filepath() const;
  QString filepathname() const;
  QString subdir() const;
  double filesize() const;
  QDateTime timestamp() const;

  const FileRow* current() const { return atEnd() ? nullptr : &rows_[pos_]; }
  const std::vector<FileRow>& rows() const { return rows_; }
  const Folder& folder(int i) const { return folders_[i]; }

 private:
  std::vector<Folder> folders_;
  std::vector<FileRow> rows_;
  size_t pos_ = 0;
};

}  // namespace mvnz::mvnd

namespace mvnz::engine {

using mvnd::FileRow;
using mvnd::FileTable;

// Extension without the dot and name without the extension, as the file tokens give them.
QString ExtensionName(const QString& name);
QString BaseName(const QString& name);
// The row as the file operations know a listed file: its scan folder, its path below
// it and its device and inode (folder: the row's folder).
fileops::ListedFile ListedFileOf(const FileTable::Folder& folder, const FileRow& row);

}  // namespace mvnz::engine
