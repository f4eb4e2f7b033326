#include "controls/propertybag.h"

#include <gtest/gtest.h>
#include <QFont>

using mvnz::controls::PropertyBag;

TEST(PropertyBag, MissingNameReadsAsDefaultAndDefaultIsNotStored) {
  PropertyBag bag;
  EXPECT_EQ(bag.read("BorderStyle", 2).toInt(), 2);
  EXPECT_TRUE(bag.write("BorderStyle", 7, 2));
  EXPECT_EQ(bag.read("borderstyle", 2).toInt(), 7);  // names ignore case
  EXPECT_EQ(bag.names(), QStringList{"BorderStyle"});

  // Writing the default removes a value stored earlier.
  EXPECT_TRUE(bag.write("BORDERSTYLE", 2, 2));
  EXPECT_FALSE(bag.contains("BorderStyle"));
  EXPECT_TRUE(bag.isEmpty());

  // Without a default every value is stored.
  bag.write("Caption", QString());
  EXPECT_TRUE(bag.contains("Caption"));
}

TEST(PropertyBag, ReadConvertsToTheDefaultsTypeOrFallsBack) {
  PropertyBag bag;
  bag.write("Percent", QStringLiteral("42"));
  bag.write("Junk", QStringLiteral("not a number"));
  EXPECT_EQ(bag.read("Percent", 0).metaType().id(), QMetaType::Int);
  EXPECT_EQ(bag.read("Percent", 0).toInt(), 42);
  EXPECT_EQ(bag.read("Junk", 5).toInt(), 5);
  EXPECT_EQ(bag.read("Junk").toString(), "not a number");
}

TEST(PropertyBag, RefusesNamesTheTextFormCannotCarry) {
  PropertyBag bag;
  for (const char* name : {"", "a=b", "a\nb", "a\rb"}) EXPECT_FALSE(bag.write(name, 1)) << name;
  EXPECT_TRUE(bag.isEmpty());
}

TEST(PropertyBag, TextFormRoundTripsEveryCarriedType) {
  QFont font("Sans Serif", 11);
  font.setBold(true);
  PropertyBag bag;
  bag.write("Enabled", false);
  bag.write("BorderStyle", short(7));
  bag.write("Negative", -12);
  bag.write("Big", qlonglong(1) << 40);
  bag.write("FloodColor", uint(0x8000000D));
  bag.write("Ratio", 0.1);
  bag.write("Caption", QStringLiteral("Command: \"Sleep\"\\ line\nnext\r\ttab = : ü"));
  bag.write("Empty", QString());
  bag.write("Font", font);
  bag.write("Blob", QByteArray("\0\x01\xff", 3));

  const QString text = bag.toText();
  bool ok = false;
  const PropertyBag back = PropertyBag::fromText(text, &ok);
  EXPECT_TRUE(ok) << text.toStdString();
  EXPECT_EQ(back, bag) << text.toStdString();
  EXPECT_EQ(back.names(), bag.names());  // order kept
  EXPECT_EQ(back.read("FloodColor", uint(0)).toUInt(), 0x8000000Du);
  EXPECT_TRUE(back.read("Font", QFont()).value<QFont>().bold());
  EXPECT_EQ(back.toText(), text);
}

TEST(PropertyBag, MalformedLinesArePassedOverAndReported) {
  bool ok = true;
  const PropertyBag bag = PropertyBag::fromText(
      "Caption=string:\"ok\"\r\n"
      "\n"
      "NoType\n"
      "=int:3\n"
      "Percent=int:12x\n"
      "Flag=bool:yes\n"
      "Open=string:\"unterminated\n"
      "Inner=string:\"a\"b\"\n"
      "Escape=string:\"\\q\"\n"
      "Odd=colour:5\n"
      "Bad=bytes:@@@\n"
      "Last=uint:4294967295\n",
      &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(bag.names(), (QStringList{"Caption", "Last"}));
  EXPECT_EQ(bag.read("Caption").toString(), "ok");
  EXPECT_EQ(bag.read("Last", uint(0)).toUInt(), 4294967295u);
}

TEST(PropertyBag, MapFormKeepsValues) {
  PropertyBag bag;
  bag.write("A", 1);
  bag.write("B", QStringLiteral("x"));
  EXPECT_EQ(PropertyBag::fromMap(bag.toMap()), bag);
}
