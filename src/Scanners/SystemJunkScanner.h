#pragma once

#include "Scanners/ModuleScanner.h"

#include <QList>
#include <QSet>
#include <QString>

class Exclusions;

// The scanner of the system junk module and the first stage of the smart scan. It offers six fixed
// categories found in the user's home and temporary folder: application caches, logs and crash reports,
// developer-tool caches, temporary files, installers and saved application states. Every item is
// preselected, not risky, and goes to the Trash; each child of a scanned folder is one item, sized whole.
class SystemJunkScanner final : public ModuleScanner
{
public:
    struct DeveloperCache {
        QString url;   // the folder itself, offered as one item
        QString label; // French, shown as the item's detail
        friend bool operator==(const DeveloperCache&, const DeveloperCache&) = default;
    };

    SystemJunkScanner(const Exclusions& exclusions, ModuleID module, bool includesProtectedLocations,
                      QSet<QString> cacheDenylist);

    // Names of entries of ~/Library/Caches that belong to the system's own services and are never offered.
    static QSet<QString> standardCacheDenylist();
    // The developer-tool caches of the current home, in the order they are looked at.
    static QList<DeveloperCache> developerCaches();

    // When true, the installers category also offers the disk images and packages of ~/Downloads, which
    // macOS may ask the user's permission to read.
    bool includesProtectedLocations() const { return m_includesProtectedLocations; }
    void setIncludesProtectedLocations(bool includes) { m_includesProtectedLocations = includes; }
    const QSet<QString>& cacheDenylist() const { return m_cacheDenylist; }

    ModuleID moduleID() const override { return m_moduleID; }
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress& progress, std::stop_token stop) const override;

    friend bool operator==(const SystemJunkScanner& a, const SystemJunkScanner& b)
    {
        return a.m_exclusions == b.m_exclusions && a.m_moduleID == b.m_moduleID &&
               a.m_includesProtectedLocations == b.m_includesProtectedLocations &&
               a.m_cacheDenylist == b.m_cacheDenylist;
    }

private:
    const Exclusions* m_exclusions; // what the scan leaves out
    ModuleID m_moduleID;
    bool m_includesProtectedLocations;
    QSet<QString> m_cacheDenylist;
};
