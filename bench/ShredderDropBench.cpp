// Measures a drop of 1,000 files on the shredder: the time the drop keeps the GUI thread (the queue filled, the
// screen told) and the time until the queue has been drawn. Target: each at most 100 ms.
// Usage: qp_bench_shredder_drop [work-folder]   (default: $TMPDIR or /tmp; the folder made there is removed)
#include "BenchScreen.h"
#include "BenchServices.h"
#include "BenchSupport.h"
#include "Look/DesktopOpenPanel.h"
#include "Look/DesktopWorkspace.h"
#include "Platform/FileOperations.h"
#include "Tools/ShredderView.h"
#include "Tools/ShredderViewModel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QMimeData>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFiles = 1000;

} // namespace

int main(int argc, char* argv[])
{
    const std::string work = Bench::makeWorkFolder(argc, argv);
    const std::string home = Bench::screenHome(work);
    QApplication app(argc, argv);
    Bench::lookLikeTheApplication(home);

    const std::string folder = home + "/À broyer";
    Platform::createFolder(QFile::decodeName(folder.c_str()));
    QList<QUrl> urls;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = folder + "/fichier-" + std::to_string(i) + ".bin";
        Bench::writeFile(path, 4096);
        urls.append(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
    }

    Bench::Services services(work);
    ShredderViewModel model(services.models());
    DesktopWorkspace workspace;
    DesktopOpenPanel panel;
    ShredderView view(
        model, workspace, panel,
        [](const QString&, const QString&, const QString&, std::function<void(bool)> reply) { reply(false); });
    view.resize(1000, 800);
    view.show();
    Bench::untilSettled();

    auto* list = view.findChild<QListView*>(u"shredQueue"_s);
    // The paints of the queue's list.
    Bench::PaintWatch watch(list ? list->viewport() : nullptr);
    app.installEventFilter(&watch);
    QMimeData data;
    data.setUrls(urls);
    // The drag comes over the drop zone first, as a real drop does; only the drop itself is timed.
    QWidget* zone = view.findChild<QWidget*>(u"dropZone"_s);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(zone, &enter);
    const auto start = Bench::Clock::now();
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(zone, &drop);
    const double dropped = Bench::millisecondsSince(start);
    const double drawn = Bench::millisecondsToFirstPaint({&watch}, start);
    app.removeEventFilter(&watch);
    benchmark::DoNotOptimize(model.items().size());

    // Let the background measures end before the files go.
    QElapsedTimer clock;
    clock.start();
    while (model.isMeasuringAny() && clock.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents);

    std::printf("queued               : %lld of %d files\n", static_cast<long long>(model.items().size()), kFiles);
    std::printf("drop → queue filled  : %.1f ms (target ≤ 100)\n", dropped);
    std::printf("drop → queue drawn   : %.1f ms (target ≤ 100)\n", drawn);

    Platform::removeItem(QFile::decodeName(work.c_str()));
    const bool ok = model.items().size() == kFiles && dropped <= 100 && drawn <= 100;
    Bench::printVerdict(ok);
    return ok ? 0 : 1;
}
