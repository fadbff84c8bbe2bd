#include "Performance/Diagnostics.h"

#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

namespace {

QString fixture(const char* name)
{
    QFile file(QStringLiteral(QP_SOURCE_DIR "/tests/fixtures/diagnostics/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

TEST(DiagnosticsParsers, SwapFiguresFromTheToolAndOddTexts)
{
    const QString real = fixture("sysctl-swapusage.txt");
    EXPECT_DOUBLE_EQ(Diagnostics::swapValue(QStringLiteral("total"), real).value(), 2048.0);
    EXPECT_DOUBLE_EQ(Diagnostics::swapValue(QStringLiteral("used"), real).value(), 1843.25);

    struct Case {
        const char* text;
        std::optional<double> total;
    };
    const Case cases[] = {
        {"total = 2.00G  used = 1.00G", 2048.0},
        {"total=512M", 512.0},
        {"total = 1.2.3M", std::nullopt},      // not a number
        {"total = 2048.00K", std::nullopt},    // unknown unit
        {"vm.swapusage: 0 0 0", std::nullopt}, // Linux's own sysctl
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Diagnostics::swapValue(QStringLiteral("total"), QString::fromUtf8(c.text)), c.total) << c.text;
}

TEST(DiagnosticsParsers, ThermalLimitAndSpotlightStatus)
{
    EXPECT_EQ(Diagnostics::thermalLimit(fixture("pmset-therm.txt")), 65);
    EXPECT_EQ(Diagnostics::thermalLimit(QStringLiteral("CPU_Speed_Limit = 99999999999999")), std::nullopt);
    EXPECT_EQ(Diagnostics::thermalLimit(QStringLiteral("Note: No thermal warning level has been recorded")),
              std::nullopt);

    EXPECT_TRUE(Diagnostics::spotlightDisabled(fixture("mdutil-disabled.txt")));
    EXPECT_FALSE(Diagnostics::spotlightDisabled(QStringLiteral("/:\n\tIndexing enabled.\n")));
}

TEST(DiagnosticsParsers, LaunchctlListKeepsRunningJobsInFirstAppearanceOrder)
{
    const auto jobs = Diagnostics::launchctlSample(fixture("launchctl-list.txt"));
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("com.example.helper"), QStringLiteral("501")},
        {QStringLiteral("com.example.agent"), QStringLiteral("77")},
    };
    EXPECT_EQ(jobs, expected);
    EXPECT_TRUE(Diagnostics::launchctlSample(QStringLiteral("PID\tStatus\tLabel\n")).empty());
}

TEST(DiagnosticsFindings, ThresholdsSeveritiesAndEvidence)
{
    using Diagnostics::Severity;
    struct Case {
        const char* what;
        std::optional<Diagnostics::Finding> finding;
        std::optional<Severity> severity;
        const char* evidence;
    };
    const Case cases[] = {
        {"swap from the tool", Diagnostics::swapFinding(fixture("sysctl-swapusage.txt")), Severity::serious,
         "1,93 Go d'échange utilisés sur 2,15 Go (90 %)."},
        {"swap at half", Diagnostics::swapFinding(QStringLiteral("total = 100.00M  used = 50.00M")), std::nullopt, ""},
        {"swap just past half", Diagnostics::swapFinding(QStringLiteral("total = 100.00M  used = 60.00M")),
         Severity::notable, "62,9 Mo d'échange utilisés sur 104,9 Mo (60 %)."},
        {"no swap", Diagnostics::swapFinding(QStringLiteral("total = 0.00M  used = 0.00M")), std::nullopt, ""},
        {"swap too large to count",
         Diagnostics::swapFinding(QStringLiteral("total = 99999999999999999999.00G  used = 99999999999999999999.00G")),
         std::nullopt, ""},
        {"thermal from the tool", Diagnostics::thermalFinding(fixture("pmset-therm.txt")), Severity::serious,
         "Vitesse limitée à 65 % de la puissance nominale."},
        {"thermal at 70", Diagnostics::thermalFinding(QStringLiteral("CPU_Speed_Limit = 70")), Severity::notable,
         "Vitesse limitée à 70 % de la puissance nominale."},
        {"thermal at full speed", Diagnostics::thermalFinding(QStringLiteral("CPU_Speed_Limit = 100")), std::nullopt,
         ""},
        {"spotlight off", Diagnostics::spotlightFinding(fixture("mdutil-disabled.txt")), Severity::notable,
         "mdutil signale «\u00A0Indexing disabled\u00A0» sur le volume de démarrage."},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.finding.has_value(), c.severity.has_value()) << c.what;
        if (!c.finding)
            continue;
        EXPECT_EQ(c.finding->severity, *c.severity) << c.what;
        EXPECT_EQ(c.finding->evidence, QString::fromUtf8(c.evidence)) << c.what;
        EXPECT_TRUE(c.finding->isInformationalOnly) << c.what;
    }
}

TEST(DiagnosticsFindings, SeriousFirstThenProbeOrder)
{
    std::vector<Diagnostics::Finding> findings = {
        *Diagnostics::swapFinding(QStringLiteral("total = 100.00M  used = 60.00M")),
        *Diagnostics::thermalFinding(QStringLiteral("CPU_Speed_Limit = 50")),
        *Diagnostics::spotlightFinding(QStringLiteral("Indexing disabled.")),
    };
    Diagnostics::sortBySeverity(findings);
    QStringList ids;
    for (const auto& finding : findings)
        ids << finding.id;
    EXPECT_EQ(ids, (QStringList{QStringLiteral("thermal"), QStringLiteral("swap"), QStringLiteral("spotlight")}));
}

using Jobs = std::vector<std::pair<QString, QString>>;

Jobs jobs(std::initializer_list<std::pair<const char*, const char*>> list)
{
    Jobs result;
    for (const auto& [label, pid] : list)
        result.emplace_back(QString::fromUtf8(label), QString::fromUtf8(pid));
    return result;
}

TEST(DiagnosticsFindings, RespawnCountsOnlyJobsRunningAgainUnderAnotherPid)
{
    const Jobs first = jobs({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"gone", "6"}});
    struct Case {
        Jobs second;
        const char* title;
        Diagnostics::Severity severity;
        const char* evidence;
    };
    const Case cases[] = {
        {jobs({{"a", "11"}, {"b", "2"}}), "1 service redémarre en boucle", Diagnostics::Severity::notable,
         "a — identifiant de processus renouvelé en 8 secondes."},
        {jobs({{"a", "11"}, {"b", "12"}, {"c", "13"}}), "3 services redémarrent en boucle",
         Diagnostics::Severity::serious, "a, b, c — identifiant de processus renouvelé en 8 secondes."},
        {jobs({{"e", "15"}, {"d", "14"}, {"c", "13"}, {"b", "12"}, {"a", "11"}}), "5 services redémarrent en boucle",
         Diagnostics::Severity::serious, "a, b, c… — identifiant de processus renouvelé en 8 secondes."},
    };
    for (const Case& c : cases) {
        const auto finding = Diagnostics::respawnFinding(first, c.second, 8);
        ASSERT_TRUE(finding) << c.title;
        EXPECT_EQ(finding->title, QString::fromUtf8(c.title));
        EXPECT_EQ(finding->severity, c.severity) << c.title;
        EXPECT_EQ(finding->evidence, QString::fromUtf8(c.evidence));
    }
    EXPECT_FALSE(Diagnostics::respawnFinding(first, jobs({{"a", "1"}}), 8)) << "same pid, or stopped";
}

// A system root whose tools print what the test asks; a launchctl that prints its own pid for a job sees that
// job restart between two listings.
class DiagnosticsRun : public ::testing::Test
{
protected:
    void tool(const QString& macPath, const QByteArray& script)
    {
        const QString path = m_tree.root() + macPath;
        QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script);
        file.close();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::optional<std::vector<Diagnostics::Finding>> runFor(std::chrono::milliseconds window, std::stop_token stop = {})
    {
        auto result = std::async(std::launch::async, [=] { return Diagnostics::run(window, stop); });
        if (result.wait_for(TestSupport::waitSpan) != std::future_status::ready)
            return std::nullopt;
        return result.get();
    }

    static QStringList idsOf(const std::vector<Diagnostics::Finding>& findings)
    {
        QStringList ids;
        for (const auto& finding : findings)
            ids << finding.id;
        return ids;
    }

    TempTree m_tree;
    TestSupport::ScopedEnvironment m_root{"QUORVANE_ROOT", m_tree.root()};
};

TEST_F(DiagnosticsRun, runsTheProbesSeriousFirstWithoutWaitingWhenNoServiceRuns)
{
    tool(QStringLiteral("/usr/sbin/sysctl"), "echo 'vm.swapusage: total = 1024.00M  used = 512.50M  free = 511.50M'\n");
    tool(QStringLiteral("/usr/bin/pmset"), "printf 'CPU_Speed_Limit \\t= 60\\n'\n");
    tool(QStringLiteral("/usr/bin/mdutil"), "printf '/:\\n\\tIndexing disabled.\\n'; exit 1\n");
    tool(QStringLiteral("/bin/launchctl"), "printf 'PID\\tStatus\\tLabel\\n-\\t0\\tfr.idle\\n'\n");
    // An hour's window: waiting at all would not end.
    const auto findings = runFor(std::chrono::hours(1));
    ASSERT_TRUE(findings);
    EXPECT_EQ(idsOf(*findings),
              (QStringList{QStringLiteral("thermal"), QStringLiteral("swap"), QStringLiteral("spotlight")}));

    // Missing tools give nothing and nothing to wait for.
    QDir(m_tree.root()).removeRecursively();
    const auto none = runFor(std::chrono::hours(1));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST_F(DiagnosticsRun, aServiceRunningUnderAnotherPidAfterTheWindowIsReportedAndAStopEndsTheWait)
{
    tool(QStringLiteral("/bin/launchctl"),
         "[ \"$1\" = list ] || exit 1\nprintf 'PID\\tStatus\\tLabel\\n%s\\t0\\tfr.boucle\\n7\\t0\\tfr.stable\\n' $$\n");
    const auto findings = runFor(std::chrono::milliseconds(1500));
    ASSERT_TRUE(findings);
    ASSERT_EQ(idsOf(*findings), QStringList{QStringLiteral("respawn")});
    EXPECT_EQ(findings->front().title, QStringLiteral("1 service redémarre en boucle"));
    EXPECT_EQ(findings->front().evidence,
              QStringLiteral("fr.boucle — identifiant de processus renouvelé en 1 secondes."));

    // An hour's wait, stopped: the probe goes on at once with its second listing.
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    const auto stopped = runFor(std::chrono::hours(1), stop.get_token());
    stopper.join();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(idsOf(*stopped), QStringList{QStringLiteral("respawn")});
}

} // namespace
