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
    EXPECT_EQ(namesOf(junk[0]), (QStringList{u"com.lumenlabs.atelierphoto"_s, u"io.ondine.player"_s, u"fr.carnet.app"_s,
                                             u".thumbnail-index"_s}));
    EXPECT_EQ(namesOf(junk[4]), (QStringList{u"Ondine-5.0.4.dmg"_s, u"CarnetInstaller.pkg"_s, u"091-12345"_s}));

    const QList<ScanGroup> trash = TrashScanner(ModuleID::trashBins).scan({}, {});
    ASSERT_EQ(titlesOf(trash), (QStringList{u"Corbeille"_s, u"Corbeille — Sauvegarde"_s}));
    EXPECT_EQ(namesOf(trash[0]), (QStringList{u"Vieux projet"_s, u"Facture ancienne.pdf"_s, u".DS_Store"_s}));

    for (const QList<ScanGroup>& groups : {junk, trash}) {
        for (const ScanGroup& group : groups) {
            for (const ScanItem& item : group.items)
                EXPECT_TRUE(Platform::isEqualOrUnder(item.url, demo)) << item.url.toStdString();
        }
    }
}
