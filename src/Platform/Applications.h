#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// The stand-in for the Launch Services lookup of an application by its bundle identifier. It knows the ".app"
// bundles found below the system root's "/Applications" and "/System/Applications" (subfolders such as
// "Utilities" included) and the user's "~/Applications", by the CFBundleIdentifier of their
// "Contents/Info.plist" (XML or binary). Nothing is cached: every call looks again, so an application
// installed or removed a moment ago is seen as it now stands.
namespace Platform {

// What an application bundle declares in its Contents/Info.plist.
struct BundleInfo {
    QVariantMap dictionary; // empty when Info.plist is missing, damaged or holds no dictionary
    QString identifier;     // CFBundleIdentifier as declared, case kept; empty when none or not a text

    friend bool operator==(const BundleInfo&, const BundleInfo&) = default;
};

// Reads the bundle at `bundle` ("…/Name.app"), XML or binary. Nothing when it is no folder (a file, a missing
// path, a link to no folder): that is no readable bundle. A link to a folder is read through, as the system
// opens a bundle by its path.
std::optional<BundleInfo> readBundle(const QString& bundle);

// The bundle of an installed application with that identifier, compared without regard to case as Launch
// Services does; the first found when several carry it. Nothing when none does or the identifier is empty.
// Bundles are not looked into, links are not followed into folders, and a link named "….app" that leads
// to a bundle counts as that application, at the link's own path.
std::optional<QString> applicationForBundleIdentifier(const QString& bundleIdentifier);

// The name the Finder shows for an entry. This machine has no localised names and hides no extension, so it is
// the path's last component as it stands ("Notes.app").
QString displayName(const QString& path);

} // namespace Platform
