#pragma once
// The common file and folder dialogs: open file, save file and browse for a folder.
// Arguments are in/out as the callers expect: on a confirmed choice they carry the
// result back; on cancel they carry the cancel values documented below.
#include <QString>

class QWidget;

namespace mvnz {

// Flag bits of the file dialogs (the callers pass and receive them as numbers).
constexpr long OFN_READONLY = 0x1;
constexpr long OFN_OVERWRITEPROMPT = 0x2;
constexpr long OFN_HIDEREADONLY = 0x4;
constexpr long OFN_ENABLEHOOK = 0x20;
constexpr long OFN_ENABLETEMPLATE = 0x40;
constexpr long OFN_ALLOWMULTISELECT = 0x200;
constexpr long OFN_FILEMUSTEXIST = 0x1000;

// The zero-separated, double-zero-terminated form of a filter text of description
// and pattern pairs separated by "|" or ":" ("Text (*.txt)|*.txt").
QString ConvertFilter(const QString& filter);

// The index-th (1-based) pair of a zero-separated filter list: description, a zero
// character and the pattern; "" when there is no such pair.
QString GetFilterByIndex(const QString& filter, long index);

// Open-file dialog. owner nullptr shows an ownerless dialog. Chosen: true, fileName
// the full path, fileTitle its file part, filter the chosen pair (GetFilterByIndex),
// filterIndex the chosen pair's number, flags the dialog's flags, readOnly true when
// they hold OFN_READONLY. Cancelled: false, fileName, fileTitle and filter a single
// zero character, flags 0, filterIndex -1. With several files chosen fileName holds
// their folder only.
bool OpenFileDialog(QString& fileName, QString& fileTitle, bool fileMustExist, bool multiSelect,
                    bool& readOnly, bool hideReadOnly, QString& filter, long& filterIndex,
                    const QString& initDir, const QString& dlgTitle, const QString& defaultExt,
                    QWidget* owner, long& flags);

// Save-file dialog; as OpenFileDialog, but on cancel filterIndex becomes 0.
// overwritePrompt false asks nothing when the chosen file exists.
bool SaveFileDialog(QString& fileName, QString& fileTitle, bool overwritePrompt, QString& filter,
                    long& filterIndex, const QString& initDir, const QString& dlgTitle,
                    const QString& defaultExt, QWidget* owner, long& flags);

// Folder dialog opened on initialFolder (on the file system's root when it is "" or
// does not exist). The chosen folder's path, "" when cancelled. root and flags are
// taken for the callers' sake; only 0 (the whole file system, no flags) is known.
QString BrowseFolderDialog(QWidget* owner, const QString& title, const QString& initialFolder,
                           long root = 0, long flags = 0);

}  // namespace mvnz
