#include "Scanners/MailAttachmentsScanner.h"

#include "ScannerTestSupport.h"
#include "TempTree.h"
#include "TestServices.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kMail = uR"(
    home/Library/Mail/V10/compte/INBOX.mbox/A1/Data/Attachments/12/facture.pdf 8192
    home/Library/Mail/V10/compte/INBOX.mbox/B2/Data/Attachments/7/photo.jpg 4096
    home/Library/Mail/V10/compte/Projets.mbox/Clients.mbox/C3/Attachments/devis.pdf 12288
    home/Library/Mail/V10/compte/Divers/Attachments/x.bin 16384
    home/Library/Mail/V10/compte/Vide.mbox/Attachments/
    home/Library/Mail/V10/compte/Fichier.mbox/Attachments 4096
    home/Library/Mail/V10/compte/Casse.mbox/attachments/Attachments/y.bin 4096
    home/Library/Mail/V10/compte/.Cachée.mbox/Attachments/z.bin 4096
    home/Library/Mail/V10/compte/Lien.mbox/Attachments -> ../INBOX.mbox/A1/Data/Attachments
    "home/Library/Containers/com.apple.mail/Data/Library/Mail Downloads/ABC/rapport.pdf" 20480
    "home/Library/Containers/com.apple.mail/Data/Library/Mail Downloads/vide.txt"
    "home/Library/Containers/com.apple.mail/Data/Library/Mail Downloads/.note" 4096
)"_s;

class MailAttachmentsScannerTest : public ::testing::Test
{
protected:
    QString mail(const QString& relative) const { return tree.path(u"home/Library/Mail/V10/compte/"_s + relative); }

    TempTree tree{kMail};
    EnvironmentOverride environment{{"HOME", tree.path(u"home"_s)}};
    TestSupport::TestServices kit;
    const MailAttachmentsScanner scanner{kit.exclusions, ModuleID::mailAttachments};
};

} // namespace

TEST_F(MailAttachmentsScannerTest, takesEachAttachmentsFolderWholeAndTheFilesOpenedFromMail)
{
    ProgressLog log;
    const QList<ScanGroup> groups = scanner.scan(log.callback(), {});
    EXPECT_EQ(log.steps(), (QStringList{u"0.1 Boîtes aux lettres…"_s, u"0.9 Téléchargements Mail…"_s, u"1 "_s}));
    ASSERT_EQ(groups.size(), 1);
    const ScanGroup& group = groups[0];
    EXPECT_EQ(group.title, u"Copies locales de pièces jointes"_s);
    EXPECT_EQ(group.symbol, u"paperclip"_s);
    EXPECT_EQ(group.note, u"Les messages restent intacts ; Mail retéléchargera à la demande."_s);
    EXPECT_FALSE(group.isExpanded);

    // Largest first. Only folders named exactly "Attachments" (a lower-case one is entered, a file, a link
    // and an empty folder are not items); the innermost mailbox names each; outside any, the "~" path.
    QStringList shown;
    for (const ScanItem& item : group.items) {
        shown.append(item.name + u" | "_s + item.detail.value_or(QString()) + u" | "_s + QString::number(item.size));
        EXPECT_TRUE(item.isSelected);
        EXPECT_FALSE(item.isRisky);
        EXPECT_EQ(item.removalMode, Removal::Mode::trash());
        EXPECT_TRUE(item.modified);
    }
    EXPECT_EQ(shown, (QStringList{u"ABC | Ouvert depuis Mail | 20480"_s,
                                  u"Attachments | ~/Library/Mail/V10/compte/Divers/Attachments | 16384"_s,
                                  u"Attachments | Clients | 12288"_s, u"Attachments | INBOX | 8192"_s,
                                  u"Attachments | Casse | 4096"_s, u"Attachments | INBOX | 4096"_s,
                                  u".note | Ouvert depuis Mail | 4096"_s}));
    EXPECT_EQ(group.items[3].url, mail(u"INBOX.mbox/A1/Data/Attachments"_s));
}

TEST_F(MailAttachmentsScannerTest, reportsEveryFiveHundredEntriesAndStopsOnlyTheWalk)
{
    for (int i = 0; i < 600; ++i)
        tree.add(u"home/Library/Mail/V10/compte/Gros.mbox/m%1\n"_s.arg(i, 3, 10, QChar(u'0')));
    ProgressLog log;
    EXPECT_EQ(scanner.scan(log.callback(), {}).size(), 1);
    ASSERT_EQ(log.steps().size(), 4);
    EXPECT_TRUE(log.steps()[1].startsWith(u"0.125 ~/Library/Mail/V10/compte/"_s)) << log.steps()[1].toStdString();

    // A stop before the walk still lists the downloads.
    std::stop_source stop;
    stop.request_stop();
    const QList<ScanGroup> stopped = scanner.scan({}, stop.get_token());
    ASSERT_EQ(stopped.size(), 1);
    EXPECT_EQ(namesOf(stopped[0]), (QStringList{u"ABC"_s, u".note"_s}));
}

TEST_F(MailAttachmentsScannerTest, excludedItemsAreLeftOutAndNothingLeftGivesTheEmptyState)
{
    // Everything but the mailbox "Divers".
    for (const QString& mailbox : {u"INBOX.mbox"_s, u"Projets.mbox"_s, u"Casse.mbox"_s})
        ASSERT_TRUE(kit.exclusions.add(mail(mailbox)));
    ASSERT_TRUE(kit.exclusions.add(tree.path(u"home/Library/Containers/com.apple.mail/Data/Library/Mail Downloads"_s)));
    const QList<ScanGroup> groups = scanner.scan({}, {});
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].items.size(), 1);

    ASSERT_TRUE(kit.exclusions.add(tree.path(u"home/Library"_s)));
    EXPECT_TRUE(scanner.scan({}, {}).isEmpty());
    EXPECT_EQ(scanner.actionTitle(), u"Nettoyer"_s);
    EXPECT_EQ(scanner.emptyTitle(), u"Aucune pièce jointe en cache"_s);
    EXPECT_EQ(scanner.emptyMessage(), u"Mail ne conserve rien de volumineux en local."_s);
    EXPECT_TRUE(scanner.requiresFullDiskAccess());
}

TEST_F(MailAttachmentsScannerTest, findsAnAttachmentsFolderDeepInsideNestedMailboxes)
{
    QString deep = u"home/Library/Mail/V10/compte/Archives.mbox"_s;
    for (int level = 0; level < 40; ++level)
        deep += u"/niveau%1.mbox"_s.arg(level);
    tree.add(deep + u"/Attachments/a.bin 4096\n"_s);
    const QList<ScanGroup> groups = scanner.scan({}, {});
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].items.size(), 8);
    bool found = false;
    for (const ScanItem& item : groups[0].items)
        found = found || item.detail == u"niveau39"_s;
    EXPECT_TRUE(found);
}

TEST(MailboxName, isTheInnermostMailboxAboveTheFolder)
{
    const EnvironmentOverride home{{"HOME", u"/Users/al"_s}};
    const struct {
        QString folder;
        QString name;
    } cases[] = {
        {u"/Users/al/Library/Mail/V10/a/INBOX.mbox/1/Data/Attachments"_s, u"INBOX"_s},
        {u"/Users/al/Library/Mail/V10/a/Out.mbox/In.mbox/Attachments"_s, u"In"_s},
        {u"/Users/al/Library/Mail/V10/a/Attachments.mbox"_s, u"~/Library/Mail/V10/a/Attachments.mbox"_s},
        {u"/Users/al/Library/Mail/V10/a/Boîte.v1.mbox/Attachments"_s, u"Boîte.v1"_s},
        {u"/Users/al/Library/Mail/V10/a/.mbox/Attachments"_s, u"~/Library/Mail/V10/a/.mbox/Attachments"_s},
        {u"/Top.mbox/Attachments"_s, u"Top"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MailAttachmentsScanner::mailboxName(c.folder), c.name) << c.folder.toStdString();
}
