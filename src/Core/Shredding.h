#pragma once

#include "Platform/FileReading.h"

#include <QString>

#include <optional>
#include <stop_token>

namespace Platform {
class ReachedItem;
}

namespace Removal {

// Overwrites a file, or every file below a folder, in place and then deletes it, without the Trash. Pass p
// writes 0x00 when p % 3 == 0, 0xFF when p % 3 == 1 and random bytes when p % 3 == 2; a count below 1
// makes one pass. Links are unlinked, never followed; nothing on another file system is touched; a file
// with other hard links is neither overwritten nor deleted. In a folder every child is tried; the folder
// goes only once it is empty. Once `stop` is triggered the passes write nothing more, but the item in
// hand is still deleted. Nothing on success, else the French reason of the first failure.
// The item is reached without passing a link above it (Platform::SafeReach); each file is opened for its
// overwrite through `files`.
std::optional<QString> shred(const QString& path, int passes, std::stop_token stop = {},
                             const Platform::RegularFileOpening& files = Platform::systemFileOpening());

// The same for an item already reached.
std::optional<QString> shred(const Platform::ReachedItem& item, int passes, std::stop_token stop = {},
                             const Platform::RegularFileOpening& files = Platform::systemFileOpening());

// The overwrite alone, for one regular file, which stays in place.
std::optional<QString> overwriteContent(const QString& path, int passes, std::stop_token stop = {});

} // namespace Removal
