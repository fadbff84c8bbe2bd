#pragma once

#include <QString>

#include <optional>

// The stand-in for the Launch Services lookup of an application by its bundle identifier. It knows the ".app"
// bundles found below the system root's "/Applications" and "/System/Applications" (subfolders such as
// "Utilities" included) and the user's "~/Applications", by the CFBundleIdentifier of their
// "Contents/Info.plist" (XML or binary). Nothing is cached: every call looks again, so an application
// installed or removed a moment ago is seen as it now stands.
namespace Platform {

// The bundle of an installed application with that identifier, compared without regard to case as Launch
// Services does; the first found when several carry it. Nothing when none does or the identifier is empty.
// Bundles are not looked into, links are not followed into folders, and a link named "….app" that leads
// to a bundle counts as that application, at the link's own path.
std::optional<QString> applicationForBundleIdentifier(const QString& bundleIdentifier);

// The name the Finder shows for an entry. This machine has no localised names and hides no extension, so it is
// the path's last component as it stands ("Notes.app").
QString displayName(const QString& path);

} // namespace Platform
