#include "Scan/SmartScan/SmartScanView.h"

#include "Look/BoxButton.h"
#include "Look/ElidedLabel.h"
#include "Look/NoticeBanner.h"
#include "Look/SpinnerRing.h"
#include "Look/StatTile.h"
#include "Look/Theme.h"
#include "Platform/FileOperations.h"
#include "Platform/SystemRoot.h"
#include "Scan/SmartScan/SmartScanFigures.h"
#include "Scan/SmartScan/SmartScanGroupSummary.h"
#include "Scanners/ModuleRegistry.h"
#include "ScopedEnvironment.h"
#include "ScreenFixture.h"
#include "TempTree.h"

#include <limits>
#include <vector>

#include <QLabel>
#include <QPointer>

using namespace Qt::StringLiterals;
using namespace ScreenTest;
using Phase = ScanViewModel::Phase;
using TestSupport::scanGroup;
using TestSupport::scanItem;

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

// Figures the test sets, and publishes as the monitor would.
class TestFigures final : public Modules::AppFigures
{
public:
    const SystemSnapshot& snapshot() const override { return reading; }
    bool hasFullDiskAccess() const override { return true; }
    qint64 totalFreedBytes() const override { return freed; }
    void onChanged(QObject* context, std::function<void()> changed) const override
    {
        listeners.emplace_back(context, std::move(changed));
    }

    void publish(const SystemSnapshot& next)
    {
        reading = next;
        for (const auto& [context, changed] : listeners) {
            if (context)
                changed();
        }
    }

    SystemSnapshot reading;
    qint64 freed = 0;
    mutable std::vector<std::pair<QPointer<QObject>, std::function<void()>>> listeners;
};

const QStringList kContents = {u"idleContent"_s,    u"scanningContent"_s, u"emptyContent"_s,
                               u"resultsContent"_s, u"cleaningContent"_s, u"finishedContent"_s};

class SmartScanViewTest : public Fixture
{
protected:
    void TearDown() override
    {
        smart.reset();
        Fixture::TearDown();
    }

    SmartScanView& showSmart(bool hasFullDiskAccess = true)
    {
        smart.reset();
        smart = std::make_unique<SmartScanView>(*model, hasFullDiskAccess, workspace, figures);
        smart->resize(1000, 900);
        smart->show();
        QCoreApplication::processEvents();
        return *smart;
    }

    // The one content the summary card shows; a failure when there is none or more than one.
    QString content() const
    {
        QStringList names;
        for (const QString& name : kContents) {
            if (shown(*smart, name))
                names.append(name);
        }
        EXPECT_EQ(names.size(), 1) << names.join(u", "_s).toStdString();
        return names.value(0);
    }

    bool groupSummaryShown() const { return shown(*smart, u"groupSummary"_s) != nullptr; }
    bool bannerShown() const { return shown(*smart, u"fullDiskAccessNotice"_s) != nullptr; }

    TestFigures figures;
    std::unique_ptr<SmartScanView> smart;
};

StatTile::Fields tile(const QList<StatTile::Fields>& tiles, const QString& label)
{
    for (const StatTile::Fields& fields : tiles) {
        if (fields.label == label)
            return fields;
    }
    ADD_FAILURE() << "no tile " << label.toStdString();
    return {};
}

} // namespace

TEST_F(SmartScanViewTest, theCardFollowsEveryPhaseWithTheWarningAlwaysAboveIt)
{
    for (const bool access : {false, true}) {
        SCOPED_TRACE(access);
        ScanViewModel& m = idleModel(ModuleID::smartScan);
        scanner->control()->groups = {scanGroup({scanItem(u"/gone/a"_s)})};
        SmartScanView& screen = showSmart(access);
        // Showing the screen starts nothing.
        QTest::qWait(20);
        EXPECT_FALSE(scanner->control()->started);
        EXPECT_EQ(m.phase(), Phase::idle);

        const auto expect = [&](const QString& card, bool summary) {
            EXPECT_EQ(content(), card);
            EXPECT_EQ(groupSummaryShown(), summary) << card.toStdString();
            EXPECT_EQ(bannerShown(), !access) << card.toStdString();
            EXPECT_NE(shown(*smart, u"storageTile"_s), nullptr);
            EXPECT_NE(shown(*smart, u"versionPill"_s), nullptr);
        };
        expect(u"idleContent"_s, false);
        EXPECT_EQ(labelText(screen, u"invitationText"_s),
                  u"Une passe sur les fichiers inutiles, les corbeilles et les menaces connues."_s);

        click(shown(screen, u"scanButton"_s));
        ASSERT_EQ(m.phase(), Phase::scanning);
        expect(u"scanningContent"_s, false);
        EXPECT_EQ(shown<ElidedLabel>(screen, u"scanStatus"_s)->text(), u"Préparation…"_s);
        click(shown(screen, u"cancelButton"_s));
        EXPECT_EQ(m.phase(), Phase::idle);
        expect(u"idleContent"_s, false);

        click(shown(screen, u"scanButton"_s));
        scanner->control()->release();
        ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
        expect(u"resultsContent"_s, true);
        EXPECT_EQ(labelText(screen, u"recoverableLine"_s), u"récupérables sur 1 élément"_s);

        click(shown(screen, u"cleanButton"_s));
        ASSERT_EQ(m.phase(), Phase::cleaning);
        expect(u"cleaningContent"_s, false);
        EXPECT_EQ(labelText(screen, u"cleaningPercent"_s), u"0 %"_s);
        EXPECT_EQ(shown<ElidedLabel>(screen, u"cleaningStatus"_s)->text(), u"Suppression…"_s);
        EXPECT_TRUE(allShown<QAbstractButton>(*shown(screen, u"cleaningContent"_s), QString()).isEmpty());
        ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
        expect(u"finishedContent"_s, false);
        EXPECT_EQ(labelText(screen, u"freedLine"_s), u"0 Ko libérés"_s);
        EXPECT_EQ(labelText(screen, u"ignoredLine"_s), u"<hidden>"_s);
        EXPECT_EQ(labelText(screen, u"safetyNetNotice"_s), u"<hidden>"_s);

        // Coming back builds the screen anew over the same model: the report stays.
        SmartScanView& again = showSmart(access);
        EXPECT_EQ(&again.model(), &m);
        expect(u"finishedContent"_s, false);

        scanner->control()->hold();
        scanner->control()->groups.clear();
        click(shown(again, u"newScanButton"_s));
        expect(u"scanningContent"_s, false);
        scanner->control()->release();
        ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));
        expect(u"emptyContent"_s, false);
        EXPECT_EQ(labelText(again, u"emptyMessage"_s), u"Rien à nettoyer pour l'instant."_s);

        scanner->control()->hold();
        click(shown(again, u"rescanButton"_s));
        EXPECT_EQ(m.phase(), Phase::scanning);
        scanner->control()->release();
        ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::results; }));

        if (!access) {
            auto* open = shown<QAbstractButton>(*shown(again, u"fullDiskAccessNotice"_s), u"noticeActionButton"_s);
            ASSERT_NE(open, nullptr);
            EXPECT_EQ(open->text(), u"Ouvrir les réglages"_s);
            EXPECT_EQ(labelText(again, u"noticeTitle"_s), u"Accès complet au disque non accordé"_s);
            EXPECT_EQ(labelText(again, u"noticeMessage"_s),
                      u"Les modules Mail, Confidentialité et une partie des caches resteront invisibles tant que "
                      u"l'autorisation n'est pas donnée dans Réglages Système › Confidentialité et sécurité."_s);
            click(open);
            EXPECT_EQ(workspace.opened,
                      QStringList{u"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"_s});
        }
    }
}

TEST_F(SmartScanViewTest, percentageAndStatusLineWhileScanningAndCleaning)
{
    EXPECT_EQ(SmartScanView::statusText(QString(), false), u"Analyse…"_s);
    EXPECT_EQ(SmartScanView::statusText(QString(), true), u"Suppression…"_s);
    EXPECT_EQ(SmartScanView::statusText(u"Inspection des corbeilles"_s, true), u"Inspection des corbeilles"_s);

    ScanViewModel& m = idleModel(ModuleID::smartScan);
    const QString longPath = u"~/Library/Caches/"_s + QString(300, u'x') + u"/fin"_s;
    scanner->control()->reports = {{0.999, QString()}};
    SmartScanView& screen = showSmart();
    m.scan();
    ASSERT_TRUE(waitFor([&] { return labelText(screen, u"scanPercent"_s) == u"99 %"_s; }));

    scanner->control()->release();
    scanner->control()->reports.clear();
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::idle || m.phase() == Phase::results; }));
    scanner->control()->hold();
    scanner->control()->reports = {{0.5, longPath}};
    m.scan();
    ASSERT_TRUE(waitFor([&] { return labelText(screen, u"scanPercent"_s) == u"50 %"_s; }));
    QCoreApplication::processEvents();
    auto* status = shown<ElidedLabel>(screen, u"scanStatus"_s);
    EXPECT_EQ(status->text(), longPath);
    EXPECT_LE(status->width(), SmartScanView::statusWidth);
    EXPECT_TRUE(status->shownText().startsWith(u"~/Library/Caches/"_s));
    EXPECT_TRUE(status->shownText().endsWith(u"/fin"_s));
    EXPECT_TRUE(status->shownText().contains(u'…'));
    EXPECT_LE(status->mapTo(&screen, QPoint(status->width(), 0)).x(), screen.width());
    scanner->control()->release();
}

TEST_F(SmartScanViewTest, theGroupBoxesChooseWhatTheCleanButtonCleans)
{
    const TempTree tree(u"a/one 10\na/two 10\nb/three 10\nc/four 10"_s);
    QList<ScanItem> first = {scanItem(tree.path(u"a/one"_s), false, 1000),
                             scanItem(tree.path(u"a/two"_s), false, 2000)};
    QList<ScanItem> second = {scanItem(tree.path(u"b/three"_s), false, 4000)};
    QList<ScanItem> third = {scanItem(tree.path(u"c/four"_s), false, 8000)};
    ScanGroup threats = scanGroup(third, ScanGroup::Metric::threats);
    ScanGroup empty = scanGroup({});
    ScanViewModel& m = scanned({scanGroup(first), scanGroup(second), threats, empty}, ModuleID::smartScan);
    SmartScanView& screen = showSmart();

    EXPECT_EQ(labelText(screen, u"gaugeValue"_s), u"0"_s);
    EXPECT_EQ(labelText(screen, u"gaugeUnit"_s), u"Ko"_s);
    EXPECT_EQ(labelText(screen, u"recoverableLine"_s), u"récupérables sur 4 éléments"_s);
    auto* clean = shown<QAbstractButton>(screen, u"cleanButton"_s);
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->text(), u"Tout nettoyer"_s);
    EXPECT_FALSE(clean->isEnabled());
    click(clean);
    EXPECT_EQ(m.phase(), Phase::results);

    const QList<QWidget*> rows = allShown(screen, u"groupRow"_s);
    ASSERT_EQ(rows.size(), 4);
    QStringList counts, sizes;
    for (QWidget* row : rows) {
        counts.append(labelText(*row, u"groupCount"_s));
        sizes.append(labelText(*row, u"groupSize"_s));
    }
    EXPECT_EQ(counts, (QStringList{u"2 éléments"_s, u"1 élément"_s, u"1 élément"_s, u"0 élément"_s}));
    // A group of threats still shows its byte sum; an empty group reads nothing, with an unchecked box.
    EXPECT_EQ(sizes, (QStringList{u"3 Ko"_s, u"4 Ko"_s, u"8 Ko"_s, u"0 Ko"_s}));
    EXPECT_EQ(shown<BoxButton>(*rows[3], u"groupCheckbox"_s)->state(), std::optional<bool>(false));

    // A partly selected group: its box selects all of it, then none.
    m.toggleItem(m.groups()[0].items[0].id, m.groups()[0].id);
    auto* box = shown<BoxButton>(*rows[0], u"groupCheckbox"_s);
    EXPECT_EQ(box->state(), std::nullopt);
    EXPECT_TRUE(clean->isEnabled());
    click(box);
    EXPECT_EQ(box->state(), std::optional<bool>(true));
    EXPECT_EQ(labelText(screen, u"gaugeValue"_s), u"3"_s);
    click(box);
    EXPECT_EQ(box->state(), std::optional<bool>(false));
    EXPECT_FALSE(clean->isEnabled());

    // Selecting the second group enables the button, which cleans exactly that group.
    click(shown(*rows[1], u"groupCheckbox"_s));
    EXPECT_TRUE(clean->isEnabled());
    EXPECT_EQ(labelText(screen, u"gaugeValue"_s), u"4"_s);
    click(clean);
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    EXPECT_FALSE(TestSupport::exists(tree.path(u"b/three"_s)));
    for (const char16_t* kept : {u"a/one", u"a/two", u"c/four"})
        EXPECT_TRUE(TestSupport::exists(tree.path(QString::fromUtf16(kept))));
    EXPECT_EQ(labelText(screen, u"freedLine"_s), u"4 Ko libérés"_s);
}

TEST_F(SmartScanViewTest, textsCountInTheSingularBelowTwo)
{
    const struct {
        qsizetype count;
        const char16_t* recoverable;
        const char16_t* ignored;
        const char16_t* group;
    } cases[] = {{0, u"récupérables sur 0 élément", u"0 élément ignoré", u"0 élément"},
                 {1, u"récupérables sur 1 élément", u"1 élément ignoré", u"1 élément"},
                 {2, u"récupérables sur 2 éléments", u"2 éléments ignorés", u"2 éléments"},
                 {3, u"récupérables sur 3 éléments", u"3 éléments ignorés", u"3 éléments"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SmartScanView::recoverableText(c.count), QString::fromUtf16(c.recoverable));
        EXPECT_EQ(SmartScanView::ignoredText(c.count), QString::fromUtf16(c.ignored));
        EXPECT_EQ(SmartScanGroupSummary::countText(c.count), QString::fromUtf16(c.group));
    }
}

TEST(SmartScanFigures, tilesTheirTintsThresholdsAndFractions)
{
    const auto reading = [](qint64 diskTotal, qint64 diskFree, qint64 memoryTotal, qint64 memoryUsed, double pressure,
                            double cpu) {
        SystemSnapshot s;
        s.diskTotal = diskTotal;
        s.diskFree = diskFree;
        s.memoryTotal = memoryTotal;
        s.memoryUsed = memoryUsed;
        s.memoryPressure = pressure;
        s.cpuLoad = cpu;
        return s;
    };
    const struct {
        SystemSnapshot snapshot;
        const char16_t* diskValue;
        const char16_t* diskDetail;
        bool coral;
        double diskFraction;
        const char16_t* memoryValue;
        bool amber;
        double memoryFraction;
        const char16_t* cpuValue;
    } cases[] = {
        // No reading yet.
        {reading(0, 0, 0, 0, 0, 0), u"0 Ko", u"libres sur 0 Ko", false, 0, u"0 %", false, 0, u"0 %"},
        // Exactly 90 % used and a pressure of exactly 0.75 keep their calm tints.
        {reading(1'000'000'000, 100'000'000, 1000, 290, 0.75, 0.999), u"100 Mo", u"libres sur 1 Go", false, 0.9,
         u"29 %", false, 0.29, u"99 %"},
        // One byte more used, a pressure just above: the warning tints, whatever the percentage.
        {reading(1'000'000'000, 99'999'999, 1000, 100, 0.7501, 1), u"100 Mo", u"libres sur 1 Go", true,
         900'000'001 / 1e9, u"10 %", true, 0.1, u"100 %"},
        // A huge disk exactly at the line, and one byte over it.
        {reading(kMax - kMax % 10, (kMax - kMax % 10) / 10, 0, 0, 0, 0), nullptr, nullptr, false, 0.9, u"0 %", false, 0,
         u"0 %"},
        {reading(kMax - kMax % 10, (kMax - kMax % 10) / 10 - 1, 0, 0, 0, 0), nullptr, nullptr, true, 0.9, u"0 %", false,
         0, u"0 %"},
        // More free than the total reads as an empty disk.
        {reading(100, 200, 8, 8, 1, 0.5), u"1 Ko", u"libres sur 1 Ko", false, 0, u"100 %", true, 1, u"50 %"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.snapshot.diskTotal);
        const QList<StatTile::Fields> tiles = SmartScanFigures::tiles(c.snapshot, 0, u"Mac14,2"_s);
        ASSERT_EQ(tiles.size(), 3);
        const StatTile::Fields disk = tiles[0];
        EXPECT_EQ(disk.symbol, u"internaldrive"_s);
        EXPECT_EQ(disk.label, u"Stockage"_s);
        if (c.diskValue) {
            EXPECT_EQ(disk.value, QString::fromUtf16(c.diskValue));
            EXPECT_EQ(disk.detail, QString::fromUtf16(c.diskDetail));
        }
        EXPECT_EQ(disk.tint, c.coral ? Theme::coral() : Theme::indigo());
        EXPECT_DOUBLE_EQ(disk.fraction.value_or(-1), c.diskFraction);

        const StatTile::Fields memory = tiles[1];
        EXPECT_EQ(memory.label, u"Mémoire"_s);
        EXPECT_EQ(memory.value, QString::fromUtf16(c.memoryValue));
        EXPECT_EQ(memory.tint, c.amber ? Theme::amber() : Theme::violet());
        EXPECT_DOUBLE_EQ(memory.fraction.value_or(-1), c.memoryFraction);

        const StatTile::Fields cpu = tiles[2];
        EXPECT_EQ(cpu.label, u"Processeur"_s);
        EXPECT_EQ(cpu.value, QString::fromUtf16(c.cpuValue));
        EXPECT_EQ(cpu.detail, u"Mac14,2"_s);
        EXPECT_EQ(cpu.tint, Theme::cyan());
    }
    EXPECT_EQ(tile(SmartScanFigures::tiles(reading(0, 0, 4096, 1024, 0, 0), 0, {}), u"Mémoire"_s).detail,
              u"1 Ko sur 4 Ko"_s);

    // The freed total's tile, only above 0.
    EXPECT_EQ(SmartScanFigures::tiles({}, -5, {}).size(), 3);
    const QList<StatTile::Fields> four = SmartScanFigures::tiles({}, 2'500'000, {});
    ASSERT_EQ(four.size(), 4);
    EXPECT_EQ(four[3].label, u"Depuis l'ouverture"_s);
    EXPECT_EQ(four[3].value, u"2,5 Mo"_s);
    EXPECT_EQ(four[3].detail, u"libérés au total"_s);
    EXPECT_EQ(four[3].tint, Theme::mint());
    EXPECT_FALSE(four[3].fraction.has_value());
}

// A reading of the monitor changes the figures in place and leaves the card alone: the spinner keeps turning.
TEST_F(SmartScanViewTest, aReadingUpdatesTheFiguresWithoutRebuildingTheCard)
{
    ScanViewModel& m = idleModel(ModuleID::smartScan);
    SmartScanView& screen = showSmart();
    m.scan();
    auto* spinner = screen.findChild<SpinnerRing*>();
    ASSERT_NE(spinner, nullptr);
    QWidget* card = screen.cardContent();
    auto* storage = shown<StatTile>(screen, u"storageTile"_s);
    ASSERT_NE(storage, nullptr);

    SystemSnapshot next;
    next.diskTotal = 1'000'000'000;
    next.diskFree = 50'000'000;
    next.cpuLoad = 0.42;
    figures.publish(next);
    QCoreApplication::processEvents();
    EXPECT_EQ(screen.findChild<SpinnerRing*>(), spinner);
    EXPECT_TRUE(spinner->isTurning());
    EXPECT_EQ(screen.cardContent(), card);
    EXPECT_EQ(shown<StatTile>(screen, u"storageTile"_s), storage);
    EXPECT_EQ(storage->fields().value, u"50 Mo"_s);
    EXPECT_EQ(storage->fields().tint, Theme::coral());
    EXPECT_EQ(shown<StatTile>(screen, u"processorTile"_s)->fields().value, u"42 %"_s);
    EXPECT_EQ(shown(screen, u"freedTile"_s), nullptr);

    // The freed total shows with the next reading, and with the model's own cleaning at once.
    figures.freed = 4096;
    figures.publish(next);
    ASSERT_NE(shown<StatTile>(screen, u"freedTile"_s), nullptr);
    EXPECT_EQ(shown<StatTile>(screen, u"freedTile"_s)->fields().value, u"4 Ko"_s);
    scanner->control()->release();
}

TEST_F(SmartScanViewTest, aFailedSafetyNetAndFailedItemsAreSaidInTheReport)
{
    const TestSupport::ScopedEnvironment noSnapshot("QUORVANE_TMUTIL_FAIL", u"1"_s);
    kit.preferences.setTakesSnapshotBeforeCleaning(true);
    QList<ScanItem> items;
    for (int i = 0; i < 3; ++i) {
        const QString locked = Platform::systemPath(u"/System/Library/locked-%1"_s.arg(i));
        ASSERT_FALSE(Platform::createFolder(locked).has_value());
        items.append(scanItem(locked));
    }
    ScanViewModel& m = scanned({scanGroup(items)}, ModuleID::smartScan);
    SmartScanView& screen = showSmart();
    click(shown(screen, u"cleanButton"_s));
    ASSERT_TRUE(waitFor([&] { return m.phase() == Phase::finished; }));
    QCoreApplication::processEvents();

    EXPECT_EQ(labelText(screen, u"freedLine"_s), u"0 Ko libérés"_s);
    EXPECT_EQ(labelText(screen, u"ignoredLine"_s), u"3 éléments ignorés"_s);
    ASSERT_TRUE(m.safetyNetNotice().has_value());
    auto* notice = shown<QLabel>(screen, u"safetyNetNotice"_s);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), *m.safetyNetNotice());
    EXPECT_EQ(notice->palette().color(QPalette::WindowText), Theme::amber());
    EXPECT_EQ(notice->font().pixelSize(), 11);
    const auto top = [&](const QString& name) { return shown(screen, name)->mapTo(&screen, QPoint(0, 0)).y(); };
    EXPECT_LT(top(u"ignoredLine"_s), top(u"safetyNetNotice"_s));
    EXPECT_LT(top(u"safetyNetNotice"_s), top(u"newScanButton"_s));

    // Which items stayed and why, as the module screens list them.
    EXPECT_LT(top(u"ignoredLine"_s), top(u"failureCard"_s));
    EXPECT_EQ(labelText(screen, u"failureHeader"_s), u"3 éléments n'ont pas pu être supprimés"_s);
    const QList<ElidedLabel*> lines = allShown<ElidedLabel>(screen, u"failureLine"_s);
    ASSERT_EQ(lines.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i]->text(), m.failures()[i]);
        EXPECT_TRUE(lines[i]->text().contains(u"locked-"_s + QString::number(i) + u" — "_s));
    }
    EXPECT_LE(notice->mapTo(&screen, QPoint(notice->width(), 0)).x(), screen.width());
}

// Sizes near the 64-bit limit and long titles stay within their frames at the smallest width the window gives.
TEST_F(SmartScanViewTest, hugeSizesAndLongTitlesStayWithinTheScreen)
{
    ScanGroup huge = scanGroup({scanItem(u"/gone/a"_s, true, kMax - 1), scanItem(u"/gone/b"_s, true, kMax - 1)});
    huge.title = u"Un titre de groupe bien plus long que la ligne qui doit le montrer, "_s + QString(120, u'x');
    ScanViewModel& m = scanned({huge}, ModuleID::smartScan);
    EXPECT_EQ(m.selectedBytes(), kMax);
    SmartScanView& screen = showSmart(false);
    screen.resize(700, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(labelText(screen, u"gaugeUnit"_s), u"To"_s);
    EXPECT_EQ(labelText(screen, u"groupSize"_s), u"9223372,04 To"_s);
    // The figure shrinks to stay inside its ring.
    auto* value = shown<QLabel>(screen, u"gaugeValue"_s);
    EXPECT_EQ(value->text(), u"9223372,04"_s);
    EXPECT_LT(QFontMetrics(value->font()).horizontalAdvance(value->text()),
              SmartScanView::ringSide - 2 * SmartScanView::ringLineWidth);
    auto* title = shown<ElidedLabel>(screen, u"groupTitle"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->shownText().endsWith(u'…'));
    for (const QWidget* text : screen.findChildren<QWidget*>()) {
        if ((qobject_cast<const QLabel*>(text) || qobject_cast<const ElidedLabel*>(text)) &&
            text->isVisibleTo(&screen)) {
            EXPECT_LE(text->mapTo(&screen, QPoint(text->width(), 0)).x(), screen.width())
                << text->objectName().toStdString();
        }
    }
}

TEST_F(SmartScanViewTest, withoutAModelTheModuleSaysItIsNotAvailable)
{
    std::unique_ptr<QWidget> screen(makeSmartScanScreen(nullptr, true, workspace, figures));
    screen->show();
    EXPECT_EQ(labelText(*screen, u"unavailableNotice"_s), u"Ce module n'est pas encore disponible."_s);
}
