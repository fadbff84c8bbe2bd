// Measures the disk map's tree build against `gdu -n -p --no-prefix` on two warm trees, run in turn (medians of
// five): a generated tree of 1,000,000 files (folders four to six levels deep, files at every level, a third of
// them empty, a few with several names, short names), and a copy of /usr/share and /usr/include (real names). Also
// the memory a built tree holds per node on each, how fast a build stops, and the treemap layout of 10,000 children
// (best of three). Says PASS at 0.5× gdu's time on both trees, 80 bytes per node or less on the generated tree and
// 100 on the real names, and the stop and layout targets.
// Usage: qp_bench_space_map [work-folder [files-per-thousand]]   (default: $TMPDIR or /tmp, 1000; the trees are
// removed afterwards). Exits non-zero when the root's size disagrees with `du -s` (each file once, the folders'
// own blocks left out).
#include "BenchSupport.h"
#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"
#include "Tools/SpaceNode.h"
#include "Tools/Treemap.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::Clock;
using Bench::secondsSince;
using Bench::writeFile;

long g_files = 0;

// Every third file is empty; the others take one to three blocks.
void files(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const long n = g_files++;
        writeFile(folder + "/f" + std::to_string(i), n % 3 == 0 ? 0 : std::size_t(100 + (n % 7) * 1500));
    }
}

std::string sub(const std::string& parent, const char* prefix, int i)
{
    const std::string path = parent + "/" + prefix + std::to_string(i);
    ::mkdir(path.c_str(), 0755);
    return path;
}

// 10 × 10 × 10 × 10 folders down to the fourth level, each of those with two folders below, the first with one
// more: files at every level, most of them below the fourth level. `scale` thins the deep files (1000 = all).
void buildTree(const std::string& root, int scale)
{
    ::mkdir(root.c_str(), 0755);
    auto scaled = [scale](int n) { return std::max(1, n * scale / 1000); };
    files(root, 10); // names "f…" for files, other letters for folders
    for (int a = 0; a < 10; ++a) {
        const std::string l1 = sub(root, "a", a);
        files(l1, 20);
        for (int b = 0; b < 10; ++b) {
            const std::string l2 = sub(l1, "b", b);
            files(l2, 50);
            for (int c = 0; c < 10; ++c) {
                const std::string l3 = sub(l2, "c", c);
                files(l3, 140);
                // A second name for one file here and a third in the next folder: each counts once.
                ::link((l3 + "/f1").c_str(), (l3 + "/h1").c_str());
                if (c > 0)
                    ::link((l2 + "/c" + std::to_string(c - 1) + "/f2").c_str(), (l3 + "/h2").c_str());
                for (int d = 0; d < 10; ++d) {
                    const std::string l4 = sub(l3, "d", d);
                    files(l4, scaled(40));
                    for (int e = 0; e < 2; ++e) {
                        const std::string l5 = sub(l4, "e", e);
                        files(l5, scaled(20));
                        if (e == 0)
                            files(sub(l5, "g", 0), scaled(10));
                    }
                }
            }
        }
    }
}

// A folder of 10,000 files: sizes drawn from a long tail, or all equal.
void buildWide(const std::string& folder, bool equal)
{
    ::mkdir(folder.c_str(), 0755);
    std::mt19937 random(25);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int i = 0; i < 10000; ++i) {
        const double tail = std::pow(1.0 - uniform(random), -1.2); // Pareto-like: many small, a few large
        const std::size_t blocks = equal ? 1 : std::size_t(std::min(256.0, tail));
        writeFile(folder + "/w" + std::to_string(i), blocks * 4096);
    }
}

template <class F> double bestOf(int runs, F&& f)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, secondsSince(start));
    }
    return best;
}

void runGdu(const std::string& root)
{
    const std::string command = "gdu -n -p --no-prefix '" + root + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        std::printf("note: gdu did not run (is the Debian package gdu installed?)\n");
}

// `du -s -B1`: each file once, as the map counts it.
qint64 duOnce(const std::string& root)
{
    FILE* pipe = ::popen(("du -s -B1 '" + root + "'").c_str(), "r");
    long long bytes = -1;
    char line[4096];
    if (pipe && std::fgets(line, sizeof line, pipe))
        bytes = std::strtoll(line, nullptr, 10);
    if (pipe)
        ::pclose(pipe);
    return bytes;
}

qint64 residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    }
    return -1;
}

// In a fresh process: start the walk pool with a whole measure, then read the resident memory before a build
// and with the built tree held. Prints "<nodes> <bytes>".
int memoryChild(const std::string& root)
{
    const QString folder = QFile::decodeName(root.c_str());
    benchmark::DoNotOptimize(FileUtils::allocatedSize(folder).bytes);
    const qint64 before = residentBytes();
    const std::shared_ptr<SpaceTree> tree = SpaceTree::measure(folder, 4);
    const qint64 after = residentBytes();
    std::printf("%lld %lld\n", static_cast<long long>(tree->nodeCount()), static_cast<long long>(after - before));
    return 0;
}

bool memoryPerNode(const std::string& self, const std::string& root, double* perNode, long long* nodes)
{
    std::string output = root + ".memory";
    const std::string command = "'" + self + "' --memory '" + root + "' > '" + output + "'";
    if (std::system(command.c_str()) != 0)
        return false;
    long long bytes = 0;
    std::ifstream in(output);
    in >> *nodes >> bytes;
    ::unlink(output.c_str());
    *perNode = *nodes > 0 ? double(bytes) / double(*nodes) : 1e9;
    return *nodes > 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return memoryChild(argv[2]);

    const std::string work = Bench::makeWorkFolder(argc, argv);
    const int scale = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const std::string tree = work + "/tree";
    std::printf("Building the tree in %s …\n", tree.c_str());
    buildTree(tree, scale);
    std::printf("%ld files\n", g_files);
    const QString folder = QFile::decodeName(tree.c_str());
    bool ok = true;

    constexpr double kTarget = 0.5;
    const auto againstGdu = [&](const char* label, const std::string& path, std::shared_ptr<SpaceTree>& built) {
        // Warm the caches, then the medians of runs made in turn.
        const QString measured = QFile::decodeName(path.c_str());
        built = SpaceTree::measure(measured, 4);
        runGdu(path);
        std::vector<double> gduRuns;
        std::vector<double> ourRuns;
        for (int run = 0; run < 5; ++run) {
            auto start = Clock::now();
            runGdu(path);
            gduRuns.push_back(secondsSince(start));
            built.reset();
            start = Clock::now();
            built = SpaceTree::measure(measured, 4);
            ourRuns.push_back(secondsSince(start));
        }
        const double gdu = Bench::median(gduRuns);
        const double ours = Bench::median(ourRuns);
        std::printf("%s\n", label);
        std::printf("  gdu -n -p         : %.3f s (median)\n", gdu);
        std::printf("  depth-4 build     : %.3f s (median), %lld nodes, ratio %.2f (target ≤ %.2f), load %s\n", ours,
                    static_cast<long long>(built->nodeCount()), ours / gdu, kTarget, Bench::loadAverage().c_str());
        return ours <= kTarget * gdu;
    };
    const auto memory = [&](const std::string& path, double target) {
        double perNode = 0;
        long long nodes = 0;
        if (!memoryPerNode(argv[0], path, &perNode, &nodes)) {
            std::printf("  memory            : not measured\n");
            return false;
        }
        std::printf("  memory            : %.1f bytes per node over %lld nodes (target ≤ %.0f), load %s\n", perNode,
                    nodes, target, Bench::loadAverage().c_str());
        return perNode <= target;
    };

    std::shared_ptr<SpaceTree> built;
    ok = againstGdu("generated tree (short names)", tree, built) && ok;
    const qint64 du = duOnce(tree) - Bench::folderBlocks(tree);
    const bool sameSize = built->root()->size() == du;
    std::printf("  root size         : %lld, du -s without the folders' own blocks %lld: %s\n",
                static_cast<long long>(built->root()->size()), static_cast<long long>(du),
                sameSize ? "equal" : "DIFFERENT");
    ok = ok && sameSize;
    built.reset();
    ok = memory(tree, 80) && ok;

    // Real names, of every length and alphabet the system's own files have.
    const std::string system = work + "/usr";
    const long systemFiles = Bench::copySystemFolders(system);
    ok = ok && systemFiles > 0;
    ok = againstGdu("a copy of /usr/share and /usr/include (real names)", system, built) && ok;
    built.reset();
    ok = memory(system, 100) && ok;

    // A stop in the middle of a build: the time from the request to the return.
    double worstStop = 0;
    for (int run = 0; run < 3; ++run) {
        std::stop_source stop;
        std::atomic<bool> started{false};
        Clock::time_point requested;
        std::thread builder([&] {
            SpaceTree::measure(
                folder, 4,
                [&](double fraction, const QString&) {
                    if (fraction >= 0.3)
                        started = true;
                },
                stop.get_token());
        });
        while (!started)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        requested = Clock::now();
        stop.request_stop();
        builder.join();
        worstStop = std::max(worstStop, secondsSince(requested));
    }
    std::printf("stop              : %.1f ms at worst (target ≤ 100), load %s\n", worstStop * 1000,
                Bench::loadAverage().c_str());
    ok = ok && worstStop <= 0.1;

    // The layout of 10,000 children, long-tailed and equal.
    for (const bool equal : {false, true}) {
        const std::string wide = work + (equal ? "/equal" : "/tail");
        buildWide(wide, equal);
        const std::shared_ptr<SpaceTree> children = SpaceTree::measure(QFile::decodeName(wide.c_str()), 1);
        const auto wideChildren = children->root()->children();
        std::size_t tiles = 0;
        const double seconds = bestOf(3, [&] {
            const std::vector<Treemap::Tile> laidOut = Treemap::layout(wideChildren, QRectF(0, 0, 1200, 800));
            tiles = laidOut.size();
            benchmark::DoNotOptimize(laidOut.data());
        });
        std::printf("layout %-10s : %zu children, %zu tiles, %.3f ms (target ≤ 2), load %s\n",
                    equal ? "equal" : "long tail", wideChildren.size(), tiles, seconds * 1000,
                    Bench::loadAverage().c_str());
        ok = ok && seconds <= 0.002;
    }

    Platform::removeItem(QFile::decodeName(work.c_str()));
    Bench::printVerdict(ok);
    return sameSize ? 0 : 1;
}
