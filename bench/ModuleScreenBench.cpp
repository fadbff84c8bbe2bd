// Measures the module screen with a large result: a scan publishes 20,000 items in 30 groups, every group
// expanded, half of the items selected; then each group's box and each group's header is clicked in turn.
// Prints the time from the publication to the first painted row, and per toggle (until the screen has drawn
// the change) the median and the worst. Target: each at most 100 ms.
// Usage: qp_bench_module_screen [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchScreen.h"
#include "BenchServices.h"
#include "BenchSupport.h"
#include "Look/DesktopWorkspace.h"
#include "Platform/FileOperations.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

constexpr int kItems = 20000;
constexpr int kGroups = 30;

// Hands back groups built beforehand, so that only the publication and the screen are measured.
class PrebuiltScanner final : public ModuleScanner
{
public:
    explicit PrebuiltScanner(QList<ScanGroup> groups) : m_groups(std::move(groups)) {}

    ModuleID moduleID() const override { return ModuleID::systemJunk; }
    bool requiresFullDiskAccess() const override { return false; }
    QList<ScanGroup> scan(const Progress&, std::stop_token) const override { return m_groups; }

private:
    QList<ScanGroup> m_groups;
};

// Files on disk, so that the icons are the file manager's real ones.
QList<ScanGroup> makeGroups(const std::string& work)
{
    QList<ScanGroup> groups;
    int made = 0;
    for (int g = 0; g < kGroups; ++g) {
        const int count = kItems / kGroups + (g < kItems % kGroups ? 1 : 0);
        const std::string folder = work + "/group-" + std::to_string(g);
        QDir().mkpath(QString::fromStdString(folder));
        ScanGroup group{QUuid::createUuid(),     u"Groupe %1"_s.arg(g), u"folder.fill"_s, u"Note du groupe"_s, {}, true,
                        ScanGroup::Metric::bytes};
        for (int i = 0; i < count; ++i, ++made) {
            const std::string name = "entry-" + std::to_string(i) + (i % 3 == 0 ? ".log" : ".cache");
            Bench::writeFile(folder + "/" + name, 0);
            const QString path = QString::fromStdString(folder + "/" + name);
            group.items.append(ScanItem{QUuid::createUuid(), path, QString::fromStdString(name),
                                        qint64(made) * 7919 % 90'000'000 + 4096,
                                        i % 2 ? std::optional<QString>(path) : std::nullopt, std::nullopt,
                                        made % 2 == 0, i % 50 == 0, Removal::Mode::trash(), std::nullopt});
        }
        groups.append(group);
    }
    return groups;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string home = Bench::screenHome(work);
    QApplication app(argc, argv);
    Bench::lookLikeTheApplication(home);

    auto scanner = std::make_shared<PrebuiltScanner>(makeGroups(work + "/items"));
    Bench::Services services(work);
    ScanViewModel model(scanner, services.models());
    Bench::Clock::time_point published{};
    // Connected before the screen, so the clock starts before the screen hears of the results.
    QObject::connect(&model, &ScanViewModel::changed, &app, [&] {
        if (model.phase() == ScanViewModel::Phase::results && published == Bench::Clock::time_point{})
            published = Bench::Clock::now();
    });
    DesktopWorkspace workspace;
    ScanModuleView screen(ModuleID::systemJunk, &model, true, workspace);
    screen.resize(1100, 800);
    screen.show();
    Bench::untilSettled();

    Bench::PaintWatch rowPaints(u"itemRow"_s);
    app.installEventFilter(&rowPaints);
    model.scan();
    const double firstPaint = Bench::millisecondsToFirstPaint({&rowPaints}, published);
    app.removeEventFilter(&rowPaints);
    Bench::untilSettled();

    Bench::PaintWatch figurePaints(u"summaryFigure"_s);
    app.installEventFilter(&figurePaints);
    std::vector<double> selections;
    for (int g = 0; g < kGroups; ++g) {
        const auto start = Bench::Clock::now();
        model.toggleGroupSelection(model.groups()[g].id);
        figurePaints.paints = 0;
        Bench::untilPainted(figurePaints);
        selections.push_back(Bench::millisecondsSince(start));
    }
    app.removeEventFilter(&figurePaints);
    std::vector<double> expansions;
    for (int g = 0; g < kGroups; ++g) {
        const auto start = Bench::Clock::now();
        model.toggleExpanded(model.groups()[g].id);
        Bench::untilSettled();
        expansions.push_back(Bench::millisecondsSince(start));
    }
    benchmark::DoNotOptimize(model.selectedCount());

    const Bench::Spread selection = Bench::spreadOf(selections);
    const Bench::Spread expansion = Bench::spreadOf(expansions);
    std::printf("result                  : %lld items in %d groups, all expanded\n",
                static_cast<long long>(model.totalItemCount()), kGroups);
    std::printf("publication → first row : %.1f ms (target ≤ 100)\n", firstPaint);
    std::printf("group box, per toggle   : median %.1f ms, worst %.1f ms (target ≤ 100)\n", selection.median,
                selection.worst);
    std::printf("group header, per toggle: median %.1f ms, worst %.1f ms (target ≤ 100)\n", expansion.median,
                expansion.worst);

    Platform::removeItem(QFile::decodeName(work.c_str()));
    const bool ok = firstPaint <= 100 && selection.worst <= 100 && expansion.worst <= 100;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
