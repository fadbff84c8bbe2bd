#include "Platform/FileOperations.h"

#include "Platform/FileSystem.h"
#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "TempTree.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::contentOf;
using TestSupport::exists;

namespace {

QString trashPath(const QString& name)
{
    return Platform::homeFolder() + u"/.Trash/"_s + name;
}

} // namespace

TEST(FileOperations, moveNeverReplacesAnExistingEntry)
{
    const TempTree tree(uR"(
        from.txt 3
        to.txt 5
    )"_s);
    const std::optional<QString> failure = Platform::moveItem(tree.path(u"from.txt"_s), tree.path(u"to.txt"_s));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(*failure, u"Un élément du même nom existe déjà."_s);
    EXPECT_EQ(contentOf(tree.path(u"to.txt"_s)).size(), 5);
    EXPECT_TRUE(exists(tree.path(u"from.txt"_s)));

    EXPECT_FALSE(Platform::moveItem(tree.path(u"from.txt"_s), tree.path(u"moved.txt"_s)).has_value());
    EXPECT_FALSE(exists(tree.path(u"from.txt"_s)));
    EXPECT_EQ(contentOf(tree.path(u"moved.txt"_s)).size(), 3);
}

TEST(FileOperations, trashGivesTakenNamesAUniqueOneAndReturnsTheNewPlace)
{
    const TempTree tree(uR"(
        one/rapport.pdf 10
        two/rapport.pdf 20
        three/rapport.pdf 30
        "four/nom ' \"bizarre\"\n" 1
        Projets/a 1
        other/Projets/b 1
        .profile 1
    )"_s);
    const auto first = Platform::trashItem(tree.path(u"one/rapport.pdf"_s));
    const auto second = Platform::trashItem(tree.path(u"two/rapport.pdf"_s));
    const auto third = Platform::trashItem(tree.path(u"three/rapport.pdf"_s));
    EXPECT_EQ(first.trashedPath, trashPath(u"rapport.pdf"_s));
    EXPECT_EQ(second.trashedPath, trashPath(u"rapport 2.pdf"_s));
    EXPECT_EQ(third.trashedPath, trashPath(u"rapport 3.pdf"_s));
    EXPECT_EQ(contentOf(trashPath(u"rapport 2.pdf"_s)).size(), 20);

    const auto odd = Platform::trashItem(tree.path(u"four/nom ' \"bizarre\"\n"_s));
    EXPECT_EQ(odd.trashedPath, trashPath(u"nom ' \"bizarre\"\n"_s));

    EXPECT_EQ(Platform::trashItem(tree.path(u"Projets"_s)).trashedPath, trashPath(u"Projets"_s));
    EXPECT_EQ(Platform::trashItem(tree.path(u"other/Projets"_s)).trashedPath, trashPath(u"Projets 2"_s));
    EXPECT_TRUE(exists(trashPath(u"Projets 2/b"_s)));
    EXPECT_EQ(Platform::trashItem(tree.path(u".profile"_s)).trashedPath, trashPath(u".profile"_s));

    const auto missing = Platform::trashItem(tree.path(u"missing"_s));
    EXPECT_FALSE(missing.trashedPath.has_value());
    EXPECT_EQ(missing.failure, u"Le fichier ou le dossier n'existe pas."_s);
}

TEST(FileOperations, trashingALinkMovesTheLinkNotItsTarget)
{
    const TempTree tree(uR"(
        target/keep 7
        pointer -> target
    )"_s);
    const auto result = Platform::trashItem(tree.path(u"pointer"_s));
    ASSERT_TRUE(result.trashedPath.has_value());
    EXPECT_TRUE(Platform::fileInfo(*result.trashedPath)->isSymlink());
    EXPECT_TRUE(exists(tree.path(u"target/keep"_s)));
}

TEST(FileOperations, removeDeletesATreeWithoutFollowingLinks)
{
    const TempTree outside(uR"(
        precious/file 10
    )"_s);
    TempTree tree(uR"(
        doomed/a 1
        doomed/deep/b 1
        "doomed/é t\n" 1
    )"_s);
    tree.add(u"doomed/escape -> "_s + outside.path(u"precious"_s));
    tree.add(u"doomed/deep/escape -> "_s + outside.path(u"precious/file"_s));
    EXPECT_FALSE(Platform::removeItem(tree.path(u"doomed"_s)).has_value());
    EXPECT_FALSE(exists(tree.path(u"doomed"_s)));
    EXPECT_EQ(contentOf(outside.path(u"precious/file"_s)).size(), 10);

    EXPECT_EQ(Platform::removeItem(tree.path(u"doomed"_s)), u"Le fichier ou le dossier n'existe pas."_s);
}

TEST(FileOperations, removingALinkLeavesItsTarget)
{
    const TempTree tree(uR"(
        target/keep 7
        pointer -> target
    )"_s);
    EXPECT_FALSE(Platform::removeItem(tree.path(u"pointer"_s)).has_value());
    EXPECT_FALSE(exists(tree.path(u"pointer"_s)));
    EXPECT_TRUE(exists(tree.path(u"target/keep"_s)));
}

TEST(FileOperations, onlyAnEmptyFolderIsRemovedAsEmpty)
{
    const TempTree tree(uR"(
        empty/
        "unlisted/bad\xffname" 10
        target/keep 1
        pointer -> target
    )"_s);
    EXPECT_FALSE(Platform::removeEmptyFolder(tree.path(u"empty"_s)).has_value());
    EXPECT_FALSE(exists(tree.path(u"empty"_s)));

    // A name that no listing shows still keeps its folder.
    EXPECT_EQ(Platform::removeEmptyFolder(tree.path(u"unlisted"_s)), u"Le dossier n'est pas vide."_s);
    EXPECT_EQ(::access(tree.rawPath("unlisted/bad\xff"
                                    "name")
                           .constData(),
                       F_OK),
              0);

    EXPECT_TRUE(Platform::removeEmptyFolder(tree.path(u"pointer"_s)).has_value());
    EXPECT_TRUE(exists(tree.path(u"pointer"_s)));
    EXPECT_TRUE(exists(tree.path(u"target/keep"_s)));
}

TEST(FileOperations, foldersAreCreatedWithTheirParents)
{
    const TempTree tree(u"file 1"_s);
    EXPECT_FALSE(Platform::createFolder(tree.path(u"a/b/c"_s)).has_value());
    EXPECT_TRUE(Platform::fileInfo(tree.path(u"a/b/c"_s))->isDirectory());
    EXPECT_FALSE(Platform::createFolder(tree.path(u"a/b/c"_s)).has_value());
    EXPECT_EQ(Platform::createFolder(tree.path(u"file"_s)), u"Un élément du chemin n'est pas un dossier."_s);
}

TEST(FileOperations, atomicWriteReplacesTheWholeFile)
{
    const TempTree tree(u"journal.json 100"_s);
    EXPECT_FALSE(Platform::writeFileAtomically(tree.path(u"journal.json"_s), "[]").has_value());
    EXPECT_EQ(contentOf(tree.path(u"journal.json"_s)), QByteArray("[]"));
    EXPECT_EQ(Platform::listFolder(tree.root()).size(), 1u); // no temporary file left behind
    EXPECT_TRUE(Platform::writeFileAtomically(tree.path(u"missing/journal.json"_s), "[]").has_value());

    // Written piece by piece; a producer that gives up leaves the old file and no temporary one.
    const auto pieces = [](bool finish) {
        return [finish](const Platform::ByteSink& sink) { return sink("[1,") && sink("2]") && finish; };
    };
    EXPECT_FALSE(Platform::writeFileAtomically(tree.path(u"journal.json"_s), pieces(true)).has_value());
    EXPECT_EQ(contentOf(tree.path(u"journal.json"_s)), QByteArray("[1,2]"));
    EXPECT_TRUE(Platform::writeFileAtomically(tree.path(u"journal.json"_s), pieces(false)).has_value());
    EXPECT_EQ(contentOf(tree.path(u"journal.json"_s)), QByteArray("[1,2]"));
    EXPECT_EQ(Platform::listFolder(tree.root()).size(), 1u);
}

TEST(FileOperations, anEmptyPathNeverStandsForTheWorkingFolder)
{
    const QString working = QDir::currentPath();
    EXPECT_EQ(Platform::removeItem(QString()), u"L'élément est en cours d'utilisation."_s);
    EXPECT_TRUE(Platform::trashItem(QString()).failure.has_value());
    EXPECT_TRUE(exists(working));
}
