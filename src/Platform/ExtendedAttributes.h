#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Platform {

// The value of one extended attribute of the entry itself (a link is not followed). Nothing when the entry
// has no such attribute or cannot be read; `errorNumber`, when given, receives errno: ENODATA for a missing
// attribute, ENOTSUP where the file system keeps none. Names are the system's own, namespace included
// ("user.xdg.origin.url").
std::optional<QByteArray> extendedAttribute(const QString& path, const QString& name, int* errorNumber = nullptr);

} // namespace Platform
