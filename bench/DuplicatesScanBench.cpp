// Finds the duplicates of three trees with the duplicates scanner and with its peers under the scanner's own size
// floor, `jdupes -r -q -X size+=:1M` and `fdupes -r -q -G 1048576` (both confirm byte for byte), run in turn on the
// warm tree (medians of five):
//   - the benchmark's own: more than 1 GiB of files of 1 to 4 MiB, about a third of them copies in at most 250
//     sets, some same-size near copies equal in their first and last 64 KiB, and 30,000 unique files under 1 MiB
//     in nested folders;
//   - real names: a copy of /usr/share and /usr/include;
//   - large files: 600 files of 1.2 to 5 MB, a fifth of them copies, a twentieth same head and tail as another.
// Fails when the tools find different sets (the peers' sets cut to the files the scanner's walk visits). Says PASS
// when on every tree the scanner takes at most half the faster peer's time, and when on the large files the
// whole-content stage's wall time is at most 1.3 × its processor time divided by the cores.
// Usage: qp_bench_duplicates_scan [work-folder]   (default: $TMPDIR or /tmp; the trees are removed afterwards)
#include "BenchSupport.h"
#include "Core/Exclusions.h"
#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/UserDefaults.h"
#include "Scanners/DuplicatesScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::Clock;
using Bench::secondsSince;

constexpr std::size_t MiB = 1024 * 1024;
constexpr double kTarget = 0.5;        // of the faster peer's time
constexpr double kHashingSpread = 1.3; // wall time over processor time per core

void makeFolder(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    ::mkdir(path.c_str(), 0755);
}

// Pseudo-random bytes of their own for each seed (xorshift), fast enough to write a gigabyte in seconds.
std::vector<char> bytesFor(std::size_t size, std::uint64_t seed)
{
    std::vector<char> bytes((size + 7) / 8 * 8);
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(bytes.data() + i, &state, 8);
    }
    bytes.resize(size);
    return bytes;
}

void writeBytes(const std::string& path, const std::vector<char>& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        std::perror(path.c_str());
        std::exit(2);
    }
    ::close(fd);
}

// Flips one byte in the middle: same size, same first and last 64 KiB.
std::vector<char> nearCopy(std::vector<char> bytes)
{
    bytes[bytes.size() / 2] = char(~bytes[bytes.size() / 2]);
    return bytes;
}

using PathSets = std::set<std::set<std::string>>;

struct Tree {
    PathSets expected;
    std::size_t bigFiles = 0;
    std::size_t smallFiles = 0;
    std::uint64_t bytes = 0;
};

std::string folderFor(const std::string& root, std::size_t n)
{
    const std::string folder =
        root + "/d" + std::to_string(n % 7) + "/e" + std::to_string(n % 23) + "/f" + std::to_string(n % 61);
    makeFolder(folder);
    return folder;
}

// 120 sets of an original and one or two copies, 160 unique large files of which 30 near copies of an
// original, and `smallCount` unique small files, spread over nested folders.
Tree generateMixed(const std::string& root, std::size_t smallCount)
{
    Tree tree;
    std::uint64_t seed = 1;
    std::size_t placed = 0;
    std::vector<std::vector<char>> originals;
    for (std::size_t set = 0; set < 120; ++set) {
        const std::size_t size = MiB + (set * 25013 * 4096) % (3 * MiB);
        std::vector<char> bytes = bytesFor(size, seed++);
        std::set<std::string> paths;
        const std::size_t copies = set < 20 ? 3 : 2;
        for (std::size_t c = 0; c < copies; ++c) {
            const std::string path = folderFor(root, placed++) + "/set" + std::to_string(set) + "-" + std::to_string(c);
            writeBytes(path, bytes);
            paths.insert(path);
            tree.bytes += size;
            ++tree.bigFiles;
        }
        tree.expected.insert(paths);
        if (set % 3 == 0)
            originals.push_back(std::move(bytes));
    }
    for (std::size_t u = 0; u < 160; ++u) {
        const std::vector<char> bytes =
            u < 30 ? nearCopy(originals[u]) : bytesFor(MiB + (u * 7919 * 4096 + 123) % (3 * MiB), seed++);
        writeBytes(folderFor(root, placed++) + "/unique" + std::to_string(u), bytes);
        tree.bytes += bytes.size();
        ++tree.bigFiles;
    }
    for (std::size_t s = 0; s < smallCount; ++s) {
        const std::vector<char> bytes = bytesFor(1 + (s * 2654435761u) % (16 * 1024), seed++);
        writeBytes(folderFor(root, placed++) + "/small" + std::to_string(s), bytes);
        tree.bytes += bytes.size();
        ++tree.smallFiles;
    }
    return tree;
}

// 600 files of 1.2 to 5 MB (sizes drawn at random, to the byte): 480 originals, 120 of them copied once, and 30
// of the originals a near copy of another original.
Tree generateLarge(const std::string& root)
{
    Tree tree;
    std::mt19937_64 random(44);
    std::uniform_int_distribution<std::size_t> sizes(1'200'000, 5'000'000);
    std::vector<std::vector<char>> contents;
    for (std::size_t i = 0; i < 480; ++i) {
        std::vector<char> bytes = i >= 450 ? nearCopy(contents[i - 450]) : bytesFor(sizes(random), 1000 + i);
        const std::string path = folderFor(root, i) + "/photo" + std::to_string(i) + ".raw";
        writeBytes(path, bytes);
        tree.bytes += bytes.size();
        ++tree.bigFiles;
        if (i < 120) {
            const std::string copy = folderFor(root, i + 480) + "/photo" + std::to_string(i) + " copie.raw";
            writeBytes(copy, bytes);
            tree.bytes += bytes.size();
            ++tree.bigFiles;
            tree.expected.insert({path, copy});
        }
        if (i < 30)
            contents.push_back(std::move(bytes));
    }
    return tree;
}

// A peer's sets: groups of paths separated by empty lines (jdupes and fdupes write them alike).
PathSets peerSets(const std::string& command, double* seconds)
{
    const auto start = Clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    PathSets sets;
    std::set<std::string> current;
    char line[8192];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (text.empty()) {
            if (!current.empty())
                sets.insert(current);
            current.clear();
        } else {
            current.insert(text);
        }
    }
    if (!current.empty())
        sets.insert(current);
    const int status = pipe ? ::pclose(pipe) : -1;
    *seconds = secondsSince(start);
    if (status != 0) {
        std::printf("FAIL: `%s` did not run (is it installed? scripts/setup.sh installs it)\n", command.c_str());
        std::exit(2);
    }
    return sets;
}

// Whether the scanner's walk reaches `path` below `root`: no hidden name, no folder of a skipped name and no
// package on the way, and a regular file.
bool scannerVisits(const std::string& root, const std::string& path)
{
    struct stat st {
    };
    if (path.rfind(root + "/", 0) != 0 || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const QStringList parts = QFile::decodeName(path.substr(root.size() + 1).c_str()).split(u'/');
    QString folder = QFile::decodeName(root.c_str());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        folder += u'/' + parts[i];
        const bool isFolder = i + 1 < parts.size();
        if (parts[i].startsWith(u'.') ||
            (isFolder && (DuplicatesScanner::skippedNames().contains(parts[i]) || Platform::isPackage(folder))))
            return false;
    }
    return true;
}

// A peer's sets as the scanner would find them.
PathSets visibleTo(const std::string& root, const PathSets& sets)
{
    PathSets kept;
    for (const std::set<std::string>& set : sets) {
        std::set<std::string> visible;
        for (const std::string& path : set) {
            if (scannerVisits(root, path))
                visible.insert(path);
        }
        if (visible.size() >= 2)
            kept.insert(visible);
    }
    return kept;
}

PathSets scannerSets(const QList<ScanGroup>& groups)
{
    PathSets sets;
    for (const ScanGroup& group : groups) {
        std::set<std::string> paths;
        for (const ScanItem& item : group.items)
            paths.insert(QFile::encodeName(item.url).toStdString());
        sets.insert(paths);
    }
    return sets;
}

// The processor time of the whole process, every thread, user and system.
double processorSeconds()
{
    struct rusage usage {
    };
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One tree measured: the scanner and both peers, in turn, on the warm tree; false when their sets differ.
bool measureTree(const char* label, const DuplicatesScanner& scanner, const std::string& root,
                 const std::optional<PathSets>& made, bool& fast)
{
    const std::string quoted = "'" + root + "'";
    const std::string jdupes = "jdupes -r -q -X size+=:1M " + quoted;
    const std::string fdupes = "fdupes -r -q -G 1048576 " + quoted;
    PathSets found;
    PathSets byJdupes;
    PathSets byFdupes;
    double seconds = 0;
    std::vector<double> ours;
    std::vector<double> jdupesRuns;
    std::vector<double> fdupesRuns;
    for (int run = -1; run < 5; ++run) { // the first round warms the caches
        byJdupes = peerSets(jdupes, &seconds);
        jdupesRuns.push_back(seconds);
        byFdupes = peerSets(fdupes, &seconds);
        fdupesRuns.push_back(seconds);
        const auto start = Clock::now();
        found = scannerSets(scanner.scan({}, {}));
        benchmark::DoNotOptimize(found);
        ours.push_back(secondsSince(start));
        if (run < 0) {
            ours.clear();
            jdupesRuns.clear();
            fdupesRuns.clear();
        }
    }
    const double scan = Bench::median(ours);
    const double j = Bench::median(jdupesRuns);
    const double f = Bench::median(fdupesRuns);
    const double ratio = scan / std::min(j, f);
    std::printf("%s\n", label);
    std::printf("  jdupes -X size+=:1M : %.3f s, %zu sets\n", j, byJdupes.size());
    std::printf("  fdupes -G 1048576   : %.3f s, %zu sets\n", f, byFdupes.size());
    std::printf("  duplicates scan     : %.3f s, %zu sets; %.2f× jdupes, %.2f× fdupes (target ≤ %.2f× the faster), "
                "load %s\n",
                scan, found.size(), scan / j, scan / f, kTarget, Bench::loadAverage().c_str());
    fast = fast && ratio <= kTarget;
    const bool agree =
        found == visibleTo(root, byJdupes) && found == visibleTo(root, byFdupes) && (!made || found == *made);
    if (!agree)
        std::printf("FAIL: the sets of copies differ (scanner %zu, jdupes %zu, fdupes %zu)\n", found.size(),
                    byJdupes.size(), byFdupes.size());
    return agree;
}

// The whole-content stage alone, on the warm tree: the median of five runs of its wall time over its processor
// time divided by the cores.
double hashingSpread(const DuplicatesScanner& scanner, double* wall, double* processor)
{
    const QList<DuplicatesScanner::Copies> candidates =
        scanner.samePartialFingerprint(DuplicatesScanner::groupBySize(scanner.enumerate({}, {})), {});
    const double cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<double> spreads;
    std::vector<double> walls;
    std::vector<double> processors;
    for (int run = 0; run < 5; ++run) {
        const double cpuStart = processorSeconds();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(scanner.sameContent(candidates, {}));
        walls.push_back(secondsSince(start));
        processors.push_back(processorSeconds() - cpuStart);
        spreads.push_back(walls.back() / (processors.back() / cores));
    }
    *wall = Bench::median(walls);
    *processor = Bench::median(processors);
    return Bench::median(spreads);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string mixed = work + "/mixed";
    const std::string system = work + "/usr";
    const std::string large = work + "/large";
    std::printf("Building the trees in %s …\n", work.c_str());
    const Tree own = generateMixed(mixed, 30000);
    std::printf("own tree   : %zu files of 1 to 4 MiB (%zu sets of copies), %zu small files, %.2f GiB\n", own.bigFiles,
                own.expected.size(), own.smallFiles, double(own.bytes) / double(1024 * MiB));
    const long systemFiles = Bench::copySystemFolders(system);
    std::printf("real names : a copy of /usr/share and /usr/include, %ld files\n", systemFiles);
    const Tree bigOnes = generateLarge(large);
    std::printf("large files: %zu files of 1.2 to 5 MB (%zu sets of copies), %.2f GiB\n", bigOnes.bigFiles,
                bigOnes.expected.size(), double(bigOnes.bytes) / double(1024 * MiB));

    ::setenv("HOME", work.c_str(), 1);
    ::setenv("QUORVANE_ROOT", work.c_str(), 1);
    const Exclusions exclusions(Platform::UserDefaults::atPath(QString::fromStdString(work + "/defaults.plist")));
    const auto scannerOf = [&](const std::string& root) {
        return DuplicatesScanner(exclusions, ModuleID::duplicates, QStringList{QFile::decodeName(root.c_str())});
    };

    bool fast = true;
    bool agree = systemFiles > 0;
    agree = measureTree("own tree (copies, near copies, small files)", scannerOf(mixed), mixed, own.expected, fast) &&
            agree;
    agree =
        measureTree("real names (/usr/share and /usr/include)", scannerOf(system), system, std::nullopt, fast) && agree;
    const DuplicatesScanner largeScanner = scannerOf(large);
    agree = measureTree("large files (copies and near copies)", largeScanner, large, bigOnes.expected, fast) && agree;

    double wall = 0;
    double processor = 0;
    const double spread = hashingSpread(largeScanner, &wall, &processor);
    std::printf("whole-content stage on the large files: %.3f s wall, %.3f s processor over %u cores: %.2f× "
                "(target ≤ %.2f), load %s\n",
                wall, processor, std::max(1u, std::thread::hardware_concurrency()), spread, kHashingSpread,
                Bench::loadAverage().c_str());
    fast = fast && spread <= kHashingSpread;

    Platform::removeItem(QFile::decodeName(work.c_str()));
    Bench::printVerdict(agree && fast);
    return agree ? 0 : 1;
}
