#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Platform {

// The whole content of the regular file at `path`, for the small files that scanners read whole (property
// lists, JSON settings). Nothing when the path is a link, a folder, a FIFO or anything else than a regular
// file, when it cannot be read, or when it holds more than `maxBytes`: what lies there is never followed,
// never waited on and never loaded whatever its size.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

} // namespace Platform
