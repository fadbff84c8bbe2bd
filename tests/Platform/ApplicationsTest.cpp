#include "Platform/Applications.h"

#include "MacFixtures.h"
#include "Platform/FileOperations.h"

#include <unistd.h>

#include <QFile>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Platform::PropertyList::Format;

using TestSupport::LittleMac;

TEST(Applications, findsBundlesInEveryFolderAndSubfolderButNotInsideBundles)
{
    const LittleMac mac;
    const struct {
        QString bundle;
        QString identifier;
        Format format;
    } installed[] = {
        {u"root/Applications/Atelier Photo.app"_s, u"com.lumenlabs.atelierphoto"_s, Format::Xml},
        {u"root/Applications/Utilities/Moniteur.app"_s, u"com.lumenlabs.monitor"_s, Format::Binary},
        {u"root/Applications/Lumen/Outils/Sync.app"_s, u"com.lumenlabs.sync"_s, Format::Xml},
        {u"root/System/Applications/Notes.app"_s, u"com.apple.Notes"_s, Format::Binary},
        {u"root/System/Applications/Utilities/Terminal.app"_s, u"com.apple.Terminal"_s, Format::Xml},
        {u"home/Applications/Carnet.app"_s, u"fr.carnet.app"_s, Format::Xml},
        {u"root/Applications/Atelier Photo.app/Contents/Library/LoginItems/Aide.app"_s,
         u"com.lumenlabs.atelierphoto.helper"_s, Format::Xml},
        {u"root/Applications/Sans identifiant.app"_s, QString(), Format::Xml},
    };
    for (const auto& app : installed)
        TestSupport::writeAppBundle(mac.path(app.bundle), app.identifier, app.format);

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Platform::applicationForBundleIdentifier(installed[i].identifier), mac.path(installed[i].bundle))
            << installed[i].identifier.toStdString();
    EXPECT_EQ(Platform::applicationForBundleIdentifier(u"COM.LumenLabs.AtelierPhoto"_s), mac.path(installed[0].bundle));
    for (const QString& unknown : {u"com.lumenlabs.atelierphoto.helper"_s, u"com.lumenlabs"_s, u""_s})
        EXPECT_EQ(Platform::applicationForBundleIdentifier(unknown), std::nullopt) << unknown.toStdString();
}

TEST(Applications, answersAfreshAndReadsThroughALinkToABundle)
{
    const LittleMac mac;
    const QString bundle = mac.path(u"root/Applications/Ondine.app"_s);
    TestSupport::writeAppBundle(bundle, u"io.ondine.player"_s);
    ASSERT_EQ(Platform::applicationForBundleIdentifier(u"io.ondine.player"_s), bundle);

    ASSERT_EQ(Platform::removeItem(bundle), std::nullopt);
    EXPECT_EQ(Platform::applicationForBundleIdentifier(u"io.ondine.player"_s), std::nullopt);

    // An application kept elsewhere and linked into ~/Applications, as some installers leave it.
    TestSupport::writeAppBundle(mac.path(u"Caskroom/ondine/5.0/Ondine.app"_s), u"io.ondine.player"_s);
    const QString link = mac.path(u"home/Applications/Ondine.app"_s);
    ASSERT_EQ(::symlink(QFile::encodeName(mac.path(u"Caskroom/ondine/5.0/Ondine.app"_s)).constData(),
                        QFile::encodeName(link).constData()),
              0);
    EXPECT_EQ(Platform::applicationForBundleIdentifier(u"io.ondine.player"_s), link);
}

TEST(Applications, displayNameIsTheLastComponent)
{
    EXPECT_EQ(Platform::displayName(u"/Applications/Atelier Photo.app"_s), u"Atelier Photo.app"_s);
    EXPECT_EQ(Platform::displayName(u"/Applications/Notes.app/"_s), u"Notes.app"_s);
    EXPECT_EQ(Platform::displayName(u"/"_s), u"/"_s);
}

TEST(Applications, readsABundleOnlyWhenItIsAFolderAndToleratesAnyInfoPlist)
{
    LittleMac mac;
    const QString apps = mac.path(u"root/Applications/"_s);
    TestSupport::writeAppBundle(apps + u"Xml.app"_s, u"com.example.xml"_s, Format::Xml);
    TestSupport::writeAppBundle(apps + u"Binaire.app"_s, u"com.example.Binary"_s, Format::Binary);
    mac.tree.add(uR"(
        root/Applications/Vide.app/
        root/Applications/Fichier.app 10
        root/Applications/Lien.app -> Xml.app
        root/Applications/Perdu.app -> Absent.app
        root/Applications/Abîmé.app/Contents/Info.plist 100
    )"_s);
    const QVariantMap wrongTypes{{u"CFBundleIdentifier"_s, qint64(42)}, {u"CFBundleName"_s, QVariantList{u"x"_s}}};
    ASSERT_EQ(Platform::createFolder(apps + u"Types.app/Contents"_s), std::nullopt);
    ASSERT_EQ(Platform::writeFileAtomically(apps + u"Types.app/Contents/Info.plist"_s,
                                            *Platform::PropertyList::serialize(wrongTypes, Format::Xml)),
              std::nullopt);
    ASSERT_EQ(Platform::createFolder(apps + u"Tableau.app/Contents"_s), std::nullopt);
    ASSERT_EQ(Platform::writeFileAtomically(apps + u"Tableau.app/Contents/Info.plist"_s,
                                            *Platform::PropertyList::serialize(QVariantList{u"a"_s}, Format::Binary)),
              std::nullopt);

    const auto xml = Platform::readBundle(apps + u"Xml.app"_s);
    ASSERT_TRUE(xml);
    EXPECT_EQ(xml->identifier, u"com.example.xml"_s);
    EXPECT_EQ(xml->dictionary.value(u"CFBundlePackageType"_s), QVariant(u"APPL"_s));
    EXPECT_EQ(Platform::readBundle(apps + u"Binaire.app"_s)->identifier, u"com.example.Binary"_s);
    EXPECT_EQ(Platform::readBundle(apps + u"Lien.app"_s), xml);
    // Folders with no usable Info.plist are bundles that declare nothing.
    for (const QString& name : {u"Vide.app"_s, u"Abîmé.app"_s, u"Tableau.app"_s}) {
        EXPECT_EQ(Platform::readBundle(apps + name), Platform::BundleInfo{}) << name.toStdString();
    }
    const auto types = Platform::readBundle(apps + u"Types.app"_s);
    ASSERT_TRUE(types);
    EXPECT_EQ(types->identifier, QString());
    EXPECT_EQ(types->dictionary, wrongTypes);
    // No folder, no bundle.
    for (const QString& name : {u"Fichier.app"_s, u"Perdu.app"_s, u"Absent.app"_s})
        EXPECT_EQ(Platform::readBundle(apps + name), std::nullopt) << name.toStdString();
}
