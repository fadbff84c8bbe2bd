#include "App/ExclusionsPaneViewModel.h"

#include "Core/Exclusions.h"
#include "Core/FileUtils.h"
#include "Platform/OpenPanel.h"
#include "Platform/Workspace.h"

#include <QFileInfo>
#include <QMimeData>
#include <QPointer>

using namespace Qt::StringLiterals;

ExclusionsPaneViewModel::ExclusionsPaneViewModel(Exclusions& exclusions, Platform::OpenPanel& openPanel,
                                                 Platform::Workspace& workspace, QObject* parent)
    : QObject(parent), m_exclusions(exclusions), m_openPanel(openPanel), m_workspace(workspace)
{
    connect(&m_exclusions, &Exclusions::changed, this, &ExclusionsPaneViewModel::changed);
}

QStringList ExclusionsPaneViewModel::paths() const
{
    return m_exclusions.paths();
}

void ExclusionsPaneViewModel::select(const QString& path)
{
    if (m_selection == path)
        return;
    m_selection = path;
    emit changed();
}

bool ExclusionsPaneViewModel::showsRemoveSelected() const
{
    return m_selection && m_exclusions.paths().contains(*m_selection);
}

QString ExclusionsPaneViewModel::countText() const
{
    const qsizetype count = m_exclusions.paths().size();
    if (count == 0)
        return QString();
    return QString::number(count) + (count < 2 ? u" emplacement"_s : u" emplacements"_s);
}

QString ExclusionsPaneViewModel::panelPrompt()
{
    return u"Exclure"_s;
}

QString ExclusionsPaneViewModel::panelMessage()
{
    return u"Choisissez ce que l'application ne doit plus jamais proposer."_s;
}

void ExclusionsPaneViewModel::addThroughPanel()
{
    const Platform::OpenPanel::Request request{Platform::OpenPanel::Mode::filesAndFolders, panelPrompt(), QString(),
                                               panelMessage()};
    // The pane may be gone by the time the user is done.
    QPointer<ExclusionsPaneViewModel> self(this);
    m_openPanel.choose(request, [self](const QStringList& chosen) {
        if (self.isNull())
            return;
        for (const QString& path : chosen)
            self->m_exclusions.add(path);
    });
}

void ExclusionsPaneViewModel::addDropped(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            m_exclusions.add(url.toLocalFile());
    }
}

bool ExclusionsPaneViewModel::carriesFileURLs(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return true;
    }
    return false;
}

void ExclusionsPaneViewModel::removeSelected()
{
    if (!m_selection)
        return;
    const QString path = *m_selection;
    m_selection.reset();
    m_exclusions.remove(path);
    emit changed(); // the list may not have changed, the selection has
}

void ExclusionsPaneViewModel::remove(const QString& path)
{
    m_exclusions.remove(path);
}

void ExclusionsPaneViewModel::removeAll()
{
    m_exclusions.persist(QStringList());
}

void ExclusionsPaneViewModel::reveal(const QString& path)
{
    m_workspace.reveal(path);
}

bool ExclusionsPaneViewModel::exists(const QString& path)
{
    return QFileInfo::exists(path);
}

QString ExclusionsPaneViewModel::name(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString ExclusionsPaneViewModel::abbreviated(const QString& path)
{
    return FileUtils::abbreviatedPath(path);
}
