// Measures FileUtils::allocatedSize against `du -sl -B1` on the same warm tree of 200,000 files (hard links
// counted each time by both), and 10,000 measurements of small folders against a plain sequential walk, each
// run in turn with its peer (medians). Says PASS at 0.5× du and 1.1× the plain walk or less.
// Usage: qp_bench_folder_size [work-folder]   (default: $TMPDIR or /tmp; the tree is removed afterwards)
#include "BenchSupport.h"
#include "Core/FileUtils.h"
#include "Platform/FileOperations.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

using Bench::writeFile;

// 200 top folders × 10 subfolders × 100 entries: 90 % files of a few sizes, hard links and short links.
void buildLargeTree(const std::string& root)
{
    static const std::size_t sizes[] = {0, 100, 3000, 5000, 20000, 70000};
    ::mkdir(root.c_str(), 0755);
    long made = 0;
    for (int top = 0; top < 200; ++top) {
        const std::string topPath = root + "/top" + std::to_string(top);
        ::mkdir(topPath.c_str(), 0755);
        for (int sub = 0; sub < 10; ++sub) {
            const std::string folder = topPath + "/sub" + std::to_string(sub);
            ::mkdir(folder.c_str(), 0755);
            for (int i = 0; i < 100; ++i) {
                const std::string path = folder + "/f" + std::to_string(i);
                if (i % 20 == 19)
                    ::link((folder + "/f0").c_str(), path.c_str());
                else if (i % 20 == 18)
                    ::symlink("f1", path.c_str());
                else
                    writeFile(path, sizes[(made + i) % std::size(sizes)]);
                ++made;
            }
        }
    }
}

// The plain sequential walk the pool must not slow down on small folders.
qint64 plainWalk(int dirFd)
{
    qint64 sum = 0;
    DIR* dir = ::fdopendir(::dup(dirFd));
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st {
        };
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode)) {
            sum += qint64(st.st_blocks) * 512;
        } else if (S_ISDIR(st.st_mode)) {
            const int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                sum += plainWalk(child);
                ::close(child);
            }
        }
    }
    ::closedir(dir);
    return sum;
}

qint64 duBytes(const std::string& root, double* seconds)
{
    return Bench::duBytes("'" + root + "'", seconds);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string large = work + "/large";
    std::printf("Building 200000 entries in %s …\n", large.c_str());
    buildLargeTree(large);

    // Warm the caches, then the medians of runs made in turn with the peer.
    qint64 measured = FileUtils::allocatedSize(QFile::decodeName(large.c_str())).bytes;
    double duSeconds = 0;
    qint64 duTotal = duBytes(large, &duSeconds);
    const auto [ourSeconds, duMedian] = Bench::mediansInTurn(
        9,
        [&] {
            measured = FileUtils::allocatedSize(QFile::decodeName(large.c_str())).bytes;
            benchmark::DoNotOptimize(measured);
        },
        [&] {
            double s = 0;
            duTotal = duBytes(large, &s);
        });
    duSeconds = duMedian;
    const qint64 duFiles = duTotal - Bench::folderBlocks(large);

    const double ratio = ourSeconds / duSeconds;
    std::printf("load average      : %s\n", Bench::loadAverage().c_str());
    std::printf("du -sl -B1        : %.3f s, %lld bytes (%lld without the folders' own blocks)\n", duSeconds,
                static_cast<long long>(duTotal), static_cast<long long>(duFiles));
    std::printf("allocatedSize     : %.3f s, %lld bytes\n", ourSeconds, static_cast<long long>(measured));
    std::printf("ratio             : %.2f (target ≤ 0.50)\n", ratio);
    bool ok = true;
    if (measured != duFiles) {
        std::printf("FAIL: the byte figures disagree\n");
        ok = false;
    }

    // 10,000 small folders of five files each.
    const std::string small = work + "/small";
    ::mkdir(small.c_str(), 0755);
    std::vector<std::string> folders;
    for (int i = 0; i < 10000; ++i) {
        folders.push_back(small + "/s" + std::to_string(i));
        ::mkdir(folders.back().c_str(), 0755);
        for (int f = 0; f < 5; ++f)
            writeFile(folders.back() + "/f" + std::to_string(f), 100 * f);
    }
    std::vector<QString> qFolders;
    for (const std::string& f : folders)
        qFolders.push_back(QFile::decodeName(f.c_str()));
    const auto [smallSeconds, plainSeconds] = Bench::mediansInTurn(
        9,
        [&] {
            for (const QString& f : qFolders)
                benchmark::DoNotOptimize(FileUtils::allocatedSize(f).bytes);
        },
        [&] {
            for (const std::string& f : folders) {
                const int fd = ::open(f.c_str(), O_RDONLY | O_DIRECTORY);
                benchmark::DoNotOptimize(plainWalk(fd));
                ::close(fd);
            }
        });
    const double smallRatio = smallSeconds / plainSeconds;
    std::printf("10000 small folders: plain walk %.3f s, allocatedSize %.3f s, ratio %.2f (target ≤ 1.10)\n",
                plainSeconds, smallSeconds, smallRatio);

    Platform::removeItem(QFile::decodeName(work.c_str()));

    ok = ok && ratio <= 0.5 && smallRatio <= 1.1;
    Bench::printVerdict(ok);
    return measured == duFiles ? 0 : 1;
}
