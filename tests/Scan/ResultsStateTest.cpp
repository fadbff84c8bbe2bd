#include "Scan/Screen/ResultsState.h"

#include "Look/BoxButton.h"
#include "Look/DisclosureChevron.h"
#include "Look/ElidedLabel.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "Scan/Screen/GroupCard.h"
#include "Scan/Screen/ItemRow.h"
#include "Scan/Screen/SeverityChip.h"
#include "ScreenFixture.h"

#include <QAction>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

using namespace Qt::StringLiterals;
using namespace ScreenTest;
using ResultsStateTest = Fixture;
using Phase = ScanViewModel::Phase;
using TestSupport::scanGroup;
using TestSupport::scanItem;

namespace {

QList<ItemRow*> rowsOf(const QWidget& root)
{
    return allShown<ItemRow>(root, u"itemRow"_s);
}

ScanItem threatItem(const QString& path, ThreatSeverity severity, QStringList reasons = {})
{
    ScanItem item = scanItem(path, true, 4096, Removal::Mode::threat(std::nullopt));
    item.threat = Threat{severity, std::nullopt, std::move(reasons), std::nullopt};
    return item;
}

QList<ScanItem> numbered(int count)
{
    QList<ScanItem> items;
    for (int i = 0; i < count; ++i)
        items.append(scanItem(u"/gone/f%1"_s.arg(i), false));
    return items;
}

void hover(QWidget* row, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(row, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(row, &leave);
    }
}

} // namespace

TEST_F(ResultsStateTest, theSummaryBarTotalsTheSelectionAndOnlyCleansOne)
{
    ScanViewModel& m =
        scanned({scanGroup({scanItem(u"/gone/a"_s, false, 500'000), scanItem(u"/gone/b"_s, false, 1'000'000)})});
    ScanModuleView& screen = show();
    EXPECT_EQ(labelText(screen, u"summaryFigure"_s), u"0"_s);
    EXPECT_EQ(labelText(screen, u"summaryUnit"_s), u"Ko"_s);
    EXPECT_EQ(labelText(screen, u"summaryCaption"_s), u"sélectionnés sur 1,5 Mo trouvés"_s);
    EXPECT_EQ(labelText(screen, u"selectionCount"_s), u"0 élément"_s);
    auto* clean = shown<StyledButton>(screen, u"cleanButton"_s);
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->text(), u"Nettoyer"_s);
    EXPECT_FALSE(clean->isEnabled());
    const auto& inert = std::get<PrimaryButtonStyle>(clean->buttonStyle());
    EXPECT_FALSE(inert.isEnabled);
    EXPECT_EQ(inert.gradient.stops(), Theme::dangerGradient().stops());
    click(clean);
    EXPECT_EQ(m.phase(), Phase::results);

    const QList<BoxButton*> boxes = allShown<BoxButton>(screen, u"itemCheckbox"_s);
    ASSERT_EQ(boxes.size(), 2);
    click(boxes[0]);
    EXPECT_EQ(labelText(screen, u"summaryFigure"_s), u"500"_s);
    EXPECT_EQ(labelText(screen, u"summaryUnit"_s), u"Ko"_s);
    EXPECT_EQ(labelText(screen, u"selectionCount"_s), u"1 élément"_s);
    click(boxes[1]);
    EXPECT_EQ(labelText(screen, u"summaryFigure"_s), u"1,5"_s);
    EXPECT_EQ(labelText(screen, u"summaryUnit"_s), u"Mo"_s);
    EXPECT_EQ(labelText(screen, u"selectionCount"_s), u"2 éléments"_s);
    EXPECT_EQ(labelText(screen, u"summaryCaption"_s), u"sélectionnés sur 1,5 Mo trouvés"_s);
    EXPECT_TRUE(clean->isEnabled());
    const auto& ready = std::get<PrimaryButtonStyle>(clean->buttonStyle());
    EXPECT_TRUE(ready.isEnabled);
    EXPECT_EQ(ready.gradient.stops(), Theme::accentGradient().stops());
    click(clean);
    EXPECT_EQ(m.phase(), Phase::cleaning);
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
}

TEST_F(ResultsStateTest, aThreatResultCountsThreatsAndAMixedOneCountsBytes)
{
    const struct {
        int items;
        int selected;
        const char16_t* figure;
        const char16_t* unit;
        const char16_t* caption;
    } cases[] = {{1, 1, u"1", u"menace", u"sélectionnée sur 1 détectée"},
                 {3, 2, u"2", u"menaces", u"sélectionnées sur 3 détectées"},
                 {1, 0, u"0", u"menace", u"sélectionnée sur 1 détectée"},
                 {3, 1, u"1", u"menace", u"sélectionnée sur 3 détectées"}};
    for (const auto& c : cases) {
        QList<ScanItem> threats;
        for (int i = 0; i < c.items; ++i) {
            threats.append(threatItem(u"/gone/t%1"_s.arg(i), ThreatSeverity::likely));
            threats.last().isSelected = i < c.selected;
        }
        scanned({scanGroup(threats, ScanGroup::Metric::threats)}, ModuleID::malware);
        ScanModuleView& screen = show();
        EXPECT_EQ(labelText(screen, u"summaryFigure"_s), QString::fromUtf16(c.figure));
        EXPECT_EQ(labelText(screen, u"summaryUnit"_s), QString::fromUtf16(c.unit));
        EXPECT_EQ(labelText(screen, u"summaryCaption"_s), QString::fromUtf16(c.caption));
        EXPECT_EQ(shown(screen, u"selectionCount"_s), nullptr);
        EXPECT_EQ(shown(screen, u"cleanButton"_s)->isEnabled(), c.selected > 0);
    }

    scanned({scanGroup({scanItem(u"/gone/a"_s, true, 2'000'000)}),
             scanGroup({threatItem(u"/gone/t"_s, ThreatSeverity::confirmed)}, ScanGroup::Metric::threats)});
    ScanModuleView& mixed = show();
    EXPECT_EQ(labelText(mixed, u"summaryFigure"_s), u"2"_s);
    EXPECT_EQ(labelText(mixed, u"summaryCaption"_s), u"sélectionnés sur 2 Mo trouvés"_s);
    EXPECT_EQ(labelText(mixed, u"selectionCount"_s), u"2 éléments"_s);
}

TEST_F(ResultsStateTest, groupHeadersCountEveryItemByTheGroupsMetric)
{
    ScanGroup noted = scanGroup({scanItem(u"/gone/a"_s, true, 0)});
    noted.note = u"Recréés au besoin."_s;
    scanned({scanGroup({}), scanGroup({}, ScanGroup::Metric::threats), noted,
             scanGroup(
                 {threatItem(u"/gone/t1"_s, ThreatSeverity::likely), threatItem(u"/gone/t2"_s, ThreatSeverity::likely)},
                 ScanGroup::Metric::threats),
             scanGroup({scanItem(u"/gone/b"_s, false, 400'000), scanItem(u"/gone/c"_s, false, 600'000)})});
    ScanModuleView& screen = show();
    const QList<GroupCard*> cards = allShown<GroupCard>(screen, u"groupCard"_s);
    ASSERT_EQ(cards.size(), 5);
    const struct {
        const char16_t* count; // empty: not shown
        const char16_t* figure;
        bool note;
    } expected[] = {{u"0 élément", u"0 Ko", false},
                    {u"", u"0 menace", false},
                    {u"1 élément", u"0 Ko", true},
                    {u"", u"2 menaces", false},
                    {u"2 éléments", u"1 Mo", false}};
    for (int i = 0; i < 5; ++i) {
        const QString count = QString::fromUtf16(expected[i].count);
        EXPECT_EQ(labelText(*cards[i], u"groupCount"_s), count.isEmpty() ? u"<hidden>"_s : count) << i;
        EXPECT_EQ(labelText(*cards[i], u"groupFigure"_s), QString::fromUtf16(expected[i].figure)) << i;
        EXPECT_EQ(shown(*cards[i], u"groupNote"_s) != nullptr, expected[i].note) << i;
        if (i < 2) {
            EXPECT_EQ(cards[i]->rowCount(), 0) << i;
        }
    }
    EXPECT_EQ(shown<BoxButton>(*cards[0], u"groupCheckbox"_s)->state(), std::optional<bool>(false));
    EXPECT_NE(shown(*cards[0], u"groupDivider"_s), nullptr); // expanded with nothing under it
    EXPECT_EQ(shown<BoxButton>(*cards[0], u"groupCheckbox"_s)->tint(),
              shown<BoxButton>(*cards[4], u"groupCheckbox"_s)->tint());
    EXPECT_EQ(shown<BoxButton>(*cards[0], u"groupCheckbox"_s)->tint(), Theme::tint(ModuleID::systemJunk));
}

// On a narrow screen a group's title keeps one line and ends in "…"; its note and the summary's caption wrap.
TEST_F(ResultsStateTest, aNarrowScreenShortensGroupTitlesAndWrapsTheirNotes)
{
    ScanGroup group = scanGroup({scanItem(u"/gone/a"_s, true, 4096)});
    group.title = u"Caches d'applications, de leurs extensions, de leurs assistants et de leurs services d'arrière-"
                  u"plan installés par chaque utilisateur"_s;
    group.note = u"Régénérés au prochain lancement de chaque app, sans rien perdre de ce que vous y avez fait ni de "
                 u"vos réglages : seule la première ouverture sera un peu plus lente."_s;
    scanned({group});
    ScanModuleView& screen = show();
    screen.resize(640, 640);
    // The narrower layout has reached the group's title once it is shortened.
    ASSERT_TRUE(waitFor([&] {
        auto* laidOut = shown<GroupCard>(screen, u"groupCard"_s);
        auto* shortened = laidOut ? shown<ElidedLabel>(*laidOut, u"groupTitle"_s) : nullptr;
        return shortened && shortened->shownText().endsWith(u'…');
    }));
    auto* card = shown<GroupCard>(screen, u"groupCard"_s);
    ASSERT_NE(card, nullptr);

    auto* title = shown<ElidedLabel>(*card, u"groupTitle"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->shownText().endsWith(u'…')) << title->shownText().toStdString();
    EXPECT_LE(QFontMetricsF(title->font()).horizontalAdvance(title->shownText()), title->width());
    EXPECT_LE(title->mapTo(card, QPoint(title->width(), 0)).x(), card->width());

    for (const QString& name : {u"groupNote"_s, u"summaryCaption"_s}) {
        auto* label = shown<QLabel>(screen, name);
        ASSERT_NE(label, nullptr) << name.toStdString();
        EXPECT_TRUE(label->wordWrap()) << name.toStdString();
        EXPECT_LE(label->mapTo(&screen, QPoint(label->width(), 0)).x(), screen.width()) << name.toStdString();
    }
    auto* note = shown<QLabel>(*card, u"groupNote"_s);
    EXPECT_GE(note->height(), 2 * QFontMetrics(note->font()).lineSpacing());
}

TEST_F(ResultsStateTest, aPartlySelectedGroupShowsTheMixedBoxWhichSelectsAllThenNone)
{
    ScanViewModel& m = scanned(
        {scanGroup({scanItem(u"/gone/a"_s, true), scanItem(u"/gone/b"_s, false), scanItem(u"/gone/c"_s, false)})});
    ScanModuleView& screen = show();
    auto* card = shown<GroupCard>(screen, u"groupCard"_s);
    auto* box = shown<BoxButton>(*card, u"groupCheckbox"_s);
    EXPECT_EQ(box->state(), std::nullopt);

    click(box);
    EXPECT_EQ(box->state(), std::optional<bool>(true));
    EXPECT_EQ(m.selectedCount(), 3);
    EXPECT_TRUE(m.groups()[0].isExpanded);
    click(box);
    EXPECT_EQ(box->state(), std::optional<bool>(false));
    EXPECT_EQ(m.selectedCount(), 0);
    EXPECT_TRUE(m.groups()[0].isExpanded);

    // A click on the header's text reaches the header, which folds the group.
    auto* chevron = shown<DisclosureChevron>(*card, u"groupChevron"_s);
    EXPECT_TRUE(chevron->isExpanded());
    EXPECT_EQ(rowsOf(*card).size(), 3);
    click(shown(*card, u"groupTitle"_s));
    EXPECT_FALSE(m.groups()[0].isExpanded);
    EXPECT_FALSE(chevron->isExpanded());
    EXPECT_TRUE(rowsOf(*card).isEmpty());
    click(shown(*card, u"groupFigure"_s));
    EXPECT_TRUE(m.groups()[0].isExpanded);
    EXPECT_EQ(rowsOf(*card).size(), 3);
    EXPECT_EQ(m.selectedCount(), 0);
}

TEST_F(ResultsStateTest, rowsStopAtTwoHundredAndTheOverflowLineCountsTheRest)
{
    const struct {
        int items;
        const char16_t* overflow; // empty: no line
    } cases[] = {{200, u""},
                 {201, u"… et 1 éléments supplémentaires, inclus dans la sélection."},
                 {1000, u"… et 800 éléments supplémentaires, inclus dans la sélection."}};
    for (const auto& c : cases) {
        ScanViewModel& m = scanned({scanGroup(numbered(c.items))});
        ScanModuleView& screen = show();
        QCoreApplication::processEvents();
        auto* card = shown<GroupCard>(screen, u"groupCard"_s);
        EXPECT_EQ(card->rowCount(), GroupCard::rowCap);
        const QString overflow = QString::fromUtf16(c.overflow);
        EXPECT_EQ(labelText(*card, u"overflowLine"_s), overflow.isEmpty() ? u"<hidden>"_s : overflow);
        // Only rows near the visible part of the list exist.
        EXPECT_GT(card->builtRows().size(), 0);
        EXPECT_LT(card->builtRows().size(), 100);

        QScrollBar* scroll = shown<ResultsState>(screen, u"resultsState"_s)->list()->verticalScrollBar();
        scroll->setValue(scroll->maximum());
        const QList<ItemRow*> rows = rowsOf(*card);
        ASSERT_FALSE(rows.isEmpty());
        EXPECT_EQ(rows.last()->item().name, u"f199"_s);
        EXPECT_FALSE(rows.first()->item().name == u"f0"_s);

        if (c.items == 1000) {
            click(shown(*card, u"groupCheckbox"_s));
            EXPECT_EQ(m.selectedCount(), 1000);
            EXPECT_EQ(labelText(screen, u"selectionCount"_s), u"1000 éléments"_s);
        }
    }
}

TEST_F(ResultsStateTest, anItemRowShowsWhatTheItemIsAndWhereTheEngineSendsIt)
{
    bool writable = true;
    kit.access.setRule([&writable](const QString&) { return writable; });
    ScanItem probable = threatItem(u"/gone/agent.plist"_s, ThreatSeverity::likely, {u"Un"_s, u"Deux"_s, u"Trois"_s});
    probable.isRisky = true;
    ScanItem confirmed = threatItem(u"/gone/daemon.plist"_s, ThreatSeverity::confirmed);
    ScanItem risky = scanItem(u"/gone/Messages"_s, false, 0);
    risky.isRisky = true;
    risky.detail = u"~/Library/Messages"_s;
    ScanItem negative = scanItem(u"/gone/odd"_s, false, -5);
    scanned({scanGroup({probable, confirmed}, ScanGroup::Metric::threats), scanGroup({risky, negative})},
            ModuleID::malware);
    ScanModuleView& screen = show();
    QList<ItemRow*> rows = rowsOf(screen);
    ASSERT_EQ(rows.size(), 4);

    auto* chip = shown<SeverityChip>(*rows[0], u"severityChip"_s);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->severity(), ThreatSeverity::likely);
    EXPECT_EQ(shown(*rows[0], u"riskyMark"_s), nullptr); // the chip wins over the personal-data mark
    EXPECT_EQ(shown<BoxButton>(*rows[0], u"itemCheckbox"_s)->tint(), Theme::amber());
    EXPECT_EQ(labelText(*rows[0], u"itemRoute"_s), u"corbeille"_s);
    EXPECT_EQ(labelText(*rows[0], u"itemSize"_s), u"<hidden>"_s);
    EXPECT_EQ(rows[0]->toolTip(), u"Un\nDeux\nTrois"_s);
    EXPECT_EQ(shown(*rows[0], u"itemRoute"_s)->toolTip(), u"Un\nDeux\nTrois"_s);

    EXPECT_EQ(shown<SeverityChip>(*rows[1], u"severityChip"_s)->severity(), ThreatSeverity::confirmed);
    EXPECT_EQ(shown<BoxButton>(*rows[1], u"itemCheckbox"_s)->tint(), Theme::tint(ModuleID::malware));
    EXPECT_EQ(rows[1]->toolTip(), QString());

    EXPECT_EQ(shown(*rows[2], u"severityChip"_s), nullptr);
    ASSERT_NE(shown(*rows[2], u"riskyMark"_s), nullptr);
    EXPECT_EQ(shown(*rows[2], u"riskyMark"_s)->toolTip(),
              u"Contient des données personnelles — à cocher en connaissance de cause."_s);
    EXPECT_EQ(labelText(*rows[2], u"itemSize"_s), u"0 Ko"_s);
    EXPECT_EQ(shown<ElidedLabel>(*rows[2], u"itemDetail"_s)->text(), u"~/Library/Messages"_s);
    EXPECT_EQ(labelText(*rows[3], u"itemSize"_s), u"0 Ko"_s);
    EXPECT_EQ(shown(*rows[3], u"itemDetail"_s), nullptr);
    EXPECT_LT(rows[3]->height(), rows[2]->height());

    // Where a threat goes is asked again at each redraw.
    writable = false;
    model->setAllSelected(true);
    EXPECT_EQ(labelText(*rowsOf(screen)[0], u"itemRoute"_s), u"définitif"_s);

    const struct {
        ThreatSeverity severity;
        const char16_t* text;
        QColor color;
    } chips[] = {{ThreatSeverity::suspicious, u"À vérifier", Theme::amber()},
                 {ThreatSeverity::likely, u"Probable", Theme::orange()},
                 {ThreatSeverity::confirmed, u"Confirmé", QColor::fromRgbF(0.87f, 0.26f, 0.31f)}};
    for (const auto& c : chips) {
        EXPECT_EQ(SeverityChip::text(c.severity), QString::fromUtf16(c.text));
        EXPECT_EQ(SeverityChip::color(c.severity), c.color);
    }
}

TEST_F(ResultsStateTest, rowActionsRevealExcludeAndOpenTheProvenanceOnceTheScreenCan)
{
    ScanViewModel& m = scanned({scanGroup({scanItem(u"/gone/a"_s, false), scanItem(u"/gone/b"_s, false)})});
    ScanModuleView& screen = show();
    ItemRow* row = rowsOf(screen).value(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(shown(*row, u"revealButton"_s), nullptr);
    hover(row, true);
    EXPECT_EQ(shown(*row, u"provenanceButton"_s), nullptr); // no card to open yet
    click(shown(*row, u"revealButton"_s));
    EXPECT_EQ(workspace.revealed, QStringList{u"/gone/a"_s});
    hover(row, false);
    EXPECT_EQ(shown(*row, u"revealButton"_s), nullptr);

    QWidget* anchor = nullptr;
    QString opened;
    screen.setProvenanceOpener([&](QWidget* from, const ScanItem& item) {
        anchor = from;
        opened = item.url;
    });
    hover(row, true);
    auto* info = shown(*row, u"provenanceButton"_s);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->toolTip(), u"D'où vient ce fichier"_s);
    click(info);
    EXPECT_EQ(anchor, info);
    EXPECT_EQ(opened, u"/gone/a"_s);

    click(shown(*row, u"itemCheckbox"_s));
    EXPECT_TRUE(m.groups()[0].items[0].isSelected);

    // The menu works without hovering.
    hover(row, false);
    std::unique_ptr<QMenu> menu(row->makeContextMenu(nullptr));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), u"Afficher dans le Finder"_s);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), u"Exclure de toutes les analyses"_s);
    actions[0]->trigger();
    EXPECT_EQ(workspace.revealed.size(), 2);
    actions[2]->trigger();
    ASSERT_EQ(m.totalItemCount(), 1);
    EXPECT_EQ(m.groups()[0].items[0].url, u"/gone/b"_s);
    const QList<ItemRow*> left = rowsOf(screen);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0]->item().url, u"/gone/b"_s);
}
