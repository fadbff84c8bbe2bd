#pragma once

#include "Platform/Workspace.h"

#include <QFileIconProvider>
#include <QStringList>

// The workspace of this desktop. Revealing opens the item's folder in the file manager; web addresses go to the
// desktop's browser. There is no System Settings here, and the desktop would answer its links with an error
// window, so they are only recorded (and logged); so are Mac applications, which this desktop cannot run. Icons come
// from the desktop's icon theme through Qt's file icon provider. GUI thread only.
class DesktopWorkspace final : public Platform::Workspace
{
public:
    DesktopWorkspace() = default;

    void reveal(const QString& path) override;
    void open(const QString& url) override;
    void openApplication(const QString& macPath) override;
    QIcon icon(const QString& path) const override;

    // The System Settings links asked for so far, oldest first.
    const QStringList& settingsLinks() const { return m_settingsLinks; }

    // The applications asked for so far, as paths under the system root, oldest first.
    const QStringList& applicationsOpened() const { return m_applicationsOpened; }

    static bool isSettingsLink(const QString& url);

private:
    QFileIconProvider m_icons;
    QStringList m_settingsLinks;
    QStringList m_applicationsOpened;
};
