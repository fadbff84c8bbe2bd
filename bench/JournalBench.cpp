// Measures the cleaning journal at its largest: recording one cleaning of 10,000 files into a journal that
// already holds 200 cleanings of 1,000 files (read, change, sort, cap, write, synchronise), and reading that
// journal back. Target: each at most 150 ms (the median of five runs).
// Usage: qp_bench_journal [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchSupport.h"
#include "Core/History.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <stdlib.h>

#include <QCoreApplication>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

using Bench::Clock;
using Bench::median;
using Bench::millisecondsSince;

// Paths shaped like a cleaning's: caches of many apps, several folders deep, their Trash names numbered.
Removal::Removed removedItem(const QString& home, int app, int file)
{
    const QString name = u"entry-%1.cache"_s.arg(file);
    Removal::Removed removed;
    removed.origin =
        home + u"/Library/Caches/com.example.application%1/Cache.noindex/Data/%2/"_s.arg(app).arg(file % 97) + name;
    removed.trashed = home + u"/.Trash/"_s + name.left(name.size() - 6) + u" %1.cache"_s.arg(app);
    removed.bytes = (qint64(file) * 7919 + app) % 50'000'000 + 4096;
    return removed;
}

QList<CleaningSession> startingJournal(const QString& home)
{
    QList<CleaningSession> sessions;
    const QDateTime newest = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (int s = 0; s < 200; ++s) {
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = newest.addSecs(-3600 * s);
        session.moduleID = toRaw(ModuleID::systemJunk);
        session.moduleTitle = title(ModuleID::systemJunk);
        session.failureCount = s % 3;
        session.snapshotStamp = u"2025-03-14-092653"_s;
        for (int f = 0; f < 1000; ++f) {
            const Removal::Removed removed = removedItem(home, s, f);
            session.files.append(
                RemovedFile{QUuid::createUuid(), removed.origin, removed.trashed, removed.bytes, false});
            session.freedBytes += removed.bytes;
        }
        sessions.append(session);
    }
    return sessions;
}

} // namespace

int main(int argc, char* argv[])
{
    const char* tmp = std::getenv("TMPDIR");
    std::string work = std::string(argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp")) + "/qp-bench-XXXXXX";
    if (::mkdtemp(work.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    // Before anything else, so that nothing of the program can reach the real home folder.
    const std::string homePath = work + "/home";
    ::setenv("HOME", homePath.c_str(), 1);
    QCoreApplication app(argc, argv);
    const QString workFolder = QFile::decodeName(work.c_str());
    const QString home = QFile::decodeName(homePath.c_str());
    Platform::createFolder(home);
    const QString journal = workFolder + u"/history.json"_s;

    const QList<CleaningSession> start = startingJournal(home);
    Removal::Report report;
    for (int f = 0; f < 10000; ++f) {
        report.removed.append(removedItem(home, 999, f));
        report.freedBytes += report.removed.back().bytes;
    }

    std::vector<double> recordTimes;
    std::vector<double> readTimes;
    bool ok = true;
    for (int run = 0; run < 5; ++run) {
        History(journal).save(start);
        // As in the program: the journal was read when the shared instance was made, and a cleaning ends.
        History writer(journal);
        const auto recordStart = Clock::now();
        const std::optional<QUuid> id = writer.record(report, ModuleID::systemJunk, u"2025-03-14-100000"_s);
        recordTimes.push_back(millisecondsSince(recordStart));

        const auto readStart = Clock::now();
        const History reader(journal);
        readTimes.push_back(millisecondsSince(readStart));
        benchmark::DoNotOptimize(reader.sessions().size());
        if (!id || reader.sessions() != writer.sessions() || reader.sessions().size() != 200 ||
            reader.sessions().front().id != *id || reader.sessions().front().files.size() != 10000) {
            std::printf("FAIL: the journal read back is not the one recorded\n");
            ok = false;
        }
    }

    const qint64 bytes = Platform::fileInfo(journal) ? Platform::fileInfo(journal)->logicalSize : 0;
    const double recordMs = median(recordTimes);
    const double readMs = median(readTimes);
    std::printf("journal           : 200 sessions, 210000 files, %.1f MB\n", double(bytes) / 1e6);
    std::printf("record 10000 files: %.1f ms (target ≤ 150)\n", recordMs);
    std::printf("read back         : %.1f ms (target ≤ 150)\n", readMs);

    Platform::removeItem(workFolder);

    ok = ok && recordMs <= 150 && readMs <= 150;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
