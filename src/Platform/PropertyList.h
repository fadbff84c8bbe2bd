#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// Property lists, XML or binary, as QVariant trees: dictionary ↔ QVariantMap, array ↔ QVariantList,
// string ↔ QString, boolean ↔ bool, integer ↔ qint64, real ↔ double, date ↔ QDateTime (UTC),
// data ↔ QByteArray.
namespace Platform::PropertyList {

// Every property list from outside is read here, never by the library, whose reader trusts offsets and
// asserts on some hostile input. Nothing for bytes that are not a property list, that nest deeper than 256
// levels or loop, or whose keys or strings hold U+0000; a date is read to the millisecond, from year 1 to
// year 9999, or refused.
std::optional<QVariant> parse(const QByteArray& bytes);

enum class FollowLink { Yes, No };

// The same for a regular file (a FIFO, device or folder gives nothing), opened without blocking and, with
// FollowLink::No, without following a link in the last place. Nothing when the file cannot be read.
std::optional<QVariant> readFile(const QString& path, FollowLink follow = FollowLink::Yes);

enum class Format { Xml, Binary };

// Nothing when the value holds a type that a property list cannot carry, or text holding U+0000. The binary
// form carries any date from year 1 to 9999; the XML form only those of 32-bit seconds from 2001 (the
// library's limit).
std::optional<QByteArray> serialize(const QVariant& value, Format format = Format::Binary);

} // namespace Platform::PropertyList
