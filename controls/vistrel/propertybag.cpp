#include "controls/propertybag.h"

#include <QFont>
#include <QMetaType>
#include <limits>
#include <optional>

namespace mvnz::controls {

namespace {

bool validName(const QString& name) {
  return !name.isEmpty() && !name.contains(u'=') && !name.contains(u'\n') && !name.contains(u'\r');
}

QString quote(const QString& s) {
  QString out;
  out.reserve(s.size() + 2);
  out += u'"';
  for (const QChar c : s) {
    switch (c.unicode()) {
      case '\\':
        out += QStringLiteral("\\\\");
        break;
      case '"':
        out += QStringLiteral("\\\"");
        break;
      case '\n':
        out += QStringLiteral("\\n");
        break;
      case '\r':
        out += QStringLiteral("\\r");
        break;
      case '\t':
        out += QStringLiteral("\\t");
        break;
      default:
        out += c;
    }
  }
  out += u'"';
  return out;
}

std::optional<QString> unquote(QStringView s) {
  if (s.size() < 2 || s.front() != u'"' || s.back() != u'"') return std::nullopt;
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 1; i + 1 < s.size(); ++i) {
    QChar c = s[i];
    if (c == u'"') return std::nullopt;  // an unescaped quote inside
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (i + 2 >= s.size()) return std::nullopt;  // escape with nothing after it
    switch (s[++i].unicode()) {
      case '\\':
        out += u'\\';
        break;
      case '"':
        out += u'"';
        break;
      case 'n':
        out += u'\n';
        break;
      case 'r':
        out += u'\r';
        break;
      case 't':
        out += u'\t';
        break;
      default:
        return std::nullopt;
    }
  }
  return out;
}

// "type:value" for the types the text form carries; nullopt for the others.
std::optional<QString> encode(const QVariant& v) {
  switch (v.metaType().id()) {
    case QMetaType::Bool:
      return QString::fromLatin1(v.toBool() ? "bool:true" : "bool:false");
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
      return QStringLiteral("int:") + QString::number(v.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      return QStringLiteral("uint:") + QString::number(v.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
      return QStringLiteral("double:") + QString::number(v.toDouble(), 'g', 17);
    case QMetaType::QChar:
    case QMetaType::QString:
      return QStringLiteral("string:") + quote(v.toString());
    case QMetaType::QFont:
      return QStringLiteral("font:") + quote(v.value<QFont>().toString());
    case QMetaType::QByteArray:
      return QStringLiteral("bytes:") + QString::fromLatin1(v.toByteArray().toBase64());
    default:
      return std::nullopt;
  }
}

std::optional<QVariant> decode(QStringView type, QStringView value) {
  bool ok = false;
  if (type == u"bool") {
    if (value == u"true") return QVariant(true);
    if (value == u"false") return QVariant(false);
    return std::nullopt;
  }
  if (type == u"int") {
    const qlonglong n = value.toLongLong(&ok);
    if (!ok) return std::nullopt;
    if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
      return QVariant(int(n));
    return QVariant(n);
  }
  if (type == u"uint") {
    const qulonglong n = value.toULongLong(&ok);
    if (!ok) return std::nullopt;
    if (n <= std::numeric_limits<uint>::max()) return QVariant(uint(n));
    return QVariant(n);
  }
  if (type == u"double") {
    const double d = value.toDouble(&ok);
    return ok ? std::optional<QVariant>(QVariant(d)) : std::nullopt;
  }
  if (type == u"string") {
    auto s = unquote(value);
    return s ? std::optional<QVariant>(QVariant(*s)) : std::nullopt;
  }
  if (type == u"font") {
    auto s = unquote(value);
    QFont f;
    if (!s || !f.fromString(*s)) return std::nullopt;
    return QVariant(f);
  }
  if (type == u"bytes") {
    auto r =
        QByteArray::fromBase64Encoding(value.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!r) return std::nullopt;
    return QVariant(*r);
  }
  return std::nullopt;
}

}  // namespace

qsizetype PropertyBag::indexOf(const QString& name) const {
  for (qsizetype i = 0; i < entries_.size(); ++i)
    if (entries_[i].first.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QVariant PropertyBag::read(const QString& name, const QVariant& defaultValue) const {
  const qsizetype i = indexOf(name);
  if (i < 0) return defaultValue;
  const QVariant& stored = entries_[i].second;
  if (!defaultValue.isValid()) return stored;
  if (stored.metaType() == defaultValue.metaType()) return stored;
  QVariant converted = stored;
  if (!converted.convert(defaultValue.metaType())) return defaultValue;
  return converted;
}

bool PropertyBag::write(const QString& name, const QVariant& value, const QVariant& defaultValue) {
  if (!validName(name)) return false;
  const qsizetype i = indexOf(name);
  if (defaultValue.isValid() && value == defaultValue) {
    if (i >= 0) entries_.removeAt(i);
    return true;
  }
  if (i >= 0)
    entries_[i].second = value;
  else
    entries_.append({name, value});
  return true;
}

bool PropertyBag::contains(const QString& name) const { return indexOf(name) >= 0; }

void PropertyBag::remove(const QString& name) {
  const qsizetype i = indexOf(name);
  if (i >= 0) entries_.removeAt(i);
}

QStringList PropertyBag::names() const {
  QStringList out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out << e.first;
  return out;
}

QVariantMap PropertyBag::toMap() const {
  QVariantMap map;
  for (const auto& e : entries_) map.insert(e.first, e.second);
  return map;
}

PropertyBag PropertyBag::fromMap(const QVariantMap& map) {
  PropertyBag bag;
  for (auto it = map.cbegin(); it != map.cend(); ++it) bag.write(it.key(), it.value());
  return bag;
}

QString PropertyBag::toText() const {
  QString out;
  for (const auto& e : entries_) {
    const auto encoded = encode(e.second);
    if (!encoded) continue;
    out += e.first + u'=' + *encoded + u'\n';
  }
  return out;
}

PropertyBag PropertyBag::fromText(const QString& text, bool* ok) {
  PropertyBag bag;
  bool allGood = true;
  for (QStringView line : QStringView(text).split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    const qsizetype eq = line.indexOf(u'=');
    const qsizetype colon = eq < 0 ? -1 : line.indexOf(u':', eq + 1);
    std::optional<QVariant> value;
    if (eq > 0 && colon > eq)
      value = decode(line.sliced(eq + 1, colon - eq - 1), line.sliced(colon + 1));
    if (!value || !bag.write(line.first(eq).toString(), *value)) {
      allGood = false;
      continue;
    }
  }
  if (ok) *ok = allGood;
  return bag;
}

bool PropertyBag::operator==(const PropertyBag& other) const {
  if (entries_.size() != other.entries_.size()) return false;
  for (const auto& e : entries_) {
    const qsizetype j = other.indexOf(e.first);
    if (j < 0 || other.entries_[j].second != e.second) return false;
  }
  return true;
}

}  // namespace mvnz::controls
