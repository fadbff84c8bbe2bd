#include "Core/Receipts.h"

#include "MacFixtures.h"
#include "Platform/FileOperations.h"
#include "Sandbox.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Receipts::Package;

namespace {

// A system root of its own with the pkgutil stand-in, whose package database the tests write.
class ReceiptsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/install-standins.sh"), root()});
        ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    }

    QString root() const { return tree.path(u"root"_s); }
    QString path(const QString& macPath) const { return root() + macPath; }

    // One receipt: its information lines and its recorded paths, written as given (raw bytes allowed).
    void receipt(const QString& identifier, const QByteArray& info, const QByteArray& files = {})
    {
        const QString folder = path(u"/private/var/db/receipts/"_s);
        ASSERT_EQ(Platform::createFolder(folder), std::nullopt);
        ASSERT_EQ(Platform::writeFileAtomically(folder + identifier + u".info"_s, info), std::nullopt);
        ASSERT_EQ(Platform::writeFileAtomically(folder + identifier + u".files"_s, files), std::nullopt);
    }

    // Replaces the tool with a script of the test's own.
    void replaceTool(const QByteArray& script)
    {
        const QString tool = path(u"/usr/sbin/pkgutil"_s);
        ASSERT_EQ(Platform::writeFileAtomically(tool, "#!/bin/sh\n" + script), std::nullopt);
        ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner));
    }

    static QStringList identifiers(const QList<Package>& packages)
    {
        QStringList ids;
        for (const Package& package : packages)
            ids.append(package.id);
        return ids;
    }

    TempTree tree{u"root/\n"_s};
    TestSupport::ScopedEnvironment environment{"QUORVANE_ROOT", tree.path(u"root"_s)};
};

QDateTime at(qint64 milliseconds)
{
    return QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
}

} // namespace

TEST_F(ReceiptsTest, listsEveryPackageButApplesNewestFirstAndUndatedLast)
{
    receipt(u"com.example.editor"_s, "package-id: com.example.editor\n  version:  2.0 \t\nvolume: /\n"
                                     "location: Applications\ninstall-time: 1700000000.25\n");
    receipt(u"COM.APPLE.pkg.Example"_s, "version: 1\ninstall-time: 1800000000\n");
    receipt(u"com.apple.pkg.Safari"_s, "version: 17\n");
    receipt(u"org.example.older"_s, "version: 1.0\ninstall-time: 1600000000\n");
    receipt(u"org.example.undated"_s, "version: 3\n");
    receipt(u"org.example.badtime"_s, "version: 4\ninstall-time: bientôt\n");
    receipt(u"org.example.noversion"_s, "package-id: org.example.noversion\ninstall-time: 1900000000\n");
    // Leading colons are passed over, a later line wins, a line with nothing after its colon says nothing.
    receipt(u"org.example.odd"_s, "::version: 5:1\nvolume: /Volumes/Data\nvolume: /Volumes/Autre\nlocation:\n"
                                  "install-time:    \nbruit sans deux-points\n");

    const QList<Package> packages = Receipts::allPackages();
    EXPECT_EQ(identifiers(packages),
              (QStringList{u"com.example.editor"_s, u"org.example.older"_s, u"org.example.badtime"_s,
                           u"org.example.odd"_s, u"org.example.undated"_s}));
    EXPECT_EQ(packages[0], (Package{u"com.example.editor"_s, u"2.0"_s, u"Applications"_s, u"/"_s, at(1700000000250)}));
    EXPECT_EQ(packages[1].installedAt, at(1600000000000));
    EXPECT_EQ(packages[2], (Package{u"org.example.badtime"_s, u"4"_s, QString(), u"/"_s, std::nullopt}));
    EXPECT_EQ(packages[3], (Package{u"org.example.odd"_s, u"5:1"_s, QString(), u"/Volumes/Autre"_s, std::nullopt}));

    EXPECT_EQ(Receipts::packageInfo(u"org.example.inconnu"_s), std::nullopt);
    EXPECT_EQ(Receipts::packageInfo(u"org.example.noversion"_s), std::nullopt);
    EXPECT_TRUE(Receipts::isInstalledLater(packages[0], packages[1]));
    EXPECT_FALSE(Receipts::isInstalledLater(packages[2], packages[3]));
    EXPECT_FALSE(Receipts::isInstalledLater(packages[2], packages[2]));
}

TEST_F(ReceiptsTest, aDiagnosticLineOrADuplicateInTheListIsNoPackage)
{
    replaceTool(
        "case \"$1\" in\n"
        "--pkgs) printf 'Avertissement : base de paquets lente\\n  com.example.a \\t\\n\\n\\ncom.example.a\\n' ;;\n"
        "--pkg-info) [ \"$2\" = com.example.a ] || { echo \"No receipt for '$2'\" >&2; exit 1; }\n"
        "            printf 'version: 1\\n' ;;\n"
        "esac\n");
    EXPECT_EQ(identifiers(Receipts::allPackages()), QStringList{u"com.example.a"_s});
}

TEST_F(ReceiptsTest, aFailingOrMissingToolGivesEmptyAnswers)
{
    receipt(u"com.example.editor"_s, "version: 1\n", "Applications/Editor.app/Contents/Info.plist\n");
    const Package editor{u"com.example.editor"_s, u"1"_s, QString(), u"/"_s, std::nullopt};
    tree.add(u"root/Applications/Editor.app/Contents/Info.plist 10\n"_s);
    ASSERT_EQ(Receipts::files(editor).size(), 1);

    replaceTool("echo 'pkgutil: panne' >&2\nexit 3\n");
    EXPECT_TRUE(Receipts::allPackages().isEmpty());
    EXPECT_EQ(Receipts::packageInfo(u"com.example.editor"_s), std::nullopt);
    EXPECT_TRUE(Receipts::files(editor).isEmpty());
    EXPECT_TRUE(Receipts::traces(path(u"/Applications/Editor.app"_s)).isEmpty());

    ASSERT_EQ(Platform::removeItem(path(u"/usr/sbin/pkgutil"_s)), std::nullopt);
    EXPECT_TRUE(Receipts::allPackages().isEmpty());
    EXPECT_TRUE(Receipts::files(editor).isEmpty());
}

TEST_F(ReceiptsTest, recordedPathsAreMacLocationsFromVolumeAndLocationThatExistAndAreNotProtected)
{
    tree.add(uR"(
        root/Applications/Editor.app/Contents/Info.plist 10
        "root/Applications/Editor.app/Contents/Resources/Mon fichier.txt" 10
        root/usr/local/bin/tool 10
        root/usr/bin/xcrun 10
        root/Volumes/Data/Apps/x 10
        root/opt/outside 10
        root/Applications/link -> Editor.app/Contents/Info.plist
        root/Applications/dangling -> absent
        "root/Applications/caf\xef\xbf\xbd" 10
    )"_s);
    const struct {
        Package package;
        QByteArray recorded;
        QStringList files;
    } cases[] = {
        {{u"a"_s, u"1"_s, u"Applications"_s, u"/"_s, std::nullopt},
         "Editor.app/Contents/Info.plist\n  Editor.app/Contents/Resources/Mon fichier.txt \n"
         "Editor.app/../Editor.app/Contents/Info.plist\nEditor.app/gone\nlink\ndangling\ncaf\xe9\n",
         {path(u"/Applications/Editor.app/Contents/Info.plist"_s),
          path(u"/Applications/Editor.app/Contents/Resources/Mon fichier.txt"_s), path(u"/Applications/link"_s)}},
        {{u"b"_s, u"1"_s, QString(), u"/"_s, std::nullopt},
         "usr/local/bin/tool\nusr/bin/xcrun\n",
         {path(u"/usr/local/bin/tool"_s)}},
        {{u"c"_s, u"1"_s, u"Apps/"_s, u"/Volumes/Data"_s, std::nullopt}, "x\n", {path(u"/Volumes/Data/Apps/x"_s)}},
        // Climbing out of the volume stops at the Mac's root, which lies inside the system root.
        {{u"d"_s, u"1"_s, u"Applications"_s, u"/"_s, std::nullopt},
         "../../../../opt/outside\n",
         {path(u"/opt/outside"_s)}},
    };
    for (const auto& c : cases) {
        receipt(c.package.id, "version: 1\n", c.recorded);
        EXPECT_EQ(Receipts::files(c.package), c.files) << c.package.id.toStdString();
    }
}

TEST_F(ReceiptsTest, tracesAreThePackagesOwningTheApplicationWithAllTheirBytes)
{
    tree.add(uR"(
        root/Applications/Editor.app/Contents/Info.plist 4096
        root/Applications/Editor.app/Contents/MacOS/editor 8192
        root/Applications/Editor.app2/Contents/Info.plist 4096
        "root/Library/Application Support/Editor/Plugins/a" 4096
        "root/Library/Application Support/Editor/Plugins/b" 4096
        root/usr/local/bin/editor 4096
        root/usr/local/bin/editor-link -> editor
    )"_s);
    receipt(u"com.example.editor"_s, "version: 2\nlocation: /\ninstall-time: 1700000000\n",
            "Applications/Editor.app/Contents/Info.plist\nApplications/Editor.app/Contents/MacOS/editor\n"
            "Library/Application Support/Editor/Plugins\nusr/local/bin/editor\nusr/local/bin/editor-link\n");
    receipt(u"com.example.editor2"_s, "version: 1\nlocation: Applications\ninstall-time: 1800000000\n",
            "Editor.app2/Contents/Info.plist\n");
    receipt(u"com.example.bundle"_s, "version: 1\nlocation: Applications\n", "Editor.app\n");
    receipt(u"com.example.gone"_s, "version: 1\nlocation: Applications\ninstall-time: 1900000000\n",
            "Editor.app/Contents/Removed\n");

    const QString application = path(u"/Applications/Editor.app"_s);
    const QList<Receipts::Trace> traces = Receipts::traces(application);
    ASSERT_EQ(traces.size(), 2);
    EXPECT_EQ(traces[0].package.id, u"com.example.editor"_s);
    // Every recorded file counts, those inside the bundle included; a link adds nothing.
    EXPECT_EQ(traces[0].bytes, 4096 + 8192 + 2 * 4096 + 4096);
    EXPECT_EQ(traces[0].filesOutside(application),
              (QStringList{path(u"/Library/Application Support/Editor/Plugins"_s), path(u"/usr/local/bin/editor"_s),
                           path(u"/usr/local/bin/editor-link"_s)}));
    // A package that records only the bundle folder itself owns the application too.
    EXPECT_EQ(traces[1].package.id, u"com.example.bundle"_s);
    EXPECT_EQ(traces[1].files, QStringList{application});
    EXPECT_TRUE(traces[1].filesOutside(application + u'/').isEmpty());
}

// The demonstration Mac's package database, read through its pkgutil stand-in.
TEST(Receipts, theDemonstrationMacsOndineLeftFilesOutsideItsBundle)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-receipts"_s;
    TestSupport::layOutDemoMac(demo);
    if (HasFatalFailure())
        return;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);

    QStringList ids;
    for (const Package& package : Receipts::allPackages())
        ids.append(package.id);
    EXPECT_EQ(ids, (QStringList{u"fr.studiovideo.editeur.pkg"_s, u"io.ondine.player.pkg"_s, u"net.ardoise.client.pkg"_s,
                                u"com.lumenlabs.fonts"_s}));

    const QString ondine = demo + u"/Applications/Ondine.app"_s;
    const QList<Receipts::Trace> traces = Receipts::traces(ondine);
    ASSERT_EQ(traces.size(), 1);
    EXPECT_EQ(traces[0].package.version, u"5.0.4"_s);
    EXPECT_EQ(traces[0].filesOutside(ondine),
              (QStringList{demo + u"/Library/Application Support/Ondine/Codecs/flac.codec"_s,
                           demo + u"/usr/local/bin/ondine"_s}));
    EXPECT_GT(traces[0].bytes, 120000 + 40000);
    EXPECT_TRUE(Receipts::traces(demo + u"/Applications/Carnet.app"_s).isEmpty());
}
