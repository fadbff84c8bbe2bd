#include "Developer/XcodeView.h"
#include "Developer/XcodeRows.h"
#include "Developer/XcodeViewModel.h"

#include "QtPrinters.h"

#include "Look/ElidedLabel.h"
#include "Look/StatTile.h"
#include "Look/StyledButton.h"
#include "Look/Theme.h"
#include "SimulatorFixtures.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;
using namespace SimulatorFixtures;

namespace {

XcodeService::Device device(const QString& state, bool available, std::optional<QDateTime> lastUsed)
{
    XcodeService::Device d;
    d.id = u"U"_s;
    d.name = u"iPhone"_s;
    d.runtimeName = u"iOS 17.2"_s;
    d.state = state;
    d.isAvailable = available;
    d.lastUsed = lastUsed;
    return d;
}

XcodeService::Runtime runtime(int devices, bool deletable)
{
    XcodeService::Runtime r;
    r.id = u"R"_s;
    r.name = u"iOS 17.2"_s;
    r.build = u"21C62"_s;
    r.deviceCount = devices;
    r.isDeletable = deletable;
    return r;
}

struct Screen {
    Screen() : model(new XcodeViewModel(services.services)), view(*model)
    {
        model->setParent(&view);
        view.resize(900, 800);
        view.show();
    }
    QString page() const { return view.findChild<QStackedWidget*>()->currentWidget()->objectName(); }
    QWidget* pageWidget() const { return view.findChild<QStackedWidget*>()->currentWidget(); }
    const StatTile::Fields& tile(const QString& name) const { return view.findChild<StatTile*>(name)->fields(); }
    StyledButton* button(const QString& name) const { return view.findChild<StyledButton*>(name); }
    QString selectionText() const { return view.findChild<QLabel*>(u"selectionText"_s)->text(); }
    QList<SelectableRow*> rows(const QString& name) const { return view.findChildren<SelectableRow*>(name); }
    SelectableRow* row(const QString& name, const QString& title) const
    {
        for (SelectableRow* candidate : rows(name)) {
            if (candidate->findChild<ElidedLabel*>(u"rowTitle"_s)->text() == title)
                return candidate;
        }
        return nullptr;
    }
    QStringList shownFailures() const
    {
        QStringList lines;
        for (QLabel* label : view.findChildren<QLabel*>(u"failureLineText"_s)) {
            if (label->isVisibleTo(&view))
                lines.append(label->text());
        }
        return lines;
    }
    void waitLoaded() const
    {
        ASSERT_TRUE(waitFor([&] { return model->hasLoaded() && !model->isLoading(); }));
        TestSupport::settle(); // the rows are built once the list is laid out
    }

    TestSupport::TestServices services;
    XcodeViewModel* model;
    XcodeView view;
};

// A click on the blank middle of a row, away from the box and the texts.
void clickBlank(SelectableRow* row)
{
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() / 2 + 40, row->height() - 3));
}

} // namespace

TEST(XcodeTexts, rowsAndFooterWording)
{
    using namespace XcodeTexts;
    EXPECT_EQ(byteText(0), u"0 Ko"_s);
    EXPECT_EQ(byteText(-5), u"0 Ko"_s);
    EXPECT_EQ(countText(0, u"appareil"_s, u"appareils"_s), u"0 appareil"_s);
    EXPECT_EQ(countText(2, u"version"_s, u"versions"_s), u"2 versions"_s);
    EXPECT_EQ(selectionText(0, 100), u"Rien de sélectionné"_s);
    EXPECT_EQ(selectionText(1, 0), u"1 élément sélectionné · 0 Ko"_s);
    EXPECT_EQ(selectionText(2, 1500000), u"2 éléments sélectionnés · 1,5 Mo"_s);
    EXPECT_EQ(freedText(-1), u"0 Ko récupérés."_s);

    const struct {
        const char* what;
        XcodeService::Device device;
        QStringList labels;
        QString detail;
    } devices[] = {
        {"booted in any case, unavailable",
         device(u"bOoTeD"_s, false, std::nullopt),
         {u"allumé"_s, u"runtime absent"_s},
         u"iOS 17.2 · jamais utilisé"_s},
        {"the default state",
         device(u"Unknown"_s, true, QDateTime::currentDateTimeUtc().addDays(-3)),
         {},
         u"iOS 17.2 · utilisé il y a 3 jours"_s},
    };
    for (const auto& c : devices) {
        EXPECT_EQ(deviceLabels(c.device), c.labels) << c.what;
        EXPECT_EQ(deviceDetail(c.device), c.detail) << c.what;
        EXPECT_EQ(isBooted(c.device.state), !c.labels.isEmpty()) << c.what;
    }

    const struct {
        int devices;
        bool deletable;
        std::optional<QString> label;
    } runtimes[] = {
        {1, false, u"1 appareil"_s}, {2, true, u"2 appareils"_s}, {0, false, u"fournie par Xcode"_s}, {0, true, {}}};
    for (const auto& c : runtimes)
        EXPECT_EQ(runtimeLabel(runtime(c.devices, c.deletable)), c.label) << c.devices << c.deletable;
    EXPECT_EQ(runtimeTitle(runtime(0, true)), u"iOS 17.2 (21C62)"_s);
    EXPECT_EQ(runtimeDetail(runtime(0, true)), u"jamais utilisée"_s);

    const XcodeService::Archive undated{TestSupport::home() + u"/Library/Developer/Xcode/Archives/d/A.xcarchive"_s,
                                        u"A"_s, std::nullopt, 1};
    EXPECT_EQ(archiveDetail(undated), u"~/Library/Developer/Xcode/Archives/d/A.xcarchive"_s);
}

TEST(XcodeScreen, statesFollowWhatTheMacHolds)
{
    reset();
    const QString tool = TestSupport::systemRoot() + u"/usr/bin/xcrun"_s;
    ASSERT_TRUE(QFile::rename(tool, tool + u"-off"_s));
    {
        Screen screen;
        EXPECT_EQ(screen.page(), u"loadingState"_s);
        screen.waitLoaded();
        EXPECT_EQ(screen.pageWidget()->findChild<QWidget*>(u"noToolsState"_s) != nullptr, true);
        EXPECT_FALSE(screen.button(u"recommendedButton"_s)->isVisibleTo(&screen.view));
    }
    // No tools but one archive: the archives alone, the other tiles at zero.
    addArchive(u"2024-01-01"_s, u"Carnet"_s, 5000, 10);
    {
        Screen screen;
        screen.waitLoaded();
        EXPECT_EQ(screen.page(), u"inventoryState"_s);
        ASSERT_EQ(screen.view.sections().size(), 1);
        EXPECT_EQ(screen.tile(u"devicesTile"_s).value, u"0 Ko"_s);
        EXPECT_EQ(screen.tile(u"devicesTile"_s).detail, u"0 appareil"_s);
        EXPECT_EQ(screen.tile(u"runtimesTile"_s).detail, u"0 version"_s);
        EXPECT_EQ(screen.tile(u"archivesTile"_s).detail, u"1 archive"_s);
        EXPECT_NE(screen.tile(u"archivesTile"_s).value, u"0 Ko"_s);
        EXPECT_TRUE(screen.button(u"recommendedButton"_s)->isVisibleTo(&screen.view));
    }
    ASSERT_TRUE(QFile::rename(tool + u"-off"_s, tool));
    ASSERT_TRUE(QDir(TestSupport::home() + u"/Library/Developer"_s).removeRecursively());
    {
        Screen screen;
        screen.waitLoaded();
        EXPECT_NE(screen.pageWidget()->findChild<QWidget*>(u"nothingState"_s), nullptr);
        EXPECT_FALSE(screen.button(u"recommendedButton"_s)->isVisibleTo(&screen.view));
    }
}

TEST(XcodeScreen, rowsTakeClicksAsTheirItemAllowsAndFailuresShowThree)
{
    reset();
    addRuntime(u"RT-KEPT"_s, u"17.2"_s, u"21C62"_s, false, 5000, std::nullopt);
    addDevice(udid(u"BOOTED"_s), u"Allumé"_s, u"17.2"_s, u"Booted"_s, 9000, 1);
    for (int i = 1; i <= 5; ++i)
        addDevice(udid(u"D%1"_s.arg(i)), u"iPhone %1"_s.arg(i), u"17.2"_s, u"Shutdown"_s, 1000 * i, 2);
    Screen screen;
    screen.waitLoaded();
    ASSERT_EQ(screen.rows(u"deviceRow"_s).size(), 6);
    EXPECT_EQ(screen.selectionText(), u"Rien de sélectionné"_s);
    EXPECT_FALSE(screen.button(u"removeButton"_s)->isEnabled());
    EXPECT_FALSE(screen.button(u"selectNoneButton"_s)->isVisibleTo(&screen.view));

    SelectableRow* booted = screen.row(u"deviceRow"_s, u"Allumé"_s);
    ASSERT_NE(booted, nullptr);
    EXPECT_DOUBLE_EQ(booted->boxOpacity(), SelectableRow::disabledBoxOpacity);
    clickBlank(booted);
    EXPECT_TRUE(screen.model->selectedDevices().isEmpty());
    SelectableRow* kept = screen.row(u"runtimeRow"_s, u"iOS 17.2 (21C62)"_s);
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->isRowEnabled()) << "a runtime Xcode keeps cannot be chosen";
    clickBlank(kept);
    EXPECT_TRUE(screen.model->selectedRuntimes().isEmpty());

    SelectableRow* first = screen.row(u"deviceRow"_s, u"iPhone 1"_s);
    ASSERT_NE(first, nullptr);
    EXPECT_DOUBLE_EQ(first->boxOpacity(), 1.0);
    clickBlank(first);
    EXPECT_EQ(screen.model->selectedDevices(), QSet<QString>{udid(u"D1"_s)});
    EXPECT_TRUE(screen.row(u"deviceRow"_s, u"iPhone 1"_s)->isSelected());
    EXPECT_TRUE(screen.selectionText().startsWith(u"1 élément sélectionné · "_s))
        << screen.selectionText().toStdString();
    EXPECT_TRUE(screen.button(u"removeButton"_s)->isEnabled());
    for (int i = 2; i <= 5; ++i)
        clickBlank(screen.row(u"deviceRow"_s, u"iPhone %1"_s.arg(i)));
    EXPECT_TRUE(screen.selectionText().startsWith(u"5 éléments sélectionnés · "_s));

    // A tool that refuses every deletion without a word: five failures, three lines.
    const QString tool = TestSupport::systemRoot() + u"/usr/bin/xcrun"_s;
    ASSERT_TRUE(QFile::rename(tool, tool + u"-real"_s));
    writeFile(tool, "#!/bin/sh\ncase \"$2\" in delete) exit 1 ;; esac\nexec \"$0-real\" \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QTest::mouseClick(screen.button(u"removeButton"_s), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !screen.model->isWorking() && !screen.model->isLoading(); }));
    ASSERT_TRUE(QFile::remove(tool));
    ASSERT_TRUE(QFile::rename(tool + u"-real"_s, tool));
    EXPECT_EQ(screen.model->failures().size(), 5);
    EXPECT_EQ(screen.shownFailures(), screen.model->failures().mid(0, XcodeView::shownFailures));
    EXPECT_EQ(screen.shownFailures().first(), u"iPhone 5 — Refusé par simctl."_s);
    EXPECT_EQ(screen.selectionText(), u"Rien de sélectionné"_s);
    EXPECT_FALSE(screen.view.findChild<QWidget*>(u"resultLine"_s)->isVisibleTo(&screen.view));
}

// Hundreds of simulators: rows exist only for the band asked for, and leave when it moves on.
TEST(XcodeScreen, sectionsBuildOnlyTheRowsInView)
{
    int made = 0;
    XcodeSection section(
        u"Appareils simulés"_s, u"note"_s, u"iphone"_s, Theme::sky(), 500,
        [&](int i) {
            ++made;
            XcodeService::Device d = device(u"Shutdown"_s, true, std::nullopt);
            d.name = u"iPhone %1"_s.arg(i);
            return makeDeviceRow(d, false, [] {});
        },
        [](int) { return false; });
    section.resize(700, section.sizeHint().height());
    section.show();
    EXPECT_GE(section.height(), 500 * XcodeSection::rowHeight());
    section.showBand(0, 600);
    const int firstBand = made;
    EXPECT_GT(firstBand, 0);
    EXPECT_LE(firstBand, 600 / XcodeSection::rowHeight() + 1);
    section.showBand(20000, 20600);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LE(section.builtRows().size(), 600 / XcodeSection::rowHeight() + 2);
    EXPECT_LE(made, 2 * firstBand + 2);
}

// The list scrolls exactly as far as its last section: the notes' width-free size hints once left an empty band
// under it.
TEST(XcodeScreen, theListEndsWithItsLastSection)
{
    reset();
    addRuntime(u"RT"_s, u"17.2"_s, u"21C62"_s, true, 5000, 3);
    for (int i = 1; i <= 12; ++i)
        addDevice(udid(u"D%1"_s.arg(i)), u"iPhone %1"_s.arg(i), u"17.2"_s, u"Shutdown"_s, 1000 * i, 2);
    addArchive(u"2024-01-01"_s, u"Carnet"_s, 5000, 10);
    Screen screen;
    screen.waitLoaded();
    auto* scroll = screen.view.findChild<QScrollArea*>(u"sectionList"_s);
    ASSERT_NE(scroll, nullptr);
    ASSERT_EQ(screen.view.sections().size(), 3);
    // The list's layout settles through posted events, later under load.
    const auto end = [&] { return screen.view.sections().last()->geometry().bottom() + 1; };
    ASSERT_TRUE(TestSupport::waitFor([&] { return end() > scroll->viewport()->height(); }))
        << "the fixture must overflow the list";
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(scroll->widget()->height(), end());
}

// What a run removed leaves the list and the tiles at once; while the inventory is read again the list says so and
// takes no ticks, then it stands as read.
TEST(XcodeScreen, aRunsRemovalsLeaveAtOnceAndTheReloadShowsWhileItRuns)
{
    reset();
    addDevice(udid(u"GONE"_s), u"Ancien"_s, u"17.2"_s, u"Shutdown"_s, 30000, 400);
    addDevice(udid(u"KEPT"_s), u"Récent"_s, u"17.2"_s, u"Shutdown"_s, 20000, 2);
    Screen screen;
    screen.waitLoaded();
    EXPECT_EQ(screen.tile(u"devicesTile"_s).detail,
              std::optional<QString>(XcodeTexts::countText(2, u"appareil"_s, u"appareils"_s)));
    auto* refreshing = screen.view.findChild<QWidget*>(u"refreshingLine"_s);
    auto* list = screen.view.findChild<QScrollArea*>(u"sectionList"_s);
    ASSERT_NE(refreshing, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(refreshing->isVisibleTo(&screen.view));

    struct Seen {
        bool refreshing = false;
        bool listEnabled = true;
        QStringList devices;
        std::optional<QString> detail;
    };
    std::optional<Seen> atFinish;
    QObject::connect(screen.model, &XcodeViewModel::finished, &screen.view, [&] {
        QStringList devices;
        for (const XcodeService::Device& device : screen.model->inventory().devices)
            devices.append(device.name);
        atFinish = Seen{refreshing->isVisibleTo(&screen.view), list->isEnabled(), devices,
                        screen.tile(u"devicesTile"_s).detail};
    });
    screen.model->toggle(udid(u"GONE"_s), XcodeViewModel::Selection::devices);
    screen.model->clean();
    ASSERT_TRUE(waitFor([&] { return atFinish && !screen.model->isLoading(); }));
    EXPECT_TRUE(atFinish->refreshing);
    EXPECT_FALSE(atFinish->listEnabled);
    EXPECT_EQ(atFinish->devices, QStringList{u"Récent"_s});
    EXPECT_EQ(atFinish->detail, std::optional<QString>(XcodeTexts::countText(1, u"appareil"_s, u"appareils"_s)));
    EXPECT_FALSE(refreshing->isVisibleTo(&screen.view));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(screen.model->inventory().devices.size(), 1);
}
