#include "Scan/Screen/ProvenanceCard.h"

#include "Look/Paint.h"
#include "Look/Theme.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Kind = Provenance::Kind;
using Owner = Provenance::Owner;
using Staleness = Provenance::Staleness;
using Fact = ProvenanceCard::Fact;

namespace {

ScanItem itemAt(const QString& url, const QString& name, qint64 size)
{
    ScanItem item;
    item.id = QUuid::createUuid();
    item.url = url;
    item.name = name;
    item.size = size;
    return item;
}

QList<QWidget*> openPopovers()
{
    QList<QWidget*> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == u"provenancePopover"_s && window->isVisible())
            open.append(window);
    }
    return open;
}

const Owner kInstalled{u"com.lumenlabs.atelierphoto"_s, u"Atelier Photo"_s, true};
const Owner kGone{u"com.vellum.scribe"_s, u"Scribe"_s, false};

} // namespace

TEST(ProvenanceCard, consequenceIsTheKindsUnlessTheApplicationIsGone)
{
    const struct {
        Kind kind;
        QString text;
    } kinds[] = {
        {Kind::cache, u"Sera recalculé au besoin. Le premier accès suivant sera plus lent."_s},
        {Kind::log, u"Rien ne dépend de son contenu, sauf un diagnostic en cours."_s},
        {Kind::support, u"Contient des réglages ou des données. L'app repartira de zéro."_s},
        {Kind::download, u"Ne sera pas recréé. À retélécharger si besoin."_s},
        {Kind::trash, u"Déjà mis au rebut ; la suppression est définitive."_s},
        {Kind::unknown, u"Conséquence inconnue — à examiner avant de cocher."_s},
    };
    for (const auto& c : kinds) {
        EXPECT_EQ(ProvenanceCard::consequence({c.kind, std::nullopt, std::nullopt, std::nullopt}), c.text);
        EXPECT_EQ(ProvenanceCard::consequence({c.kind, kInstalled, std::nullopt, std::nullopt}), c.text);
        EXPECT_EQ(ProvenanceCard::consequence({c.kind, kGone, std::nullopt, std::nullopt}), u"Rien ne le recréera."_s);
    }
}

TEST(ProvenanceCard, factsAreTheOwnerTheLastUseOrWriteAndTheOriginInThatOrder)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1730000000, Qt::UTC);
    const Fact installed{u"provenanceOwner"_s, u"app.badge.checkmark"_s, Theme::indigo(),
                         u"Atelier Photo, installée"_s};
    const Fact gone{u"provenanceOwner"_s, u"app.dashed"_s, Theme::mint(), u"Scribe n'est plus installée"_s};
    const Fact opened{u"provenanceStaleness"_s, u"hand.tap"_s, std::nullopt, u"Dernière ouverture il y a 3 jours"_s};
    const Fact written{u"provenanceStaleness"_s, u"square.and.pencil"_s, std::nullopt,
                       u"Rien n'y a été écrit il y a 2 semaines"_s};
    const Fact origin{u"provenanceOrigin"_s, u"arrow.down.circle"_s, std::nullopt, u"Téléchargé depuis ondine.io"_s};
    const struct {
        Provenance provenance;
        QList<Fact> facts;
    } cases[] = {
        {{Kind::cache, kInstalled, Staleness::opened(now.addDays(-3)), u"ondine.io"_s}, {installed, opened, origin}},
        {{Kind::support, kGone, Staleness::modified(now.addDays(-14)), std::nullopt}, {gone, written}},
        {{Kind::download, std::nullopt, std::nullopt, u"ondine.io"_s}, {origin}},
        {{Kind::unknown, std::nullopt, std::nullopt, std::nullopt}, {}},
    };
    for (const auto& c : cases) {
        const QList<Fact> facts = ProvenanceCard::facts(c.provenance, now);
        ASSERT_EQ(facts.size(), c.facts.size());
        for (qsizetype i = 0; i < facts.size(); ++i)
            EXPECT_EQ(facts[i], c.facts[i]) << facts[i].text.toStdString();
    }
}

TEST(ProvenanceCard, showsTheItemItsFactsAndWhatDeletingItCauses)
{
    const QString longName = u"Atelier Photo Professionnel — Édition Studio pour les grands formats"_s;
    const Provenance full{Kind::cache, Owner{u"com.lumenlabs.atelierphoto"_s, longName, true},
                          Staleness::opened(QDateTime::currentDateTimeUtc().addDays(-3)), u"ondine.io"_s};
    ProvenanceCard card(itemAt(u"/Users/al/Library/Caches/com.lumenlabs.atelierphoto"_s,
                               u"com.lumenlabs.atelierphoto-aperçus-des-très-grandes-images"_s, 6300000),
                        full);
    card.show();
    EXPECT_EQ(card.width(), ProvenanceCard::cardWidth);
    const auto text = [&card](const QString& name) {
        const auto* label = card.findChild<QLabel*>(name);
        return label ? std::optional<QString>(label->text()) : std::nullopt;
    };
    EXPECT_EQ(text(u"provenanceName"_s), u"com.lumenlabs.atelierphoto-aperçus-des-très-grandes-images"_s);
    EXPECT_EQ(text(u"provenanceSize"_s), u"6,3 Mo"_s);
    EXPECT_EQ(text(u"provenanceOwner"_s), longName + u", installée"_s);
    EXPECT_EQ(text(u"provenanceStaleness"_s), u"Dernière ouverture il y a 3 jours"_s);
    EXPECT_EQ(text(u"provenanceOrigin"_s), u"Téléchargé depuis ondine.io"_s);
    EXPECT_EQ(text(u"provenanceConsequence"_s),
              u"Sera recalculé au besoin. Le premier accès suivant sera plus lent."_s);
    // The name stays on one line; a long owner wraps inside the card instead of being cut.
    const auto* name = card.findChild<QLabel*>(u"provenanceName"_s);
    const auto* owner = card.findChild<QLabel*>(u"provenanceOwner"_s);
    EXPECT_FALSE(name->wordWrap());
    EXPECT_LE(name->geometry().right(), card.width());
    EXPECT_TRUE(owner->wordWrap());
    EXPECT_GT(owner->height(), owner->fontMetrics().height() * 3 / 2);
    EXPECT_LE(owner->geometry().right(), card.width());

    for (const qint64 size : {qint64(0), qint64(-5)}) {
        ProvenanceCard bare(itemAt(u"/Users/al/x"_s, u"x"_s, size), {});
        EXPECT_EQ(bare.findChild<QLabel*>(u"provenanceSize"_s)->text(), u"0 Ko"_s);
        for (const QString& fact : {u"provenanceOwner"_s, u"provenanceStaleness"_s, u"provenanceOrigin"_s})
            EXPECT_EQ(bare.findChild<QLabel*>(fact), nullptr) << fact.toStdString();
        EXPECT_EQ(bare.findChild<QLabel*>(u"provenanceConsequence"_s)->text(),
                  u"Conséquence inconnue — à examiner avant de cocher."_s);
    }

    // A line feed or a tab in a file name is shown as its mark, and the name keeps to its one line.
    ProvenanceCard odd(itemAt(u"/Users/al/x"_s, u"notes\n2024\tbrouillon"_s, 10), {});
    odd.show();
    const auto* oddName = odd.findChild<QLabel*>(u"provenanceName"_s);
    EXPECT_EQ(oddName->text(), u"notes␊2024␉brouillon"_s);
    EXPECT_EQ(oddName->height(), oddName->fontMetrics().height());
}

TEST(ProvenanceCard, opensUnderItsAnchorWithTheLatestRequestOnly)
{
    const TempTree tree(u"Library/Caches/com.example.editor/a.db 10\nLibrary/Logs/b.txt 10\n"_s);
    QWidget window;
    window.resize(400, 300);
    auto* anchor = new QWidget(&window);
    anchor->setGeometry(100, 100, 16, 16);
    auto* glyph = new QWidget(anchor);
    window.show();

    showProvenanceCard(anchor, itemAt(tree.path(u"Library/Caches/com.example.editor/a.db"_s), u"a.db"_s, 10));
    showProvenanceCard(anchor, itemAt(tree.path(u"Library/Logs/b.txt"_s), u"b.txt"_s, 10));
    ASSERT_TRUE(TestSupport::waitFor([] { return !openPopovers().isEmpty(); }));
    QTest::qWait(50);
    const QList<QWidget*> open = openPopovers();
    ASSERT_EQ(open.size(), 1);
    const auto* card = open[0]->findChild<ProvenanceCard*>();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->item().name, u"b.txt"_s);
    EXPECT_EQ(card->provenance().kind, Kind::log);
    EXPECT_GE(open[0]->y(), anchor->mapToGlobal(QPoint(0, anchor->height())).y());

    // A new request replaces the open card.
    showProvenanceCard(anchor, itemAt(tree.path(u"Library/Caches/com.example.editor/a.db"_s), u"a.db"_s, 10));
    ASSERT_TRUE(TestSupport::waitFor([] {
        const QList<QWidget*> now = openPopovers();
        return now.size() == 1 && now[0]->findChild<ProvenanceCard*>()->item().name == u"a.db"_s;
    }));
    EXPECT_TRUE(glyph->isVisible()); // only the card is replaced, not what the anchor holds
    QTest::keyClick(openPopovers()[0], Qt::Key_Escape);
    EXPECT_TRUE(openPopovers().isEmpty());

    // Nothing opens once the anchor is gone.
    showProvenanceCard(anchor, itemAt(tree.path(u"Library/Logs/b.txt"_s), u"b.txt"_s, 10));
    delete anchor;
    QTest::qWait(200);
    EXPECT_TRUE(openPopovers().isEmpty());
}

// Without an alpha channel for windows (the offscreen platform, a plain X server) the transparent corners would
// show black: the popup is held to its rounded shape instead.
TEST(ProvenanceCard, thePopupIsMaskedToItsShapeWhereWindowsHaveNoAlpha)
{
    ASSERT_FALSE(Paint::composesTranslucentWindows());
    const TempTree tree(u"Library/Logs/b.txt 10\n"_s);
    QWidget window;
    window.resize(400, 300);
    auto* anchor = new QWidget(&window);
    anchor->setGeometry(100, 100, 16, 16);
    window.show();
    showProvenanceCard(anchor, itemAt(tree.path(u"Library/Logs/b.txt"_s), u"b.txt"_s, 10));
    ASSERT_TRUE(TestSupport::waitFor([] { return !openPopovers().isEmpty(); }));
    QWidget* popup = openPopovers()[0];
    const QRegion mask = popup->mask();
    ASSERT_FALSE(mask.isEmpty());
    const QRect frame = popup->rect();
    for (const QPoint corner : {frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight()})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << ", " << corner.y();
    EXPECT_TRUE(mask.contains(frame.center()));
    // The arrow pointing at the anchor belongs to the shape.
    const QPoint tip = popup->mapFromGlobal(anchor->mapToGlobal(QPoint(8, 16))) + QPoint(0, 3);
    EXPECT_TRUE(mask.contains(tip)) << tip.x() << ", " << tip.y();
    popup->close();
}

TEST(ProvenanceCard, infoButtonOpensTheCardOfItsItem)
{
    const TempTree tree(u"Downloads/facture.pdf 10\n"_s);
    QWidget window;
    auto* button = new ProvenanceButton(itemAt(tree.path(u"Downloads/facture.pdf"_s), u"facture.pdf"_s, 10), &window);
    window.show();
    EXPECT_EQ(button->objectName(), u"provenanceButton"_s);
    EXPECT_EQ(button->toolTip(), u"D'où vient ce fichier"_s);

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(TestSupport::waitFor([] { return !openPopovers().isEmpty(); }));
    const auto* card = openPopovers()[0]->findChild<ProvenanceCard*>();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->item().name, u"facture.pdf"_s);
    EXPECT_EQ(card->provenance().kind, Kind::download);
    openPopovers()[0]->close();
}
