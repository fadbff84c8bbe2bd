#include "Core/Provenance.h"

#include "Core/FileUtils.h"
#include "MacFixtures.h"
#include "Platform/Metadata.h"
#include "Sandbox.h"

#include <cerrno>

#include <QVariantList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Kind = Provenance::Kind;
using Owner = Provenance::Owner;
using Staleness = Provenance::Staleness;
using TestSupport::LittleMac;

TEST(Provenance, kindComesFromThePathInAFixedOrder)
{
    const struct {
        QString path;
        Kind kind;
    } cases[] = {
        {u"/Users/al/.Trash/Caches/x.db"_s, Kind::trash},
        {u"/Volumes/Disque/.Trashes/501/a.txt"_s, Kind::trash},
        {u"/Users/al/Library/Mail/Trash/message.emlx"_s, Kind::trash},
        {u"/Users/al/Library/Caches/com.example.editor/Cache.db"_s, Kind::cache},
        {u"/Users/al/Library/Caches"_s, Kind::cache},
        {u"/Users/al/Library/Caches2/x"_s, Kind::unknown},
        {u"/Users/al/Library/caches/x"_s, Kind::unknown},
        {u"/Users/al/Library/Containers/com.example.editor/Data/Library/Caches/x"_s, Kind::cache},
        {u"/Users/al/Library/Logs/Ondine/player.log"_s, Kind::log},
        {u"/Users/al/Downloads/notes.log"_s, Kind::log},
        {u"/Users/al/Downloads/Ondine.dmg"_s, Kind::download},
        {u"/Users/al/Library/Application Support/Carnet/notes.db"_s, Kind::support},
        {u"/Users/al/Library/Containers/com.example.editor/Data/x"_s, Kind::support},
        {u"/Users/al/Library/Group Containers/group.com.example/x"_s, Kind::unknown},
        {u"/Users/al/Library/Group Containers"_s, Kind::unknown},
        {u"/Users/al/Documents/rapport.pdf"_s, Kind::unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Provenance::kindForPath(c.path), c.kind) << c.path.toStdString();
}

TEST(Provenance, ownerNameSkipsGenericLastWordsAndCapitalises)
{
    const struct {
        QString bundleID;
        std::optional<QString> app;
        QString name;
    } cases[] = {
        {u"com.example.editor"_s, std::nullopt, u"Editor"_s},
        {u"com.example.editor.client"_s, std::nullopt, u"Editor"_s},
        {u"com.example.notes.Helper"_s, std::nullopt, u"Notes"_s},
        {u"com.example.MacOS"_s, std::nullopt, u"Example"_s},
        {u"com.example.desktop"_s, std::nullopt, u"Example"_s},
        {u"app"_s, std::nullopt, u"App"_s},
        {u"com..éditeur."_s, std::nullopt, u"Éditeur"_s},
        {u"..."_s, std::nullopt, u"..."_s},
        {u"io.ondine.player"_s, u"/Applications/Ondine.app"_s, u"Ondine"_s},
        {u"io.ondine.player"_s, u"/Applications/Ondine"_s, u"Ondine"_s},
        {u"com.example.suite"_s, u"/Applications/Suite.app.app"_s, u"Suite"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Provenance::ownerName(c.bundleID, c.app), c.name) << c.bundleID.toStdString();

    const struct {
        QString text;
        QString capitalised;
    } letters[] = {{u""_s, u""_s},
                   {u"editor"_s, u"Editor"_s},
                   {u"Editor"_s, u"Editor"_s},
                   {u"ßtudio"_s, u"SStudio"_s},
                   {u"e\u0301diteur"_s, u"E\u0301diteur"_s},
                   {u"1password"_s, u"1password"_s}};
    for (const auto& c : letters)
        EXPECT_EQ(Provenance::capitalizingFirstLetter(c.text), c.capitalised) << c.text.toStdString();
}

TEST(Provenance, ownerIsTheDeepestComponentThatNamesAnIdentifier)
{
    // A home whose own name reads like an identifier: it names no application.
    LittleMac mac(u"jean.luc.picard"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Atelier Photo.app"_s), u"com.lumenlabs.atelierphoto"_s);
    TestSupport::writeAppBundle(mac.path(u"root/Applications/Utilities/Carnet.app"_s), u"fr.carnet.app"_s);
    mac.tree.add(uR"(
        jean.luc.picard/Library/Preferences/com.lumenlabs.atelierphoto.plist 10
        "jean.luc.picard/Library/Application Support/com.lumenlabs.atelierphoto/Bibliothèque.db" 10
        "jean.luc.picard/Library/Group Containers/group.fr.carnet.app/notes.db" 10
        jean.luc.picard/Library/Containers/com.example.editor/Data/Library/Caches/com.example.editor.cache/x 10
        jean.luc.picard/Library/Caches/net.ardoise.client/data 10
        jean.luc.picard/Documents/notes.txt 10
        root/Library/Caches/com.lumenlabs.atelierphoto/x 10
    )"_s);
    const QString home = u"jean.luc.picard/"_s;
    const Owner atelier{u"com.lumenlabs.atelierphoto"_s, u"Atelier Photo"_s, true};
    const struct {
        QString path;
        std::optional<Owner> owner;
    } cases[] = {
        {home + u"Library/Preferences/com.lumenlabs.atelierphoto.plist"_s, atelier},
        {home + u"Library/Application Support/com.lumenlabs.atelierphoto/Bibliothèque.db"_s, atelier},
        {home + u"Library/Group Containers/group.fr.carnet.app/notes.db"_s,
         Owner{u"fr.carnet.app"_s, u"Carnet"_s, true}},
        {home + u"Library/Containers/com.example.editor/Data/Library/Caches/com.example.editor.cache/x"_s,
         Owner{u"com.example.editor.cache"_s, u"Cache"_s, false}},
        {home + u"Library/Containers/com.example.editor/Data"_s, Owner{u"com.example.editor"_s, u"Editor"_s, false}},
        {home + u"Library/Caches/net.ardoise.client/data"_s, Owner{u"net.ardoise.client"_s, u"Ardoise"_s, false}},
        // A file that is gone keeps its whole name.
        {home + u"Library/Preferences/com.example.notes.plist"_s,
         Owner{u"com.example.notes.plist"_s, u"Plist"_s, false}},
        {home + u"Documents/notes.txt"_s, std::nullopt},
        {u"root/Library/Caches/com.lumenlabs.atelierphoto/x"_s, atelier},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Provenance::ownerOf(mac.path(c.path)), c.owner) << c.path.toStdString();
}

TEST(Provenance, downloadHostIsTheFirstRecordedAddressWithAHost)
{
    const TempTree tree(u"a 1\nb 1\nc 1\nd 1\ne 1\nf 1\ng 1\n"_s);
    const struct {
        QString file;
        QVariant whereFroms;
        std::optional<QString> host;
    } cases[] = {
        {u"a"_s, QVariantList{u"https://www.ondine.io/Ondine-5.0.4.dmg"_s, u"https://www.ondine.io/"_s},
         u"ondine.io"_s},
        {u"b"_s, QVariantList{u"pas une adresse"_s, u"mailto:banque@exemple.fr"_s, u"https://cdn.exemple.fr/f.pdf"_s},
         u"cdn.exemple.fr"_s},
        {u"c"_s, QVariantList{u"https://wwwexemple.fr/x"_s}, u"wwwexemple.fr"_s},
        {u"d"_s, QVariantList{}, std::nullopt},
        {u"e"_s, QVariantList{qint64(3), u"https://exemple.fr/"_s}, std::nullopt},
        {u"f"_s, QVariant(u"https://exemple.fr/"_s), std::nullopt},
    };
    for (const auto& c : cases)
        QP_SET_ATTRIBUTE_OR_SKIP(
            TestSupport::setMetadataAttribute(tree.path(c.file), u"kMDItemWhereFroms"_s, c.whereFroms));
    for (const auto& c : cases)
        EXPECT_EQ(Provenance::downloadHost(tree.path(c.file)), c.host) << c.file.toStdString();

    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setExtendedAttribute(tree.path(u"g"_s), u"user.xdg.origin.url"_s,
                                                               "https://www.partage.exemple.fr/photos.zip"));
    EXPECT_EQ(Provenance::downloadHost(tree.path(u"g"_s)), u"partage.exemple.fr"_s);
    EXPECT_EQ(Provenance::downloadHost(tree.path(u"missing"_s)), std::nullopt);
}

TEST(Provenance, stalenessIsTheLastUseElseTheModificationElseNothing)
{
    const TempTree tree(u"opened 1\nwritten 1\n"_s);
    const QDateTime lastUse = QDateTime::fromSecsSinceEpoch(1710410000, Qt::UTC);
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setMetadataAttribute(tree.path(u"opened"_s), u"kMDItemLastUsedDate"_s, lastUse));

    EXPECT_EQ(Provenance::stalenessOf(tree.path(u"opened"_s)), Staleness::opened(lastUse));
    const auto modified = FileUtils::modificationDate(tree.path(u"written"_s));
    ASSERT_TRUE(modified.has_value());
    EXPECT_EQ(Provenance::stalenessOf(tree.path(u"written"_s)), Staleness::modified(*modified));
    EXPECT_EQ(Provenance::stalenessOf(tree.path(u"missing"_s)), std::nullopt);
    EXPECT_NE(Staleness::opened(lastUse), Staleness::modified(lastUse));
}

TEST(Provenance, ofFillsEveryFieldOnItsOwn)
{
    LittleMac mac;
    TestSupport::writeAppBundle(mac.path(u"home/Applications/Atelier Photo.app"_s), u"com.lumenlabs.atelierphoto"_s);
    mac.tree.add(u"\"home/Library/Caches/com.lumenlabs.atelierphoto/Aperçu.png\" 10\n"_s);
    const QString file = mac.path(u"home/Library/Caches/com.lumenlabs.atelierphoto/Aperçu.png"_s);
    const QDateTime lastUse = QDateTime::fromSecsSinceEpoch(1710410000, Qt::UTC);
    QP_SET_ATTRIBUTE_OR_SKIP(
        TestSupport::setExtendedAttribute(file, u"user.xdg.origin.url"_s, "https://www.lumenlabs.io/a.png"));
    QP_SET_ATTRIBUTE_OR_SKIP(TestSupport::setMetadataAttribute(file, u"kMDItemLastUsedDate"_s, lastUse));

    EXPECT_EQ(Provenance::of(file),
              (Provenance{Kind::cache, Owner{u"com.lumenlabs.atelierphoto"_s, u"Atelier Photo"_s, true},
                          Staleness::opened(lastUse), u"lumenlabs.io"_s}));

    const Provenance nothing = Provenance::of(mac.path(u"home/absent"_s));
    EXPECT_EQ(nothing, (Provenance{Kind::unknown, std::nullopt, std::nullopt, std::nullopt}));
}

// The demonstration Mac holds downloads with their origins and the data of installed and removed applications.
TEST(Provenance, tellsWhereTheDemonstrationMacsFilesComeFrom)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-provenance"_s;
    TestSupport::layOutDemoMac(demo);
    if (HasFatalFailure())
        return;
    const QString home = demo + u"/Users/demo"_s;
    const TestSupport::ScopedEnvironment root("QUORVANE_ROOT", demo);
    const TestSupport::ScopedEnvironment homeFolder("HOME", home);

    const Provenance draft = Provenance::of(home + u"/Library/Application Support/com.vellum.scribe/Brouillons/"
                                                   u"brouillon-chapitre-3.md"_s);
    EXPECT_EQ(draft.kind, Kind::support);
    EXPECT_EQ(draft.owner, (Owner{u"com.vellum.scribe"_s, u"Scribe"_s, false}));
    EXPECT_EQ(Provenance::ownerOf(home + u"/Library/Containers/net.ardoise.client/Data/Library/Application Support/"
                                         u"tableaux.db"_s),
              (Owner{u"net.ardoise.client"_s, u"Ardoise"_s, false}));
    EXPECT_EQ(Provenance::ownerOf(home + u"/Library/Preferences/com.lumenlabs.atelierphoto.plist"_s),
              (Owner{u"com.lumenlabs.atelierphoto"_s, u"Atelier Photo"_s, true}));
    EXPECT_EQ(Provenance::ownerOf(home + u"/Library/Group Containers/group.fr.carnet.app/Carnets/notes.sqlite"_s),
              (Owner{u"fr.carnet.app"_s, u"Carnet"_s, true}));
    EXPECT_EQ(Provenance::ownerOf(home + u"/Library/Application Support/com.lumenlabs.sync/état.json"_s),
              (Owner{u"com.lumenlabs.sync"_s, u"Lumen Sync"_s, true}));

    const QString installer = home + u"/Downloads/Ondine-5.0.4.dmg"_s;
    if (!Platform::Metadata::value(installer, Platform::Metadata::whereFroms))
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    EXPECT_EQ(Provenance::of(installer),
              (Provenance{Kind::download, std::nullopt, Staleness::modified(*FileUtils::modificationDate(installer)),
                          u"ondine.io"_s}));
    EXPECT_EQ(Provenance::downloadHost(home + u"/Downloads/À garder/facture-2024.pdf"_s), u"banque-exemple.fr"_s);
    EXPECT_EQ(Provenance::downloadHost(home + u"/Downloads/photos-vacances.zip"_s), u"partage-exemple.fr"_s);
    EXPECT_EQ(draft.staleness, Staleness::opened(QDateTime(QDate(2024, 3, 14), QTime(9, 30), Qt::UTC)));
}
