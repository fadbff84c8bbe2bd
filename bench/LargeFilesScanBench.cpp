// Scans homes of several shapes with the large-files scanner and times it against `du -sl` over the same warm
// home, run in turn with the scan (medians of eleven runs each), in one run of the machine:
//   - the benchmark's own home: more than 200,000 small files in nested folders, a few of them above 1 MiB;
//   - many hits: 200,000 files in 8,000 folders, about 28,000 of them above 100 kB;
//   - real names: a copy of /usr/share and /usr/include, files above 100 kB;
//   - a deep tree: four chains 1,500 folders deep, against the same folders and files in a shallow tree.
// Every scan must list exactly the files a plain walk of the home finds with the module's rules (hidden names,
// skipped folders and packages left out). Prints every ratio with the load beside it; says PASS only when each
// scan takes at most 0.5× du's time and the deep tree at most 1.5× the shallow one's.
// Usage: qp_bench_large_files_scan [work-folder]   (default: $TMPDIR or /tmp; the homes are removed afterwards)
#include "BenchSupport.h"
#include "Core/Exclusions.h"
#include "Platform/FileSystem.h"
#include "Platform/UserDefaults.h"
#include "Scanners/LargeOldFilesScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::writeFile;

void makeFolder(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

// A file that takes `size` bytes on disk and more, without the time of writing them.
void allocateFile(const std::string& path, off_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::posix_fallocate(fd, 0, size) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    ::close(fd);
}

// `folders` folders of `perFolder` files three levels deep, small (empty or a few hundred bytes), and one
// large file (2 MiB and more) in every 500th folder.
void fillOwn(const std::string& home, int folders, int perFolder)
{
    for (int f = 0; f < folders; ++f) {
        const std::string folder = home + "/Projets" + std::to_string(f % 10) + "/lot" + std::to_string(f % 97) +
                                   "/dossier" + std::to_string(f);
        makeFolder(folder);
        for (int i = 0; i < perFolder; ++i)
            writeFile(folder + "/note" + std::to_string(i) + ".txt", (f + i) % 2 == 0 ? 0 : 300);
        if (f % 500 == 0)
            writeFile(folder + "/archive" + std::to_string(f) + ".zip", std::size_t(2 * 1024 * 1024 + f * 4096));
    }
}

// 8,000 folders (20 × 20 × 20) of 25 files each; every 7th file takes a little more than 100 kB.
void fillManyHits(const std::string& home)
{
    int n = 0;
    for (int a = 0; a < 20; ++a) {
        for (int b = 0; b < 20; ++b) {
            for (int c = 0; c < 20; ++c) {
                const std::string folder =
                    home + "/Projets" + std::to_string(a) + "/lot" + std::to_string(b) + "/dossier" + std::to_string(c);
                makeFolder(folder);
                for (int i = 0; i < 25; ++i, ++n) {
                    const std::string path = folder + "/piece" + std::to_string(i);
                    if (n % 7 == 0)
                        allocateFile(path + ".mov", 104 * 1024 + (n % 13) * 4096);
                    else
                        writeFile(path + ".txt", n % 2 == 0 ? 0 : 300);
                }
            }
        }
    }
}

// Four chains of 1,500 folders, or four folders of 1,500 folders each: the same folders and files (four small
// files in each, and a large one in every 50th) at another depth.
void fillChains(const std::string& home, bool deep)
{
    for (int chain = 0; chain < 4; ++chain) {
        std::string folder = home + "/c" + std::to_string(chain);
        makeFolder(folder);
        for (int level = 0; level < 1500; ++level) {
            const std::string here = deep ? (folder += "/d") : folder + "/d" + std::to_string(level);
            ::mkdir(here.c_str(), 0755);
            for (int i = 0; i < 4; ++i)
                writeFile(here + "/n" + std::to_string(i), i % 2 == 0 ? 0 : 300);
            if (level % 50 == 0)
                allocateFile(here + "/big" + std::to_string(level) + ".zip", 2 * 1024 * 1024);
        }
    }
}

// The files a plain walk lists with the module's rules, independent of the scanner's own walk.
std::set<std::string> referenceListing(const std::string& home, qint64 threshold)
{
    static std::set<std::string> found;
    static qint64 minimum = 0;
    static std::set<std::string> skipped;
    found.clear();
    minimum = threshold;
    skipped.clear();
    for (const QString& name : LargeOldFilesScanner::standardSkippedDirectories())
        skipped.insert(QFile::encodeName(name).toStdString());
    ::nftw(
        home.c_str(),
        [](const char* path, const struct stat* st, int type, struct FTW* where) -> int {
            if (where->level == 0)
                return FTW_CONTINUE;
            const char* name = path + where->base;
            if (name[0] == '.')
                return type == FTW_D ? FTW_SKIP_SUBTREE : FTW_CONTINUE;
            if (type == FTW_D)
                return skipped.count(name) || Platform::isPackage(QFile::decodeName(name)) ? FTW_SKIP_SUBTREE
                                                                                           : FTW_CONTINUE;
            if (type == FTW_F && S_ISREG(st->st_mode) && qint64(st->st_blocks) * 512 >= minimum &&
                Platform::nameSurvivesDecoding(name))
                found.insert(path);
            return FTW_CONTINUE;
        },
        64, FTW_PHYS | FTW_ACTIONRETVAL);
    return found;
}

struct Timing {
    double scanSeconds = 0;
    double duSeconds = 0;
    std::size_t listed = 0;
    bool exact = false;
};

// The scan of `home` above `threshold`, and du over the same home, in turn.
Timing timeShape(const std::string& work, const std::string& home, qint64 threshold)
{
    ::setenv("HOME", home.c_str(), 1);
    const Exclusions exclusions(Platform::UserDefaults::atPath(QString::fromStdString(work + "/defaults.plist")));
    LargeOldFilesScanner scanner(exclusions, ModuleID::largeOldFiles, LargeOldFilesScanner::standardMinimumSize,
                                 LargeOldFilesScanner::standardSkippedDirectories());
    scanner.setMinimumSize(threshold);
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
    Timing timing;
    Bench::duBytes(quoted, &timing.duSeconds); // warms the caches
    scanOnce();
    std::tie(timing.scanSeconds, timing.duSeconds) = Bench::mediansInTurn(11, scanOnce, [&] {
        double s = 0;
        Bench::duBytes(quoted, &s);
    });
    timing.listed = listed.size();
    timing.exact = listed == referenceListing(home, threshold);
    return timing;
}

// Prints one shape's figures; whether the scan listed the files expected within `target` × du's time (any
// time when `target` is 0: the figure is shown beside another check).
bool report(const char* title, const Timing& timing, double target, bool& allExact)
{
    const double ratio = timing.scanSeconds / timing.duSeconds;
    const bool holds = timing.exact && (target == 0 || ratio <= target);
    allExact = allExact && timing.exact;
    const std::string goal = target == 0 ? std::string() : " (target ≤ " + std::to_string(target).substr(0, 4) + ")";
    std::printf("%-20s: scan %.3f s, du -sl %.3f s, %zu files listed%s; ratio %.2f%s, load %s%s\n", title,
                timing.scanSeconds, timing.duSeconds, timing.listed, timing.exact ? "" : " (NOT the files expected)",
                ratio, goal.c_str(), Bench::loadAverage().c_str(), holds ? "" : "  <- misses");
    return holds;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::string work = Bench::makeWorkFolder(argc, argv);
    ::setenv("QUORVANE_ROOT", work.c_str(), 1);
    constexpr double kTarget = 0.5;
    constexpr double kDeepTarget = 1.5;
    bool ok = true;

    std::printf("Building the homes in %s …\n", work.c_str());
    fillOwn(work + "/own", 4100, 50);
    fillManyHits(work + "/hits");
    makeFolder(work + "/usr");
    const std::string copy = "cp -a /usr/share /usr/include '" + work + "/usr/'";
    const bool copied = std::system(copy.c_str()) == 0;
    fillChains(work + "/deep", true);
    fillChains(work + "/shallow", false);

    bool exact = true;
    ok &= report("own tree, 1 MiB", timeShape(work, work + "/own", 1024 * 1024), kTarget, exact);
    ok &= report("many hits, 100 kB", timeShape(work, work + "/hits", 100'000), kTarget, exact);
    if (copied) {
        ok &= report("/usr copy, 100 kB", timeShape(work, work + "/usr", 100'000), kTarget, exact);
    } else {
        ok = false;
        std::printf("/usr copy           : could not be made\n");
    }
    const Timing deep = timeShape(work, work + "/deep", 1024 * 1024);
    const Timing shallow = timeShape(work, work + "/shallow", 1024 * 1024);
    ok &= report("deep tree, 1 MiB", deep, 0, exact);
    ok &= report("shallow tree, 1 MiB", shallow, 0, exact);
    const double depthRatio = deep.scanSeconds / shallow.scanSeconds;
    std::printf("%-20s: ratio %.2f (target ≤ %.2f), load %s\n", "deep / shallow scan", depthRatio, kDeepTarget,
                Bench::loadAverage().c_str());
    ok &= depthRatio <= kDeepTarget;

    // rm walks any depth within any descriptor limit.
    const std::string remove = "rm -rf '" + work + "'";
    if (std::system(remove.c_str()) != 0)
        std::printf("could not remove %s\n", work.c_str());
    Bench::printVerdict(ok);
    return exact ? 0 : 1;
}
