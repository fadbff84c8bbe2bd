#pragma once

#include <QString>

#include <optional>

namespace BundleIdentifier {

// The bundle identifier a Library entry is named after, case kept, or nothing when its name carries none.
//
// The whole name counts: only a regular file's own data extension (".plist", ".db", ".sqlite", ".log", ".json",
// ".txt" and a few more) is dropped first, because identifiers themselves are dotted and a last part such as
// ".notes" or ".writer" is part of the identifier. A folder's name is taken whole. Then an App Group's "group."
// and a ten-character team prefix are dropped, and so are the suffixes the system appends (".savedState",
// ".sfl3", ".sfl2", ".LSSharedFileList"). What remains must have at least three dot-separated parts, none
// empty, none holding a space and none made of digits alone (a version number, as in "Ondine-5.0.4.dmg"); it
// may hold only letters, numbers, ".", "-" and "_", and must begin with a letter.
//
//   "group.com.example.notes"            folder  → com.example.notes
//   "ABCDE12345.com.example.notes"       folder  → com.example.notes
//   "com.example.notes.plist"            file    → com.example.notes
//   "com.example.notes"                  file    → com.example.notes
//   "com.acme.suite.writer"              folder  → com.acme.suite.writer
//   "fr.carnet.app.savedState"           folder  → fr.carnet.app
//   "com.example", ".hidden.a.b", "1x.y.z", "Ondine-5.0.4.dmg"  → nothing
std::optional<QString> fromEntryName(const QString& name, bool isRegularFile);

// Apple's own and the system's identifiers: those beginning, in any case, with one of the system prefixes
// ("com.apple.", "group.com.apple.", "apple.", "com.microsoft.autoupdate", "systemgroup.").
bool isSystem(const QString& identifier);

// Whether a Library entry is the system's own, whatever application's name it may also carry: named after a
// system identifier (also behind an App Group's "group." or a team prefix), or one of the folders the system
// keeps under a plain name ("MobileSync", "CloudDocs", "Knowledge", …), in any case, whole or followed by "."
// or "-".
bool isSystemEntry(const QString& name, bool isRegularFile);

// Whether the whole identifier may name an application's own Library entries: at least two parts, none empty,
// and neither a system identifier nor the start of a system prefix ("com", "com.apple", "group.com.apple" and
// "apple" claim what belongs to others).
bool isOwnName(const QString& identifier);

} // namespace BundleIdentifier
