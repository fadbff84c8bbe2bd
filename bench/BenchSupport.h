#pragma once

// Helpers shared by the benchmarks: timing, files whose content takes room on disk, du's figure, and the
// work folder each benchmark builds its trees in.

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The middle of several timings: the machine is shared, and one slow run says nothing of the code.
// The folders' own blocks below `path` (itself included), which du counts and a scan of files does not.
inline qint64 folderBlocks(const std::string& path)
{
    struct stat self {
    };
    if (::lstat(path.c_str(), &self) != 0 || !S_ISDIR(self.st_mode))
        return 0;
    qint64 sum = qint64(self.st_blocks) * 512;
    DIR* dir = ::opendir(path.c_str());
    while (dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && entry->d_type == DT_DIR)
            sum += folderBlocks(path + "/" + name);
    }
    if (dir)
        ::closedir(dir);
    return sum;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The machine's load averages as /proc/loadavg gives them, to print beside the timings.
inline std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Runs `arguments` (a program found in PATH and its arguments) with its output dropped and waits for it: its
// exit status, and its peak resident memory in KiB in `peakKiB`.
inline int runAndWait(const std::vector<std::string>& arguments, long& peakKiB)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {
    };
    if (child <= 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return -1;
    peakKiB = usage.ru_maxrss;
    return WEXITSTATUS(status);
}

// A benchmark's main calls this first, before anything takes memory: run as `<benchmark> --peak-of <command…>`,
// it runs the command and prints its peak memory in KiB (see peakMemoryOf()), and tells the caller to return
// the status it gives. Nothing otherwise.
inline std::optional<int> peakOfMode(int argc, char* argv[])
{
    if (argc < 3 || std::string(argv[1]) != "--peak-of")
        return std::nullopt;
    long peakKiB = 0;
    const int status = runAndWait(std::vector<std::string>(argv + 2, argv + argc), peakKiB);
    std::printf("%ld\n", peakKiB);
    return status;
}

// Runs `arguments` (a program found in PATH and its arguments) with its output dropped; its time in `seconds`
// and its peak resident memory in bytes; -1 when it could not run or failed. A process forked from this one
// starts with this one's resident size as its peak, and keeps it through exec; so the command is forked from a
// fresh copy of this program (`self`, whose main calls peakOfMode()), which holds next to nothing.
inline qint64 peakMemoryOf(const std::string& self, const std::vector<std::string>& arguments, double* seconds)
{
    const auto start = Clock::now();
    std::string command = "'" + self + "' --peak-of";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    FILE* helper = ::popen(command.c_str(), "r");
    long peakKiB = -1;
    if (helper && std::fscanf(helper, "%ld", &peakKiB) != 1)
        peakKiB = -1;
    const int status = helper ? ::pclose(helper) : -1;
    *seconds = secondsSince(start);
    if (status != 0 || peakKiB <= 0)
        return -1;
    return qint64(peakKiB) * 1024;
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
