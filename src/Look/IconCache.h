#pragma once

#include "Platform/Workspace.h"

#include <QHash>
#include <QIcon>
#include <QString>

// The file manager's icons for the rows of a list, asked for once per path: a list draws its rows again at every
// scroll, and asking the workspace each time costs more than the drawing.
class IconCache
{
public:
    explicit IconCache(Platform::Workspace& workspace) : m_workspace(workspace) {}

    QIcon icon(const QString& path) const
    {
        auto found = m_icons.constFind(path);
        if (found != m_icons.constEnd())
            return *found;
        const QIcon icon = m_workspace.icon(path);
        m_icons.insert(path, icon);
        return icon;
    }

private:
    Platform::Workspace& m_workspace;
    mutable QHash<QString, QIcon> m_icons;
};
