#include "Core/Shredding.h"

#include "Platform/FileSystem.h"
#include "RacedOpenings.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <chrono>
#include <cstring>
#include <future>
#include <stop_token>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::contentOf;
using TestSupport::exists;

TEST(Shredding, passesWriteZerosOnesAndRandomBytesWithoutChangingTheLength)
{
    struct Case {
        int passes;
        char last; // the byte of the last pass; 'r' for random
    };
    const Case cases[] = {{0, '\0'}, {-3, '\0'}, {1, '\0'}, {2, '\xff'}, {3, 'r'}, {4, '\0'}};
    for (const Case& c : cases) {
        const TempTree tree(u"file 3000000"_s);
        const QString file = tree.path(u"file"_s);
        ASSERT_EQ(Removal::overwriteContent(file, c.passes), std::nullopt) << c.passes;
        const QByteArray content = contentOf(file);
        ASSERT_EQ(content.size(), 3000000) << c.passes;
        if (c.last == 'r') {
            EXPECT_NE(content.count('\0'), content.size());
            EXPECT_NE(content.count('\xff'), content.size());
            EXPECT_LT(content.count('x'), content.size() / 100); // nothing of the original content is left
        } else {
            EXPECT_EQ(content.count(c.last), content.size()) << c.passes;
        }
    }
}

TEST(Shredding, aFolderIsShreddedDepthFirstAndLinksAreNeverFollowed)
{
    const TempTree outside(uR"(
        precious.txt 5000
        treasure/inside 10
    )"_s);
    TempTree tree(uR"(
        folder/a 4000
        folder/.hidden 100
        folder/sub/b 2000000
        folder/empty 0
    )"_s);
    tree.add(u"folder/to-file -> "_s + outside.path(u"precious.txt"_s));
    tree.add(u"folder/sub/to-folder -> "_s + outside.path(u"treasure"_s));
    EXPECT_EQ(Removal::shred(tree.path(u"folder"_s), 3), std::nullopt);
    EXPECT_FALSE(exists(tree.path(u"folder"_s)));
    EXPECT_EQ(contentOf(outside.path(u"precious.txt"_s)), QByteArray(5000, 'x'));
    EXPECT_EQ(contentOf(outside.path(u"treasure/inside"_s)), QByteArray(10, 'x'));
}

TEST(Shredding, aSelectedLinkIsUnlinkedAndItsTargetUntouched)
{
    TempTree tree(u"target 3000"_s);
    tree.add(u"link -> target"_s);
    tree.add(u"dangling -> missing"_s);
    EXPECT_EQ(Removal::shred(tree.path(u"link"_s), 1), std::nullopt);
    EXPECT_EQ(Removal::shred(tree.path(u"dangling"_s), 1), std::nullopt);
    EXPECT_FALSE(exists(tree.path(u"link"_s)));
    EXPECT_FALSE(exists(tree.path(u"dangling"_s)));
    EXPECT_EQ(contentOf(tree.path(u"target"_s)), QByteArray(3000, 'x'));
}

TEST(Shredding, aHardLinkedFileIsLeftAndItsFolderStays)
{
    TempTree tree(uR"(
        folder/linked 3000
        folder/plain 3000
        elsewhere/
    )"_s);
    tree.add(u"elsewhere/twin => folder/linked"_s);
    const std::optional<QString> failure = Removal::shred(tree.path(u"folder"_s), 1);
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->endsWith(u"linked : Fichier lié à d'autres emplacements : non effacé."_s))
        << failure->toStdString();
    EXPECT_FALSE(exists(tree.path(u"folder/plain"_s))); // the other child was still shredded
    EXPECT_TRUE(exists(tree.path(u"folder"_s)));
    EXPECT_EQ(contentOf(tree.path(u"elsewhere/twin"_s)), QByteArray(3000, 'x'));
    EXPECT_EQ(Removal::shred(tree.path(u"elsewhere/twin"_s), 1),
              u"Fichier lié à d'autres emplacements : non effacé."_s);
}

TEST(Shredding, aReadOnlyFileOfTheUserIsOverwrittenToo)
{
    const TempTree tree(u"readonly 4096"_s);
    const QString file = tree.path(u"readonly"_s);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    EXPECT_EQ(Removal::overwriteContent(file, 1), std::nullopt);
    EXPECT_EQ(contentOf(file), QByteArray(4096, '\0'));
    EXPECT_EQ(Removal::shred(file, 1), std::nullopt);
    EXPECT_FALSE(exists(file));
}

TEST(Shredding, aStoppedShredStillDeletesTheItem)
{
    const TempTree tree(u"file 3000000"_s);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(Removal::shred(tree.path(u"file"_s), 3, stop.get_token()), std::nullopt);
    EXPECT_FALSE(exists(tree.path(u"file"_s)));
}

TEST(Shredding, aMissingItemIsAFailure)
{
    const TempTree tree;
    EXPECT_EQ(Removal::shred(tree.path(u"missing"_s), 1), u"Le fichier ou le dossier n'existe pas."_s);
}

TEST(Shredding, aFifoOrALinkPutInTheFilesPlaceAtTheOpeningFailsTheItemAndTheShredEnds)
{
    // The shred of the file itself, and of a folder holding it; what is swapped in: a FIFO, or a link to a file
    // elsewhere, whose content must stay as it is.
    for (const bool link : {false, true}) {
        for (const QString& selected : {u"file"_s, u"folder"_s}) {
            SCOPED_TRACE(link ? "link" : "fifo");
            const TempTree tree(u"file 4096\nfolder/file 4096\nelsewhere/target 3000"_s);
            const QString swapped = tree.path(u"swapped"_s);
            // Someone renames it over the file between the look and the opening.
            const TestSupport::RacedOpenings openings([&](int folderFd, const char* name) {
                if (std::strcmp(name, "file") != 0)
                    return;
                const QByteArray raw = QFile::encodeName(swapped);
                const QByteArray target = QFile::encodeName(tree.path(u"elsewhere/target"_s));
                ASSERT_EQ(link ? ::symlink(target.constData(), raw.constData()) : ::mkfifo(raw.constData(), 0600), 0);
                ASSERT_EQ(::renameat(AT_FDCWD, raw.constData(), folderFd, name), 0);
            });
            auto shred =
                std::async(std::launch::async, [&] { return Removal::shred(tree.path(selected), 1, {}, openings); });
            const bool ended = shred.wait_for(TestSupport::waitSpan) == std::future_status::ready;
            if (!ended) {
                // Lets a writer blocked on the FIFO go, so that the test itself ends.
                const int reader = ::open(
                    QFile::encodeName(tree.path(selected == u"file"_s ? u"file"_s : u"folder/file"_s)).constData(),
                    O_RDONLY | O_NONBLOCK);
                shred.wait();
                ::close(reader);
            }
            ASSERT_TRUE(ended) << selected.toStdString();
            const std::optional<QString> failure = shred.get();
            ASSERT_TRUE(failure.has_value());
            EXPECT_TRUE(failure->endsWith(u"L'élément a été remplacé depuis l'examen."_s)) << failure->toStdString();
            EXPECT_EQ(contentOf(tree.path(u"elsewhere/target"_s)), QByteArray(3000, 'x'));
        }
    }
}
