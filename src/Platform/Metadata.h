#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

#include <optional>

// The Spotlight attributes of a file. This machine keeps no Spotlight store, so they are read from the file's
// extended attributes: "user.com.apple.metadata:<attribute>" holds a property list (XML or binary) as the Mac
// writes it under "com.apple.metadata:<attribute>". Where that is absent, kMDItemWhereFroms falls back to the
// download origin that browsers here record in "user.xdg.origin.url", as a list of that one address.
namespace Platform::Metadata {

inline constexpr QStringView whereFroms = u"kMDItemWhereFroms";     // list of strings: the download sources
inline constexpr QStringView lastUsedDate = u"kMDItemLastUsedDate"; // date: when the file was last opened

// The attribute's value in property-list types (see PropertyList.h); nothing when the file records none or
// holds something that is not a property list.
std::optional<QVariant> value(const QString& path, QStringView attribute);

} // namespace Platform::Metadata
