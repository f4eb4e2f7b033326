// The credits reader: the text of a small RTF document with its tables, pictures and
// control words left out, a truncated document up to the cut, and what is no RTF,
// too large or no regular file.
#include <gtest/gtest.h>

#include <QFile>
#include <sys/stat.h>

#include "manager/rtftext.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

// A document as a word processor writes it: header tables, a hidden group, a
// picture, escapes, a Unicode character with its stand-in, binary data.
const QByteArray kCredits =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Courier;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "{\\*\\generator Writer 1.0;}{\\info{\\title Credits}{\\author Nobody}}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs20 {\\b Credits}\\par\r\n"
    "Engine:\\tab J\\'f6rg \\{core\\}\\par\r\n"
    "{\\pict\\pngblip 89504e470d0a1a0a}Icons \\u8364?5\\line back\\\\slash\r\n"
    "{\\*\\comment left out}{\\bin5 ab}cd}end\\par\r\n"
    "}";

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

}  // namespace

TEST(CreditsReader, TextOfADocumentAndOfATruncatedOne) {
  const QString full = QString::fromUtf8("Credits\nEngine:\tJ\u00f6rg {core}\nIcons \u20ac5\nback\\slashend\n");
  EXPECT_EQ(RtfToText(kCredits), full);
  // Cut anywhere: the text up to the cut, never more, never a crash.
  for (qsizetype cut = 5; cut < kCredits.size(); ++cut) {
    const std::optional<QString> text = RtfToText(kCredits.left(cut));
    ASSERT_TRUE(text.has_value()) << cut;
    EXPECT_TRUE(full.startsWith(*text)) << cut << ": " << text->toStdString();
  }
  const struct {
    const char* cut;
    const char* text;
  } cuts[] = {
      {"{\\rtf1 Hello {\\b bold", "Hello bold"},  // groups left open
      {"{\\rtf1 Hello\\pa", "Hello"},             // inside a control word
      {"{\\rtf1 J\\'f", "J"},                     // inside an escaped character
      {"{\\rtf1 a}b}", "a"},                      // text after the document's end
  };
  for (const auto& c : cuts) EXPECT_EQ(RtfToText(c.cut), QString(c.text)) << c.cut;
}

TEST(CreditsReader, RefusesWhatIsNoRtfAndStaysBounded) {
  for (const char* notRtf : {"", "plain text", "{\\rt", " {\\rtf1 x}"})
    EXPECT_EQ(RtfToText(notRtf), std::nullopt) << notRtf;
  // Nesting beyond the limit ends the text.
  const QByteArray deep = "{\\rtf1 a" + QByteArray(kMaxRtfDepth * 2, '{') + "b" + QByteArray(kMaxRtfDepth * 2, '}');
  EXPECT_EQ(RtfToText(deep), QString("a"));

  const QString dir = test::makeDir("credits");
  EXPECT_EQ(ReadRtfFile(dir + "/missing.rtf"), std::nullopt);
  EXPECT_EQ(ReadRtfFile(dir), std::nullopt);
  const QString pipe = dir + "/pipe.rtf";
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  EXPECT_EQ(ReadRtfFile(pipe), std::nullopt);  // returns instead of waiting for a writer
  writeFile(dir + "/credits.rtf", kCredits);
  EXPECT_EQ(ReadRtfFile(dir + "/credits.rtf"), RtfToText(kCredits));
  // Only the first kMaxCreditsBytes are read.
  writeFile(dir + "/large.rtf", "{\\rtf1 " + QByteArray(kMaxCreditsBytes, 'x') + "tail}");
  const std::optional<QString> large = ReadRtfFile(dir + "/large.rtf");
  ASSERT_TRUE(large.has_value());
  EXPECT_EQ(large->size(), kMaxCreditsBytes - 7);
}
