#pragma once
// The stored property data a host form keeps for each control placed on it:
// one named value per property. Names ignore case and keep it; the order in
// which names were first written is kept, so the text form is stable.
//
// A control reads each property with its default (a missing name reads as the
// default) and writes it with its default (a value equal to the default is not
// stored, and removes a value stored earlier).
//
// Text form: one property a line, "Name=type:value". Types: "bool" (true/false),
// "int" (signed decimal), "uint" (unsigned decimal), "double", "string" (quoted,
// with \\ \" \n \r \t escapes), "font" (a quoted QFont description), "bytes"
// (base64). Values of other types are not written to the text form.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <utility>

namespace mvnz::controls {

class PropertyBag {
 public:
  // The stored value converted to the type of defaultValue; defaultValue when
  // the name is missing or the stored value does not convert to that type.
  // With an invalid defaultValue the stored value is returned as it is.
  QVariant read(const QString& name, const QVariant& defaultValue = QVariant()) const;
  // Stores value under name, or removes the name when value equals defaultValue.
  // Names that are empty or hold '=', '\n' or '\r' are refused (returns false).
  bool write(const QString& name, const QVariant& value, const QVariant& defaultValue = QVariant());

  bool contains(const QString& name) const;
  void remove(const QString& name);
  void clear() { entries_.clear(); }
  bool isEmpty() const { return entries_.isEmpty(); }
  int size() const { return int(entries_.size()); }
  QStringList names() const;  // in the order first written

  QVariantMap toMap() const;
  static PropertyBag fromMap(const QVariantMap& map);

  QString toText() const;
  // Reads the text form; blank lines are passed over. Every well-formed line is
  // taken; *ok (when given) is false if any line was malformed.
  static PropertyBag fromText(const QString& text, bool* ok = nullptr);

  bool operator==(const PropertyBag& other) const;

 private:
  qsizetype indexOf(const QString& name) const;
  QList<std::pair<QString, QVariant>> entries_;
};

}  // namespace mvnz::controls
