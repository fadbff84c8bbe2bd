#pragma once

#include <QString>

namespace Platform {
class UserDefaults;
}

// The one-time carry-over of the earlier product's data (its Application Support folder and its defaults
// suite) into this application's. The first of the shared preferences, the shared exclusions and the shared
// journal to be created calls importOnce(); within one process the import runs at most once, and never
// under a test runner. Every failure is ignored: the import is housekeeping.
namespace LegacyImport {

// The earlier product's defaults suite.
inline constexpr char16_t kLegacySuite[] = u"com.ostrek.tessalinomark";

// Runs the import for the first caller only. A caller that comes while it runs waits for its end, so that
// nobody reads the settings or the journal folder half carried over.
void importOnce();

// Moves every child of the folder `from` into `to` (created when missing) unless `to` already holds an entry
// of that name; `from` is removed once it is empty. Nothing happens when `from` is not a folder (a link is
// not followed) or cannot be listed.
void migrateLegacyFolder(const QString& from, const QString& to);

// Copies into `standard` every key of `suite` that `standard` does not hold yet, except the system's own
// (keys beginning with "NS", "Apple" or "com.apple"). Nothing is removed from the suite.
void importLegacyDefaults(const Platform::UserDefaults& suite, Platform::UserDefaults& standard);

} // namespace LegacyImport
