#include "engine/filetable.h"

#include <algorithm>

namespace mvnz::engine {

QString ExtensionName(const QString& name) {
  const int dot = name.lastIndexOf('.');
  return dot < 0 ? QString() : name.mid(dot + 1);
}

QString BaseName(const QString& name) {
  const int dot = name.lastIndexOf('.');
  return dot < 0 ? name : name.left(dot);
}

fileops::ListedFile ListedFileOf(const FileTable::Folder& folder, const FileRow& row) {
  fileops::ListedFile f;
  f.device = row.device;
  f.inode = row.inode;
  if (folder.subdir == QLatin1String(".")) {
    f.root = folder.path;
    f.relative = row.name;
    return f;
  }
  // The folder's path is the scan folder's, "/" and the subdir ("/" alone: the root).
  f.root = folder.path.left(folder.path.size() - folder.subdir.size() - 1);
  if (f.root.isEmpty()) f.root = QStringLiteral("/");
  f.relative = folder.subdir + QLatin1Char('/') + row.name;
  return f;
}

}  // namespace mvnz::engine

namespace mvnz::mvnd {

void FileRow::describe(const struct stat& st) {
  size = qint64(st.st_size);
  mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
}

void FileTable::describeCurrent(const struct stat& st) {
  if (pos_ < rows_.size()) rows_[pos_].describe(st);
}

int FileTable::addFolder(const QString& path, const QString& subdir) {
  folders_.push_back({path, subdir});
  return int(folders_.size()) - 1;
}

void FileTable::deleteCurrent() {
  if (pos_ < rows_.size()) rows_.erase(rows_.begin() + pos_);
}

void FileTable::deleteBeforeCurrent() {
  rows_.erase(rows_.begin(), rows_.begin() + std::min(pos_, rows_.size()));
  pos_ = 0;
}

void FileTable::sortByTimestamp() {
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const FileRow& a, const FileRow& b) { return a.mtimeNs < b.mtimeNs; });
  pos_ = 0;
}

void FileTable::clear() {
  rows_.clear();
  folders_.clear();
  pos_ = 0;
}

QString FileTable::filename() const { return atEnd() ? QString() : rows_[pos_].name; }
QString FileTable::fileext() const { return engine::ExtensionName(filename()); }
QString FileTable::filenamenoext() const { return engine::BaseName(filename()); }
QString FileTable::filepath() const {
  return atEnd() ? QString() : folders_[rows_[pos_].folder].path;
}
QString FileTable::filepathname() const {
  if (atEnd()) return QString();
  const QString& p = folders_[rows_[pos_].folder].path;
  const QString& name = rows_[pos_].name;
  // Built in one piece: this is asked for every file of every cycle.
  QString path;
  path.reserve(p.size() + 1 + name.size());
  path.append(p);
  if (!p.endsWith('/')) path.append(QLatin1Char('/'));
  path.append(name);
  return path;
}
QString FileTable::subdir() const {
  return atEnd() ? QString() : folders_[rows_[pos_].folder].subdir;
}
double FileTable::filesize() const { return atEnd() ? 0.0 : double(rows_[pos_].size); }
QDateTime FileTable::timestamp() const {
  if (atEnd()) return QDateTime();
  // Whole seconds, as a file time stamp is shown.
  return QDateTime::fromSecsSinceEpoch(rows_[pos_].mtimeNs / 1000000000);
}

}  // namespace mvnz::mvnd
