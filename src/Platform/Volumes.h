#pragma once

#include <QStringList>

namespace Platform {

// The mounted volumes other than the start-up disk, hidden ones left out: the folders directly in the system
// root's "/Volumes", in byte order of their names. Entries that are links (the start-up disk's own entry
// points to "/") and names beginning with "." are not volumes the user sees.
QStringList mountedVolumes();

} // namespace Platform
