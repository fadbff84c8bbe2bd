#include "Performance/MaintenanceTask.h"

#include "Platform/Access.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using OptimizationService::MaintenanceOutcome;

namespace {

// The arguments of each call a recording stand-in received, one list per call.
QList<QStringList> callsOf(const QString& root, const QString& tool)
{
    QList<QStringList> calls;
    QFile log(root + u"/private/var/log/"_s + tool + u".log"_s);
    if (!log.open(QIODevice::ReadOnly))
        return calls;
    QList<QByteArray> lines = log.readAll().split('\n');
    lines.removeLast(); // every call ends with a line end; a call without arguments is an empty line
    for (const QByteArray& line : lines) {
        QStringList arguments = QString::fromUtf8(line).split(QChar(0x1F));
        arguments.removeLast(); // every argument ends with the separator
        calls.append(arguments);
    }
    return calls;
}

MaintenanceTask taskNamed(const QString& id)
{
    for (const MaintenanceTask& task : MaintenanceTask::all())
        if (task.id == id)
            return task;
    ADD_FAILURE() << id.toStdString();
    return {};
}

// A system root whose path holds every character a shell would take for syntax.
class MaintenanceTasks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_root + u"/bin"_s));
        QProcess script;
        script.start(u"bash"_s, {QStringLiteral(QP_SOURCE_DIR "/scripts/install-standins.sh"), m_root});
        ASSERT_TRUE(script.waitForFinished(TestSupport::waitBound));
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        ASSERT_TRUE(QFile::link(u"/bin/sh"_s, m_root + u"/bin/sh"_s));
    }
    void TearDown() override
    {
        qunsetenv("QUORVANE_OSASCRIPT_CANCEL");
        qunsetenv("QUORVANE_FAIL_TOOL");
    }

    TempTree m_tree;
    QString m_root = m_tree.path(u"it's a \"Mac\" \\ $HOME é"_s);
    TestSupport::ScopedEnvironment m_rootVariable{"QUORVANE_ROOT", m_root};
};

} // namespace

TEST(MaintenanceTable, holdsTheSevenTasksInRunOrder)
{
    const auto tasks = MaintenanceTask::all();
    QStringList ids;
    for (const MaintenanceTask& task : tasks)
        ids << task.id;
    EXPECT_EQ(ids, (QStringList{u"launchServices"_s, u"spotlight"_s, u"dns"_s, u"periodic"_s, u"permissions"_s,
                                u"fonts"_s, u"purge"_s}));
    EXPECT_EQ(tasks[0].title, u"Reconstruire la base \u00AB\u00A0Ouvrir avec\u00A0\u00BB"_s);
    EXPECT_FALSE(tasks[0].needsAdmin);
    for (std::size_t i = 1; i < tasks.size(); ++i)
        EXPECT_TRUE(tasks[i].needsAdmin) << tasks[i].id.toStdString();
}

TEST_F(MaintenanceTasks, eachTaskReachesItsToolWithItsArguments)
{
    const QString uid = QString::number(Platform::userID());
    const struct {
        QString id;
        QString tool;
        QStringList arguments;
    } cases[] = {
        {u"launchServices"_s,
         u"lsregister"_s,
         {u"-kill"_s, u"-r"_s, u"-domain"_s, u"local"_s, u"-domain"_s, u"system"_s, u"-domain"_s, u"user"_s}},
        {u"spotlight"_s, u"mdutil"_s, {u"-E"_s, u"/"_s}},
        {u"dns"_s, u"dscacheutil"_s, {u"-flushcache"_s}},
        {u"dns"_s, u"killall"_s, {u"-HUP"_s, u"mDNSResponder"_s}},
        {u"periodic"_s, u"periodic"_s, {u"daily"_s, u"weekly"_s, u"monthly"_s}},
        {u"permissions"_s, u"diskutil"_s, {u"resetUserPermissions"_s, u"/"_s, uid}},
        {u"fonts"_s, u"atsutil"_s, {u"databases"_s, u"-remove"_s}},
        {u"purge"_s, u"purge"_s, {}},
    };
    for (const MaintenanceTask& task : MaintenanceTask::all())
        EXPECT_EQ(OptimizationService::runMaintenance(task), (MaintenanceOutcome{u"Terminé."_s, false}))
            << task.id.toStdString();
    for (const auto& c : cases)
        EXPECT_EQ(callsOf(m_root, c.tool), QList<QStringList>{c.arguments}) << c.tool.toStdString();
}

TEST_F(MaintenanceTasks, outcomesFollowTheExitStatusAndThePrompt)
{
    qputenv("QUORVANE_FAIL_TOOL", "lsregister");
    EXPECT_EQ(OptimizationService::runMaintenance(taskNamed(u"launchServices"_s)),
              (MaintenanceOutcome{u"lsregister: operation not permitted"_s, true}));
    qputenv("QUORVANE_FAIL_TOOL", "diskutil");
    EXPECT_EQ(
        OptimizationService::runMaintenance(taskNamed(u"permissions"_s)),
        (MaintenanceOutcome{u"Error resetting permissions: The operation couldn't be completed. (-69841)"_s, true}));
    qunsetenv("QUORVANE_FAIL_TOOL");
    ASSERT_TRUE(QFile::remove(m_root + u"/usr/sbin/purge"_s));
    EXPECT_TRUE(OptimizationService::runMaintenance(taskNamed(u"purge"_s)).failed);
    qputenv("QUORVANE_OSASCRIPT_CANCEL", "1");
    EXPECT_EQ(OptimizationService::runMaintenance(taskNamed(u"fonts"_s)), (MaintenanceOutcome{u"Annulé."_s, true}));
    EXPECT_TRUE(callsOf(m_root, u"atsutil"_s).isEmpty());
}

TEST(MaintenanceOutcomes, shellStatusDecides)
{
    using OptimizationService::shellTaskOutcome;
    EXPECT_EQ(shellTaskOutcome({0, u"error (1)\n"_s}), (MaintenanceOutcome{u"Terminé."_s, false}));
    EXPECT_EQ(shellTaskOutcome({2, u"  broken\n"_s}), (MaintenanceOutcome{u"broken"_s, true}));
    EXPECT_EQ(shellTaskOutcome({3, u" \n"_s}), (MaintenanceOutcome{u"Échec (code 3)."_s, true}));
    EXPECT_EQ(shellTaskOutcome({-1, QString()}), (MaintenanceOutcome{u"L'outil n'a pas pu démarrer."_s, true}));
}
