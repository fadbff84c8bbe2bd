#include "Look/DesktopWorkspace.h"

#include "Platform/SystemRoot.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

bool DesktopWorkspace::isSettingsLink(const QString& url)
{
    return QUrl(url).scheme() == u"x-apple.systempreferences"_s;
}

void DesktopWorkspace::reveal(const QString& path)
{
    // The desktop has no "select this item" request that every file manager honours; its folder is the
    // nearest thing.
    const QString folder = QFileInfo(QDir::cleanPath(path)).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesktopWorkspace::open(const QString& url)
{
    if (isSettingsLink(url)) {
        m_settingsLinks.append(url);
        return;
    }
    QDesktopServices::openUrl(QUrl(url));
}

void DesktopWorkspace::openApplication(const QString& macPath)
{
    const QString path = Platform::systemPath(macPath);
    m_applicationsOpened.append(path);
}

QIcon DesktopWorkspace::icon(const QString& path) const
{
    // Nothing at the path, or a link to nothing: the provider has no icon of its own for those.
    const QFileInfo info(path);
    QIcon icon = info.exists() ? m_icons.icon(info) : QIcon();
    if (icon.isNull())
        icon = m_icons.icon(QAbstractFileIconProvider::File);
    return icon;
}
