// Measures the smart scan's screen with a large result: a scan publishes 20,000 items in 30 groups. Prints the time
// from the publication to the first painted frame of the results (target ≤ 100 ms); then, 30 times each, the time
// the GUI thread spends on one reading of the machine until the figures are painted (target ≤ 5 ms) and the time
// from a group's box to the repainted gauge figure (target ≤ 50 ms), each time, the median and the worst.
// Usage: qp_bench_smart_scan_screen [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchScreen.h"
#include "BenchServices.h"
#include "BenchSupport.h"
#include "Look/DesktopWorkspace.h"
#include "Platform/FileOperations.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "Scanners/ModuleRegistry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kItems = 20000;
constexpr int kGroups = 30;

// Hands back groups built beforehand, so that only the publication and the screen are measured.
class PrebuiltScanner final : public ModuleScanner
{
public:
    explicit PrebuiltScanner(QList<ScanGroup> groups) : m_groups(std::move(groups)) {}

    ModuleID moduleID() const override { return ModuleID::smartScan; }
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress&, std::stop_token) const override { return m_groups; }

private:
    QList<ScanGroup> m_groups;
};

// The smart scan's three kinds of groups, the items nowhere on disk: the screen lists none of them.
QList<ScanGroup> makeGroups(const QString& root)
{
    QList<ScanGroup> groups;
    int made = 0;
    for (int g = 0; g < kGroups; ++g) {
        const int count = kItems / kGroups + (g < kItems % kGroups ? 1 : 0);
        const bool threats = g >= kGroups - 3;
        ScanGroup group{QUuid::createUuid(),
                        u"Groupe %1"_s.arg(g),
                        threats ? u"exclamationmark.shield"_s : u"folder.fill"_s,
                        std::nullopt,
                        {},
                        false,
                        threats ? ScanGroup::Metric::threats : ScanGroup::Metric::bytes};
        for (int i = 0; i < count; ++i, ++made) {
            const QString name = u"entry-%1.cache"_s.arg(i);
            group.items.append(ScanItem{QUuid::createUuid(), root + u"/group-%1/"_s.arg(g) + name, name,
                                        qint64(made) * 7919 % 90'000'000 + 4096, std::nullopt, std::nullopt,
                                        made % 2 == 0, false, Removal::Mode::trash(), std::nullopt});
        }
        groups.append(group);
    }
    return groups;
}

// Readings the benchmark publishes as the monitor would.
class BenchFigures final : public Modules::AppFigures
{
public:
    const SystemSnapshot& snapshot() const override { return m_snapshot; }
    bool hasFullDiskAccess() const override { return true; }
    qint64 totalFreedBytes() const override { return 0; }
    void onChanged(QObject* context, std::function<void()> changed) const override
    {
        m_listeners.emplace_back(context, std::move(changed));
    }

    void publish(const SystemSnapshot& snapshot)
    {
        m_snapshot = snapshot;
        for (const auto& [context, changed] : m_listeners) {
            if (context)
                changed();
        }
    }

private:
    SystemSnapshot m_snapshot;
    mutable std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_listeners;
};

void printEach(const char* what, const std::vector<double>& times)
{
    std::printf("%s:", what);
    for (const double time : times)
        std::printf(" %.2f", time);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string home = Bench::screenHome(work);
    QApplication app(argc, argv);
    Bench::lookLikeTheApplication(home);

    auto scanner = std::make_shared<PrebuiltScanner>(makeGroups(QFile::decodeName(work.c_str()) + u"/items"_s));
    Bench::Services services(work);
    ScanViewModel model(scanner, services.models());
    Bench::Clock::time_point published{};
    // Connected before the screen, so the clock starts before the screen hears of the results.
    QObject::connect(&model, &ScanViewModel::changed, &app, [&] {
        if (model.phase() == ScanViewModel::Phase::results && published == Bench::Clock::time_point{})
            published = Bench::Clock::now();
    });
    BenchFigures machine;
    DesktopWorkspace workspace;
    SmartScanView screen(model, true, workspace, machine);
    screen.resize(1100, 900);
    screen.show();
    Bench::untilSettled();

    // The first frame of the results: the gauge's figure and the group rows drawn.
    Bench::PaintWatch gaugePaints(u"gaugeValue"_s);
    Bench::PaintWatch rowPaints(u"groupRow"_s);
    app.installEventFilter(&gaugePaints);
    app.installEventFilter(&rowPaints);
    model.scan();
    const double firstPaint = Bench::millisecondsToFirstPaint({&gaugePaints, &rowPaints}, published);
    app.removeEventFilter(&rowPaints);
    Bench::untilSettled();

    Bench::PaintWatch tilePaints(u"statValue"_s);
    app.installEventFilter(&tilePaints);
    std::vector<double> readings;
    for (int r = 0; r < kGroups; ++r) {
        SystemSnapshot snapshot;
        snapshot.diskTotal = 494'384'795'648;
        snapshot.diskFree = 121'634'185'216 + qint64(r) * 1'000'000'000;
        snapshot.memoryTotal = 17'179'869'184;
        snapshot.memoryUsed = 11'811'160'064 + qint64(r) * 200'000'000;
        snapshot.memoryPressure = 0.3 + r * 0.02;
        snapshot.cpuLoad = 0.1 + r * 0.02;
        tilePaints.paints = 0;
        const auto start = Bench::Clock::now();
        machine.publish(snapshot);
        const bool painted = Bench::untilPainted(tilePaints);
        readings.push_back(painted ? Bench::millisecondsSince(start) : 1e9);
    }
    app.removeEventFilter(&tilePaints);

    const QList<QAbstractButton*> boxes = screen.findChildren<QAbstractButton*>(u"groupCheckbox"_s);
    std::vector<double> selections;
    for (int g = 0; g < kGroups && g < boxes.size(); ++g) {
        gaugePaints.paints = 0;
        const auto start = Bench::Clock::now();
        boxes[g]->click();
        const bool painted = Bench::untilPainted(gaugePaints);
        selections.push_back(painted ? Bench::millisecondsSince(start) : 1e9);
    }
    app.removeEventFilter(&gaugePaints);
    benchmark::DoNotOptimize(model.selectedCount());

    const bool complete = selections.size() == std::size_t(kGroups);
    if (!complete)
        selections.push_back(1e9);
    const Bench::Spread reading = Bench::spreadOf(readings);
    const Bench::Spread selection = Bench::spreadOf(selections);
    std::printf("result                     : %lld items in %d groups\n",
                static_cast<long long>(model.totalItemCount()), kGroups);
    std::printf("publication → first frame  : %.1f ms (target ≤ 100)\n", firstPaint);
    printEach("one reading, each (ms)     ", readings);
    std::printf("one reading                : median %.2f ms, worst %.2f ms (target ≤ 5)\n", reading.median,
                reading.worst);
    printEach("group box, each (ms)       ", selections);
    std::printf("group box → gauge figure   : median %.2f ms, worst %.2f ms (target ≤ 50)\n", selection.median,
                selection.worst);

    Platform::removeItem(QFile::decodeName(work.c_str()));
    const bool ok = firstPaint <= 100 && reading.worst <= 5 && selection.worst <= 50;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
