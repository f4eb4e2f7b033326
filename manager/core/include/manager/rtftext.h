#pragma once
// The credits document: a rich-text (RTF) file read as plain text by a small, bounded
// reader. Control words are dropped (paragraph and line breaks become line breaks, a
// tab a tab, escaped and Unicode characters their character); groups that hold no
// text (font and colour tables, style sheets, document information, pictures and
// every "{\*...}" group) are skipped whole.
#include <QByteArray>
#include <QString>
#include <optional>

namespace mvnz::manager {

// At most this much of a credits file is read; the rest is left out.
inline constexpr qint64 kMaxCreditsBytes = 256 * 1024;
// Groups nested deeper than this end the text (what came before is kept).
inline constexpr int kMaxRtfDepth = 64;

// The text of an RTF document; nullopt when data does not begin with "{\rtf". A
// truncated document (unclosed groups, a cut control word) gives the text up to the cut.
std::optional<QString> RtfToText(const QByteArray& data);
// The text of the credits file at path (a regular file, read up to kMaxCreditsBytes),
// or nullopt when it is missing, unreadable or not RTF.
std::optional<QString> ReadRtfFile(const QString& path);
// The credits file: "credits.rtf" in the program's credits folder (paths::bundledDir).
QString CreditsFilePath();

}  // namespace mvnz::manager
