#pragma once

// Helpers shared by the benchmarks: timing, files whose content takes room on disk, du's figure, and the
// work folder each benchmark builds its trees in.

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace Bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline void writeFile(const std::string& path, std::size_t size)
{
    static const std::string block(64 * 1024, 'q');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    while (size > 0) {
        const std::size_t n = std::min(size, block.size());
        if (::write(fd, block.data(), n) != ssize_t(n)) {
            std::perror("write");
            std::exit(2);
        }
        size -= n;
    }
    ::close(fd);
}

// The total of `du -slc -B1` over `paths`, each already quoted for the shell; -1 when du gives no figure.
inline qint64 duBytes(const std::string& paths, double* seconds)
{
    const std::string command = "du -slc -B1 " + paths;
    const auto start = Clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    long long bytes = -1;
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe))
        bytes = std::strtoll(line, nullptr, 10); // the last line is the total
    if (pipe)
        ::pclose(pipe);
    *seconds = secondsSince(start);
    return bytes;
}

// A new folder in the folder given on the command line, else in $TMPDIR or /tmp.
inline std::string makeWorkFolder(int argc, char* argv[])
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
    std::string work = base + "/qp-bench-XXXXXX";
    if (::mkdtemp(work.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return work;
}

} // namespace Bench
