#include "Platform/RunningApplications.h"

#include "MacFixtures.h"
#include "Platform/FileOperations.h"
#include "Platform/PropertyList.h"
#include "RecordingApplications.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <climits>
#include <csignal>
#include <cstdlib>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

extern char** environ;

namespace {

QString realPath(const QString& path)
{
    char buffer[PATH_MAX];
    return ::realpath(QFile::encodeName(path).constData(), buffer) ? QFile::decodeName(buffer) : QString();
}

// A bundle whose program is a copy of the system's sleep, so that started it runs as that application.
QString sleepingBundle(const TempTree& tree, const QString& name, const QString& identifier)
{
    const QString bundle = tree.path(name + u".app"_s);
    TestSupport::writeAppBundle(bundle, identifier);
    const QString program = bundle + u"/Contents/MacOS/"_s + name;
    EXPECT_TRUE(QFile::copy(realPath(u"/bin/sleep"_s), program));
    EXPECT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    return realPath(bundle);
}

pid_t start(const QString& program)
{
    const QByteArray path = QFile::encodeName(program);
    char* arguments[] = {const_cast<char*>(path.constData()), const_cast<char*>("60"), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(::posix_spawn(&pid, path.constData(), nullptr, nullptr, arguments, environ), 0);
    return pid;
}

std::optional<Platform::RunningApplication> listed(pid_t pid)
{
    for (const Platform::RunningApplication& application : Platform::runningApplications()) {
        if (application.processID == pid)
            return application;
    }
    return std::nullopt;
}

bool waitUntilUnlisted(pid_t pid)
{
    return TestSupport::waitFor([&] { return !listed(pid); });
}

} // namespace

TEST(RunningApplications, aProgramInABundleRunsIsAskedToQuitAndIsGone)
{
    const TempTree tree;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", tree.path(u""_s)); // the bundles' system
    const QString bundle = sleepingBundle(tree, u"Veille"_s, u"fr.veille.App"_s);
    const pid_t pid = start(bundle + u"/Contents/MacOS/Veille"_s);
    ASSERT_GT(pid, 0);

    const std::optional<Platform::RunningApplication> running = listed(pid);
    ASSERT_TRUE(running);
    EXPECT_EQ(*running, (Platform::RunningApplication{pid, bundle, u"fr.veille.App"_s, u"Veille"_s,
                                                      Platform::ActivationPolicy::regular}));
    EXPECT_FALSE(listed(::getpid())) << "a program outside a bundle is no application";
    {
        const TempTree otherMac;
        const TestSupport::ScopedEnvironment otherRoot("QUORVANE_ROOT", otherMac.path(u""_s));
        EXPECT_FALSE(listed(pid)) << "under another system root, this one's programs are not its applications";
    }

    // A record that no longer matches its process (here: this test's own number) is never signalled.
    EXPECT_FALSE(Platform::terminate({::getpid(), bundle, u"fr.veille.App"_s}));

    EXPECT_TRUE(Platform::terminate(*running));
    EXPECT_TRUE(waitUntilUnlisted(pid)) << "an ended process, reaped or not, is no longer running";
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(Platform::terminate(*running)) << "gone: nothing to send";
}

// The name shown and how the application appears come from its Info.plist.
TEST(RunningApplications, eachApplicationHasItsLocalisedNameAndActivationPolicy)
{
    const TempTree tree;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", tree.path(u""_s)); // the bundles' system
    using Platform::ActivationPolicy;
    const struct {
        const char* bundle;
        QVariantMap info;
        QString name;
        ActivationPolicy policy;
    } cases[] = {
        {"Barre",
         {{u"CFBundleDisplayName"_s, u"Barre des menus"_s}, {u"CFBundleName"_s, u"Barre"_s}, {u"LSUIElement"_s, true}},
         u"Barre des menus"_s,
         ActivationPolicy::accessory},
        {"Fond",
         {{u"CFBundleName"_s, u"Fond discret"_s}, {u"LSBackgroundOnly"_s, true}},
         u"Fond discret"_s,
         ActivationPolicy::prohibited},
        {"Fenêtre",
         {{u"CFBundleDisplayName"_s, qint64(3)}, {u"LSUIElement"_s, u"1"_s}},
         u"Fenêtre"_s,
         ActivationPolicy::regular},
    };
    std::vector<pid_t> pids;
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.bundle);
        const QString bundle = sleepingBundle(tree, name, u"fr.test."_s + name);
        ASSERT_EQ(Platform::writeFileAtomically(bundle + u"/Contents/Info.plist"_s,
                                                *Platform::PropertyList::serialize(c.info)),
                  std::nullopt);
        pids.push_back(start(bundle + u"/Contents/MacOS/"_s + name));
    }
    for (std::size_t i = 0; i < pids.size(); ++i) {
        const std::optional<Platform::RunningApplication> running = listed(pids[i]);
        EXPECT_TRUE(running) << cases[i].bundle;
        if (running) {
            EXPECT_EQ(running->localizedName, cases[i].name) << cases[i].bundle;
            EXPECT_EQ(running->activationPolicy, cases[i].policy) << cases[i].bundle;
        }
        ::kill(pids[i], SIGKILL);
        ::waitpid(pids[i], nullptr, 0);
    }
}

TEST(RunningApplications, aProgramDeletedWhileItRunsIsPassedOver)
{
    const TempTree tree;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", tree.path(u""_s)); // the bundles' system
    const QString bundle = sleepingBundle(tree, u"Éphémère"_s, u"fr.ephemere.app"_s);
    const QString program = bundle + u"/Contents/MacOS/Éphémère"_s;
    const pid_t pid = start(program);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(listed(pid));
    ASSERT_EQ(Platform::removeItem(program), std::nullopt);
    EXPECT_FALSE(listed(pid));

    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// What a caller reads is the list it is handed; the system's own is the processes.
TEST(RunningApplications, testsCanStandInForTheList)
{
    const Platform::RunningApplication editor{4242, u"/Applications/Editor.app"_s, u"com.example.editor"_s};
    const TestSupport::RecordingApplications recording(QList{editor});
    const Platform::ApplicationProcesses& handed = recording;
    EXPECT_EQ(handed.running(), QList{editor});
    EXPECT_TRUE(handed.terminate(editor));
    EXPECT_EQ(recording.terminated(), QList{editor});
    EXPECT_FALSE(Platform::systemApplications().running().contains(editor));
    EXPECT_FALSE(Platform::runningApplications().contains(editor));
}
