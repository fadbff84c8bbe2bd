// qp_screen_gallery OUTPUT_FOLDER: shows the generic module screen and the smart scan's screen in each of their
// phases, driven by their real view model around a made-up scanner, under the offscreen platform, and saves
// module-<phase>.png and smart-<phase>.png in OUTPUT_FOLDER.
// Everything it writes (the items it cleans, the Trash, the journal) lives in a temporary folder that stands for
// the home folder and the system root, and goes with it.
#include "Core/FileUtils.h"
#include "Core/StandardServices.h"
#include "GalleryLook.h"
#include "Look/DesktopWorkspace.h"
#include "Look/Theme.h"
#include "Platform/FileOperations.h"
#include "Platform/SystemRoot.h"
#include "Scan/Screen/GroupCard.h"
#include "Scan/Screen/ItemRow.h"
#include "Scan/Screen/ResultsState.h"
#include "Scan/Screen/ScanModuleView.h"
#include "Scan/Screen/ScanViewModel.h"
#include "Scan/SmartScan/SmartScanView.h"
#include "Scanners/ModuleRegistry.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// A scanner that reports one step, then waits until the gallery lets it give its groups.
class GalleryScanner final : public ModuleScanner
{
public:
    GalleryScanner(ModuleID module, bool fullDiskAccess) : m_module(module), m_fullDiskAccess(fullDiskAccess) {}

    ModuleID moduleID() const override { return m_module; }
    bool requiresFullDiskAccess() const override { return m_fullDiskAccess; }

    QList<Advisory> advisories() const override
    {
        if (m_module != ModuleID::systemJunk)
            return {};
        return {Advisory{QUuid::createUuid(), u"Safari est ouvert"_s,
                         u"Ses caches en cours d'utilisation seront recréés aussitôt ; quittez-le d'abord."_s,
                         std::nullopt, std::nullopt},
                Advisory{QUuid::createUuid(), u"Caches protégés"_s,
                         u"Certains caches ne sont lisibles qu'avec l'accès complet au disque."_s,
                         Platform::fullDiskAccessSettingsURL(), u"Ouvrir les réglages"_s}};
    }

    QList<ScanGroup> scan(const Progress& progress, std::stop_token) const override
    {
        progress(0.42, u"~/Library/Caches/com.apple.Safari/WebKitCache/Version 16/Records"_s);
        std::unique_lock lock(m_state->mutex);
        m_state->wake.wait(lock, [this] { return m_state->released; });
        m_state->released = false;
        return m_state->groups;
    }

    void release(QList<ScanGroup> groups) const
    {
        {
            const std::lock_guard lock(m_state->mutex);
            m_state->groups = std::move(groups);
            m_state->released = true;
        }
        m_state->wake.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        bool released = false;
        QList<ScanGroup> groups;
    };

    ModuleID m_module;
    bool m_fullDiskAccess;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

QString makeFile(const QString& path, qsizetype bytes)
{
    Platform::createFolder(QFileInfo(path).absolutePath());
    Platform::writeFileAtomically(path, QByteArray(bytes, 'q'));
    return path;
}

ScanItem item(const QString& path, qint64 size, bool selected, std::optional<QString> detail = std::nullopt)
{
    return ScanItem{QUuid::createUuid(),
                    path,
                    QFileInfo(path).fileName(),
                    size,
                    std::move(detail),
                    std::nullopt,
                    selected,
                    false,
                    Removal::Mode::trash(),
                    std::nullopt};
}

QList<ScanGroup> junkGroups(const QString& home)
{
    QList<ScanItem> caches;
    const char16_t* apps[] = {u"com.apple.Safari", u"com.spotify.client", u"com.microsoft.VSCode",
                              u"org.mozilla.firefox"};
    qint64 size = 412'000'000;
    for (const char16_t* app : apps) {
        const QString path = home + u"/Library/Caches/"_s + QString::fromUtf16(app);
        caches.append(
            item(makeFile(path + u"/Cache.db"_s, 4096), size, true, u"~/Library/Caches/"_s + QString::fromUtf16(app)));
        size /= 3;
    }
    caches[1].isRisky = true;
    QList<ScanItem> logs;
    for (int i = 0; i < 230; ++i)
        logs.append(item(home + u"/Library/Logs/DiagnosticReports/report-%1.ips"_s.arg(i), 180'000 + i * 1000, false));
    QList<ScanItem> system = {item(makeFile(Platform::systemPath(u"/System/Library/Caches/locked.cache"_s), 4096),
                                   64'000'000, true, u"/System/Library/Caches"_s)};
    return {ScanGroup{QUuid::createUuid(), u"Caches des applications"_s, u"shippingbox"_s,
                      u"Recréés par chaque application au besoin."_s, caches, true, ScanGroup::Metric::bytes},
            ScanGroup{QUuid::createUuid(), u"Journaux"_s, u"doc.text"_s, std::nullopt, logs, true,
                      ScanGroup::Metric::bytes},
            ScanGroup{QUuid::createUuid(), u"Caches du système"_s, u"gearshape"_s, std::nullopt, system, false,
                      ScanGroup::Metric::bytes}};
}

QList<ScanGroup> threatGroups(const QString& home)
{
    const struct {
        const char16_t* name;
        ThreatSeverity severity;
        bool risky;
    } threats[] = {{u"com.adobe.updater.agent.plist", ThreatSeverity::suspicious, false},
                   {u"com.pcv.hlpramc.plist", ThreatSeverity::likely, true},
                   {u"com.genieo.completer.update.plist", ThreatSeverity::confirmed, false}};
    QList<ScanItem> items;
    // The user's own agents go to the Trash; the last one sits where only an administrator can delete it.
    Platform::createFolder(home + u"/Library/LaunchAgents"_s);
    for (const auto& t : threats) {
        const QString folder = t.severity == ThreatSeverity::confirmed
                                   ? Platform::systemPath(u"/Library/LaunchDaemons"_s)
                                   : home + u"/Library/LaunchAgents"_s;
        const QString path = folder + u'/' + QString::fromUtf16(t.name);
        ScanItem threat = item(path, 2048, true, FileUtils::abbreviatedPath(path));
        threat.isRisky = t.risky;
        threat.removalMode = Removal::Mode::threat(std::nullopt);
        threat.threat = Threat{t.severity,
                               std::nullopt,
                               {u"Lancé à chaque ouverture de session."_s, u"Signé par un éditeur inconnu."_s},
                               std::nullopt};
        items.append(threat);
    }
    return {ScanGroup{QUuid::createUuid(), u"Agents de lancement"_s, u"exclamationmark.shield"_s,
                      u"Programmes relancés à chaque session."_s, items, true, ScanGroup::Metric::threats}};
}

// A machine of fixed figures, so that the pictures do not change from run to run; the freed total is the smart
// scan's own.
class GalleryFigures final : public Modules::AppFigures
{
public:
    explicit GalleryFigures(const ScanViewModel& model) : m_model(model)
    {
        m_snapshot.diskTotal = 494'384'795'648;
        m_snapshot.diskFree = 121'634'185'216;
        m_snapshot.memoryTotal = 17'179'869'184;
        m_snapshot.memoryUsed = 11'811'160'064;
        m_snapshot.memoryPressure = 0.41;
        m_snapshot.cpuLoad = 0.234;
    }

    const SystemSnapshot& snapshot() const override { return m_snapshot; }
    bool hasFullDiskAccess() const override { return false; }
    qint64 totalFreedBytes() const override { return m_model.freedBytes(); }
    void onChanged(QObject*, std::function<void()>) const override {}

private:
    const ScanViewModel& m_model;
    SystemSnapshot m_snapshot;
};

QList<ScanGroup> trashGroups(const QString& home)
{
    QList<ScanItem> items;
    const char16_t* names[] = {u"Capture d'écran 2024-03-12.png", u"Facture-0412.pdf", u"installeur.dmg"};
    qint64 size = 86'000'000;
    for (const char16_t* name : names) {
        items.append(item(makeFile(home + u"/.Trash/"_s + QString::fromUtf16(name), 1024), size, true));
        size /= 4;
    }
    return {ScanGroup{QUuid::createUuid(), u"Corbeille"_s, u"trash"_s, std::nullopt, items, true,
                      ScanGroup::Metric::bytes}};
}

void settle(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool waitFor(const ScanViewModel& model, ScanViewModel::Phase phase)
{
    QElapsedTimer clock;
    clock.start();
    while (model.phase() != phase && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return model.phase() == phase;
}

bool save(QWidget& screen, const QString& folder, const QString& phase, int settleMilliseconds = 900,
          const QString& prefix = u"module-"_s)
{
    settle(settleMilliseconds);
    const QString path = folder + u'/' + prefix + phase + u".png"_s;
    if (!screen.grab().toImage().save(path)) {
        std::fprintf(stderr, "qp_screen_gallery: could not save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qp_screen_gallery OUTPUT_FOLDER\n");
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "qp_screen_gallery: could not make %s\n", qPrintable(output));
        return 1;
    }
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 1;
    for (const char* name : {"HOME", "QUORVANE_ROOT", "TMPDIR"}) {
        QDir(sandbox.path()).mkpath(QString::fromLatin1(name));
        ::setenv(name, QFile::encodeName(sandbox.path() + u'/' + QString::fromLatin1(name)).constData(), 1);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (!prepareGalleryLook("qp_screen_gallery"))
        return 1;
    // No snapshot tool stands in here, so the report shows what happens when none can be taken.
    StandardServices standard;
    standard.preferences.setTakesSnapshotBeforeCleaning(true);
    const ModelServices& services = standard.services;

    const QString home = Platform::homeFolder();
    const QSize size(1100, 780);
    DesktopWorkspace workspace;
    bool saved = true;

    {
        auto scanner = std::make_shared<GalleryScanner>(ModuleID::systemJunk, true);
        ScanViewModel model(scanner, services);
        ScanModuleView screen(ModuleID::systemJunk, &model, false, workspace);
        screen.setProvenanceOpener([](QWidget*, const ScanItem&) {});
        screen.resize(size);
        screen.show();
        saved = save(screen, output, u"idle"_s) && saved;

        model.scan();
        settle(200); // the step the scanner reports
        saved = save(screen, output, u"scanning"_s) && saved;

        scanner->release(junkGroups(home));
        if (!waitFor(model, ScanViewModel::Phase::results))
            return 1;
        settle(300);
        if (auto* results = screen.findChild<ResultsState*>(); results && !results->cards().isEmpty()) {
            const QList<ItemRow*> rows = results->cards().first()->builtRows();
            if (rows.size() > 1)
                rows[1]->setHovering(true);
        }
        saved = save(screen, output, u"results"_s) && saved;

        model.clean();
        saved = save(screen, output, u"cleaning"_s, 0) && saved;
        if (!waitFor(model, ScanViewModel::Phase::finished))
            return 1;
        saved = save(screen, output, u"finished"_s) && saved;

        model.scan();
        scanner->release({});
        if (!waitFor(model, ScanViewModel::Phase::results))
            return 1;
        saved = save(screen, output, u"empty"_s) && saved;
    }
    {
        auto scanner = std::make_shared<GalleryScanner>(ModuleID::malware, false);
        ScanViewModel model(scanner, services);
        ScanModuleView screen(ModuleID::malware, &model, true, workspace);
        screen.resize(size);
        screen.show();
        model.scan();
        scanner->release(threatGroups(home));
        if (!waitFor(model, ScanViewModel::Phase::results))
            return 1;
        model.toggleItem(model.groups()[0].items[2].id, model.groups()[0].id);
        saved = save(screen, output, u"threats"_s) && saved;
    }
    {
        auto scanner = std::make_shared<GalleryScanner>(ModuleID::smartScan, false);
        ScanViewModel model(scanner, services);
        const GalleryFigures figures(model);
        SmartScanView screen(model, false, workspace, figures);
        screen.resize(size);
        screen.show();
        const QString smart = u"smart-"_s;
        saved = save(screen, output, u"idle"_s, 900, smart) && saved;

        model.scan();
        settle(200);
        saved = save(screen, output, u"scanning"_s, 900, smart) && saved;

        scanner->release(junkGroups(home) + trashGroups(home) + threatGroups(home));
        if (!waitFor(model, ScanViewModel::Phase::results))
            return 1;
        saved = save(screen, output, u"results"_s, 900, smart) && saved;

        model.clean();
        saved = save(screen, output, u"cleaning"_s, 0, smart) && saved;
        if (!waitFor(model, ScanViewModel::Phase::finished))
            return 1;
        saved = save(screen, output, u"finished"_s, 900, smart) && saved;

        model.scan();
        scanner->release({});
        if (!waitFor(model, ScanViewModel::Phase::results))
            return 1;
        saved = save(screen, output, u"empty"_s, 900, smart) && saved;
    }
    {
        ScanModuleView screen(ModuleID::duplicates, nullptr, true, workspace);
        screen.resize(size);
        screen.show();
        saved = save(screen, output, u"unavailable"_s) && saved;
    }
    return saved ? 0 : 1;
}
