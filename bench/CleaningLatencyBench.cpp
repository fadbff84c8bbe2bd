// Measures how long the GUI thread stays busy while a module cleans and then undoes its cleaning, with a
// journal that already holds 200 cleanings of 1,000 files: a timer on the GUI thread ticks every millisecond,
// and the longest gap between two ticks is the longest stretch the window could not have drawn. The cleaning
// moves 2,000 files to the Trash and journals them; the undo puts them back. Target: the longest stretch at
// most 50 ms in each.
// Usage: qp_bench_cleaning_latency [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchServices.h"
#include "BenchSupport.h"
#include "Core/History.h"
#include "Platform/FileOperations.h"
#include "Scan/Screen/ScanViewModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFiles = 2000;

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

QList<CleaningSession> startingJournal(const QString& home)
{
    QList<CleaningSession> sessions;
    const QDateTime newest = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (int s = 0; s < History::sessionLimit; ++s) {
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = QDateTime::fromSecsSinceEpoch(newest.toSecsSinceEpoch() - 3600 * s, Qt::UTC);
        session.moduleID = toRaw(ModuleID::systemJunk);
        session.moduleTitle = title(ModuleID::systemJunk);
        for (int f = 0; f < 1000; ++f) {
            const QString origin = home + u"/Library/Caches/com.example.app%1/Data/entry-%2.cache"_s.arg(s).arg(f);
            session.files.append(RemovedFile{QUuid::createUuid(), origin,
                                             home + u"/.Trash/entry-%1 %2.cache"_s.arg(f).arg(s), 4096, false});
            session.freedBytes += 4096;
        }
        sessions.append(session);
    }
    return sessions;
}

// Runs the event loop until `done`, and returns the longest time between two ticks of a 1 ms timer meanwhile.
double longestStall(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    heartbeat.start();
    while (!done() && clock.elapsed() < 120'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    // Before anything else, so that nothing of the program can reach the real home folder.
    const std::string homePath = work + "/home";
    ::setenv("HOME", homePath.c_str(), 1);
    QCoreApplication app(argc, argv);
    const QString workFolder = QFile::decodeName(work.c_str());
    const QString home = QFile::decodeName(homePath.c_str());
    Platform::createFolder(home + u"/.Trash"_s);

    ScanGroup group{QUuid::createUuid(),     u"Caches"_s, u"folder.fill"_s, std::nullopt, {}, true,
                    ScanGroup::Metric::bytes};
    const std::string folder = homePath + "/Library/Caches/com.example.bench";
    QDir().mkpath(QString::fromStdString(folder));
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "entry-" + std::to_string(i) + ".cache";
        Bench::writeFile(folder + "/" + name, 4096);
        group.items.append(ScanItem{QUuid::createUuid(), QString::fromStdString(folder + "/" + name),
                                    QString::fromStdString(name), 4096, std::nullopt, std::nullopt, true, false,
                                    Removal::Mode::trash(), std::nullopt});
    }

    History(workFolder + u"/history.json"_s).save(startingJournal(home));
    Bench::Services services(work);
    services.preferences.setTakesSnapshotBeforeCleaning(false);
    ScanViewModel model(std::make_shared<PrebuiltScanner>(QList<ScanGroup>{group}), services.models());
    model.scan();
    longestStall([&] { return model.phase() == ScanViewModel::Phase::results; });

    model.clean();
    const double cleaning = longestStall([&] { return model.phase() == ScanViewModel::Phase::finished; });
    const bool cleaned = model.removedCount() == kFiles && model.canUndo() &&
                         services.history.sessions().size() == History::sessionLimit;
    model.undoLastCleaning();
    const double undo = longestStall([&] { return !model.isUndoing(); });
    const bool undone = model.restoreNotice() == u"%1 éléments remis en place."_s.arg(kFiles);
    benchmark::DoNotOptimize(services.history.sessions().size());

    std::printf("journal            : %d sessions, then a cleaning of %d files\n", History::sessionLimit, kFiles);
    std::printf("cleaning           : longest GUI stall %.1f ms (target ≤ 50)\n", cleaning);
    std::printf("undo               : longest GUI stall %.1f ms (target ≤ 50)\n", undo);
    if (!cleaned || !undone)
        std::printf("FAIL: the cleaning or the undo did not do what it should\n");

    Platform::removeItem(workFolder);
    const bool ok = cleaned && undone && cleaning <= 50 && undo <= 50;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
