// Generates a home of more than 200,000 files in nested folders (no hidden or skipped names, no packages)
// with a few files above a lowered threshold, then scans it with the large-files scanner and compares the
// time with `du -sl` over the same warm home, run in turn with the scan (medians of eleven runs each). Fails
// unless exactly the files at or above the threshold are listed; says PASS at 0.5× du's time or less.
// Usage: qp_bench_large_files_scan [work-folder]   (default: $TMPDIR or /tmp; the home is removed afterwards)
#include "BenchSupport.h"
#include "Core/Exclusions.h"
#include "Platform/FileOperations.h"
#include "Platform/UserDefaults.h"
#include "Scanners/LargeOldFilesScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::writeFile;

constexpr qint64 kThreshold = 1024 * 1024;

void makeFolder(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

// `folders` folders of `perFolder` files three levels deep, small (empty or a few hundred bytes), and one
// large file (2 MiB and more, well above the threshold) in every 500th folder. Returns the large files.
std::set<std::string> fill(const std::string& home, int folders, int perFolder)
{
    std::set<std::string> large;
    for (int f = 0; f < folders; ++f) {
        const std::string folder = home + "/Projets" + std::to_string(f % 10) + "/lot" + std::to_string(f % 97) +
                                   "/dossier" + std::to_string(f);
        makeFolder(folder);
        for (int i = 0; i < perFolder; ++i) {
            const std::string path = folder + "/note" + std::to_string(i) + ".txt";
            writeFile(path, (f + i) % 2 == 0 ? 0 : 300);
        }
        if (f % 500 == 0) {
            const std::string path = folder + "/archive" + std::to_string(f) + ".zip";
            writeFile(path, std::size_t(2 * kThreshold + f * 4096));
            large.insert(path);
        }
    }
    return large;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string home = work + "/home";
    std::printf("Building a home of small files with a few large ones in %s …\n", home.c_str());
    const int folders = 4100;
    const int perFolder = 50;
    const std::set<std::string> expected = fill(home, folders, perFolder);
    std::printf("%d files, %zu of them at or above %lld bytes\n", folders * perFolder + int(expected.size()),
                expected.size(), static_cast<long long>(kThreshold));

    ::setenv("HOME", home.c_str(), 1);
    ::setenv("QUORVANE_ROOT", work.c_str(), 1);
    // The module's scanner with its threshold lowered, so that a home of this size holds a few large files.
    const Exclusions exclusions(Platform::UserDefaults::atPath(QString::fromStdString(work + "/defaults.plist")));
    LargeOldFilesScanner scanner(exclusions, ModuleID::largeOldFiles, LargeOldFilesScanner::standardMinimumSize,
                                 LargeOldFilesScanner::standardSkippedDirectories());
    scanner.setMinimumSize(kThreshold);
    std::set<std::string> listed;
    const auto scanOnce = [&] {
        listed.clear();
        for (const ScanGroup& group : scanner.scan({}, {})) {
            for (const ScanItem& item : group.items)
                listed.insert(QFile::encodeName(item.url).toStdString());
        }
        benchmark::DoNotOptimize(listed);
    };

    const std::string quoted = "'" + home + "'";
    double duSeconds = 0;
    Bench::duBytes(quoted, &duSeconds); // warms the caches
    scanOnce();
    double scanSeconds = 0;
    std::tie(scanSeconds, duSeconds) = Bench::mediansInTurn(11, scanOnce, [&] {
        double s = 0;
        Bench::duBytes(quoted, &s);
    });

    constexpr double kTarget = 0.5;
    const double ratio = scanSeconds / duSeconds;
    std::printf("load average        : %s\n", Bench::loadAverage().c_str());
    std::printf("du -sl -B1          : %.3f s (median)\n", duSeconds);
    std::printf("large-files scan    : %.3f s (median), %zu files listed\n", scanSeconds, listed.size());
    std::printf("ratio               : %.2f (target ≤ %.2f)\n", ratio, kTarget);
    const bool exact = listed == expected;
    if (!exact)
        std::printf("FAIL: the scan did not list exactly the %zu files at or above the threshold\n", expected.size());

    Platform::removeItem(QFile::decodeName(work.c_str()));
    Bench::printVerdict(exact && ratio <= kTarget);
    return exact ? 0 : 1;
}
