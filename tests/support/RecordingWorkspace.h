#pragma once

#include "Platform/Workspace.h"

#include <QIcon>
#include <QStringList>

namespace TestSupport {

// A workspace that only writes down what it was asked: the paths revealed, the links and applications opened and the
// paths whose icon was asked for (answered with no icon).
class RecordingWorkspace final : public Platform::Workspace
{
public:
    void reveal(const QString& path) override { revealed.append(path); }
    void open(const QString& url) override { opened.append(url); }
    void openApplication(const QString& macPath) override { applicationsOpened.append(macPath); }
    QIcon icon(const QString& path) const override
    {
        iconsAsked.append(path);
        return QIcon();
    }

    QStringList revealed;
    QStringList opened;
    QStringList applicationsOpened;
    mutable QStringList iconsAsked;
};

} // namespace TestSupport
