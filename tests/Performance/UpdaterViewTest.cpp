#include "Performance/UpdaterView.h"
#include "Performance/UpdaterViewModel.h"

#include "Look/ElidedLabel.h"
#include "Look/StyledButton.h"
#include "Look/TextLabel.h"
#include "Platform/Symbols.h"
#include "RecordingWorkspace.h"
#include "WaitFor.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <semaphore>

using namespace Qt::StringLiterals;
using UpdaterService::Update;
using UpdaterService::UpdateIcon;

namespace {

Update update(const QString& name, const QString& current, const QString& next, std::optional<QString> command,
              std::optional<UpdateIcon> icon = std::nullopt)
{
    Update result;
    result.name = name;
    result.currentVersion = current;
    result.newVersion = next;
    result.source = command ? UpdaterService::Source::homebrew : UpdaterService::Source::sparkle;
    result.command = std::move(command);
    result.icon = std::move(icon);
    return result;
}

QStringList visibleTexts(QWidget& view, const QString& name)
{
    QStringList texts;
    for (QWidget* label : view.findChildren<QWidget*>(name)) {
        if (!label->isVisibleTo(&view))
            continue;
        if (auto* text = qobject_cast<TextLabel*>(label))
            texts.append(text->text());
        else if (auto* elided = qobject_cast<ElidedLabel*>(label))
            texts.append(elided->text());
    }
    return texts;
}

QList<QWidget*> visibleRows(QWidget& view)
{
    QList<QWidget*> rows;
    for (QWidget* row : view.findChildren<QWidget*>(u"updateRow"_s)) {
        if (row->isVisibleTo(&view))
            rows.append(row);
    }
    return rows;
}

StyledButton* visibleButton(QWidget& parent, QWidget& view, const QString& name)
{
    for (StyledButton* button : parent.findChildren<StyledButton*>(name)) {
        if (button->isVisibleTo(&view))
            return button;
    }
    return nullptr;
}

} // namespace

TEST(UpdaterView, aCheckShowsItsStagesThenTheTwoGroups)
{
    auto gate = std::make_shared<std::counting_semaphore<3>>(0);
    auto found = std::make_shared<std::vector<Update>>(
        std::vector<Update>{update(u"firefox"_s, u"120.0"_s, u"121.0"_s, u"brew upgrade --cask firefox"_s,
                                   UpdateIcon{UpdateIcon::Kind::symbol, sfSymbol(u"shippingbox.fill")}),
                            update(u"Carnet"_s, u"1.8"_s, u"Vérifier dans l'app"_s, std::nullopt,
                                   UpdateIcon{UpdateIcon::Kind::bundle, u"/Applications/Carnet.app"_s}),
                            update(u"Sans icône"_s, u"—"_s, u"Vérifier dans l'app"_s, std::nullopt)});
    const auto first = [gate, found] {
        gate->acquire();
        return *found;
    };
    const auto none = [gate] {
        gate->acquire();
        return std::vector<Update>{};
    };
    UpdaterViewModel model({first, none, none});
    TestSupport::RecordingWorkspace workspace;
    UpdaterView view(model, workspace);
    view.resize(900, 700);
    view.show();

    // Nothing has run: the empty state and both buttons.
    auto* check = view.findChild<StyledButton*>(u"checkButton"_s);
    EXPECT_EQ(check->text(), u"Vérifier"_s);
    EXPECT_TRUE(check->isEnabled());
    EXPECT_EQ(visibleTexts(view, u"emptyTitle"_s), QStringList{u"Rien à mettre à jour"_s});
    StyledButton* checkNow = visibleButton(view, view, u"checkNowButton"_s);
    ASSERT_NE(checkNow, nullptr);
    EXPECT_EQ(checkNow->text(), u"Vérifier maintenant"_s);

    QSignalSpy finished(&model, &UpdaterViewModel::checkFinished);
    QTest::mouseClick(checkNow, Qt::LeftButton);
    EXPECT_EQ(check->text(), u"Vérification…"_s);
    EXPECT_FALSE(check->isEnabled());
    EXPECT_EQ(visibleButton(view, view, u"checkNowButton"_s), nullptr);
    EXPECT_EQ(visibleTexts(view, u"checkingStatus"_s), QStringList{u"Recherche…"_s});
    for (const QString& stage : {u"Homebrew…"_s, u"Mises à jour système…"_s, u"Applications tierces…"_s}) {
        ASSERT_TRUE(TestSupport::waitFor([&] { return visibleTexts(view, u"checkingStatus"_s) == QStringList{stage}; }))
            << stage.toStdString();
        gate->release();
    }
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));

    EXPECT_EQ(check->text(), u"Vérifier"_s);
    EXPECT_TRUE(check->isEnabled());
    EXPECT_EQ(visibleTexts(view, u"updatesCaption"_s),
              (QStringList{u"Installables depuis ici"_s, u"À mettre à jour dans l'app ou les Réglages Système"_s}));
    EXPECT_EQ(visibleTexts(view, u"updateName"_s), (QStringList{u"firefox"_s, u"Carnet"_s, u"Sans icône"_s}));
    EXPECT_EQ(visibleTexts(view, u"updateVersions"_s).first(), u"120.0 \u2192 121.0"_s);
    const QList<QWidget*> rows = visibleRows(view);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_NE(visibleButton(*rows[0], view, u"installButton"_s), nullptr);
    EXPECT_EQ(visibleButton(*rows[1], view, u"installButton"_s), nullptr);
    EXPECT_EQ(workspace.iconsAsked, QStringList{u"/Applications/Carnet.app"_s});
    EXPECT_EQ(rows[2]->findChild<QWidget*>(u"updateIcon"_s), nullptr);

    // Only updates to make elsewhere: the first group is left out, caption included.
    *found = {found->at(1)};
    QTest::mouseClick(check, Qt::LeftButton);
    gate->release(3);
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(visibleTexts(view, u"updatesCaption"_s),
              QStringList{u"À mettre à jour dans l'app ou les Réglages Système"_s});
}

TEST(UpdaterView, installingARowShowsItsProgressThenDropsItOrBringsTheButtonBack)
{
    auto gate = std::make_shared<std::binary_semaphore>(0);
    auto succeeds = std::make_shared<std::atomic<bool>>(false);
    const auto casks = [] {
        return std::vector<Update>{update(u"firefox"_s, u"120.0"_s, u"121.0"_s, u"brew upgrade --cask firefox"_s)};
    };
    const auto none = [] { return std::vector<Update>{}; };
    UpdaterViewModel model({casks, none, none}, [gate, succeeds](const Update&) {
        gate->acquire();
        return succeeds->load();
    });
    TestSupport::RecordingWorkspace workspace;
    UpdaterView view(model, workspace);
    view.resize(900, 700);
    view.show();
    QSignalSpy checked(&model, &UpdaterViewModel::checkFinished);
    model.check();
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));

    QSignalSpy applied(&model, &UpdaterViewModel::applyFinished);
    for (bool success : {false, true}) {
        QWidget* row = visibleRows(view).value(0);
        ASSERT_NE(row, nullptr);
        StyledButton* install = visibleButton(*row, view, u"installButton"_s);
        ASSERT_NE(install, nullptr);
        EXPECT_EQ(install->text(), u"Installer"_s);
        QTest::mouseClick(install, Qt::LeftButton);
        EXPECT_FALSE(install->isVisibleTo(&view));
        EXPECT_TRUE(row->findChild<QWidget*>(u"installProgress"_s)->isVisibleTo(&view));
        auto* failure = row->findChild<ElidedLabel*>(u"installFailure"_s);
        ASSERT_NE(failure, nullptr);
        EXPECT_FALSE(failure->isVisibleTo(&view)); // a new attempt clears the last one's reason
        succeeds->store(success);
        gate->release();
        ASSERT_TRUE(applied.wait(TestSupport::waitBound));
        if (!success) {
            // The failure is said in the row, beside the button that tries again.
            EXPECT_TRUE(failure->isVisibleTo(&view));
            EXPECT_EQ(failure->text(), u"L'installation a échoué."_s);
            EXPECT_TRUE(install->isVisibleTo(&view));
        }
    }
    // The first attempt failed and left the row; the second succeeded and took the group with it.
    EXPECT_TRUE(visibleRows(view).isEmpty());
    EXPECT_TRUE(visibleTexts(view, u"updatesCaption"_s).isEmpty());
    EXPECT_EQ(visibleTexts(view, u"emptyTitle"_s), QStringList{u"Rien à mettre à jour"_s});
}

// A system update's long title shortens within its row: the list never grows wider than the screen, and the
// row's source badge stays in view.
TEST(UpdaterView, aLongNameIsShortenedWithinItsRow)
{
    const QString title =
        u"Mise à jour de sécurité "_s + QString(u"pour les Mac avec puce Apple et processeur Intel, "_s).repeated(4);
    const auto system = [title] { return std::vector<Update>{update(title, u"macOS 14.6.1"_s, u"—"_s, std::nullopt)}; };
    const auto none = [] { return std::vector<Update>{}; };
    UpdaterViewModel model({none, system, none});
    TestSupport::RecordingWorkspace workspace;
    UpdaterView view(model, workspace);
    view.resize(700, 500);
    view.show();
    QSignalSpy checked(&model, &UpdaterViewModel::checkFinished);
    model.check();
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    QWidget* row = visibleRows(view).value(0);
    ASSERT_NE(row, nullptr);
    auto* name = row->findChild<ElidedLabel*>(u"updateName"_s);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(TestSupport::waitFor([&] { return name->shownText().endsWith(u"…"_s); }))
        << name->shownText().toStdString();
    EXPECT_EQ(name->text(), title);
    auto* list = view.findChild<QWidget*>(u"updatesList"_s);
    auto* badge = row->findChild<QWidget*>(u"sourceBadge"_s);
    ASSERT_NE(badge, nullptr);
    EXPECT_LE(badge->mapTo(list, QPoint(badge->width(), 0)).x(), list->width());
}
