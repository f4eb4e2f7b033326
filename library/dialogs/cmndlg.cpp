// The common file dialogs on QFileDialog. The Qt dialog (never the native one, so
// every platform shows the same dialog and it can be driven offscreen) stands in
// for the system dialog; the callers' flag words and filter lists keep their form.
#include "library/cmndlg.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace mvnz {

namespace {

const QChar kNul(u'\0');

QString nulText() { return QString(kNul); }

QString trimAtNul(const QString& s) {
  const qsizetype i = s.indexOf(kNul);
  return i < 0 ? s : s.left(i);
}

struct FilterPair {
  QString description;
  QString pattern;
};

// The pairs of a converted filter list, up to its terminating empty entry.
QList<FilterPair> filterPairs(const QString& converted) {
  QList<FilterPair> out;
  const QStringList parts = converted.split(kNul);
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;
    out.append({parts[i], parts[i + 1]});
  }
  return out;
}

// Qt's name filter for a pair: the description, then the patterns in parentheses
// (";" separated patterns become blank separated). The parentheses are hidden in
// the dialog, so it shows the caller's description as given.
QString qtNameFilter(const FilterPair& p) {
  QString pattern = p.pattern;
  pattern.replace(u';', u' ');
  if (pattern.trimmed().isEmpty()) pattern = QStringLiteral("*");
  return p.description + QStringLiteral(" (") + pattern + u')';
}

struct Request {
  bool save = false;
  QString fileName;
  QString filter;  // converted
  long filterIndex = 0;
  QString initDir;
  QString title;
  QString defaultExt;
  QWidget* owner = nullptr;
  long flags = 0;
};

struct Outcome {
  bool chosen = false;
  QString fileName;
  QString fileTitle;
  long filterIndex = 0;
};

Outcome runFileDialog(const Request& r) {
  QFileDialog dlg(r.owner);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::HideNameFilterDetails);
  if (!r.title.isEmpty()) dlg.setWindowTitle(r.title);
  if (r.save) {
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !(r.flags & OFN_OVERWRITEPROMPT));
  } else {
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    if (r.flags & OFN_ALLOWMULTISELECT)
      dlg.setFileMode(QFileDialog::ExistingFiles);
    else if (r.flags & OFN_FILEMUSTEXIST)
      dlg.setFileMode(QFileDialog::ExistingFile);
    else
      dlg.setFileMode(QFileDialog::AnyFile);
  }
  if (!r.defaultExt.isEmpty()) {
    QString ext = r.defaultExt;
    while (ext.startsWith(u'.')) ext.remove(0, 1);
    dlg.setDefaultSuffix(ext);
  }

  const QList<FilterPair> pairs = filterPairs(r.filter);
  QStringList nameFilters;
  for (const FilterPair& p : pairs) nameFilters.append(qtNameFilter(p));
  if (!nameFilters.isEmpty()) {
    dlg.setNameFilters(nameFilters);
    const long start =
        (r.filterIndex >= 1 && r.filterIndex <= nameFilters.size()) ? r.filterIndex : 1;
    dlg.selectNameFilter(nameFilters[start - 1]);
  }

  const QString initDir = r.initDir.isEmpty() ? QString() : QDir(r.initDir).absolutePath();
  if (!initDir.isEmpty() && QFileInfo(initDir).isDir()) dlg.setDirectory(initDir);
  const QString start = trimAtNul(r.fileName);
  if (!start.isEmpty()) dlg.selectFile(start);

  Outcome out;
  if (dlg.exec() != QDialog::Accepted) return out;
  const QStringList files = dlg.selectedFiles();
  if (files.isEmpty()) return out;
  out.chosen = true;
  if (files.size() > 1) {
    // Several files: only their folder is handed back, as the callers expect of a
    // multiple choice.
    out.fileName = QDir::cleanPath(QFileInfo(files.first()).absolutePath());
  } else {
    out.fileName = files.first();
    out.fileTitle = QFileInfo(files.first()).fileName();
  }
  if (!nameFilters.isEmpty()) {
    qsizetype idx = nameFilters.indexOf(dlg.selectedNameFilter());
    if (idx < 0) {
      if (auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        idx = combo->currentIndex();
    }
    out.filterIndex = idx < 0 ? 1 : static_cast<long>(idx + 1);
  }
  return out;
}

// The request for the callers' common arguments. The hook and template bits of the
// flags are dropped: there is no hook procedure or dialog template here.
Request makeRequest(bool save, const QString& fileName, const QString& filter, long filterIndex,
                    const QString& initDir, const QString& title, const QString& defaultExt,
                    QWidget* owner, long flags) {
  Request r;
  r.save = save;
  r.fileName = fileName;
  r.filter = ConvertFilter(filter);
  r.filterIndex = filterIndex;
  r.initDir = initDir;
  r.title = title;
  r.defaultExt = defaultExt;
  r.owner = owner;
  r.flags = flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
  return r;
}

// Shows the dialog and hands its outcome back through the callers' arguments; the
// flags come back as they went in (the Qt dialog has no read-only check box). On
// cancel the texts become a lone NUL, the flags 0 and the filter index cancelIndex.
bool showAndReport(const Request& r, long cancelIndex, QString& fileName, QString& fileTitle,
                   QString& filter, long& filterIndex, long& flags) {
  const Outcome o = runFileDialog(r);
  if (!o.chosen) {
    fileName = fileTitle = filter = nulText();
    flags = 0;
    filterIndex = cancelIndex;
    return false;
  }
  fileName = o.fileName;
  fileTitle = o.fileTitle;
  flags = r.flags;
  filterIndex = o.filterIndex;
  filter = GetFilterByIndex(r.filter, filterIndex);
  return true;
}

}  // namespace

QString ConvertFilter(const QString& filter) {
  QString s = filter;
  s.replace(u'|', kNul);
  s.replace(u':', kNul);
  return s + kNul + kNul;
}

QString GetFilterByIndex(const QString& filter, long index) {
  if (filter == nulText() || index <= 0) return QString();
  qsizetype pos = 0;
  for (long n = 1;; ++n) {
    const qsizetype first = filter.indexOf(kNul, pos);
    if (first < 0) return QString();
    const qsizetype second = filter.indexOf(kNul, first + 1);
    // The list's terminating zeros hold no pair: past the last pair is "".
    if (first == pos) return QString();
    if (n == index) return second < 0 ? filter.mid(pos) : filter.mid(pos, second - pos);
    if (second < 0) return QString();
    pos = second + 1;
  }
}

bool OpenFileDialog(QString& fileName, QString& fileTitle, bool fileMustExist, bool multiSelect,
                    bool& readOnly, bool hideReadOnly, QString& filter, long& filterIndex,
                    const QString& initDir, const QString& dlgTitle, const QString& defaultExt,
                    QWidget* owner, long& flags) {
  Request r = makeRequest(false, fileName, filter, filterIndex, initDir, dlgTitle, defaultExt,
                          owner, flags);
  r.flags |= (fileMustExist ? OFN_FILEMUSTEXIST : 0) | (multiSelect ? OFN_ALLOWMULTISELECT : 0) |
             (readOnly ? OFN_READONLY : 0) | (hideReadOnly ? OFN_HIDEREADONLY : 0);
  if (!showAndReport(r, -1, fileName, fileTitle, filter, filterIndex, flags)) return false;
  if (flags & OFN_READONLY) readOnly = true;
  return true;
}

bool SaveFileDialog(QString& fileName, QString& fileTitle, bool overwritePrompt, QString& filter,
                    long& filterIndex, const QString& initDir, const QString& dlgTitle,
                    const QString& defaultExt, QWidget* owner, long& flags) {
  Request r =
      makeRequest(true, fileName, filter, filterIndex, initDir, dlgTitle, defaultExt, owner, flags);
  r.flags |= (overwritePrompt ? OFN_OVERWRITEPROMPT : 0) | OFN_HIDEREADONLY;
  return showAndReport(r, 0, fileName, fileTitle, filter, filterIndex, flags);
}

QString BrowseFolderDialog(QWidget* owner, const QString& title, const QString& initialFolder,
                           long /*root*/, long /*flags*/) {
  QFileDialog dlg(owner);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::ShowDirsOnly);
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (!title.isEmpty()) dlg.setWindowTitle(title);
  const QString start = trimAtNul(initialFolder);
  dlg.setDirectory(!start.isEmpty() && QFileInfo(start).isDir() ? QDir(start).absolutePath()
                                                                : QDir::rootPath());
  if (dlg.exec() != QDialog::Accepted) return QString();
  const QStringList chosen = dlg.selectedFiles();
  if (chosen.isEmpty()) return QString();
  const QString path = chosen.first();
  return QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

}  // namespace mvnz
