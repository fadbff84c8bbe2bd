#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// Property lists, XML or binary, as QVariant trees: dictionary ↔ QVariantMap, array ↔ QVariantList,
// string ↔ QString, boolean ↔ bool, integer ↔ qint64, real ↔ double, date ↔ QDateTime (UTC),
// data ↔ QByteArray.
namespace Platform::PropertyList {

// Nothing when the bytes are not a property list.
std::optional<QVariant> parse(const QByteArray& bytes);

// Nothing when the file cannot be read or is not a property list.
std::optional<QVariant> readFile(const QString& path);

enum class Format { Xml, Binary };

// Nothing when the value holds a type that a property list cannot carry.
std::optional<QByteArray> serialize(const QVariant& value, Format format = Format::Binary);

} // namespace Platform::PropertyList
