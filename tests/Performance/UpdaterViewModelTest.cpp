#include "Performance/UpdaterViewModel.h"
#include "WaitFor.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <semaphore>

using namespace Qt::StringLiterals;
using UpdaterService::Update;

namespace {

Update update(const QString& name, std::optional<QString> command = std::nullopt)
{
    Update result;
    result.name = name;
    result.command = std::move(command);
    return result;
}

// Probes that each wait for their own release, so a test sees the check between stages.
struct HeldProbes {
    std::shared_ptr<std::counting_semaphore<3>> gate = std::make_shared<std::counting_semaphore<3>>(0);

    UpdaterProbes probes() const
    {
        const auto held = [gate = gate](std::vector<Update> found) {
            return [gate, found] {
                gate->acquire();
                return found;
            };
        };
        return {held({update(u"firefox"_s, u"brew upgrade --cask firefox"_s)}), held({update(u"Safari"_s)}),
                held({update(u"Carnet"_s), update(u"Lanterne"_s)})};
    }
};

QStringList namesOf(const UpdaterViewModel& model)
{
    QStringList names;
    for (const Update& found : model.updates())
        names.append(found.name);
    return names;
}

} // namespace

TEST(UpdaterViewModel, aCheckGoesThroughItsThreeStagesAndKeepsTheFormerListMeanwhile)
{
    HeldProbes held;
    UpdaterViewModel model(held.probes());
    EXPECT_FALSE(model.isChecking());
    EXPECT_EQ(model.progress(), 0.0);
    EXPECT_EQ(model.status(), QString());

    QSignalSpy finished(&model, &UpdaterViewModel::checkFinished);
    model.check();
    EXPECT_TRUE(model.isChecking());
    const struct {
        double progress;
        QString status;
    } stages[] = {{0.15, u"Homebrew…"_s}, {0.55, u"Mises à jour système…"_s}, {0.85, u"Applications tierces…"_s}};
    for (const auto& stage : stages) {
        ASSERT_TRUE(TestSupport::waitFor([&] { return model.status() == stage.status; })) << stage.progress;
        EXPECT_EQ(model.progress(), stage.progress);
        EXPECT_TRUE(model.isChecking());
        model.check(); // ignored: one check at a time
        held.gate->release();
    }
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(namesOf(model), (QStringList{u"firefox"_s, u"Safari"_s, u"Carnet"_s, u"Lanterne"_s}));
    EXPECT_FALSE(model.isChecking());
    EXPECT_EQ(model.progress(), 1.0);
    EXPECT_EQ(model.status(), QString());

    // A second check shows the first list until it ends.
    model.check();
    EXPECT_EQ(model.progress(), 0.0);
    EXPECT_EQ(namesOf(model).size(), 4);
    held.gate->release(3);
    ASSERT_TRUE(finished.wait(TestSupport::waitBound));
    EXPECT_FALSE(model.isChecking());
}

TEST(UpdaterViewModel, anInstallDropsItsUpdateOnSuccessOnly)
{
    auto gate = std::make_shared<std::binary_semaphore>(0);
    auto verdicts = std::make_shared<QHash<QString, bool>>(QHash<QString, bool>{{u"a"_s, true}, {u"b"_s, false}});
    UpdaterViewModel model(
        {[] {
             return std::vector<Update>{update(u"a"_s, u"x"_s), update(u"b"_s, u"y"_s), update(u"Carnet"_s)};
         },
         [] { return std::vector<Update>{}; }, [] { return std::vector<Update>{}; }},
        [gate, verdicts](const Update& found) {
            gate->acquire();
            return verdicts->value(found.name);
        });
    QSignalSpy checked(&model, &UpdaterViewModel::checkFinished);
    model.check();
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    const std::vector<Update> found = model.updates();

    QSignalSpy applied(&model, &UpdaterViewModel::applyFinished);
    model.apply(found[0]);
    model.apply(found[1]);
    model.apply(found[0]); // already installing: ignored
    EXPECT_EQ(model.applying(), found[1].id);
    EXPECT_TRUE(model.isInstalling(found[0].id));
    EXPECT_TRUE(model.isInstalling(found[1].id));
    gate->release();
    ASSERT_TRUE(applied.wait(TestSupport::waitBound));
    gate->release();
    ASSERT_TRUE(TestSupport::waitFor([&] { return applied.size() == 2; }));
    EXPECT_EQ(model.applying(), std::nullopt);
    EXPECT_EQ(namesOf(model), (QStringList{u"b"_s, u"Carnet"_s}));

    // An update without a command is installed by nothing and stays.
    UpdaterViewModel plain;
    QSignalSpy plainApplied(&plain, &UpdaterViewModel::applyFinished);
    plain.apply(found[2]);
    EXPECT_EQ(plain.applying(), found[2].id);
    ASSERT_TRUE(plainApplied.wait(TestSupport::waitBound));
    EXPECT_EQ(plainApplied.first().at(1).toBool(), false);
    EXPECT_EQ(plain.applying(), std::nullopt);
}

// A check made while an install runs lists that update again under a new id: it still shows as installing and
// cannot be started a second time. (At most two jobs are held at once: the pool may have only two threads.)
TEST(UpdaterViewModel, anUpdateFoundAgainDuringItsInstallIsNotInstalledTwice)
{
    auto gate = std::make_shared<std::counting_semaphore<4>>(0);
    auto installs = std::make_shared<std::atomic<int>>(0);
    UpdaterViewModel model({[] {
                                return std::vector<Update>{update(u"a"_s, u"x"_s), update(u"b"_s, u"y"_s)};
                            },
                            [] { return std::vector<Update>{}; }, [] { return std::vector<Update>{}; }},
                           [gate, installs](const Update&) {
                               ++*installs;
                               gate->acquire();
                               return false;
                           });
    QSignalSpy checked(&model, &UpdaterViewModel::checkFinished);
    model.check();
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    const std::vector<Update> first = model.updates();
    model.apply(first[0]);

    model.check();
    ASSERT_TRUE(checked.wait(TestSupport::waitBound));
    const std::vector<Update> again = model.updates();
    ASSERT_EQ(again.size(), 2u);
    EXPECT_NE(again[0].id, first[0].id);
    EXPECT_TRUE(model.isInstalling(again[0]));
    EXPECT_FALSE(model.isInstalling(again[1]));
    model.apply(again[0]); // the same command is already running: ignored
    EXPECT_EQ(model.applying(), first[0].id);
    model.apply(again[1]);
    EXPECT_EQ(model.applying(), again[1].id);

    QSignalSpy applied(&model, &UpdaterViewModel::applyFinished);
    gate->release(2);
    ASSERT_TRUE(TestSupport::waitFor([&] { return applied.size() == 2; }));
    EXPECT_EQ(installs->load(), 2);
    EXPECT_EQ(model.applying(), std::nullopt);
    EXPECT_FALSE(model.isInstalling(again[0]));
    EXPECT_EQ(model.updates().size(), 2u); // both failed: both stay
}
