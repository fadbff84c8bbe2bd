// Scans generated homes with the system junk scanner and compares the time with `du -sl -B1` walking the same
// folders (warm caches, medians of seven runs each, made in turn): one holding 100,000 cache and log files in 200
// application folders (target 0.5× du: the items are measured side by side), one holding 100,000 files directly
// in its caches folder, each an item of its own (target 1.0× du, and at most twice du's peak memory, each
// measured in a process of its own).
// Usage: qp_bench_system_junk_scan [work-folder]   (default: $TMPDIR or /tmp; the home is removed afterwards)
#include "BenchSupport.h"
#include "Core/Exclusions.h"
#include "Platform/FileOperations.h"
#include "Platform/UserDefaults.h"
#include "Scanners/SystemJunkScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::Clock;
using Bench::secondsSince;
using Bench::writeFile;

void makeFolder(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

// `apps` folders under `root`, each with 5 subfolders of `perFolder` files of a few sizes and one link.
long fill(const std::string& root, const char* prefix, int apps, int perFolder)
{
    static const std::size_t sizes[] = {0, 200, 3000, 9000, 30000};
    long made = 0;
    for (int app = 0; app < apps; ++app) {
        for (int sub = 0; sub < 5; ++sub) {
            const std::string folder = root + "/" + prefix + std::to_string(app) + "/part" + std::to_string(sub);
            makeFolder(folder);
            for (int i = 0; i < perFolder; ++i) {
                writeFile(folder + "/entry" + std::to_string(i), sizes[(made + i) % std::size(sizes)]);
                ++made;
            }
            ::symlink("entry0", (folder + "/link").c_str());
        }
    }
    return made;
}

// The scan must see only this home: its own temporary folder and system root too.
void scanOnly(const std::string& work, const std::string& home)
{
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("TMPDIR", (work + "/tmp").c_str(), 1);
    ::setenv("QUORVANE_ROOT", work.c_str(), 1);
}

// Scans the home at `home` (its own temporary folder and system root under `work`) against du over `folders`.
// False on a ratio above `target`; `agree` tells whether the byte figures agree. With `self` (this program), the
// peak memory of one scan and of du are compared too.
bool compare(const char* title, const std::string& work, const std::string& home,
             const std::vector<std::string>& folders, double target, bool& agree, const std::string& self = {})
{
    scanOnly(work, home);
    // No exclusions: the whole home is scanned.
    const Exclusions exclusions(Platform::UserDefaults::atPath(QString::fromStdString(work + "/defaults.plist")));
    const SystemJunkScanner scanner(exclusions, ModuleID::systemJunk, true, SystemJunkScanner::standardCacheDenylist());
    qint64 scanned = 0;
    const auto scanOnce = [&] {
        scanned = 0;
        for (const ScanGroup& group : scanner.scan({}, {})) {
            for (const ScanItem& item : group.items)
                scanned += item.size;
        }
        benchmark::DoNotOptimize(scanned);
    };

    std::string quoted;
    for (const std::string& folder : folders)
        quoted += "'" + folder + "' ";
    double duSeconds = 0;
    qint64 duTotal = Bench::duBytes(quoted, &duSeconds); // warms the caches
    scanOnce();
    std::vector<double> duRuns;
    std::vector<double> scanRuns;
    for (int i = 0; i < 7; ++i) {
        double s = 0;
        duTotal = Bench::duBytes(quoted, &s);
        duRuns.push_back(s);
        const auto start = Clock::now();
        scanOnce();
        scanRuns.push_back(secondsSince(start));
    }
    duSeconds = Bench::median(duRuns);
    const double scanSeconds = Bench::median(scanRuns);
    qint64 duFiles = duTotal;
    for (const std::string& folder : folders)
        duFiles -= Bench::folderBlocks(folder);

    const double ratio = scanSeconds / duSeconds;
    std::printf("— %s (load average %s)\n", title, Bench::loadAverage().c_str());
    std::printf("du -sl -B1        : %.3f s, %lld bytes (%lld without the folders' own blocks)\n", duSeconds,
                static_cast<long long>(duTotal), static_cast<long long>(duFiles));
    std::printf("system junk scan  : %.3f s, %lld bytes\n", scanSeconds, static_cast<long long>(scanned));
    std::printf("ratio             : %.2f (target ≤ %.2f)\n", ratio, target);
    agree = scanned == duFiles;
    if (!agree)
        std::printf("FAIL: the byte figures disagree\n");
    bool memoryOk = true;
    if (!self.empty()) {
        // Each in a fresh process: the scan once, and du over the same folders.
        double seconds = 0;
        const qint64 ours = Bench::peakMemoryOf(self, {self, "--scan-once", work, home}, &seconds);
        std::vector<std::string> du{"du", "-slc", "-B1"};
        du.insert(du.end(), folders.begin(), folders.end());
        const qint64 theirs = Bench::peakMemoryOf(self, du, &seconds);
        memoryOk = ours > 0 && theirs > 0 && ours <= 2 * theirs;
        std::printf("peak memory       : scan %.1f MiB, du %.1f MiB, ratio %.2f (target ≤ 2.00)\n",
                    double(ours) / (1 << 20), double(theirs) / (1 << 20),
                    theirs > 0 ? double(ours) / double(theirs) : 0.0);
    }
    return agree && ratio <= target && memoryOk;
}

// This program's own file, for a shell to start it again.
std::string selfPath()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return std::string(buffer, length > 0 ? std::size_t(length) : 0);
}

} // namespace

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = Bench::peakOfMode(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--scan-once") {
        scanOnly(argv[2], argv[3]);
        const Exclusions exclusions(
            Platform::UserDefaults::atPath(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/defaults.plist")));
        const SystemJunkScanner scanner(exclusions, ModuleID::systemJunk, true,
                                        SystemJunkScanner::standardCacheDenylist());
        benchmark::DoNotOptimize(scanner.scan({}, {}));
        return 0;
    }
    const std::string work = Bench::makeWorkFolder(argc, argv);
    makeFolder(work + "/tmp");

    const std::string home = work + "/home";
    const std::string caches = home + "/Library/Caches";
    const std::string logs = home + "/Library/Logs";
    std::printf("Building a home with cache and log files in %s …\n", home.c_str());
    const long files = fill(caches, "com.example.app", 150, 100) + fill(logs, "Tool", 50, 100);
    std::printf("%ld files\n", files);
    bool nestedAgree = false;
    const bool nested = compare("200 application folders", work, home, {caches, logs}, 0.5, nestedAgree);

    const std::string flatHome = work + "/flat";
    const std::string flatCaches = flatHome + "/Library/Caches";
    makeFolder(flatCaches);
    for (int i = 0; i < 100000; ++i)
        writeFile(flatCaches + "/entry" + std::to_string(i), std::size_t(1 + (i % 5) * 3000));
    std::printf("Building a home with 100000 files directly in %s …\n", flatCaches.c_str());
    bool flatAgree = false;
    const bool flat = compare("100,000 files in one folder", work, flatHome, {flatCaches}, 1.0, flatAgree, selfPath());

    Platform::removeItem(QFile::decodeName(work.c_str()));
    Bench::printVerdict(nested && flat);
    return nestedAgree && flatAgree ? 0 : 1;
}
