// Generates a tree of more than 1 GiB (files of 1 to 4 MiB, about a third of them copies in at most 250 sets,
// some same-size near copies equal in their first and last 64 KiB, and tens of thousands of unique files under
// 1 MiB in nested folders), then finds its duplicates with the duplicates scanner and with `jdupes -r -q`
// (which confirms byte for byte) on the warm tree. Fails when the two tools find different sets; says PASS
// when the scanner takes at most half of jdupes' time.
// Usage: qp_bench_duplicates_scan [work-folder]   (default: $TMPDIR or /tmp; the tree is removed afterwards)
#include "BenchSupport.h"
#include "Core/Exclusions.h"
#include "Platform/FileOperations.h"
#include "Platform/UserDefaults.h"
#include "Scanners/DuplicatesScanner.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

namespace {

using Bench::Clock;
using Bench::secondsSince;

constexpr std::size_t MiB = 1024 * 1024;

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

using PathSets = std::set<std::set<std::string>>;

struct Tree {
    PathSets expected;
    std::size_t bigFiles = 0;
    std::size_t smallFiles = 0;
    std::uint64_t bytes = 0;
};

// 120 sets of an original and one or two copies, 160 unique large files of which 30 near copies of an
// original, and `smallCount` unique small files, spread over nested folders.
Tree generate(const std::string& root, std::size_t smallCount)
{
    Tree tree;
    std::uint64_t seed = 1;
    const auto folderFor = [&](std::size_t n) {
        const std::string folder =
            root + "/d" + std::to_string(n % 7) + "/e" + std::to_string(n % 23) + "/f" + std::to_string(n % 61);
        makeFolder(folder);
        return folder;
    };
    std::size_t placed = 0;
    std::vector<std::pair<std::size_t, std::uint64_t>> originals; // size, seed
    for (std::size_t set = 0; set < 120; ++set) {
        const std::size_t size = MiB + (set * 25013 * 4096) % (3 * MiB);
        const std::uint64_t contentSeed = seed++;
        const std::vector<char> bytes = bytesFor(size, contentSeed);
        std::set<std::string> paths;
        const std::size_t copies = set < 20 ? 3 : 2;
        for (std::size_t c = 0; c < copies; ++c) {
            const std::string path = folderFor(placed++) + "/set" + std::to_string(set) + "-" + std::to_string(c);
            writeBytes(path, bytes);
            paths.insert(path);
            tree.bytes += size;
            ++tree.bigFiles;
        }
        tree.expected.insert(paths);
        originals.emplace_back(size, contentSeed);
    }
    for (std::size_t u = 0; u < 160; ++u) {
        std::vector<char> bytes;
        if (u < 30) {
            // Same size as an original, same first and last 64 KiB, a different middle.
            const auto [size, contentSeed] = originals[u * 3];
            bytes = bytesFor(size, contentSeed);
            bytes[size / 2] = char(~bytes[size / 2]);
        } else {
            bytes = bytesFor(MiB + (u * 7919 * 4096 + 123) % (3 * MiB), seed++);
        }
        writeBytes(folderFor(placed++) + "/unique" + std::to_string(u), bytes);
        tree.bytes += bytes.size();
        ++tree.bigFiles;
    }
    for (std::size_t s = 0; s < smallCount; ++s) {
        const std::vector<char> bytes = bytesFor(1 + (s * 2654435761u) % (16 * 1024), seed++);
        writeBytes(folderFor(placed++) + "/small" + std::to_string(s), bytes);
        tree.bytes += bytes.size();
        ++tree.smallFiles;
    }
    return tree;
}

// jdupes' sets: groups of paths separated by empty lines.
PathSets jdupesSets(const std::string& root, double* seconds)
{
    const std::string command = "jdupes -r -q '" + root + "'";
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
        std::printf("FAIL: jdupes did not run (is it installed? scripts/setup.sh installs it)\n");
        std::exit(2);
    }
    return sets;
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string root = work + "/tree";
    std::printf("Building a tree of copies, near copies and unique files in %s …\n", root.c_str());
    const Tree tree = generate(root, 30000);
    std::printf("%zu files of 1 to 4 MiB (%zu sets of copies), %zu small files, %.2f GiB\n", tree.bigFiles,
                tree.expected.size(), tree.smallFiles, double(tree.bytes) / double(1024 * MiB));

    ::setenv("HOME", work.c_str(), 1);
    ::setenv("QUORVANE_ROOT", work.c_str(), 1);
    const Exclusions exclusions(Platform::UserDefaults::atPath(QString::fromStdString(work + "/defaults.plist")));
    const DuplicatesScanner scanner(exclusions, ModuleID::duplicates, QStringList{QFile::decodeName(root.c_str())});
    PathSets found;
    const auto scanOnce = [&] {
        const QList<ScanGroup> groups = scanner.scan({}, {});
        found = scannerSets(groups);
        benchmark::DoNotOptimize(found);
    };

    double jdupesSeconds = 0;
    PathSets peer = jdupesSets(root, &jdupesSeconds); // warms the caches
    scanOnce();
    double scanSeconds = 1e9;
    jdupesSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        double s = 0;
        peer = jdupesSets(root, &s);
        jdupesSeconds = std::min(jdupesSeconds, s);
        const auto start = Clock::now();
        scanOnce();
        scanSeconds = std::min(scanSeconds, secondsSince(start));
    }

    const double ratio = scanSeconds / jdupesSeconds;
    std::printf("jdupes -r -q      : %.3f s, %zu sets\n", jdupesSeconds, peer.size());
    std::printf("duplicates scan   : %.3f s, %zu sets\n", scanSeconds, found.size());
    std::printf("ratio             : %.2f (target ≤ 0.50)\n", ratio);
    const bool agree = found == peer && found == tree.expected;
    if (!agree)
        std::printf("FAIL: the sets of copies differ (scanner %zu, jdupes %zu, made %zu)\n", found.size(), peer.size(),
                    tree.expected.size());

    Platform::removeItem(QFile::decodeName(work.c_str()));
    Bench::printVerdict(agree && ratio <= 0.5);
    return agree ? 0 : 1;
}
