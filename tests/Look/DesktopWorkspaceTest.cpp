#include "Look/DesktopWorkspace.h"

#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QDesktopServices>
#include <QIcon>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Stands in for the desktop: what QDesktopServices would have handed to it.
class UrlRecorder final : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class DesktopWorkspaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString& scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, &desktop, "open");
    }
    void TearDown() override
    {
        for (const QString& scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    UrlRecorder desktop;

private:
    const QStringList m_schemes = {u"file"_s, u"https"_s, u"x-apple.systempreferences"_s};
};

} // namespace

TEST_F(DesktopWorkspaceTest, revealOpensTheFolderAndSettingsLinksStayWithUs)
{
    DesktopWorkspace workspace;
    workspace.reveal(u"/Users/al/Library/Caches/com.example/Cache.db"_s);
    workspace.reveal(u"/Users/al/Downloads/"_s);
    const QString settings = u"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"_s;
    workspace.open(settings);
    workspace.open(u"https://support.example.com/guide"_s);

    EXPECT_EQ(desktop.urls,
              (QList<QUrl>{QUrl::fromLocalFile(u"/Users/al/Library/Caches/com.example"_s),
                           QUrl::fromLocalFile(u"/Users/al"_s), QUrl(u"https://support.example.com/guide"_s)}));
    EXPECT_EQ(workspace.settingsLinks(), QStringList{settings});
}

TEST_F(DesktopWorkspaceTest, aMacApplicationIsRecordedUnderTheSystemRootAndNeverHandedToTheDesktop)
{
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", u"/srv/mac"_s);
    DesktopWorkspace workspace;
    workspace.openApplication(u"/System/Applications/Shortcuts.app"_s);
    EXPECT_TRUE(desktop.urls.isEmpty());
    EXPECT_EQ(workspace.applicationsOpened(), QStringList{u"/srv/mac/System/Applications/Shortcuts.app"_s});
}

TEST_F(DesktopWorkspaceTest, aPathWhereNothingIsStillHasAnIcon)
{
    const TempTree tree(uR"(
        notes.txt 10
        Folder/
        dangling -> nowhere
    )"_s);
    DesktopWorkspace workspace;
    for (const QString& name : {u"notes.txt"_s, u"Folder"_s, u"dangling"_s, u"gone"_s})
        EXPECT_FALSE(workspace.icon(tree.path(name)).isNull()) << name.toStdString();
}

#include "DesktopWorkspaceTest.moc"
