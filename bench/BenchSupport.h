#pragma once

// Helpers shared by the benchmarks: timing, medians and runs made in turn with a peer tool, files whose content
// takes room on disk, a copy of system folders for real names, du's figure, peak memory, the wait for a screen's
// paint, the verdict line, and the work folder each benchmark builds its trees in.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Bench {

using Clock = std::chrono::steady_clock;

// Output to a pipe or a file is otherwise held until the end: each line shows as soon as it is printed, so a long
// run can be followed.
inline const bool kLineBuffered = std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ) == 0;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double millisecondsSince(Clock::time_point start)
{
    return secondsSince(start) * 1000.0;
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

// The middle of several timings: the machine is shared, and one slow run says nothing of the code.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The middle and the worst of several timings, each one a step of the same kind; the middle of an even count is
// the upper one.
struct Spread {
    double median = 0;
    double worst = 0;
};

inline Spread spreadOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// Runs `ours` and `peer` in turn `runs` times, the peer first: the median time in seconds of each.
template <class F, class G> std::pair<double, double> mediansInTurn(int runs, F&& ours, G&& peer)
{
    std::vector<double> oursRuns;
    std::vector<double> peerRuns;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        peer();
        peerRuns.push_back(secondsSince(start));
        start = Clock::now();
        ours();
        oursRuns.push_back(secondsSince(start));
    }
    return {median(oursRuns), median(peerRuns)};
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

// Counts the paints of the widgets of one name, or of one object, once installed on the application.
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QString name) : m_name(std::move(name)) {}
    explicit PaintWatch(const QObject* target) : m_byTarget(true), m_target(target) {}
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && (m_byTarget ? watched == m_target : watched->objectName() == m_name))
            ++paints;
        return false;
    }

private:
    QString m_name;
    bool m_byTarget = false;
    const QObject* m_target = nullptr;
};

// Runs the event loop until `watch` has seen a paint or `limitMs` have gone by; whether it saw one.
inline bool untilPainted(const PaintWatch& watch, int limitMs = 1000)
{
    QElapsedTimer clock;
    clock.start();
    while (watch.paints == 0 && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return watch.paints > 0;
}

// The first frame: runs the event loop until every watch has seen a paint, ten seconds at most; the milliseconds
// from `since` (which the loop may set) to then, or 1e9 when one saw none.
inline double millisecondsToFirstPaint(std::initializer_list<const PaintWatch*> watches, const Clock::time_point& since)
{
    const auto allPainted = [&] {
        return std::all_of(watches.begin(), watches.end(), [](const PaintWatch* watch) { return watch->paints > 0; });
    };
    QElapsedTimer clock;
    clock.start();
    while (!allPainted() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return allPainted() ? millisecondsSince(since) : 1e9;
}

// Runs the event loop until nothing is pending: the layout has settled and the screen has drawn.
inline void untilSettled()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The benchmark's last line: PASS when every target was met, else FAIL.
inline void printVerdict(bool ok)
{
    std::printf("%s\n", ok ? "PASS" : "FAIL");
}

// A tree of real names: copies /usr/share and /usr/include into the new folder `destination` (links copied as
// links, a file with several names as several files). The files copied, or -1 when the copy failed.
inline long copySystemFolders(const std::string& destination)
{
    ::mkdir(destination.c_str(), 0755);
    const std::string command =
        "cp -R /usr/share /usr/include '" + destination + "' && find '" + destination + "' -type f | wc -l";
    FILE* pipe = ::popen(command.c_str(), "r");
    long files = -1;
    if (pipe && std::fscanf(pipe, "%ld", &files) != 1)
        files = -1;
    if (!pipe || ::pclose(pipe) != 0)
        files = -1;
    return files;
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
