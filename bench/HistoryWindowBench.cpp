// Measures the cleaning-history window over a full journal: 200 sessions of 200 files (half still in the Trash,
// some put back, small folders among them). Prints the longest time the GUI thread stays busy while the window
// opens, while it scrolls from top to bottom, while each card is opened, and while it redraws after a journal
// change (target: each at most 100 ms); then one measuring run of what came back beside
// `du -sl -B1 --files0-from` over the same paths (target: at most 1.2 times du's time).
// Usage: qp_bench_history_window [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchScreen.h"
#include "BenchSupport.h"
#include "Core/Aftermath.h"
#include "Core/FileUtils.h"
#include "Core/History.h"
#include "Core/WorkInFlight.h"
#include "Look/DesktopWorkspace.h"
#include "Platform/FileOperations.h"
#include "Scan/History/HistoryView.h"
#include "Scan/History/HistoryViewModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSessions = 200;
constexpr int kFiles = 200;

// Times every event the GUI thread handles from the event loop: the longest is the longest the window was
// held up.
class TimedApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth > 0)
            return QApplication::notify(receiver, event);
        ++m_depth;
        const auto start = Bench::Clock::now();
        const bool result = QApplication::notify(receiver, event);
        const double took = Bench::millisecondsSince(start);
        longest = std::max(longest, took);
        --m_depth;
        return result;
    }

    double longest = 0;

private:
    int m_depth = 0;
};

TimedApplication* timed = nullptr;

// Runs the event loop until nothing is pending; gives the longest event handled meanwhile.
double settle()
{
    timed->longest = 0;
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents(QEventLoop::AllEvents);
    return timed->longest;
}

QList<CleaningSession> makeJournal(const std::string& work, QStringList& measured)
{
    QList<CleaningSession> sessions;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int s = 0; s < kSessions; ++s) {
        const std::string items = work + "/home/Library/Caches/s" + std::to_string(s);
        const std::string trash = work + "/home/.Trash/s" + std::to_string(s);
        QDir().mkpath(QString::fromStdString(items));
        QDir().mkpath(QString::fromStdString(trash));
        CleaningSession session;
        session.id = QUuid::createUuid();
        session.date = now.addSecs(-3600 * (s + 1));
        session.moduleID = s % 3 == 0 ? u"systemJunk"_s : (s % 3 == 1 ? u"trashBins"_s : u"mailAttachments"_s);
        session.moduleTitle = u"Fichiers système"_s;
        session.freedBytes = 200 * 40960;
        session.snapshotStamp = u"2026-01-02-030405"_s;
        for (int f = 0; f < kFiles; ++f) {
            const std::string name = QStringLiteral("f%1.cache").arg(f).toStdString();
            RemovedFile file{QUuid::createUuid(), QString::fromStdString(items + "/" + name), std::nullopt, 40960,
                             f % 17 == 0};
            if (f % 2 == 0) {
                Bench::writeFile(trash + "/" + name, 0);
                file.trashPath = QString::fromStdString(trash + "/" + name);
            } else if (f % 10 == 1) {
                // A small folder come back at its place.
                const std::string folder = items + "/" + name;
                QDir().mkpath(QString::fromStdString(folder));
                for (int k = 0; k < 3; ++k)
                    Bench::writeFile(folder + "/part" + std::to_string(k), 4096);
            }
            if (!file.restored)
                measured.append(file.originalPath);
            session.files.append(file);
        }
        sessions.append(session);
    }
    return sessions;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string home = Bench::screenHome(work);
    TimedApplication app(argc, argv);
    timed = &app;
    Bench::lookLikeTheApplication(home);

    QStringList measured;
    const QList<CleaningSession> journal = makeJournal(work, measured);
    History history(QString::fromStdString(work + "/history.json"));
    history.update([&](QList<CleaningSession>& list) { list = journal; });
    DesktopWorkspace workspace;

    // The redraw after a journal change runs from the journal's signal to the end of the window's own handling
    // of it; the journal's file work before the signal is its own.
    Bench::Clock::time_point changed{};
    double redrawn = 0;
    QObject::connect(&history, &History::changed, &app, [&] { changed = Bench::Clock::now(); });

    // Opening.
    auto start = Bench::Clock::now();
    WorkInFlight inFlight;
    HistoryView view(history, inFlight, workspace);
    QObject::connect(&view.model(), &HistoryViewModel::changed, &app,
                     [&] { redrawn = Bench::millisecondsSince(changed); });
    view.resize(720, 540);
    view.show();
    double opening = Bench::millisecondsSince(start);
    opening = std::max(opening, settle());
    while (view.model().isMeasuring())
        opening = std::max(opening, settle());

    // Scrolling from top to bottom, a page at a time.
    double scrolling = 0;
    QScrollBar* bar = view.scrollArea()->verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
        start = Bench::Clock::now();
        bar->setValue(value);
        const double direct = Bench::millisecondsSince(start);
        scrolling = std::max({scrolling, direct, settle()});
    }

    // Opening every card.
    double expanding = 0;
    for (const CleaningSession& session : journal) {
        start = Bench::Clock::now();
        view.model().toggle(session.id);
        const double direct = Bench::millisecondsSince(start);
        expanding = std::max({expanding, direct, settle()});
    }

    // A change of the journal elsewhere: one file marked put back.
    history.update([&](QList<CleaningSession>& list) {
        History::markRestored({journal[5].files[3].originalPath}, journal[5].id, list);
    });
    double redrawing = std::max(redrawn, settle());

    // One measuring run beside du over the same paths, each given once, warm.
    const std::string list = work + "/paths";
    {
        QFile file(QString::fromStdString(list));
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        for (const QString& path : measured) {
            file.write(QFile::encodeName(path));
            file.write("", 1);
        }
    }
    double duSeconds = 0;
    Bench::duBytes("--files0-from='" + list + "' 2>/dev/null", &duSeconds); // warms the caches
    Bench::duBytes("--files0-from='" + list + "' 2>/dev/null", &duSeconds);
    start = Bench::Clock::now();
    const Aftermath::Measurement measurement = Aftermath::measure(journal, QDateTime::currentDateTimeUtc());
    const double measureSeconds = Bench::secondsSince(start);
    benchmark::DoNotOptimize(measurement.regrowths.size());

    std::printf("journal                 : %d sessions × %d files\n", kSessions, kFiles);
    std::printf("opening the window      : %.1f ms (target ≤ 100)\n", opening);
    std::printf("scrolling, worst step   : %.1f ms (target ≤ 100)\n", scrolling);
    std::printf("opening a card, worst   : %.1f ms (target ≤ 100)\n", expanding);
    std::printf("redraw after a change   : %.1f ms (target ≤ 100)\n", redrawing);
    std::printf("measuring run           : %.3f s; du -sl -B1 --files0-from: %.3f s (target ≤ 1.2×)\n", measureSeconds,
                duSeconds);

    Platform::removeItem(QFile::decodeName(work.c_str()));
    const bool ok =
        opening <= 100 && scrolling <= 100 && expanding <= 100 && redrawing <= 100 && measureSeconds <= 1.2 * duSeconds;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
