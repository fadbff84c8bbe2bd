#pragma once

#include "Core/FileUtils.h"
#include "Scanners/ModuleScanner.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Exclusions;

// The scanner of the leftovers module: the entries of ten folders of the user's Library named after the bundle
// identifier of an application that is no longer installed. Entries whose publisher still has an application
// installed are offered unticked and marked risky, in a group of their own; the others are ticked. Every item
// goes to the Trash.
class LeftoversScanner final : public ModuleScanner
{
public:
    struct Location {
        QString url;
        QString label; // French, the start of each item's detail
    };

    // How an entry is measured: the path and the time-out in seconds. Tests replace it to stand for a tree
    // too large to measure in time.
    using Measure = std::function<FileUtils::SizeResult(const QString& path, double timeout)>;

    LeftoversScanner(const Exclusions& exclusions, ModuleID module, Measure measure = {});

    // Seconds an entry's measure may take before its partial size is shown as a lower bound.
    static constexpr double measureTimeout = 1.5;

    // The installed applications by bundle identifier (as declared, case kept) of /Applications, its Utilities,
    // /System/Applications, its Utilities and ~/Applications, each with its subfolders one level down, a later
    // folder winning; and the running application itself, wherever it runs from.
    static QHash<QString, QString> installedBundleIdentifiers();

    // The ten Library folders looked at, in order, with their labels.
    static QList<Location> libraryLocations();

    // Apple's own and the system's identifiers ("com.apple.", "apple.", "com.microsoft.autoupdate",
    // "systemgroup."), in any case.
    static bool isSystemIdentifier(const QString& identifier);

    // The first two dot-separated parts of an identifier, case kept ("com.example" of "com.example.notes");
    // nothing with fewer than two non-empty parts.
    static std::optional<QString> vendorPrefix(const QString& identifier);

    ModuleID moduleID() const override { return m_moduleID; }
    QString actionTitle() const override;
    QString emptyTitle() const override;
    QString emptyMessage() const override;
    bool requiresFullDiskAccess() const override { return true; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
    Measure m_measure;
};
