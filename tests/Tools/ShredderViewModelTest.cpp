#include "Tools/ShredderViewModel.h"

#include "TempTree.h"
#include "TestServices.h"
#include "WaitFor.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using TestSupport::waitFor;

namespace {

QStringList urlsOf(const ShredderViewModel& model)
{
    QStringList urls;
    for (const ScanItem& item : model.items())
        urls.append(item.url);
    return urls;
}

} // namespace

TEST(ShredderViewModel, queuesEachRealPlaceOnceAndNothingProtected)
{
    TempTree tree(u"dossier/a.bin 4096\nb.bin 8192\n"_s);
    const QString home = QDir::homePath();
    QDir().mkpath(home + u"/Library/Keychains"_s);
    QDir().mkpath(home + u"/Desktop"_s);
    QFile::link(home + u"/Library"_s, home + u"/Desktop/lien"_s);

    struct Case {
        const char* what;
        QStringList paths;
        QStringList queued;
    };
    const QList<Case> cases = {
        {"one folder named twice in one call",
         {tree.path(u"dossier/"_s), tree.path(u"dossier"_s), tree.path(u"./dossier"_s)},
         {tree.path(u"dossier"_s)}},
        {"the root, the home and its Library", {u"/"_s, home, home + u"/Library"_s, home + u"/Pictures"_s}, {}},
        {"a protected place reached through a linked folder", {home + u"/Desktop/lien/Keychains"_s}, {}},
        {"an empty path", {QString()}, {}},
    };
    for (const Case& c : cases) {
        TestSupport::TestServices services;
        ShredderViewModel model(services.services);
        model.add(c.paths);
        EXPECT_EQ(urlsOf(model), c.queued) << c.what;
    }

    // A path queued and still being measured is not queued again; rows keep their order and count 0 until
    // measured, and nothing can be shredded meanwhile.
    TestSupport::TestServices services;
    ShredderViewModel model(services.services);
    model.add({tree.path(u"b.bin"_s)});
    model.add({tree.path(u"dossier"_s), tree.path(u"b.bin"_s)});
    EXPECT_EQ(urlsOf(model), (QStringList{tree.path(u"b.bin"_s), tree.path(u"dossier"_s)}));
    if (model.isMeasuringAny()) {
        EXPECT_FALSE(model.canShred());
    }
    ASSERT_TRUE(waitFor([&] { return !model.isMeasuringAny(); }));
    EXPECT_EQ(model.totalSize(), 8192 + 4096);
    EXPECT_TRUE(model.canShred());
}

TEST(ShredderViewModel, keepsWhatFailedAndWhatCameDuringTheJob)
{
    TempTree tree(u"ok.bin 4096\nlinked.bin 4096\nelsewhere/\nelsewhere/twin => linked.bin\nlate.bin 10\n"_s);
    TestSupport::TestServices services;
    ShredderViewModel model(services.services);
    model.add({tree.path(u"ok.bin"_s), tree.path(u"linked.bin"_s)});
    ASSERT_TRUE(waitFor([&] { return model.canShred(); }));
    model.setPasses(1);
    model.shred();
    EXPECT_TRUE(model.isShredding());
    model.add({tree.path(u"late.bin"_s)});
    ASSERT_TRUE(waitFor([&] { return !model.isShredding(); }));

    EXPECT_FALSE(TestSupport::exists(tree.path(u"ok.bin"_s)));
    EXPECT_TRUE(TestSupport::exists(tree.path(u"linked.bin"_s)));
    EXPECT_EQ(urlsOf(model), (QStringList{tree.path(u"linked.bin"_s), tree.path(u"late.bin"_s)}));
    EXPECT_EQ(model.shreddedCount(), 1);
    EXPECT_EQ(model.failures().size(), 1);
    // The item that stayed knows why; the one added meanwhile has nothing to say.
    const std::optional<QString> reason = model.failureReason(model.items().first().id);
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->isEmpty());
    EXPECT_TRUE(model.failures().first().endsWith(u" — "_s + *reason));
    EXPECT_FALSE(model.failureReason(model.items().last().id).has_value());
    services.history.waitUntilIdle();
    ASSERT_EQ(services.history.sessions().size(), 1);
    EXPECT_EQ(services.history.sessions().first().moduleID, u"shredder"_s);
    EXPECT_FALSE(services.history.sessions().first().snapshotStamp.has_value());

    // Everything fails: no session, the queue as it was.
    model.remove(model.items().last().id);
    model.shred();
    ASSERT_TRUE(waitFor([&] { return !model.isShredding(); }));
    EXPECT_EQ(urlsOf(model), QStringList{tree.path(u"linked.bin"_s)});
    EXPECT_EQ(model.shreddedCount(), 0);
    services.history.waitUntilIdle();
    EXPECT_EQ(services.history.sessions().size(), 1);

    // Emptying the list forgets the last job's outcome with it.
    EXPECT_EQ(model.failures().size(), 1);
    model.clear();
    EXPECT_TRUE(model.items().isEmpty());
    EXPECT_TRUE(model.failures().isEmpty());
}

// One pass unless the user asks for more; two files of one name are told apart by the folder under their names.
TEST(ShredderViewModel, startsAtOnePassAndShowsEachItemsFolder)
{
    TempTree tree(u"a/notes.txt 10\nb/notes.txt 10\n"_s);
    TestSupport::TestServices services;
    ShredderViewModel model(services.services);
    EXPECT_EQ(model.passes(), 1);
    model.add({tree.path(u"a/notes.txt"_s), tree.path(u"b/notes.txt"_s)});
    ASSERT_EQ(model.items().size(), 2);
    const ScanItem& first = model.items().at(0);
    const ScanItem& second = model.items().at(1);
    EXPECT_EQ(first.name, second.name);
    ASSERT_TRUE(first.detail && second.detail);
    EXPECT_TRUE(first.detail->endsWith(u"/a"_s)) << first.detail->toStdString();
    EXPECT_TRUE(second.detail->endsWith(u"/b"_s)) << second.detail->toStdString();
}

TEST(ShredderViewModel, aJobOutlivesItsModelAndIsJournaled)
{
    TempTree tree(u"a.bin 4096\n"_s);
    TestSupport::TestServices services;
    auto model = std::make_unique<ShredderViewModel>(services.services);
    model->add({tree.path(u"a.bin"_s)});
    ASSERT_TRUE(waitFor([&] { return model->canShred(); }));
    model->shred();
    model.reset();
    ASSERT_TRUE(waitFor([&] { return services.inFlight.idle(); }));
    services.history.waitUntilIdle();
    EXPECT_FALSE(TestSupport::exists(tree.path(u"a.bin"_s)));
    EXPECT_EQ(services.history.sessions().size(), 1);
}
