#include "Core/PathSafety.h"

#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"
#include "ScopedEnvironment.h"

#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::ScopedEnvironment;

TEST(PathSafety, aliasesGiveTheOtherNameUnderPrivate)
{
    struct Case {
        QString path;
        QStringList expected;
    };
    const Case cases[] = {
        {u"/private/tmp/a"_s, {u"/private/tmp/a"_s, u"/tmp/a"_s}},
        {u"/private/var/log"_s, {u"/private/var/log"_s, u"/var/log"_s}},
        {u"/private/anything"_s, {u"/private/anything"_s, u"/anything"_s}},
        {u"/tmp"_s, {u"/tmp"_s, u"/private/tmp"_s}},
        {u"/etc/hosts"_s, {u"/etc/hosts"_s, u"/private/etc/hosts"_s}},
        {u"/var/folders/x"_s, {u"/var/folders/x"_s, u"/private/var/folders/x"_s}},
        {u"/private"_s, {u"/private"_s}},
        {u"/variable"_s, {u"/variable"_s}},
        {u"/usr/bin"_s, {u"/usr/bin"_s}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathSafety::aliases(c.path), c.expected) << c.path.toStdString();
}

// The same Mac locations, asked on a Mac (root "/") and on a demonstration Mac laid out under /srv/mac: a
// location is protected in both or in neither. The home is /Users/al on the Mac.
TEST(PathSafety, protectsTheSameLocationsOnTheRootAndUnderAFixtureRoot)
{
    struct Case {
        QString macPath;
        bool expected;
    };
    const Case cases[] = {
        {u"/"_s, true},
        {u"/System/Library/Caches/x"_s, true},
        {u"/usr/lib/dyld"_s, true},
        {u"/usr/libexec"_s, false},
        {u"/usr/local/x"_s, false},
        {u"/private/var/db/receipts/x"_s, true},
        {u"/var/db/x"_s, true},
        {u"/private/var/db/x"_s, true},
        {u"/var/dbx"_s, false},
        {u"/Volumes/Recovery"_s, true},
        {u"/Volumes/External/x"_s, false},
        {u"/Library/Apple/x"_s, true},
        {u"/Library/Caches/x"_s, false},
        {u"/Applications"_s, true},
        {u"/Applications/Some.app"_s, false},
        {u"/tmp"_s, true},
        {u"/private/tmp"_s, true},
        {u"/private/var"_s, true},
        {u"/private/etc"_s, true},
        {u"/private/tmp/x"_s, false},
        {u"/private/var/folders/qp"_s, false},
        {u"/Users"_s, true},
        {u"/Users/al"_s, true},
        {u"/Users/al/"_s, true},
        {u"/Users/al/Library"_s, true},
        {u"/Users/al/Library/Application Support"_s, true},
        {u"/Users/al/Pictures"_s, true},
        {u"/Users/al/Library/Messages/chat.db"_s, true},
        {u"/Users/al/Library/Messages/"_s, true},
        {u"/Users/al/Pictures/Photos Library.photoslibrary/database"_s, true},
        {u"/Users/al/Library/Messages2"_s, false},
        {u"/Users/al/Library/Caches/com.example"_s, false},
        {u"/Users/al/Library/Caches/"_s, false},
        {u"/Users/al/Documents/../Library/Keychains/login.keychain-db"_s, true},
        {u"/Users/al/../../System/Library"_s, true},
        {u"/Users/alice/Library/Keychains"_s, false},
    };
    for (const QString& root : {u"/"_s, u"/srv/mac"_s}) {
        const QString prefix = root == u"/" ? QString() : root;
        const ScopedEnvironment systemRoot("QUORVANE_ROOT", root == u"/" ? QString() : root);
        const ScopedEnvironment home("HOME", prefix + u"/Users/al"_s);
        for (const Case& c : cases)
            EXPECT_EQ(PathSafety::isProtected(prefix + c.macPath), c.expected)
                << root.toStdString() << " " << c.macPath.toStdString();
    }
}

// With a demonstration Mac in use, this machine's own system stays protected, and so does whatever holds
// the demonstration Mac or the home folder.
TEST(PathSafety, protectsThisMachineAndWhatHoldsTheRootOrTheHome)
{
    const ScopedEnvironment systemRoot("QUORVANE_ROOT", u"/srv/demo/mac"_s);
    const ScopedEnvironment home("HOME", u"/work/al"_s);
    struct Case {
        QString path;
        bool expected;
    };
    const Case cases[] = {
        {u"/"_s, true},
        {u"/bin"_s, true},
        {u"/usr"_s, true},
        {u"/usr/bin/env"_s, true},
        {u"/../usr/lib/x"_s, true},
        {u"/srv/demo"_s, true},
        {u"/srv/demo/mac/"_s, true},
        {u"/srv/demo/other"_s, false},
        {u"/srv/demo/mac/System"_s, true},
        {u"/srv/demo/mac/private/var"_s, true},
        {u"/srv/demo/mac/var/db/x"_s, true},
        {u"/srv/demo/mac/Applications/Carnet.app"_s, false},
        {u"/work"_s, true},
        {u"/work/al"_s, true},
        {u"/work/al/Library"_s, true},
        {u"/work/al/Downloads/big.iso"_s, false},
        {u""_s, true},
        {u"Downloads/big.iso"_s, true},
        {u"~/Downloads"_s, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathSafety::isProtected(c.path), c.expected) << c.path.toStdString();
}

// The rules made ready once for a scan answer as the rules read afresh for each path, on every kind of path:
// clean or not, on this machine or the demonstration Mac, under "/private" or its twins, around the home.
TEST(PathSafety, preparedRulesAnswerAsTheRulesReadForEachPath)
{
    const QString macPaths[] = {
        u"/"_s,
        u"/System"_s,
        u"/System/Library/x"_s,
        u"/usr"_s,
        u"/usr/bin/env"_s,
        u"/usr/libexec"_s,
        u"/usr/local/x"_s,
        u"/bin"_s,
        u"/sbin/x"_s,
        u"/var"_s,
        u"/var/db"_s,
        u"/var/dbx"_s,
        u"/var/folders/x"_s,
        u"/private"_s,
        u"/private/var"_s,
        u"/private/var/db/x"_s,
        u"/private/tmp/x"_s,
        u"/private/etc/hosts"_s,
        u"/tmp"_s,
        u"/tmp/x"_s,
        u"/etc"_s,
        u"/etc/x"_s,
        u"/Volumes/Recovery"_s,
        u"/Volumes/Ext/x"_s,
        u"/Library/Apple/x"_s,
        u"/Library/Caches/x"_s,
        u"/Applications"_s,
        u"/Applications/A.app"_s,
        u"/Users"_s,
        u"/Users/al"_s,
        u"/Users/al/"_s,
        u"/Users/al/."_s,
        u"/Users/al/Library"_s,
        u"/Users/al/Library/Caches"_s,
        u"/Users/al/Library/Caches/com.example/x"_s,
        u"/Users/al/Library/Caches//x"_s,
        u"/Users/al/Library/Caches/./x"_s,
        u"/Users/al/Library/Caches/../Keychains"_s,
        u"/Users/al/Library/Keychains"_s,
        u"/Users/al/Library/Messages/chat.db"_s,
        u"/Users/al/Library/Messages2"_s,
        u"/Users/al/Pictures/Photos Library.photoslibrary/x"_s,
        u"/Users/al/Pictures/Autre"_s,
        u"/Users/alice/x"_s,
        u"/Users/al/Documents/.x"_s,
        u"/Users/al/Documents/..x"_s,
        u"/Users/al/.."_s,
        u"/../usr/lib/x"_s,
    };
    const QString extra[] = {u""_s,          u"relative/x"_s,       u"~/x"_s,       u"/srv"_s, u"/srv/mac"_s,
                             u"/srv/mac/"_s, u"/srv/macx/System"_s, u"/srv/other"_s};
    for (const QString& root : {u"/"_s, u"/srv/mac"_s}) {
        for (const QString& home : {u"/Users/al"_s, u"/"_s}) {
            const QString prefix = root == u"/" ? QString() : root;
            const ScopedEnvironment systemRoot("QUORVANE_ROOT", root == u"/" ? QString() : root);
            const ScopedEnvironment homeFolder("HOME", home == u"/" ? home : prefix + home);
            const PathSafety::ProtectedPaths prepared;
            QStringList paths(std::begin(extra), std::end(extra));
            for (const QString& macPath : macPaths) {
                paths.append(macPath);
                paths.append(prefix + macPath);
            }
            for (const QString& path : paths)
                EXPECT_EQ(prepared.contains(path), PathSafety::isProtected(path))
                    << root.toStdString() << " " << home.toStdString() << " " << path.toStdString();
        }
    }
}

namespace {

const QString kTcc = u"Application Support/com.apple.TCC/TCC.db"_s;
const QString kCloudTabs = u"Safari/CloudTabs.db"_s;

enum class Probe { Absent, Readable, Unopenable, Fifo, LinkToReadable, LinkToDevNull };

// Lays the probe file out in the home's Library. A socket stands for a file that exists but cannot be
// opened: unlike permission bits, it holds for root too.
void place(const QString& relative, Probe probe)
{
    const QString path = FileUtils::libraryURL({relative});
    Platform::removeItem(path);
    if (probe == Probe::Absent)
        return;
    const QString folder = path.section(u'/', 0, -2);
    ASSERT_FALSE(Platform::createFolder(folder).has_value());
    const QByteArray name = QFile::encodeName(path);
    switch (probe) {
    case Probe::Readable:
        ASSERT_FALSE(Platform::writeFileAtomically(path, "SQLite format 3").has_value());
        break;
    case Probe::Fifo:
        ASSERT_EQ(::mkfifo(name.constData(), 0644), 0) << std::strerror(errno);
        break;
    case Probe::LinkToReadable:
    case Probe::LinkToDevNull: {
        const QString target = probe == Probe::LinkToDevNull ? u"/dev/null"_s : folder + u"/elsewhere.db"_s;
        if (probe == Probe::LinkToReadable) {
            ASSERT_FALSE(Platform::writeFileAtomically(target, "SQLite format 3").has_value());
        }
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), name.constData()), 0) << std::strerror(errno);
        break;
    }
    case Probe::Unopenable: {
        // Bound from inside its folder, so that a long sandbox path cannot exceed a socket name's length.
        const int here = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(::chdir(QFile::encodeName(folder).constData()), 0);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray file = QFile::encodeName(path.section(u'/', -1));
        std::memcpy(address.sun_path, file.constData(), size_t(file.size()));
        const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        ::close(fd);
        ASSERT_EQ(::fchdir(here), 0);
        ::close(here);
        ASSERT_EQ(bound, 0) << std::strerror(errno);
        break;
    }
    case Probe::Absent:
        break;
    }
}

} // namespace

TEST(PathSafety, fullDiskAccessProbe)
{
    struct Case {
        Probe tcc;
        Probe cloudTabs;
        bool expected;
    };
    const Case cases[] = {
        {Probe::Absent, Probe::Absent, true},
        {Probe::Unopenable, Probe::Absent, false},
        {Probe::Absent, Probe::Unopenable, false},
        {Probe::Unopenable, Probe::Unopenable, false},
        {Probe::Readable, Probe::Absent, true},
        {Probe::Unopenable, Probe::Readable, true},
        // Only a regular file where it stands counts, and nothing at the path is waited on.
        {Probe::Fifo, Probe::Absent, false},
        {Probe::LinkToDevNull, Probe::Absent, false},
        {Probe::LinkToReadable, Probe::Absent, false},
        {Probe::Absent, Probe::LinkToReadable, false},
        {Probe::LinkToDevNull, Probe::Readable, true},
    };
    for (const Case& c : cases) {
        place(kTcc, c.tcc);
        place(kCloudTabs, c.cloudTabs);
        EXPECT_EQ(PathSafety::hasFullDiskAccess(), c.expected) << int(c.tcc) << " " << int(c.cloudTabs);
    }
    place(kTcc, Probe::Absent);
    place(kCloudTabs, Probe::Absent);
}
