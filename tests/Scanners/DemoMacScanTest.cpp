#include "MacFixtures.h"
#include "Scanners/DuplicatesScanner.h"
#include "Scanners/LargeOldFilesScanner.h"
#include "Scanners/LeftoversScanner.h"
#include "Scanners/MailAttachmentsScanner.h"
#include "Scanners/PrivacyScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"
#include "TestServices.h"

#include "Platform/SystemRoot.h"
#include "Sandbox.h"
#include "ScannerTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The demonstration Mac holds something for every category of the first cleaning modules.
TEST(DemoMac, givesTheSystemJunkAndTrashScannersSomethingToFind)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-scan"_s;
    TestSupport::layOutDemoMac(demo);
    const TestSupport::TestServices kit;
    const EnvironmentOverride environment{
        {"QUORVANE_ROOT", demo}, {"HOME", demo + u"/Users/demo"_s}, {"TMPDIR", demo + u"/private/var/folders/qp/T"_s}};

    const QList<ScanGroup> junk =
        SystemJunkScanner(kit.exclusions, ModuleID::systemJunk, true, SystemJunkScanner::standardCacheDenylist())
            .scan({}, {});
    ASSERT_EQ(titlesOf(junk), (QStringList{u"Caches d'applications"_s, u"Journaux et rapports d'incident"_s,
                                           u"Outils de développement"_s, u"Fichiers temporaires"_s,
                                           u"Programmes d'installation"_s, u"États d'application enregistrés"_s}));
    // Browser caches and the persistent pasteboard are application caches too.
    EXPECT_EQ(namesOf(junk[0]), (QStringList{u"com.lumenlabs.atelierphoto"_s, u"Google"_s, u"io.ondine.player"_s,
                                             u"com.lumenlabs.retouche"_s, u"com.apple.pboard"_s, u"fr.carnet.app"_s,
                                             u".thumbnail-index"_s}));
    EXPECT_EQ(namesOf(junk[4]), (QStringList{u"Ondine-5.0.4.dmg"_s, u"CarnetInstaller.pkg"_s, u"091-12345"_s}));

    const QList<ScanGroup> trash = TrashScanner(kit.exclusions, ModuleID::trashBins).scan({}, {});
    ASSERT_EQ(titlesOf(trash), (QStringList{u"Corbeille"_s, u"Corbeille — Sauvegarde"_s}));
    EXPECT_EQ(namesOf(trash[0]), (QStringList{u"Vieux projet"_s, u"Facture ancienne.pdf"_s, u".DS_Store"_s}));

    // The data of Scribe and Ardoise, gone, and of Retouche, whose publisher Lumen Labs is still installed. The
    // running application stands for Quorvane Pro installed, so the earlier product's settings are its publisher's.
    const QList<ScanGroup> leftovers = LeftoversScanner(kit.exclusions, ModuleID::leftovers).scan({}, {});
    ASSERT_EQ(titlesOf(leftovers), (QStringList{u"Apps disparues"_s, u"Éditeur encore installé"_s}));
    QStringList vanished = namesOf(leftovers[0]);
    EXPECT_EQ(vanished.mid(0, 3),
              (QStringList{u"net.ardoise.client"_s, u"com.vellum.scribe"_s, u"ABCDE12345.com.vellum.shared"_s}));
    vanished.sort();
    EXPECT_EQ(vanished, (QStringList{u"ABCDE12345.com.vellum.shared"_s, u"Com.LumenLabs.Capture.plist"_s,
                                     u"com.vellum.scribe"_s, u"com.vellum.scribe.plist"_s, u"net.ardoise.client"_s}));
    EXPECT_EQ(namesOf(leftovers[1]), (QStringList{u"com.lumenlabs.retouche"_s, u"com.lumenlabs.retouche.savedState"_s,
                                                  u"com.ostrek.tessalinomark.plist"_s}));

    for (const QList<ScanGroup>& groups : {junk, trash, leftovers}) {
        for (const ScanGroup& group : groups) {
            for (const ScanItem& item : group.items)
                EXPECT_TRUE(Platform::isEqualOrUnder(item.url, demo)) << item.url.toStdString();
        }
    }
}

// The demonstration Mac holds what each personal-file module looks for, and copies only where meant.
TEST(DemoMac, givesThePersonalFileScannersSomethingToFind)
{
    const QString demo = TestSupport::temporary() + u"/demo-mac-personal"_s;
    TestSupport::layOutDemoMac(demo);
    const TestSupport::TestServices kit;
    const QString home = demo + u"/Users/demo"_s;
    const EnvironmentOverride environment{
        {"QUORVANE_ROOT", demo}, {"HOME", home}, {"TMPDIR", demo + u"/private/var/folders/qp/T"_s}};

    const QList<ScanGroup> mail = MailAttachmentsScanner(kit.exclusions, ModuleID::mailAttachments).scan({}, {});
    ASSERT_EQ(mail.size(), 1);
    QStringList mailRows;
    for (const ScanItem& item : mail[0].items)
        mailRows.append(item.name + u" · "_s + item.detail.value_or(QString()));
    EXPECT_EQ(mailRows,
              (QStringList{u"Attachments · INBOX"_s, u"2B6D9E01 · Ouvert depuis Mail"_s, u"Attachments · INBOX"_s,
                           u"Attachments · Clients"_s, u"plan d'accès.png · Ouvert depuis Mail"_s,
                           u"Attachments · ~/Library/Mail/V10/MailData/Attachments"_s}));

    const QList<ScanGroup> duplicates = DuplicatesScanner(kit.exclusions, ModuleID::duplicates).scan({}, {});
    ASSERT_EQ(titlesOf(duplicates), QStringList{u"Rapport annuel 2023.pdf"_s});
    EXPECT_EQ(duplicates[0].items.size(), 3);
    EXPECT_EQ(duplicates[0].items[0].url, home + u"/Documents/Rapport annuel 2023.pdf"_s);
    EXPECT_EQ(duplicates[0].items[2].url, home + u"/Desktop/Rapport annuel 2023 copie.pdf"_s);

    const QList<ScanGroup> large =
        LargeOldFilesScanner(kit.exclusions, ModuleID::largeOldFiles, LargeOldFilesScanner::standardMinimumSize,
                             LargeOldFilesScanner::standardSkippedDirectories())
            .scan({}, {});
    ASSERT_EQ(titlesOf(large), (QStringList{u"Vidéos"_s, u"Archives"_s, u"Images disque"_s, u"Audio"_s, u"Documents"_s,
                                            u"Autres fichiers"_s}));
    QStringList largeNames;
    for (const ScanGroup& group : large)
        largeNames += namesOf(group);
    EXPECT_EQ(largeNames, (QStringList{u"Tournage brut.mov"_s, u"Sauvegarde photos 2022.zip"_s, u"Debian 12.iso"_s,
                                       u"Concert.wav"_s, u"Catalogue.psd"_s, u"export.sqlite"_s}));

    const QList<ScanGroup> privacy = PrivacyScanner(kit.exclusions, ModuleID::privacy).scan({}, {});
    ASSERT_EQ(titlesOf(privacy), (QStringList{u"Safari"_s, u"Google Chrome"_s, u"Firefox"_s, u"Traces système"_s}));
    EXPECT_EQ(namesOf(privacy[2]),
              (QStringList{u"Historique — x7k2p9qa.default-release"_s, u"Cookies — x7k2p9qa.default-release"_s}));
    EXPECT_EQ(namesOf(privacy[3]),
              (QStringList{u"Presse-papiers persistant"_s, u"Éléments récents"_s, u"Historique du Terminal"_s}));

    for (const QList<ScanGroup>& groups : {mail, duplicates, large, privacy}) {
        for (const ScanGroup& group : groups) {
            for (const ScanItem& item : group.items)
                EXPECT_TRUE(Platform::isEqualOrUnder(item.url, demo)) << item.url.toStdString();
        }
    }
}
