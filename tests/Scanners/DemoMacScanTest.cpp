#include "Scanners/LeftoversScanner.h"
#include "Scanners/SystemJunkScanner.h"
#include "Scanners/TrashScanner.h"

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
    QProcess script;
    script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/make-demo-mac.sh"), demo});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const EnvironmentOverride environment{
        {"QUORVANE_ROOT", demo}, {"HOME", demo + u"/Users/demo"_s}, {"TMPDIR", demo + u"/private/var/folders/qp/T"_s}};

    const QList<ScanGroup> junk =
        SystemJunkScanner(ModuleID::systemJunk, true, SystemJunkScanner::standardCacheDenylist()).scan({}, {});
    ASSERT_EQ(titlesOf(junk), (QStringList{u"Caches d'applications"_s, u"Journaux et rapports d'incident"_s,
                                           u"Outils de développement"_s, u"Fichiers temporaires"_s,
                                           u"Programmes d'installation"_s, u"États d'application enregistrés"_s}));
    EXPECT_EQ(namesOf(junk[0]), (QStringList{u"com.lumenlabs.atelierphoto"_s, u"io.ondine.player"_s,
                                             u"com.lumenlabs.retouche"_s, u"fr.carnet.app"_s, u".thumbnail-index"_s}));
    EXPECT_EQ(namesOf(junk[4]), (QStringList{u"Ondine-5.0.4.dmg"_s, u"CarnetInstaller.pkg"_s, u"091-12345"_s}));

    const QList<ScanGroup> trash = TrashScanner(ModuleID::trashBins).scan({}, {});
    ASSERT_EQ(titlesOf(trash), (QStringList{u"Corbeille"_s, u"Corbeille — Sauvegarde"_s}));
    EXPECT_EQ(namesOf(trash[0]), (QStringList{u"Vieux projet"_s, u"Facture ancienne.pdf"_s, u".DS_Store"_s}));

    // The data of Scribe and Ardoise, gone, and of Retouche, whose publisher Lumen Labs is still installed. The
    // running application stands for Quorvane Pro installed, so the earlier product's settings are its publisher's.
    const QList<ScanGroup> leftovers = LeftoversScanner(ModuleID::leftovers).scan({}, {});
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
